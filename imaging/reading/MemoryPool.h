#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace imaging {

// Bytes shared by the picture loads running at once on several threads: a
// load takes its share before it allocates, waiting while the others hold
// too much for it to fit, and gives it back when it ends. A share never
// larger than the pool is always granted in the end, so a load that waits
// holding a share of another pool (taken first, always in the same order)
// cannot wait for ever.
class MemoryPool {
 public:
  explicit MemoryPool(std::int64_t capacity) : capacity_(capacity) {}
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
    Share(MemoryPool* pool, std::int64_t bytes) : pool_(pool), bytes_(bytes) {}
    void GiveBack();
    MemoryPool* pool_ = nullptr;
    std::int64_t bytes_ = 0;
  };

  // Waits until the bytes fit beside the shares held (or none is held: a
  // share larger than the pool is granted alone).
  Share Take(std::int64_t bytes);
  std::int64_t Held();

 private:
  void GiveBack(std::int64_t bytes);

  std::mutex mutex_;
  std::condition_variable freed_;
  const std::int64_t capacity_;
  std::int64_t held_ = 0;
};

}  // namespace imaging
