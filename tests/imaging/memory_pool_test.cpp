#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "imaging/reading/MemoryPool.h"

using imaging::reading::MemoryPool;

namespace {

// Shares are granted while they fit; one that does not waits for a share to
// be given back, and one larger than the pool is granted alone.
TEST(MemoryPool, ASharePastThePoolWaitsForOthersToBeGivenBack) {
  MemoryPool pool(100);
  std::mutex mutex;
  std::vector<std::string> events;
  auto log = [&](const std::string& event) {
    const std::lock_guard lock(mutex);
    events.push_back(event);
  };
  auto first = pool.Take(70);
  auto second = pool.Take(30);
  EXPECT_EQ(pool.Held(), 100) << "shares that fit are granted at once";
  std::thread waiting([&] {
    MemoryPool::Share third = pool.Take(50);
    log("third granted");
  });
  log("first given back");
  first = MemoryPool::Share();
  waiting.join();
  EXPECT_EQ(events, (std::vector<std::string>{"first given back", "third granted"}))
      << "the third share waited for room";
  second = MemoryPool::Share();
  EXPECT_EQ(pool.Held(), 0) << "every share given back when it ends";
  MemoryPool other(100);
  {
    MemoryPool::Share taken = other.Take(40);
    const MemoryPool::Share moved(std::move(taken));
  }
  EXPECT_EQ(other.Held(), 0) << "a share moved is given back once, by where it went";
  const MemoryPool::Share alone = pool.Take(500);
  EXPECT_EQ(pool.Held(), 500) << "a share larger than the pool is granted when none is held";
}

}  // namespace
