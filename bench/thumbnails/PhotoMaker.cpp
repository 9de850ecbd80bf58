#include "bench/thumbnails/PhotoMaker.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <stdexcept>
#include <vector>

#include "tests/support/TestJpeg.h"

namespace {

// Smoothly interpolated noise on a lattice of `cell` pixels.
class ValueNoise {
 public:
  ValueNoise(int width, int height, int cell, std::mt19937& random)
      : cell_(cell),
        columns_(width / cell + 2),
        rows_(height / cell + 2),
        lattice_(std::size_t(columns_) * rows_) {
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    for (float& v : lattice_) v = value(random);
  }
  float At(int x, int y) const {
    const int cx = x / cell_, cy = y / cell_;
    const float fx = Smooth(float(x % cell_) / cell_), fy = Smooth(float(y % cell_) / cell_);
    const float top = Mix(Node(cx, cy), Node(cx + 1, cy), fx);
    const float bottom = Mix(Node(cx, cy + 1), Node(cx + 1, cy + 1), fx);
    return Mix(top, bottom, fy);
  }

 private:
  static float Smooth(float t) { return t * t * (3 - 2 * t); }
  static float Mix(float a, float b, float t) { return a + (b - a) * t; }
  float Node(int cx, int cy) const { return lattice_[std::size_t(cy) * columns_ + cx]; }
  int cell_, columns_, rows_;
  std::vector<float> lattice_;
};

struct Disc {
  float x, y, radius, red, green, blue;
};

}  // namespace

bool PhotoMaker::Make(const std::string& path, int width, int height, unsigned seed, int quality) {
  std::mt19937 random(seed);
  std::vector<ValueNoise> layers;
  for (int cell : {900, 300, 97, 31, 9, 3}) layers.emplace_back(width, height, cell, random);
  ValueNoise hue(width, height, 700, random);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::vector<Disc> discs(400);
  for (Disc& d : discs) {
    d = {unit(random) * width, unit(random) * height, 5 + 120 * unit(random) * unit(random),
         255 * unit(random),   255 * unit(random),    255 * unit(random)};
  }
  std::normal_distribution<float> sensor(0.0f, 6.0f);
  std::vector<std::uint8_t> rgb(std::size_t(width) * height * 3);
  const float weights[] = {0.45f, 0.25f, 0.14f, 0.08f, 0.05f, 0.03f};
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = rgb.data() + std::size_t(y) * width * 3;
    for (int x = 0; x < width; ++x) {
      float light = 0;
      for (std::size_t i = 0; i < layers.size(); ++i) light += weights[i] * layers[i].At(x, y);
      const float tint = hue.At(x, y);
      float red = 128 + 110 * light + 40 * tint, green = 120 + 105 * light,
            blue = 110 + 100 * light - 40 * tint;
      row[3 * x] = std::uint8_t(std::clamp(red + sensor(random), 0.0f, 255.0f));
      row[3 * x + 1] = std::uint8_t(std::clamp(green + sensor(random), 0.0f, 255.0f));
      row[3 * x + 2] = std::uint8_t(std::clamp(blue + sensor(random), 0.0f, 255.0f));
    }
  }
  // Hard edges: discs half blended over the scene, each with its own shading.
  for (const Disc& d : discs) {
    const int x0 = std::max(0, int(d.x - d.radius)), x1 = std::min(width - 1, int(d.x + d.radius));
    const int y0 = std::max(0, int(d.y - d.radius)), y1 = std::min(height - 1, int(d.y + d.radius));
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        const float dx = x - d.x, dy = y - d.y;
        if (dx * dx + dy * dy > d.radius * d.radius) continue;
        const float shade = 0.75f + 0.25f * dx / d.radius;
        std::uint8_t* p = rgb.data() + (std::size_t(y) * width + x) * 3;
        p[0] = std::uint8_t(std::clamp((p[0] + d.red * shade) / 2, 0.0f, 255.0f));
        p[1] = std::uint8_t(std::clamp((p[1] + d.green * shade) / 2, 0.0f, 255.0f));
        p[2] = std::uint8_t(std::clamp((p[2] + d.blue * shade) / 2, 0.0f, 255.0f));
      }
    }
  }
  std::string jpeg;
  try {
    jpeg = test_jpeg::Encode(rgb.data(), width, height, TJPF_RGB, TJSAMP_420, quality,
                             TJFLAG_ACCURATEDCT);
  } catch (const std::runtime_error&) {
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(jpeg.data(), 1, jpeg.size(), file) == jpeg.size();
  return std::fclose(file) == 0 && written;
}
