#include "rays_picture.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "gradient_noise.h"
#include "light_canvas.h"
#include "seeded_random.h"
#include "smoothstep.h"

namespace {

constexpr uint64_t kSeed = 0x12A7B126;
constexpr double kCentreX = kRaysWidth / 2.0;
constexpr double kCentreY = kRaysHeight / 2.0;

constexpr Light kDeepBlue{0.10, 0.28, 1.0};
constexpr Light kBlue{0.22, 0.50, 1.0};
constexpr Light kCyan{0.22, 0.85, 1.0};
constexpr Light kPaleBlue{0.55, 0.75, 1.0};
constexpr Light kViolet{0.60, 0.38, 1.0};
constexpr Light kWhite{0.85, 0.92, 1.0};
// The darkest the ground gets: deep blue, well clear of (0, 0, 0), which the saver's colour
// key would turn transparent.
constexpr Light kGroundFloor{0.018, 0.040, 0.150};

Light Mix(Light a, Light b, double t) { return a * (1 - t) + b * t; }

struct Ray {
  double angle;   // radians, y down
  double width;   // the Gaussian's standard deviation across the ray at the centre, in pixels
  double spread;  // how much wider it gets for each pixel outwards
  double start;   // where it begins to show, in pixels from the centre
  double rise;    // over how many pixels from there it fades in
  double length;  // where it has faded out, in pixels from the centre
  double light;   // energy on its centre line where it has fully faded in
  Light hue;
  double waver;   // how much its brightness wanders along its length, 0 to 1
  uint32_t seed;  // of that wandering
};

// Light of one ray at a point `distance` from the centre, `offset` radians from the ray's angle
// (-pi to pi).
Light RayLight(const Ray& ray, double distance, double offset) {
  if (distance < ray.start || distance > ray.length || std::abs(offset) > std::numbers::pi / 2) return {};
  double width = ray.width + ray.spread * distance;
  double reach = 4.5 * width;
  // sin(x) >= 2x/pi up to a right angle: most points far off the ray are passed over
  // without the sine.
  if (std::abs(offset) * distance * (2 / std::numbers::pi) > reach) return {};
  double across = distance * std::sin(offset);
  // A ray that widens spreads its light thinner.
  double strength = ray.light * (ray.width / width) * Smoothstep(ray.start, ray.start + ray.rise, distance) *
                    (1 - Smoothstep(0.35 * ray.length, ray.length, distance));
  // The wandering is slower on wider rays, which would otherwise show bands across them.
  double wander = 1 + ray.waver * GradientNoise(distance / (12 + 6 * width), 0.5, ray.seed);
  return ray.hue * (strength * wander * std::exp(-0.5 * across * across / (width * width)));
}

// The angle from a to b, -pi to pi.
double AngleBetween(double a, double b) {
  double offset = b - a;
  if (offset > std::numbers::pi) offset -= 2 * std::numbers::pi;
  if (offset < -std::numbers::pi) offset += 2 * std::numbers::pi;
  return offset;
}

// Rays drawn alike: the ranges each ray's values are picked from.
struct RayFamily {
  int count;
  double minStart, maxStart;
  double minWidth, maxWidth;
  double spread;  // the most a ray widens for each pixel outwards
  double minLength, maxLength;
  double minLight, maxLight;
  double whiteShare;   // of the rays that are nearly white
  double violetShare;  // of the others, tinted violet; the rest run from deep blue to cyan
};

// Near the centre there is room for only a few rays side by side: if all started at the core
// they would overlap into a white disc. So the rays come out at every distance, about as many
// more for each pixel outwards as keeps the gaps between them open, and those that reach
// closest are the thinnest.
constexpr RayFamily kRayFamilies[] = {
    {8, 1.5, 4, 0.75, 0.9, 0.006, 300, 560, 1.0, 2.0, 0.5, 0.1},      // spokes out of the core
    {16, 3, 16, 0.75, 0.85, 0.004, 200, 560, 0.3, 0.8, 0.3, 0.25},    // faint threads close to it
    {100, 6, 130, 0.75, 1.0, 0.004, 120, 560, 0.5, 1.5, 0.35, 0.15},  // inner filaments
    {120, 30, 200, 1.2, 2.5, 0.008, 150, 560, 0.3, 1.0, 0.3, 0.1},    // rays
    {30, 60, 200, 3.0, 7.0, 0.04, 250, 560, 0.10, 0.35, 0.1, 0.1},    // broad beams, widening outwards
    {450, 100, 300, 0.75, 1.1, 0.0, 250, 560, 0.2, 1.1, 0.4, 0.1},    // outer filaments
};

Light PickHue(SeededRandom& random, const RayFamily& family) {
  double towardsCyan = random.Uniform(0, 1);
  Light hue = Mix(kDeepBlue, kCyan, towardsCyan * towardsCyan);
  if (random.Chance(family.violetShare)) hue = Mix(hue, kViolet, 0.8);
  double whiteness = random.Chance(family.whiteShare) ? random.Uniform(0.6, 1.0) : random.Uniform(0.0, 0.4);
  return Mix(hue, kWhite, whiteness);
}

std::vector<Ray> MakeRays(SeededRandom& random) {
  std::vector<Ray> rays;
  uint32_t seed = 1000;
  for (const RayFamily& family : kRayFamilies) {
    for (int i = 0; i < family.count; ++i) {
      Light hue = PickHue(random, family);
      double start = random.Uniform(family.minStart, family.maxStart);
      // Each ray has its own share of the circle, so that no side of the core is left bare.
      double turn = (i + random.Uniform(0, 1)) / family.count;
      rays.push_back({2 * std::numbers::pi * turn - std::numbers::pi, random.Uniform(family.minWidth, family.maxWidth),
                      family.spread * random.Uniform(0.3, 1.0), start,
                      // Rays that begin further out take longer to fade in.
                      start * random.Uniform(0.5, 1.5) + 3, random.Uniform(family.minLength, family.maxLength),
                      random.Uniform(family.minLight, family.maxLight), hue, random.Uniform(0.1, 0.6), seed++});
    }
  }
  return rays;
}

// Faint streaks in the ground, all pointing at the centre: noise that repeats around the
// circle and changes slowly outwards. Octaves whose streaks would come closer than a few pixels
// (near the centre) are left out, as they would only add pixel noise.
double GroundStreaks(double distance, double angle) {
  double sum = 0;
  double amplitude = 1;
  for (int octave = 0; octave < 4; ++octave) {
    int32_t cells = 90 << octave;
    double spacing = 2 * std::numbers::pi * distance / cells;
    double u = (angle / (2 * std::numbers::pi) + 0.5) * cells;
    double v = std::log(distance + 1) * 2.5;
    sum += amplitude * Smoothstep(2.5, 6, spacing) * GradientNoise(u, v, 300u + octave, cells);
    amplitude *= 0.7;
  }
  return sum;
}

void AddRaysAndGlow(LightCanvas& canvas, const std::vector<Ray>& rays) {
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      double dx = x + 0.5 - kCentreX;
      double dy = y + 0.5 - kCentreY;
      double distance = std::sqrt(dx * dx + dy * dy);
      double angle = std::atan2(dy, dx);
      double streaks = std::max(0.0, 1 + 0.8 * GroundStreaks(distance, angle));
      Light light = kGroundFloor + kBlue * (0.25 * std::exp(-distance / 90)) +
                    kBlue * (0.09 * std::exp(-distance / 350) * streaks * streaks);
      for (const Ray& ray : rays) light = light + RayLight(ray, distance, AngleBetween(ray.angle, angle));
      canvas.Add(x, y, light);
    }
  }
}

