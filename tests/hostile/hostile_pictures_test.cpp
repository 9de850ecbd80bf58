#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <vector>

#include "tests/hostile/HostileCorpus.h"
#include "tests/support/AddressSanitizer.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestVideos.h"
#include "tests/support/UnattendedRun.h"

namespace {

// The most resident memory the thumbnail maker may reach on any input.
constexpr long kMaxResidentKilobytes = 512 * 1024;
// Address space the run is held to: room for the libraries, thread stacks
// and allocator arenas a Qt program maps (FFmpeg's libraries, for videos,
// and those only they need map 99 MB of it), so an allocation past the bound
// fails instead of succeeding. Under AddressSanitizer, which maps terabytes
// of shadow memory, no cap is set and no memory figure is asserted.
constexpr rlim_t kAddressSpaceBytes = rlim_t{896} << 20;
// A run that has not ended by then is taken for a hang.
constexpr auto kPatience = std::chrono::seconds(60);

struct Outcome : unattended_run::Outcome {
  std::string errors;
};

// Starts the real thumbnail maker on the folder as the slide show maker
// starts it, held to the address space cap. Workers, when given, is how
// many pictures it decodes at once.
pid_t StartTesselet(const std::string& folder, const std::filesystem::path& errorsFile,
                    const char* workers = nullptr) {
  unattended_run::Options options;
  if (!kAddressSanitizer) options.addressSpace = kAddressSpaceBytes;
  if (workers) options.variables.emplace_back("TESSELET_WORKERS", workers);
  return unattended_run::Start({TESSELET_EXECUTABLE, folder}, errorsFile, options);
}

Outcome FinishTesselet(pid_t child, const std::filesystem::path& errorsFile) {
  return {unattended_run::Finish(child, kPatience), TempFolder::read(errorsFile)};
}

Outcome RunTesselet(const std::string& folder, const std::filesystem::path& errorsFile,
                    const char* workers = nullptr) {
  return FinishTesselet(StartTesselet(folder, errorsFile, workers), errorsFile);
}

// One picture to a folder, as the batch ends at its first failure. Each
// either gets its thumbnail or ends the run with a message naming it; none
// crashes, hangs or takes memory past the bound.
TEST(HostilePictures, EachGetsAThumbnailOrAClearMessageWithinTheMemoryBound) {
  // Two runs at a time: each spends most of its life in the unattended
  // run's pause, and the corpus is large.
  constexpr std::size_t kAtOnce = 2;
  const std::vector<hostile::HostilePicture> corpus = hostile::HostileCorpus();
  long worstKilobytes = 0;
  std::string worst;
  for (std::size_t first = 0; first < corpus.size(); first += kAtOnce) {
    const std::size_t end = std::min(corpus.size(), first + kAtOnce);
    std::vector<TempFolder> folders(end - first);
    std::vector<pid_t> runs;
    for (std::size_t k = first; k < end; ++k) {
      const TempFolder& folder = folders[k - first];
      folder.write("pictures/" + corpus[k].name, corpus[k].bytes);
      std::filesystem::create_directory(folder.path() / "pictures/ThumbNails");
      runs.push_back(
          StartTesselet((folder.path() / "pictures").string() + "/", folder.path() / "errors.txt"));
    }
    for (std::size_t k = first; k < end; ++k) {
      const hostile::HostilePicture& picture = corpus[k];
      const TempFolder& folder = folders[k - first];
      SCOPED_TRACE(picture.name);
      const Outcome run = FinishTesselet(runs[k - first], folder.path() / "errors.txt");
      EXPECT_TRUE(run.ended) << "still running after " << kPatience.count() << " s";
      EXPECT_EQ(run.signal, 0) << "ended by a signal: " << run.errors;
      const auto thumbnail = folder.path() / "pictures/ThumbNails" /
                             ("thumb" + picture.name.substr(0, picture.name.rfind('.')) + ".jpg");
      if (run.status == 0) {
        EXPECT_TRUE(std::filesystem::exists(thumbnail)) << "a completed run wrote its thumbnail";
      } else {
        EXPECT_EQ(run.status, 1) << run.errors;
        EXPECT_NE(run.errors.find(picture.name), std::string::npos)
            << "the message names the picture: " << run.errors;
      }
      if (!kAddressSanitizer) {
        EXPECT_LT(run.peakKilobytes, kMaxResidentKilobytes);
      }
      if (run.peakKilobytes > worstKilobytes)
        worstKilobytes = run.peakKilobytes, worst = picture.name;
    }
  }
  RecordProperty("worst_picture", worst);
  RecordProperty("worst_peak_kilobytes", std::to_string(worstKilobytes));
  std::cout << "peak resident memory: " << worstKilobytes / 1024 << " MB, for " << worst << "\n";
}

// A 100-megapixel baseline camera photo still gets its thumbnail, within the
// same bound.
TEST(HostilePictures, AHundredMegapixelPhotoGetsItsThumbnailWithinTheBound) {
  TempFolder folder;
  folder.write("pictures/camera.jpg", hostile::StreamedJpeg(11648, 8736));
  std::filesystem::create_directory(folder.path() / "pictures/ThumbNails");
  const Outcome run =
      RunTesselet((folder.path() / "pictures").string() + "/", folder.path() / "errors.txt");
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_TRUE(std::filesystem::exists(folder.path() / "pictures/ThumbNails/thumbcamera.jpg"));
  if (!kAddressSanitizer) {
    EXPECT_LT(run.peakKilobytes, kMaxResidentKilobytes);
  }
  std::cout << "peak resident memory: " << run.peakKilobytes / 1024 << " MB\n";
}

// Pictures decoded at once share the bound: four whose decodes keep 288 MB
// of coefficients each, on four workers, take their turns for the memory.
TEST(HostilePictures, DecodesRunningAtOnceShareTheBound) {
  TempFolder folder;
  const std::string heavy = hostile::CoefficientHeavyJpeg();
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) {
    folder.write(std::string("pictures/") + name, heavy);
  }
  std::filesystem::create_directory(folder.path() / "pictures/ThumbNails");
  const Outcome run =
      RunTesselet((folder.path() / "pictures").string() + "/", folder.path() / "errors.txt", "4");
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.status, 0) << run.errors;
  if (!kAddressSanitizer) {
    EXPECT_LT(run.peakKilobytes, kMaxResidentKilobytes);
  }
  std::cout << "peak resident memory: " << run.peakKilobytes / 1024 << " MB\n";
}

}  // namespace

