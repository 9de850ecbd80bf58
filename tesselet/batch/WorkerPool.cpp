#include "tesselet/batch/WorkerPool.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace tesselet {

WorkerPool::WorkerPool(int threads) {
  try {
    threads_.reserve(std::size_t(std::max(threads, 0)));
    for (int k = 0; k < threads; ++k)
      threads_.emplace_back([this](std::stop_token stop) { Work(stop); });
  } catch (const std::system_error&) {
    // The tasks wait for the threads there are, or run on the caller.
  } catch (const std::bad_alloc&) {
  }
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    tasks_.clear();  // their futures report a broken promise, never a result
  }
  for (std::jthread& thread : threads_) thread.request_stop();
  threads_.clear();  // joins
}

void WorkerPool::Enqueue(std::packaged_task<void()> task) {
  if (threads_.empty()) {
    task();
    return;
  }
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  wake_.notify_one();
}

void WorkerPool::Work(std::stop_token stop) {
  for (;;) {
    std::packaged_task<void()> task;
    {
      std::unique_lock lock(mutex_);
      if (!wake_.wait(lock, stop, [this] { return !tasks_.empty(); })) return;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
}

}  // namespace tesselet
