#pragma once

namespace tesselet {

// How many pictures the batch decodes at once.
constexpr int kMaxWorkers = 64;

// TESSELET_WORKERS when it is a whole number from 1 to kMaxWorkers (for
// measuring; 1 decodes each picture on the window thread in its turn), else
// one for each core the system reports.
int BatchWorkerCount();

// The same rule for a given text (nullptr: not set) and core count (0: not
// known, taken as one).
int WorkerCountFrom(const char* text, unsigned cores);

}  // namespace tesselet
