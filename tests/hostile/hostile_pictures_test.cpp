#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <vector>

#include "tests/hostile/HostileCorpus.h"
#include "tests/support/AddressSanitizer.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UnattendedRun.h"

namespace {

// The most resident memory the thumbnail maker may reach on any input.
constexpr long kMaxResidentKilobytes = 512 * 1024;
// Address space the run is held to: room for the libraries, thread stacks
// and allocator arenas a Qt program maps, so an allocation past the bound
// fails instead of succeeding. Under AddressSanitizer, which maps terabytes
// of shadow memory, no cap is set and no memory figure is asserted.
constexpr rlim_t kAddressSpaceBytes = rlim_t{768} << 20;
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
