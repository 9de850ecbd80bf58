#include "tesselet/batch/WorkerCount.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace tesselet {

int BatchWorkerCount() {
  return WorkerCountFrom(std::getenv("TESSELET_WORKERS"), std::thread::hardware_concurrency());
}

int WorkerCountFrom(const char* text, unsigned cores) {
  if (text) {
    const char* end = text + std::strlen(text);
    int count = 0;
    const auto [stop, error] = std::from_chars(text, end, count);
    if (error == std::errc() && stop == end && count >= 1 && count <= kMaxWorkers) return count;
  }
  return int(std::clamp(cores, 1u, unsigned(kMaxWorkers)));
}

}  // namespace tesselet
