// The reference device's entry points: checks a draw, then runs its three phases, each spread
// over the worker pool: vertex processing in chunks of vertices, triangle setup and binning in
// chunks of triangles, and rasterization tile by tile.
// On the map of docs/reference-device.md: the pipeline itself, from the checks to the three
// phases and the tile loop that feeds the rasterizer.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "clipping.h"
#include "depth.h"
#include "pixel_pipeline.h"
#include "raster.h"
#include "refdevice.h"
#include "setup.h"
#include "setup_avx2.h"
#include "simd_level.h"
#include "tiles.h"
#include "uninitialised_allocator.h"
#include "tuning.h"
#include "vertex_avx2.h"
#include "vertex_processing.h"
#include "workers.h"

namespace refdevice {

namespace {

// Scratch kept between draws so that a frame allocates nothing once warmed up. A frame's draws
// differ in size: growing back after a small draw leaves the elements as they were, since
// vertex processing writes every one that is read.
struct DrawScratch {
  std::vector<uint32_t, UninitialisedAllocator<uint32_t>> outcodes;
  std::vector<ScreenVertex, UninitialisedAllocator<ScreenVertex>> screenVertices;
  std::vector<uint8_t> plainVertexChunks;  // see LikeFirstVertex
  std::vector<TriangleChunk> chunks;
  std::vector<uint32_t> tileLoad;
};

}  // namespace

struct Device::Workers {
  Workers(int threadCount, SimdLevel simd) : pool(threadCount), simd(simd) {}
  WorkerPool pool;
  SimdLevel simd;
  DrawScratch scratch;
};

namespace {

constexpr int kTrianglesPerBatch = 16;

// Asks for the cache lines of `count` records, to read them or (kForWriting) to write them.
// Records are aligned to cache lines: one request per line.
template <bool kForWriting>
void PrefetchRecords(const SetupTriangle* records, size_t count) {
  static_assert(alignof(SetupTriangle) == 64 && sizeof(SetupTriangle) % 64 == 0);
  const char* bytes = reinterpret_cast<const char*>(records);
  for (size_t offset = 0; offset < count * sizeof(SetupTriangle); offset += 64) {
    __builtin_prefetch(bytes + offset, kForWriting ? 1 : 0);
  }
}

bool ValidColorTarget(const ColorTarget& target) {
  return target.pixels != nullptr && target.width > 0 && target.height > 0 &&
         target.pitchBytes >= static_cast<size_t>(target.width) * 4;
}

bool ValidDepthTarget(const DepthTarget& target) {
  return target.depth != nullptr && target.width > 0 && target.height > 0 &&
         target.pitchBytes >= static_cast<size_t>(target.width) * 2;
}

bool ValidTexture(const Texture& texture) {
  if (texture.levelCount < 1 || texture.levelCount > kMaxTextureLevels) return false;
  for (int i = 0; i < texture.levelCount; ++i) {
    const TextureLevel& level = texture.levels[i];
    if (level.texels == nullptr || level.width <= 0 || level.height <= 0 ||
        level.pitchBytes < static_cast<size_t>(level.width) * 4) {
      return false;
    }
  }
  return true;
}

bool ElementFits(int offset, size_t bytes, size_t stride) {
  if (offset == kAbsent) return true;
  return offset >= 0 && static_cast<size_t>(offset) + bytes <= stride;
}

bool ValidLayout(const VertexLayout& layout) {
  size_t stride = layout.strideBytes;
  if (stride == 0 || layout.positionOffset == kAbsent) return false;
  return ElementFits(layout.positionOffset, layout.pretransformed ? 16 : 12, stride) &&
         ElementFits(layout.normalOffset, 12, stride) && ElementFits(layout.diffuseOffset, 4, stride) &&
         ElementFits(layout.texcoordOffset, 8, stride);
}

size_t SequenceLength(const DrawRange& range) {
  size_t primitives = range.primitiveCount;
  return range.type == PrimitiveType::TriangleList ? primitives * 3 : primitives + 2;
}

uint32_t IndexAt(const IndexStream& indices, size_t position) {
  if (indices.format == IndexFormat::Bits16) {
    uint16_t value;
    std::memcpy(&value, static_cast<const uint8_t*>(indices.data) + position * 2, 2);
    return value;
  }
  uint32_t value;
  std::memcpy(&value, static_cast<const uint8_t*>(indices.data) + position * 4, 4);
  return value;
}

// The stream vertex at a position of the draw's vertex sequence (checked beforehand).
size_t VertexAt(const DrawCall& call, size_t position) {
  if (call.indices.format == IndexFormat::None) return call.range.firstVertex + position;
  int64_t vertex =
      static_cast<int64_t>(call.range.baseVertex) + IndexAt(call.indices, call.range.firstIndex + position);
  return static_cast<size_t>(vertex);
}

// Corners of triangle `t` as positions in the vertex sequence; strips alternate their order
// so that every triangle keeps the winding of the first.
void TriangleCorners(PrimitiveType type, size_t t, size_t corners[3]) {
  switch (type) {
    case PrimitiveType::TriangleList:
      corners[0] = 3 * t, corners[1] = 3 * t + 1, corners[2] = 3 * t + 2;
      break;
    case PrimitiveType::TriangleStrip:
      if (t % 2 == 0) {
        corners[0] = t, corners[1] = t + 1, corners[2] = t + 2;
      } else {
        corners[0] = t + 1, corners[1] = t, corners[2] = t + 2;
      }
      break;
    case PrimitiveType::TriangleFan:
      corners[0] = 0, corners[1] = t + 1, corners[2] = t + 2;
      break;
  }
}

// The lowest and highest of `count` indices from `first` on, in a loop the compiler turns into
// vector instructions: a draw's whole index range is read here before any work is shared out.
template <typename Index>
inline __attribute__((always_inline)) void IndexBounds(const void* data, size_t first, size_t count, uint32_t& low,
                                                       uint32_t& high) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data) + first * sizeof(Index);
  uint32_t lowest = UINT32_MAX, highest = 0;
  for (size_t i = 0; i < count; ++i) {
    Index value;
    std::memcpy(&value, bytes + i * sizeof(Index), sizeof(Index));
    lowest = std::min<uint32_t>(lowest, value);
    highest = std::max<uint32_t>(highest, value);
  }
  low = lowest;
  high = highest;
}

