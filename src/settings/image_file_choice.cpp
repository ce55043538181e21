#include "settings/image_file_choice.h"

#include <cstring>

#include "gfxsupport/images/image_decoding.h"
#include "settings/dialog_texts.h"
#include "settings/settings.h"
#include "japanese_text.h"

namespace {

// Room to notice a path that the setting cannot hold, rather than have the chooser refuse it
// without a word.
constexpr DWORD kChoiceBufferSize = 1024;
constexpr DWORD kBufferTooSmall = 0x3003;  // FNERR_BUFFERTOOSMALL

void Refuse(HWND dialog, const char* text) {
  MessageBoxShiftJis(dialog, text, kOptionsCaption, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

bool ChooseImageFile(HWND dialog, char* fileName) {
  char chosen[kChoiceBufferSize] = "";
  OPENFILENAMEA choice{};
  choice.lStructSize = sizeof choice;
  choice.hwndOwner = dialog;
  choice.lpstrFilter = kImageFileFilter;
  choice.nFilterIndex = 1;
  choice.lpstrFile = chosen;
  choice.nMaxFile = kChoiceBufferSize;
  choice.lpstrTitle = kImageFileChoiceTitle;
  // The saver writes its screenshot into the current folder, so the chooser must not move it.
  choice.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (GetOpenFileNameA(&choice) == 0) {
    if (CommDlgExtendedError() == kBufferTooSmall) Refuse(dialog, kPathTooLongText);
    return false;
  }
  const size_t length = std::strlen(chosen);
  if (length >= kFileNameBufferSize) {
    Refuse(dialog, kPathTooLongText);
    return false;
  }
  ImageInfo info{};
  if (FAILED(GetImageInfoFromFile(chosen, &info))) {
    Refuse(dialog, kUnreadableImageText);
    return false;
  }
  std::memcpy(fileName, chosen, length + 1);
  return true;
}
