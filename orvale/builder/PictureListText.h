#pragma once

#include <string>
#include <vector>

namespace orvale {

// A file name as page text: valid UTF-8 passes unchanged, each byte that is
// not part of a valid UTF-8 sequence becomes "?".
std::string ToPageText(const std::string& name);

// The name as the inside of a double-quoted script string: quotes,
// backslashes, control characters, line and paragraph separators, "</" and
// "<!" are escaped, so no name can end the string or the script. Ordinary
// names come out unchanged.
std::string ScriptStringContent(const std::string& name);

// One entry of the page's list: the file's name and the caption shown with
// it, both page text; the caption is empty for none.
struct ListedFile {
  std::string name;
  std::string caption = {};
};

// The list the page carries between its templates: for each file a line end,
// the quoted name (or, for a file with a caption, `["name", "caption"]`) and
// a comma. The caller leaves off the final comma.
std::string PictureListText(const std::vector<ListedFile>& files);

}  // namespace orvale
