#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tesselet {

// The image folder's "Web" sub-folder when it is a folder: its being there
// asks for web copies. Empty when it is not.
std::string WebFolderOf(const std::string& imageFolder);

// Where the copy of a picture at most longSide pixels long goes: the web
// folder's sub-folder named for the length, and the picture's whole name
// with ".jpg" after it, so pictures whose names differ only in their
// extension keep copies of their own.
std::string WebCopyPath(const std::string& webFolder, std::int32_t longSide,
                        const std::string& fileName);

// Writes a picture's encoded copies (one for each long side of
// WebCopies::kLongSides, in that order), each through the atomic writer,
// making the sub-folders a copy goes to when they are missing. Raises the
// file system's run-time error, naming the copy, for a copy that cannot be
// written; the copies written before it stay.
void WriteWebCopies(const std::string& webFolder, const std::string& fileName,
                    const std::vector<std::string>& copies);

}  // namespace tesselet
