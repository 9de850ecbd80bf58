#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tesselet/batch/DecodeSettings.h"

namespace tesselet {

// A picture file's identity as the file system keeps it: its size and when
// its contents last changed, to the nanosecond. A file replaced by another
// of the same name, or written again, has another.
struct SourceStamp {
  std::int64_t size = 0;
  std::int64_t seconds = 0;
  std::int64_t nanoseconds = 0;

  bool operator==(const SourceStamp&) const = default;
};

// The stamp of the file at the path, or nothing when it cannot be read.
std::optional<SourceStamp> StampOf(const std::string& path);

// What one output of a picture records of how it was made, kept as the
// JPEG file's comment: a version of this record's own (raised whenever
// something new shapes the outputs), the source's stamp, every setting of
// the turn (what is made, the box, fit, background, thumbnail type and the
// qualities), which output it is and the picture's name (its web copies
// carry the name already; no folder is recorded). An output whose record
// equals the one its picture and settings give now is what a new build
// would write, byte for byte. `output` is "thumbnail" or "web " and the
// copy's long side.
std::string OutputRecord(const SourceStamp& source, const DecodeSettings& settings,
                         std::string_view output, const std::string& name);

}  // namespace tesselet
