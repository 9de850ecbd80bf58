#include "orvale/builder/TemplateLineFilter.h"

#include <utility>

#include "orvale/builder/ProgramName.h"
#include "platform/RunTimeError.h"

namespace orvale {

namespace {

// The marker lines of a template's blocks.
constexpr std::string_view kIfMarker = "//#if all-media";
constexpr std::string_view kElseMarker = "//#else";
constexpr std::string_view kEndMarker = "//#endif";
constexpr std::size_t kLongestMarker = kIfMarker.size();

}  // namespace

TemplateLineFilter::TemplateLineFilter(std::string templatePath, bool allMedia)
    : templatePath_(std::move(templatePath)), allMedia_(allMedia) {}

void TemplateLineFilter::feed(char c, std::string& out) {
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

void TemplateLineFilter::finish(std::string& out) {
  if (streaming_ || !held_.empty()) endLine("", out);
  if (block_ != Block::kNone)
    fail(blockStart_, "the \"//#if all-media\" block has no \"//#endif\"");
  if (lineOpen_) out += "\r\n";
}

void TemplateLineFilter::put(std::string_view bytes, std::string& out) {
  if (!writing() || bytes.empty()) return;
  out += bytes;
  lineOpen_ = true;
}

// A line ends: a marker changes the block, any other line is written
// (or not) with its line end. A lone line feed stays content of the
// page's line, as it always was.
void TemplateLineFilter::endLine(std::string_view lineEnd, std::string& out) {
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
    if (block_ == Block::kNone) fail(line_, "\"//#else\" without an \"//#if all-media\" before it");
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

void TemplateLineFilter::fail(std::size_t line, const std::string& what) const {
  throw platform::RunTimeError(platform::kInvalidProcedureCall, kProgramName,
                               templatePath_ + ", line " + std::to_string(line) + ": " + what);
}

}  // namespace orvale
