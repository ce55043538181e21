// orbelune-tool image FILE [--out OUT.bmp]: measures an image the way the saver does and, with
// --out, decodes it, converts its first level to 32-bit ARGB and saves that as a BMP file.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gfxsupport/image_decoding.h"
#include "gfxsupport/pixel_format_table.h"
#include "gfxsupport/surface_saving.h"
#include "gfxsupport/texture_loading.h"
#include "tool/commands.h"
#include "tool/memory_surface.h"

namespace {

const char* FileFormatName(DWORD format) {
  static const char* const kNames[] = {"BMP", "JPEG", "TGA", "PNG", "DDS",
                                       "PPM", "DIB",  "HDR", "PFM"};
  return format < std::size(kNames) ? kNames[format] : "unknown";
}

const char* ResourceTypeName(DWORD type) {
  switch (type) {
    case ImageResourceType::Texture: return "texture";
    case ImageResourceType::VolumeTexture: return "volume texture";
    case ImageResourceType::CubeTexture: return "cube texture";
    default: return "unknown";
  }
}

const char* ResultMeaning(HRESULT result) {
  if (result == ErrInvalidData) return "the file cannot be read or is not an image of a known format";
  if (result == D3DERR_INVALIDCALL) return "invalid call: the file is empty or an argument is wrong";
  if (result == D3DERR_NOTAVAILABLE) return "not available";
  if (result == E_OUTOFMEMORY) return "out of memory";
  if (result == E_NOTIMPL) return "not implemented";
  if (result == E_FAIL) return "the image could not be decoded";
  return "failure";
}

int Fail(const char* what, const char* file, HRESULT result) {
  std::fprintf(stderr, "orbelune-tool: %s %s: error 0x%08X (%s)\n", what, file,
               static_cast<unsigned>(result), ResultMeaning(result));
  return 1;
}

// Reads a whole file; false when it cannot be read.
bool ReadWholeFile(const char* path, std::vector<BYTE>* bytes) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  BYTE buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes->insert(bytes->end(), buffer, buffer + count);
  }
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

int WriteConverted(const char* path, const char* outPath) {
  std::vector<BYTE> bytes;
  if (!ReadWholeFile(path, &bytes)) return Fail("cannot read", path, ErrInvalidData);
  if (bytes.size() > 0xFFFFFFFFu) return Fail("cannot decode", path, E_OUTOFMEMORY);
  DecodedImage image = EmptyDecodedImage();
  HRESULT result = DecodeImage(bytes.data(), static_cast<UINT>(bytes.size()), &image, nullptr);
  if (FAILED(result)) return Fail("cannot decode", path, result);
  const ImageBox& box = image.sourceBox;
  const RECT sourceRect{static_cast<LONG>(box.left), static_cast<LONG>(box.top),
                        static_cast<LONG>(box.right), static_cast<LONG>(box.bottom)};
  MemorySurface surface(D3DFMT_A8R8G8B8, box.right - box.left, box.bottom - box.top);
  result = LoadSurfaceFromMemory(&surface, nullptr, nullptr, image.pixels,
                                 static_cast<D3DFORMAT>(image.format), image.rowPitch,
                                 image.palette, &sourceRect, FilterNone, 0);
  FreeDecodedImage(&image);
  if (FAILED(result)) return Fail("cannot convert", path, result);
  result = SaveSurfaceToFile(outPath, ImageFileFormatBmp, &surface, nullptr, nullptr);
  if (FAILED(result)) return Fail("cannot write", outPath, result);
  std::printf("written:       %s\n", outPath);
  return 0;
}

}  // namespace

int RunImageCommand(int argc, char** argv) {
  const char* path = nullptr;
  const char* outPath = nullptr;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
      outPath = argv[++i];
    } else if (path == nullptr && argv[i][0] != '-') {
      path = argv[i];
    } else {
      std::fprintf(stderr, "usage: orbelune-tool image FILE [--out OUT.bmp]\n");
      return 2;
    }
  }
  if (path == nullptr) {
    std::fprintf(stderr, "usage: orbelune-tool image FILE [--out OUT.bmp]\n");
    return 2;
  }

  ImageInfo info{};
  const HRESULT result = GetImageInfoFromFile(path, &info);
  if (FAILED(result)) return Fail("cannot read", path, result);
  std::printf("file:          %s\n", path);
  std::printf("width:         %u\n", info.width);
  std::printf("height:        %u\n", info.height);
  std::printf("depth:         %u\n", info.depth);
  std::printf("levels:        %u\n", info.mipLevels);
  std::printf("format:        %u (D3DFMT_%s)\n", static_cast<unsigned>(info.format),
              PixelFormatName(static_cast<D3DFORMAT>(info.format)));
  std::printf("resource type: %u (%s)\n", static_cast<unsigned>(info.resourceType),
              ResourceTypeName(info.resourceType));
  std::printf("file format:   %u (%s)\n", static_cast<unsigned>(info.fileFormat),
              FileFormatName(info.fileFormat));
  if (outPath == nullptr) return 0;
  return WriteConverted(path, outPath);
}
