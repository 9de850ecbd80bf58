#pragma once

namespace tesselet {

// The thumbnail maker's name: the title of its message boxes.
inline constexpr char kProgramName[] = "Tesselet";
// The source of the run-time errors its window and batch raise themselves.
inline constexpr char kFrontEndSource[] = "tesselet.frmThumbs";

}  // namespace tesselet
