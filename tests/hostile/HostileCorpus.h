#pragma once

#include <string>
#include <vector>

namespace hostile {

// One made picture: its file name (which says what is wrong with it) and
// its bytes.
struct HostilePicture {
  std::string name;
  std::string bytes;
};

// Malformed, odd and lying pictures of every kind the thumbnail maker
// reads, each a few bytes to a few kilobytes.
std::vector<HostilePicture> HostileCorpus();

// A camera-size JPEG (baseline, 4:2:0) of smooth shades, encoded a row at
// a time so that making it holds no more than a row.
std::string StreamedJpeg(int width, int height);

// A CMYK progressive JPEG of a few hundred kilobytes declaring 6000 x 6000
// pixels: any decode of it, even at 1/8, keeps 288 MB of coefficients.
std::string CoefficientHeavyJpeg();

// The one of that name; throws std::out_of_range when there is none.
HostilePicture HostilePictureNamed(const std::string& name);

}  // namespace hostile
