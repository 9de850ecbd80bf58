#pragma once

#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <stop_token>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace tesselet {

// A fixed set of threads that run the tasks handed to them, first handed,
// first started. A task's result, or what it threw, comes back through its
// future. With no threads a task runs at once on the caller's thread, inside
// Submit. Ending the pool drops the tasks no thread has started, waits for
// those running and joins every thread: no task outlives the pool.
class WorkerPool {
 public:
  // Fewer threads when the system refuses some; none at worst.
  explicit WorkerPool(int threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  template <class Task>
  std::future<std::invoke_result_t<Task&>> Submit(Task task) {
    std::packaged_task<std::invoke_result_t<Task&>()> work(std::move(task));
    auto result = work.get_future();
    Enqueue(std::packaged_task<void()>([work = std::move(work)]() mutable { work(); }));
    return result;
  }

 private:
  void Enqueue(std::packaged_task<void()> task);
  void Work(std::stop_token stop);

  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::deque<std::packaged_task<void()>> tasks_;
  std::vector<std::jthread> threads_;
};

}  // namespace tesselet