// IndexBounds built twice, and the copy for this processor chosen when the program loads: with
// AVX2, unsigned minimum and maximum are single instructions over eight indices.
#if defined(__x86_64__)
#define ORBELUNE_WITH_AVX2_CLONE __attribute__((target_clones("avx2", "default")))
#else
#define ORBELUNE_WITH_AVX2_CLONE
#endif
ORBELUNE_WITH_AVX2_CLONE void IndexBounds16(const void* data, size_t first, size_t count, uint32_t& low,
                                            uint32_t& high) {
  IndexBounds<uint16_t>(data, first, count, low, high);
}
ORBELUNE_WITH_AVX2_CLONE void IndexBounds32(const void* data, size_t first, size_t count, uint32_t& low,
                                            uint32_t& high) {
  IndexBounds<uint32_t>(data, first, count, low, high);
}
#undef ORBELUNE_WITH_AVX2_CLONE

// The lowest and highest of `count` indices from `first` on. A long run is read by the workers
// in pieces: it is read before any other work of the draw can start.
void IndexBoundsOf(WorkerPool& pool, const IndexStream& indices, size_t first, size_t count, uint32_t& low,
                   uint32_t& high) {
  auto bounds = indices.format == IndexFormat::Bits16 ? IndexBounds16 : IndexBounds32;
  constexpr size_t kShortestPiece = 1 << 15, kMostPieces = 64;
  const size_t pieces = std::min(kMostPieces, count / kShortestPiece);
  if (pieces < 2 || pool.ThreadCount() == 1) {
    bounds(indices.data, first, count, low, high);
    return;
  }
  const size_t pieceLength = (count + pieces - 1) / pieces;
  std::array<uint32_t, kMostPieces> pieceLow, pieceHigh;
  pool.ParallelFor(pieces, [&](size_t piece) {
    const size_t begin = piece * pieceLength;
    bounds(indices.data, first + begin, std::min(pieceLength, count - begin), pieceLow[piece], pieceHigh[piece]);
  });
  low = *std::min_element(pieceLow.begin(), pieceLow.begin() + pieces);
  high = *std::max_element(pieceHigh.begin(), pieceHigh.begin() + pieces);
}

