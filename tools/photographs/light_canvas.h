// A picture built up as light. Every shape adds energy in three channels to the pixels it
// touches, and Develop turns the summed energy into colour as film does, saturating: where
// shapes pile up the colour runs towards white, as the core of a hot glow does, while faint
// light keeps its hue.
//
// Shapes have soft (Gaussian or smoothstep) edges a pixel or more wide, so that they stay
// smooth however far the saver magnifies the picture.
#pragma once

#include <cstddef>
#include <vector>

#include "rgb_picture.h"

struct Light {
  double red = 0;
  double green = 0;
  double blue = 0;
};

inline Light operator*(Light light, double factor) {
  return {light.red * factor, light.green * factor, light.blue * factor};
}
inline Light operator+(Light a, Light b) { return {a.red + b.red, a.green + b.green, a.blue + b.blue}; }

// A point of a stroke: where it is, how wide (the Gaussian's standard deviation, in pixels)
// and how bright the line is there (its energy on the centre line).
struct StrokePoint {
  double x;
  double y;
  double width;
  Light light;
};

class LightCanvas {
 public:
  LightCanvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }

  void Add(int x, int y, Light light) {
    Light& pixel = energy_[static_cast<size_t>(y) * width_ + x];
    pixel = pixel + light;
  }

  // A round Gaussian spot with the given energy at its centre.
  void AddSpot(double x, double y, double width, Light peak);
  // A flat disc whose rim fades over `softness` pixels, like a light out of focus.
  void AddDisc(double x, double y, double radius, double softness, Light light);
  // A line through the points, its width and light changing smoothly from point to point.
  void AddStroke(const std::vector<StrokePoint>& points);

  RgbPicture Develop() const;

 private:
  int width_;
  int height_;
  std::vector<Light> energy_;
};
