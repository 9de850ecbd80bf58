#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imaging::reading {

// What the markers ahead of a JPEG file's first scan tell about how to show
// it: the EXIF orientation, whether an Adobe segment marks its CMYK values
// as stored inverted (as Photoshop writes them), and how much the decoder
// must hold to decode it. Reading never goes past the given bytes; damaged
// or missing markers leave the defaults.
class JpegMarkers {
 public:
  JpegMarkers(const std::uint8_t* data, std::size_t size);

  // 1 (as stored) to 8; 1 when there is no valid orientation.
  int Orientation() const { return orientation_; }
  bool HasAdobeSegment() const { return adobe_; }
  // Whether the frame is progressive: its first scans hold the DC
  // coefficients of the whole picture.
  bool IsProgressive() const { return progressive_; }

  // Bytes of DCT coefficients the decoder keeps for the whole picture before
  // it can give out a row: 2 bytes for each coefficient of every block of
  // every component, as a progressive file or one whose first scan leaves
  // components out must be held until its last scan. 0 for a sequential
  // file with all components in one scan, which is decoded a few rows at a
  // time whatever its size.
  std::int64_t BufferedCoefficientBytes() const { return coefficientBytes_; }
  // Blocks of 8 x 8 samples of every component, as the decoder pads them.
  // Each is sent with at least one bit (a Huffman code is never shorter),
  // so a file holds at most 8 blocks a byte.
  std::int64_t BlockCount() const { return frameCoefficientBytes_ / kCoefficientBytesPerBlock; }

  static constexpr std::int64_t kCoefficientBytesPerBlock = 128;

  // The ICC colour profile the file carries, put together from its
  // numbered APP2 chunks; empty when it has none, or when the chunks do not
  // make one whole profile (one missing, numbered twice or out of range,
  // counts that disagree), as a half profile would show wrong colours.
  // Never larger than the file.
  const std::vector<std::uint8_t>& ColourProfile() const { return colourProfile_; }

 private:
  struct ProfileChunk {
    int number = 0;
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
  };
  void ReadMarkers(const std::uint8_t* data, std::size_t size, std::vector<ProfileChunk>& chunks,
                   int& chunkCount);
  void ReadFrame(std::uint8_t marker, const std::uint8_t* payload, std::size_t size);
  void ReadScan(const std::uint8_t* payload, std::size_t size);
  static std::vector<std::uint8_t> JoinProfile(std::vector<ProfileChunk> chunks, int count);

  int orientation_ = 1;
  bool adobe_ = false;
  bool progressive_ = false;
  int frameComponents_ = 0;
  std::int64_t frameCoefficientBytes_ = 0;
  std::int64_t coefficientBytes_ = 0;
  std::vector<std::uint8_t> colourProfile_;
};

}  // namespace imaging::reading
