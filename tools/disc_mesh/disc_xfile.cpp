#include "disc_xfile.h"

#include <cstdio>

namespace {

// Six decimals without trailing zeros: 0.5, -0.123457, 0.
std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", value);
  std::string number = text;
  number.erase(number.find_last_not_of('0') + 1);
  if (number.back() == '.') number.pop_back();
  if (number == "-0") number = "0";
  return number;
}

// An array's elements end with "," and the last with ";", followed by the array's own ";".
const char* ElementEnd(size_t index, size_t count) { return index + 1 < count ? ",\n" : ";;\n"; }

void WritePositions(const DiscMesh& mesh, std::string& out) {
  out += std::to_string(mesh.vertices.size()) + ";\n";
  for (size_t i = 0; i < mesh.vertices.size(); ++i) {
    const hyperbolic::Point& p = mesh.vertices[i].position;
    out += Number(p.real()) + ";" + Number(p.imag()) + ";0;" + ElementEnd(i, mesh.vertices.size());
  }
}

void WriteFaces(const DiscMesh& mesh, std::string& out) {
  out += std::to_string(mesh.triangles.size()) + ";\n";
  for (size_t f = 0; f < mesh.triangles.size(); ++f) {
    const auto& t = mesh.triangles[f];
    out += "3;" + std::to_string(t[0]) + "," + std::to_string(t[1]) + "," + std::to_string(t[2]) + ";" +
           ElementEnd(f, mesh.triangles.size());
  }
}

void WriteTextureCoords(const DiscMesh& mesh, std::string& out) {
  out += "MeshTextureCoords {\n" + std::to_string(mesh.vertices.size()) + ";\n";
  for (size_t i = 0; i < mesh.vertices.size(); ++i) {
    const TexturePoint& t = mesh.vertices[i].texture;
    out += Number(t.u) + ";" + Number(t.v) + ";" + ElementEnd(i, mesh.vertices.size());
  }
  out += "}\n";
}

// One white material; every face names it.
void WriteMaterialList(const DiscMesh& mesh, std::string& out) {
  out += "MeshMaterialList {\n1;\n" + std::to_string(mesh.triangles.size()) + ";\n";
  constexpr size_t kPerLine = 40;
  for (size_t f = 0; f < mesh.triangles.size(); ++f) {
    bool last = f + 1 == mesh.triangles.size();
    out += last ? "0;\n" : (f % kPerLine == kPerLine - 1 ? "0,\n" : "0,");
  }
  out += "Material {\n1;1;1;1;;\n0;\n0;0;0;;\n0;0;0;;\n}\n}\n";
}

}  // namespace

std::string DiscXFileText(const DiscMesh& mesh) {
  std::string out = "xof 0303txt 0032\n";
  out += "// The kaleidoscope disc of Orbelune: the {3,8} tiling with a vertex at the centre.\n";
  out += "// Written by tools/disc_mesh; the regenerate_disc_mesh target rewrites it.\n";
  out += "Mesh Disc {\n";
  WritePositions(mesh, out);
  WriteFaces(mesh, out);
  WriteTextureCoords(mesh, out);
  WriteMaterialList(mesh, out);
  out += "}\n";
  return out;
}
