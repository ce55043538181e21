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

constexpr Light kBlue{0.22, 0.50, 1.0};
constexpr Light kPaleBlue{0.55, 0.75, 1.0};
constexpr Light kWhite{0.85, 0.92, 1.0};
// The darkest the ground gets: deep blue, well clear of (0, 0, 0), which the saver's colour
// key would turn transparent.
constexpr Light kGroundFloor{0.018, 0.040, 0.150};

struct Ray {
  double angle;   // radians, y down
  double width;   // the Gaussian's standard deviation across the ray at the centre, in pixels
  double spread;  // how much wider it gets for each pixel outwards
  double start;   // where it has come out of the core's glow, in pixels from the centre
  double length;  // where it has faded out, in pixels from the centre
  double light;   // energy on its centre line near the core
  Light hue;
  double waver;   // how much its brightness wanders along its length, 0 to 1
  uint32_t seed;  // of that wandering
};

// Light of one ray at a point `distance` from the centre, `offset` radians from the ray's angle
// (-pi to pi).
Light RayLight(const Ray& ray, double distance, double offset) {
  if (distance > ray.length || std::abs(offset) > std::numbers::pi / 2) return {};
  double width = ray.width + ray.spread * distance;
  double reach = 4.5 * width;
  // sin(x) >= 2x/pi up to a right angle: most points far off the ray are passed over
  // without the sine.
  if (std::abs(offset) * distance * (2 / std::numbers::pi) > reach) return {};
  double across = distance * std::sin(offset);
  // A ray that widens spreads its light thinner. Rays come out of the core at different
  // distances, so that they do not pile up into a flat white disc around it.
  double strength = ray.light * (ray.width / width) * Smoothstep(0, ray.start, distance) *
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
  double minWidth, maxWidth;
  double spread;  // the most a ray widens for each pixel outwards
  double minLength, maxLength;
  double minLight, maxLight;
  double whiteShare;  // of the rays; the others are blue or pale blue
};

constexpr RayFamily kRayFamilies[] = {
    {36, 3.0, 8.0, 0.05, 200, 560, 0.15, 0.45, 0.1},  // broad beams, widening outwards
    {140, 1.2, 3.0, 0.008, 80, 560, 0.3, 1.2, 0.4},   // rays
    {700, 0.75, 1.2, 0.0, 60, 560, 0.2, 1.3, 0.6},    // fine filaments
};

std::vector<Ray> MakeRays(SeededRandom& random) {
  std::vector<Ray> rays;
  uint32_t seed = 1000;
  for (const RayFamily& family : kRayFamilies) {
    for (int i = 0; i < family.count; ++i) {
      Light hue = random.Chance(family.whiteShare) ? kWhite : (random.Chance(0.5) ? kBlue : kPaleBlue);
      rays.push_back({random.Uniform(-std::numbers::pi, std::numbers::pi),
                      random.Uniform(family.minWidth, family.maxWidth),
                      family.spread * random.Uniform(0.3, 1.0),
                      random.Uniform(20, 150),
                      random.Uniform(family.minLength, family.maxLength),
                      random.Uniform(family.minLight, family.maxLight),
                      hue,
                      random.Uniform(0.1, 0.6),
                      seed++});
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
      Light light = kGroundFloor + kBlue * (0.5 * std::exp(-distance / 110)) +
                    kBlue * (0.09 * std::exp(-distance / 350) * streaks * streaks);
      for (const Ray& ray : rays) light = light + RayLight(ray, distance, AngleBetween(ray.angle, angle));
      canvas.Add(x, y, light);
    }
  }
  canvas.AddSpot(kCentreX, kCentreY, 24, kWhite * 0.6);
  canvas.AddSpot(kCentreX, kCentreY, 5, kWhite * 5);
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
  AddStars(canvas, random, 1200);
  return canvas.Develop();
}
