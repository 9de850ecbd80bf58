// Feeds arbitrary command lines and folder texts to the thumbnail maker's
// text handling: the joined argument, the folder texts the window hands to
// the batch, and the size boxes. None may crash, and each keeps its promise
// for any bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/QtText.h"
#include "platform/RunTimeError.h"
#include "tesselet/batch/FolderText.h"
#include "tesselet/batch/SizeText.h"
#include "tesselet/batch/ThumbnailNaming.h"
#include "tesselet/window/ThumbnailMakerStartUp.h"

namespace {

void Require(bool rule) {
  if (!rule) std::abort();
}

void CheckArgument(const std::vector<std::string>& words) {
  std::vector<std::string> owned{"tesselet"};
  owned.insert(owned.end(), words.begin(), words.end());
  std::vector<char*> argv;
  for (auto& word : owned) argv.push_back(word.data());
  argv.push_back(nullptr);
  const std::string argument = tesselet::CommandLineArgument(int(owned.size()), argv.data());
  std::string joined;
  for (std::size_t k = 0; k < words.size(); ++k) joined += (k ? " " : "") + words[k];
  Require(argument == joined);  // joined by single blanks, quotes and all kept
  // The folder reaches the batch through the window's text boxes, whatever
  // bytes its name holds.
  Require(platform::ToBytes(platform::ToQString(argument)) == argument);
}

void CheckFolderText(const std::string& text) {
  const std::string trimmed = tesselet::TrimBlanks(text);
  Require(trimmed.empty() || (trimmed.front() != ' ' && trimmed.back() != ' '));
  Require(text.find(trimmed) != std::string::npos);
  Require(tesselet::TrimBlanks(trimmed) == trimmed);
  const std::string folder = tesselet::WithTrailingSlash(trimmed);
  Require(folder.back() == '/' && folder.compare(0, trimmed.size(), trimmed) == 0);
  Require(folder.size() - trimmed.size() <= 1);
  tesselet::IsUsableDestination(text);
}

void CheckNaming(const std::string& folder, const std::string& name) {
  const std::string source = tesselet::SourcePath(folder, name);
  Require(source.size() >= name.size() &&
          source.compare(source.size() - name.size(), name.size(), name) == 0);
  const std::string thumbnail =
      tesselet::ThumbnailPath(folder, name, tesselet::ThumbnailType::kJpeg);
  Require(thumbnail.size() >= 4 && thumbnail.compare(thumbnail.size() - 4, 4, ".jpg") == 0);
}

void CheckSizeText(const std::string& text) {
  try {
    tesselet::SizeFromText(text);
  } catch (const platform::RunTimeError& error) {
    Require(error.number() == platform::kTypeMismatch || error.number() == platform::kOverflow);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  std::vector<std::string> words;
  const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, 6);
  for (std::size_t k = 0; k < count; ++k) {
    // Command-line words cannot hold a NUL byte.
    std::string word = input.ConsumeRandomLengthString(256);
    words.push_back(word.substr(0, word.find('\0')));
  }
  CheckArgument(words);
  const std::string folder = input.ConsumeRandomLengthString(256);
  const std::string name = input.ConsumeRandomLengthString(256);
  CheckFolderText(folder);
  CheckNaming(folder, name);
  CheckSizeText(input.ConsumeRemainingBytesAsString());
  return 0;
}
