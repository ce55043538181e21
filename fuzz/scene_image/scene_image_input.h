// What the scene-image fuzz target checks of one input, shared with the test that replays its
// regressions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes the bytes as the user's image file, sets the scene up with it on the reference device
// (headless display, a 32 x 24 screen, the clock held) and, when that succeeds, draws and
// presents one frame; then releases the scene, as a saver start and end do. A setup that fails
// must leave no texture behind; one that succeeds must have made the object texture and a
// finite quad of positive size. Returns what went wrong, or the empty text.
std::string SceneImageInputProblem(const uint8_t* data, size_t size);
