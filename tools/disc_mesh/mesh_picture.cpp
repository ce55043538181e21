#include "mesh_picture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace {

using Colour = std::array<uint8_t, 3>;

// Mirrored addressing, as the saver samples the offscreen image.
double Mirror(double t) {
  double period = t - 2 * std::floor(t / 2);
  return period <= 1 ? period : 2 - period;
}

// A pattern with no symmetry of its own, so that the mirroring between tiles shows: a colour
// ramp, a checker, and a letter F in the middle of the texture triangle.
Colour Pattern(TexturePoint texture) {
  double u = Mirror(texture.u);
  double v = Mirror(texture.v);
  bool inF = (u > 0.42 && u < 0.48 && v > 0.4 && v < 0.8) || (u > 0.42 && u < 0.62 && v > 0.4 && v < 0.46) ||
             (u > 0.42 && u < 0.56 && v > 0.56 && v < 0.62);
  if (inF) return {0, 0, 0};
  bool dark = (int(u * 16) + int(v * 16)) % 2 != 0;
  double shade = dark ? 0.75 : 1.0;
  return {uint8_t(255 * u * shade), uint8_t(255 * v * shade), uint8_t(160 * shade)};
}

class Painter {
 public:
  Painter(const DiscMesh& mesh, const PictureView& view)
      : mesh_(mesh),
        view_(view),
        picture_{view.size, view.size, std::vector<uint8_t>(size_t(view.size) * view.size * 3, 40)} {}

  MeshPicture Paint() {
    for (const auto& triangle : mesh_.triangles) Fill(triangle);
    if (view_.style == PictureStyle::kPatternAndEdges) {
      for (const auto& triangle : mesh_.triangles) {
        for (size_t k = 0; k < 3; ++k) Line(triangle[k], triangle[(k + 1) % 3]);
      }
    }
    return std::move(picture_);
  }

 private:
  // Picture coordinates, y down.
  hyperbolic::Point Place(uint32_t vertex) const {
    hyperbolic::Point offset = (mesh_.vertices[vertex].position - view_.centre) * view_.pixelsPerUnit;
    return {view_.size / 2.0 + offset.real(), view_.size / 2.0 - offset.imag()};
  }

  void Put(int x, int y, Colour colour) {
    if (x < 0 || y < 0 || x >= picture_.width || y >= picture_.height) return;
    std::copy(colour.begin(), colour.end(), &picture_.rgb[(size_t(y) * picture_.width + x) * 3]);
  }

  static double Cross(hyperbolic::Point a, hyperbolic::Point b) { return a.real() * b.imag() - a.imag() * b.real(); }

  void Fill(const std::array<uint32_t, 3>& triangle) {
    std::array<hyperbolic::Point, 3> p = {Place(triangle[0]), Place(triangle[1]), Place(triangle[2])};
    double area = Cross(p[1] - p[0], p[2] - p[0]);
    if (area == 0) return;
    // With y down in the picture, clockwise with y up shows as positive area here.
    bool wrongWay = area < 0;
    Colour chessboard = TextureTurn(triangle) * area > 0 ? Colour{230, 230, 230} : Colour{60, 60, 60};
    int x0 = std::max(0, int(std::floor(std::min({p[0].real(), p[1].real(), p[2].real()}))));
    int x1 = std::min(picture_.width - 1, int(std::ceil(std::max({p[0].real(), p[1].real(), p[2].real()}))));
    int y0 = std::max(0, int(std::floor(std::min({p[0].imag(), p[1].imag(), p[2].imag()}))));
    int y1 = std::min(picture_.height - 1, int(std::ceil(std::max({p[0].imag(), p[1].imag(), p[2].imag()}))));
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        hyperbolic::Point at(x + 0.5, y + 0.5);
        std::array<double, 3> w;
        for (size_t k = 0; k < 3; ++k) w[k] = Cross(p[(k + 2) % 3] - p[(k + 1) % 3], at - p[(k + 1) % 3]) / area;
        if (w[0] < 0 || w[1] < 0 || w[2] < 0) continue;
        TexturePoint texture;
        for (size_t k = 0; k < 3; ++k) {
          texture.u += w[k] * mesh_.vertices[triangle[k]].texture.u;
          texture.v += w[k] * mesh_.vertices[triangle[k]].texture.v;
        }
        if (wrongWay) {
          Put(x, y, {255, 0, 0});
        } else {
          Put(x, y, view_.style == PictureStyle::kChessboard ? chessboard : Pattern(texture));
        }
      }
    }
  }

  // Which way the triangle's texture points turn, as an area sign in the texture's (u, v).
  double TextureTurn(const std::array<uint32_t, 3>& triangle) const {
    auto at = [&](size_t k) {
      return hyperbolic::Point(mesh_.vertices[triangle[k]].texture.u, mesh_.vertices[triangle[k]].texture.v);
    };
    return Cross(at(1) - at(0), at(2) - at(0));
  }

  void Line(uint32_t from, uint32_t to) {
    hyperbolic::Point a = Place(from);
    hyperbolic::Point b = Place(to);
    int steps = std::max(1, int(std::ceil(std::abs(b - a))));
    for (int s = 0; s <= steps; ++s) {
      hyperbolic::Point at = a + (b - a) * (double(s) / steps);
      Put(int(std::floor(at.real())), int(std::floor(at.imag())), {20, 20, 20});
    }
  }

  const DiscMesh& mesh_;
  PictureView view_;
  MeshPicture picture_;
};

}  // namespace

MeshPicture DrawDiscMesh(const DiscMesh& mesh, const PictureView& view) { return Painter(mesh, view).Paint(); }

std::vector<uint8_t> EncodePpm(const MeshPicture& picture) {
  std::string header = "P6\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n255\n";
  std::vector<uint8_t> bytes(header.begin(), header.end());
  bytes.insert(bytes.end(), picture.rgb.begin(), picture.rgb.end());
  return bytes;
}
