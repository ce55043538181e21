// Which OpenGL renderers count as hardware: the GL_RENDERER strings that drivers report.
#include <gtest/gtest.h>

#include "gldevice/renderer_kind.h"

namespace {

TEST(RendererKindTest, ProcessorBoundRenderersAreSoftwareWhateverTheirSpelling) {
  struct Case {
    const char* renderer;
    bool software;
  };
  const Case cases[] = {
      {"llvmpipe (LLVM 15.0.6, 256 bits)", true},
      {"softpipe", true},
      {"Mesa X11 swrast", true},
      {"Software Rasterizer", true},
      {"Google SwiftShader", true},
      {"Microsoft Basic Render Driver", true},
      {"LLVMPIPE (LLVM 17.0.0, 128 bits)", true},
      {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
      {"AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49, 6.1.0-18-amd64)", false},
      {"NVIDIA GeForce GTX 1650/PCIe/SSE2", false},
      {"virgl", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(gldevice::IsSoftwareRenderer(c.renderer), c.software) << c.renderer;
}

}  // namespace
