#include "imaging/reading/HeifPictureDecoder.h"

#include <QImage>
#include <algorithm>
#include <cstring>
#include <iterator>

#include "imaging/reading/FramePainter.h"
#include "imaging/reading/PictureErrors.h"

namespace imaging::reading {

namespace {

// libheif loads its decoders once for the whole process, before the first
// file is read, and unloads them when the process ends.
void LoadLibrary() {
  struct Library {
    Library() { heif_init(nullptr); }
    ~Library() { heif_deinit(); }
  };
  static const Library library;
}

void Check(const heif_error& error, const std::string& path, const char* what) {
  if (error.code == heif_error_Ok) return;
  if (error.code == heif_error_Memory_allocation_error) throw PictureErrors::OutOfMemory(path);
  throw PictureErrors::InvalidPicture(path, std::string(what) + ": " + error.message);
}

struct ImageDeleter {
  void operator()(heif_image* image) const { heif_image_release(image); }
};

struct OptionsDeleter {
  void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

}  // namespace

bool HeifPictureDecoder::IsHeif(const std::uint8_t* bytes, std::size_t size) {
  if (size < 12 || std::memcmp(bytes + 4, "ftyp", 4) != 0) return false;
  static constexpr const char* kBrands[] = {"heic", "heix", "heim", "heis", "hevc",
                                            "hevx", "mif1", "msf1", "heif"};
  return std::any_of(std::begin(kBrands), std::end(kBrands),
                     [&](const char* brand) { return std::memcmp(bytes + 8, brand, 4) == 0; });
}

HeifPictureDecoder::HeifPictureDecoder(const std::uint8_t* data, std::size_t size,
                                       const std::string& path, const DecodeLimits& limits)
    : size_(size), path_(path), limits_(limits) {
  LoadLibrary();
  context_.reset(heif_context_alloc());
  if (!context_) throw PictureErrors::OutOfMemory(path_);
  // The loads already run side by side: tiles are decoded on the loader's
  // own thread.
  heif_context_set_max_decoding_threads(context_.get(), 0);
  Check(heif_context_read_from_memory_without_copy(context_.get(), data, size, nullptr), path_,
        "the HEIF file cannot be read");
  heif_image_handle* handle = nullptr;
  Check(heif_context_get_primary_image_handle(context_.get(), &handle), path_,
        "the HEIF file has no picture that can be read");
  handle_.reset(handle);
  width_ = heif_image_handle_get_width(handle);
  height_ = heif_image_handle_get_height(handle);
  PictureErrors::CheckSize(path_, width_, height_, limits_.MaxPixels);
  hasAlpha_ = heif_image_handle_has_alpha_channel(handle) != 0;
  bytesPerSample_ = heif_image_handle_get_luma_bits_per_pixel(handle) > 8 ? 2 : 1;
  const heif_color_profile_type profile = heif_image_handle_get_color_profile_type(handle);
  if (profile == heif_color_profile_type_prof || profile == heif_color_profile_type_rICC) {
    // Read from the file held in memory, so no larger than it.
    colourProfile_.resize(heif_image_handle_get_raw_color_profile_size(handle));
    if (colourProfile_.size() > size ||
        heif_image_handle_get_raw_color_profile(handle, colourProfile_.data()).code !=
            heif_error_Ok) {
      colourProfile_.clear();
    }
  }
}

HeifPictureDecoder::~HeifPictureDecoder() = default;

pixels::DecodeScale HeifPictureDecoder::ScaleFor(std::int32_t minWidth,
                                                 std::int32_t minHeight) const {
  return pixels::ChooseScale(width_, height_, minWidth, minHeight, pixels::kHalvingScales);
}

std::int64_t HeifPictureDecoder::DecodeBytes(pixels::DecodeScale scale) const {
  const std::int64_t planes = (hasAlpha_ ? 4 : 3) * bytesPerSample_;
  const std::int64_t converted = hasAlpha_ ? 4 : 3;
  return (3 * planes + converted) * width_ * height_ +
         pixels::DibBitmap::StrideFor(pixels::ScaledSide(width_, scale)) *
             std::int64_t{pixels::ScaledSide(height_, scale)};
}

pixels::StdPicture HeifPictureDecoder::Decode(pixels::DecodeScale scale) {
  PictureErrors::ClaimMemory(path_, width_, height_, std::int64_t(size_), DecodeBytes(scale), true,
                             limits_);
  const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(
      heif_decoding_options_alloc());
  if (!options) throw PictureErrors::OutOfMemory(path_);
  options->convert_hdr_to_8bit = 1;
  heif_image* decoded = nullptr;
  Check(heif_decode_image(handle_.get(), &decoded, heif_colorspace_RGB,
                          hasAlpha_ ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                          options.get()),
        path_, "the picture cannot be decoded");
  const std::unique_ptr<heif_image, ImageDeleter> image(decoded);
  int stride = 0;
  const std::uint8_t* pixels =
      heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  if (pixels == nullptr || heif_image_get_width(image.get(), heif_channel_interleaved) != width_ ||
      heif_image_get_height(image.get(), heif_channel_interleaved) != height_) {
    throw PictureErrors::InvalidPicture(path_, "the picture's size differs from its header's");
  }
  // Borrowed, not copied: painted a row at a time.
  const QImage frame(pixels, width_, height_, stride,
                     hasAlpha_ ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  FrameLayout layout;
  layout.Width = layout.FrameWidth = width_;
  layout.Height = layout.FrameHeight = height_;
  auto bitmap = FramePainter::Paint(frame, layout, scale.Denominator, path_);
  return pixels::StdPicture(std::move(bitmap), width_, height_, scale, 1);
}

}  // namespace imaging::reading
