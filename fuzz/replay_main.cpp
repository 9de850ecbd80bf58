// Replays saved inputs through a fuzz target's LLVMFuzzerTestOneInput
// without libFuzzer, so the normal build's tests feed it the inputs that
// once found a fault. Each argument is a file or a folder of files (taken in
// name order). A fault aborts the program after the input's name is printed;
// a missing, empty or unreadable input list fails it, so the test cannot
// pass by replaying nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// libFuzzer's own default bound on an input it makes; saved inputs are far
// smaller, so a larger file is a mistake rather than a test.
constexpr std::uintmax_t kMaxInputBytes = 1 << 20;

std::vector<std::filesystem::path> Inputs(const std::filesystem::path& argument) {
  if (!std::filesystem::is_directory(argument)) return {argument};
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(argument))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

bool Replay(const std::filesystem::path& file) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size > kMaxInputBytes) {
    std::cerr << file.string() << ": not a readable input of at most " << kMaxInputBytes
              << " bytes\n";
    return false;
  }
  std::vector<char> bytes(size);
  std::ifstream stream(file, std::ios::binary);
  if (!stream.read(bytes.data(), std::streamsize(size))) {
    std::cerr << file.string() << ": could not be read whole\n";
    return false;
  }
  std::cout << "replaying " << file.string() << std::endl;
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t replayed = 0;
  for (int k = 1; k < argc; ++k) {
    for (const auto& file : Inputs(argv[k])) {
      if (!Replay(file)) return 1;
      ++replayed;
    }
  }
  if (replayed == 0) {
    std::cerr << "usage: " << argv[0] << " FILE_OR_FOLDER...: no input replayed\n";
    return 1;
  }
  std::cout << replayed << " inputs replayed without a fault\n";
  return 0;
}
