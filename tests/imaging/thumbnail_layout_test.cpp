#include <gtest/gtest.h>

#include "imaging/thumbnail/ThumbnailLayout.h"

using namespace imaging::thumbnail;

namespace {

struct FitCase {
  const char* rule;
  int pictureWidth, pictureHeight, maxWidth, maxHeight;
  bool forced;
  int width, height, left, top;
};

TEST(ThumbnailLayout, FitsInTwoStepsAndCentresWhenForced) {
  const FitCase cases[] = {
      {"wide picture fits to the width", 640, 480, 50, 50, false, 50, 38, 0, 0},
      {"second step starts from the rounded first", 480, 640, 50, 50, false, 37, 50, 0, 0},
      {"36.5 rounds to the even 36", 100, 73, 50, 50, false, 50, 36, 0, 0},
      {"a picture that fits is not enlarged", 40, 30, 50, 50, false, 40, 30, 0, 0},
      {"exactly the box's width is not rescaled", 50, 30, 50, 50, false, 50, 30, 0, 0},
      {"exactly the box is kept", 50, 50, 50, 50, false, 50, 50, 0, 0},
      {"a height rounding to 0 is 1 pixel", 1000, 5, 50, 50, false, 50, 1, 0, 0},
      {"a width rounding to 0 is 1 pixel", 5, 1000, 50, 50, false, 1, 50, 0, 0},
      {"a wide box", 480, 640, 200, 100, false, 75, 100, 0, 0},
      {"forced: 6.5 rounds to 6", 480, 640, 50, 50, true, 37, 50, 6, 0},
      {"forced: 7.5 rounds to 8, not down", 35, 50, 50, 50, true, 35, 50, 8, 0},
      {"forced: wide picture centred down", 640, 480, 50, 50, true, 50, 38, 0, 6},
      {"forced: 7 from 14 / 2", 100, 73, 50, 50, true, 50, 36, 0, 7},
      {"forced: small picture centred, not enlarged", 40, 30, 50, 50, true, 40, 30, 5, 10},
      {"forced: 24.5 rounds to 24", 1000, 5, 50, 50, true, 50, 1, 0, 24},
  };
  for (const FitCase& c : cases) {
    const ThumbnailLayout layout = ThumbnailLayout::Compute(c.pictureWidth, c.pictureHeight,
                                                            c.maxWidth, c.maxHeight, c.forced);
    EXPECT_EQ(layout.Width, c.width) << c.rule;
    EXPECT_EQ(layout.Height, c.height) << c.rule;
    EXPECT_EQ(layout.Left, c.left) << c.rule;
    EXPECT_EQ(layout.Top, c.top) << c.rule;
    EXPECT_EQ(layout.CanvasWidth, c.forced ? c.maxWidth : c.width) << c.rule;
    EXPECT_EQ(layout.CanvasHeight, c.forced ? c.maxHeight : c.height) << c.rule;
  }
}

}  // namespace
