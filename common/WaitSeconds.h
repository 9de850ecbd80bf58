#pragma once

#include <functional>

#include "platform/HostServices.h"

namespace common {

// Seconds since midnight, local time, with a fraction.
using TimeOfDayClock = std::function<double()>;
double SecondsSinceMidnight();

// Shows the busy pointer and handles window events until the given number of
// seconds has passed (a wait across midnight keeps counting), then shows the
// default pointer. Zero seconds handles no events.
void WaitSeconds(platform::HostServices& host, double seconds,
                 const TimeOfDayClock& clock = SecondsSinceMidnight);

}  // namespace common