// Checks that every vertex the draw reads lies in the stream; gives the lowest and highest.
Status CheckVertexRange(WorkerPool& pool, const DrawCall& call, size_t& lowest, size_t& highest) {
  size_t length = SequenceLength(call.range);
  size_t vertexCount = call.vertices.vertexCount;
  if (call.indices.format == IndexFormat::None) {
    if (call.range.firstVertex > vertexCount || length > vertexCount - call.range.firstVertex) {
      return Status::InvalidArgument;
    }
    lowest = call.range.firstVertex;
    highest = call.range.firstVertex + length - 1;
    return Status::Ok;
  }
  if (call.indices.data == nullptr || call.range.firstIndex > call.indices.indexCount ||
      length > call.indices.indexCount - call.range.firstIndex) {
    return Status::InvalidArgument;
  }
  uint32_t lowIndex, highIndex;
  IndexBoundsOf(pool, call.indices, call.range.firstIndex, length, lowIndex, highIndex);
  const int64_t low = static_cast<int64_t>(call.range.baseVertex) + lowIndex;
  const int64_t high = static_cast<int64_t>(call.range.baseVertex) + highIndex;
  if (low < 0 || high >= static_cast<int64_t>(vertexCount)) return Status::InvalidArgument;
  lowest = static_cast<size_t>(low);
  highest = static_cast<size_t>(high);
  return Status::Ok;
}

Status CheckDraw(const DrawCall& call) {
  if (!ValidColorTarget(call.color)) return Status::InvalidArgument;
  if (call.depthState.testEnable && call.depth.depth != nullptr) {
    if (!ValidDepthTarget(call.depth) || call.depth.width < call.color.width || call.depth.height < call.color.height) {
      return Status::InvalidArgument;
    }
  }
  const Viewport& viewport = call.viewport;
  if (viewport.width <= 0 || viewport.height <= 0 || !std::isfinite(viewport.minZ) || !std::isfinite(viewport.maxZ)) {
    return Status::InvalidArgument;
  }
  if (call.stage.texture != nullptr && !ValidTexture(*call.stage.texture)) return Status::InvalidArgument;
  if (call.vertices.data == nullptr || !ValidLayout(call.vertices.layout)) return Status::InvalidArgument;
  if (call.indices.format != IndexFormat::None && call.indices.data == nullptr) return Status::InvalidArgument;
  return Status::Ok;
}

ScissorRect DrawableArea(const DrawCall& call) {
  const Viewport& viewport = call.viewport;
  ScissorRect area;
  area.minX = std::max(viewport.x, 0);
  area.minY = std::max(viewport.y, 0);
  area.maxX =
      static_cast<int>(std::min<int64_t>(static_cast<int64_t>(viewport.x) + viewport.width, call.color.width) - 1);
  area.maxY =
      static_cast<int>(std::min<int64_t>(static_cast<int64_t>(viewport.y) + viewport.height, call.color.height) - 1);
  return area;
}

