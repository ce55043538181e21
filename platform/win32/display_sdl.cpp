// SDL2 display backend: not written yet; the headless backend stands in everywhere.
#include "display_backend.h"

namespace standin {
std::unique_ptr<DisplayBackend> CreateSdlDisplay() { return nullptr; }
}  // namespace standin
