// The thumbnail benchmark's program.
//   thumbnail_bench photos DIR COUNT       makes COUNT 6000 x 4000 photographs in DIR
//                                          (those already there are kept)
//   thumbnail_bench thumbnails DIR FILE... makes a 50 x 50 JPEG thumbnail of each
//                                          file in DIR, as the thumbnail maker does
//   thumbnail_bench quality FILE...        prints, per file, the PSNR of the
//                                          thumbnail before encoding against an
//                                          exact area average of the full decode

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/thumbnails/PhotoMaker.h"
#include "imaging/reading/PictureLoader.h"
#include "imaging/thumbnail/ThumbnailLayout.h"
#include "imaging/thumbnail/cThumbnail.h"
#include "platform/RunTimeError.h"
#include "tests/imaging/ReferenceAreaAverage.h"
#include "tests/imaging/TestPictures.h"

using namespace imaging::pixels;
using namespace imaging::reading;
using namespace imaging::thumbnail;

namespace {

int MakePhotos(const std::filesystem::path& folder, int count) {
  std::filesystem::create_directories(folder);
  for (int i = 1; i <= count; ++i) {
    const auto path = folder / ("photo-" + std::to_string(i) + ".jpg");
    if (std::filesystem::exists(path)) continue;
    if (!PhotoMaker::Make(path.string(), 6000, 4000, unsigned(i), 95)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("made %s (%.1f MB)\n", path.c_str(), std::filesystem::file_size(path) / 1e6);
    std::fflush(stdout);
  }
  return 0;
}

int MakeThumbnails(const std::filesystem::path& folder, int count, char** files) {
  for (int i = 0; i < count; ++i) {
    const std::filesystem::path source(files[i]);
    cThumbnail thumbnail;
    thumbnail.DestFilePath((folder / ("thumb" + source.stem().string() + ".jpg")).string());
    thumbnail.CreateFromFile(source.string());
  }
  return 0;
}

// Ours: the thumbnail as CreateFromFile renders it, before encoding. The
// reference: the full-size decode reduced by the tests' plain, exact area
// average, written independently of ours.
int Quality(int count, char** files) {
  double worst = 99;
  for (int i = 0; i < count; ++i) {
    const cThumbnail thumbnail;
    PictureLoader loader(files[i]);
    const ThumbnailLayout layout =
        ThumbnailLayout::Compute(loader.Width(), loader.Height(), 50, 50, false);
    const auto ours = thumbnail.RenderCanvas(loader.Load(8 * layout.Width, 8 * layout.Height));

    const StdPicture full = PictureLoader::LoadPicture(files[i]);
    const auto exact =
        test_pictures::ReferenceAreaAverage(*full.Bitmap(), layout.Width, layout.Height);
    const double psnr = test_pictures::Psnr(*ours, *exact);
    worst = std::min(worst, psnr);
    std::printf("%s %dx%d PSNR %.2f dB\n", files[i], layout.Width, layout.Height, psnr);
  }
  std::printf("lowest PSNR %.2f dB\n", worst);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  try {
    if (mode == "photos" && argc == 4) return MakePhotos(argv[2], std::stoi(argv[3]));
    if (mode == "thumbnails" && argc >= 3) return MakeThumbnails(argv[2], argc - 3, argv + 3);
    if (mode == "quality") return Quality(argc - 2, argv + 2);
  } catch (const platform::RunTimeError& error) {
    std::fprintf(stderr, "error %d (%s): %s\n", error.number(), error.source().c_str(),
                 error.description().c_str());
    return 1;
  }
  std::fprintf(
      stderr,
      "usage: thumbnail_bench photos DIR COUNT | thumbnails DIR FILE... | quality FILE...\n");
  return 2;
}
