// Implements: the dialog control model. The dialog and its controls are stand-in windows, so
// that GetDlgItem, SendMessageA, GetDC and the painting calls reach them as any window; the
// control classes' window procedures keep the state of push buttons, auto radio buttons,
// group boxes, statics and trackbars. Statics erase to the button face colour when they
// paint; a sunken static has a one-pixel edge outside its client area.
// Leaves out: what dialog_box.h and common_controls.h leave out; focus and tab movement (the
// backend's toolkit has them).
#include "dialog_model.h"

#include <algorithm>
#include <map>
#include <memory>

#include "common_controls.h"
#include "dialog.h"
#include "dialog_backend.h"
#include "gdi.h"
#include "text_encoding.h"
#include "window.h"
#include "window_table.h"

namespace standin {
namespace {

constexpr COLORREF kButtonFace = RGB(240, 240, 240);

std::map<HWND, std::unique_ptr<Dialog>>& OpenDialogs() {
  static std::map<HWND, std::unique_ptr<Dialog>> dialogs;
  return dialogs;
}

// The dialog and control of a control window.
bool LocateControl(HWND handle, Dialog** dialog, DialogControl** control) {
  Window* window = FindOwnWindow(handle);
  if (window == nullptr) return false;
  *dialog = FindDialog(window->parent);
  if (*dialog == nullptr) return false;
  for (DialogControl& each : (*dialog)->controls) {
    if (each.handle == handle) {
      *control = &each;
      return true;
    }
  }
  return false;
}

ControlKind KindOf(const DialogItemTemplate& item) {
  std::string name = item.className;
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
  if (name == "STATIC") return ControlKind::kStatic;
  if (name == "MSCTLS_TRACKBAR32") return ControlKind::kTrackbar;
  if (name != "BUTTON") return ControlKind::kOther;
  switch (item.style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      return ControlKind::kPushButton;
    case BS_AUTORADIOBUTTON:
      return ControlKind::kRadioButton;
    case BS_GROUPBOX:
      return ControlKind::kGroupBox;
    default:
      return ControlKind::kOther;
  }
}

void SetPosition(DialogControl& control, LPARAM position, bool redraw) {
  const int low = std::min(control.rangeMinimum, control.rangeMaximum);
  const int high = std::max(control.rangeMinimum, control.rangeMaximum);
  control.position = std::clamp(static_cast<int>(position), low, high);
  if (redraw) control.paintPending = true;
}

LRESULT TrackbarMessage(DialogControl& control, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case TBM_GETPOS:
      return control.position;
    case TBM_GETRANGEMIN:
      return control.rangeMinimum;
    case TBM_GETRANGEMAX:
      return control.rangeMaximum;
    case TBM_SETPOS:
      SetPosition(control, lParam, wParam != 0);
      return 0;
    case TBM_SETRANGE:
      control.rangeMinimum = LOWORD(lParam);
      control.rangeMaximum = HIWORD(lParam);
      SetPosition(control, control.position, wParam != 0);
      return 0;
    case TBM_SETRANGEMIN:
      control.rangeMinimum = static_cast<int>(lParam);
      SetPosition(control, control.position, wParam != 0);
      return 0;
    case TBM_SETRANGEMAX:
      control.rangeMaximum = static_cast<int>(lParam);
      SetPosition(control, control.position, wParam != 0);
      return 0;
    default:
      return 0;
  }
}

void EraseToFace(HWND handle, HDC context) {
  RECT client{};
  GetClientRect(handle, &client);
  const HBRUSH face = CreateSolidBrush(kButtonFace);
  FillRect(context, &client, face);
  DeleteObject(face);
}

LRESULT CALLBACK ControlProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* dialog = nullptr;
  DialogControl* control = nullptr;
  if (!LocateControl(handle, &dialog, &control)) return DefWindowProcA(handle, message, wParam, lParam);
  switch (message) {
    case WM_SETTEXT:
      control->textUtf8 = Cp932ToUtf8(lParam != 0 ? reinterpret_cast<LPCSTR>(lParam) : "");
      return TRUE;
    case BM_GETCHECK:
      return control->checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
      // A radio button has two states: any state but unchecked checks it.
      if (control->kind == ControlKind::kRadioButton) control->checked = wParam != BST_UNCHECKED;
      return 0;
    case BM_CLICK:
      ClickControl(*dialog, control->id);
      return 0;
    case WM_ERASEBKGND:
      EraseToFace(handle, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(handle, &paint);
      EndPaint(handle, &paint);
      if (control->kind == ControlKind::kTrackbar) control->paintPending = true;
      return 0;
    }
    default:
      break;
  }
  if (control->kind == ControlKind::kTrackbar && message >= WM_USER) {
    return TrackbarMessage(*control, message, wParam, lParam);
  }
  return DefWindowProcA(handle, message, wParam, lParam);
}

