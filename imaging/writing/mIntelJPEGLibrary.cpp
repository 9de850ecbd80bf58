#include "imaging/writing/mIntelJPEGLibrary.h"

#include "imaging/ErrorSources.h"
#include "imaging/pixels/Arithmetic.h"
#include "imaging/pixels/cDIBSection.h"
#include "imaging/writing/JpegLibrary.h"
#include "platform/AtomicFile.h"
#include "platform/RunTimeError.h"

namespace imaging::writing {

namespace {

[[noreturn]] void RaiseJpegError(const std::string& description) {
  throw platform::RunTimeError(26001, kJpegWriterSource, description);
}

// Releases the record exactly once, also when an error leaves early.
class RecordRelease {
 public:
  RecordRelease(JpegLibrary& library, JpegProperties& record)
      : library_(library), record_(record) {}
  ~RecordRelease() { Free(); }
  RecordRelease(const RecordRelease&) = delete;
  RecordRelease& operator=(const RecordRelease&) = delete;

  void Free() {
    if (held_) library_.Free(record_);
    held_ = false;
  }

 private:
  JpegLibrary& library_;
  JpegProperties& record_;
  bool held_ = true;
};

}  // namespace

namespace mIntelJPEGLibrary {

bool SaveDibAsJpeg(const pixels::cDIBSection& dib, const std::string& aFilePath,
                   std::int32_t quality, const std::string& comment) {
  static JpegLibrary library;
  return SaveDibAsJpeg(dib, aFilePath, quality, library, comment);
}

bool SaveDibAsJpeg(const pixels::cDIBSection& dib, const std::string& aFilePath,
                   std::int32_t quality, JpegLibrary& library, const std::string& comment) {
  const std::string path = aFilePath;
  JpegProperties record;
  const std::int32_t initResult = library.Init(record);
  if (initResult != JpegLibrary::kOk) {
    RaiseJpegError("Failed to initialise the IJL library: " + std::to_string(initResult));
  }
  RecordRelease release(library, record);

  // A file the user may not write is refused here, before anything is
  // written. This host keeps no creation time that a program may set, so the
  // access and modification times and the permission bits carry over.
  platform::AtomicFile file(path, kJpegWriterSource, platform::AtomicFile::Times::kOfReplacedFile);

  // The library reads the buffer's own memory: the negative height tells it
  // that the rows run bottom first, the padding how far apart they are.
  record.DIBBytes = dib.DIBSectionBitsPtr();
  record.DIBWidth = dib.Width();
  record.DIBHeight = pixels::CheckedInt32(-std::int64_t{dib.Height()}, kJpegWriterSource);
  record.DIBPadBytes = pixels::CheckedInt32(
      std::int64_t{dib.BytesPerScanLine()} - 3 * std::int64_t{dib.Width()}, kJpegWriterSource);
  record.JPGFile = &file;
  record.JPGWidth = dib.Width();
  record.JPGHeight = dib.Height();
  record.jquality = quality;
  record.comment = comment;

  const std::int32_t writeResult = library.Write(record, JpegLibrary::kWriteWholeImageToFile);
  if (writeResult != JpegLibrary::kOk) {
    // The file system's own words follow the code, so the message says
    // whether the disk was full or the folder gone.
    const std::string cause = record.fileError.empty() ? "" : ": " + record.fileError;
    release.Free();
    RaiseJpegError("Failed to save to JPG " + std::to_string(writeResult) + cause);
  }
  file.commit();
  release.Free();
  return true;
}

}  // namespace mIntelJPEGLibrary

}  // namespace imaging::writing
