// Result codes of the X-file reader and the mesh loader, beyond the platform's own.
#pragma once

#include "winapi.h"

// The data is not an X file, or its format word is none of "txt ", "bin ", "tzip", "bzip".
constexpr HRESULT ErrXFileBadType = static_cast<HRESULT>(0x8876038CL);
// The version field is neither "0302" nor "0303".
constexpr HRESULT ErrXFileBadVersion = static_cast<HRESULT>(0x8876038DL);
// The float size field is neither "0032" nor "0064".
constexpr HRESULT ErrXFileBadFloatSize = static_cast<HRESULT>(0x8876038EL);
// A Mesh object left no triangle or no vertex to build from; the loader skips such meshes.
constexpr HRESULT ErrMeshHasNoData = static_cast<HRESULT>(0x88760B5AL);
