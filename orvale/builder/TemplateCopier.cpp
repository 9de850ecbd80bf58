#include "orvale/builder/TemplateCopier.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "orvale/builder/ProgramName.h"
#include "orvale/builder/TemplateLineFilter.h"
#include "platform/AtomicFile.h"
#include "platform/FileDescriptor.h"
#include "platform/RunTimeError.h"

namespace orvale {

namespace {

// Where the page's bytes go, piece by piece.
using PageSink = std::function<void(std::string_view)>;

void EmitTemplateLines(const std::string& templatePath, bool allMedia, const PageSink& sink) {
  const platform::FileDescriptor file(::open(templatePath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.isOpen()) throw platform::RunTimeError::fromErrno(errno, kProgramName);
  std::vector<char> buffer(1 << 16);
  std::string out;
  TemplateLineFilter filter(templatePath, allMedia);
  for (;;) {
    const ssize_t got = file.readSome(buffer.data(), buffer.size());
    if (got < 0) throw platform::RunTimeError::fromErrno(errno, kProgramName);
    if (got == 0) break;
    out.clear();
    for (ssize_t k = 0; k < got; ++k) filter.feed(buffer[k], out);
    sink(out);
  }
  out.clear();
  filter.finish(out);
  sink(out);
}

void EmitPage(const std::string& listText, const std::string& headTemplatePath,
              const std::string& tailTemplatePath, bool allMedia, const PageSink& sink) {
  EmitTemplateLines(headTemplatePath, allMedia, sink);
  sink(std::string_view(listText).substr(0, listText.empty() ? 0 : listText.size() - 1));
  EmitTemplateLines(tailTemplatePath, allMedia, sink);
}

// Whether the file at the path holds exactly the page's bytes, read a
// piece at a time beside them.
bool FileHoldsPage(const std::string& pagePath, const std::string& listText,
                   const std::string& headTemplatePath, const std::string& tailTemplatePath,
                   bool allMedia) {
  const platform::FileDescriptor file(::open(pagePath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.isOpen()) return false;
  std::vector<char> held(1 << 16);
  bool same = true;
  EmitPage(listText, headTemplatePath, tailTemplatePath, allMedia, [&](std::string_view piece) {
    while (same && !piece.empty()) {
      const std::size_t size = std::min(piece.size(), held.size());
      same = file.readSome(held.data(), size) == ssize_t(size) &&
             std::equal(held.begin(), held.begin() + std::ptrdiff_t(size), piece.begin());
      piece.remove_prefix(size);
    }
  });
  char more = 0;
  return same && file.readSome(&more, 1) == 0;
}

}  // namespace

void WritePageFile(const std::string& pagePath, const std::string& listText,
                   const std::string& headTemplatePath, const std::string& tailTemplatePath,
                   bool allMedia) {
  // A page this user may not write is refused here, whether or not it
  // would change.
  platform::AtomicFile page(pagePath, kProgramName);
  if (FileHoldsPage(pagePath, listText, headTemplatePath, tailTemplatePath, allMedia)) return;
  page.open();
  EmitPage(listText, headTemplatePath, tailTemplatePath, allMedia,
           [&](std::string_view piece) { page.write(piece); });
  page.commit();
}

}  // namespace orvale