struct TriangleSource {
  const DrawCall& call;
  const Matrix& worldViewProjection;
  const uint32_t* outcodes;
  const ScreenVertex* screenVertices;
  size_t lowest;
  GuardBand band;
  ScissorRect area;
  bool everyTrianglePlain;  // no need to ask IsPlainTriangle
  uint32_t plainDiffuse;    // where every triangle is plain, the colour of all its corners, packed
  bool eightAtOnce;         // plain triangles are set up eight at a time (AVX2)
};

// Where triangle t's corners are among the processed vertices.
void CornerSlots(const TriangleSource& source, size_t t, size_t slot[3]) {
  const DrawCall& call = source.call;
  if (call.range.type == PrimitiveType::TriangleList && call.indices.format == IndexFormat::Bits32) {
    // A mesh's usual form, read straight from its three indices.
    uint32_t index[3];
    std::memcpy(index, static_cast<const uint8_t*>(call.indices.data) + (call.range.firstIndex + 3 * t) * 4,
                sizeof index);
    for (int i = 0; i < 3; ++i)
      slot[i] = static_cast<size_t>(int64_t(call.range.baseVertex) + index[i]) - source.lowest;
    return;
  }
  size_t corners[3];
  TriangleCorners(call.range.type, t, corners);
  for (int i = 0; i < 3; ++i) slot[i] = VertexAt(call, corners[i]) - source.lowest;
}

void SetupTriangleAt(const TriangleSource& source, size_t t, TriangleChunk& chunk) {
  const DrawCall& call = source.call;
  size_t slot[3];
  CornerSlots(source, t, slot);

  uint32_t codes[3] = {source.outcodes[slot[0]], source.outcodes[slot[1]], source.outcodes[slot[2]]};
  uint32_t any = codes[0] | codes[1] | codes[2];
  if ((any & kClipNotFinite) || (codes[0] & codes[1] & codes[2])) return;

  SetupTriangle triangle;  // left uninitialised: setup fills every field a kept triangle uses
  TriangleExtras extras;
  if (any == 0) {
    if (SetupScreenTriangle(source.screenVertices[slot[0]], source.screenVertices[slot[1]],
                            source.screenVertices[slot[2]], call.cull, source.area, triangle, extras)) {
      chunk.Add(triangle);
    }
    return;
  }
  ClippedPolygon polygon;
  // Clip-space corners are not kept for every vertex: the few triangles to clip fetch theirs again.
  ClipVertex corners[3];
  for (int i = 0; i < 3; ++i) {
    corners[i] = FetchVertex(call.vertices, source.lowest + slot[i], source.worldViewProjection);
  }
  ClipTriangle(corners[0], corners[1], corners[2], any, source.band, polygon);
  if (polygon.count < 3) return;
  ScreenVertex projected[kMaxClippedCorners];
  for (int i = 0; i < polygon.count; ++i) projected[i] = ProjectToScreen(polygon.corners[i], call.viewport);
  for (int i = 1; i + 1 < polygon.count; ++i) {
    if (SetupScreenTriangle(projected[0], projected[i], projected[i + 1], call.cull, source.area, triangle, extras)) {
      chunk.Add(triangle);
    }
  }
}

// Whether a processed vertex lies on the screen with the q and colour of `first`: corners that
// all do make a plain triangle, the kind the eight-at-once setup takes (no corner to clip, one
// w, one colour).
bool LikeVertex(uint32_t outcode, const ScreenVertex& vertex, const ScreenVertex& first) {
  return outcode == 0 && vertex.q == first.q && std::memcmp(vertex.color, first.color, sizeof first.color) == 0;
}

bool IsPlainTriangle(const TriangleSource& source, const size_t slot[3]) {
  const ScreenVertex& first = source.screenVertices[slot[0]];
  for (int i = 0; i < 3; ++i) {
    if (!LikeVertex(source.outcodes[slot[i]], source.screenVertices[slot[i]], first)) return false;
  }
  return true;
}

