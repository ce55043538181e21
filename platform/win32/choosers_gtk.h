// The GTK 3 colour and file choosers behind ChooseColorA and GetOpenFileNameA. Internal to the
// GTK dialog backend.
#pragma once

#include <string>
#include <vector>

#include "dialog_backend.h"
#include "win32_types.h"

typedef struct _GtkWindow GtkWindow;

namespace standin {

// Both run modally over `parent` (which may be null) and return true when the user confirmed.
bool ChooseColourWithGtk(GtkWindow* parent, COLORREF* colour);
bool ChooseFileWithGtk(GtkWindow* parent, const std::string& titleUtf8, const std::vector<FileFilter>& filters,
                       size_t firstFilter, std::string* path);

}  // namespace standin
