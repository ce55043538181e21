// Writes one mesh in all five forms into a folder, for the end-to-end check that
// orbelune-tool dumps every form to the same lines.
#include <cstdio>
#include <string>

#include "xfile_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_mesh_forms FOLDER\n");
    return 2;
  }
  for (XForm form : {XForm::Text, XForm::Binary, XForm::Binary64, XForm::CompressedText, XForm::CompressedBinary}) {
    XFileWriter writer(form);
    writer.Begin("Frame", "Root");
    writer.Begin("FrameTransformMatrix").Floats({0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0.25f, 0, -2, 1}).End();
    writer.Begin("Mesh", "Disc").Integers({6});
    writer.Floats({0, 0, 0, 1, 0, 0, 0.5f, 0.866025388f, 0, -0.5f, 0.866025388f, 0, -1, 0, 0, 0.1f, -0.7f, 0.3f});
    writer.Integers({3, 5, 0, 1, 2, 3, 4, 3, 0, 4, 5, 3, 5, 1, 0});
    writer.Begin("MeshNormals").Integers({2}).Floats({0, 0, 1, 0, 0.6f, 0.8f});
    writer.Integers({3, 5, 0, 0, 0, 0, 0, 3, 1, 1, 1, 3, 1, 0, 1}).End();
    writer.Begin("MeshTextureCoords")
        .Integers({6})
        .Floats({0.5f, 0.5f, 1, 0.5f, 0.75f, 0, 0.25f, 0, 0, 0.5f, 0.3f, 0.9f})
        .End();
    writer.Begin("MeshVertexColors")
        .Integers({2, 0})
        .Floats({1, 0.5f, 0.25f, 1})
        .Integers({5})
        .Floats({0, 0, 1, 0.5f})
        .End();
    writer.Begin("MeshMaterialList").Integers({2, 3, 0, 1, 1});
    writer.Begin("Material").Floats({1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}).End();
    writer.Begin("Material").Floats({0.5f, 0.5f, 0.5f, 1, 4, 1, 1, 1, 0, 0, 0});
    writer.Begin("TextureFilename").String("disc.png").End().End();
    writer.End().End().End();
    std::string path = std::string(argv[1]) + "/disc." + XFormName(form) + ".x";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 1;
    auto bytes = writer.Finish(100);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  return 0;
}
