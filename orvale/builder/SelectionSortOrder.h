#pragma once

#include <vector>

#include "orvale/builder/ImageCollection.h"

namespace orvale {

// Puts the rows in exactly the order of a plain selection sort that, for each
// position i, takes the first row from i on with the smallest key and swaps
// it with row i (also when it already is row i). That swap is not stable:
// it can carry an earlier row behind a later one with the same key, and
// pages depend on the very same order. Keys: the upper-cased name compared by
// character codes, or the modified time in whole seconds, oldest first.
//
// Runs in O(n log n): a tournament tree over the positions finds each
// minimum (ties to the lowest position) instead of a scan of the rest.
void SortRowsAsSelectionSort(std::vector<FileRow>& rows, bool byName);

}  // namespace orvale
