// The reference device: a software rasterizer for the fixed-function pipeline, behind a small
// neutral interface. The Direct3D 9 stand-in (platform/d3d9) owns the API objects and their
// state and translates them into the descriptions below at draw time; nothing here knows a
// Direct3D name, enum or object.
//
// Implements: clears of colour and depth rectangles; indexed and non-indexed triangle lists,
// strips and fans; transforms on row vectors (v * world * view * projection); clipping to the
// view volume; Direct3D 9 rasterization rules (pixel centres on integer coordinates, top-left
// fill rule); perspective-correct colour and texture coordinates; culling; point/linear
// sampling with mip selection and wrap/mirror/clamp addressing; one texture stage; depth test
// and writes on 16-bit depth; alpha blending (add only); tiles drawn by worker threads with
// the same pixels whatever their number.
// Leaves out: lighting (vertex colours are used as given), fog, alpha test, stencil, specular,
// more than one texture stage, points and lines, multisampling, dithering.
//
// Every call completes before it returns: a target can be read, or sampled as a texture, by the
// very next call. The caller keeps every buffer alive for the duration of the call; the device
// keeps no pointer afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace refdevice {

enum class Status {
  Ok,
  InvalidArgument,  // malformed description, or an index outside the vertex stream: nothing drawn
};

// ---- Targets and textures ---------------------------------------------------------------------

// 32-bit pixels 0xAARRGGBB, rows top-down, pitch in bytes (at least 4 * width).
struct ColorTarget {
  uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  size_t pitchBytes = 0;
  bool alphaIsOpaque = false;  // X8R8G8B8-like: alpha reads as 0xFF and is written as 0xFF
};

// 16-bit depth, 0 = near, 65535 = far; rows top-down, pitch in bytes (at least 2 * width).
struct DepthTarget {
  uint16_t* depth = nullptr;
  int width = 0;
  int height = 0;
  size_t pitchBytes = 0;
};

// One level of a texture: 32-bit texels 0xAARRGGBB, rows top-down (row 0 is v = 0).
struct TextureLevel {
  const uint32_t* texels = nullptr;
  int width = 0;
  int height = 0;
  size_t pitchBytes = 0;
};

constexpr int kMaxTextureLevels = 16;

// A mip chain: level 0 is the largest, each further level the next smaller one.
struct Texture {
  TextureLevel levels[kMaxTextureLevels];
  int levelCount = 0;
  bool alphaIsOpaque = false;  // formats without alpha (X8R8G8B8, R5G6B5, ...): alpha reads as 1
};

// Inclusive-exclusive pixel rectangle; clipped to the target by the device.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// ---- Draw description ------------------------------------------------------------------------

enum class PrimitiveType { TriangleList, TriangleStrip, TriangleFan };

// Offsets in bytes within one vertex; kAbsent where the vertex has no such element.
constexpr int kAbsent = -1;

struct VertexLayout {
  size_t strideBytes = 0;
  int positionOffset = 0;        // 3 floats x, y, z; or 4 floats x, y, z, rhw when pretransformed
  bool pretransformed = false;   // position is already in screen pixels; no transform or clip
  int normalOffset = kAbsent;    // 3 floats; carried but unused while lighting is off
  int diffuseOffset = kAbsent;   // uint32 0xAARRGGBB; absent reads as 0xFFFFFFFF
  int texcoordOffset = kAbsent;  // 2 floats u, v; absent reads as (0, 0)
};

struct VertexStream {
  const uint8_t* data = nullptr;  // first byte of vertex 0 of the stream
  size_t vertexCount = 0;         // vertices that the memory holds; indices beyond it are refused
  VertexLayout layout;
};

enum class IndexFormat { None, Bits16, Bits32 };

struct IndexStream {
  const void* data = nullptr;  // first index of the buffer
  size_t indexCount = 0;       // indices that the memory holds
  IndexFormat format = IndexFormat::None;
};

// Which vertices and indices a draw uses.
//  Non-indexed: vertices firstVertex, firstVertex + 1, ... in order.
//  Indexed: vertex = baseVertex + index, for indices firstIndex, firstIndex + 1, ...
//  minVertexIndex/vertexRange are the caller's promise of the index range; the device checks
//  every index against the stream instead of trusting it.
struct DrawRange {
  PrimitiveType type = PrimitiveType::TriangleList;
  unsigned primitiveCount = 0;
  unsigned firstVertex = 0;
  unsigned firstIndex = 0;
  int baseVertex = 0;
  unsigned minVertexIndex = 0;
  unsigned vertexRange = 0;
};

