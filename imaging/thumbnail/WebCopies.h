#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "imaging/pixels/PixelSize.h"
#include "imaging/pixels/StdPicture.h"

namespace imaging::thumbnail {

// The copies of a picture made for publishing it on the web: upright, each
// at most a given length on its long side (never enlarged), every pixel
// the mean of the picture area it covers, encoded by WebCopyJpeg.
namespace WebCopies {

// The long sides, largest first: a large screen's picture, a phone's, and
// a tile's (a 3:2 photo cropped square still covers 132 device pixels).
inline constexpr std::array<std::int32_t, 3> kLongSides = {2048, 1024, 240};

// A width x height picture reduced so its long side is at most longSide,
// the short side rounded to the nearest pixel (ties to even, at least 1);
// one that fits keeps its size.
pixels::PixelSize Fit(std::int32_t width, std::int32_t height, std::int32_t longSide);

// The smallest decode (as shown) the copies are made from: the largest
// copy's size, so each copy averages at least one decoded pixel a pixel.
pixels::PixelSize DecodeSize(std::int32_t width, std::int32_t height);

// The encoded copies of a loaded picture, one for each of kLongSides in
// that order. The largest is averaged from the decoded pixels, each
// smaller one from the copy before it: a copy at most half the size of the
// one before, averaged from it, stays within a level of one averaged from
// the decode, at a fraction of the work. Copy k carries comments[k] when
// there is one.
std::vector<std::string> Make(const pixels::StdPicture& picture,
                              std::span<const std::uint8_t> colourProfile,
                              std::span<const std::string> comments = {});

}  // namespace WebCopies

}  // namespace imaging::thumbnail