namespace {

// The video with the width and height its first "avc1" sample entry
// declares replaced (the coded pictures keep theirs).
std::string WithAvcSize(std::string mp4, std::uint16_t width, std::uint16_t height) {
  // The brands of the file's type box may name avc1 too.
  const std::size_t entry = mp4.find("avc1", mp4.find("stsd"));
  if (entry == std::string::npos) throw std::runtime_error("no avc1 sample entry");
  // Tag, then reserved 6, index 2, pre-defined 2 + 2 + 12 bytes.
  const std::size_t at = entry + 4 + 6 + 2 + 16;
  mp4[at] = char(width >> 8), mp4[at + 1] = char(width & 0xFF);
  mp4[at + 2] = char(height >> 8), mp4[at + 3] = char(height & 0xFF);
  return mp4;
}

void Put32At(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) bytes[at + k] = char(value >> (24 - 8 * k) & 0xFF);
}

// The video with its sample size box declaring `count` samples all of one
// size (which it then need not list) and its first chunk holding them all:
// a few bytes that ask for an index entry each.
std::string WithSamplesOfOneSize(std::string mp4, std::uint32_t count) {
  const std::size_t sizes = mp4.find("stsz");
  const std::size_t chunks = mp4.find("stsc");
  if (sizes == std::string::npos || chunks == std::string::npos)
    throw std::runtime_error("no stsz or stsc box");
  // Tag, version and flags, then the one size and the count.
  Put32At(mp4, sizes + 8, 100);
  Put32At(mp4, sizes + 12, count);
  // Tag, version and flags, entry count, then the first entry's first chunk
  // and its count of samples.
  Put32At(mp4, chunks + 16, count);
  return mp4;
}

}  // namespace

