#include "gfxsupport/meshes/mesh_builder.h"

#include <cmath>
#include <cstring>
#include <new>

#include "gfxsupport/meshes/xfile_errors.h"
#include "gfxsupport/meshes/xfile_guids.h"
#include "gfxsupport/meshes/xfile_parser.h"
#include "gfxsupport/read_failure.h"

namespace gfx::meshes {

namespace {

constexpr size_t kMostDeclarationElements = 64;

// Bounds-checked reading of an object's member values.
class ObjectData {
 public:
  explicit ObjectData(const XDataObject& object) : bytes_(object.data.data()), size_(object.data.size()) {}

  uint64_t size() const { return size_; }
  bool Has(uint64_t offset, uint64_t bytes) const { return offset <= size_ && bytes <= size_ - offset; }
  bool Dword(uint64_t offset, uint32_t* value) const {
    if (!Has(offset, 4)) return false;
    std::memcpy(value, bytes_ + offset, 4);
    return true;
  }
  // Unchecked: the caller has checked the whole range with Has.
  uint32_t DwordAt(uint64_t offset) const {
    uint32_t value;
    std::memcpy(&value, bytes_ + offset, 4);
    return value;
  }
  float FloatAt(uint64_t offset) const {
    float value;
    std::memcpy(&value, bytes_ + offset, 4);
    return value;
  }
  const uint8_t* At(uint64_t offset) const { return bytes_ + offset; }

