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
//
// A template may hold blocks that only the "every kind" build keeps. Three
// marker lines shape them, each matched as a whole line (its line end
// aside, a lone line feed counting as a line end here so that a template
// saved with line feeds works too):
//   //#if all-media   the lines up to //#else or //#endif: with allMedia only
//   //#else           the lines up to //#endif: without allMedia only
//   //#endif          ends the block
// Marker lines are never written, and lines outside blocks always are, so a
// template without markers is copied exactly as before. Blocks do not nest
// and stay within one template. A marker out of place (an //#else or
// //#endif outside a block, an //#if inside one, a second //#else, a block
// still open at the end of the template) would silently drop or double
// lines whichever way it were read, so it raises the run-time error 5 naming
// the template and the line, and the old page stays.
void WritePageFile(const std::string& pagePath, const std::string& listText,
                   const std::string& headTemplatePath, const std::string& tailTemplatePath,
                   bool allMedia = false);

}  // namespace orvale
