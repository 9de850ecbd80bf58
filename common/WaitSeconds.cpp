#include "common/WaitSeconds.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace common {

namespace {
constexpr double kSecondsPerDay = 86400.0;
}

double SecondsSinceMidnight() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t whole = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&whole, &local);
  const double fraction = duration<double>(now - system_clock::from_time_t(whole)).count();
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
}

void WaitSeconds(platform::HostServices& host, double seconds, const TimeOfDayClock& clock) {
  host.setBusyPointer(true);
  const double start = clock();
  const double end = start + seconds;
  for (;;) {
    double now = clock();
    // Past midnight the clock starts again at zero; the wait goes on counting.
    if (now < start) now += kSecondsPerDay;
    const double remaining = end - now;
    if (!(remaining > 0)) break;
    const auto slice = std::chrono::milliseconds(
        static_cast<long long>(std::ceil(std::min(remaining, 1.0) * 1000.0)));
    host.processEvents(slice);
  }
  host.setBusyPointer(false);
}

}  // namespace common
