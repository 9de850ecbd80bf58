#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/QtApplicationEnvironment.h"
#include "tests/support/TempFolder.h"

namespace tesselet_test {

// A 1 x 1 GIF picture (the smallest there is; Qt writes no GIF files).
inline const std::string kTinyGif(
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00\x21\xf9\x04\x01\x00\x00\x00\x00"
    "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b",
    43);

// Writes a picture of the given size in one colour; the format follows the
// name's extension (JPEG or BMP).
inline std::filesystem::path WritePicture(const TempFolder& folder, const std::string& name,
                                          int width, int height, Qt::GlobalColor colour = Qt::red) {
  const auto path = folder.path() / name;
  std::filesystem::create_directories(path.parent_path());
  QImage image(width, height, QImage::Format_RGB888);
  image.fill(colour);
  const std::string extension = path.extension().string();
  const char* format =
      (extension == ".bmp" || extension == ".BMP" || extension == ".Bmp") ? "BMP" : "JPEG";
  if (!image.save(QString::fromStdString(path.string()), format))
    throw std::runtime_error("cannot write " + path.string());
  return path;
}

// Width and height of a picture file as Qt reads it; (-1, -1) when unreadable.
inline std::pair<int, int> PictureSize(const std::filesystem::path& path) {
  const QImage image(QString::fromStdString(path.string()));
  if (image.isNull()) return {-1, -1};
  return {image.width(), image.height()};
}

// The names in a folder, sorted.
inline std::vector<std::string> Names(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tesselet_test
