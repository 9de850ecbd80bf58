#include "imaging/reading/JpegMarkers.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "imaging/reading/ExifOrientation.h"

namespace imaging::reading {

namespace {

constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::uint8_t kApp2 = 0xE2;
// An ICC chunk: this tag, its number from 1, how many chunks there are.
constexpr char kProfileTag[] = "ICC_PROFILE";
constexpr std::size_t kProfileHeader = sizeof kProfileTag + 2;
constexpr int kMaxProfileChunks = 255;
constexpr std::uint8_t kApp14 = 0xEE;

// Start-of-frame markers; C4 (Huffman tables), C8 (reserved) and CC
// (arithmetic conditioning) share the range without being frames.
bool IsFrame(std::uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Progressive frames: C2, C6, CA and CE.
bool IsProgressiveFrame(std::uint8_t marker) { return (marker & 0x03) == 0x02; }

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return (a + b - 1) / b; }

// Markers that stand alone, with no length after them.
bool IsStandalone(std::uint8_t marker) {
  return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

}  // namespace

JpegMarkers::JpegMarkers(const std::uint8_t* data, std::size_t size) {
  std::vector<ProfileChunk> chunks;
  int chunkCount = 0;
  ReadMarkers(data, size, chunks, chunkCount);
  colourProfile_ = JoinProfile(std::move(chunks), chunkCount);
}

void JpegMarkers::ReadMarkers(const std::uint8_t* data, std::size_t size,
                              std::vector<ProfileChunk>& chunks, int& chunkCount) {
  if (size < 4 || data[0] != 0xFF || data[1] != kStartOfImage) return;
  bool orientationSeen = false;
  std::size_t at = 2;
  while (at + 1 < size) {
    if (data[at] != 0xFF) return;  // not a marker where one must be: stop looking
    std::uint8_t marker = data[at + 1];
    if (marker == 0xFF) {  // fill byte ahead of the marker
      ++at;
      continue;
    }
    at += 2;
    if (marker == kEndOfImage) return;
    if (IsStandalone(marker)) continue;
    if (at + 2 > size) return;
    const std::size_t length = std::size_t(data[at]) << 8 | data[at + 1];
    if (length < 2 || length > size - at) return;
    const std::uint8_t* payload = data + at + 2;
    const std::size_t payloadSize = length - 2;
    if (marker == kStartOfScan) {
      ReadScan(payload, payloadSize);
      return;
    }
    if (IsFrame(marker)) ReadFrame(marker, payload, payloadSize);
    // The first EXIF block counts; a later one (a thumbnail's, a copy) does not.
    if (marker == kApp1 && !orientationSeen && payloadSize >= 6 &&
        std::memcmp(payload, "Exif\0\0", 6) == 0) {
      orientationSeen = true;
      orientation_ = ExifOrientation::Read(payload, payloadSize);
    } else if (marker == kApp2 && payloadSize > kProfileHeader &&
               std::memcmp(payload, kProfileTag, sizeof kProfileTag) == 0) {
      const int number = payload[sizeof kProfileTag];
      const int count = payload[sizeof kProfileTag + 1];
      // Counts that disagree leave no profile: -1 matches no chunk number.
      chunkCount = chunks.empty() || chunkCount == count ? count : -1;
      // More chunks than a count can name make no profile either; a file
      // of many tiny segments is not listed any further.
      if (chunks.size() < std::size_t(kMaxProfileChunks)) {
        chunks.push_back({number, payload + kProfileHeader, payloadSize - kProfileHeader});
      } else {
        chunkCount = -1;
      }
    } else if (marker == kApp14 && payloadSize >= 5 && std::memcmp(payload, "Adobe", 5) == 0) {
      adobe_ = true;
    }
    at += length;
  }
}

std::vector<std::uint8_t> JpegMarkers::JoinProfile(std::vector<ProfileChunk> chunks, int count) {
  if (chunks.empty() || count < 1 || chunks.size() != std::size_t(count)) return {};
  std::sort(chunks.begin(), chunks.end(),
            [](const ProfileChunk& a, const ProfileChunk& b) { return a.number < b.number; });
  std::size_t size = 0;
  for (std::size_t k = 0; k < chunks.size(); ++k) {
    // Exactly the numbers 1 to count, each once.
    if (chunks[k].number != int(k) + 1) return {};
    size += chunks[k].size;
  }
  std::vector<std::uint8_t> profile;
  profile.reserve(size);
  for (const ProfileChunk& chunk : chunks)
    profile.insert(profile.end(), chunk.bytes, chunk.bytes + chunk.size);
  return profile;
}

void JpegMarkers::ReadFrame(std::uint8_t marker, const std::uint8_t* payload, std::size_t size) {
  // Precision, height, width, component count, then 3 bytes a component:
  // identifier, sampling factors (horizontal high nibble), table.
  if (size < 6) return;
  const std::int64_t height = std::int64_t(payload[1]) << 8 | payload[2];
  const std::int64_t width = std::int64_t(payload[3]) << 8 | payload[4];
  const int components = payload[5];
  if (components < 1 || size < 6 + 3 * std::size_t(components)) return;
  int maxH = 1, maxV = 1;
  for (int c = 0; c < components; ++c) {
    const std::uint8_t factors = payload[6 + 3 * c + 1];
    maxH = std::max(maxH, factors >> 4);
    maxV = std::max(maxV, factors & 0x0F);
  }
  // Each component's blocks, padded to whole units of its sampling factors
  // as the decoder allocates them: 64 coefficients of 2 bytes a block.
  std::int64_t bytes = 0;
  for (int c = 0; c < components; ++c) {
    const std::uint8_t factors = payload[6 + 3 * c + 1];
    const int h = std::max(1, factors >> 4);
    const int v = std::max(1, factors & 0x0F);
    const std::int64_t across = CeilDiv(CeilDiv(width * h, maxH), 8 * h) * h;
    const std::int64_t down = CeilDiv(CeilDiv(height * v, maxV), 8 * v) * v;
    bytes += across * down * kCoefficientBytesPerBlock;
  }
  progressive_ = IsProgressiveFrame(marker);
  frameComponents_ = components;
  frameCoefficientBytes_ = bytes;
}

void JpegMarkers::ReadScan(const std::uint8_t* payload, std::size_t size) {
  const int scanComponents = size >= 1 ? payload[0] : 0;
  if (progressive_ || scanComponents < frameComponents_) coefficientBytes_ = frameCoefficientBytes_;
}

}  // namespace imaging::reading