 private:
  const uint8_t* bytes_;
  uint64_t size_;
};

bool IsOfType(const XFileParser& parser, const XDataObject& object, const GUID& guid) {
  const XTemplate& type = parser.TemplateAt(object.templateIndex);
  return type.hasGuid && SameGuid(type.guid, guid);
}

// The Mesh object's own data, checked: counts, corner counts and vertex indices.
struct MeshFaces {
  uint32_t vertexCount = 0;
  uint32_t faceCount = 0;
  uint64_t facesOffset = 0;
  uint64_t triangleCount = 0;
};

HRESULT ReadMeshFaces(const ObjectData& data, MeshFaces* faces) {
  if (!data.Dword(0, &faces->vertexCount)) return Refuse("a Mesh ends before its vertex count");
  uint64_t offset = 4 + uint64_t(faces->vertexCount) * 12;
  if (!data.Dword(offset, &faces->faceCount)) return Refuse("a Mesh ends before its face count");
  offset += 4;
  faces->facesOffset = offset;
  for (uint32_t f = 0; f < faces->faceCount; ++f) {
    uint32_t corners;
    if (!data.Dword(offset, &corners)) return Refuse("a Mesh ends inside its faces");
    if (corners < 3) return Refuse("a Mesh face has %u corners", corners);
    offset += 4;
    if (!data.Has(offset, uint64_t(corners) * 4)) return Refuse("a Mesh ends inside its faces");
    for (uint32_t c = 0; c < corners; ++c) {
      if (data.DwordAt(offset + 4 * uint64_t(c)) >= faces->vertexCount)
        return Refuse("a Mesh face names a vertex the Mesh does not have");
    }
    offset += uint64_t(corners) * 4;
    faces->triangleCount += corners - 2;
  }
  return offset == data.size() ? S_OK : Refuse("a Mesh holds more than its vertices and faces");
}

float QuantiseColor(float component) {
  if (!(component > 0)) return 0;  // also NaN
  if (component >= 1) return 1;
  return float(unsigned(component * 255 + 0.5f)) / 255.0f;
}

HRESULT ReadMaterial(const XFileParser& parser, const XDataObject& object, MeshMaterial* material) {
  ObjectData data(object);
  if (!data.Has(0, 44)) return Refuse("a Material ends before its colours");
  for (int i = 0; i < 4; ++i) material->diffuse[i] = data.FloatAt(4 * i);
  material->power = data.FloatAt(16);
  for (int i = 0; i < 3; ++i) material->specular[i] = data.FloatAt(20 + 4 * i);
  for (int i = 0; i < 3; ++i) material->emissive[i] = data.FloatAt(32 + 4 * i);
  for (const XChild& child : object.children) {
    bool isTexture = IsOfType(parser, *child.object, xfile_guids::kTextureFilename);
    bool isEffect = IsOfType(parser, *child.object, xfile_guids::kEffectInstance);
    if (!isTexture && !isEffect) continue;
    uint32_t index;
    if (!ObjectData(*child.object).Dword(0, &index) || index >= child.object->strings.size())
      return Refuse("a material's texture or effect file name is missing");
    (isTexture ? material->textureFilename : material->effectFilename) = child.object->strings[index];
  }
  return S_OK;
}

// The children of a Mesh that shape its vertices and triangles; null when absent.
struct MeshChildren {
  const XDataObject* textureCoords = nullptr;
  const XDataObject* vertexColors = nullptr;
  const XDataObject* normals = nullptr;
  const XDataObject* materialList = nullptr;
  const XDataObject* fvfData = nullptr;
  const XDataObject* declData = nullptr;
  const XDataObject* progressiveInfo = nullptr;
};

MeshChildren FindChildren(const XFileParser& parser, const XDataObject& mesh) {
  MeshChildren found;
  for (const XChild& child : mesh.children) {
    const XDataObject& object = *child.object;
    if (IsOfType(parser, object, xfile_guids::kMeshTextureCoords))
      found.textureCoords = &object;
    else if (IsOfType(parser, object, xfile_guids::kMeshVertexColors))
      found.vertexColors = &object;
    else if (IsOfType(parser, object, xfile_guids::kMeshNormals))
      found.normals = &object;
    else if (IsOfType(parser, object, xfile_guids::kMeshMaterialList))
      found.materialList = &object;
    else if (IsOfType(parser, object, xfile_guids::kFvfData))
      found.fvfData = &object;
    else if (IsOfType(parser, object, xfile_guids::kDeclData))
      found.declData = &object;
    else if (IsOfType(parser, object, xfile_guids::kPmInfo))
      found.progressiveInfo = &object;
  }
  return found;
}

// Per-vertex values of FVFData or DeclData: count DWORDs from offset, stride per vertex.
struct ExtraValues {
  uint64_t offset = 0;
  uint32_t dwordsPerVertex = 0;
};

bool ReadExtraValues(const ObjectData& data, uint64_t countOffset, uint32_t vertexCount, ExtraValues* values) {
  uint32_t count;
  if (!data.Dword(countOffset, &count) || !data.Has(countOffset + 4, uint64_t(count) * 4)) return false;
  values->offset = countOffset + 4;
  values->dwordsPerVertex = vertexCount > 0 ? count / vertexCount : 0;
  return true;
}

class MeshBuilder {
 public:
  MeshBuilder(const XFileParser& parser, const XDataObject& mesh, BuiltMesh* built)
      : parser_(parser), mesh_(mesh), data_(mesh), built_(built) {}

  HRESULT Build() {
    HRESULT result = ReadMeshFaces(data_, &faces_);
    if (FAILED(result)) return result;
    children_ = FindChildren(parser_, mesh_);
    if (FAILED(result = ChooseFormat())) return result;
    if (FAILED(result = MakeFileVertices())) return result;
    if (FAILED(result = ReadMaterials())) return result;
    if (FAILED(result = MakeTriangles())) return result;
    if (built_->hasNormals && children_.normals == nullptr) ComputeNormals();
    ReadProgressiveInfo();
    if (built_->attributes.empty() || built_->vertices.empty())
      return RefuseWith(ErrMeshHasNoData, "a Mesh has no vertex or no triangle");
    return S_OK;
  }

