#include "tesselet/batch/DecodeAhead.h"

#include <algorithm>
#include <cctype>
#include <new>
#include <optional>
#include <system_error>
#include <unordered_set>
#include <utility>

#include "tesselet/batch/ThumbnailNaming.h"

namespace tesselet {

namespace {

// No more than this many finished pictures wait for their turn, whatever
// room the pool's reserve has: plenty to keep every core busy through the
// pause before a batch.
constexpr std::size_t kMaxWaiting = 64;

std::string Lower(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Which entries may be the thumbnail of an entry before them, of either
// type, in a folder that may ignore case: with thumbnails written into the
// image folder, the batch replaces such a file before its turn comes. And
// which share their thumbnail's name with an entry before them: whether
// theirs is current can only be told once that one's turn has written it.
std::vector<bool> DecodedAtTurn(const std::vector<std::string>& entries) {
  std::vector<bool> atTurn(entries.size());
  std::unordered_set<std::string> written;
  for (std::size_t k = 0; k < entries.size(); ++k) {
    atTurn[k] = written.contains(Lower(entries[k]));
    for (const ThumbnailType type : {ThumbnailType::kJpeg, ThumbnailType::kBitmap})
      atTurn[k] = atTurn[k] || written.contains(Lower(ThumbnailName(entries[k], type)));
    for (const ThumbnailType type : {ThumbnailType::kJpeg, ThumbnailType::kBitmap})
      written.insert(Lower(ThumbnailName(entries[k], type)));
  }
  return atTurn;
}

}  // namespace

DecodeAhead::DecodeAhead(int workers, RenderStep render, imaging::reading::MemoryPool& pool)
    : render_(std::move(render)), pool_(pool) {
  try {
    for (int k = 0; k < workers; ++k)
      threads_.emplace_back([this](std::stop_token stop) { Work(stop); });
  } catch (const std::system_error&) {
    // The threads there are do the work, or Take does.
  } catch (const std::bad_alloc&) {
  }
  workers_ = int(threads_.size());
}

DecodeAhead::~DecodeAhead() {
  {
    std::lock_guard lock(mutex_);
    // Nothing left to start; pictures being decoded find their results
    // unwanted.
    entries_.clear();
    slots_.clear();
    next_ = taken_ = 0;
    ++generation_;
  }
  for (std::jthread& thread : threads_) thread.request_stop();
  threads_.clear();  // joins
}

void DecodeAhead::Start(std::vector<std::string> entries, const DecodeSettings& settings) {
  std::lock_guard lock(mutex_);
  entries_ = std::move(entries);
  atTurn_ = DecodedAtTurn(entries_);
  slots_.clear();
  slots_.resize(entries_.size());
  taken_ = 0;
  Restart(0, settings);
}

PictureOutputs DecodeAhead::Take(std::size_t index, const DecodeSettings& settings) {
  if (threads_.empty() || atTurn_.at(index)) {
    {
      std::lock_guard lock(mutex_);
      taken_ = index + 1;
    }
    changed_.notify_all();
    return render_(settings, SourcePath(settings.imageFolder, entries_.at(index)));
  }
  std::unique_lock lock(mutex_);
  if (!(settings == settings_)) Restart(index, settings);
  taken_ = index;
  // A finished picture waiting for room in the reserve is handed over now
  // that it is waited for, and the pictures taken before it have given
  // their room back.
  waitedFor_ = true;
  changed_.notify_all();
  changed_.wait(lock, [&] { return slots_.at(index).done; });
  waitedFor_ = false;
  Slot slot = std::move(slots_[index]);
  slots_[index] = {};
  taken_ = index + 1;
  lock.unlock();
  changed_.notify_all();
  if (slot.error) std::rethrow_exception(slot.error);
  return std::move(slot.outputs);
}

void DecodeAhead::Restart(std::size_t from, const DecodeSettings& settings) {
  ++generation_;
  settings_ = settings;
  for (std::size_t k = from; k < slots_.size(); ++k) slots_[k] = {};
  next_ = from;
  lookahead_ = std::size_t(workers_) + kMaxWaiting;
  changed_.notify_all();
}

void DecodeAhead::Work(std::stop_token stop) {
  std::unique_lock lock(mutex_);
  for (;;) {
    const bool hasWork = changed_.wait(
        lock, stop, [this] { return next_ < entries_.size() && next_ < taken_ + lookahead_; });
    if (!hasWork) return;
    const std::size_t index = next_++;
    if (atTurn_[index]) continue;  // Take decodes it
    const std::uint64_t generation = generation_;
    Slot result;
    // Whatever fails, memory for the copies included, is the picture's own
    // failure, raised in its turn.
    try {
      const DecodeSettings settings = settings_;
      const std::string source = SourcePath(settings.imageFolder, entries_[index]);
      lock.unlock();
      result.outputs = render_(settings, source);
    } catch (...) {
      result.error = std::current_exception();
    }
    result.done = true;
    if (!lock.owns_lock()) lock.lock();
    // A picture whose outputs are current holds nothing while it waits, so
    // it does not count against how far ahead decoding goes: in a folder
    // where only a few pictures changed, the next changed one is decoded
    // beside the one in hand, however many current ones lie between them.
    if (!result.error && result.outputs.current && generation == generation_) ++lookahead_;
    if (!result.error && !Park(lock, stop, index, generation, result.outputs)) {
      if (stop.stop_requested()) return;
      continue;
    }
    if (generation == generation_) {
      slots_[index] = std::move(result);
      changed_.notify_all();
    }
  }
}

bool DecodeAhead::Park(std::unique_lock<std::mutex>& lock, std::stop_token stop, std::size_t index,
                       std::uint64_t generation, PictureOutputs& outputs) {
  const std::int64_t bytes = outputs.Bytes();
  const bool ended = changed_.wait(lock, stop, [&] {
    if (generation != generation_) return true;
    if (std::optional<imaging::reading::MemoryPool::Share> share = pool_.TryTakeReserved(bytes)) {
      outputs.held = std::move(*share);
      return true;
    }
    // Handed over even when the reserve has no room, once it is waited for.
    return waitedFor_ && index == taken_;
  });
  return ended && generation == generation_;
}

}  // namespace tesselet
