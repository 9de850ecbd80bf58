#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "imaging/pixels/DibBitmap.h"
#include "imaging/pixels/PixelSize.h"
#include "imaging/pixels/StdPicture.h"
#include "imaging/thumbnail/RenderOptions.h"

namespace imaging::thumbnail {

// Turns one picture into one thumbnail file: the picture reduced to fit a
// MaxWidth x MaxHeight box, keeping its proportions and never enlarged,
// each pixel the mean of the picture area it covers. With ForcedDimensions
// the thumbnail is exactly the box, the picture centred on BackColor. The
// last three letters of DestFilePath, in any case, choose the file: "jpg"
// writes a JPEG at quality 90, "bmp" a 24-bit BMP, anything else nothing.
// Errors of the loader and the writers go to the caller unchanged.
class cThumbnail {
 public:
  static constexpr std::int32_t kJpegQuality = 90;

  cThumbnail() = default;
  explicit cThumbnail(const RenderOptions& options) : options_(options) {}

  const RenderOptions& Options() const { return options_; }
  bool ForcedDimensions() const { return options_.ForcedDimensions; }
  void ForcedDimensions(bool aBool) { options_.ForcedDimensions = aBool; }
  std::int32_t MaxWidth() const { return options_.MaxWidth; }
  void MaxWidth(std::int32_t aLong) { options_.MaxWidth = aLong; }
  std::int32_t MaxHeight() const { return options_.MaxHeight; }
  void MaxHeight(std::int32_t aLong) { options_.MaxHeight = aLong; }
  // 0x00BBGGRR, or 0x80000000 plus a system colour's index.
  std::uint32_t BackColor() const { return options_.BackColor; }
  void BackColor(std::uint32_t aColor) { options_.BackColor = aColor; }
  const std::string& DestFilePath() const { return destFilePath_; }
  void DestFilePath(const std::string& aString) { destFilePath_ = aString; }
  // What a JPEG thumbnail carries as its comment: what it was made from.
  // A BMP has no place for it.
  const std::string& Comment() const { return comment_; }
  void Comment(const std::string& aString) { comment_ = aString; }

  // Renders the picture and writes the thumbnail file.
  void CreateFromStdPicture(const pixels::StdPicture& aStdPicture) const;

  // Loads the picture file (any the picture loader reads) and makes its
  // thumbnail: RenderFile, then WriteCanvas.
  void CreateFromFile(const std::string& aFilePath) const;

  // The thumbnail as it is written, before any encoding.
  std::unique_ptr<pixels::DibBitmap> RenderCanvas(const pixels::StdPicture& aStdPicture) const;

  // The thumbnail of a picture file as it will be written, nothing written
  // yet. A JPEG is decoded only as finely as the thumbnail needs. Objects of
  // their own may render on several threads at once when BackColor is a
  // plain colour: a system colour is looked up in the desktop's palette,
  // which only the window thread may read. A video's frame is read when
  // readVideos says so (PictureLoader).
  std::unique_ptr<pixels::DibBitmap> RenderFile(const std::string& aFilePath,
                                                bool readVideos = false) const;

  // The smallest decode (as shown) RenderFile makes the thumbnail of a
  // width x height picture from.
  pixels::PixelSize DecodeSize(std::int32_t width, std::int32_t height) const;

  // Encodes a rendered thumbnail into DestFilePath, in the format its last
  // three letters choose (or writes nothing).
  void WriteCanvas(std::unique_ptr<pixels::DibBitmap> canvas) const;

  // Raises the error for a box smaller than 1 x 1 pixels, which no picture
  // could be rendered into.
  void CheckBox() const;

 private:
  // Wraps a bitmap in a picture object that owns it from then on.
  static pixels::StdPicture PictureFromBitmap(std::unique_ptr<pixels::DibBitmap> bitmap,
                                              std::uintptr_t palette);

  RenderOptions options_;
  std::string destFilePath_;
  std::string comment_;
};

}  // namespace imaging::thumbnail
