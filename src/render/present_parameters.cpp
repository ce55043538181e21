#include "render/present_parameters.h"

#include <cstring>

D3DPRESENT_PARAMETERS PresentParametersFor(D3DFORMAT displayFormat) {
  D3DPRESENT_PARAMETERS params;
  std::memset(&params, 0, sizeof(params));
  params.BackBufferFormat = displayFormat;
  params.BackBufferCount = 1;
  params.MultiSampleType = D3DMULTISAMPLE_NONE;
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.Windowed = TRUE;
  params.EnableAutoDepthStencil = TRUE;
  params.AutoDepthStencilFormat = D3DFMT_D16;
  params.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
  return params;
}
