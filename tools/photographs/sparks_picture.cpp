#include "sparks_picture.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "gradient_noise.h"
#include "light_canvas.h"
#include "seeded_random.h"
#include "smoothstep.h"

namespace {

constexpr uint64_t kSeed = 0x5AA4C125;

// Hues as energy per unit of heat: the more heat, the further each channel saturates, so a hot
// core turns white-yellow while its faint rim stays orange or red.
constexpr Light kWhiteHot{1.0, 0.62, 0.30};
constexpr Light kOrange{1.0, 0.40, 0.10};
constexpr Light kRed{1.0, 0.22, 0.06};
constexpr Light kSmoke{1.0, 0.52, 0.40};
// The darkest the ground gets: it reads as black but keeps every pixel well clear of (0, 0, 0),
// which the saver's colour key would turn transparent.
constexpr Light kGroundFloor{0.050, 0.022, 0.020};

// Smoke: curling filaments of warped noise (where it crosses zero) over softer clouds, lit
// more in some places than others.
void AddSmoke(LightCanvas& canvas) {
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      double warpX = FractalNoise(x / 150.0, y / 150.0, 3, 11);
      double warpY = FractalNoise(x / 150.0 + 5.2, y / 150.0 + 1.3, 3, 12);
      double wisps = FractalNoise(x / 90.0 + 2 * warpX, y / 90.0 + 2 * warpY, 6, 13);
      double filaments = std::pow(1 - std::abs(wisps), 5);
      double clouds = Smoothstep(-0.3, 0.7, wisps);
      double lit = 0.3 + 0.7 * Smoothstep(-0.4, 0.6, FractalNoise(x / 260.0, y / 260.0, 2, 14));
      canvas.Add(x, y, kGroundFloor + kSmoke * (0.13 * lit * (0.5 * clouds + 0.6 * filaments)));
    }
  }
}

struct Spark {
  double x, y;    // where it starts
  double vx, vy;  // pixels per step
  int steps;      // how long it burns
  double heat;    // brightness at its hottest
  double width;   // of its core line, in pixels
};

struct Flight {
  std::vector<double> x, y;  // one position a step
  double vx, vy;             // the speed at the end
};

// The spark's path: it slows in the air and falls, so fast sparks fly nearly straight and slow
// ones bend into arcs.
Flight Fly(const Spark& spark) {
  const double gravity = 0.045;
  const double drag = 0.99;
  Flight flight{{}, {}, spark.vx, spark.vy};
  double x = spark.x, y = spark.y;
  for (int step = 0; step <= spark.steps; ++step) {
    flight.x.push_back(x);
    flight.y.push_back(y);
    x += flight.vx;
    y += flight.vy;
    flight.vx *= drag;
    flight.vy = flight.vy * drag + gravity;
  }
  return flight;
}

// A burning spark: a bright core line, an orange glow around it and a faint wide red halo.
// Its heat rises quickly where the trail enters the picture's exposure and fades as it burns
// out, unless it bursts at the end, where it stays hot up to a flash; a flicker along the way
// makes some trails sputter.
void DrawTrail(LightCanvas& canvas, const Spark& spark, bool bursts, SeededRandom& random) {
  double flickerRate = random.Uniform(0.1, 0.6);
  double flickerDepth = random.Chance(0.3) ? random.Uniform(0.3, 0.8) : 0;
  double phase = random.Uniform(0, 2 * std::numbers::pi);
  Flight flight = Fly(spark);
  std::vector<StrokePoint> core, glow, halo;
  for (int step = 0; step <= spark.steps; ++step) {
    double age = static_cast<double>(step) / spark.steps;
    double flicker = 1 - flickerDepth * 0.5 * (1 + std::sin(phase + step * flickerRate));
    double cooling = bursts ? 1 - 0.4 * age : std::pow(1 - age, 0.7);
    double heat = spark.heat * Smoothstep(0, 0.08, age) * cooling * flicker;
    double width = spark.width * (0.75 + 0.25 * (1 - age));
    double x = flight.x[step], y = flight.y[step];
    core.push_back({x, y, width, kWhiteHot * heat});
    glow.push_back({x, y, width * 3.5, kOrange * (0.25 * heat)});
    halo.push_back({x, y, width * 11, kRed * (0.03 * heat)});
  }
  canvas.AddStroke(halo);
  canvas.AddStroke(glow);
  canvas.AddStroke(core);
  if (bursts) {
    canvas.AddSpot(flight.x.back(), flight.y.back(), spark.width * 8, kOrange * (0.12 * spark.heat));
    canvas.AddSpot(flight.x.back(), flight.y.back(), spark.width * 1.8, kWhiteHot * (1.2 * spark.heat));
  }
}

