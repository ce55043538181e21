#include <gtest/gtest.h>

#include <vector>

#include "gfxsupport/textures/bmp_writer.h"
#include "gfxsupport/textures/pixel_format_table.h"

using namespace gfx::textures;  // the texture library's internals under test

namespace {

struct BestMatchCase {
  const char* what;
  D3DFORMAT requested;
  std::vector<D3DFORMAT> candidates;  // empty: the BMP writer's list
  D3DFORMAT expected;
};

class BestMatch : public testing::TestWithParam<BestMatchCase> {};

TEST_P(BestMatch, ChoosesTheCheapestStandIn) {
  const BestMatchCase& c = GetParam();
  std::vector<D3DFORMAT> candidates = c.candidates;
  if (candidates.empty()) {
    const auto bmp = BmpWritableFormats();
    candidates.assign(bmp.begin(), bmp.end());
  }
  const PixelFormatDescriptor* descriptor = FindPixelFormat(c.requested);
  ASSERT_NE(descriptor, nullptr);
  EXPECT_EQ(ChooseBestFormat(RequestFor(*descriptor), candidates, [](D3DFORMAT) { return true; }), c.expected)
      << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BestMatch,
    testing::Values(
        BestMatchCase{"device without X8R8G8B8 adds alpha", D3DFMT_X8R8G8B8, {D3DFMT_A8R8G8B8}, D3DFMT_A8R8G8B8},
        BestMatchCase{"grey goes to colour without the unasked alpha",
                      D3DFMT_L8,
                      {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8},
                      D3DFMT_X8R8G8B8},
        BestMatchCase{
            "grey with alpha needs the alpha", D3DFMT_A8L8, {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}, D3DFMT_A8R8G8B8},
        BestMatchCase{"requested format wins over an earlier equal one",
                      D3DFMT_X8B8G8R8,
                      {D3DFMT_X8R8G8B8, D3DFMT_X8B8G8R8},
                      D3DFMT_X8B8G8R8},
        BestMatchCase{
            "alpha alone cannot go where alpha is lost", D3DFMT_A8, {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}, D3DFMT_UNKNOWN},
        BestMatchCase{"colour never goes into grey", D3DFMT_R8G8B8, {D3DFMT_L8, D3DFMT_A8L8}, D3DFMT_UNKNOWN},
        BestMatchCase{
            "less loss beats fewer bits", D3DFMT_A8R8G8B8, {D3DFMT_A4R4G4B4, D3DFMT_A2R10G10B10}, D3DFMT_A2R10G10B10},
        // BMP: A8R8G8B8 and A2B10G10R10 cost the same for 16-bit channels; the earlier wins.
        BestMatchCase{"16-bit colour into a BMP", D3DFMT_A16B16G16R16, {}, D3DFMT_A8R8G8B8},
        BestMatchCase{"16-bit grey and alpha into a BMP", kFormatCodeAL16, {}, D3DFMT_A8L8},
        // 10-bit channels keep more of 16-bit colour; the unasked 2-bit alpha costs little.
        BestMatchCase{"16-bit colour without alpha into a BMP", kFormatCodeR16, {}, D3DFMT_A2B10G10R10},
        BestMatchCase{"palette with alpha into a BMP", D3DFMT_A8P8, {}, D3DFMT_A8R8G8B8},
        BestMatchCase{"floats have no BMP stand-in", D3DFMT_A32B32G32R32F, {}, D3DFMT_UNKNOWN},
        BestMatchCase{"compressed colour into a BMP", D3DFMT_DXT5, {}, D3DFMT_A8R8G8B8}));

TEST(PixelFormatTable, DescribesEveryFormatTheDecoderProduces) {
  for (DWORD format : {20u, 21u, 22u, 24u, 25u, 27u, 36u, 40u, 41u, 50u, 51u, 81u, static_cast<unsigned>(FormatAL16),
                       static_cast<unsigned>(FormatR16)}) {
    const PixelFormatDescriptor* descriptor = FindPixelFormat(static_cast<D3DFORMAT>(format));
    ASSERT_NE(descriptor, nullptr) << format;
    EXPECT_NE(descriptor->BytesPerPixel(), 0u) << format;
  }
  EXPECT_STREQ(PixelFormatName(D3DFMT_A8R8G8B8), "A8R8G8B8");
  EXPECT_STREQ(PixelFormatName(static_cast<D3DFORMAT>(12345)), "UNKNOWN");
}

}  // namespace
