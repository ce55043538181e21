// Implements: DialogBoxParamA, EndDialog, GetDlgItem, SendDlgItemMessageA, GetDlgItemTextA, SetDlgItemTextA,
// IsDlgButtonChecked, CheckDlgButton, InitCommonControls, InitCommonControlsEx, and the choice
// of the dialog backend. A modal dialog is made from its template, gets WM_INITDIALOG, is
// shown and run by the backend until EndDialog, and is then destroyed; its owner (when that
// is a dialog) is deactivated meanwhile and activated again afterwards.
// Leaves out: what dialog_box.h leaves out; a result of EndDialog called outside a running
// dialog (it ends the dialog before it is shown, as on Windows).
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "common_controls.h"
#include "dialog_backend.h"
#include "dialog_box.h"
#include "dialog_model.h"
#include "dialog_template.h"
#include "error.h"
#include "gtk_session.h"
#include "headless_display.h"
#include "resource.h"
#include "text_encoding.h"
#include "window.h"

namespace standin {

DialogBackend& Dialogs() {
  static const std::unique_ptr<DialogBackend> backend = [] {
    std::unique_ptr<DialogBackend> chosen;
    if (!headless::Active() && GtkAvailable()) chosen = CreateGtkDialogs();
    return chosen != nullptr ? std::move(chosen) : CreateHeadlessDialogs();
  }();
  return *backend;
}

}  // namespace standin

namespace {

bool LoadTemplate(HINSTANCE instance, LPCSTR name, standin::DialogTemplate* layout) {
  const HRSRC found = FindResourceA(instance, name, RT_DIALOG);
  if (found == nullptr) return false;
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(instance, found)));
  if (bytes == nullptr) return false;
  std::string failure;
  return standin::ReadDialogTemplate(bytes, SizeofResource(instance, found), layout, &failure);
}

HWND FirstTabStop(const standin::Dialog& dialog) {
  for (const standin::DialogControl& control : dialog.controls) {
    if ((control.style & WS_TABSTOP) != 0) return control.handle;
  }
  return nullptr;
}

}  // namespace

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC procedure,
                               LPARAM initParam) {
  standin::DialogTemplate layout;
  if (procedure == nullptr || !LoadTemplate(instance, templateName, &layout)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return -1;
  }
  standin::DialogBackend& backend = standin::Dialogs();
  standin::Dialog& dialog = standin::CreateDialogFromTemplate(layout, backend.UnitsFor(layout), owner, procedure);
  const HWND handle = dialog.handle;
  standin::Dialog* ownerDialog = standin::FindDialog(owner);
  if (ownerDialog != nullptr) standin::Activate(*ownerDialog, false);

  standin::SendToProcedure(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(FirstTabStop(dialog)), initParam);
  if (!dialog.ended) backend.Run(dialog);
  const INT_PTR result = dialog.result;
  standin::DestroyDialog(handle);

  ownerDialog = standin::FindDialog(owner);
  if (ownerDialog != nullptr) standin::Activate(*ownerDialog, true);
  return result;
}

BOOL WINAPI EndDialog(HWND handle, INT_PTR result) {
  standin::Dialog* dialog = standin::FindDialog(handle);
  if (dialog == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  dialog->ended = true;
  dialog->result = result;
  return TRUE;
}

HWND WINAPI GetDlgItem(HWND handle, int id) {
  standin::Dialog* dialog = standin::FindDialog(handle);
  const standin::DialogControl* control = dialog != nullptr ? standin::FindControl(*dialog, id) : nullptr;
  if (control == nullptr) {
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
  }
  return control->handle;
}

UINT WINAPI GetDlgItemTextA(HWND handle, int id, LPSTR text, int size) {
  standin::Dialog* dialog = standin::FindDialog(handle);
  const standin::DialogControl* control = dialog != nullptr ? standin::FindControl(*dialog, id) : nullptr;
  if (text == nullptr || size <= 0) return 0;
  text[0] = '\0';
  if (control == nullptr) {
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return 0;
  }
  const std::string converted = standin::Utf8ToCp932(control->textUtf8);
  const size_t copied = std::min(converted.size(), static_cast<size_t>(size) - 1);
  std::memcpy(text, converted.data(), copied);
  text[copied] = '\0';
  return static_cast<UINT>(copied);
}

BOOL WINAPI SetDlgItemTextA(HWND handle, int id, LPCSTR text) {
  const HWND control = GetDlgItem(handle, id);
  if (control == nullptr) return FALSE;
  return static_cast<BOOL>(SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

LRESULT WINAPI SendDlgItemMessageA(HWND handle, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND control = GetDlgItem(handle, id);
  if (control == nullptr) return 0;
  return SendMessageA(control, message, wParam, lParam);
}

UINT WINAPI IsDlgButtonChecked(HWND handle, int id) {
  const HWND control = GetDlgItem(handle, id);
  if (control == nullptr) return 0;
  return static_cast<UINT>(SendMessageA(control, BM_GETCHECK, 0, 0));
}

BOOL WINAPI CheckDlgButton(HWND handle, int id, UINT check) {
  const HWND control = GetDlgItem(handle, id);
  if (control == nullptr) return FALSE;
  SendMessageA(control, BM_SETCHECK, check, 0);
  return TRUE;
}

// The trackbar class is part of every dialog here; there is nothing to load.
void WINAPI InitCommonControls(void) {}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
  return controls != nullptr && controls->dwSize == sizeof(INITCOMMONCONTROLSEX) ? TRUE : FALSE;
}
