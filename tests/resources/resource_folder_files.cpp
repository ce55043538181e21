#include "resource_folder_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

std::vector<uint8_t> ReadResourceFolderFile(const std::string& name) {
  std::ifstream in(std::string(ORBELUNE_RESOURCES_DIR) + "/" + name, std::ios::binary);
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (bytes.empty()) ADD_FAILURE() << "cannot read resources/" << name;
  return bytes;
}

DecodedPicture DecodePicture(const std::vector<uint8_t>& file) {
  DecodedImage image = EmptyDecodedImage();
  HRESULT hr = DecodeImage(file.data(), static_cast<UINT>(file.size()), &image, nullptr);
  if (FAILED(hr)) {
    ADD_FAILURE() << "DecodeImage failed with " << std::hex << hr;
    return {};
  }
  DecodedPicture picture{image.format, image.width, image.height, {}};
  if (image.format != ImagePixelFormat::A8R8G8B8 && image.format != ImagePixelFormat::X8R8G8B8) {
    ADD_FAILURE() << "decoded format " << image.format << " is not a 32-bit one";
  } else {
    const size_t rowBytes = static_cast<size_t>(image.width) * 4;
    picture.pixels.resize(rowBytes * image.height);
    for (UINT y = 0; y < image.height; ++y) {
      std::memcpy(&picture.pixels[y * rowBytes], image.pixels + static_cast<size_t>(y) * image.rowPitch, rowBytes);
    }
  }
  FreeDecodedImage(&image);
  return picture;
}
