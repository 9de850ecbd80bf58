#pragma once

namespace imaging::reading {

// The kinds of picture file read, told apart by their first bytes; a
// video gives one frame.
enum class PictureFormat { Jpeg, Bmp, Gif, Png, WebP, Heif, Video };

}  // namespace imaging::reading
