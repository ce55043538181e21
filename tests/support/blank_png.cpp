#include "blank_png.h"

#include <zlib.h>

#include <cstdio>
#include <vector>

namespace {

void AppendBig32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void AppendChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  AppendBig32(out, static_cast<uint32_t>(data.size()));
  const size_t typeStart = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0, out.data() + typeStart, static_cast<uInt>(out.size() - typeStart));
  AppendBig32(out, static_cast<uint32_t>(crc));
}

int ChannelsOf(int colourType) {
  switch (colourType) {
    case 2:
      return 3;
    case 4:
      return 2;
    case 6:
      return 4;
    default:
      return 1;
  }
}

// Every row is its filter byte 0 and zero samples, so one row fed again and again is the image.
std::vector<uint8_t> DeflatedRows(uint32_t width, uint32_t height, int channels) {
  const std::vector<uint8_t> row(1 + size_t{width} * channels, 0);
  std::vector<uint8_t> out;
  std::vector<uint8_t> buffer(1 << 16);
  z_stream stream{};
  deflateInit(&stream, Z_BEST_SPEED);
  for (uint32_t y = 0; y <= height; ++y) {
    const bool last = y == height;
    stream.next_in = const_cast<Bytef*>(row.data());
    stream.avail_in = last ? 0 : static_cast<uInt>(row.size());
    do {
      stream.next_out = buffer.data();
      stream.avail_out = static_cast<uInt>(buffer.size());
      deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
      out.insert(out.end(), buffer.data(), stream.next_out);
    } while (stream.avail_out == 0);
  }
  deflateEnd(&stream);
  return out;
}

}  // namespace

bool WriteBlankPng(const std::string& path, uint32_t width, uint32_t height, int colourType) {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  AppendBig32(header, width);
  AppendBig32(header, height);
  header.insert(header.end(), {8, static_cast<uint8_t>(colourType), 0, 0, 0});
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "IDAT", DeflatedRows(width, height, ChannelsOf(colourType)));
  AppendChunk(png, "IEND", {});
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
  return std::fclose(file) == 0 && written;
}
