#include "imaging/reading/VideoInput.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cstdio>

namespace imaging::reading {

VideoInput::VideoInput(platform::FileDescriptor file, std::int64_t fileBytes)
    : file_(std::move(file)), fileBytes_(fileBytes) {
  // libavformat may replace the buffer, so it is handed over and freed
  // through the context.
  auto* buffer = static_cast<std::uint8_t*>(av_malloc(kBufferBytes));
  if (buffer == nullptr) return;
  context_.reset(avio_alloc_context(buffer, kBufferBytes, 0, this, &VideoInput::Read, nullptr,
                                    &VideoInput::Seek));
  if (!context_) av_free(buffer);
}

VideoInput::~VideoInput() = default;

void VideoInput::ContextDeleter::operator()(AVIOContext* context) const {
  av_freep(&context->buffer);
  avio_context_free(&context);
}

void VideoInput::AllowReading(std::int64_t bytes) {
  allowed_ = bytesRead_ + bytes;
  deadline_ = std::chrono::steady_clock::now() + kDeadline;
}

bool VideoInput::PastDeadline() {
  if (std::chrono::steady_clock::now() > deadline_) exhausted_ = true;
  return exhausted_;
}

int VideoInput::Read(void* opaque, std::uint8_t* buffer, int size) {
  auto& input = *static_cast<VideoInput*>(opaque);
  if (input.PastDeadline() || input.bytesRead_ >= input.allowed_) {
    input.exhausted_ = true;
    return AVERROR_EXIT;
  }
  const std::int64_t wanted = std::min<std::int64_t>(size, input.allowed_ - input.bytesRead_);
  const ssize_t got = input.file_.readAt(buffer, std::size_t(wanted), off_t(input.position_));
  if (got < 0) return AVERROR(EIO);
  if (got == 0) return AVERROR_EOF;
  input.position_ += got;
  input.bytesRead_ += got;
  return int(got);
}

std::int64_t VideoInput::Seek(void* opaque, std::int64_t offset, int whence) {
  auto& input = *static_cast<VideoInput*>(opaque);
  if (whence & AVSEEK_SIZE) return input.fileBytes_;
  if (input.PastDeadline()) return AVERROR_EXIT;
  std::int64_t base;
  switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
      base = 0;
      break;
    case SEEK_CUR:
      base = input.position_;
      break;
    case SEEK_END:
      base = input.fileBytes_;
      break;
    default:
      return AVERROR(EINVAL);
  }
  // The offsets come from the file: one that overflows is refused.
  std::int64_t target;
  if (__builtin_add_overflow(base, offset, &target) || target < 0) return AVERROR(EINVAL);
  input.position_ = target;
  return target;
}

}  // namespace imaging::reading
