#include "windows_image_files.h"

namespace {

void PutWord(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutDword(std::vector<uint8_t>& out, uint32_t value) {
  PutWord(out, value & 0xFFFF);
  PutWord(out, value >> 16);
}

uint32_t RowBytes(int width, int bitsPerPixel) { return ((static_cast<uint32_t>(width) * bitsPerPixel + 31) / 32) * 4; }

void PutInfoHeader(std::vector<uint8_t>& out, int width, int height, int bitsPerPixel, uint32_t imageBytes) {
  PutDword(out, 40);
  PutDword(out, static_cast<uint32_t>(width));
  PutDword(out, static_cast<uint32_t>(height));
  PutWord(out, 1);
  PutWord(out, static_cast<uint32_t>(bitsPerPixel));
  PutDword(out, 0);  // BI_RGB
  PutDword(out, imageBytes);
  PutDword(out, 2835);  // 72 dots per inch
  PutDword(out, 2835);
  PutDword(out, 0);
  PutDword(out, 0);
}

std::vector<uint8_t> IconImage(const RgbaImage& image) {
  std::vector<uint8_t> out;
  uint32_t colourRow = RowBytes(image.width, 32);
  uint32_t maskRow = RowBytes(image.width, 1);
  // An icon's DIB counts the colour image and the mask below it as one picture twice as high.
  PutInfoHeader(out, image.width, image.height * 2, 32, (colourRow + maskRow) * image.height);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* pixel = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
      out.insert(out.end(), {pixel[2], pixel[1], pixel[0], pixel[3]});
    }
  }
  for (int y = image.height - 1; y >= 0; --y) {
    std::vector<uint8_t> row(maskRow, 0);
    for (int x = 0; x < image.width; ++x) {
      bool transparent = image.rgba[(static_cast<size_t>(y) * image.width + x) * 4 + 3] == 0;
      if (transparent) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

std::vector<uint8_t> EncodeBmp24(const RgbImage& image) {
  uint32_t rowBytes = RowBytes(image.width, 24);
  uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(image.height);
  std::vector<uint8_t> out{'B', 'M'};
  PutDword(out, 14 + 40 + pixelBytes);
  PutDword(out, 0);
  PutDword(out, 14 + 40);
  PutInfoHeader(out, image.width, image.height, 24, pixelBytes);
  for (int y = image.height - 1; y >= 0; --y) {
    size_t rowStart = out.size();
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* pixel = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
      out.insert(out.end(), {pixel[2], pixel[1], pixel[0]});
    }
    out.resize(rowStart + rowBytes, 0);
  }
  return out;
}

std::vector<uint8_t> EncodeIco32(const std::vector<RgbaImage>& images) {
  std::vector<std::vector<uint8_t>> encoded;
  for (const RgbaImage& image : images) encoded.push_back(IconImage(image));
  std::vector<uint8_t> out;
  PutWord(out, 0);
  PutWord(out, 1);  // icon, not cursor
  PutWord(out, static_cast<uint32_t>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (size_t index = 0; index < images.size(); ++index) {
    // A size of 256 is written as 0.
    out.push_back(static_cast<uint8_t>(images[index].width & 0xFF));
    out.push_back(static_cast<uint8_t>(images[index].height & 0xFF));
    out.push_back(0);  // no palette
    out.push_back(0);
    PutWord(out, 1);   // planes
    PutWord(out, 32);  // bits per pixel
    PutDword(out, static_cast<uint32_t>(encoded[index].size()));
    PutDword(out, offset);
    offset += static_cast<uint32_t>(encoded[index].size());
  }
  for (const std::vector<uint8_t>& image : encoded) out.insert(out.end(), image.begin(), image.end());
  return out;
}