LRESULT CALLBACK DialogWindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* dialog = FindDialog(handle);
  if (dialog == nullptr) return DefWindowProcA(handle, message, wParam, lParam);
  return SendToProcedure(*dialog, message, wParam, lParam);
}

const WindowClass* ClassFor(const char* name, WNDPROC procedure) {
  const WindowClass* found = FindClass(name);
  if (found != nullptr) return found;
  WNDCLASSA description{};
  description.lpfnWndProc = procedure;
  description.lpszClassName = name;
  return AddClass(description);
}

HWND AddChildWindow(HWND parent, const WindowClass* windowClass, DWORD style, const RECT& bounds, bool sunken) {
  Window& window = AddWindow();
  window.windowClass = windowClass;
  window.procedure = windowClass->description.lpfnWndProc;
  window.parent = parent;
  window.style = style;
  window.windowRect = bounds;
  window.clientRect = bounds;
  if (sunken) {
    window.clientRect = RECT{bounds.left + 1, bounds.top + 1, std::max(bounds.left + 1, bounds.right - 1),
                             std::max(bounds.top + 1, bounds.bottom - 1)};
  }
  window.visible = (style & WS_VISIBLE) != 0;
  return window.handle;
}

// The auto radio buttons of the group that `index` is in: from the nearest control at or
// before it with WS_GROUP, up to the next one with WS_GROUP.
void CheckWithinGroup(Dialog& dialog, size_t index) {
  size_t first = index;
  while (first > 0 && (dialog.controls[first].style & WS_GROUP) == 0) --first;
  for (size_t other = first; other < dialog.controls.size(); ++other) {
    if (other != first && (dialog.controls[other].style & WS_GROUP) != 0) break;
    DialogControl& each = dialog.controls[other];
    if (each.kind == ControlKind::kRadioButton) each.checked = other == index;
  }
}

void SendCommand(Dialog& dialog, int id) {
  const DialogControl* control = FindControl(dialog, id);
  SendToProcedure(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                  reinterpret_cast<LPARAM>(control != nullptr ? control->handle : nullptr));
}

void Notify(Dialog& dialog, const DialogControl& control, UINT code) {
  NMHDR header{control.handle, static_cast<UINT_PTR>(control.id), code};
  SendToProcedure(dialog, WM_NOTIFY, static_cast<WPARAM>(control.id), reinterpret_cast<LPARAM>(&header));
}

}  // namespace

int ToPixelsX(const DialogUnits& units, int dialogUnits) { return dialogUnits * units.baseX / 4; }
int ToPixelsY(const DialogUnits& units, int dialogUnits) { return dialogUnits * units.baseY / 8; }

Dialog& CreateDialogFromTemplate(const DialogTemplate& layout, const DialogUnits& units, HWND owner,
                                 DLGPROC procedure) {
  auto made = std::make_unique<Dialog>();
  Dialog& dialog = *made;
  dialog.owner = owner;
  dialog.procedure = procedure;
  dialog.layout = layout;
  dialog.units = units;
  dialog.clientWidth = ToPixelsX(units, layout.width);
  dialog.clientHeight = ToPixelsY(units, layout.height);

  Window& window = AddWindow();
  window.windowClass = ClassFor("#32770", DialogWindowProcedure);
  window.procedure = DialogWindowProcedure;
  window.style = layout.style;
  window.exStyle = layout.exStyle;
  window.title = layout.caption;
  window.windowRect = RECT{0, 0, dialog.clientWidth, dialog.clientHeight};
  window.clientRect = window.windowRect;
  window.visible = true;
  dialog.handle = window.handle;
  OpenDialogs()[dialog.handle] = std::move(made);

  for (const DialogItemTemplate& item : layout.items) {
    DialogControl control;
    control.id = item.id;
    control.kind = KindOf(item);
    control.style = item.style;
    control.textUtf8 = item.text;
    const int left = ToPixelsX(units, item.x);
    const int top = ToPixelsY(units, item.y);
    control.bounds = RECT{left, top, left + ToPixelsX(units, item.width), top + ToPixelsY(units, item.height)};
    const bool sunken = control.kind == ControlKind::kStatic && (item.style & SS_SUNKEN) != 0;
    control.handle = AddChildWindow(dialog.handle, ClassFor(item.className.c_str(), ControlProcedure), item.style,
                                    control.bounds, sunken);
    dialog.controls.push_back(std::move(control));
  }
  return dialog;
}

