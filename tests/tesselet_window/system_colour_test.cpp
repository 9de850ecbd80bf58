#include <gtest/gtest.h>

#include <QCoreApplication>

#include "imaging/pixels/SystemColour.h"

// A program with only a core application (as a tool without a display may
// have) still translates system colours, to those of Qt's light palette.
TEST(SystemColour, TranslatesUnderACoreApplication) {
  namespace SystemColour = imaging::pixels::SystemColour;
  int argc = 1;
  char name[] = "system_colour_test";
  char* argv[] = {name, nullptr};
  QCoreApplication application(argc, argv);
  const struct {
    const char* rule;
    std::uint32_t value;
    std::uint32_t plain;
  } rows[] = {
      {"a plain colour as it is", 0x123456, 0x123456},
      {"highlight", SystemColour::kSystemFlag | 13, 0xC68C30},
      {"button face", SystemColour::kSystemFlag | 15, 0xEFEFEF},
  };
  for (const auto& row : rows)
    EXPECT_EQ(SystemColour::OleTranslateColor(row.value), row.plain) << row.rule;
}