// Whether every one of `count` processed vertices is like `first` (see LikeVertex).
bool LikeFirstVertex(const uint32_t* outcodes, const ScreenVertex* screenVertices, size_t count,
                     const ScreenVertex& first) {
  for (size_t i = 0; i < count; ++i) {
    if (!LikeVertex(outcodes[i], screenVertices[i], first)) return false;
  }
  return true;
}

// Of the eight records from `at` on, keeps those of the lanes set in `kept`, in order, and drops
// the others.
void KeepLanes(TriangleChunk& chunk, size_t at, unsigned kept) {
  if (kept == kAllEight) return;
  size_t next = at;
  for (unsigned rest = kept; rest != 0; rest &= rest - 1) {
    const size_t from = at + static_cast<size_t>(__builtin_ctz(rest));
    if (from != next) chunk.triangles[next] = chunk.triangles[from];
    ++next;
  }
  chunk.triangles.resize(next);
}

// Triangles begin .. end - 1, in order. With AVX2, plain ones are set up eight at a time (the
// slots, scaled to floats, must fit in 32 bits for that).
void SetupTriangles(const TriangleSource& source, size_t vertexCount, size_t begin, size_t end, TriangleChunk& chunk) {
  if (!source.eightAtOnce || vertexCount > (size_t(1) << 26)) {
    for (size_t t = begin; t < end; ++t) SetupTriangleAt(source, t, chunk);
    return;
  }
  const DrawCall& call = source.call;
  // A mesh's usual form: setup reads each eight triangles' corners from the indices itself and
  // writes their records in place.
  const bool listed = source.everyTrianglePlain && call.range.type == PrimitiveType::TriangleList &&
                      call.indices.format == IndexFormat::Bits32;
  const uint32_t* indices = listed ? static_cast<const uint32_t*>(call.indices.data) + call.range.firstIndex : nullptr;
  const uint32_t bias = static_cast<uint32_t>(int64_t(call.range.baseVertex) - int64_t(source.lowest));
  for (size_t first = begin; first < end; first += 8) {
    const int count = static_cast<int>(std::min<size_t>(8, end - first));
    if (listed && count == 8) {
      const size_t at = chunk.triangles.size();
      chunk.triangles.resize(at + 8);
      SetupTriangle* records = &chunk.triangles[at];
      // The next eight records' lines, asked for ahead of their writing: the chunk was last
      // written a frame ago, and its lines have long left the cache.
      if (at + 16 <= chunk.triangles.capacity()) PrefetchRecords<true>(records + 8, 8);
      const unsigned kept = SetupEightListedTriangles(source.screenVertices, indices + 3 * first, bias,
                                                      source.plainDiffuse, call.cull, source.area, records);
      KeepLanes(chunk, at, kept);
      continue;
    }
    int32_t corners[3][8] = {};
    unsigned plain = 0;
    for (int lane = 0; lane < count; ++lane) {
      size_t slot[3];
      CornerSlots(source, first + lane, slot);
      if (!source.everyTrianglePlain && !IsPlainTriangle(source, slot)) continue;
      plain |= 1u << lane;
      for (int i = 0; i < 3; ++i) corners[i][lane] = static_cast<int32_t>(slot[i]);
    }
    SetupTriangle records[8];
    const unsigned kept =
        plain != 0 ? SetupEightTriangles(source.screenVertices, corners, plain, source.call.cull, source.area, records)
                   : 0;
    for (int lane = 0; lane < count; ++lane) {
      if ((plain & (1u << lane)) == 0) {
        SetupTriangleAt(source, first + lane, chunk);
      } else if ((kept & (1u << lane)) != 0) {
        chunk.Add(records[lane]);
      }
    }
  }
}

}  // namespace

Device::Device(int threadCount)
    : workers_(std::make_unique<Workers>(ResolveThreadCount(threadCount), ProcessorSimdLevel())) {}

Device::~Device() = default;

