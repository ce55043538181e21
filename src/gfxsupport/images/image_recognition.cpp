// The recognition run behind GetImageInfoFromMemory and DecodeImage: the kRecognisers in their
// fixed order, with the numeric locale held at "C" while they parse text.
#include <clocale>
#include <cstring>
#include <string>

#include "gfxsupport/images/image_reader.h"
#include "gfxsupport/read_failure.h"

namespace gfx::images {
namespace {

using Recogniser = HRESULT (*)(const BYTE*, size_t, DecodedImage*);

struct NamedRecogniser {
  Recogniser recognise;
  const char* formatName;  // the prefix of its reasons
};

// The order matters: formats with a firm signature first, then the ones recognised by their
// header values alone (TGA, then DIB, which starts with nothing but a header size).
constexpr NamedRecogniser kRecognisers[] = {{RecogniseBmp, "BMP"},   {RecognisePpm, "PPM"}, {RecogniseDds, "DDS"},
                                            {RecogniseJpeg, "JPEG"}, {RecognisePng, "PNG"}, {RecognisePfm, "PFM"},
                                            {RecogniseHdr, "HDR"},   {RecogniseTga, "TGA"}, {RecogniseDib, "DIB"}};

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

// Keeps the first reason of a reader that took the data as its own and then refused it, with
// the format's name in front: that reader knows best what is wrong. Readers that only found
// their signature missing record nothing.
void KeepFirstReason(const NamedRecogniser& recogniser, HRESULT attempt, std::string* reason) {
  if (!reason->empty()) return;
  if (attempt == E_OUTOFMEMORY) {
    *reason = std::string(recogniser.formatName) + ": out of memory for the pixels";
  } else if (HasReadFailure()) {
    *reason = std::string(recogniser.formatName) + ": " + LastReadFailure();
  }
}

HRESULT RunRecognition(const void* data, UINT size, bool decodePixels, DecodedImage* result, ImageInfo* info) {
  if (size == 0) return RefuseWith(ErrInvalidCall, "the data is empty");
  if (data == nullptr) return RefuseWith(ErrInvalidCall, "no data");
  const auto* bytes = static_cast<const BYTE*>(data);

  DecodedImage image = EmptyDecodedImage();
  HRESULT outcome = ErrInvalidData;
  std::string reason;
  {
    NumericLocaleGuard locale;
    for (const NamedRecogniser& recogniser : kRecognisers) {
      image = EmptyDecodedImage();
      image.decodePixels = decodePixels;
      ClearReadFailure();
      const HRESULT attempt = recogniser.recognise(bytes, size, &image);
      if (SUCCEEDED(attempt)) {
        outcome = S_OK;
        break;
      }
      if (attempt == E_OUTOFMEMORY) outcome = E_OUTOFMEMORY;
      KeepFirstReason(recogniser, attempt, &reason);
      FreeDecodedImage(&image);
    }
  }
  if (FAILED(outcome)) {
    if (reason.empty())
      reason = "not an image of a known format (no BMP, DIB, JPEG, PNG, TGA, DDS, PPM, PFM or HDR header)";
    // A file that some recogniser took but could not find memory for is reported as such,
    // not as unrecognised data.
    return RefuseWith(outcome, "%s", reason.c_str());
  }
  ClearReadFailure();

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
