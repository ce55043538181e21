// orbelune-tool image FILE [--out OUT.bmp]: decodes an image the way the saver does at start
// (so that damaged pixels are refused, not only a damaged header) and prints its measurements;
// with --out, converts its first level to 32-bit ARGB and saves that as a BMP file.
#include <cstdio>
#include <cstring>
#include <vector>

#include "gfxsupport/images/image_decoding.h"
#include "gfxsupport/read_failure.h"
#include "gfxsupport/textures/pixel_format_table.h"
#include "gfxsupport/textures/surface_saving.h"
#include "gfxsupport/textures/texture_loading.h"
#include "tool/commands.h"
#include "tool/failure_report.h"
#include "tool/input_file.h"
#include "tool/memory_surface.h"

namespace {

const char* FileFormatName(DWORD format) {
  static const char* const kNames[] = {"BMP", "JPEG", "TGA", "PNG", "DDS", "PPM", "DIB", "HDR", "PFM"};
  return format < std::size(kNames) ? kNames[format] : "unknown";
}

const char* ResourceTypeName(DWORD type) {
  switch (type) {
    case ImageResourceType::Texture:
      return "texture";
    case ImageResourceType::VolumeTexture:
      return "volume texture";
    case ImageResourceType::CubeTexture:
      return "cube texture";
    default:
      return "unknown";
  }
}

// Why decoding (or converting what was decoded) failed: the reader's own reason where it gave
// one, else what the result code says. The tool hands the readers every file it could read,
// so a call they refuse outright means a file of no bytes.
const char* DecodingFailure(HRESULT result) {
  if (result == D3DERR_INVALIDCALL) return "the file is empty";
  if (*LastReadFailure() != '\0') return LastReadFailure();
  if (result == ErrInvalidData) return "not an image of a known format, or a damaged one";
  if (result == D3DERR_NOTAVAILABLE) return "a kind of image the saver cannot use";
  if (result == E_OUTOFMEMORY) return "out of memory";
  if (result == E_NOTIMPL) return "a variant of the format that is not read";
  return "the image could not be decoded";
}

// Why writing the BMP file failed, for each result SaveSurfaceToFile gives.
const char* WritingFailure(HRESULT result) {
  if (result == ErrInvalidData) return "the file cannot be created (is there such a folder, and may it be written?)";
  if (result == E_FAIL) return "writing the file failed (is the disk full?)";
  if (result == E_OUTOFMEMORY) return "out of memory";
  return "the picture cannot be written as BMP";
}

int WriteConverted(const char* path, const DecodedImage& image, const char* outPath) {
  const ImageBox& box = image.sourceBox;
  const RECT sourceRect{static_cast<LONG>(box.left), static_cast<LONG>(box.top), static_cast<LONG>(box.right),
                        static_cast<LONG>(box.bottom)};
  MemorySurface surface(D3DFMT_A8R8G8B8, box.right - box.left, box.bottom - box.top);
  HRESULT result = LoadSurfaceFromMemory(&surface, nullptr, nullptr, image.pixels, static_cast<D3DFORMAT>(image.format),
                                         image.rowPitch, image.palette, &sourceRect, FilterNone, 0);
  if (FAILED(result)) return ReportFailure("convert to 32-bit ARGB", path, DecodingFailure(result), result);
  result = SaveSurfaceToFile(outPath, ImageFileFormatBmp, &surface, nullptr, nullptr);
  if (FAILED(result)) return ReportFailure("write", outPath, WritingFailure(result), result);
  std::printf("written:       %s\n", outPath);
  return 0;
}

}  // namespace

int RunImageCommand(int argc, char** argv) {
  const char* path = nullptr;
  const char* outPath = nullptr;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--out") == 0) {
      if (i + 1 == argc) return ReportUsageError(kImageUsage, "--out needs a file name");
      outPath = argv[++i];
    } else if (path == nullptr && argv[i][0] != '-') {
      path = argv[i];
    } else {
      return ReportUsageError(kImageUsage, "unexpected argument", argv[i]);
    }
  }
  if (path == nullptr) return ReportUsageError(kImageUsage, "the image FILE is missing");

  std::vector<BYTE> bytes;
  if (!ReadInputFile(path, &bytes)) return 1;
  if (bytes.size() > 0xFFFFFFFFu) return ReportFailure("decode", path, "larger than 4 GiB");
  DecodedImage image = EmptyDecodedImage();
  ImageInfo info{};
  const HRESULT result = DecodeImage(bytes.data(), static_cast<UINT>(bytes.size()), &image, &info);
  if (FAILED(result)) return ReportFailure("decode", path, DecodingFailure(result), result);
  std::printf("file:          %s\n", path);
  std::printf("width:         %u\n", info.width);
  std::printf("height:        %u\n", info.height);
  std::printf("depth:         %u\n", info.depth);
  std::printf("levels:        %u\n", info.mipLevels);
  std::printf("format:        %u (D3DFMT_%s)\n", static_cast<unsigned>(info.format),
              PixelFormatName(static_cast<D3DFORMAT>(info.format)));
  std::printf("resource type: %u (%s)\n", static_cast<unsigned>(info.resourceType),
              ResourceTypeName(info.resourceType));
  std::printf("file format:   %u (%s)\n", static_cast<unsigned>(info.fileFormat), FileFormatName(info.fileFormat));
  const int exitCode = outPath == nullptr ? 0 : WriteConverted(path, image, outPath);
  FreeDecodedImage(&image);
  return exitCode;
}
