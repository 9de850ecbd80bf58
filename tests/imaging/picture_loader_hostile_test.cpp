#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "imaging/reading/PictureLoader.h"
#include "platform/RunTimeError.h"
#include "tests/hostile/HostileCorpus.h"
#include "tests/hostile/PictureWriters.h"
#include "tests/imaging/PictureEncoders.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/AddressSanitizer.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UnattendedRun.h"

using namespace imaging::pixels;
using namespace imaging::reading;

namespace {

std::filesystem::path Write(const TempFolder& folder, const std::string& name) {
  return folder.write(name, hostile::HostilePictureNamed(name).bytes);
}

// Loads the file (reduced for a 50 x 50 thumbnail) in a child process, with
// its address space held to what it has mapped plus `room` bytes when room
// is not 0, and tells how that ended: "loaded W x H", "error N: description"
// ({} standing for the file), "signal N", or "blocked" when the child had
// not ended after a long wait (a harness limit, not a measure of speed).
std::string LoadInChild(const std::filesystem::path& file, rlim_t room = 0) {
  const TempFolder scratch;
  const auto report = scratch.path() / "report";
  const unattended_run::Outcome run = unattended_run::Run(
      [&] {
        std::string outcome;
        try {
          PictureLoader loader(file.string());
          const StdPicture picture = loader.Load(400, 400);
          outcome = "loaded " + std::to_string(picture.Width()) + " x " +
                    std::to_string(picture.Height());
        } catch (const platform::RunTimeError& error) {
          outcome = "error " + std::to_string(error.number()) + ": " + error.description();
        }
        TempFolder::write_to(report, outcome);
        return 0;
      },
      {.room = room}, std::chrono::seconds(30));
  if (!run.ended) return "blocked";
  if (run.signal != 0) return "signal " + std::to_string(run.signal);
  std::string outcome = TempFolder::read(report);
  for (auto at = outcome.find(file.string()); at != std::string::npos;
       at = outcome.find(file.string())) {
    outcome.replace(at, file.string().size(), "{}");
  }
  return outcome;
}

// A bottom-up copy of a top-down BMP: the rows in the other order and the
// height positive.
std::string BottomUp(const std::string& topDown) {
  auto u32 = [&](std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | std::uint8_t(topDown[at + i]);
    return value;
  };
  const std::uint32_t offset = u32(10), width = u32(18), bits = std::uint8_t(topDown[28]);
  const std::uint32_t height = ~u32(22) + 1;
  const std::size_t stride = (width * bits + 31) / 32 * 4;
  std::string bottomUp = topDown.substr(0, offset);
  for (int i = 0; i < 4; ++i) bottomUp[22 + i] = char(height >> (8 * i));
  for (std::uint32_t r = height; r-- > 0;) bottomUp += topDown.substr(offset + r * stride, stride);
  return bottomUp;
}

TEST(PictureLoaderHostile, TopDownBmpsLoadRightSideUp) {
  TempFolder folder;
  for (const char* name : {"top-down-8.bmp", "top-down-16.bmp", "top-down-24.bmp"}) {
    SCOPED_TRACE(name);
    const auto topDown = Write(folder, name);
    const auto bottomUp =
        folder.write(std::string("up-") + name, BottomUp(TempFolder::read(topDown)));
    const StdPicture expected = PictureLoader::LoadPicture(bottomUp.string());
    const StdPicture picture = PictureLoader::LoadPicture(topDown.string());
    EXPECT_EQ(picture.Width(), 4);
    EXPECT_EQ(picture.Height(), 3);
    EXPECT_EQ(test_pictures::MaxDifference(*picture.Bitmap(), *expected.Bitmap()), 0)
        << "the same picture as its bottom-up twin";
    const auto colour = [&](int y) {
      const test_pictures::Rgb c = test_pictures::PixelOf(*picture.Bitmap(), 0, y);
      return std::array{c.red, c.green, c.blue};
    };
    EXPECT_NE(colour(0), colour(2)) << "the rows differ, so an upside-down picture would show";
  }
}

// As browsers show it: the screen, with the first frame at its place on it
// and white (nothing) around it.
TEST(PictureLoaderHostile, AGifScreenLargerThanItsFirstFrameIsThePicture) {
  TempFolder folder;
  const auto file = Write(folder, "screen-2100-frame-100x75.gif");
  PictureLoader loader(file.string());
  EXPECT_EQ(loader.Width(), 2100);
  EXPECT_EQ(loader.Height(), 2100);
  const StdPicture picture = loader.Load(2100, 2100);
  const auto colour = [&](int x, int y) {
    const test_pictures::Rgb c = test_pictures::PixelOf(*picture.Bitmap(), x, y);
    return std::array{c.red, c.green, c.blue};
  };
  EXPECT_EQ(colour(1050, 1030), (std::array{255, 0, 0})) << "the frame, in its place";
  EXPECT_EQ(colour(999, 1030), (std::array{255, 255, 255})) << "left of the frame";
  EXPECT_EQ(colour(1050, 1075), (std::array{255, 255, 255})) << "below the frame";
}

// Nothing that is not a regular file is opened for reading: a pipe would
// block the loader for ever.
TEST(PictureLoaderHostile, SpecialFilesAreRefusedWithoutWaiting) {
  TempFolder folder;
  const auto fifo = folder.path() / "fifo.jpg";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  const auto device = folder.path() / "device.jpg";
  std::filesystem::create_symlink("/dev/zero", device);
  const auto socketFile = folder.path() / "socket.jpg";
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketFile.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  for (const auto& file : {fifo, device, socketFile}) {
    EXPECT_EQ(LoadInChild(file), "error 75: Path/File access error: {} is not a file")
        << file.filename();
  }
  close(listener);
}

// The sizes a header declares are held against what its file can hold and
// against the memory bound before anything is allocated from them, so a
// file of a few bytes costs a few megabytes at most. (Run with the address
// space held to 64 MB more than the test has mapped.)
TEST(PictureLoaderHostile, HeadersPromisingMoreThanTheirFileHoldsCostNoMemory) {
  TempFolder folder;
  const test_pictures::Picture small = test_pictures::Make(32, 32, [](int x, int y) {
    return test_pictures::Rgb{x * 8, y * 8, 90};
  });
  const std::string lossless =
      test_pictures::WithLosslessWebPSize(test_pictures::EncodeWebP(small), 10000, 10000);
  const struct {
    const char* name;
    const char* outcome;
    std::string made = {};  // made here, not taken from the corpus
  } rows[] = {
      {"rle8-1k-declaring-10000x10000.bmp",
       "error 481: Invalid picture: {} (the file is 1080 bytes, too few for the 10000 x 10000 "
       "pixels its header declares)"},
      {"header-declaring-8000x8000.bmp",
       "error 481: Invalid picture: {} (the file is 1078 bytes, too few for the 8000 x 8000 "
       "pixels its header declares)"},
      {"frame-declaring-9000x9000.gif",
       "error 481: Invalid picture: {} (the file is 59 bytes, too few for the 9000 x 9000 "
       "pixels its header declares)"},
      {"baseline-declaring-65500x65500.jpg",
       "error 481: Invalid picture: {} (the file is 1215 bytes, too few for the 65500 x 65500 "
       "pixels its header declares)"},
      {"progressive-declaring-20000x20000.jpg",
       "error 481: Invalid picture: {} (the file is 1600 bytes, too few for the 20000 x 20000 "
       "pixels its header declares)"},
      // The screen is not data: with nothing on most of it, it costs what
      // its reduced picture does.
      {"screen-10000-in-43-bytes.gif", "loaded 10000 x 10000"},
      {"declaring-4000x4000.png",
       "error 481: Invalid picture: {} (the file is 1 bytes, too few for the 4000 x 4000 pixels "
       "its header declares)",
       test_pictures::WithPngSize(test_pictures::EncodePng(small), 4000, 4000)},
      // Every pixel of a lossless WebP is held while it is decoded.
      {"lossless-cut-declaring-10000x10000.webp",
       "error 481: Invalid picture: {} (the file is 1 bytes, too few for the 10000 x 10000 pixels "
       "its header declares)",
       lossless.substr(0, lossless.size() - 8)},
      // HEIC is decoded at full size whatever is asked for.
      {"declaring-9000x9000.heic",
       "error 481: Invalid picture: {} (the picture is 9000 x 9000 pixels; its decode would take "
       "931 MB, more than the 320 MB a picture may take)",
       test_pictures::WithHeifSize(test_pictures::EncodeHeic(small), 9000, 9000)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const auto file = row.made.empty() ? Write(folder, row.name) : folder.write(row.name, row.made);
    std::string expected = row.outcome;
    if (const auto at = expected.find("the file is "); at != std::string::npos) {
      const auto end = expected.find(" bytes", at);
      expected.replace(at + 12, end - at - 12, std::to_string(std::filesystem::file_size(file)));
    }
    EXPECT_EQ(LoadInChild(file, kAddressSanitizer ? 0 : rlim_t{64} << 20), expected);
  }
}

// A progressive photo read past its DC scans (its DC is coarse) gives back
// its first share of the decode memory before it asks for the larger one
// that holds every coefficient: 12000 x 9000 pixels, where the two together
// pass the pool and the one alone fits, so a load keeping the first would
// wait for itself for ever (here: "blocked").
TEST(PictureLoaderHostile, APhotoReadPastItsDcScansNeverWaitsForItself) {
  TempFolder folder;
  const std::string jpeg = hostile::WithComments(
      hostile::WithJpegSize(test_pictures::EncodeJpeg(test_pictures::Photo(32, 32), 75, TJSAMP_420,
                                                      TJFLAG_PROGRESSIVE),
                            12000, 9000),
      320'000);
  EXPECT_EQ(LoadInChild(folder.write("large.jpg", jpeg)), "loaded 12000 x 9000");
}

// Where memory runs short, the load ends with an error (7 when our own
// allocation fails, 481 when the reader's does) or, with room enough for
// the reduced picture, loads: never a crash. A plain 8-bit BMP of 9
// megapixels, with the address space held to ever less room.
TEST(PictureLoaderHostile, MemoryRunningShortIsAnErrorNeverACrash) {
  if (kAddressSanitizer)
    GTEST_SKIP() << "the address space cannot be capped under AddressSanitizer";
  TempFolder folder;
  hostile::Bmp bmp;
  bmp.width = 3000, bmp.height = 3000, bmp.bitCount = 8, bmp.paletteEntries = 256;
  bmp.pixels = hostile::BmpRows(3000, 3000, 8, [](int r) { return r % 256; });
  const auto file = folder.write("plain.bmp", hostile::BmpFile(bmp));
  for (rlim_t megabytes : {8, 16, 24, 32, 40, 44, 48, 56, 64, 80}) {
    const std::string outcome = LoadInChild(file, megabytes << 20);
    EXPECT_TRUE(outcome == "loaded 3000 x 3000" || outcome.rfind("error 7: ", 0) == 0 ||
                outcome.rfind("error 481: ", 0) == 0)
        << megabytes << " MB of room: " << outcome;
    if (megabytes == 8) {
      EXPECT_NE(outcome, "loaded 3000 x 3000") << "the room was not held";
    }
  }
}

}  // namespace
