// Implements: MessageBoxA. With a display it is a GTK 3 message dialog, modal and kept above
// other windows (a saver's window may be topmost), with the icon and buttons that the type
// asks for; closing the dialog answers as the close box does on Windows (Cancel where there
// is one, else OK or No). Without a display the box is written to standard error, in UTF-8,
// and answered with its first button. Texts arrive in code page 932 and are converted. A
// SIGTERM caught while the box waits ends the process (termination_signal.h).
// Leaves out: owner windows, MB_DEFBUTTONn, MB_HELP, right-to-left layouts.
#include <gtk/gtk.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "dialog.h"
#include "gtk_session.h"
#include "termination_signal.h"
#include "text_encoding.h"

namespace {

struct Button {
  const char* label;
  int answer;
};

std::vector<Button> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{"_OK", IDOK}, {"_Cancel", IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
      return {{"_Abort", IDABORT}, {"_Retry", IDRETRY}, {"_Ignore", IDIGNORE}};
    case MB_YESNOCANCEL:
      return {{"_Yes", IDYES}, {"_No", IDNO}, {"_Cancel", IDCANCEL}};
    case MB_YESNO:
      return {{"_Yes", IDYES}, {"_No", IDNO}};
    case MB_RETRYCANCEL:
      return {{"_Retry", IDRETRY}, {"_Cancel", IDCANCEL}};
    default:
      return {{"_OK", IDOK}};
  }
}

// What closing the box without a button means.
int CloseAnswer(const std::vector<Button>& buttons) {
  for (const Button& button : buttons) {
    if (button.answer == IDCANCEL) return IDCANCEL;
  }
  for (const Button& button : buttons) {
    if (button.answer == IDOK || button.answer == IDNO) return button.answer;
  }
  return buttons.back().answer;
}

GtkMessageType IconOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
      return GTK_MESSAGE_ERROR;
    case MB_ICONQUESTION:
      return GTK_MESSAGE_QUESTION;
    case MB_ICONEXCLAMATION:
      return GTK_MESSAGE_WARNING;
    case MB_ICONASTERISK:
      return GTK_MESSAGE_INFO;
    default:
      return GTK_MESSAGE_OTHER;
  }
}

int ShowWithGtk(const std::string& text, const std::string& caption, UINT type) {
  const std::vector<Button> buttons = ButtonsOf(type);
  GtkWidget* dialog =
      gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, IconOf(type), GTK_BUTTONS_NONE, "%s", text.c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  for (const Button& button : buttons) {
    gtk_dialog_add_button(GTK_DIALOG(dialog), button.label, button.answer);
  }
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), buttons.front().answer);
  standin::SetWaitingInModalBox(true);
  const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
  standin::SetWaitingInModalBox(false);
  gtk_widget_destroy(dialog);
  while (gtk_events_pending()) gtk_main_iteration();
  return response > 0 ? response : CloseAnswer(buttons);
}

}  // namespace

int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  const std::string body = standin::Cp932ToUtf8(text != nullptr ? text : "");
  const std::string title = standin::Cp932ToUtf8(caption != nullptr ? caption : "Error");
  if (standin::GtkAvailable()) return ShowWithGtk(body, title, type);
  std::fprintf(stderr, "%s: %s\n", title.c_str(), body.c_str());
  return ButtonsOf(type).front().answer;
}
