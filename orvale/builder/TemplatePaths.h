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
// names it) and the place of the user's copy of it. A template in or below
// the program folder, however its name is written (relative, absolute,
// through "..", through a link), has its copy at the same place under the
// user's folder; one anywhere else has none.
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

// What a build reads: the user's copy when the user has changed it, else
// the shipped file. A copy made by editing and left as it was stands for
// the shipped template, so a newer shipped template reaches the page.
struct TemplateRead {
  std::string path;
  bool isUserCopy = false;
};
TemplateRead TemplateToRead(const TemplateFile& file);

// What a build that read the user's own copy says about it, wherever it
// reports (the window's folder box, the console).
std::string UserCopyReadNote(const std::string& path);

// What editing opens: always the user's copy, made from the shipped file the
// first time, and made again while the user has not changed it and the
// shipped file has changed since, so the shipped template stays as it came
// and deleting the copy brings it back. The shipped file itself when the template has no place for
// a copy, when nothing is shipped to copy, or when the copy cannot be made
// (no writable folder); then copyError says why, for the user to be told.
struct TemplateToOpen {
  std::string path;
  std::optional<platform::RunTimeError> copyError;
};
TemplateToOpen TemplateToEdit(const TemplateFile& file);

// The templates a build reads, with this process's user folder.
TemplateRead HeadTemplatePath(const std::filesystem::path& programFolder);
TemplateRead TailTemplatePath(const std::filesystem::path& programFolder, const std::string& text);

}  // namespace orvale
