#pragma once

#include <filesystem>

namespace orvale {

// A user's own copy of a shipped template, with a record beside it (a
// hidden file) of the SHA-256 digest of the bytes it was made from. A copy
// that still holds exactly those bytes was never edited: it stands for the
// shipped template, so a newer shipped template is not hidden behind it.

// Makes the copy from the shipped file, or makes it again, and records what
// it was made from. Raises the run-time error of what failed; a copy whose
// record cannot be written is taken away again, so no copy is ever left
// that passes for one the user edited.
void MakeUserCopy(const std::filesystem::path& shipped, const std::filesystem::path& copy);

// The copy holds the bytes it was made from: the user has not changed it.
// False for a copy without a record (made by hand) and for one that cannot
// be read.
bool IsUnchangedCopy(const std::filesystem::path& copy);

// The copy was made from other bytes than the shipped file holds now.
bool ShippedFileChangedSince(const std::filesystem::path& copy,
                             const std::filesystem::path& shipped);

}  // namespace orvale
