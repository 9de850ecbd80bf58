#pragma once

#include <cstdint>

namespace imaging::pixels {

// Colour values as the programs keep them: 0x00BBGGRR for a plain colour,
// or 0x80000000 plus an index for a system colour (the window background,
// button face, highlight...), which takes the desktop's current colour.
namespace SystemColour {

inline constexpr std::uint32_t kSystemFlag = 0x80000000u;

// The plain colour a value stands for; system colours through the
// application's palette, or Qt's light default palette in a program with
// no graphical application. Raises error 5 for a value that is neither.
std::uint32_t OleTranslateColor(std::uint32_t aColor);

}  // namespace SystemColour

}  // namespace imaging::pixels
