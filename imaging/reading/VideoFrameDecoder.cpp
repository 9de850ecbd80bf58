#include "imaging/reading/VideoFrameDecoder.h"

extern "C" {
#include <libavutil/display.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "imaging/pixels/DibBitmap.h"
#include "imaging/reading/HeifPictureDecoder.h"
#include "imaging/reading/PictureErrors.h"

namespace imaging::reading {

namespace {

// The codings of the videos phones and cameras make; a file of any other
// is refused rather than handed to a decoder nobody here has tried.
constexpr AVCodecID kCodings[] = {AV_CODEC_ID_H264,  AV_CODEC_ID_HEVC,  AV_CODEC_ID_VP8,
                                  AV_CODEC_ID_VP9,   AV_CODEC_ID_AV1,   AV_CODEC_ID_MPEG4,
                                  AV_CODEC_ID_MJPEG, AV_CODEC_ID_PRORES};

// The frames a decoder may hold: its reference frames, counted as many as
// fit in about 57 megapixels (H.264's level 5.1 keeps 47; HEVC keeps 6 at
// its largest sizes), at least 6 and at most 16, and three more it decodes
// into. A 4K HEVC video of 10 bits was measured at 287 MB for the whole
// process, its web copies made; this counts 249 MB for the decode.
constexpr std::int64_t kReferencePixels = std::int64_t{4096} * 2304 * 6;
constexpr std::int64_t kWorkingFrames = 3;
constexpr std::int64_t kBytesPerFramePixel = 3;
// What the demuxer holds per byte of header it read: a table of 4 bytes a
// sample becomes a table of its own.
constexpr std::int64_t kTableBytesPerHeaderByte = 2;
// The largest block libav may allocate at once. A header can declare a
// count of samples of one size without listing them, and the demuxer would
// make an index entry for each; refused past this, a video of a few
// kilobytes never asks for gigabytes. The index of a ten-hour video of 60
// frames a second takes 52 MB, and the frames a decode is let hold are
// smaller still.
constexpr std::size_t kMaxBlockBytes = std::size_t{64} << 20;

// Set once for the process: libav's own messages would go to standard
// error beside ours (its errors come out in our messages instead), and its
// largest block is bounded.
void SetUpLibrary() {
  struct SetUp {
    SetUp() {
      av_log_set_level(AV_LOG_QUIET);
      av_max_alloc(kMaxBlockBytes);
    }
  };
  static const SetUp setUp;
}

std::string ErrorText(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return text;
}

bool HasBox(const std::uint8_t* bytes, std::size_t size, const char* type) {
  return size >= 8 && std::memcmp(bytes + 4, type, 4) == 0;
}

// The display matrix's turn as an EXIF orientation: 6 turns the stored
// frame a quarter clockwise, 3 a half, 8 three quarters.
int OrientationOf(const AVStream& stream) {
  std::size_t size = 0;
  const std::uint8_t* matrix = av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
  if (matrix == nullptr || size < 9 * sizeof(std::int32_t)) return 1;
  std::int32_t values[9];
  std::memcpy(values, matrix, sizeof values);
  // The matrix turns counter-clockwise; a display turns the other way.
  const double turn = -av_display_rotation_get(values);
  if (!std::isfinite(turn)) return 1;
  const long quarters = std::lround(turn / 90.0) % 4;
  switch ((quarters + 4) % 4) {
    case 1:
      return 6;
    case 2:
      return 3;
    case 3:
      return 8;
    default:
      return 1;
  }
}

struct ScalerDeleter {
  void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};

}  // namespace

bool VideoFrameDecoder::IsVideo(const std::uint8_t* bytes, std::size_t size, bool& matroska) {
  matroska = size >= 4 && std::memcmp(bytes, "\x1A\x45\xDF\xA3", 4) == 0;
  if (matroska) return true;
  if (HasBox(bytes, size, "ftyp")) {
    // Still pictures in an ISO media file: HEIF's brands and AVIF's.
    return size >= 12 && !HeifPictureDecoder::IsHeif(bytes, size) &&
           std::memcmp(bytes + 8, "avif", 4) != 0 && std::memcmp(bytes + 8, "avis", 4) != 0;
  }
  return HasBox(bytes, size, "moov") || HasBox(bytes, size, "mdat") ||
         HasBox(bytes, size, "wide") || HasBox(bytes, size, "free") || HasBox(bytes, size, "skip");
}

VideoFrameDecoder::VideoFrameDecoder(platform::FileDescriptor file, std::int64_t fileBytes,
                                     bool matroska, const std::string& path,
                                     const DecodeLimits& limits)
    : path_(path), limits_(limits) {
  SetUpLibrary();
  input_ = std::make_unique<VideoInput>(std::move(file), fileBytes);
  if (input_->Context() == nullptr) throw PictureErrors::OutOfMemory(path_);
  AVFormatContext* format = avformat_alloc_context();
  if (format == nullptr) throw PictureErrors::OutOfMemory(path_);
  format->pb = input_->Context();
  format->flags |= AVFMT_FLAG_CUSTOM_IO;
  format->interrupt_callback.callback = [](void* input) {
    return int(static_cast<VideoInput*>(input)->PastDeadline());
  };
  format->interrupt_callback.opaque = input_.get();
  input_->AllowReading(kMaxHeaderBytes);
  // The kind is told by the first bytes already: no other demuxer is tried.
  const AVInputFormat* kind = av_find_input_format(matroska ? "matroska" : "mov");
  // On failure the context is freed by libavformat.
  const int opened = avformat_open_input(&format, nullptr, kind, nullptr);
  if (opened < 0) RaiseReadError(opened, "the video's header cannot be read");
  format_.reset(format);
  // What reading the header left held: its tables and the index built from
  // them.
  headerBytes_ = kTableBytesPerHeaderByte * input_->BytesRead();
  for (unsigned k = 0; k < format->nb_streams; ++k) {
    headerBytes_ += std::int64_t{avformat_index_get_entries_count(format->streams[k])} *
                    std::int64_t{sizeof(AVIndexEntry)};
  }
  streamIndex_ = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (streamIndex_ < 0) throw PictureErrors::InvalidPicture(path_, "the file holds no video");
  const AVStream& stream = *format->streams[streamIndex_];
  const AVCodecParameters& parameters = *stream.codecpar;
  width_ = parameters.width;
  height_ = parameters.height;
  PictureErrors::CheckSize(path_, width_, height_, limits_.MaxPixels);
  if (std::find(std::begin(kCodings), std::end(kCodings), parameters.codec_id) ==
          std::end(kCodings) ||
      (decoder_ = avcodec_find_decoder(parameters.codec_id)) == nullptr) {
    throw PictureErrors::InvalidPicture(path_, std::string("the video's coding (") +
                                                   avcodec_get_name(parameters.codec_id) +
                                                   ") is not one that is read");
  }
  orientation_ = OrientationOf(stream);
}

VideoFrameDecoder::~VideoFrameDecoder() = default;

pixels::DecodeScale VideoFrameDecoder::ScaleFor(std::int32_t minWidth,
                                                std::int32_t minHeight) const {
  return pixels::ChooseScale(width_, height_, minWidth, minHeight, pixels::kHalvingScales);
}

std::int64_t VideoFrameDecoder::DecodeBytes(pixels::DecodeScale scale) const {
  const std::int64_t pixels = std::int64_t{width_} * height_;
  const std::int64_t references = std::clamp<std::int64_t>(kReferencePixels / pixels, 6, 16);
  return headerBytes_ + (references + kWorkingFrames) * kBytesPerFramePixel * pixels +
         pixels::DibBitmap::StrideFor(pixels::ScaledSide(width_, scale)) *
             std::int64_t{pixels::ScaledSide(height_, scale)};
}

void VideoFrameDecoder::RaiseReadError(int error, const char* what) const {
  std::string why = what;
  if (error == AVERROR(ENOMEM)) {
    // Most likely a block past kMaxBlockBytes that the file asked for.
    why += ": it asks for more memory than a video may take";
  } else if (input_->Exhausted()) {
    why += ": it takes more reading than a video may";
  } else {
    why += ": " + ErrorText(error);
  }
  throw PictureErrors::InvalidPicture(path_, why);
}

void VideoFrameDecoder::OpenCodec() {
  codec_.reset(avcodec_alloc_context3(decoder_));
  packet_.reset(av_packet_alloc());
  if (!codec_ || !packet_) throw PictureErrors::OutOfMemory(path_);
  const int copied =
      avcodec_parameters_to_context(codec_.get(), format_->streams[streamIndex_]->codecpar);
  if (copied < 0) RaiseReadError(copied, "the video's coding cannot be set up");
  // The thumbnail maker decodes several files side by side already.
  codec_->thread_count = 1;
  // A frame larger than the header said (which the memory was counted
  // for) is refused by the decoder before it is allocated; codings round
  // sizes up to their blocks, hence the margin.
  codec_->max_pixels = (std::int64_t{width_} + 64) * (std::int64_t{height_} + 64);
  const int opened = avcodec_open2(codec_.get(), decoder_, nullptr);
  if (opened < 0) RaiseReadError(opened, "the video's decoder cannot be opened");
}

VideoFrameDecoder::Frame VideoFrameDecoder::NextFrame() {
  Frame frame(av_frame_alloc());
  if (!frame) throw PictureErrors::OutOfMemory(path_);
  for (;;) {
    const int received = avcodec_receive_frame(codec_.get(), frame.get());
    if (received == 0) return frame;
    if (received == AVERROR_EOF) return nullptr;
    if (received != AVERROR(EAGAIN)) RaiseReadError(received, "the video cannot be decoded");
    if (fileEnded_) {
      // The decoder has been told the end already and has nothing more.
      return nullptr;
    }
    if (++packetsRead_ > kMaxPackets || input_->PastDeadline()) {
      throw PictureErrors::InvalidPicture(path_,
                                          "no frame was found in the packets a video may take");
    }
    const int read = av_read_frame(format_.get(), packet_.get());
    if (read == AVERROR_EOF) {
      fileEnded_ = true;
      avcodec_send_packet(codec_.get(), nullptr);
      continue;
    }
    if (read < 0) RaiseReadError(read, "the video cannot be read");
    if (packet_->stream_index == streamIndex_) {
      const int sent = avcodec_send_packet(codec_.get(), packet_.get());
      // A damaged packet is passed over, as players do; the next key frame
      // decodes again.
      if (sent == AVERROR(ENOMEM)) throw PictureErrors::OutOfMemory(path_);
    }
    av_packet_unref(packet_.get());
  }
}

VideoFrameDecoder::Frame VideoFrameDecoder::FrameAt(std::int64_t target, bool& reached) {
  reached = false;
  avcodec_flush_buffers(codec_.get());
  fileEnded_ = false;
  // Where the seek fails the frames are read from where the reading is.
  av_seek_frame(format_.get(), streamIndex_, target, AVSEEK_FLAG_BACKWARD);
  Frame shown;
  while (Frame frame = NextFrame()) {
    const std::int64_t time = frame->best_effort_timestamp;
    const bool after = time != AV_NOPTS_VALUE && time > target;
    if (time == AV_NOPTS_VALUE || time >= target) reached = true;
    if (after && shown) break;
    shown = std::move(frame);
    if (after || reached) break;
  }
  return shown;
}

pixels::StdPicture VideoFrameDecoder::Decode(pixels::DecodeScale scale) {
  PictureErrors::ClaimMemory(path_, width_, height_, 0, DecodeBytes(scale), true, limits_);
  input_->AllowReading(kMaxFrameBytes);
  OpenCodec();
  const AVStream& stream = *format_->streams[streamIndex_];
  const std::int64_t start = stream.start_time == AV_NOPTS_VALUE ? 0 : stream.start_time;
  const std::int64_t second = av_rescale_q(1, AVRational{1, 1}, stream.time_base);
  bool reached = false;
  Frame frame = FrameAt(start + second, reached);
  // A video shorter than a second shows its first frame.
  if (!reached) frame = FrameAt(start, reached);
  if (!frame)
    throw PictureErrors::InvalidPicture(path_, "the video has no frame that can be decoded");
  return Convert(*frame, scale);
}

pixels::StdPicture VideoFrameDecoder::Convert(const AVFrame& frame,
                                              pixels::DecodeScale scale) const {
  if (frame.width != width_ || frame.height != height_) {
    throw PictureErrors::InvalidPicture(path_, "the video's frame size differs from its header's");
  }
  const std::int32_t width = pixels::ScaledSide(width_, scale);
  const std::int32_t height = pixels::ScaledSide(height_, scale);
  auto bitmap = pixels::DibBitmap::Create(width, height);
  if (!bitmap) throw PictureErrors::OutOfMemory(path_);
  const std::unique_ptr<SwsContext, ScalerDeleter> scaler(
      sws_getContext(width_, height_, AVPixelFormat(frame.format), width, height, AV_PIX_FMT_BGR24,
                     SWS_AREA | SWS_ACCURATE_RND, nullptr, nullptr, nullptr));
  if (!scaler) {
    throw PictureErrors::InvalidPicture(path_, "the video's frames cannot be converted");
  }
  // The frame's own colours: its matrix (BT.601 when it names none) and
  // its range, to full-range RGB.
  const int matrix = frame.colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : frame.colorspace;
  sws_setColorspaceDetails(scaler.get(), sws_getCoefficients(matrix),
                           frame.color_range == AVCOL_RANGE_JPEG,
                           sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
  // The bitmap's top row is its last in memory: written upwards.
  std::uint8_t* const rows[4] = {bitmap->RowFromTop(0), nullptr, nullptr, nullptr};
  const int strides[4] = {-bitmap->Stride(), 0, 0, 0};
  if (sws_scale(scaler.get(), frame.data, frame.linesize, 0, height_, rows, strides) != height) {
    throw PictureErrors::InvalidPicture(path_, "the video's frame cannot be converted");
  }
  return pixels::StdPicture(std::move(bitmap), width_, height_, scale, orientation_);
}

}  // namespace imaging::reading
