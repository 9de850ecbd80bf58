#include "imaging/reading/JpegHeader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>
#include <vector>

#include "imaging/reading/ExifOrientation.h"
#include "imaging/reading/PictureErrors.h"

namespace imaging::reading {

namespace {

// An ICC chunk: this tag, its number from 1, how many chunks there are.
constexpr char kProfileTag[] = "ICC_PROFILE";
constexpr std::size_t kProfileHeader = sizeof kProfileTag + 2;
constexpr int kMaxProfileChunks = 255;

struct ProfileChunk {
  int number = 0;
  const std::uint8_t* bytes = nullptr;
  std::size_t size = 0;
};

// What the header's APP1 and APP2 segments tell: the first EXIF block's
// orientation counts, a later one (a thumbnail's, a copy) does not; the
// colour profile's chunks, where they lie in the file.
struct SegmentsSeen {
  bool exifSeen = false;
  int orientation = 1;
  std::vector<ProfileChunk> chunks;
  int chunkCount = 0;
};

// Hands a segment's payload to `look` where it lies in memory (the whole
// file is there) and skips it, so no segment is copied, however many the
// file holds. One cut short by the file's end is passed over.
template <typename Look>
boolean ReadSegment(j_decompress_ptr info, Look look) {
  jpeg_source_mgr* source = info->src;
  if (source->bytes_in_buffer < 2 && !source->fill_input_buffer(info)) return FALSE;
  const std::size_t length =
      std::size_t(source->next_input_byte[0]) << 8 | source->next_input_byte[1];
  source->next_input_byte += 2;
  source->bytes_in_buffer -= 2;
  if (length < 2) return TRUE;
  const std::size_t payloadSize = length - 2;
  if (payloadSize <= source->bytes_in_buffer) {
    look(*static_cast<SegmentsSeen*>(info->client_data), source->next_input_byte, payloadSize);
  }
  source->skip_input_data(info, long(payloadSize));
  return TRUE;
}

boolean ReadApp1(j_decompress_ptr info) {
  return ReadSegment(info, [](SegmentsSeen& seen, const std::uint8_t* payload, std::size_t size) {
    if (seen.exifSeen || size < 6 || std::memcmp(payload, "Exif\0\0", 6) != 0) return;
    seen.exifSeen = true;
    seen.orientation = ExifOrientation::Read(payload, size);
  });
}

boolean ReadApp2(j_decompress_ptr info) {
  return ReadSegment(info, [](SegmentsSeen& seen, const std::uint8_t* payload, std::size_t size) {
    if (size <= kProfileHeader || std::memcmp(payload, kProfileTag, sizeof kProfileTag) != 0)
      return;
    const int number = payload[sizeof kProfileTag];
    const int count = payload[sizeof kProfileTag + 1];
    // Counts that disagree leave no profile: -1 matches no chunk number.
    seen.chunkCount = seen.chunks.empty() || seen.chunkCount == count ? count : -1;
    // More chunks than a count can name make no profile either; a file of
    // many tiny segments is not listed any further.
    if (seen.chunks.size() < std::size_t(kMaxProfileChunks)) {
      seen.chunks.push_back({number, payload + kProfileHeader, size - kProfileHeader});
    } else {
      seen.chunkCount = -1;
    }
  });
}

// The profile the chunks make: exactly the numbers 1 to count, each once.
std::vector<std::uint8_t> JoinProfile(std::vector<ProfileChunk> chunks, int count) {
  if (chunks.empty() || count < 1 || chunks.size() != std::size_t(count)) return {};
  std::sort(chunks.begin(), chunks.end(),
            [](const ProfileChunk& a, const ProfileChunk& b) { return a.number < b.number; });
  std::size_t size = 0;
  for (std::size_t k = 0; k < chunks.size(); ++k) {
    if (chunks[k].number != int(k) + 1) return {};
    size += chunks[k].size;
  }
  std::vector<std::uint8_t> profile;
  profile.reserve(size);
  for (const ProfileChunk& chunk : chunks)
    profile.insert(profile.end(), chunk.bytes, chunk.bytes + chunk.size);
  return profile;
}

// Reads the header up to the first scan; false when libjpeg fails, with
// its message in the error manager. Nothing here owns anything: the jump
// back from a failure skips no destructor.
bool ReadHeader(JpegDecompressor& decompressor, const std::uint8_t* data, std::size_t size,
                SegmentsSeen& seen, bool& picture) {
  jpeg_decompress_struct& info = decompressor.info;
  if (setjmp(decompressor.errors.jump)) return false;
  jpeg_create_decompress(&info);
  info.client_data = &seen;
  jpeg_set_marker_processor(&info, JPEG_APP0 + 1, ReadApp1);
  jpeg_set_marker_processor(&info, JPEG_APP0 + 2, ReadApp2);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  // A file cut short in its header reads as tables only, with no picture.
  picture = jpeg_read_header(&info, FALSE) == JPEG_HEADER_OK;
  return true;
}

std::int64_t RoundUp(std::int64_t value, std::int64_t step) {
  return (value + step - 1) / step * step;
}

}  // namespace

JpegHeader::JpegHeader(const std::uint8_t* data, std::size_t size, const std::string& path) {
  if (size > std::numeric_limits<unsigned long>::max()) {
    throw PictureErrors::InvalidPicture(path, "the file is too large");
  }
  try {
    decompressor_ = std::make_unique<JpegDecompressor>();
  } catch (const std::bad_alloc&) {
    throw PictureErrors::OutOfMemory(path);
  }
  SegmentsSeen seen;
  try {
    // Taken now, so nothing allocates while libjpeg reads the segments.
    seen.chunks.reserve(kMaxProfileChunks);
  } catch (const std::bad_alloc&) {
    throw PictureErrors::OutOfMemory(path);
  }
  bool picture = false;
  if (!ReadHeader(*decompressor_, data, size, seen, picture)) {
    throw PictureErrors::InvalidPicture(
        path, std::string("the JPEG data cannot be read: ") + decompressor_->errors.message);
  }
  decompressor_->info.client_data = nullptr;  // the header's own, which ends here
  if (!picture) {
    throw PictureErrors::InvalidPicture(path, "the JPEG data ends before the picture starts");
  }
  const jpeg_decompress_struct& info = decompressor_->info;
  width_ = std::int32_t(info.image_width);
  height_ = std::int32_t(info.image_height);
  cmyk_ = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  orientation_ = seen.orientation;
  colourProfile_ = JoinProfile(std::move(seen.chunks), seen.chunkCount);
  adobe_ = info.saw_Adobe_marker;
  progressive_ = info.progressive_mode;
  // Each component's blocks, padded to whole units of its sampling factors
  // as the decoder allocates them.
  for (int c = 0; c < info.num_components; ++c) {
    const jpeg_component_info& component = info.comp_info[c];
    blocks_ += RoundUp(component.width_in_blocks, component.h_samp_factor) *
               RoundUp(component.height_in_blocks, component.v_samp_factor);
  }
  if (progressive_ || info.comps_in_scan < info.num_components) {
    coefficientBytes_ = blocks_ * kCoefficientBytesPerBlock;
  }
}

JpegHeader::~JpegHeader() = default;

}  // namespace imaging::reading