 private:
  HRESULT ChooseFormat() {
    DWORD fvf = D3DFVF_XYZ;
    if (children_.fvfData != nullptr) {
      uint32_t fileFvf;
      if (!ObjectData(*children_.fvfData).Dword(0, &fileFvf)) return Refuse("FVFData ends before its vertex format");
      fvf = fileFvf & kMeshFvfBits;
      if ((fvf & D3DFVF_POSITION_MASK) == 0) fvf |= D3DFVF_XYZ;
    }
    if (children_.normals != nullptr) fvf |= D3DFVF_NORMAL;
    if (children_.vertexColors != nullptr) fvf |= D3DFVF_DIFFUSE;
    DWORD textureSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (textureSets > 8)
      return Refuse("the vertex format names %lu texture coordinate sets", static_cast<unsigned long>(textureSets));
    if (children_.textureCoords != nullptr) {
      if (textureSets == 8)
        return RefuseWith(D3DERR_INVALIDCALL, "MeshTextureCoords would make a ninth texture coordinate set");
      // The file's coordinates become set 0 (two floats); the FVFData sets move up by one.
      DWORD sizeCodes = fvf & 0xFFFF0000u;
      fvf = (fvf & ~(D3DFVF_TEXCOUNT_MASK | 0xFFFF0000u)) | ((textureSets + 1) << D3DFVF_TEXCOUNT_SHIFT) |
            (sizeCodes << 2);
    }

    std::vector<D3DVERTEXELEMENT9> declared;
    if (children_.declData != nullptr) {
      ObjectData decl(*children_.declData);
      uint32_t count;
      if (!decl.Dword(0, &count) || count > kMostDeclarationElements || !decl.Has(4, uint64_t(count) * 16)) {
        return Refuse("DeclData ends inside its elements, or names more than %u",
                      static_cast<unsigned>(kMostDeclarationElements));
      }
      for (uint32_t i = 0; i < count; ++i) {
        D3DVERTEXELEMENT9 element{};
        element.Type = BYTE(decl.DwordAt(4 + 16 * i));
        element.Method = BYTE(decl.DwordAt(8 + 16 * i));
        element.Usage = BYTE(decl.DwordAt(12 + 16 * i));
        element.UsageIndex = BYTE(decl.DwordAt(16 + 16 * i));
        declared.push_back(element);
      }
      if (!ReadExtraValues(decl, 4 + uint64_t(count) * 16, faces_.vertexCount, &declValues_))
        return Refuse("DeclData does not hold the values of every vertex");
    }
    if (children_.fvfData != nullptr &&
        !ReadExtraValues(ObjectData(*children_.fvfData), 4, faces_.vertexCount, &fvfValues_)) {
      return Refuse("FVFData does not hold the values of every vertex");
    }

    built_->hasNormals = (fvf & D3DFVF_NORMAL) != 0;
    built_->hasColors = children_.vertexColors != nullptr;
    built_->hasTexCoords = children_.textureCoords != nullptr;
    if (!BuildVertexLayout(fvf, built_->hasColors, built_->hasTexCoords, declared, &built_->layout)) {
      return Refuse("the vertex format or declaration cannot be built");
    }
    uint32_t declBytes = 0;
    for (const D3DVERTEXELEMENT9& element : declared) declBytes += DeclarationTypeSize(element.Type);
    fvfExtraBytes_ = built_->layout.extraBytes - declBytes;
    return S_OK;
  }

  HRESULT MakeFileVertices() {
    const uint32_t count = faces_.vertexCount;
    std::vector<LoadVertex>& vertices = built_->vertices;
    vertices.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
      LoadVertex& vertex = vertices[i];
      std::memcpy(vertex.position, data_.At(4 + 12 * uint64_t(i)), 12);
      vertex.color[0] = vertex.color[1] = vertex.color[2] = vertex.color[3] = 1;
      vertex.texCoord[0] = vertex.texCoord[1] = 0;
      vertex.normal[0] = vertex.normal[1] = vertex.normal[2] = 0;
      vertex.fileIndex = i;
      vertex.nextCopy = i;
      vertex.colorSet = false;
      vertex.normalSet = false;
      vertex.normalCount = 0;
    }

