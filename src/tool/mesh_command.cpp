// orbelune-tool mesh FILE [--dump]: loads an X file as the saver loads its disc mesh (options
// 0x110) and prints what came out; with --dump every vertex and face, one a line, so that two
// loads can be compared with diff. The mesh is loaded without a device, into plain memory.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "gfxsupport/meshes/mesh_loader.h"
#include "gfxsupport/meshes/xfile_errors.h"
#include "gfxsupport/read_failure.h"
#include "tool/commands.h"
#include "tool/failure_report.h"
#include "tool/input_file.h"

namespace {

constexpr DWORD kSaverMeshOptions = 0x110;

const char* Meaning(HRESULT result) {
  switch (result) {
    case S_OK:
      return "the mesh loaded";
    case ErrXFileBadType:
      return "not an X file, or an unknown format";
    case ErrXFileBadVersion:
      return "unknown X-file version";
    case ErrXFileBadFloatSize:
      return "unknown float size";
    case D3DERR_INVALIDCALL:
      return "invalid call (no data, or a vertex format the loader cannot build)";
    case E_OUTOFMEMORY:
      return "out of memory";
    case E_FAIL:
      return "damaged or inconsistent data, or no mesh in the file";
    default:
      return "failed";
  }
}

const char* UsageName(BYTE usage) {
  static const char* const kNames[] = {"position", "blendweight", "blendindices", "normal",     "psize",
                                       "texcoord", "tangent",     "binormal",     "tessfactor", "positiont",
                                       "color",    "fog",         "depth",        "sample"};
  return usage < sizeof kNames / sizeof kNames[0] ? kNames[usage] : "usage?";
}

// Floats print exactly (%.9g); colours and packed types as hexadecimal words.
void PrintElement(const D3DVERTEXELEMENT9& element, const uint8_t* vertex) {
  std::printf(" %s%u", UsageName(element.Usage), unsigned(element.UsageIndex));
  const uint8_t* at = vertex + element.Offset;
  int floats = 0;
  switch (element.Type) {
    case D3DDECLTYPE_FLOAT1:
      floats = 1;
      break;
    case D3DDECLTYPE_FLOAT2:
      floats = 2;
      break;
    case D3DDECLTYPE_FLOAT3:
      floats = 3;
      break;
    case D3DDECLTYPE_FLOAT4:
      floats = 4;
      break;
    default:
      break;
  }
  if (floats > 0) {
    for (int i = 0; i < floats; ++i) {
      float value;
      std::memcpy(&value, at + 4 * i, 4);
      std::printf(" %.9g", double(value));
    }
  } else {
    unsigned words = element.Type == D3DDECLTYPE_SHORT4 || element.Type == D3DDECLTYPE_SHORT4N ||
                             element.Type == D3DDECLTYPE_USHORT4N || element.Type == D3DDECLTYPE_FLOAT16_4
                         ? 2
                         : 1;
    for (unsigned i = 0; i < words; ++i) {
      uint32_t value;
      std::memcpy(&value, at + 4 * i, 4);
      std::printf(" 0x%08" PRIX32, value);
    }
  }
  std::printf(";");
}

void PrintMesh(TriangleMesh* mesh, bool dump) {
  std::printf("fvf: 0x%08lX\n", static_cast<unsigned long>(mesh->Fvf()));
  std::printf("vertices: %lu\n", static_cast<unsigned long>(mesh->VertexCount()));
  std::printf("faces: %lu\n", static_cast<unsigned long>(mesh->FaceCount()));
  std::printf("index width: %d bits\n", mesh->Has32BitIndices() ? 32 : 16);
  std::printf("attribute table: %zu entries\n", mesh->AttributeTable().size());
  for (const AttributeRange& range : mesh->AttributeTable()) {
    std::printf("  attribute %lu: first face %lu, faces %lu, first vertex %lu, vertices %lu\n",
                static_cast<unsigned long>(range.AttribId), static_cast<unsigned long>(range.FaceStart),
                static_cast<unsigned long>(range.FaceCount), static_cast<unsigned long>(range.VertexStart),
                static_cast<unsigned long>(range.VertexCount));
  }
  if (!dump) return;

  void* data;
  if (SUCCEEDED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data))) {
    const uint8_t* vertices = static_cast<const uint8_t*>(data);
    for (DWORD v = 0; v < mesh->VertexCount(); ++v) {
      std::printf("vertex %lu:", static_cast<unsigned long>(v));
      for (const D3DVERTEXELEMENT9& element : mesh->Declaration()) {
        if (element.Stream == 0xFF) break;
        PrintElement(element, vertices + size_t(v) * mesh->VertexSize());
      }
      std::printf("\n");
    }
    mesh->UnlockVertexBuffer();
  }
  if (SUCCEEDED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &data))) {
    for (DWORD f = 0; f < mesh->FaceCount(); ++f) {
      unsigned long corner[3];
      for (int i = 0; i < 3; ++i) {
        size_t at = size_t(f) * 3 + i;
        corner[i] =
            mesh->Has32BitIndices() ? static_cast<const uint32_t*>(data)[at] : static_cast<const uint16_t*>(data)[at];
      }
      std::printf("face %lu: %lu %lu %lu attribute %lu\n", static_cast<unsigned long>(f), corner[0], corner[1],
                  corner[2], static_cast<unsigned long>(mesh->Attributes()[f]));
    }
    mesh->UnlockIndexBuffer();
  }
}

}  // namespace

int RunMeshCommand(int argc, char** argv) {
  const char* path = nullptr;
  bool dump = false;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--dump") == 0) {
      dump = true;
    } else if (path == nullptr && argv[i][0] != '-') {
      path = argv[i];
    } else {
      return ReportUsageError(kMeshUsage, "unexpected argument", argv[i]);
    }
  }
  if (path == nullptr) return ReportUsageError(kMeshUsage, "the X FILE is missing");
  std::vector<BYTE> bytes;
  if (!ReadInputFile(path, &bytes)) return 1;

  TriangleMesh* mesh = nullptr;
  HRESULT result = LoadMeshFromMemory(bytes.data(), bytes.size(), kSaverMeshOptions, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, &mesh);
  std::printf("result: 0x%08lX (%s)\n", static_cast<unsigned long>(static_cast<uint32_t>(result)), Meaning(result));
  if (FAILED(result)) {
    const char* reason = *LastReadFailure() != '\0' ? LastReadFailure() : Meaning(result);
    return ReportFailure("decode", path, reason, result);
  }
  PrintMesh(mesh, dump);
  mesh->Release();
  return 0;
}
