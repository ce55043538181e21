#include "frame_picture.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

Picture ReadRenderTarget(IDirect3DDevice9* device) {
  Picture picture;
  IDirect3DSurface9* target = nullptr;
  if (FAILED(device->GetRenderTarget(0, &target))) return picture;
  D3DSURFACE_DESC description{};
  target->GetDesc(&description);
  IDirect3DSurface9* copy = nullptr;
  if (SUCCEEDED(device->CreateOffscreenPlainSurface(description.Width, description.Height, description.Format,
                                                    D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
      SUCCEEDED(device->GetRenderTargetData(target, copy))) {
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
      picture.width = static_cast<int>(description.Width);
      picture.height = static_cast<int>(description.Height);
      for (int y = 0; y < picture.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                            static_cast<size_t>(y) * locked.Pitch);
        for (int x = 0; x < picture.width; ++x) picture.pixels.push_back(row[x] & 0xFFFFFF);
      }
      copy->UnlockRect();
    }
  }
  if (copy != nullptr) copy->Release();
  target->Release();
  return picture;
}

void FillRenderTarget(IDirect3DDevice9* device, D3DCOLOR colour) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
}

int PixelsDifferingBy(const Picture& a, const Picture& b, int levels) {
  int differing = 0;
  for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i) {
    for (int shift : {0, 8, 16}) {
      const int first = static_cast<int>((a.pixels[i] >> shift) & 0xFF);
      const int second = static_cast<int>((b.pixels[i] >> shift) & 0xFF);
      if (std::abs(first - second) > levels) {
        ++differing;
        break;
      }
    }
  }
  return differing;
}

bool IsUniform(const Picture& picture, uint32_t rgb) {
  return !picture.pixels.empty() &&
         std::all_of(picture.pixels.begin(), picture.pixels.end(), [rgb](uint32_t pixel) { return pixel == rgb; });
}

bool WritePpm(const std::string& path, const Picture& picture) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << picture.width << " " << picture.height << "\n255\n";
  for (uint32_t pixel : picture.pixels) {
    const char rgb[3] = {static_cast<char>(pixel >> 16), static_cast<char>(pixel >> 8), static_cast<char>(pixel)};
    out.write(rgb, 3);
  }
  return static_cast<bool>(out);
}

Picture ReadPpm(const std::string& path) {
  Picture picture;
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maximum = 0;
  in >> magic >> picture.width >> picture.height >> maximum;
  in.get();
  if (!in || magic != "P6" || maximum != 255 || picture.width <= 0 || picture.height <= 0) return {};
  std::vector<unsigned char> bytes(static_cast<size_t>(picture.width) * picture.height * 3);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in) return {};
  for (size_t i = 0; i < bytes.size(); i += 3) {
    picture.pixels.push_back(static_cast<uint32_t>(bytes[i]) << 16 | bytes[i + 1] << 8 | bytes[i + 2]);
  }
  return picture;
}
