// Writes a page from arbitrary head and tail templates and picture names,
// the way a build does, with or without every kind of file, and checks what
// any page must hold: each template line ended by a carriage return and a
// line feed, the blocks' marker lines gone (or the page refused for a
// misplaced one), and each name and caption a script string that cannot end
// early or close the script around it.
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "orvale/builder/PictureListText.h"
#include "orvale/builder/TemplateCopier.h"
#include "platform/FileDescriptor.h"
#include "platform/RunTimeError.h"

namespace {

void Require(bool rule) {
  if (!rule) std::abort();
}

// A template held in memory: the copier opens it by path like a real file.
class MemoryTemplate {
 public:
  explicit MemoryTemplate(const std::string& text)
      : file_(::memfd_create("template", MFD_CLOEXEC)) {
    Require(file_.isOpen() &&
            ::write(file_.get(), text.data(), text.size()) == ssize_t(text.size()));
  }
  std::string path() const { return "/proc/self/fd/" + std::to_string(file_.get()); }

 private:
  platform::FileDescriptor file_;
};

// The page folder lives in memory too, so the page's flush costs nothing.
const std::filesystem::path& PageFolder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = "/dev/shm/orvale-fuzz-XXXXXX";
    if (!std::filesystem::is_directory("/dev/shm"))
      pattern = (std::filesystem::temp_directory_path() / "orvale-fuzz-XXXXXX").string();
    Require(::mkdtemp(pattern.data()) != nullptr);
    std::atexit([] { std::filesystem::remove_all(PageFolder()); });
    return std::filesystem::path(pattern);
  }();
  return folder;
}

// The template's lines as the page must hold them: a carriage return ends a
// line (a line feed right after it is part of that end), a lone line feed is
// content, and a last line without an end still gets one. Marker lines,
// whole lines between any line ends, are left out with the lines of the
// block side not taken. False when a marker is out of place.
bool ExpectedLines(const std::string& text, bool allMedia, std::string& out) {
  enum { kNone, kIf, kElse } block = kNone;
  std::size_t k = 0;
  while (k < text.size()) {
    const std::size_t end = std::min(text.find_first_of("\r\n", k), text.size());
    const std::string line = text.substr(k, end - k);
    std::string lineEnd;
    k = end;
    if (k < text.size()) {
      lineEnd = text[k] == '\r' ? "\r\n" : "\n";
      if (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n') ++k;
      ++k;
    }
    if (line == "//#if all-media") {
      if (block != kNone) return false;
      block = kIf;
    } else if (line == "//#else") {
      if (block != kIf) return false;
      block = kElse;
    } else if (line == "//#endif") {
      if (block == kNone) return false;
      block = kNone;
    } else if (block == kNone || (block == kIf) == allMedia) {
      out += line + lineEnd;
    }
  }
  if (block != kNone) return false;
  if (!out.empty() && !out.ends_with("\r\n")) out += "\r\n";
  return true;
}

// The inside of a double-quoted script string that a page may carry: no
// quote or backslash left unpaired, no raw line break of any kind, no
// control character, and nothing an HTML parser reads as the end of the
// script or the start of a comment.
void RequireSafeScriptString(const std::string& content) {
  Require(content.find("</") == std::string::npos && content.find("<!") == std::string::npos);
  Require(content.find("\xE2\x80\xA8") == std::string::npos &&
          content.find("\xE2\x80\xA9") == std::string::npos);
  for (std::size_t k = 0; k < content.size(); ++k) {
    const unsigned char c = static_cast<unsigned char>(content[k]);
    Require(c >= 0x20 && c != 0x7F && c != '"');
    if (c == '\\') Require(++k < content.size());  // an escape takes the next byte
  }
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string head = input.ConsumeRandomLengthString(512);
  const std::string tail = input.ConsumeRandomLengthString(512);
  const bool allMedia = input.ConsumeBool();
  std::vector<orvale::ListedFile> files;
  while (input.remaining_bytes() > 0 && files.size() < 16) {
    const std::string name = orvale::ToPageText(input.ConsumeRandomLengthString(128));
    Require(orvale::ToPageText(name) == name);  // page text is valid UTF-8 already
    RequireSafeScriptString(orvale::ScriptStringContent(name));
    const std::string caption = orvale::ToPageText(input.ConsumeRandomLengthString(128));
    RequireSafeScriptString(orvale::ScriptStringContent(caption));
    files.push_back({name, caption});
  }
  const std::string list = orvale::PictureListText(files);

  const MemoryTemplate headFile(head), tailFile(tail);
  const std::filesystem::path pagePath = PageFolder() / "Index.htm";
  std::string expectedHead, expectedTail;
  const bool wellFormed =
      ExpectedLines(head, allMedia, expectedHead) && ExpectedLines(tail, allMedia, expectedTail);
  try {
    orvale::WritePageFile(pagePath.string(), list, headFile.path(), tailFile.path(), allMedia);
  } catch (const platform::RunTimeError& error) {
    Require(!wellFormed && error.number() == platform::kInvalidProcedureCall);
    return 0;
  }
  Require(wellFormed);

  const std::string listWithoutFinalComma = list.substr(0, list.empty() ? 0 : list.size() - 1);
  Require(ReadFile(pagePath) == expectedHead + listWithoutFinalComma + expectedTail);
  return 0;
}
