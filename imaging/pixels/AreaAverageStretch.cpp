#include "imaging/pixels/AreaAverageStretch.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/pixels/Arithmetic.h"
#include "imaging/pixels/DibBitmap.h"

namespace imaging::pixels {

namespace {

// One side of a stretch: the full-size picture is fullLength pixels long,
// each of the sourceCount source pixels covering Denominator / Numerator of
// them (the last cut short where the picture ends); the span [start, start +
// length) of it is laid evenly over targetCount target pixels, of which
// [first, last) are drawn.
struct Side {
  std::int64_t sourceCount;
  DecodeScale scale;
  std::int64_t fullLength;
  std::int64_t start, length;
  std::int64_t targetCount;
  std::int64_t first, last;
};

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && a < 0); }

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return a / b + (a % b != 0 && a > 0); }

// For each drawn target pixel along one side: the source pixels it covers
// and the area each has in it, in units of 1 / (targetCount x Numerator) of
// a full-size pixel. In those units every edge on the side is a whole
// number, so the areas are exact.
class AxisWeights {
 public:
  explicit AxisWeights(const Side& side)
      : first_(std::size_t(side.last - side.first)),
        offset_(std::size_t(side.last - side.first) + 1),
        total_(std::size_t(side.last - side.first)) {
    for (std::int64_t j = side.first; j < side.last; ++j) Add(side, j);
    offset_.back() = std::int32_t(areas_.size());
  }

  // k counts the drawn pixels from 0.
  std::int32_t First(std::size_t k) const { return first_[k]; }
  std::int32_t Count(std::size_t k) const { return offset_[k + 1] - offset_[k]; }
  const double* Areas(std::size_t k) const { return areas_.data() + offset_[k]; }
  double Total(std::size_t k) const { return total_[k]; }

 private:
  // Target pixel j covers [start + length x j / T, start + length x (j + 1)
  // / T) of the full picture (T = targetCount). Measured from the whole
  // pixel where it starts, origin = start + q with q = length x j / T
  // rounded down, it is [r, r + length) / T with r what that division left;
  // source pixel i covers [i x Denominator, (i + 1) x Denominator) /
  // Numerator from 0. Measuring from that origin keeps every number within
  // a few target pixels' width, so nothing overflows whatever the sizes.
  void Add(const Side& side, std::int64_t j) {
    const std::int64_t num = side.scale.Numerator;
    const std::int64_t den = side.scale.Denominator;
    const std::int64_t count = side.targetCount;
    const std::int64_t q = side.length * j / count;
    const std::int64_t r = side.length * j % count;
    const std::int64_t origin = (side.start + q) * num;  // in 1 / num of a pixel
    const std::int64_t from = r * num;                   // in 1 / (count x num)
    const std::int64_t to = (r + side.length) * num;
    const std::int64_t toInSourceUnits = CeilDiv(to, count);
    const std::int64_t pictureEnd = side.fullLength * num;

    const std::size_t k = std::size_t(j - side.first);
    offset_[k] = std::int32_t(areas_.size());
    double total = 0;
    std::int64_t i = std::max<std::int64_t>(0, FloorDiv(origin, den));
    first_[k] = std::int32_t(std::min(i, side.sourceCount));
    for (; i < side.sourceCount && i * den < pictureEnd; ++i) {
      const std::int64_t begins = i * den - origin;
      if (begins >= toInSourceUnits) break;
      const std::int64_t ends = std::min((i + 1) * den, pictureEnd) - origin;
      const std::int64_t area = std::min(ends * count, to) - std::max(begins * count, from);
      if (area <= 0) {  // ends before the target pixel starts
        first_[k] = std::int32_t(i + 1);
        continue;
      }
      areas_.push_back(double(area));
      total += double(area);
    }
    total_[k] = total;
  }

  std::vector<std::int32_t> first_;
  std::vector<std::int32_t> offset_;
  std::vector<double> total_;
  std::vector<double> areas_;
};

// One source row reduced across: for each drawn target pixel, three sums of
// level x area.
void ReduceRow(const std::uint8_t* row, const AxisWeights& across, std::size_t columns,
               double* out) {
  for (std::size_t x = 0; x < columns; ++x) {
    const std::uint8_t* pixel = row + 3 * std::size_t(across.First(x));
    const double* area = across.Areas(x);
    double blue = 0, green = 0, red = 0;
    for (std::int32_t k = 0, count = across.Count(x); k < count; ++k, pixel += 3) {
      blue += area[k] * pixel[0];
      green += area[k] * pixel[1];
      red += area[k] * pixel[2];
    }
    out[3 * x] = blue;
    out[3 * x + 1] = green;
    out[3 * x + 2] = red;
  }
}

