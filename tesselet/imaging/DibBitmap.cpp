#include "tesselet/imaging/DibBitmap.h"

#include <limits>
#include <new>

#include "platform/RunTimeError.h"

namespace imaging {

namespace {

// The buffer class raises the size errors: they belong to it, not to us.
const char kErrorSource[] = "tesselet.cDIBSection";

std::int32_t CheckedInt32(std::int64_t value) {
  if (value > std::numeric_limits<std::int32_t>::max() ||
      value < std::numeric_limits<std::int32_t>::min()) {
    throw platform::RunTimeError::standard(platform::kOverflow, kErrorSource);
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::int32_t DibBitmap::StrideFor(std::int32_t width) {
  // Clearing the two low bits rounds width x 3 up to the next multiple of 4;
  // the sum is formed wide so that only a result beyond 32 bits overflows.
  const std::int32_t rounded = CheckedInt32(std::int64_t{width} * 3 + 3);
  return rounded & ~std::int32_t{3};
}

std::unique_ptr<DibBitmap> DibBitmap::Create(std::int32_t width, std::int32_t height) {
  const std::int32_t stride = StrideFor(width);
  const std::int32_t size = CheckedInt32(std::int64_t{height} * stride);
  if (width < 1 || height < 1 || size > kMaxBytes) return nullptr;
  std::unique_ptr<std::uint8_t[]> bits;
  try {
    bits = std::make_unique<std::uint8_t[]>(std::size_t(size));  // zero-filled
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return std::make_unique<DibBitmap>(CreateTag{}, width, height, stride, std::move(bits));
}

DibBitmap::DibBitmap(CreateTag, std::int32_t width, std::int32_t height, std::int32_t stride,
                     std::unique_ptr<std::uint8_t[]> bits)
    : width_(width), height_(height), stride_(stride), bits_(std::move(bits)) {}

}  // namespace imaging
