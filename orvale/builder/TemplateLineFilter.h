#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvale {

// Turns a template's bytes into the page's: each line ended by a carriage
// return and a line feed, the lines of the blocks this build does not take
// and the marker lines left out (the rules stand beside WritePageFile). A
// line is held back only while it may still be a marker, so memory stays
// small whatever the template. A marker out of place raises the run-time
// error 5 naming the template and the line.
class TemplateLineFilter {
 public:
  TemplateLineFilter(std::string templatePath, bool allMedia);

  // Adds one byte of the template; what the page gets of it so far goes
  // to out.
  void feed(char c, std::string& out);
  // The template has ended: its last line and line end go to out.
  void finish(std::string& out);

 private:
  enum class Block { kNone, kIf, kElse };

  bool writing() const { return block_ == Block::kNone || (block_ == Block::kIf) == allMedia_; }
  void put(std::string_view bytes, std::string& out);
  void endLine(std::string_view lineEnd, std::string& out);
  [[noreturn]] void fail(std::size_t line, const std::string& what) const;

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

}  // namespace orvale
