#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "imaging/reading/MemoryPool.h"
#include "imaging/reading/PictureLoader.h"
#include "tesselet/batch/DecodeSettings.h"
#include "tesselet/batch/PictureOutputs.h"

namespace tesselet {

// Decodes one picture file and makes its outputs: RenderOutputs unless a
// test steers it. Runs on worker threads.
using RenderStep =
    std::function<PictureOutputs(const DecodeSettings& settings, const std::string& sourcePath)>;

// Decodes a batch's pictures on worker threads ahead of their turns, in list
// order, while the window thread takes them one by one. Each worker holds
// one picture at a time. Finished pictures wait for their turn in the
// memory pool's reserve, which the loads never wait for: a finished picture
// that does not fit there waits outside it, holding no load's memory, until
// the pictures before it are taken or the window thread waits for it (then
// it is handed over whatever the reserve holds), so the picture the window
// thread waits for can always be loaded and handed over. A picture whose name an
// earlier picture's thumbnail may take (thumbnails written into the image
// folder itself), or whose thumbnail's name an earlier picture's takes, is
// decoded only at its turn, from the files as the batch has left them by
// then. Ending it drops what is not started, waits for the
// pictures being decoded and joins its threads.
class DecodeAhead {
 public:
  // Fewer threads when the system refuses some; with none, Take decodes.
  // The pool is the one the loads take their memory from.
  DecodeAhead(int workers, RenderStep render,
              imaging::reading::MemoryPool& pool = imaging::reading::PictureLoader::DecodeMemory());
  ~DecodeAhead();
  DecodeAhead(const DecodeAhead&) = delete;
  DecodeAhead& operator=(const DecodeAhead&) = delete;

  // Decodes these entries, from the first, with these settings.
  void Start(std::vector<std::string> entries, const DecodeSettings& settings);
  const std::vector<std::string>& Entries() const { return entries_; }

  // Entry `index`'s outputs as these settings make them, taken once each in
  // list order, once the entries before it are written: waits for it, first
  // decoding it and every entry after it again when they were decoded with
  // other settings. Raises what its decode raised.
  PictureOutputs Take(std::size_t index, const DecodeSettings& settings);

 private:
  struct Slot {
    bool done = false;
    PictureOutputs outputs;
    std::exception_ptr error;
  };

  void Restart(std::size_t from, const DecodeSettings& settings);
  void Work(std::stop_token stop);
  // Waits, the lock held, until the finished entry's outputs have room in
  // the reserve or their turn comes; false when they are no longer wanted.
  bool Park(std::unique_lock<std::mutex>& lock, std::stop_token stop, std::size_t index,
            std::uint64_t generation, PictureOutputs& outputs);

  RenderStep render_;
  imaging::reading::MemoryPool& pool_;
  int workers_ = 0;
  std::mutex mutex_;
  std::condition_variable_any changed_;
  std::vector<std::string> entries_;
  DecodeSettings settings_;
  std::vector<Slot> slots_;       // one per entry
  std::vector<bool> atTurn_;      // one per entry: decoded only at its turn
  std::uint64_t generation_ = 0;  // counts the settings decodes were started with
  std::size_t next_ = 0;          // the next entry to start
  std::size_t taken_ = 0;         // entries taken so far
  bool waitedFor_ = false;        // Take waits for entry taken_
  std::size_t lookahead_ = 0;     // how far past the taken ones decoding may go,
                                  // pictures found current not counted
  std::vector<std::jthread> threads_;
};

}  // namespace tesselet
