// Image recognition and decoding: finds image bytes in the executable's resources or in a
// file, recognises one of nine file formats and either measures the image (ImageInfo) or
// decodes it into a DecodedImage that texture creation converts further.
//
// Recognisers are tried in a fixed order on the whole buffer: BMP, PPM, DDS, JPEG, PNG, PFM,
// HDR, TGA, DIB. The first that accepts the data wins. Every operation returns an HRESULT:
// 0 on success, negative on failure; output records are written only on success.
#pragma once

#include "winapi.h"

// Result codes of the image operations besides the platform's own (E_FAIL, E_OUTOFMEMORY).
// The values are those of the Direct3D family of codes; the names are ours so that this
// header needs nothing of the Direct3D headers.
constexpr HRESULT ErrInvalidData = static_cast<HRESULT>(0x88760B59u);  // not recognised / not found
constexpr HRESULT ErrInvalidCall = static_cast<HRESULT>(0x8876086Cu);  // == D3DERR_INVALIDCALL

// Which recogniser accepted the data. The numbers are stored and reported; never renumber.
enum ImageFileFormat : DWORD {
  ImageFileFormatBmp = 0,
  ImageFileFormatJpeg = 1,
  ImageFileFormatTga = 2,
  ImageFileFormatPng = 3,
  ImageFileFormatDds = 4,
  ImageFileFormatPpm = 5,
  ImageFileFormatDib = 6,
  ImageFileFormatHdr = 7,
  ImageFileFormatPfm = 8,
};

// Pixel formats the decoders produce, as Direct3D format numbers (D3DFORMAT values).
// Declared here as plain numbers so that the decoder does not depend on the Direct3D headers;
// they compare equal to the D3DFMT_ constants of the same names. Whatever a file holds is
// decoded into one of these (or one of the two formats below).
namespace ImagePixelFormat {
constexpr DWORD R8G8B8 = 20;
constexpr DWORD A8R8G8B8 = 21;
constexpr DWORD X8R8G8B8 = 22;
constexpr DWORD X1R5G5B5 = 24;
constexpr DWORD A1R5G5B5 = 25;
constexpr DWORD R3G3B2 = 27;
constexpr DWORD A16B16G16R16 = 36;
constexpr DWORD A8P8 = 40;
constexpr DWORD P8 = 41;
constexpr DWORD L8 = 50;
constexpr DWORD A8L8 = 51;
constexpr DWORD L16 = 81;

// Four-character codes, first character in the lowest byte (MAKEFOURCC).
constexpr DWORD FourCC(char a, char b, char c, char d) {
  return static_cast<DWORD>(static_cast<BYTE>(a)) | (static_cast<DWORD>(static_cast<BYTE>(b)) << 8) |
         (static_cast<DWORD>(static_cast<BYTE>(c)) << 16) | (static_cast<DWORD>(static_cast<BYTE>(d)) << 24);
}
}  // namespace ImagePixelFormat

// Two 16-bit formats that only the decoder produces (PNG of 16 bits per sample); they never
// reach the device. ImageInfo reports them as A8L8 and A16B16G16R16.
constexpr DWORD FormatAL16 = ImagePixelFormat::FourCC('A', 'L', '1', '6');  // 16-bit L, then 16-bit A
constexpr DWORD FormatR16 = ImagePixelFormat::FourCC(' ', 'R', '1', '6');   // 16-bit B, G, R
// Byte order in memory: every sample little-endian; FormatAL16 holds L then A; FormatR16 holds
// blue, green, red (the order of R8G8B8, widened); A16B16G16R16 holds red, green, blue, alpha.

// Direct3D resource types (D3DRESOURCETYPE values) an image can describe.
namespace ImageResourceType {
constexpr DWORD Texture = 3;        // every 2-D image
constexpr DWORD VolumeTexture = 4;  // a DDS volume: depth slices
constexpr DWORD CubeTexture = 5;    // a DDS cube map: six faces
}  // namespace ImageResourceType

