#include "light_canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "smoothstep.h"

namespace {

// Energy below this is left out at a shape's edge: it develops to well under a tenth of a
// level, so cutting it off leaves no visible border however bright the shape.
constexpr double kFaintestEnergy = 0.0004;

double Brightest(Light light) { return std::max({light.red, light.green, light.blue}); }

// Film-like response: nearly linear for faint light, saturating towards white.
uint8_t DevelopChannel(double energy) {
  double exposure = 1 - std::exp(-std::max(energy, 0.0));
  return static_cast<uint8_t>(std::lround(255 * exposure));
}

}  // namespace

LightCanvas::LightCanvas(int width, int height)
    : width_(width), height_(height), energy_(static_cast<size_t>(width) * height) {}

void LightCanvas::AddSpot(double x, double y, double width, Light peak) {
  double brightest = Brightest(peak);
  if (brightest <= kFaintestEnergy) return;
  double reach = width * std::sqrt(2 * std::log(brightest / kFaintestEnergy));
  int left = std::max(0, static_cast<int>(std::floor(x - reach)));
  int right = std::min(width_ - 1, static_cast<int>(std::ceil(x + reach)));
  int top = std::max(0, static_cast<int>(std::floor(y - reach)));
  int bottom = std::min(height_ - 1, static_cast<int>(std::ceil(y + reach)));
  double scale = -0.5 / (width * width);
  for (int py = top; py <= bottom; ++py) {
    double dy = py + 0.5 - y;
    for (int px = left; px <= right; ++px) {
      double dx = px + 0.5 - x;
      Add(px, py, peak * std::exp((dx * dx + dy * dy) * scale));
    }
  }
}

void LightCanvas::AddDisc(double x, double y, double radius, double softness, Light light) {
  double reach = radius + softness;
  int left = std::max(0, static_cast<int>(std::floor(x - reach)));
  int right = std::min(width_ - 1, static_cast<int>(std::ceil(x + reach)));
  int top = std::max(0, static_cast<int>(std::floor(y - reach)));
  int bottom = std::min(height_ - 1, static_cast<int>(std::ceil(y + reach)));
  for (int py = top; py <= bottom; ++py) {
    for (int px = left; px <= right; ++px) {
      double distance = std::hypot(px + 0.5 - x, py + 0.5 - y);
      double cover = Smoothstep(0, softness, reach - distance);
      if (cover > 0) Add(px, py, light * cover);
    }
  }
}

// The line is drawn as Gaussian spots no further apart than their width: spots that close sum
// to an even line (the ripple along it is far below a level), and where the line bends or
// crosses itself nothing is counted twice, as it would be with one shape per segment.
void LightCanvas::AddStroke(const std::vector<StrokePoint>& points) {
  for (size_t index = 0; index + 1 < points.size(); ++index) {
    const StrokePoint& from = points[index];
    const StrokePoint& to = points[index + 1];
    double length = std::hypot(to.x - from.x, to.y - from.y);
    double step = 0.7 * std::min(from.width, to.width);
    int steps = std::max(1, static_cast<int>(std::ceil(length / step)));
    bool last = index + 2 == points.size();
    for (int i = 0; i < steps + (last ? 1 : 0); ++i) {
      double t = static_cast<double>(i) / steps;
      double width = from.width + (to.width - from.width) * t;
      Light light = from.light * (1 - t) + to.light * t;
      // A spot of this weight, repeated every (length / steps) pixels, builds a line whose
      // centre carries `light`.
      double weight = (length / steps) / (std::sqrt(2 * std::numbers::pi) * width);
      AddSpot(from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t, width, light * weight);
    }
  }
}

RgbPicture LightCanvas::Develop() const {
  RgbPicture picture{width_, height_, std::vector<uint8_t>(energy_.size() * 3)};
  for (size_t index = 0; index < energy_.size(); ++index) {
    picture.rgb[index * 3 + 0] = DevelopChannel(energy_[index].red);
    picture.rgb[index * 3 + 1] = DevelopChannel(energy_[index].green);
    picture.rgb[index * 3 + 2] = DevelopChannel(energy_[index].blue);
  }
  return picture;
}