    if (children_.textureCoords != nullptr) {
      ObjectData coords(*children_.textureCoords);
      uint32_t n;
      if (!coords.Dword(0, &n) || n != count || !coords.Has(4, uint64_t(n) * 8))
        return Refuse("MeshTextureCoords does not hold one pair for every vertex");
      for (uint32_t i = 0; i < n; ++i) std::memcpy(vertices[i].texCoord, coords.At(4 + 8 * uint64_t(i)), 8);
    }

    if (children_.vertexColors != nullptr) {
      ObjectData colors(*children_.vertexColors);
      uint32_t n;
      if (!colors.Dword(0, &n) || !colors.Has(4, uint64_t(n) * 20))
        return Refuse("MeshVertexColors ends inside its colours");
      for (uint32_t i = 0; i < n; ++i) {
        uint64_t entry = 4 + 20 * uint64_t(i);
        uint32_t index = colors.DwordAt(entry);
        if (index >= count) return Refuse("MeshVertexColors names a vertex the Mesh does not have");
        LoadVertex& vertex = vertices[index];
        for (int c = 0; c < 4; ++c) vertex.color[c] = QuantiseColor(colors.FloatAt(entry + 4 + 4 * c));
        vertex.colorSet = true;
      }
    }

    const uint32_t extraBytes = built_->layout.extraBytes;
    built_->extra.assign(uint64_t(count) * extraBytes, 0);
    if (extraBytes > 0) {
      CopyExtraValues(children_.fvfData, fvfValues_, 0, fvfExtraBytes_);
      CopyExtraValues(children_.declData, declValues_, fvfExtraBytes_, extraBytes - fvfExtraBytes_);
    }
    return S_OK;
  }

  void CopyExtraValues(const XDataObject* object, const ExtraValues& values, uint32_t at, uint32_t bytes) {
    if (object == nullptr || bytes == 0) return;
    ObjectData data(*object);
    uint32_t copied = std::min<uint32_t>(values.dwordsPerVertex * 4, bytes);
    const uint32_t stride = built_->layout.extraBytes;
    for (uint32_t i = 0; i < faces_.vertexCount; ++i) {
      std::memcpy(&built_->extra[uint64_t(i) * stride + at],
                  data.At(values.offset + uint64_t(i) * values.dwordsPerVertex * 4), copied);
    }
  }

  HRESULT ReadMaterials() {
    std::vector<MeshMaterial>& materials = built_->materials;
    if (children_.materialList == nullptr) {
      materials.assign(1, MeshMaterial());
      return S_OK;
    }
    const XDataObject& list = *children_.materialList;
    ObjectData data(list);
    uint32_t materialCount;
    if (!data.Dword(0, &materialCount) || !data.Dword(4, &faceIndexCount_) ||
        !data.Has(8, uint64_t(faceIndexCount_) * 4)) {
      return Refuse("MeshMaterialList ends inside its face indices");
    }
    // A count beyond both the materials present and the faces could only be damage.
    if (materialCount > std::max<uint64_t>(list.children.size(), faces_.faceCount))
      return Refuse("MeshMaterialList counts %u materials", materialCount);
    for (uint32_t f = 0; f < std::min(faceIndexCount_, faces_.faceCount); ++f) {
      if (data.DwordAt(8 + 4 * uint64_t(f)) >= materialCount)
        return Refuse("MeshMaterialList names a material it does not have");
    }
    materialIndexes_ = &list;
    built_->hasMaterialList = true;
    materials.assign(materialCount, MeshMaterial());
    size_t next = 0;
    for (const XChild& child : list.children) {
      if (next == materials.size()) break;
      if (!IsOfType(parser_, *child.object, xfile_guids::kMaterial)) continue;
      HRESULT result = ReadMaterial(parser_, *child.object, &materials[next++]);
      if (FAILED(result)) return result;
    }
    return S_OK;
  }

