#include <gtest/gtest.h>
#include <sys/stat.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "imaging/pixels/cDIBSection.h"
#include "imaging/writing/JpegLibrary.h"
#include "imaging/writing/mIntelJPEGLibrary.h"
#include "platform/RunTimeError.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/AddressSanitizer.h"
#include "tests/support/ExpectRunTimeError.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UnattendedRun.h"

using namespace imaging;
using namespace imaging::pixels;
using namespace imaging::writing;

using mIntelJPEGLibrary::SaveDibAsJpeg;

namespace {

// A smooth picture: gentle gradients in each channel, different per channel.
std::unique_ptr<cDIBSection> SmoothPicture(int width, int height) {
  auto dib = std::make_unique<cDIBSection>();
  EXPECT_TRUE(dib->Create(width, height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int red = 40 + 160 * x / width;
      const int green = 30 + 180 * y / height;
      const int blue = 100 + 60 * (x + y) / (width + height);
      dib->hdc()->SetPixel(x, y, std::uint32_t(red | green << 8 | blue << 16));
    }
  }
  return dib;
}

struct Decoded {
  int width = 0, height = 0;
  std::vector<std::uint8_t> bgr;  // top row first, no padding
};

Decoded Decode(const std::filesystem::path& file) {
  const std::string bytes = TempFolder::read(file);
  Decoded decoded;
  tjhandle handle = tjInitDecompress();
  int subsampling = 0, colourspace = 0;
  auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  if (tjDecompressHeader3(handle, data, bytes.size(), &decoded.width, &decoded.height, &subsampling,
                          &colourspace) == 0) {
    decoded.bgr.resize(std::size_t(decoded.width) * decoded.height * 3);
    if (tjDecompress2(handle, data, bytes.size(), decoded.bgr.data(), decoded.width, 0,
                      decoded.height, TJPF_BGR, TJFLAG_ACCURATEDCT) != 0) {
      decoded.width = decoded.height = 0;
    }
  }
  tjDestroy(handle);
  return decoded;
}

// The decoded file as a picture, top row first, to compare with the buffer.
test_pictures::Picture PictureOf(const Decoded& decoded) {
  return test_pictures::Make(decoded.width, decoded.height, [&](int x, int y) {
    const std::uint8_t* pixel = &decoded.bgr[(std::size_t(y) * decoded.width + x) * 3];
    return test_pictures::Rgb{pixel[2], pixel[1], pixel[0]};
  });
}

// Passes every call on to the real library and remembers what it was given.
class RecordingLibrary : public JpegLibrary {
 public:
  std::int32_t initResult = 0, writeResult = 0;
  JpegProperties written;
  int frees = 0;

  std::int32_t Init(JpegProperties& properties) override {
    return initResult != 0 ? initResult : JpegLibrary::Init(properties);
  }
  std::int32_t Write(JpegProperties& properties, std::int32_t mode) override {
    written = properties;
    EXPECT_EQ(mode, 8);
    return writeResult != 0 ? writeResult : JpegLibrary::Write(properties, mode);
  }
  std::int32_t Free(JpegProperties& properties) override {
    ++frees;
    return JpegLibrary::Free(properties);
  }
};

constexpr char kJpegWriterSource[] = "tesselet.mIntelJPEGLibrary";

struct stat StatOf(const std::filesystem::path& file) {
  struct stat status {};
  EXPECT_EQ(::stat(file.c_str(), &status), 0) << file;
  return status;
}

}  // namespace

TEST(JpegWriter, WritesTheBufferUprightAtItsOwnSize) {
  TempFolder folder;
  for (const int width : {5, 4, 37, 50}) {
    const auto dib = SmoothPicture(width, 38);
    // Garbage in the padding must not reach the picture.
    for (int row = 0; row < dib->Height(); ++row) {
      for (int byte = width * 3; byte < dib->BytesPerScanLine(); ++byte) {
        dib->DIBSectionBitsPtr()[row * dib->BytesPerScanLine() + byte] = 0xFF;
      }
    }
    const auto file = folder.path() / ("thumb" + std::to_string(width) + ".jpg");
    EXPECT_TRUE(SaveDibAsJpeg(*dib, file.string(), 90));
    const Decoded decoded = Decode(file);
    ASSERT_EQ(decoded.width, width);
    ASSERT_EQ(decoded.height, 38);
    EXPECT_GE(test_pictures::Psnr(*dib->hDib(), *test_pictures::BitmapOf(PictureOf(decoded))), 40.0)
        << "width " << width;
  }
  // Upright: a picture with a white top half and black bottom half.
  cDIBSection halves;
  ASSERT_TRUE(halves.Create(16, 16));
  halves.hdc()->FillRect(0, 0, 16, 8, 0xFFFFFF);
  const auto file = folder.path() / "halves.jpg";
  SaveDibAsJpeg(halves, file.string(), 90);
  const Decoded decoded = Decode(file);
  ASSERT_EQ(decoded.width, 16);
  EXPECT_GT(decoded.bgr[0], 240) << "the file's top row is the buffer's last memory row";
  EXPECT_LT(decoded.bgr[decoded.bgr.size() - 1], 15);
}

