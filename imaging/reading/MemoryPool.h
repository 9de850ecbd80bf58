#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

namespace imaging::reading {

// Bytes shared by the picture loads running at once on several threads: a
// load takes its share before it allocates, waiting while the others hold
// too much for it to fit, and gives it back when it ends. A share never
// larger than the loads' part of the pool is always granted in the end, so
// a load that waits holding a share of another pool (taken first, always in
// the same order) cannot wait for ever.
//
// Beside the loads' part, the pool may keep a reserve for what finished
// loads leave waiting until another thread takes it (pictures made ahead of
// their turns). Loads never wait for the reserve, nor the reserve for
// loads: a load whose turn has come is never held up by results that only
// its own completion would clear away.
class MemoryPool {
 public:
  // `capacity` bytes in all, `reserve` of them kept for TryTakeReserved.
  explicit MemoryPool(std::int64_t capacity, std::int64_t reserve = 0)
      : loadCapacity_(capacity - reserve), reserve_(reserve) {}
  MemoryPool(const MemoryPool&) = delete;
  MemoryPool& operator=(const MemoryPool&) = delete;

  // A share of the pool, given back when it ends or is replaced.
  class Share {
   public:
    Share() = default;
    Share(Share&& other) noexcept;
    Share& operator=(Share&& other) noexcept;
    ~Share();

   private:
    friend class MemoryPool;
    Share(MemoryPool* pool, std::int64_t bytes, bool reserved)
        : pool_(pool), bytes_(bytes), reserved_(reserved) {}
    void GiveBack();
    MemoryPool* pool_ = nullptr;
    std::int64_t bytes_ = 0;
    bool reserved_ = false;
  };

  // Waits until the bytes fit beside the loads' shares held (or none is
  // held: a share larger than the loads' part is granted alone).
  Share Take(std::int64_t bytes);
  // A share of the reserve when the bytes fit in what is left of it, at
  // once; nothing (and no waiting) when they do not.
  std::optional<Share> TryTakeReserved(std::int64_t bytes);
  // Every byte held, the reserve's included.
  std::int64_t Held();

 private:
  void GiveBack(std::int64_t bytes, bool reserved);

  std::mutex mutex_;
  std::condition_variable freed_;
  const std::int64_t loadCapacity_;
  const std::int64_t reserve_;
  std::int64_t held_ = 0;
  std::int64_t reservedHeld_ = 0;
};

}  // namespace imaging::reading
