#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/RunTimeError.h"

namespace orvale {

// Where the user's own copies of the templates live: $XDG_DATA_HOME/orvale,
// else $HOME/.local/share/orvale. A relative XDG_DATA_HOME is ignored, as
// the base directory rules ask; with no usable home either the result is
// empty and the shipped templates are the only ones.
std::filesystem::path UserTemplateFolder(const char* dataHome, const char* home);
// The same from this process's environment.
std::filesystem::path UserTemplateFolder();

// A template as it ships (beside the program, or where an absolute path
// names it) and the place of the user's copy of it. A template named from
// the program folder has its copy at the same place under the user's
// folder; one named by an absolute path, or one that would lead out of the
// user's folder, has none.
struct TemplateFile {
  std::filesystem::path shipped;
  std::optional<std::filesystem::path> userCopy;
};

// The head template. Its name is matched without regard to letter case, in
// both folders, as users and older copies spell it either way.
TemplateFile HeadTemplate(const std::filesystem::path& programFolder,
                          const std::filesystem::path& userFolder);

// The tail template that the box's text names: the text joined to the
// program folder, or the text itself when it is an absolute path.
TemplateFile TailTemplate(const std::filesystem::path& programFolder,
                          const std::filesystem::path& userFolder, const std::string& text);

// What a build reads: the user's copy when there is one, else the shipped
// file.
std::string TemplateToRead(const TemplateFile& file);

// What editing opens: always the user's copy, made from the shipped file the
// first time, so the shipped template stays as it came and deleting the copy
// brings it back. The shipped file itself when the template has no place for
// a copy, when nothing is shipped to copy, or when the copy cannot be made
// (no writable folder); then copyError says why, for the user to be told.
struct TemplateToOpen {
  std::string path;
  std::optional<platform::RunTimeError> copyError;
};
TemplateToOpen TemplateToEdit(const TemplateFile& file);

// The templates a build reads, with this process's user folder.
std::string HeadTemplatePath(const std::filesystem::path& programFolder);
std::string TailTemplatePath(const std::filesystem::path& programFolder, const std::string& text);

}  // namespace orvale
