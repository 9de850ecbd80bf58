#pragma once

#include <QImage>
#include <cstdint>
#include <memory>
#include <string>

#include "imaging/pixels/DibBitmap.h"
#include "imaging/reading/FrameLayout.h"

namespace imaging::reading {

// Paints the frame an image reader decoded onto its picture, white where
// the frame does not reach and transparent pixels shown on white, at 1 /
// factor of the picture's size: each pixel is the mean of the factor x
// factor picture pixels it stands for (fewer at the right and bottom
// edges), rounded half to even, as a JPEG decoded at a reduced scale gives
// them. The frame is read a row at a time, so nothing the size of the
// whole frame is made beside the reader's image. Raises error 7 naming the
// file when memory runs out.
namespace FramePainter {

std::unique_ptr<pixels::DibBitmap> Paint(const QImage& frame, const FrameLayout& layout,
                                         std::int32_t factor, const std::string& path);

}  // namespace FramePainter

}  // namespace imaging::reading
