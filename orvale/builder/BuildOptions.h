#pragma once

#include <string>

namespace orvale {

// The options a build reads at the moment it needs them: the main window's
// controls, or fixed values for a build without a window.
class BuildOptions {
 public:
  virtual ~BuildOptions() = default;
  // The alphabetical order is chosen; otherwise the order is by date.
  virtual bool sortAlphabetically() const = 0;
  // BMP, GIF and TIF files count as pictures too.
  virtual bool includeBmpGifTif() const = 0;
  // PNG, WebP and HEIC pictures and videos are listed too, pictures with
  // their captions, and the thumbnail maker is asked for all of them.
  virtual bool allMedia() const = 0;
  // The text naming the tail template, relative to the program folder unless
  // it is absolute.
  virtual std::string lastPartFileName() const = 0;
};

// Options fixed when the build starts, with the main window's defaults.
struct FixedBuildOptions : BuildOptions {
  bool alphabetically = false;
  bool bmpGifTif = false;
  bool allMediaKinds = false;
  std::string lastPart = "./LastPart.txt";

  bool sortAlphabetically() const override { return alphabetically; }
  bool includeBmpGifTif() const override { return bmpGifTif; }
  bool allMedia() const override { return allMediaKinds; }
  std::string lastPartFileName() const override { return lastPart; }
};

}  // namespace orvale