// Damaged, empty, lying and endless videos, asked for as photos and videos
// of every kind: each gets its thumbnail or a message naming it and why,
// within the same memory bound and time; none crashes or hangs.
TEST(HostilePictures, VideosGetAThumbnailOrAClearMessageWithinTheBound) {
  const TempFolder made;
  const auto file = [&](const char* name) { return made.path() / name; };
  test_videos::Ffmpeg("-f lavfi -i \"" + test_videos::Halves("red", "blue", 320, 240, 2) +
                      "\" -c:v libx264 -g 25 -movflags +faststart \"" + file("good.mp4").string() +
                      "\"");
  test_videos::Ffmpeg("-f lavfi -i \"color=c=green:s=160x120:r=25:d=2\" -c:v libvpx-vp9 \"" +
                      file("good.webm").string() + "\"");
  test_videos::Ffmpeg("-f lavfi -i \"sine=d=2\" -c:a aac \"" + file("audio.m4v").string() + "\"");
  // A frame a second for ten hours: seeking to its first second reads none
  // of the rest.
  test_videos::Ffmpeg(
      "-f lavfi -i \"color=c=red:s=64x64:r=1\" -t 36000 -c:v libx264 -preset ultrafast -g 600 \"" +
      file("ten-hours.mp4").string() + "\"");
  const std::string mp4 = TempFolder::read(file("good.mp4"));
  const std::string webm = TempFolder::read(file("good.webm"));
  std::string scrambled = mp4;
  // The coded pictures (after the header, which faststart put first) made noise.
  for (std::size_t k = mp4.rfind("mdat") + 4; k < scrambled.size(); ++k)
    scrambled[k] = char(k * 2654435761u >> 13);
  const struct {
    const char* name;
    std::string bytes;
    int status;
    const char* why;  // a part of the message that says why, when one is due
  } rows[] = {
      {"ten-hours.mp4", TempFolder::read(file("ten-hours.mp4")), 0, nullptr},
      {"audio-only.m4v", TempFolder::read(file("audio.m4v")), 1, "the file holds no video"},
      {"header-only.mp4", mp4.substr(0, mp4.rfind("mdat") + 4), 1, "no frame"},
      {"cut-in-its-first-picture.mp4", mp4.substr(0, mp4.rfind("mdat") + 40), 1, "no frame"},
      {"cut-after-its-first-second.mp4", mp4.substr(0, mp4.size() * 3 / 4), 0, nullptr},
      {"noise-for-pictures.mp4", scrambled, 1, "no frame"},
      {"cut-in-half.webm", webm.substr(0, webm.size() / 2), 0, nullptr},
      {"first-bytes-only.mov", mp4.substr(0, 40), 1, "the file holds no video"},
      {"declaring-60000x60000.mp4", WithAvcSize(mp4, 60000, 60000), 1, "megapixels"},
      {"declaring-8000x8000.mp4", WithAvcSize(mp4, 8000, 8000), 1, "its decode would take"},
      {"declaring-53-million-samples.mp4", WithSamplesOfOneSize(mp4, 53'687'092), 1, "no frame"},
      {"declaring-64x48.mp4", WithAvcSize(mp4, 64, 48), 1, "no frame"},
      {"declaring-2000x1500.mp4", WithAvcSize(mp4, 2000, 1500), 1, "frame size differs"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const TempFolder folder;
    folder.write(std::string("videos/") + row.name, row.bytes);
    std::filesystem::create_directory(folder.path() / "videos/ThumbNails");
    unattended_run::Options options;
    // Room for what libav would allocate past the bound to be made and
    // measured, not refused by the cap alone.
    if (!kAddressSanitizer) options.addressSpace = 3 * kAddressSpaceBytes;
    const auto errorsFile = folder.path() / "errors.txt";
    const Outcome run{
        unattended_run::Finish(unattended_run::Start({TESSELET_EXECUTABLE, "--all-media",
                                                      (folder.path() / "videos").string() + "/"},
                                                     errorsFile, options),
                               kPatience),
        TempFolder::read(errorsFile)};
    ASSERT_TRUE(run.ended) << "still running after " << kPatience.count() << " s";
    EXPECT_EQ(run.signal, 0) << run.errors;
    EXPECT_EQ(run.status, row.status) << run.errors;
    if (row.why) {
      EXPECT_NE(run.errors.find(row.name), std::string::npos) << run.errors;
      EXPECT_NE(run.errors.find(row.why), std::string::npos) << run.errors;
    }
    const std::string base(row.name, std::strchr(row.name, '.'));
    EXPECT_EQ(
        std::filesystem::exists(folder.path() / "videos/ThumbNails" / ("thumb" + base + ".jpg")),
        row.status == 0);
    if (!kAddressSanitizer) {
      EXPECT_LT(run.peakKilobytes, kMaxResidentKilobytes);
    }
  }
}