void Device::SetThreadCount(int threadCount) {
  int resolved = ResolveThreadCount(threadCount);
  if (resolved == workers_->pool.ThreadCount()) return;
  workers_ = std::make_unique<Workers>(resolved, workers_->simd);
}

int Device::ThreadCount() const { return workers_->pool.ThreadCount(); }

void Device::LimitSimd(SimdLevel widest) { workers_->simd = RunnableSimdLevel(widest); }

SimdLevel Device::Simd() const { return workers_->simd; }

namespace {

template <typename Pixel>
void FillRect(WorkerPool& pool, Pixel* pixels, size_t pitchBytes, int width, int height, const Rect& rect,
              Pixel value) {
  int left = std::max(rect.left, 0), top = std::max(rect.top, 0);
  int right = std::min(rect.right, width), bottom = std::min(rect.bottom, height);
  if (left >= right || top >= bottom) return;
  size_t rows = static_cast<size_t>(bottom - top);
  size_t bands = (rows + tuning::kRowsPerClearBand - 1) / tuning::kRowsPerClearBand;
  pool.ParallelFor(bands, [&](size_t band) {
    size_t firstRow = top + band * tuning::kRowsPerClearBand;
    size_t endRow = std::min<size_t>(firstRow + tuning::kRowsPerClearBand, bottom);
    for (size_t y = firstRow; y < endRow; ++y) {
      Pixel* row = reinterpret_cast<Pixel*>(reinterpret_cast<uint8_t*>(pixels) + y * pitchBytes);
      std::fill(row + left, row + right, value);
    }
  });
}

}  // namespace

Status Device::ClearColor(const ColorTarget& target, const Rect& rect, uint32_t color) {
  if (!ValidColorTarget(target)) return Status::InvalidArgument;
  if (target.alphaIsOpaque) color |= 0xFF000000u;
  FillRect(workers_->pool, target.pixels, target.pitchBytes, target.width, target.height, rect, color);
  return Status::Ok;
}

Status Device::ClearDepth(const DepthTarget& target, const Rect& rect, float depth) {
  if (!ValidDepthTarget(target) || std::isnan(depth)) return Status::InvalidArgument;
  FillRect(workers_->pool, target.depth, target.pitchBytes, target.width, target.height, rect, DepthToUnorm16(depth));
  return Status::Ok;
}

