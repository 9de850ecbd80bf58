#include "imaging/reading/MemoryPool.h"

#include <utility>

namespace imaging::reading {

MemoryPool::Share::Share(Share&& other) noexcept
    : pool_(std::exchange(other.pool_, nullptr)),
      bytes_(std::exchange(other.bytes_, 0)),
      reserved_(other.reserved_) {}

MemoryPool::Share& MemoryPool::Share::operator=(Share&& other) noexcept {
  if (this != &other) {
    GiveBack();
    pool_ = std::exchange(other.pool_, nullptr);
    bytes_ = std::exchange(other.bytes_, 0);
    reserved_ = other.reserved_;
  }
  return *this;
}

MemoryPool::Share::~Share() { GiveBack(); }

void MemoryPool::Share::GiveBack() {
  if (pool_) pool_->GiveBack(bytes_, reserved_);
  pool_ = nullptr;
  bytes_ = 0;
}

MemoryPool::Share MemoryPool::Take(std::int64_t bytes) {
  std::unique_lock lock(mutex_);
  freed_.wait(lock, [&] { return held_ == 0 || held_ + bytes <= loadCapacity_; });
  held_ += bytes;
  return Share(this, bytes, false);
}

std::optional<MemoryPool::Share> MemoryPool::TryTakeReserved(std::int64_t bytes) {
  const std::lock_guard lock(mutex_);
  if (reservedHeld_ + bytes > reserve_) return std::nullopt;
  reservedHeld_ += bytes;
  return Share(this, bytes, true);
}

std::int64_t MemoryPool::Held() {
  const std::lock_guard lock(mutex_);
  return held_ + reservedHeld_;
}

void MemoryPool::GiveBack(std::int64_t bytes, bool reserved) {
  {
    const std::lock_guard lock(mutex_);
    (reserved ? reservedHeld_ : held_) -= bytes;
  }
  // Only loads wait on the pool; the reserve is taken without waiting.
  if (!reserved) freed_.notify_all();
}

}  // namespace imaging::reading
