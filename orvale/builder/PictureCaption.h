#pragma once

#include <cstddef>
#include <string>

namespace orvale {

// The longest caption kept, in characters; a longer one is cut there and
// ends in "…".
inline constexpr std::size_t kLongestCaption = 1000;

// The caption written into the picture at `path` by whoever took or edited
// it, as page text without white space at its ends: the first of its XMP
// description (the default language, else the first one), its IPTC caption
// and its EXIF image description that holds more than white space, where a
// camera maker's stock description ("OLYMPUS DIGITAL CAMERA") is none.
// Empty for a picture without one, and for anything that cannot be read as
// a picture with metadata: a missing, damaged or special file is simply
// without a caption, and nothing is said.
std::string PictureCaption(const std::string& path);

}  // namespace orvale