std::uint8_t ToLevel(double mean) { return std::uint8_t(std::clamp(RoundHalfEven(mean), 0, 255)); }

bool IsUsable(DecodeScale scale) {
  auto inRange = [](std::int32_t term) {
    return term >= 1 && term <= AreaAverageStretch::kMaxScaleTerm;
  };
  return inRange(scale.Numerator) && inRange(scale.Denominator);
}

// Draws the drawn pixels of both sides into the target, whose pixel (left,
// top) is the rectangle's first.
void Draw(const DibBitmap& source, const Side& acrossSide, const Side& downSide, DibBitmap& target,
          std::int64_t left, std::int64_t top) {
  const AxisWeights across(acrossSide);
  const AxisWeights down(downSide);
  const std::size_t columns = std::size_t(acrossSide.last - acrossSide.first);
  std::vector<double> sum(3 * columns);
  std::vector<double> reduced(3 * columns);
  std::int32_t reducedRow = -1;  // neighbouring target rows share a border row
  for (std::int64_t y = downSide.first; y < downSide.last; ++y) {
    const std::size_t k = std::size_t(y - downSide.first);
    if (down.Count(k) == 0) continue;  // nothing of the source under this row
    std::fill(sum.begin(), sum.end(), 0.0);
    const double* area = down.Areas(k);
    for (std::int32_t n = 0, count = down.Count(k); n < count; ++n) {
      const std::int32_t row = down.First(k) + n;
      if (row != reducedRow) {
        ReduceRow(source.RowFromTop(row), across, columns, reduced.data());
        reducedRow = row;
      }
      for (std::size_t i = 0; i < sum.size(); ++i) sum[i] += area[n] * reduced[i];
    }
    std::uint8_t* out = target.RowFromTop(std::int32_t(top + y)) + 3 * (left + acrossSide.first);
    for (std::size_t x = 0; x < columns; ++x) {
      if (across.Count(x) == 0) continue;
      const double total = across.Total(x) * down.Total(k);
      for (std::size_t c = 0; c < 3; ++c) out[3 * x + c] = ToLevel(sum[3 * x + c] / total);
    }
  }
}

}  // namespace

void AreaAverageStretch::Stretch(const DibBitmap& source, DibBitmap& target) {
  Stretch(source, DecodeScale{}, source.Width(), source.Height(), target);
}

void AreaAverageStretch::Stretch(const DibBitmap& source, DecodeScale scale, std::int32_t fullWidth,
                                 std::int32_t fullHeight, DibBitmap& target) {
  const std::int32_t width = target.Width();
  const std::int32_t height = target.Height();
  if (!IsUsable(scale) || fullWidth < 1 || fullHeight < 1) return;
  if (scale.Numerator == scale.Denominator && source.Width() == width &&
      source.Height() == height && fullWidth == width && fullHeight == height) {
    for (std::int32_t y = 0; y < height; ++y) {
      std::memcpy(target.RowFromTop(y), source.RowFromTop(y), 3 * std::size_t(width));
    }
    return;
  }
  Draw(source, Side{source.Width(), scale, fullWidth, 0, fullWidth, width, 0, width},
       Side{source.Height(), scale, fullHeight, 0, fullHeight, height, 0, height}, target, 0, 0);
}

bool AreaAverageStretch::Stretch(const DibBitmap& source, const Rectangle& from, DibBitmap& target,
                                 const Rectangle& to) {
  if (from.Width < 1 || from.Height < 1 || to.Width < 1 || to.Height < 1) return false;
  // The drawn part of the target rectangle, counted from its own corner.
  const std::int64_t x0 = std::max<std::int64_t>(0, -std::int64_t{to.Left});
  const std::int64_t x1 = std::min<std::int64_t>(to.Width, std::int64_t{target.Width()} - to.Left);
  const std::int64_t y0 = std::max<std::int64_t>(0, -std::int64_t{to.Top});
  const std::int64_t y1 = std::min<std::int64_t>(to.Height, std::int64_t{target.Height()} - to.Top);
  if (x0 >= x1 || y0 >= y1) return false;
  const DecodeScale pixelForPixel;
  Draw(source,
       Side{source.Width(), pixelForPixel, source.Width(), from.Left, from.Width, to.Width, x0, x1},
       Side{source.Height(), pixelForPixel, source.Height(), from.Top, from.Height, to.Height, y0,
            y1},
       target, to.Left, to.Top);
  return true;
}

}  // namespace imaging::pixels
