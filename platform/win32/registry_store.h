// The registry file on disk: where it lives, reading it, and changing it safely.
#pragma once

#include <functional>
#include <string>

#include "registry_document.h"
#include "win32_types.h"

// $ORBELUNE_REGISTRY, else $XDG_CONFIG_HOME/orbelune/registry.reg, else
// ~/.config/orbelune/registry.reg. Looked up at every access, so tests can point it elsewhere.
std::string RegistryFilePath();

// Reads the file without taking the lock: changes replace the file in one rename, so a reader
// sees the old or the new contents, never a mixture. A missing file is an empty document.
// Returns ERROR_SUCCESS, or ERROR_CANTREAD when the file exists but cannot be read.
LONG ReadRegistryFile(RegistryDocument* document);

// Under the lock: reads the file, lets `change` edit the contents (it returns false when it
// changed nothing, or sets *status and returns false to refuse), writes a temporary file,
// flushes it and renames it over the old one. A damaged original is kept aside first, as
// "<file>.damaged-<time>", since the rewrite drops what could not be read.
LONG ChangeRegistryFile(const std::function<bool(RegistryDocument&, LONG* status)>& change);
