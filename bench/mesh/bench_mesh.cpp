// bench_mesh: loads a generated grid mesh of 100,000 vertices with texture coordinates and
// normals, from text and from binary, and reports MB/s of file, vertices/s, and the most heap
// the load held at once against the size of the final buffers (MemoryRatio). Goals: text
// 100 MB/s, binary 400 MB/s, a ratio of at most 3.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "allocation_meter.h"
#include "gfxsupport/meshes/mesh_loader.h"
#include "xfile_writer.h"

namespace {

constexpr uint32_t kColumns = 400;
constexpr uint32_t kRows = 250;  // 100,000 vertices

std::vector<uint8_t> GridFile(XForm form) {
  const uint32_t vertices = kColumns * kRows;
  const uint32_t quads = (kColumns - 1) * (kRows - 1);
  std::vector<float> positions, coordinates, normals;
  std::vector<uint32_t> faces{quads};
  for (uint32_t r = 0; r < kRows; ++r) {
    for (uint32_t c = 0; c < kColumns; ++c) {
      float x = float(c) * 0.0137f - 2.5f, y = float(r) * 0.0213f - 2.5f;
      float z = 0.3f * std::sin(x * 1.7f) * std::cos(y * 2.3f);
      positions.insert(positions.end(), {x, y, z});
      coordinates.insert(coordinates.end(), {float(c) / (kColumns - 1), float(r) / (kRows - 1)});
      float nx = -0.51f * std::cos(x * 1.7f) * std::cos(y * 2.3f), ny = 0.69f * std::sin(x * 1.7f) * std::sin(y * 2.3f);
      float length = std::sqrt(nx * nx + ny * ny + 1);
      normals.insert(normals.end(), {nx / length, ny / length, 1 / length});
    }
  }
  for (uint32_t r = 0; r + 1 < kRows; ++r) {
    for (uint32_t c = 0; c + 1 < kColumns; ++c) {
      uint32_t v = r * kColumns + c;
      faces.insert(faces.end(), {4, v, v + 1, v + 1 + kColumns, v + kColumns});
    }
  }
  XFileWriter writer(form);
  writer.Begin("Mesh", "Grid").Integers({vertices}).Floats(positions).Integers(faces);
  writer.Begin("MeshTextureCoords").Integers({vertices}).Floats(coordinates).End();
  writer.Begin("MeshNormals").Integers({vertices}).Floats(normals).Integers(faces).End();
  writer.End();
  return writer.Finish();
}

void LoadGrid(benchmark::State& state, XForm form) {
  const std::vector<uint8_t> file = GridFile(form);
  size_t finalBytes = 0;
  double ratio = 0;
  for (auto _ : state) {
    const size_t before = HeapBytesInUse();
    ResetHeapPeak();
    TriangleMesh* mesh = nullptr;
    HRESULT result =
        LoadMeshFromMemory(file.data(), file.size(), 0x110, nullptr, nullptr, nullptr, nullptr, nullptr, &mesh);
    if (FAILED(result)) {
      state.SkipWithError("the grid did not load");
      return;
    }
    finalBytes = HeapBytesInUse() - before;
    ratio = double(HeapPeakBytes() - before) / double(finalBytes);
    mesh->Release();
  }
  state.SetBytesProcessed(int64_t(state.iterations() * file.size()));
  state.counters["Vertices/s"] =
      benchmark::Counter(double(state.iterations()) * kColumns * kRows, benchmark::Counter::kIsRate);
  state.counters["FileMB"] = double(file.size()) / 1e6;
  state.counters["FinalMB"] = double(finalBytes) / 1e6;
  state.counters["MemoryRatio"] = ratio;
}

void BM_LoadText(benchmark::State& state) { LoadGrid(state, XForm::Text); }
void BM_LoadBinary(benchmark::State& state) { LoadGrid(state, XForm::Binary); }
BENCHMARK(BM_LoadText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBinary)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
