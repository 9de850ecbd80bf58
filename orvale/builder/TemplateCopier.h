#pragma once

#include <string>

#include "platform/AtomicFile.h"

namespace orvale {

// Copies a template into the page line by line, each line followed by a
// carriage return and a line feed. A line ends at a carriage return (a line
// feed right after it belongs to the same line end); a lone line feed is
// ordinary content. The last line is copied even without a line end, and an
// empty template adds nothing. Raises the run-time error for a template that
// cannot be read (53 when it does not exist).
void CopyTemplateLines(const std::string& templatePath, platform::AtomicFile& page);

// Writes the page in one step: the head template's lines, the quoted picture
// list without its final comma (so the tail template closes the list), then
// the tail template's lines. The old page stays until the new one is whole.
// A page that already holds exactly these bytes is left as it is, its time
// included, so a build that changes nothing changes no file.
void WritePageFile(const std::string& pagePath, const std::string& listText,
                   const std::string& headTemplatePath, const std::string& tailTemplatePath);

}  // namespace orvale