  DWORD MaterialOfFace(uint32_t face) const {
    if (materialIndexes_ == nullptr || face >= faceIndexCount_) return 0;
    return ObjectData(*materialIndexes_).DwordAt(8 + 4 * uint64_t(face));
  }

  HRESULT MakeTriangles() {
    const bool splitByNormal = children_.normals != nullptr;
    uint32_t normalCount = 0, faceNormalCount = 0;
    uint64_t faceNormalOffset = 0;
    ObjectData normals = splitByNormal ? ObjectData(*children_.normals) : data_;
    if (splitByNormal) {
      if (!normals.Dword(0, &normalCount) || !normals.Has(4, uint64_t(normalCount) * 12))
        return Refuse("MeshNormals ends inside its normals");
      uint64_t offset = 4 + uint64_t(normalCount) * 12;
      if (!normals.Dword(offset, &faceNormalCount) || faceNormalCount < faces_.faceCount)
        return Refuse("MeshNormals has fewer faces than the Mesh");
      faceNormalOffset = offset + 4;
    }

    built_->indices.reserve(faces_.triangleCount * 3);
    built_->attributes.reserve(faces_.triangleCount);
    uint64_t offset = faces_.facesOffset;
    for (uint32_t f = 0; f < faces_.faceCount; ++f) {
      const uint32_t corners = data_.DwordAt(offset);
      const uint64_t first = offset + 4;
      offset = first + 4 * uint64_t(corners);
      uint64_t firstNormal = 0;
      if (splitByNormal) {
        uint32_t normalCorners;
        if (!normals.Dword(faceNormalOffset, &normalCorners) || normalCorners != corners ||
            !normals.Has(faceNormalOffset + 4, uint64_t(corners) * 4)) {
          return Refuse("MeshNormals faces do not match the Mesh's");
        }
        firstNormal = faceNormalOffset + 4;
        faceNormalOffset = firstNormal + uint64_t(corners) * 4;
        for (uint32_t c = 0; c < corners; ++c) {
          if (normals.DwordAt(firstNormal + 4 * uint64_t(c)) >= normalCount)
            return Refuse("MeshNormals names a normal it does not have");
        }
      }
      const DWORD material = MaterialOfFace(f);
      for (uint32_t k = 1; k + 1 < corners; ++k) {
        const uint32_t fan[3] = {0, k, k + 1};
        uint32_t fileIndex[3];
        for (int i = 0; i < 3; ++i) fileIndex[i] = data_.DwordAt(first + 4 * uint64_t(fan[i]));
        if (fileIndex[0] == fileIndex[1] || fileIndex[1] == fileIndex[2] || fileIndex[0] == fileIndex[2]) {
          continue;  // no area: dropped before it can split any vertex
        }
        for (int i = 0; i < 3; ++i) {
          uint32_t vertex = fileIndex[i];
          if (splitByNormal) {
            uint32_t normalIndex = normals.DwordAt(firstNormal + 4 * uint64_t(fan[i]));
            vertex = VertexWithNormal(fileIndex[i], normals.At(4 + 12 * uint64_t(normalIndex)));
          }
          built_->indices.push_back(vertex);
        }
        built_->attributes.push_back(material);
      }
    }
    return S_OK;
  }

  // The copy of a file vertex whose normal is exactly the given one, made when there is none.
  uint32_t VertexWithNormal(uint32_t fileIndex, const uint8_t* normalBytes) {
    std::vector<LoadVertex>& vertices = built_->vertices;
    uint32_t candidate = fileIndex;
    do {
      LoadVertex& vertex = vertices[candidate];
      if (!vertex.normalSet) {
        std::memcpy(vertex.normal, normalBytes, 12);
        vertex.normalSet = true;
        return candidate;
      }
      if (std::memcmp(vertex.normal, normalBytes, 12) == 0) return candidate;
      candidate = vertex.nextCopy;
    } while (candidate != fileIndex);

    const uint32_t copy = uint32_t(vertices.size());
    LoadVertex added = vertices[fileIndex];
    std::memcpy(added.normal, normalBytes, 12);
    added.nextCopy = vertices[fileIndex].nextCopy;
    vertices.push_back(added);
    vertices[fileIndex].nextCopy = copy;

    const uint32_t stride = built_->layout.extraBytes;
    if (stride > 0) {
      std::vector<uint8_t>& extra = built_->extra;
      extra.resize(extra.size() + stride);
      std::memcpy(&extra[uint64_t(copy) * stride], &extra[uint64_t(fileIndex) * stride], stride);
    }
    return copy;
  }