TEST(JpegWriter, HandsTheBufferToTheLibraryInPlace) {
  TempFolder folder;
  const struct { int width, padding; } rows[] = {{5, 1}, {4, 0}, {1, 1}, {2, 2}};
  for (const auto& row : rows) {
    const auto dib = SmoothPicture(row.width, 3);
    RecordingLibrary library;
    const auto file = folder.path() / "x.jpg";
    EXPECT_TRUE(SaveDibAsJpeg(*dib, file.string(), 90, library));
    EXPECT_EQ(library.written.DIBBytes, dib->DIBSectionBitsPtr()) << "the buffer's own memory";
    EXPECT_EQ(library.written.DIBPadBytes, row.padding) << "width " << row.width;
    EXPECT_EQ(library.written.DIBWidth, row.width);
    EXPECT_EQ(library.written.DIBHeight, -3) << "negative: bottom row first";
    EXPECT_EQ(library.written.JPGWidth, row.width);
    EXPECT_EQ(library.written.JPGHeight, 3);
    EXPECT_EQ(library.written.jquality, 90);
    EXPECT_EQ(library.written.DIBChannels, 3) << "left at the library's default";
    EXPECT_EQ(library.frees, 1) << "the record is released once";
  }
}

// Run in a child whose address space cannot grow by as much as the picture:
// the write succeeds only if the encoder reads the buffer where it lies.
TEST(JpegWriter, CopiesNoPixels) {
  if (kAddressSanitizer) {
    GTEST_SKIP() << "AddressSanitizer reserves address space; the limit cannot be measured";
  }
  TempFolder folder;
  const auto file = folder.path() / "big.jpg";
  const unattended_run::Outcome run = unattended_run::Run([&] {
    cDIBSection dib;
    if (!dib.Create(4000, 3000)) return 2;  // 36 MB
    for (int row = 0; row < 3000; ++row) {
      std::memset(dib.DIBSectionBitsPtr() + std::size_t(row) * dib.BytesPerScanLine(), row / 12,
                  std::size_t(dib.BytesPerScanLine()));
    }
    if (!unattended_run::HoldAddressSpace(16u << 20)) return 3;  // far less than 36 MB more
    try {
      return SaveDibAsJpeg(dib, file.string(), 90) ? 0 : 4;
    } catch (...) {
      return 5;
    }
  });
  ASSERT_TRUE(run.ended && run.signal == 0);
  EXPECT_EQ(run.status, 0) << "a second copy of the pixels would not fit";
  EXPECT_EQ(Decode(file).width, 4000);
}

TEST(JpegWriter, FailuresRaiseError26001WithTheLibraryCode) {
  TempFolder folder;
  const auto dib = SmoothPicture(5, 3);
  const auto file = folder.write("thumb.jpg", "old thumbnail").string();
  RecordingLibrary failingWrite, failingInit;
  failingWrite.writeResult = -14;
  failingInit.initResult = -2;
  JpegLibrary library;
  cDIBSection empty, refused;
  EXPECT_FALSE(refused.Create(0, 7));
  const struct {
    const char* rule;
    const cDIBSection& dib;
    std::string path;
    JpegLibrary& library;
    const char* description;
  } rows[] = {
      {"the write fails", *dib, file, failingWrite, "Failed to save to JPG -14"},
      {"init fails", *dib, file, failingInit, "Failed to initialise the IJL library: -2"},
      {"a buffer never made", empty, file, library, "Failed to save to JPG -8"},
      {"a buffer that refused its size", refused, file, library, "Failed to save to JPG -8"},
      {"the file cannot be made", *dib, (folder.path() / "missing/t.jpg").string(), library,
       "Failed to save to JPG -10: Path not found"},
      {"the folder is a file", *dib, file + "/t.jpg", library,
       "Failed to save to JPG -10: Path not found"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.rule);
    EXPECT_RUNTIME_ERROR(SaveDibAsJpeg(row.dib, row.path, 90, row.library), 26001,
                         kJpegWriterSource, row.description);
  }
  EXPECT_EQ(failingWrite.frees, 1) << "the record is released once";
  EXPECT_EQ(TempFolder::read(file), "old thumbnail") << "a failed write keeps the old file";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1)
      << "no half-written file is left behind";
}

// The writer asks the shared file writer for the replaced file's times, as
// the thumbnail it replaces would have kept them; a new file has its own.
TEST(JpegWriter, AReplacedThumbnailKeepsItsTimes) {
  TempFolder folder;
  const auto dib = SmoothPicture(8, 8);
  const auto file = folder.write("thumb.jpg", "old");
  const timespec times[2] = {{978307200, 123456789}, {1000000000, 5}};  // 2001, 2001
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  EXPECT_TRUE(SaveDibAsJpeg(*dib, file.string(), 90));
  const struct stat after = StatOf(file);  // before reading moves the access time
  EXPECT_EQ(Decode(file).width, 8) << "the new picture is in place";
  EXPECT_EQ(after.st_atim.tv_sec, times[0].tv_sec) << "access time carried over";
  EXPECT_EQ(after.st_mtim.tv_sec, times[1].tv_sec) << "modification time carried over";
  EXPECT_EQ(after.st_mtim.tv_nsec, times[1].tv_nsec);

  const auto fresh = folder.path() / "fresh.jpg";
  EXPECT_TRUE(SaveDibAsJpeg(*dib, fresh.string(), 90));
  EXPECT_NE(StatOf(fresh).st_mtim.tv_sec, times[1].tv_sec) << "a new file keeps its own times";
}

// As the BMP saver and the page writer do: a read-only file is refused, not
// replaced, even where the folder would allow it.
TEST(JpegWriter, AReadOnlyThumbnailIsRefusedAndKept) {
  TempFolder folder;
  const auto file = folder.write("thumb.jpg", "old thumbnail");
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  RecordingLibrary library;
  EXPECT_RUNTIME_ERROR(SaveDibAsJpeg(*SmoothPicture(8, 8), file.string(), 90, library), 75,
                       kJpegWriterSource, "Path/File access error");
  EXPECT_EQ(TempFolder::read(file), "old thumbnail");
  EXPECT_EQ(library.frees, 1) << "the record is released on the way out";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}
