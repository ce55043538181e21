// The per-user folder for the stand-ins' lock files.
#pragma once

#include <string>

// $XDG_RUNTIME_DIR when it names a folder; otherwise /tmp/orbelune-<uid>, created private to
// the user and refused if someone else owns it. Empty when neither can be used.
std::string UserRuntimeDirectory();
