#pragma once

namespace orvale {

// The slide show maker's name: the title of its message boxes and the source
// of the run-time errors its own file operations raise.
inline constexpr char kProgramName[] = "Orvale";

}  // namespace orvale
