// Writes the disc mesh into the folder given as the first argument: disc.x, the readable text
// X file, and disc.mesh, the same bytes scrambled as the program carries them (raw data 118).
// With --pictures FOLDER it also draws the mesh there (PPM): the whole disc as a chessboard
// of its tiles and with a test pattern, and the triangles' edges near the centre and at the
// rim.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "disc_mesh.h"
#include "disc_xfile.h"
#include "mesh_picture.h"
#include "resource_scrambling.h"

namespace {

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::fprintf(stderr, "generate_disc_mesh: cannot write %s\n", path.c_str());
  return static_cast<bool>(out);
}

bool DrawPictures(const DiscMesh& mesh, const std::string& folder) {
  const struct {
    const char* name;
    PictureView view;
  } kPictures[] = {
      {"disc_tiles.ppm", {1024, {0, 0}, 500, PictureStyle::kChessboard}},
      {"disc_pattern.ppm", {1024, {0, 0}, 500, PictureStyle::kPattern}},
      {"disc_centre_edges.ppm", {1024, {0.3, 0.15}, 1500, PictureStyle::kPatternAndEdges}},
      {"disc_rim_edges.ppm", {1024, {0.93, 0.2}, 8000, PictureStyle::kPatternAndEdges}},
  };
  bool written = true;
  for (const auto& picture : kPictures) {
    written = WriteBytes(folder + "/" + picture.name, EncodePpm(DrawDiscMesh(mesh, picture.view))) && written;
  }
  return written;
}

}  // namespace

int main(int argc, char** argv) {
  bool withPictures = argc == 4 && std::strcmp(argv[2], "--pictures") == 0;
  if (argc != 2 && !withPictures) {
    std::fprintf(stderr, "usage: generate_disc_mesh <output folder> [--pictures <folder>]\n");
    return 2;
  }
  DiscMesh mesh = BuildDiscMesh();
  std::string text = DiscXFileText(mesh);
  std::vector<uint8_t> readable(text.begin(), text.end());
  std::string folder = argv[1];
  bool written = WriteBytes(folder + "/disc.x", readable);
  written = WriteBytes(folder + "/disc.mesh", ScrambleResource(readable)) && written;
  if (withPictures) written = DrawPictures(mesh, argv[3]) && written;
  std::printf("generate_disc_mesh: %zu vertices, %zu triangles, %zu bytes\n", mesh.vertices.size(),
              mesh.triangles.size(), readable.size());
  return written ? 0 : 1;
}
