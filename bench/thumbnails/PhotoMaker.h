#pragma once

#include <string>

// Makes camera-size test photographs: layered value noise for the broad
// shapes of a scene, hard-edged discs and strokes for detail, a fine
// texture and per-channel sensor noise, encoded 4:2:0 the way cameras do.
// The same seed always gives the same picture.
class PhotoMaker {
 public:
  // Writes a width x height JPEG at the quality; false when it cannot.
  static bool Make(const std::string& path, int width, int height, unsigned seed, int quality);
};
