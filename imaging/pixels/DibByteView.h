#pragma once

#include <cstdint>

#include "imaging/ErrorSources.h"
#include "platform/RunTimeError.h"

namespace imaging::pixels {

// A two-dimensional view of 24-bit pixel memory, indexed by (byte within the
// row, memory row). Every access is checked against the stride and the row
// count and raises error 9 ("Subscript out of range") outside them, so code
// that walks the pixels can never read or write beyond the block. The view
// borrows the memory and never frees it; with no memory it has no rows.
class DibByteView {
 public:
  DibByteView(std::uint8_t* bits, std::int32_t stride, std::int32_t rows)
      : bits_(bits), stride_(bits ? stride : 0), rows_(bits ? rows : 0) {}

  std::uint8_t& operator()(std::int32_t byte, std::int32_t row) const {
    if (byte < 0 || byte >= stride_ || row < 0 || row >= rows_) {
      throw platform::RunTimeError::standard(platform::kSubscriptOutOfRange, kDibSectionSource);
    }
    return bits_[std::int64_t{row} * stride_ + byte];
  }

  std::int32_t Stride() const { return stride_; }
  std::int32_t Rows() const { return rows_; }

 private:
  std::uint8_t* bits_;
  std::int32_t stride_;
  std::int32_t rows_;
};

}  // namespace imaging::pixels