namespace {

// What vertex processing found out about the whole draw.
struct ProcessedDraw {
  Matrix worldViewProjection;
  GuardBand band;
  bool everyTrianglePlain;  // see TriangleSource
  uint32_t firstDiffuse;    // the first vertex's colour, packed
};

// Phase one: vertices lowest .. lowest + vertexCount - 1 transformed, their outcodes found and
// those on the screen projected, chunk by chunk over the workers.
ProcessedDraw ProcessVertices(WorkerPool& pool, DrawScratch& scratch, const DrawCall& call, size_t lowest,
                              size_t vertexCount, bool eightVerticesAtOnce) {
  scratch.outcodes.resize(vertexCount);
  scratch.screenVertices.resize(vertexCount);
  ProcessedDraw draw;
  draw.worldViewProjection =
      Multiply(Multiply(call.transforms.world, call.transforms.view), call.transforms.projection);
  draw.band = ComputeGuardBand(call.viewport);
  const Matrix& worldViewProjection = draw.worldViewProjection;
  const GuardBand& band = draw.band;
  bool pretransformed = call.vertices.layout.pretransformed;
  size_t vertexChunks = (vertexCount + tuning::kVerticesPerChunk - 1) / tuning::kVerticesPerChunk;
  // The draw's first vertex, for telling whether every triangle is plain: worked out here once,
  // by the same steps that give the workers' values.
  const ClipVertex firstClip = FetchVertex(call.vertices, lowest, worldViewProjection);
  const bool firstOnScreen = !pretransformed && ComputeOutcode(firstClip, band) == 0;
  const ScreenVertex firstVertex = firstOnScreen ? ProjectToScreen(firstClip, call.viewport) : ScreenVertex{};
  scratch.plainVertexChunks.assign(vertexChunks, 0);
  pool.ParallelFor(vertexChunks, [&](size_t chunk) {
    size_t begin = chunk * tuning::kVerticesPerChunk;
    size_t end = std::min(begin + tuning::kVerticesPerChunk, vertexCount);
    size_t i = begin;
    if (eightVerticesAtOnce) {
      i += ProcessVerticesEightWide(call.vertices, lowest + begin, end - begin, worldViewProjection, band,
                                    call.viewport, &scratch.outcodes[begin], &scratch.screenVertices[begin]);
    }
    for (; i < end; ++i) {
      ClipVertex vertex = FetchVertex(call.vertices, lowest + i, worldViewProjection);
      if (pretransformed) {
        ScreenVertex screen = PretransformedToScreen(vertex);
        bool finite =
            std::isfinite(screen.x) && std::isfinite(screen.y) && std::isfinite(screen.z) && std::isfinite(screen.q);
        // Pretransformed vertices are never clipped; the pixel loop keeps to the viewport.
        scratch.outcodes[i] = finite ? 0u : uint32_t{kClipNotFinite};
        scratch.screenVertices[i] = screen;
        continue;
      }
      uint32_t code = ComputeOutcode(vertex, band);
      scratch.outcodes[i] = code;
      if (code == 0) scratch.screenVertices[i] = ProjectToScreen(vertex, call.viewport);
    }
    if (!firstOnScreen) return;
    scratch.plainVertexChunks[chunk] =
        LikeFirstVertex(&scratch.outcodes[begin], &scratch.screenVertices[begin], end - begin, firstVertex);
  });
  draw.everyTrianglePlain = std::all_of(scratch.plainVertexChunks.begin(), scratch.plainVertexChunks.end(),
                                        [](uint8_t plain) { return plain != 0; });
  draw.firstDiffuse = PackColorChannels(firstVertex.color);
  return draw;
}

// Phase two: the triangles set up and binned to the tiles, a chunk of triangles per task.
// Returns how many chunks hold them.
size_t SetupAndBinTriangles(WorkerPool& pool, DrawScratch& scratch, const TriangleSource& source, size_t vertexCount,
                            const TileGrid& grid) {
  size_t triangleCount = source.call.range.primitiveCount;
  size_t chunkCount = (triangleCount + tuning::kTrianglesPerChunk - 1) / tuning::kTrianglesPerChunk;
  if (scratch.chunks.size() < chunkCount) scratch.chunks.resize(chunkCount);
  pool.ParallelFor(chunkCount, [&](size_t chunkIndex) {
    TriangleChunk& chunk = scratch.chunks[chunkIndex];
    chunk.Clear();
    size_t begin = chunkIndex * tuning::kTrianglesPerChunk;
    size_t end = std::min<size_t>(begin + tuning::kTrianglesPerChunk, triangleCount);
    SetupTriangles(source, vertexCount, begin, end, chunk);
    chunk.LinkExtras();
    chunk.Bin(grid);
  });
  return chunkCount;
}

// One tile of phase three: its triangles from every chunk, in draw order, then the pixels set
// aside.
void RasterizeTile(const PixelPipeline& pipeline, const DrawScratch& scratch, size_t chunkCount, size_t tile,
                   const ScissorRect& tileRect) {
  PrefetchTargets(pipeline, tileRect);
  PendingPixels pending(tileRect);
  // The tile's triangles go to the rasterizer a batch at a time, which spares the small ones a
  // call each. The records were written by setup, likely by the other worker, and are read in
  // tile order: they are asked for as the batch is gathered, since a small triangle takes
  // little time to draw.
  const SetupTriangle* batch[kTrianglesPerBatch];
  int batchSize = 0;
  for (size_t chunkIndex = 0; chunkIndex < chunkCount; ++chunkIndex) {
    const TriangleChunk& chunk = scratch.chunks[chunkIndex];
    const uint32_t first = chunk.tileStart[tile], end = chunk.tileStart[tile + 1];
    for (uint32_t entry = first; entry < end; ++entry) {
      const SetupTriangle* triangle = &chunk.triangles[chunk.tileEntries[entry]];
      PrefetchRecords<false>(triangle, 1);
      batch[batchSize++] = triangle;
      if (batchSize == kTrianglesPerBatch) {
        RasterTriangles(pipeline, batch, batchSize, tileRect, pending);
        batchSize = 0;
      }
    }
  }
  RasterTriangles(pipeline, batch, batchSize, tileRect, pending);
  FinishPendingPixels(pipeline, pending);
}

// Phase three: the tiles that received triangles, one per task.
void RasterizeTiles(WorkerPool& pool, DrawScratch& scratch, const PixelPipeline& pipeline, const TileGrid& grid,
                    size_t chunkCount, const ScissorRect& area) {
  // Tiles are taken in row order: the workers' tiles lie side by side and read neighbouring
  // texels and target rows, which the caches then still hold. (Taking the busiest tiles first,
  // for balance, scattered them and cost more than it saved.)
  std::vector<uint32_t>& load = scratch.tileLoad;
  load.assign(static_cast<size_t>(grid.Count()), 0);
  for (size_t chunkIndex = 0; chunkIndex < chunkCount; ++chunkIndex) {
    const TriangleChunk& chunk = scratch.chunks[chunkIndex];
    for (size_t tile = 0; tile < load.size(); ++tile) load[tile] += chunk.tileStart[tile + 1] - chunk.tileStart[tile];
  }
  pool.ParallelFor(load.size(), [&](size_t tile) {
    if (load[tile] == 0) return;
    const ScissorRect tileRect = Intersection(grid.Rect(static_cast<int>(tile)), area);
    if (!tileRect.Empty()) RasterizeTile(pipeline, scratch, chunkCount, tile, tileRect);
  });
}

}  // namespace

