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

#include "imaging/pixels/DibBitmap.h"
#include "imaging/thumbnail/RenderOptions.h"
#include "imaging/thumbnail/cThumbnail.h"

namespace tesselet {

// Decodes and reduces one picture file: the renderer's own RenderFile unless
// a test steers it. Runs on worker threads.
using RenderStep = std::function<std::unique_ptr<imaging::DibBitmap>(
    const imaging::cThumbnail& thumbnail, const std::string& sourcePath)>;

// What decides how the batch's pictures decode: the renderer's box, fit and
// background (a plain colour by now: system colours are looked up on the
// window thread) and the folder the pictures are in. A picture decoded
// with settings that differ in anything is decoded again.
struct DecodeSettings {
  imaging::RenderOptions render;
  std::string imageFolder;

  bool operator==(const DecodeSettings&) const = default;
};

// Decodes a batch's pictures on worker threads ahead of their turns, in list
// order, while the window thread takes them one by one. Each worker holds
// one picture at a time; of the small finished thumbnails, no more wait for
// their turn than a fixed budget of memory allows. A picture whose name an
// earlier picture's thumbnail may take (thumbnails written into the image
// folder itself) is decoded only at its turn, from the file as the batch has
// left it by then. Ending it drops what is not started, waits for the
// pictures being decoded and joins its threads.
class DecodeAhead {
 public:
  // Fewer threads when the system refuses some; with none, Take decodes.
  DecodeAhead(int workers, RenderStep render);
  ~DecodeAhead();
  DecodeAhead(const DecodeAhead&) = delete;
  DecodeAhead& operator=(const DecodeAhead&) = delete;

  // Decodes these entries, from the first, with these settings.
  void Start(std::vector<std::string> entries, const DecodeSettings& settings);
  const std::vector<std::string>& Entries() const { return entries_; }

  // Entry `index`'s thumbnail as these settings make it, taken once each in
  // list order, once the entries before it are written: waits for it, first
  // decoding it and every entry after it again when they were decoded with
  // other settings. Raises what its decode raised.
  std::unique_ptr<imaging::DibBitmap> Take(std::size_t index, const DecodeSettings& settings);

 private:
  struct Slot {
    bool done = false;
    std::unique_ptr<imaging::DibBitmap> canvas;
    std::exception_ptr error;
  };

  void Restart(std::size_t from, const DecodeSettings& settings);
  void Work(std::stop_token stop);

  RenderStep render_;
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
  std::size_t lookahead_ = 0;     // how far past the taken ones decoding may go
  std::vector<std::jthread> threads_;
};

}  // namespace tesselet