// A small white-hot core in a pale blue glow that fades within a few pixels, so that the
// deep blue between the rays reaches almost to it.
void AddCore(LightCanvas& canvas) {
  canvas.AddSpot(kCentreX, kCentreY, 8, kBlue * 0.2);
  canvas.AddSpot(kCentreX, kCentreY, 2.5, kPaleBlue * 0.6);
  canvas.AddSpot(kCentreX, kCentreY, 1.1, kWhite * 3);
}

void AddStars(LightCanvas& canvas, SeededRandom& random, int count) {
  for (int i = 0; i < count; ++i) {
    double x = random.Uniform(0, canvas.width());
    double y = random.Uniform(0, canvas.height());
    double width = random.Uniform(0.8, 1.4);
    Light hue = random.Chance(0.5) ? kWhite : kPaleBlue;
    double light = random.Uniform(0.1, 1.2);
    light *= random.Uniform(0.2, 1.0);
    canvas.AddSpot(x, y, width * 4, hue * (0.05 * light));
    canvas.AddSpot(x, y, width, hue * light);
  }
}

}  // namespace

RgbPicture DrawRaysPicture() {
  LightCanvas canvas(kRaysWidth, kRaysHeight);
  SeededRandom random(kSeed);
  AddRaysAndGlow(canvas, MakeRays(random));
  AddCore(canvas);
  AddStars(canvas, random, 1200);
  return canvas.Develop();
}
