#include "imaging/reading/PictureErrors.h"

#include "imaging/ErrorSources.h"

namespace imaging::reading {

namespace {

std::string PixelCount(std::int64_t pixels) {
  if (pixels % 1'000'000 == 0) return std::to_string(pixels / 1'000'000) + " megapixels";
  return std::to_string(pixels) + " pixels";
}

std::string Megabytes(std::int64_t bytes) {
  return std::to_string((bytes + (std::int64_t{1} << 20) - 1) >> 20) + " MB";
}

}  // namespace

platform::RunTimeError PictureErrors::InvalidPicture(const std::string& path,
                                                     const std::string& why) {
  return platform::RunTimeError(platform::kInvalidPicture, kPictureLoaderSource,
                                "Invalid picture: " + path + " (" + why + ")");
}

platform::RunTimeError PictureErrors::OutOfMemory(const std::string& path) {
  return platform::RunTimeError(platform::kOutOfMemory, kPictureLoaderSource,
                                platform::StandardDescription(platform::kOutOfMemory) +
                                    ": no room for the pixels of " + path);
}

void PictureErrors::CheckSize(const std::string& path, std::int64_t width, std::int64_t height,
                              std::int64_t maxPixels) {
  if (width < 1 || height < 1) throw InvalidPicture(path, "the picture has no pixels");
  if (width > maxPixels / height) {  // width x height > maxPixels, without overflow
    throw InvalidPicture(path, "the picture is " + std::to_string(width) + " x " +
                                   std::to_string(height) + " pixels, more than the " +
                                   PixelCount(maxPixels) + " a picture may have");
  }
}

void PictureErrors::ClaimMemory(const std::string& path, std::int64_t width, std::int64_t height,
                                std::int64_t fileBytes, std::int64_t decodeBytes,
                                bool fileHoldsPixels, const DecodeLimits& limits) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
  if (!fileHoldsPixels && decodeBytes > limits.SmallBytes) {
    throw InvalidPicture(path, "the file is " + std::to_string(fileBytes) +
                                   " bytes, too few for the " + size + " its header declares");
  }
  if (decodeBytes > limits.MaxBytes) {
    throw InvalidPicture(path, "the picture is " + size + "; its decode would take " +
                                   Megabytes(decodeBytes) + ", more than the " +
                                   Megabytes(limits.MaxBytes) + " a picture may take");
  }
  if (limits.Reserve) limits.Reserve(decodeBytes);
}

}  // namespace imaging::reading
