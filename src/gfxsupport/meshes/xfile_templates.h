// The templates every X file may use without declaring them, registered before a file is read.
#pragma once

#include "winapi.h"

namespace gfx::meshes {

class XFileParser;

// Registers the standard set, then the skinning, patch, effect and animation extensions, then
// the vertex-format and progressive-mesh extensions; the first failure is returned.
HRESULT RegisterLoaderTemplates(XFileParser* parser);

}  // namespace gfx::meshes
