#pragma once

#include <cstdint>
#include <string>

namespace tesselet {

// "Creating thumbnails... (done of total)": the caption counts finished pictures.
std::string ProgressCaption(std::int32_t done, std::int32_t total);

// Where the progress bar ends after `done` of `total` pictures in a box
// `width` units wide: done / total x width, halves to the even neighbour.
std::int32_t ProgressBarRight(std::int32_t done, std::int32_t total, std::int32_t width);

}  // namespace tesselet
