// Tool control of where the stand-in registry keeps its file. Not part of Win32: only tests
// and tools include this header.
#pragma once

// From now on the registry lives in the file at `path`, as ORBELUNE_REGISTRY=path would have
// it. False when the path is empty or the switch cannot be set.
bool RegistryUseFile(const char* path);
