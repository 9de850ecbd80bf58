#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cstdint>
#include <memory>
#include <string>

#include "imaging/pixels/StdPicture.h"
#include "imaging/reading/DecodeLimits.h"
#include "imaging/reading/PictureDecoder.h"
#include "imaging/reading/VideoInput.h"
#include "platform/FileDescriptor.h"

namespace imaging::reading {

// One frame of a video file (MP4, QuickTime, Matroska, WebM) as a picture:
// the frame shown at 1 second, or the first frame of a video shorter than
// that, read through libavformat and libavcodec and converted with
// libswscale. The file is read where it lies, never whole: the header, a
// seek, and the packets from the key frame before that second to it, so a
// ten-hour video costs what a ten-second one does. The video's rotation is
// reported as an orientation, so the picture is turned upright as a photo
// is. Reading is bounded in bytes, packets and time (VideoInput), and what
// the decoder holds is checked against the limits before it is opened.
class VideoFrameDecoder final : public PictureDecoder {
 public:
  // What the container's header may take to read; a header beyond it (an
  // index built to fill memory) is refused.
  static constexpr std::int64_t kMaxHeaderBytes = std::int64_t{16} << 20;
  // What finding the frame may read after the header, and in how many
  // packets (of every stream).
  static constexpr std::int64_t kMaxFrameBytes = std::int64_t{64} << 20;
  static constexpr int kMaxPackets = 4096;

  // Takes the open file of fileBytes bytes, whose first bytes say it is a
  // video (IsVideo), and reads its header. Matroska is read as Matroska,
  // anything else as an ISO media (MP4, QuickTime) file.
  VideoFrameDecoder(platform::FileDescriptor file, std::int64_t fileBytes, bool matroska,
                    const std::string& path, const DecodeLimits& limits);
  ~VideoFrameDecoder() override;

  // Whether a file's first bytes are those of a video this decoder reads:
  // an ISO media file whose brand is not a still picture's (those are HEIF
  // or AVIF), a QuickTime file that starts with its movie, data or padding
  // box, or a Matroska (WebM) file. Sets matroska for the last.
  static bool IsVideo(const std::uint8_t* bytes, std::size_t size, bool& matroska);

  PictureFormat Format() const override { return PictureFormat::Video; }
  std::int32_t StoredWidth() const override { return width_; }
  std::int32_t StoredHeight() const override { return height_; }
  int Orientation() const override { return orientation_; }

  // 1/1, 1/2, 1/4 or 1/8: the frame is scaled to it as it is converted.
  pixels::DecodeScale ScaleFor(std::int32_t minWidth, std::int32_t minHeight) const override;
  // What the demuxer holds of the header (its tables and index), the frames the decoder
  // may hold (the reference frames a coding allows at the size, at 3
  // bytes a pixel: 4:2:0 of 10 or 12 bits, or 4:4:4 of 8), and ours of the
  // picture at the scale.
  std::int64_t DecodeBytes(pixels::DecodeScale scale) const override;
  pixels::StdPicture Decode(pixels::DecodeScale scale) override;

 private:
  struct FormatDeleter {
    void operator()(AVFormatContext* format) const { avformat_close_input(&format); }
  };
  struct CodecDeleter {
    void operator()(AVCodecContext* codec) const { avcodec_free_context(&codec); }
  };
  struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
  };
  struct PacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
  };
  using Frame = std::unique_ptr<AVFrame, FrameDeleter>;

  void OpenCodec();
  // The frame shown at `target` (in the stream's time base): the last
  // decoded at or before it, else the first after it. Sets reached when a
  // frame at or after it was decoded.
  Frame FrameAt(std::int64_t target, bool& reached);
  // Reads packets of the stream into the decoder until it has a frame or
  // the file ends; nullptr at the end.
  Frame NextFrame();
  pixels::StdPicture Convert(const AVFrame& frame, pixels::DecodeScale scale) const;
  [[noreturn]] void RaiseReadError(int error, const char* what) const;

  std::string path_;
  DecodeLimits limits_;
  // Read through by the demuxer, so it ends after it.
  std::unique_ptr<VideoInput> input_;
  std::unique_ptr<AVFormatContext, FormatDeleter> format_;
  std::unique_ptr<AVCodecContext, CodecDeleter> codec_;
  std::unique_ptr<AVPacket, PacketDeleter> packet_;
  const AVCodec* decoder_ = nullptr;
  int streamIndex_ = -1;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  int orientation_ = 1;
  std::int64_t headerBytes_ = 0;
  int packetsRead_ = 0;
  bool fileEnded_ = false;
};

}  // namespace imaging::reading
