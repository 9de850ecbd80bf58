#include "imaging/reading/MemoryPool.h"

#include <utility>

namespace imaging {

MemoryPool::Share::Share(Share&& other) noexcept
    : pool_(std::exchange(other.pool_, nullptr)), bytes_(std::exchange(other.bytes_, 0)) {}

MemoryPool::Share& MemoryPool::Share::operator=(Share&& other) noexcept {
  if (this != &other) {
    GiveBack();
    pool_ = std::exchange(other.pool_, nullptr);
    bytes_ = std::exchange(other.bytes_, 0);
  }
  return *this;
}

MemoryPool::Share::~Share() { GiveBack(); }

void MemoryPool::Share::GiveBack() {
  if (pool_) pool_->GiveBack(bytes_);
  pool_ = nullptr;
  bytes_ = 0;
}

MemoryPool::Share MemoryPool::Take(std::int64_t bytes) {
  std::unique_lock lock(mutex_);
  freed_.wait(lock, [&] { return held_ == 0 || held_ + bytes <= capacity_; });
  held_ += bytes;
  return Share(this, bytes);
}

std::int64_t MemoryPool::Held() {
  const std::lock_guard lock(mutex_);
  return held_;
}

void MemoryPool::GiveBack(std::int64_t bytes) {
  {
    const std::lock_guard lock(mutex_);
    held_ -= bytes;
  }
  freed_.notify_all();
}

}  // namespace imaging