// What the information operations report. All fields are 32-bit unsigned numbers.
struct ImageInfo {
  UINT width;
  UINT height;
  UINT depth;      // slices; 1 for every 2-D image and cube map
  UINT mipLevels;  // levels the file itself holds
  DWORD format;    // D3DFORMAT number of the decoded pixels, FormatAL16/FormatR16 mapped
  DWORD resourceType;
  ImageFileFormat fileFormat;
};

// One palette entry, byte order red, green, blue, alpha (the layout of PALETTEENTRY).
struct ImagePaletteEntry {
  BYTE red;
  BYTE green;
  BYTE blue;
  BYTE alpha;
};

// A box of pixels: [left, right) x [top, bottom) x [front, back).
struct ImageBox {
  UINT left;
  UINT top;
  UINT right;
  UINT bottom;
  UINT front;
  UINT back;
};

// The result of one decode: one level of one face, linked to the smaller levels of the same
// face (nextLevel) and, for a cube map, to the next face (nextFace, on level 0 of each face;
// faces in the order +X, -X, +Y, -Y, +Z, -Z).
//
// A volume keeps its slices one after another, slicePitch bytes apart, in one pixel block.
// Cube maps and volumes are measured like any image (resourceType says which they are), so a
// user may pick one as the object image; the 2-D object texture then shows the cube map's
// first face (+X) and the volume's first slice, each with its own mip levels.
//
// Decoded formats worth knowing: DXT1 to DXT5 blocks become A8R8G8B8 (DXT2 and DXT4 are stored
// premultiplied; their colour is divided back by alpha); DDS layouts that are not one of the
// formats above are converted to A8R8G8B8, X8R8G8B8 or A16B16G16R16. HDR and colour PFM
// become A16B16G16R16 (alpha 0xFFFF) and grey PFM L16: linear values as the file stores them,
// clamped to 0..1 and scaled to 0..65535.
struct DecodedImage {
  DWORD format;  // a D3DFORMAT number, or FormatAL16 / FormatR16
  const BYTE* pixels;
  bool ownsPixels;                   // false when pixels point straight into the caller's input
  const ImagePaletteEntry* palette;  // 256 entries, or none
  bool ownsPalette;
  UINT width;
  UINT height;
  UINT depth;
  ImageBox sourceBox;
  UINT rowPitch;    // bytes from one row to the next
  UINT slicePitch;  // bytes from one slice to the next
  DecodedImage* nextLevel;
  DecodedImage* nextFace;
  bool decodePixels;  // false: the recogniser only read the header
  DWORD resourceType;
  ImageFileFormat fileFormat;
};

// An empty record (everything 0 or none, resource type Texture).
DecodedImage EmptyDecodedImage();

// Frees what the record owns (pixels, palette, further levels and faces) and empties it.
// Safe on an empty record.
void FreeDecodedImage(DecodedImage* image);

// Number of levels in the image's own chain: 1 plus the levels linked by nextLevel.
UINT CountDecodedLevels(const DecodedImage& image);

// The resource's bytes, used in place: looked up first as a bitmap (RT_BITMAP), then as raw
// data (RT_RCDATA). module none means the executable. ErrInvalidData when neither exists,
// when it is empty or cannot be loaded.
HRESULT FindResourceData(HMODULE module, UINT id, const void** data, UINT* size);

// Measures an image without decoding its pixels.
HRESULT GetImageInfoFromMemory(const void* data, UINT size, ImageInfo* info);
HRESULT GetImageInfoFromFile(LPCSTR path, ImageInfo* info);
HRESULT GetImageInfoFromResource(HMODULE module, UINT id, ImageInfo* info);

// Decodes an image. On success *image holds the pixels (the caller frees it with
// FreeDecodedImage; its pixels may point into data, which must then outlive it) and *info,
// when given, the measurements.
HRESULT DecodeImage(const void* data, UINT size, DecodedImage* image, ImageInfo* info);
