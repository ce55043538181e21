// SaveSurfaceToFile: a rectangle of a surface, converted where the file cannot hold the
// surface's format, written as a BMP file.
#include "gfxsupport/textures/surface_saving.h"

#include <clocale>
#include <string>
#include <vector>

#include "gfxsupport/textures/bmp_writer.h"
#include "gfxsupport/textures/pixel_conversion.h"
#include "gfxsupport/textures/pixel_format_table.h"

using namespace gfx::textures;

namespace {

// Locks a surface for reading and unlocks it when done.
class SurfaceReadLock {
 public:
  SurfaceReadLock(IDirect3DSurface9* surface, const RECT* rect) : surface_(surface) {
    result_ = surface->LockRect(&locked_, rect, D3DLOCK_READONLY);
  }
  ~SurfaceReadLock() {
    if (SUCCEEDED(result_)) surface_->UnlockRect();
  }
  HRESULT Result() const { return result_; }
  const D3DLOCKED_RECT& Locked() const { return locked_; }

 private:
  IDirect3DSurface9* surface_;
  D3DLOCKED_RECT locked_{};
  HRESULT result_;
};

// The numeric locale is "C" while a file is written, and what it was afterwards.
class NumericLocaleC {
 public:
  NumericLocaleC() {
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    if (current != nullptr && std::string(current) != "C") {
      saved_ = current;
      std::setlocale(LC_NUMERIC, "C");
    }
  }
  ~NumericLocaleC() {
    if (!saved_.empty()) std::setlocale(LC_NUMERIC, saved_.c_str());
  }

 private:
  std::string saved_;
};

bool RectangleInside(const RECT& rect, UINT width, UINT height) {
  return rect.left >= 0 && rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom &&
         static_cast<UINT>(rect.right) <= width && static_cast<UINT>(rect.bottom) <= height;
}

// The format the file stores: the surface's own when a BMP holds it, else the best match.
D3DFORMAT ChooseFileFormat(D3DFORMAT surfaceFormat) {
  const std::span<const D3DFORMAT> writable = BmpWritableFormats();
  for (D3DFORMAT format : writable) {
    if (format == surfaceFormat) return format;
  }
  const PixelFormatDescriptor* descriptor = FindPixelFormat(surfaceFormat);
  if (descriptor == nullptr) return D3DFMT_UNKNOWN;
  return ChooseBestFormat(RequestFor(*descriptor), writable, [](D3DFORMAT) { return true; });
}

HRESULT WriteWholeFile(LPCSTR path, const std::vector<BYTE>& bytes) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ErrInvalidData;
  NumericLocaleC locale;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size() ? S_OK : E_FAIL;
}

}  // namespace

HRESULT SaveSurfaceToFile(LPCSTR path, DWORD fileFormat, IDirect3DSurface9* surface, const ImagePaletteEntry* palette,
                          const RECT* rect) {
  if (path == nullptr || surface == nullptr) return D3DERR_INVALIDCALL;
  if (fileFormat == ImageFileFormatPpm || fileFormat > ImageFileFormatPfm) return D3DERR_INVALIDCALL;
  // Only BMP (and DIB, which is written the same way) have writers here.
  if (fileFormat != ImageFileFormatBmp && fileFormat != ImageFileFormatDib) return E_NOTIMPL;

  D3DSURFACE_DESC description{};
  HRESULT result = surface->GetDesc(&description);
  if (FAILED(result)) return result;
  const RECT whole{0, 0, static_cast<LONG>(description.Width), static_cast<LONG>(description.Height)};
  const RECT area = rect != nullptr ? *rect : whole;
  if (!RectangleInside(area, description.Width, description.Height)) return D3DERR_INVALIDCALL;
  // An empty rectangle would make a BMP no reader accepts.
  if (area.left == area.right || area.top == area.bottom) return D3DERR_INVALIDCALL;

  const D3DFORMAT stored = ChooseFileFormat(description.Format);
  if (stored == D3DFMT_UNKNOWN) return D3DERR_INVALIDCALL;
  const PixelFormatDescriptor* surfaceDescriptor = FindPixelFormat(description.Format);
  if (surfaceDescriptor != nullptr && surfaceDescriptor->layout == PixelLayout::PaletteIndex && palette == nullptr)
    return D3DERR_INVALIDCALL;

  SurfaceReadLock lock(surface, rect != nullptr ? &area : nullptr);
  if (FAILED(lock.Result())) return lock.Result();
  SourceBlock pixels;
  pixels.format = description.Format;
  pixels.width = static_cast<uint32_t>(area.right - area.left);
  pixels.height = static_cast<uint32_t>(area.bottom - area.top);
  pixels.rowPitch = static_cast<size_t>(lock.Locked().Pitch);
  pixels.palette = palette;
  pixels.data = static_cast<const BYTE*>(lock.Locked().pBits);

  std::vector<BYTE> converted;
  SourceBlock fileBlock = pixels;
  std::vector<BYTE> file;
  try {
    if (stored != description.Format) {
      const PixelFormatDescriptor* storedDescriptor = FindPixelFormat(stored);
      DestinationBlock target;
      target.format = stored;
      target.width = pixels.width;
      target.height = pixels.height;
      target.rowPitch = size_t{pixels.width} * storedDescriptor->BytesPerPixel();
      converted.resize(target.rowPitch * pixels.height);
      target.data = converted.data();
      result = ConvertPixelBlock(target, pixels, FilterNone | FilterDither, 0);
      if (FAILED(result)) return result;
      fileBlock.format = stored;
      fileBlock.rowPitch = target.rowPitch;
      fileBlock.data = converted.data();
      fileBlock.palette = nullptr;
    }
    result = BuildBmpFile(fileBlock, &file);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  if (FAILED(result)) return result;
  return WriteWholeFile(path, file);
}
