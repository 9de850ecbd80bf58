#include "orvale/builder/UserTemplateCopy.h"

#include <fcntl.h>

#include <QCryptographicHash>
#include <cerrno>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "orvale/builder/ProgramName.h"
#include "platform/AtomicFile.h"
#include "platform/FileDescriptor.h"
#include "platform/RunTimeError.h"

namespace orvale {

namespace {

// Longer than any record this program writes; a bigger file is none of ours.
constexpr std::size_t kLongestRecord = 128;

std::filesystem::path RecordOf(const std::filesystem::path& copy) {
  // Appended in place: no temporary string is made, and GCC 12 at -O3 no
  // longer misreads the "." + string&& chain as an overlapping copy.
  std::string name = ".";
  name += copy.filename().string();
  name += ".sha256";
  return copy.parent_path() / name;
}

// Reads the file through, handing each piece on; raises the run-time error
// of a file that cannot be read.
template <typename TakePiece>
void ReadThrough(const std::filesystem::path& path, TakePiece take) {
  const platform::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.isOpen()) throw platform::RunTimeError::fromErrno(errno, kProgramName);
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t got = file.readSome(buffer.data(), buffer.size());
    if (got < 0) throw platform::RunTimeError::fromErrno(errno, kProgramName);
    if (got == 0) return;
    take(buffer.data(), std::size_t(got));
  }
}

std::string HexDigest(QCryptographicHash& hash) { return hash.result().toHex().toStdString(); }

std::optional<std::string> DigestOf(const std::filesystem::path& path) {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  try {
    ReadThrough(path, [&hash](const char* data, std::size_t size) {
      hash.addData(QByteArrayView(data, qsizetype(size)));
    });
  } catch (const platform::RunTimeError&) {
    return std::nullopt;
  }
  return HexDigest(hash);
}

std::optional<std::string> RecordedDigest(const std::filesystem::path& copy) {
  std::string record;
  try {
    ReadThrough(RecordOf(copy), [&record](const char* data, std::size_t size) {
      if (record.size() + size > kLongestRecord) throw platform::RunTimeError::fromErrno(EFBIG, "");
      record.append(data, size);
    });
  } catch (const platform::RunTimeError&) {
    return std::nullopt;
  }
  while (!record.empty() && (record.back() == '\n' || record.back() == '\r')) record.pop_back();
  return record;
}

void MakeFolderFor(const std::filesystem::path& file) {
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  if (error) {
    throw platform::RunTimeError::fromErrno(error.value(), platform::FileOperation::kOpenFolder,
                                            kProgramName);
  }
}

}  // namespace

void MakeUserCopy(const std::filesystem::path& shipped, const std::filesystem::path& copy) {
  MakeFolderFor(copy);
  QCryptographicHash hash(QCryptographicHash::Sha256);
  {
    // A copy that fails half-way leaves no file behind, so a torn template
    // never becomes the one every build reads.
    platform::AtomicFile file(copy.string(), kProgramName);
    file.open();
    ReadThrough(shipped, [&](const char* data, std::size_t size) {
      hash.addData(QByteArrayView(data, qsizetype(size)));
      file.write(data, size);
    });
    file.commit();
  }
  try {
    platform::AtomicFile record(RecordOf(copy).string(), kProgramName);
    record.open();
    record.write(HexDigest(hash) + "\n");
    record.commit();
  } catch (const platform::RunTimeError&) {
    std::error_code ignored;
    std::filesystem::remove(copy, ignored);
    throw;
  }
}

bool IsUnchangedCopy(const std::filesystem::path& copy) {
  const std::optional<std::string> recorded = RecordedDigest(copy);
  return recorded && DigestOf(copy) == recorded;
}

bool ShippedFileChangedSince(const std::filesystem::path& copy,
                             const std::filesystem::path& shipped) {
  const std::optional<std::string> recorded = RecordedDigest(copy);
  return recorded && DigestOf(shipped) != recorded;
}

}  // namespace orvale
