// Feeds arbitrary bytes to the EXIF orientation reader as the payload of an
// APP1 segment: every offset in it is the file's to choose, so the reader
// must stay inside the block and answer 1 to 8 whatever it holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "imaging/reading/ExifOrientation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A copy of exactly the input's length, so a read one byte past the block
  // is caught even where libFuzzer's own buffer would hide it.
  auto payload = std::make_unique_for_overwrite<std::uint8_t[]>(size);
  std::copy(data, data + size, payload.get());
  const int orientation = imaging::reading::ExifOrientation::Read(payload.get(), size);
  if (orientation < 1 || orientation > 8) std::abort();
  return 0;
}
