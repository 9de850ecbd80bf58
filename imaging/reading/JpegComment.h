#pragma once

#include <string>
#include <string_view>

namespace imaging::reading {

// Whether the file at the path is a whole JPEG file whose first comment
// segment holds exactly this comment: it starts with the start marker, the
// comment comes before the frame header among the first segments, and the
// file ends with the end marker (so one cut short does not pass). Reads the
// first segments' headers, the comment and the last two bytes; a file that
// cannot be opened or read, or that is anything else, is simply not such a
// file.
bool FileHoldsComment(const std::string& path, std::string_view comment);

}  // namespace imaging::reading