// 4x4 floats, row-major (m[row][column]); points are row vectors, p' = p * M.
struct Matrix {
  float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

struct Transforms {
  Matrix world;
  Matrix view;
  Matrix projection;
};

// Screen pixels; depth z/w in [0, 1] is mapped to [minZ, maxZ].
struct Viewport {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  float minZ = 0.0f;
  float maxZ = 1.0f;
};

// Winding as seen on screen (y down) of the triangles that are dropped.
enum class CullMode { None, Clockwise, CounterClockwise };

enum class CompareFunction { Never, Less, Equal, LessEqual, Greater, NotEqual, GreaterEqual, Always };

// Without the test nothing is written either, as on the real pipeline.
struct DepthState {
  bool testEnable = false;
  bool writeEnable = true;
  CompareFunction compare = CompareFunction::LessEqual;
};

enum class BlendFactor {
  Zero,
  One,
  SourceColor,
  InverseSourceColor,
  SourceAlpha,
  InverseSourceAlpha,
  DestinationAlpha,
  InverseDestinationAlpha,
  DestinationColor,
  InverseDestinationColor,
};

// result = source * sourceFactor + destination * destinationFactor, per channel, all four
// channels alike.
struct BlendState {
  bool enable = false;
  BlendFactor source = BlendFactor::One;
  BlendFactor destination = BlendFactor::Zero;
};

enum class StageOperation {
  Disable,  // colour: the stage passes the diffuse colour on (no texturing)
  SelectArg1,
  SelectArg2,
  Modulate,    // arg1 * arg2
  Modulate2x,  // min(1, 2 * arg1 * arg2)
  Modulate4x,  // min(1, 4 * arg1 * arg2)
  Add,         // min(1, arg1 + arg2)
};

// At the only stage, "current" is the diffuse colour.
enum class StageArgument { Texture, Current, Diffuse };

struct StageCombiner {
  StageOperation operation = StageOperation::SelectArg1;
  StageArgument argument1 = StageArgument::Texture;
  StageArgument argument2 = StageArgument::Current;
};

enum class Filter { Point, Linear };
enum class MipFilter { None, Point, Linear };
enum class Address { Wrap, Mirror, Clamp };

// Texel k of N has its centre at (k + 0.5) / N. Magnification filter applies where a texel
// covers more than a pixel, minification elsewhere; with MipFilter::None only level 0 is read.
struct SamplerState {
  Filter minFilter = Filter::Point;
  Filter magFilter = Filter::Point;
  MipFilter mipFilter = MipFilter::None;
  Address addressU = Address::Wrap;
  Address addressV = Address::Wrap;
};

// Texture stage 0. With no texture bound, the texture argument reads as opaque black.
struct TextureStage {
  StageCombiner color{StageOperation::Modulate, StageArgument::Texture, StageArgument::Current};
  StageCombiner alpha{StageOperation::SelectArg1, StageArgument::Texture, StageArgument::Current};
  const Texture* texture = nullptr;
  SamplerState sampler;
};

struct DrawCall {
  ColorTarget color;
  DepthTarget depth;  // may be empty (no pixels) when the depth test and writes are unused
  VertexStream vertices;
  IndexStream indices;  // format None for non-indexed drawing
  DrawRange range;
  Transforms transforms;
  Viewport viewport;
  CullMode cull = CullMode::CounterClockwise;
  DepthState depthState;
  BlendState blend;
  TextureStage stage;
};

// ---- The device ------------------------------------------------------------------------------

// The widest vector instructions the device draws with: every level draws the same pixels, the
// narrower ones more slowly, so a fault can be narrowed to one form without rebuilding.
// Scalar draws one pixel at a time; Sse2 four and Avx2 eight at a time, Avx2 also processing
// vertices and setting up triangles eight at a time.
enum class SimdLevel { Scalar, Sse2, Avx2 };

class Device {
 public:
  // threadCount 0 picks one worker per available core.
  explicit Device(int threadCount = 0);
  ~Device();
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  // Takes effect from the next call; 0 picks one worker per available core.
  void SetThreadCount(int threadCount);
  int ThreadCount() const;

  // Takes effect from the next call; a level the processor cannot run is narrowed to one it can.
  // The widest the processor runs by default.
  void LimitSimd(SimdLevel widest);
  SimdLevel Simd() const;  // the level in effect

  // Fills the rectangle (clipped to the target) with a colour 0xAARRGGBB.
  Status ClearColor(const ColorTarget& target, const Rect& rect, uint32_t color);
  // Fills the rectangle (clipped to the target) with depth in [0, 1].
  Status ClearDepth(const DepthTarget& target, const Rect& rect, float depth);

  Status Draw(const DrawCall& call);

 private:
  struct Workers;
  std::unique_ptr<Workers> workers_;
};

}  // namespace refdevice
