// Reads the caption of an arbitrary file, the way a build reads a picture's,
// and checks what any caption must be: page text without white space at
// its ends, no longer than the longest caption and its "…"; and that
// reading ends without a fault.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "orvale/builder/PictureCaption.h"
#include "orvale/builder/PictureListText.h"
#include "platform/FileDescriptor.h"

namespace {

void Require(bool rule) {
  if (!rule) std::abort();
}

std::size_t Characters(const std::string& text) {
  std::size_t count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\0';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The picture lives in memory; the reader opens it by path like a real file.
  const platform::FileDescriptor file(::memfd_create("picture", MFD_CLOEXEC));
  Require(file.isOpen() && file.writeAll(data, size));
  const std::string caption = orvale::PictureCaption("/proc/self/fd/" + std::to_string(file.get()));
  if (caption.empty()) return 0;
  Require(orvale::ToPageText(caption) == caption);
  Require(!IsBlank(caption.front()) && !IsBlank(caption.back()));
  Require(Characters(caption) <= orvale::kLongestCaption + 1);
  return 0;
}
