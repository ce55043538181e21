// A PNG file whose every pixel is zero, deflated row by row: an image of a gigabyte takes a
// megabyte of file and about a second to make, the fixture for a decompression bomb.
#pragma once

#include <cstdint>
#include <string>

// Writes the PNG to `path`; 8-bit samples of colour type `colourType` (0 grey, 2 RGB, 4 grey
// with alpha, 6 RGBA). False when the file cannot be written.
bool WriteBlankPng(const std::string& path, uint32_t width, uint32_t height, int colourType);