// Checks the draw, then runs its three phases.
Status Device::Draw(const DrawCall& call) {
  Status status = CheckDraw(call);
  if (status != Status::Ok || call.range.primitiveCount == 0) return status;
  size_t lowest = 0, highest = 0;
  status = CheckVertexRange(workers_->pool, call, lowest, highest);
  if (status != Status::Ok) return status;

  ScissorRect area = DrawableArea(call);
  if (area.Empty()) return Status::Ok;

  WorkerPool& pool = workers_->pool;
  DrawScratch& scratch = workers_->scratch;
  const bool avx2 = workers_->simd == SimdLevel::Avx2;
  const size_t vertexCount = highest - lowest + 1;
  const ProcessedDraw processed = ProcessVertices(pool, scratch, call, lowest, vertexCount, avx2);

  const TileGrid grid = TileGrid::Covering(call.color.width, call.color.height);
  const TriangleSource source{call,
                              processed.worldViewProjection,
                              scratch.outcodes.data(),
                              scratch.screenVertices.data(),
                              lowest,
                              processed.band,
                              area,
                              processed.everyTrianglePlain,
                              processed.firstDiffuse,
                              avx2};
  const size_t chunkCount = SetupAndBinTriangles(pool, scratch, source, vertexCount, grid);

  // Where every triangle is plain, each has the first vertex's colour.
  const bool whiteDiffuse = processed.everyTrianglePlain && (processed.firstDiffuse & 0x00FFFFFFu) == 0x00FFFFFFu;
  const PixelPipeline pipeline = PreparePixelPipeline(call, workers_->simd, whiteDiffuse);
  RasterizeTiles(pool, scratch, pipeline, grid, chunkCount, area);
  return Status::Ok;
}

}  // namespace refdevice