// Where a trail ends, a spark sometimes bursts into a few short, thin, hot forks.
std::vector<Spark> Forks(const Spark& parent, SeededRandom& random) {
  Flight flight = Fly(parent);
  std::vector<Spark> forks;
  int count = static_cast<int>(random.Uniform(3, 7));
  for (int i = 0; i < count; ++i) {
    double angle = random.Uniform(0, 2 * std::numbers::pi);
    double speed = random.Uniform(0.4, 1.2);
    forks.push_back({flight.x.back(), flight.y.back(), flight.vx * 0.3 + speed * std::cos(angle),
                     flight.vy * 0.3 + speed * std::sin(angle), static_cast<int>(random.Uniform(6, 22)),
                     parent.heat * random.Uniform(0.5, 0.9), std::max(1.0, parent.width * 0.8)});
  }
  return forks;
}

// Sparks thrown from one place: `direction` is the mean angle (radians, y down), `spread` how
// far either side of it they scatter (pi: all round, as a firework bursts).
void AddBurst(LightCanvas& canvas, SeededRandom& random, double x, double y, double direction, double spread,
              int count) {
  canvas.AddSpot(x, y, 70, kRed * 0.15);
  canvas.AddSpot(x, y, 6, kWhiteHot * 6);
  for (int i = 0; i < count; ++i) {
    double angle = direction + random.Uniform(-spread, spread);
    double speed = random.Uniform(1.5, 5.5);
    Spark spark{x + random.Uniform(-4, 4),
                y + random.Uniform(-4, 4),
                speed * std::cos(angle),
                speed * std::sin(angle),
                static_cast<int>(random.Uniform(15, 70)),
                random.Uniform(0.6, 3.5),
                random.Uniform(1.0, 1.6)};
    bool bursts = random.Chance(0.35);
    DrawTrail(canvas, spark, bursts, random);
    if (bursts) {
      for (const Spark& fork : Forks(spark, random)) DrawTrail(canvas, fork, false, random);
    }
  }
}

void AddStraySparks(LightCanvas& canvas, SeededRandom& random, int count) {
  for (int i = 0; i < count; ++i) {
    double angle = random.Uniform(0, 2 * std::numbers::pi);
    double speed = random.Uniform(0.8, 3.5);
    Spark spark{random.Uniform(-20, canvas.width() + 20),
                random.Uniform(-20, canvas.height() + 20),
                speed * std::cos(angle),
                speed * std::sin(angle),
                static_cast<int>(random.Uniform(4, 30)),
                random.Uniform(0.3, 2.5),
                random.Uniform(1.0, 1.4)};
    DrawTrail(canvas, spark, false, random);
  }
}

void AddEmbers(LightCanvas& canvas, SeededRandom& random, int count) {
  for (int i = 0; i < count; ++i) {
    double x = random.Uniform(0, canvas.width());
    double y = random.Uniform(0, canvas.height());
    double width = random.Uniform(0.8, 1.8);
    double heat = random.Uniform(0.2, 2.5);
    heat *= random.Uniform(0.3, 1.0);
    Light hue = random.Chance(0.5) ? kOrange : kRed;
    canvas.AddSpot(x, y, width * 5, hue * (0.06 * heat));
    canvas.AddSpot(x, y, width, hue * heat);
  }
}

// Faint motes between the embers, so that even the emptiest corner of the ground holds
// something when the saver magnifies it most.
void AddDust(LightCanvas& canvas, SeededRandom& random, int count) {
  for (int i = 0; i < count; ++i) {
    double x = random.Uniform(0, canvas.width());
    double y = random.Uniform(0, canvas.height());
    double width = random.Uniform(0.8, 1.4);
    canvas.AddSpot(x, y, width, kRed * random.Uniform(0.04, 0.2));
  }
}

// Lights out of focus: faint soft discs of every size.
void AddOutOfFocusLights(LightCanvas& canvas, SeededRandom& random, int count) {
  for (int i = 0; i < count; ++i) {
    double radius = 4 + 32 * std::pow(random.Uniform(0, 1), 2);
    Light hue = random.Chance(0.6) ? kOrange : kRed;
    double x = random.Uniform(0, canvas.width());
    double y = random.Uniform(0, canvas.height());
    double softness = random.Uniform(1.5, 4);
    canvas.AddDisc(x, y, radius, softness, hue * random.Uniform(0.03, 0.16));
  }
}

}  // namespace

RgbPicture DrawSparksPicture() {
  LightCanvas canvas(kSparksWidth, kSparksHeight);
  SeededRandom random(kSeed);
  AddSmoke(canvas);
  AddOutOfFocusLights(canvas, random, 60);
  const double pi = std::numbers::pi;
  AddBurst(canvas, random, 170, 330, -pi / 2, 1.2, 70);     // a fountain
  AddBurst(canvas, random, 450, 140, 0, pi, 80);            // a firework, all round
  AddBurst(canvas, random, 600, 410, -0.85 * pi, 0.5, 40);  // thrown left, as from a grinder
  AddBurst(canvas, random, 40, 50, 0.15 * pi, 0.6, 30);     // thrown down from a corner
  AddStraySparks(canvas, random, 320);
  AddEmbers(canvas, random, 900);
  AddDust(canvas, random, 1800);
  return canvas.Develop();
}
