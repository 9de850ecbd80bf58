#include "imaging/pixels/DibBitmap.h"

#include <new>

namespace imaging::pixels {

std::int64_t DibBitmap::StrideFor(std::int32_t width) {
  // Clearing the two low bits rounds width x 3 up to the next multiple of 4.
  return (std::int64_t{width} * 3 + 3) & ~std::int64_t{3};
}

std::unique_ptr<DibBitmap> DibBitmap::Create(std::int32_t width, std::int32_t height) {
  if (width < 1 || height < 1) return nullptr;
  const std::int64_t stride = StrideFor(width);
  const std::int64_t size = stride * height;  // below 2^63: both factors are below 2^33
  if (size > kMaxBytes) return nullptr;
  std::unique_ptr<std::uint8_t[]> bits;
  try {
    bits = std::make_unique<std::uint8_t[]>(std::size_t(size));  // zero-filled
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return std::make_unique<DibBitmap>(CreateTag{}, width, height, std::int32_t(stride),
                                     std::move(bits));
}

DibBitmap::DibBitmap(CreateTag, std::int32_t width, std::int32_t height, std::int32_t stride,
                     std::unique_ptr<std::uint8_t[]> bits)
    : width_(width), height_(height), stride_(stride), bits_(std::move(bits)) {}

}  // namespace imaging::pixels
