// The recognition run behind GetImageInfoFromMemory and DecodeImage: the kRecognisers in their
// fixed order, with the numeric locale held at "C" while they parse text.
#include <clocale>
#include <cstring>
#include <string>

#include "gfxsupport/images/image_reader.h"

namespace gfx::images {
namespace {

using Recogniser = HRESULT (*)(const BYTE*, size_t, DecodedImage*);

// The order matters: formats with a firm signature first, then the ones recognised by their
// header values alone (TGA, then DIB, which starts with nothing but a header size).
constexpr Recogniser kRecognisers[] = {RecogniseBmp, RecognisePpm, RecogniseDds, RecogniseJpeg, RecognisePng,
                                       RecognisePfm, RecogniseHdr, RecogniseTga, RecogniseDib};

// Holds LC_NUMERIC at "C" for its lifetime: the text formats read decimal fractions, whose
// separator would otherwise follow the user's locale.
class NumericLocaleGuard {
 public:
  NumericLocaleGuard() {
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    if (current != nullptr && std::strcmp(current, "C") != 0) {
      saved_ = current;
      changed_ = std::setlocale(LC_NUMERIC, "C") != nullptr;
    }
  }
  ~NumericLocaleGuard() {
    if (changed_) std::setlocale(LC_NUMERIC, saved_.c_str());
  }
  NumericLocaleGuard(const NumericLocaleGuard&) = delete;
  NumericLocaleGuard& operator=(const NumericLocaleGuard&) = delete;

 private:
  std::string saved_;
  bool changed_ = false;
};

DWORD ReportedFormat(DWORD format) {
  if (format == FormatAL16) return ImagePixelFormat::A8L8;
  if (format == FormatR16) return ImagePixelFormat::A16B16G16R16;
  return format;
}

void SetFullSourceBoxes(DecodedImage* image) {
  for (DecodedImage* face = image; face != nullptr; face = face->nextFace)
    for (DecodedImage* level = face; level != nullptr; level = level->nextLevel)
      level->sourceBox = ImageBox{0, 0, level->width, level->height, 0, level->depth};
}

HRESULT RunRecognition(const void* data, UINT size, bool decodePixels, DecodedImage* result, ImageInfo* info) {
  if (data == nullptr || size == 0) return ErrInvalidCall;
  const auto* bytes = static_cast<const BYTE*>(data);

  DecodedImage image = EmptyDecodedImage();
  HRESULT outcome = ErrInvalidData;
  bool outOfMemory = false;
  {
    NumericLocaleGuard locale;
    for (Recogniser recognise : kRecognisers) {
      image = EmptyDecodedImage();
      image.decodePixels = decodePixels;
      const HRESULT attempt = recognise(bytes, size, &image);
      if (SUCCEEDED(attempt)) {
        outcome = S_OK;
        break;
      }
      if (attempt == E_OUTOFMEMORY) outOfMemory = true;
      FreeDecodedImage(&image);
    }
  }
  // A file that some recogniser took but could not find memory for is reported as such,
  // not as unrecognised data.
  if (FAILED(outcome)) return outOfMemory ? E_OUTOFMEMORY : ErrInvalidData;

  if (info != nullptr) {
    info->width = image.width;
    info->height = image.height;
    info->depth = image.depth;
    info->mipLevels = CountDecodedLevels(image);
    info->format = ReportedFormat(image.format);
    info->resourceType = image.resourceType;
    info->fileFormat = image.fileFormat;
  }
  SetFullSourceBoxes(&image);
  if (result != nullptr) {
    *result = image;
  } else {
    FreeDecodedImage(&image);
  }
  return S_OK;
}

}  // namespace
}  // namespace gfx::images

HRESULT GetImageInfoFromMemory(const void* data, UINT size, ImageInfo* info) {
  if (data != nullptr && size != 0 && info == nullptr) return S_OK;  // nothing asked for
  return gfx::images::RunRecognition(data, size, false, nullptr, info);
}

HRESULT DecodeImage(const void* data, UINT size, DecodedImage* image, ImageInfo* info) {
  if (image == nullptr) return ErrInvalidCall;
  return gfx::images::RunRecognition(data, size, true, image, info);
}
