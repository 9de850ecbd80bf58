#include "tesselet/imaging/AreaAverageStretch.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "tesselet/imaging/DibBitmap.h"

namespace imaging {

namespace {

// For each target pixel along one side: the source pixels it covers and the
// share each has in its mean (the shares of one target pixel add up to 1).
class AxisWeights {
 public:
  // sourceCount pixels of `unit` each cover [0, fullLength); the last may be
  // cut short. targetCount pixels cover the same length evenly.
  AxisWeights(std::int32_t sourceCount, double unit, double fullLength, std::int32_t targetCount)
      : first_(std::size_t(targetCount)), offset_(std::size_t(targetCount) + 1) {
    auto edge = [&](std::int32_t i) { return std::min(double(i) * unit, fullLength); };
    for (std::int32_t j = 0; j < targetCount; ++j) {
      const double from = fullLength * j / targetCount;
      const double to = fullLength * (j + 1) / targetCount;
      std::int32_t i = std::clamp(std::int32_t(std::floor(from / unit)), 0, sourceCount - 1);
      first_[std::size_t(j)] = i;
      offset_[std::size_t(j)] = std::int32_t(shares_.size());
      double total = 0;
      const std::size_t start = shares_.size();
      for (; i < sourceCount && edge(i) < to; ++i) {
        const double overlap = std::min(to, edge(i + 1)) - std::max(from, edge(i));
        shares_.push_back(float(std::max(overlap, 0.0)));
        total += std::max(overlap, 0.0);
      }
      if (shares_.size() == start || total <= 0) {  // nothing under it: take the nearest
        shares_.resize(start);
        shares_.push_back(1.0f);
        total = 1.0;
      }
      for (std::size_t k = start; k < shares_.size(); ++k) shares_[k] = float(shares_[k] / total);
    }
    offset_[std::size_t(targetCount)] = std::int32_t(shares_.size());
  }

  std::int32_t First(std::int32_t j) const { return first_[std::size_t(j)]; }
  std::int32_t Count(std::int32_t j) const {
    return offset_[std::size_t(j) + 1] - offset_[std::size_t(j)];
  }
  const float* Shares(std::int32_t j) const { return shares_.data() + offset_[std::size_t(j)]; }

 private:
  std::vector<std::int32_t> first_;
  std::vector<std::int32_t> offset_;
  std::vector<float> shares_;
};

const std::uint8_t* RowFromTop(const DibBitmap& bitmap, std::int32_t y) {
  return bitmap.Bits() + std::size_t(bitmap.Height() - 1 - y) * std::size_t(bitmap.Stride());
}

std::uint8_t* RowFromTop(DibBitmap& bitmap, std::int32_t y) {
  return bitmap.Bits() + std::size_t(bitmap.Height() - 1 - y) * std::size_t(bitmap.Stride());
}

// One source row reduced across: three floats per target pixel.
void ReduceRow(const std::uint8_t* row, const AxisWeights& across, std::int32_t targetWidth,
               float* out) {
  for (std::int32_t x = 0; x < targetWidth; ++x) {
    const std::uint8_t* pixel = row + 3 * std::size_t(across.First(x));
    const float* share = across.Shares(x);
    float blue = 0, green = 0, red = 0;
    for (std::int32_t k = 0, count = across.Count(x); k < count; ++k, pixel += 3) {
      blue += share[k] * pixel[0];
      green += share[k] * pixel[1];
      red += share[k] * pixel[2];
    }
    out[3 * x] = blue;
    out[3 * x + 1] = green;
    out[3 * x + 2] = red;
  }
}

std::uint8_t ToLevel(float value) {
  return std::uint8_t(std::clamp(std::lrint(value), 0L, 255L));  // ties to even
}

}  // namespace

void AreaAverageStretch::Stretch(const DibBitmap& source, DibBitmap& target) {
  Stretch(source, 1.0, source.Width(), source.Height(), target);
}

void AreaAverageStretch::Stretch(const DibBitmap& source, double unit, std::int32_t fullWidth,
                                 std::int32_t fullHeight, DibBitmap& target) {
  const std::int32_t width = target.Width();
  const std::int32_t height = target.Height();
  if (unit == 1.0 && source.Width() == width && source.Height() == height && fullWidth == width &&
      fullHeight == height) {
    for (std::int32_t y = 0; y < height; ++y) {
      std::memcpy(RowFromTop(target, y), RowFromTop(source, y), 3 * std::size_t(width));
    }
    return;
  }
  const AxisWeights across(source.Width(), unit, fullWidth, width);
  const AxisWeights down(source.Height(), unit, fullHeight, height);
  std::vector<float> sum(3 * std::size_t(width));
  std::vector<float> reduced(3 * std::size_t(width));
  std::int32_t reducedRow = -1;  // neighbouring target rows share a border row
  for (std::int32_t y = 0; y < height; ++y) {
    std::fill(sum.begin(), sum.end(), 0.0f);
    const float* share = down.Shares(y);
    for (std::int32_t k = 0, count = down.Count(y); k < count; ++k) {
      const std::int32_t row = down.First(y) + k;
      if (row != reducedRow) {
        ReduceRow(RowFromTop(source, row), across, width, reduced.data());
        reducedRow = row;
      }
      for (std::size_t i = 0; i < sum.size(); ++i) sum[i] += share[k] * reduced[i];
    }
    std::uint8_t* out = RowFromTop(target, y);
    for (std::size_t i = 0; i < sum.size(); ++i) out[i] = ToLevel(sum[i]);
  }
}

}  // namespace imaging