void DestroyDialog(HWND handle) {
  auto found = OpenDialogs().find(handle);
  if (found == OpenDialogs().end()) return;
  for (const DialogControl& control : found->second->controls) RemoveWindow(control.handle);
  RemoveWindow(handle);
  OpenDialogs().erase(found);
}

Dialog* FindDialog(HWND handle) {
  auto found = OpenDialogs().find(handle);
  return found != OpenDialogs().end() ? found->second.get() : nullptr;
}

DialogControl* FindControl(Dialog& dialog, int id) {
  for (DialogControl& control : dialog.controls) {
    if (static_cast<WORD>(control.id) == static_cast<WORD>(id)) return &control;
  }
  return nullptr;
}

INT_PTR SendToProcedure(Dialog& dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (dialog.procedure == nullptr) return FALSE;
  NoteActivity();
  return dialog.procedure(dialog.handle, message, wParam, lParam);
}

void Settle(Dialog& dialog) {
  const HWND handle = dialog.handle;
  for (bool painted = true; painted && FindDialog(handle) != nullptr && !dialog.ended;) {
    painted = false;
    for (size_t index = 0; index < dialog.controls.size(); ++index) {
      if (!dialog.controls[index].paintPending) continue;
      dialog.controls[index].paintPending = false;
      Notify(dialog, dialog.controls[index], NM_CUSTOMDRAW);
      painted = true;
    }
  }
  if (FindDialog(handle) != nullptr) Dialogs().Refresh(dialog);
}

void ClickControl(Dialog& dialog, int id) {
  DialogControl* control = FindControl(dialog, id);
  if (control == nullptr) return;
  if (control->kind == ControlKind::kRadioButton) {
    CheckWithinGroup(dialog, static_cast<size_t>(control - dialog.controls.data()));
  } else if (control->kind != ControlKind::kPushButton) {
    return;
  }
  SendCommand(dialog, id);
  Settle(dialog);
}

void MoveTrackbar(Dialog& dialog, int id, int position) {
  DialogControl* control = FindControl(dialog, id);
  if (control == nullptr || control->kind != ControlKind::kTrackbar) return;
  SetPosition(*control, position, true);
  Notify(dialog, *control, TRBN_THUMBPOSCHANGING);
  Settle(dialog);
}

void PressEnter(Dialog& dialog) {
  int id = IDOK;
  for (const DialogControl& control : dialog.controls) {
    if (control.kind == ControlKind::kPushButton && (control.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      id = control.id;
    }
  }
  SendCommand(dialog, id);
  Settle(dialog);
}

void PressEscape(Dialog& dialog) {
  SendCommand(dialog, IDCANCEL);
  Settle(dialog);
}

// The dialog manager answers a WM_CLOSE that the procedure leaves alone with IDCANCEL.
void PressCloseBox(Dialog& dialog) {
  if (SendToProcedure(dialog, WM_CLOSE, 0, 0) == FALSE && !dialog.ended) SendCommand(dialog, IDCANCEL);
  Settle(dialog);
}

void Activate(Dialog& dialog, bool active) {
  SendToProcedure(dialog, WM_ACTIVATE, MAKEWPARAM(active ? WA_ACTIVE : WA_INACTIVE, 0), 0);
  Settle(dialog);
}

void ShowDialog(Dialog& dialog) {
  for (DialogControl& control : dialog.controls) {
    if (control.kind == ControlKind::kTrackbar) control.paintPending = true;
  }
  Activate(dialog, true);
}

}  // namespace standin
