#include <gtest/gtest.h>

#include <QCoreApplication>

#include "tesselet/imaging/SystemColour.h"

// A program with no graphical application (a plain core application, as a
// tool without a display has) still translates system colours.
TEST(SystemColour, TranslatesWithoutAGraphicalApplication) {
  using imaging::SystemColour;
  EXPECT_EQ(SystemColour::OleTranslateColor(0x123456), 0x123456u) << "plain colours as they are";
  EXPECT_EQ(SystemColour::OleTranslateColor(SystemColour::kSystemFlag | 13), 0xC68C30u)
      << "highlight, before any application exists";
  int argc = 1;
  char name[] = "system_colour_test";
  char* argv[] = {name, nullptr};
  QCoreApplication application(argc, argv);
  EXPECT_EQ(SystemColour::OleTranslateColor(SystemColour::kSystemFlag | 13), 0xC68C30u)
      << "highlight under a core application";
  EXPECT_EQ(SystemColour::OleTranslateColor(SystemColour::kSystemFlag | 15), 0xEFEFEFu)
      << "button face";
}
