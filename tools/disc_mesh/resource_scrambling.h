// The disc mesh is stored in the program scrambled, so that the resource is not a readable X
// file. The saver unscrambles n bytes as: for every j, take the source byte at n - 1 - j
// (order reversed), complement it (0xFF - s) and rotate it right by 1 + j mod 7 bits.
#pragma once

#include <cstdint>
#include <vector>

// The exact inverse of the saver's unscrambling: the bytes that unscramble to `readable`.
std::vector<uint8_t> ScrambleResource(const std::vector<uint8_t>& readable);
