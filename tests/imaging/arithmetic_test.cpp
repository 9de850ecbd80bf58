#include "imaging/pixels/Arithmetic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "tests/support/ExpectRunTimeError.h"

using namespace imaging::pixels;

TEST(Arithmetic, RoundsHalvesToEven) {
  const struct {
    double value;
    int expected;
  } rows[] = {{0.5, 0},  {1.5, 2},   {2.5, 2},    {36.5, 36},
              {-0.5, 0}, {-1.5, -2}, {2.4999, 2}, {2.5001, 3}};
  for (const auto& row : rows) EXPECT_EQ(RoundHalfEven(row.value), row.expected) << row.value;
}

TEST(Arithmetic, Checked32BitValuesRaiseOverflowBeyondTheRange) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(CheckedInt32(kMax, "tesselet.Test"), kMax);
  EXPECT_EQ(CheckedInt32(kMin, "tesselet.Test"), kMin);
  EXPECT_RUNTIME_ERROR(CheckedInt32(kMax + 1, "tesselet.Test"), 6, "tesselet.Test", "Overflow");
  EXPECT_RUNTIME_ERROR(CheckedInt32(kMin - 1, "tesselet.Test"), 6, "tesselet.Test", "Overflow");
}
