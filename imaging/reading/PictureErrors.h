#pragma once

#include <cstdint>
#include <string>

#include "imaging/reading/DecodeLimits.h"
#include "platform/RunTimeError.h"

namespace imaging::reading {

// The errors of reading a picture file, raised by the loader and by each
// decoder behind it. They carry the loader's source, the part users know,
// and name the file.
namespace PictureErrors {

// Error 481 "Invalid picture" with the file and the reason.
platform::RunTimeError InvalidPicture(const std::string& path, const std::string& why);
// Error 7 for a picture whose pixels cannot be allocated.
platform::RunTimeError OutOfMemory(const std::string& path);
// Raises error 481 for a size below 1 pixel or above maxPixels; called on
// a header's size before anything is allocated from it.
void CheckSize(const std::string& path, std::int64_t width, std::int64_t height,
               std::int64_t maxPixels);
// Raises error 481 for a decode of a width x height picture from a file of
// fileBytes that would hold decodeBytes beside it at its peak, when that is
// more than limits.MaxBytes, or more than limits.SmallBytes while the file
// is too short for the pixels its header declares (fileHoldsPixels
// false); otherwise reserves them through limits.Reserve. Called before
// anything is allocated from the header.
void ClaimMemory(const std::string& path, std::int64_t width, std::int64_t height,
                 std::int64_t fileBytes, std::int64_t decodeBytes, bool fileHoldsPixels,
                 const DecodeLimits& limits);

}  // namespace PictureErrors

}  // namespace imaging::reading
