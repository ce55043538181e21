// Implements: the headless dialog backend and the test controls of dialog_control.h. A dialog
// is shown (activation and painting as on a screen), then its script runs; a dialog still open
// afterwards is closed with its close box, and ended with IDCANCEL if even that leaves it
// open, since nobody could ever close it. Choosers answer through their answer functions.
// Dialog units are those of a 9-point Japanese gothic font at 96 dots per inch.
// Leaves out: showing anything; timing.
#include <memory>
#include <utility>

#include "dialog_backend.h"
#include "dialog.h"
#include "dialog_control.h"
#include "dialog_model.h"
#include "window.h"

namespace {

struct Answers {
  standin::dialogs::Script script;
  standin::dialogs::ColourAnswer colour;
  standin::dialogs::FileAnswer file;
};

Answers& CurrentAnswers() {
  static Answers answers;
  return answers;
}

class HeadlessDialogs : public standin::DialogBackend {
 public:
  standin::DialogUnits UnitsFor(const standin::DialogTemplate&) override { return {6, 12}; }

  void Run(standin::Dialog& dialog) override {
    const HWND handle = dialog.handle;
    standin::ShowDialog(dialog);
    // A copy: the script may open nested dialogs, which run the same script.
    const standin::dialogs::Script script = CurrentAnswers().script;
    if (script && !dialog.ended) script(handle);
    standin::Dialog* still = standin::FindDialog(handle);
    if (still == nullptr || still->ended) return;
    standin::PressCloseBox(*still);
    still = standin::FindDialog(handle);
    if (still != nullptr && !still->ended) {
      still->ended = true;
      still->result = IDCANCEL;
    }
  }

  void Refresh(standin::Dialog&) override {}

  bool ChooseColour(HWND, COLORREF* colour) override {
    const standin::dialogs::ColourAnswer answer = CurrentAnswers().colour;
    return answer ? answer(colour) : false;
  }

  bool ChooseFile(HWND, const std::string&, const std::vector<standin::FileFilter>&, size_t,
                  std::string* path) override {
    const standin::dialogs::FileAnswer answer = CurrentAnswers().file;
    return answer ? answer(path) : false;
  }
};

template <typename Action>
bool WithDialog(HWND handle, Action action) {
  standin::Dialog* dialog = standin::FindDialog(handle);
  if (dialog == nullptr || dialog->ended) return false;
  action(*dialog);
  return true;
}

}  // namespace

namespace standin {

std::unique_ptr<DialogBackend> CreateHeadlessDialogs() { return std::make_unique<HeadlessDialogs>(); }

namespace dialogs {

void SetScript(Script script) { CurrentAnswers().script = std::move(script); }
void SetColourAnswer(ColourAnswer answer) { CurrentAnswers().colour = std::move(answer); }
void SetFileAnswer(FileAnswer answer) { CurrentAnswers().file = std::move(answer); }
void ResetAnswers() { CurrentAnswers() = Answers{}; }

bool Click(HWND handle, int id) {
  standin::Dialog* dialog = standin::FindDialog(handle);
  if (dialog == nullptr || standin::FindControl(*dialog, id) == nullptr) return false;
  return WithDialog(handle, [id](Dialog& open) { ClickControl(open, id); });
}

bool MoveSlider(HWND handle, int id, int position) {
  standin::Dialog* dialog = standin::FindDialog(handle);
  if (dialog == nullptr || standin::FindControl(*dialog, id) == nullptr) return false;
  return WithDialog(handle, [id, position](Dialog& open) { MoveTrackbar(open, id, position); });
}

bool PressEnter(HWND handle) {
  return WithDialog(handle, [](Dialog& open) { standin::PressEnter(open); });
}
bool PressEscape(HWND handle) {
  return WithDialog(handle, [](Dialog& open) { standin::PressEscape(open); });
}
bool PressCloseBox(HWND handle) {
  return WithDialog(handle, [](Dialog& open) { standin::PressCloseBox(open); });
}

std::string Text(HWND handle, int id) {
  standin::Dialog* dialog = standin::FindDialog(handle);
  const DialogControl* control = dialog != nullptr ? FindControl(*dialog, id) : nullptr;
  return control != nullptr ? control->textUtf8 : std::string();
}

std::string Caption(HWND handle) {
  const standin::Dialog* dialog = standin::FindDialog(handle);
  return dialog != nullptr ? dialog->layout.caption : std::string();
}

}  // namespace dialogs
}  // namespace standin
