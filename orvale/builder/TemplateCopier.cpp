#include "orvale/builder/TemplateCopier.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "orvale/builder/ProgramName.h"
#include "platform/AtomicFile.h"
#include "platform/FileDescriptor.h"
#include "platform/RunTimeError.h"

namespace orvale {

namespace {

// Where the page's bytes go, piece by piece.
using PageSink = std::function<void(std::string_view)>;

// The marker lines of a template's blocks (see the header).
constexpr std::string_view kIfMarker = "//#if all-media";
constexpr std::string_view kElseMarker = "//#else";
constexpr std::string_view kEndMarker = "//#endif";
constexpr std::size_t kLongestMarker = kIfMarker.size();

// Turns a template's bytes into the page's: each line ended by a carriage
// return and a line feed, the lines of the blocks this build does not take
// and the marker lines left out. A line is held back only while it may
// still be a marker, so memory stays small whatever the template.
class TemplateLineFilter {
 public:
  TemplateLineFilter(std::string templatePath, bool allMedia)
      : templatePath_(std::move(templatePath)), allMedia_(allMedia) {}

  void feed(char c, std::string& out) {
    if (c == '\n' && afterReturn_) {  // the rest of a CR LF line end
      afterReturn_ = false;
      return;
    }
    afterReturn_ = c == '\r';
    if (c == '\r' || c == '\n') return endLine(c == '\r' ? "\r\n" : "\n", out);
    if (streaming_) return put(std::string_view(&c, 1), out);
    held_ += c;
    if (held_.size() > kLongestMarker) {
      streaming_ = true;
      put(held_, out);
    }
  }

  void finish(std::string& out) {
    if (streaming_ || !held_.empty()) endLine("", out);
    if (block_ != Block::kNone)
      fail(blockStart_, "the \"//#if all-media\" block has no \"//#endif\"");
    if (lineOpen_) out += "\r\n";
  }

 private:
  enum class Block { kNone, kIf, kElse };

  bool writing() const { return block_ == Block::kNone || (block_ == Block::kIf) == allMedia_; }
  void put(std::string_view bytes, std::string& out) {
    if (!writing() || bytes.empty()) return;
    out += bytes;
    lineOpen_ = true;
  }

  // A line ends: a marker changes the block, any other line is written
  // (or not) with its line end. A lone line feed stays content of the
  // page's line, as it always was.
  void endLine(std::string_view lineEnd, std::string& out) {
    ++line_;
    const bool marker = !streaming_;
    streaming_ = false;
    const std::string line = std::move(held_);
    held_.clear();
    if (marker && line == kIfMarker) {
      if (block_ != Block::kNone)
        fail(line_, "\"//#if all-media\" inside a block (blocks do not nest)");
      block_ = Block::kIf;
      blockStart_ = line_;
    } else if (marker && line == kElseMarker) {
      if (block_ == Block::kElse) fail(line_, "a second \"//#else\" in one block");
      if (block_ == Block::kNone)
        fail(line_, "\"//#else\" without an \"//#if all-media\" before it");
      block_ = Block::kElse;
    } else if (marker && line == kEndMarker) {
      if (block_ == Block::kNone)
        fail(line_, "\"//#endif\" without an \"//#if all-media\" before it");
      block_ = Block::kNone;
    } else {
      if (marker) put(line, out);
      if (!writing() || lineEnd.empty()) return;
      out += lineEnd;
      lineOpen_ = lineEnd != "\r\n";
    }
  }

  [[noreturn]] void fail(std::size_t line, const std::string& what) const {
    throw platform::RunTimeError(platform::kInvalidProcedureCall, kProgramName,
                                 templatePath_ + ", line " + std::to_string(line) + ": " + what);
  }

  const std::string templatePath_;
  const bool allMedia_;
  std::string held_;        // the line so far, while it may be a marker
  bool streaming_ = false;  // the line is longer than any marker: written as it comes
  bool afterReturn_ = false;
  bool lineOpen_ = false;  // bytes written since the last CR LF
  Block block_ = Block::kNone;
  std::size_t line_ = 0;  // lines ended so far, counted as an editor counts them
  std::size_t blockStart_ = 0;
};

void EmitTemplateLines(const std::string& templatePath, bool allMedia, const PageSink& sink) {
  const platform::FileDescriptor file(::open(templatePath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.isOpen()) throw platform::RunTimeError::fromErrno(errno, kProgramName);
  std::vector<char> buffer(1 << 16);
  std::string out;
  TemplateLineFilter filter(templatePath, allMedia);
  for (;;) {
    const ssize_t got = file.readSome(buffer.data(), buffer.size());
    if (got < 0) throw platform::RunTimeError::fromErrno(errno, kProgramName);
    if (got == 0) break;
    out.clear();
    for (ssize_t k = 0; k < got; ++k) filter.feed(buffer[k], out);
    sink(out);
  }
  out.clear();
  filter.finish(out);
  sink(out);
}

void EmitPage(const std::string& listText, const std::string& headTemplatePath,
              const std::string& tailTemplatePath, bool allMedia, const PageSink& sink) {
  EmitTemplateLines(headTemplatePath, allMedia, sink);
  sink(std::string_view(listText).substr(0, listText.empty() ? 0 : listText.size() - 1));
  EmitTemplateLines(tailTemplatePath, allMedia, sink);
}

// Whether the file at the path holds exactly the page's bytes, read a
// piece at a time beside them.
bool FileHoldsPage(const std::string& pagePath, const std::string& listText,
                   const std::string& headTemplatePath, const std::string& tailTemplatePath,
                   bool allMedia) {
  const platform::FileDescriptor file(::open(pagePath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.isOpen()) return false;
  std::vector<char> held(1 << 16);
  bool same = true;
  EmitPage(listText, headTemplatePath, tailTemplatePath, allMedia, [&](std::string_view piece) {
    while (same && !piece.empty()) {
      const std::size_t size = std::min(piece.size(), held.size());
      same = file.readSome(held.data(), size) == ssize_t(size) &&
             std::equal(held.begin(), held.begin() + std::ptrdiff_t(size), piece.begin());
      piece.remove_prefix(size);
    }
  });
  char more = 0;
  return same && file.readSome(&more, 1) == 0;
}

}  // namespace

void WritePageFile(const std::string& pagePath, const std::string& listText,
                   const std::string& headTemplatePath, const std::string& tailTemplatePath,
                   bool allMedia) {
  // A page this user may not write is refused here, whether or not it
  // would change.
  platform::AtomicFile page(pagePath, kProgramName);
  if (FileHoldsPage(pagePath, listText, headTemplatePath, tailTemplatePath, allMedia)) return;
  page.open();
  EmitPage(listText, headTemplatePath, tailTemplatePath, allMedia,
           [&](std::string_view piece) { page.write(piece); });
  page.commit();
}

}  // namespace orvale