  // Each triangle's normal is added to its three vertices; a vertex that got several is
  // renormalised. A triangle without area adds nothing rather than an undefined direction.
  void ComputeNormals() {
    std::vector<LoadVertex>& vertices = built_->vertices;
    const std::vector<uint32_t>& indices = built_->indices;
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
      const float* p0 = vertices[indices[t]].position;
      const float* p1 = vertices[indices[t + 1]].position;
      const float* p2 = vertices[indices[t + 2]].position;
      float a[3] = {p0[0] - p1[0], p0[1] - p1[1], p0[2] - p1[2]};
      float b[3] = {p0[0] - p2[0], p0[1] - p2[1], p0[2] - p2[2]};
      float n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
      float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
      if (!(length > 0)) continue;
      for (float& c : n) c /= length;
      for (int i = 0; i < 3; ++i) {
        LoadVertex& vertex = vertices[indices[t + i]];
        for (int c = 0; c < 3; ++c) vertex.normal[c] += n[c];
        ++vertex.normalCount;
      }
    }
    for (LoadVertex& vertex : vertices) {
      if (vertex.normalCount < 2) continue;
      float* n = vertex.normal;
      float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
      if (length > 0) {
        for (int c = 0; c < 3; ++c) n[c] /= length;
      }
    }
  }

  void ReadProgressiveInfo() {
    if (children_.progressiveInfo == nullptr) return;
    ObjectData info(*children_.progressiveInfo);
    uint32_t ranges;
    if (!info.Dword(0, &ranges) || !info.Has(4, uint64_t(ranges) * 24)) return;
    for (uint32_t i = 0; i < ranges; ++i) {
      built_->progressiveFaces += info.DwordAt(4 + 24 * uint64_t(i) + 8);
      built_->progressiveVertices += info.DwordAt(4 + 24 * uint64_t(i) + 20);
    }
  }

  const XFileParser& parser_;
  const XDataObject& mesh_;
  ObjectData data_;
  BuiltMesh* built_;
  MeshFaces faces_;
  MeshChildren children_;
  ExtraValues fvfValues_;
  ExtraValues declValues_;
  uint32_t fvfExtraBytes_ = 0;
  const XDataObject* materialIndexes_ = nullptr;
  uint32_t faceIndexCount_ = 0;
};

}  // namespace

HRESULT BuildMesh(const XFileParser& parser, const XDataObject& mesh, BuiltMesh* built) {
  try {
    MeshBuilder builder(parser, mesh, built);
    return builder.Build();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

void TransformMesh(const float m[16], BuiltMesh* built) {
  static const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  if (std::memcmp(m, kIdentity, sizeof kIdentity) == 0) return;
  for (LoadVertex& vertex : built->vertices) {
    const float x = vertex.position[0], y = vertex.position[1], z = vertex.position[2];
    for (int c = 0; c < 3; ++c) vertex.position[c] = x * m[c] + y * m[4 + c] + z * m[8 + c] + m[12 + c];
    if (!built->hasNormals) continue;
    const float nx = vertex.normal[0], ny = vertex.normal[1], nz = vertex.normal[2];
    float n[3];
    for (int c = 0; c < 3; ++c) n[c] = nx * m[c] + ny * m[4 + c] + nz * m[8 + c];
    float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int c = 0; c < 3; ++c) vertex.normal[c] = length > 0 ? n[c] / length : n[c];
  }
}

}  // namespace gfx::meshes
