#include "bmp_writer.h"

#include <cstdio>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(value & 0xFF);
  out.push_back((value >> 8) & 0xFF);
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

}  // namespace

bool WriteBmp32(const std::string& path, const uint32_t* pixels, int width, int height, size_t pitchBytes) {
  if (width <= 0 || height <= 0) return false;
  constexpr uint32_t kHeaderBytes = 14 + 40;
  uint64_t imageBytes = uint64_t(width) * uint64_t(height) * 4;
  if (imageBytes + kHeaderBytes > 0xFFFFFFFFu) return false;

  std::vector<uint8_t> file;
  file.reserve(kHeaderBytes + imageBytes);
  file.push_back('B');
  file.push_back('M');
  Put32(file, uint32_t(kHeaderBytes + imageBytes));
  Put32(file, 0);
  Put32(file, kHeaderBytes);
  Put32(file, 40);  // BITMAPINFOHEADER
  Put32(file, uint32_t(width));
  Put32(file, uint32_t(height));  // positive: rows stored bottom-up
  Put16(file, 1);
  Put16(file, 32);
  Put32(file, 0);  // BI_RGB
  Put32(file, uint32_t(imageBytes));
  Put32(file, 2835);  // 72 dpi
  Put32(file, 2835);
  Put32(file, 0);
  Put32(file, 0);
  for (int y = height - 1; y >= 0; --y) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(pixels) + y * pitchBytes);
    for (int x = 0; x < width; ++x) Put32(file, row[x]);
  }
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  return std::fclose(out) == 0 && written;
}
