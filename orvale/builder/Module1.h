#pragma once

#include <string>

namespace orvale {

// The slide show maker's program-wide values. One instance lives for the
// whole run; tests make their own.
struct Module1 {
  // The folder of the latest scan, always ending in exactly one "/".
  std::string CurrentFolder;
  // The page's file name, following every edit of the file name box.
  std::string PageFileName = "Index.htm";
  // "Yes" or "No": the answer to the latest question.
  std::string YesNoAnswer;
};

}  // namespace orvale
