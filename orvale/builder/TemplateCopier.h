#pragma once

#include <string>

namespace orvale {

// Writes the page in one step: the head template's lines, the quoted picture
// list without its final comma (so the tail template closes the list), then
// the tail template's lines. Each template line is followed by a carriage
// return and a line feed: a line ends at a carriage return (a line feed
// right after it belongs to the same line end), a lone line feed is
// ordinary content, the last line is copied even without a line end, and
// an empty template adds nothing. Raises the run-time error for a template
// that cannot be read (53 when it does not exist). The old page stays until
// the new one is whole.
// A page that already holds exactly these bytes is left as it is, its time
// included, so a build that changes nothing changes no file.
// `allMedia` says whether the build lists every kind of photo and video.
void WritePageFile(const std::string& pagePath, const std::string& listText,
                   const std::string& headTemplatePath, const std::string& tailTemplatePath,
                   bool allMedia = false);

}  // namespace orvale
