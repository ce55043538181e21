// The one adapter of the stand-in and what the reference device on it can do.
// Implements: the display mode, caps and format answers of adapter.h.
// Leaves out: other adapters and device types.
#include "adapter.h"

#include "../win32/display_bridge.h"
#include "format_info.h"
#include "window_services.h"

namespace d3d9 {

bool CurrentDisplayMode(D3DDISPLAYMODE& mode) {
  UINT width = 0;
  UINT height = 0;
  if (!ScreenSize(width, height)) return false;
  mode.Width = width;
  mode.Height = height;
  mode.RefreshRate = static_cast<UINT>(standin::DisplayRefreshRate(nullptr));
  mode.Format = D3DFMT_X8R8G8B8;
  return true;
}

D3DCAPS9 ReferenceDeviceCaps() {
  D3DCAPS9 caps{};
  caps.DeviceType = D3DDEVTYPE_REF;
  caps.AdapterOrdinal = 0;
  caps.Caps2 = D3DCAPS2_DYNAMICTEXTURES;
  caps.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_TWO |
                               D3DPRESENT_INTERVAL_THREE | D3DPRESENT_INTERVAL_FOUR;
  caps.DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY | D3DDEVCAPS_TEXTURESYSTEMMEMORY |
                 D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_CANRENDERAFTERFLIP | D3DDEVCAPS_DRAWPRIMITIVES2 |
                 D3DDEVCAPS_DRAWPRIMITIVES2EX;
  caps.PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW;
  caps.RasterCaps = D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_COLORPERSPECTIVE;
  caps.ZCmpCaps = D3DPCMPCAPS_NEVER | D3DPCMPCAPS_LESS | D3DPCMPCAPS_EQUAL | D3DPCMPCAPS_LESSEQUAL |
                  D3DPCMPCAPS_GREATER | D3DPCMPCAPS_NOTEQUAL | D3DPCMPCAPS_GREATEREQUAL | D3DPCMPCAPS_ALWAYS;
  const DWORD blendFactors = D3DPBLENDCAPS_ZERO | D3DPBLENDCAPS_ONE | D3DPBLENDCAPS_SRCCOLOR |
                             D3DPBLENDCAPS_INVSRCCOLOR | D3DPBLENDCAPS_SRCALPHA | D3DPBLENDCAPS_INVSRCALPHA |
                             D3DPBLENDCAPS_DESTALPHA | D3DPBLENDCAPS_INVDESTALPHA | D3DPBLENDCAPS_DESTCOLOR |
                             D3DPBLENDCAPS_INVDESTCOLOR;
  caps.SrcBlendCaps = blendFactors | D3DPBLENDCAPS_BOTHSRCALPHA | D3DPBLENDCAPS_BOTHINVSRCALPHA;
  caps.DestBlendCaps = blendFactors;
  caps.AlphaCmpCaps = 0;  // no alpha test
  caps.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_ALPHAGOURAUDBLEND;
  // Any size, square or not, with mip maps; no power-of-two condition.
  caps.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
  caps.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT |
                           D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
  caps.TextureAddressCaps =
      D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP | D3DPTADDRESSCAPS_INDEPENDENTUV;
  caps.MaxTextureWidth = kMaxTextureExtent;
  caps.MaxTextureHeight = kMaxTextureExtent;
  caps.MaxTextureRepeat = 0;
  caps.MaxTextureAspectRatio = 0;  // no limit
  caps.MaxAnisotropy = 1;
  caps.MaxVertexW = 1e10f;
  caps.FVFCaps = 1 | D3DFVFCAPS_DONOTSTRIPELEMENTS;  // one texture coordinate set is read
  caps.TextureOpCaps = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 |
                       D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_MODULATE4X | D3DTEXOPCAPS_ADD;
  caps.MaxTextureBlendStages = 1;
  caps.MaxSimultaneousTextures = 1;
  caps.MaxPointSize = 1.0f;
  caps.MaxPrimitiveCount = 0x00FFFFFF;
  caps.MaxVertexIndex = 0x00FFFFFF;
  caps.MaxStreams = 16;
  caps.MaxStreamStride = 508;
  caps.MasterAdapterOrdinal = 0;
  caps.AdapterOrdinalInGroup = 0;
  caps.NumberOfAdaptersInGroup = 1;
  caps.NumSimultaneousRTs = 1;
  return caps;
}

HRESULT CheckReferenceFormat(DWORD usage, D3DRESOURCETYPE resourceType, D3DFORMAT format) {
  constexpr DWORD kQueryBits = D3DUSAGE_QUERY_LEGACYBUMPMAP | D3DUSAGE_QUERY_SRGBREAD | D3DUSAGE_QUERY_FILTER |
                               D3DUSAGE_QUERY_SRGBWRITE | D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING |
                               D3DUSAGE_QUERY_VERTEXTEXTURE | D3DUSAGE_QUERY_WRAPANDMIP;
  // What the rasterizer can do with a 32-bit colour format: filter it, wrap and mip it, blend
  // into it. sRGB, bump maps and vertex textures are not implemented.
  constexpr DWORD kSupportedQueries =
      D3DUSAGE_QUERY_FILTER | D3DUSAGE_QUERY_WRAPANDMIP | D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING;
  if ((usage & kQueryBits & ~kSupportedQueries) != 0) return D3DERR_NOTAVAILABLE;
  const DWORD kind = usage & ~kQueryBits;

  switch (resourceType) {
    case D3DRTYPE_TEXTURE: {
      if (!IsColorTargetFormat(format)) return D3DERR_NOTAVAILABLE;
      if ((kind & ~(D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC | D3DUSAGE_AUTOGENMIPMAP)) != 0) {
        return D3DERR_NOTAVAILABLE;
      }
      return (kind & D3DUSAGE_AUTOGENMIPMAP) != 0 ? D3DOK_NOAUTOGEN : D3D_OK;
    }
    case D3DRTYPE_SURFACE:
      if (kind == D3DUSAGE_DEPTHSTENCIL) return IsDepthFormat(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
      if ((kind & ~(D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC)) != 0) return D3DERR_NOTAVAILABLE;
      return IsColorTargetFormat(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
    case D3DRTYPE_VERTEXBUFFER:
      return format == D3DFMT_VERTEXDATA ? D3D_OK : D3DERR_NOTAVAILABLE;
    case D3DRTYPE_INDEXBUFFER:
      return format == D3DFMT_INDEX16 || format == D3DFMT_INDEX32 ? D3D_OK : D3DERR_NOTAVAILABLE;
    default:
      return D3DERR_NOTAVAILABLE;  // volumes and cube maps are not implemented
  }
}

}  // namespace d3d9
