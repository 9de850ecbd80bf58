#pragma once

namespace imaging::reading {

// The kinds of picture file read, told apart by their first bytes.
enum class PictureFormat { Jpeg, Bmp, Gif, Png, WebP, Heif };

}  // namespace imaging::reading
