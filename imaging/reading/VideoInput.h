#pragma once

extern "C" {
#include <libavformat/avio.h>
}

#include <chrono>
#include <cstdint>
#include <memory>

#include "platform/FileDescriptor.h"

namespace imaging::reading {

// A video file as libavformat reads it: an AVIOContext over our own open
// file, so no protocol, path or other file is ever opened on the file's
// say. Reading is bounded: past the bytes it is allowed to read, or past the
// deadline, every read fails (libavformat then gives up with an error), so
// a file built to make the reader wander costs no more than that. Seeks
// reach any point of the file without reading through what lies between.
class VideoInput {
 public:
  static constexpr std::chrono::seconds kDeadline{10};
  // The reading buffer libavformat fills.
  static constexpr int kBufferBytes = 64 << 10;

  // Takes the open file of fileBytes bytes; nothing may be read until
  // AllowReading.
  VideoInput(platform::FileDescriptor file, std::int64_t fileBytes);
  ~VideoInput();
  VideoInput(const VideoInput&) = delete;
  VideoInput& operator=(const VideoInput&) = delete;

  // Lets the reader read `bytes` more than it has read so far, within the
  // deadline from now: the time a load waited for memory in between is not
  // counted against it.
  void AllowReading(std::int64_t bytes);
  std::int64_t BytesRead() const { return bytesRead_; }

  // nullptr when memory ran out.
  AVIOContext* Context() const { return context_.get(); }
  // Whether the allowance or the deadline ended the reading.
  bool Exhausted() const { return exhausted_; }
  // Whether the deadline has passed (also set Exhausted).
  bool PastDeadline();

 private:
  static int Read(void* opaque, std::uint8_t* buffer, int size);
  static std::int64_t Seek(void* opaque, std::int64_t offset, int whence);

  struct ContextDeleter {
    void operator()(AVIOContext* context) const;
  };

  platform::FileDescriptor file_;
  std::int64_t fileBytes_;
  std::int64_t position_ = 0;
  std::int64_t bytesRead_ = 0;
  std::int64_t allowed_ = 0;
  bool exhausted_ = false;
  std::chrono::steady_clock::time_point deadline_;
  std::unique_ptr<AVIOContext, ContextDeleter> context_;
};

}  // namespace imaging::reading
