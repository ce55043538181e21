// The one internal interface between the dialog stand-in and whatever shows dialogs and the
// common choosers. Two backends fill it in: GTK 3 (dialog_gtk.cpp, choosers_gtk.cpp) where
// there is a display, and a headless one (dialog_headless.cpp) that runs the same dialog
// procedures without a display, driven by the tests (dialog_control.h).
// The control model (dialog_model.h) owns the dialogs; a backend only shows them and reports
// what the user does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dialog_model.h"
#include "win32_types.h"

namespace standin {

struct FileFilter {
  std::string nameUtf8;
  std::vector<std::string> patterns;  // "*.jpg" and the like
};

class DialogBackend {
 public:
  virtual ~DialogBackend() = default;

  // Pixels per dialog unit for the template's font.
  virtual DialogUnits UnitsFor(const DialogTemplate& layout) = 0;
  // Shows the dialog and runs it until the model says it has ended; then hides it.
  virtual void Run(Dialog& dialog) = 0;
  // The model changed (texts, checks, positions, pictures): show it as it is now.
  virtual void Refresh(Dialog& dialog) = 0;

  // True when the user confirmed a colour, which is then in *colour (COLORREF).
  virtual bool ChooseColour(HWND owner, COLORREF* colour) = 0;
  // True when the user chose a file, whose path (as the file system names it) is in *path.
  virtual bool ChooseFile(HWND owner, const std::string& titleUtf8, const std::vector<FileFilter>& filters,
                          size_t firstFilter, std::string* path) = 0;
};

// The backend chosen at first use: headless when the display is headless or GTK cannot open
// the display, GTK 3 otherwise.
DialogBackend& Dialogs();

std::unique_ptr<DialogBackend> CreateHeadlessDialogs();
// Null when GTK cannot open a display.
std::unique_ptr<DialogBackend> CreateGtkDialogs();

}  // namespace standin
