#include "tests/hostile/HostileCorpus.h"

#include <climits>
#include <stdexcept>

#include "tests/hostile/PictureWriters.h"
#include "tests/support/TestJpeg.h"

namespace hostile {

namespace {

using test_jpeg::WithExif;

// A good JPEG of a smooth picture, from libjpeg-turbo's encoder.
std::string GoodJpeg(int width, int height, int subsampling, int flags) {
  std::string rgb;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) rgb += {char(x * 4), char(y * 4), char(x + y)};
  }
  return test_jpeg::Encode(rgb.data(), width, height, TJPF_RGB, subsampling, 90, flags);
}

Bmp Paletted(std::int32_t width, std::int32_t height, std::uint32_t palette, std::string pixels,
             std::uint32_t compression = 0, std::uint16_t bitCount = 8) {
  Bmp bmp;
  bmp.width = width, bmp.height = height, bmp.bitCount = bitCount;
  bmp.compression = compression, bmp.paletteEntries = palette, bmp.pixels = std::move(pixels);
  return bmp;
}

Bmp TrueColour(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
               std::uint32_t compression = 0) {
  Bmp bmp;
  bmp.width = width, bmp.height = height, bmp.bitCount = bitCount, bmp.compression = compression;
  // Every row of a small picture; a kilobyte of a large one, whose header
  // alone is the test.
  const std::int64_t rows = height < 0 ? -std::int64_t(height) : height;
  if (std::int64_t(width) * rows <= 4096 && width > 0) {
    bmp.pixels = BmpRows(width, std::int32_t(rows), bitCount, [](int r) { return 40 + r; });
  } else {
    bmp.pixels = std::string(1024, '\x55');
  }
  return bmp;
}

void AddBmps(std::vector<HostilePicture>& corpus) {
  auto add = [&](const std::string& name, const Bmp& bmp) {
    corpus.push_back({name + ".bmp", BmpFile(bmp)});
  };
  // Top-down files are valid: the first stored row is the top one. Row 0
  // is the brightest.
  add("top-down-8", Paletted(4, -3, 256, BmpRows(4, 3, 8, [](int r) { return r == 0 ? 250 : 5; })));
  add("top-down-16", TrueColour(4, -3, 16));
  add("top-down-24", TrueColour(4, -3, 24));
  add("top-down-rle8", Paletted(4, -2, 256, std::string("\x04\x09\x00\x00\x04\x09\x00\x01", 8), 1));
  for (std::uint16_t bits : {0, 2, 7, 48, 64}) {
    Bmp bmp = TrueColour(4, 3, 24);
    bmp.bitCount = bits;
    add("bit-count-" + std::to_string(bits), bmp);
  }
  add("compression-7", TrueColour(4, 3, 24, 7));
  add("compression-99", TrueColour(4, 3, 24, 99));
  add("rle8-with-24-bits", TrueColour(4, 3, 24, 1));
  add("bitfields-with-8-bits", Paletted(4, 3, 4, BmpRows(4, 3, 8, [](int) { return 1; }), 3));
  add("palette-of-2-indices-200", Paletted(4, 3, 2, BmpRows(4, 3, 8, [](int) { return 200; })));
  add("palette-of-0-indices-9",
      Paletted(4, 3, 0, BmpRows(4, 3, 4, [](int) { return 0x99; }), 0, 4));
  // RLE8: a run, an absolute run and a delta that go past the row or the picture.
  add("rle8-run-past-the-row", Paletted(4, 3, 256, std::string("\xFF\x07\x00\x00\x00\x01", 6), 1));
  add("rle8-runs-past-the-picture",
      Paletted(4, 3, 256, std::string(200, '\xFF') + std::string("\x00\x01", 2), 1));
  add("rle8-absolute-past-the-row",
      Paletted(4, 3, 256, std::string("\x00\xC8", 2) + std::string(200, '\x07'), 1));
  add("rle8-delta-past-the-picture",
      Paletted(4, 3, 256, std::string("\x00\x02\xFF\xFF\x05\x07\x00\x01", 8), 1));
  add("rle8-no-end", Paletted(4, 3, 256, std::string("\x02\x07", 2), 1));
  add("rle4-run-past-the-row",
      Paletted(4, 3, 16, std::string("\xFF\x12\x00\x00\x00\x01", 6), 2, 4));
  // A kilobyte of runs declaring 10000 x 10000 pixels.
  std::string runs;
  for (int i = 0; i < 500; ++i) runs += "\xFF\x03";
  add("rle8-1k-declaring-10000x10000", Paletted(10000, 10000, 256, runs + "\x00\x01", 1));
  // Sizes: none, negative, the most a field holds, more than any picture.
  add("width-0", TrueColour(0, 3, 24));
  add("height-0", TrueColour(4, 0, 24));
  add("width-negative", TrueColour(-4, 3, 24));
  add("height-most-negative", TrueColour(4, INT_MIN, 24));
  add("huge-60000x60000", TrueColour(60000, 60000, 24));
  add("tall-1x100000000", TrueColour(1, 100'000'000, 24));
  add("header-declaring-8000x8000", TrueColour(8000, 8000, 24));
  Bmp core = TrueColour(65535, 65535, 24);
  core.headerSize = 12;
  add("core-header-65535x65535", core);
  // Headers that lie about sizes and offsets.
  Bmp lies = TrueColour(4, 3, 24);
  lies.fileSizeField = 0xFFFFFFFF;
  add("file-size-field-huge", lies);
  lies = TrueColour(4, 3, 24), lies.offsetField = 0x7FFFFFFF;
  add("pixel-offset-past-the-end", lies);
  lies = TrueColour(4, 3, 24), lies.offsetField = 2;
  add("pixel-offset-into-the-header", lies);
  lies = TrueColour(4, 3, 24), lies.headerSize = 0;
  add("header-size-0", lies);
  lies = TrueColour(4, 3, 24), lies.headerSize = 5000;
  add("header-size-past-the-end", lies);
  lies = TrueColour(40, 30, 24);
  lies.pixels.resize(lies.pixels.size() / 2);
  add("half-the-rows", lies);
  corpus.push_back({"header-cut-short.bmp", BmpFile(TrueColour(4, 3, 24)).substr(0, 20)});
}

void AddGifs(std::vector<HostilePicture>& corpus) {
  auto add = [&](const std::string& name, const Gif& gif) {
    corpus.push_back({name + ".gif", GifFile(gif)});
  };
  auto frame = [](int left, int top, int width, int height, std::string lzw) {
    GifFrame f;
    f.left = left, f.top = top, f.width = width, f.height = height, f.lzw = std::move(lzw);
    return f;
  };
  const std::string red12 = LzwLiterals(std::vector<int>(12, 2));
  add("good-4x3", {4, 3, true, {frame(0, 0, 4, 3, red12)}});
  // Browsers show the screen with the first frame on it: this one is red in
  // the middle of a 2100 x 2100 screen.
  add("screen-2100-frame-100x75",
      {2100, 2100, true, {frame(1000, 1000, 100, 75, LzwLiterals(std::vector<int>(7500, 2)))}});
  add("screen-10000-in-43-bytes", {10000, 10000, true, {frame(0, 0, 1, 1, LzwLiterals({2}))}});
  add("screen-65535", {65535, 65535, true, {frame(0, 0, 1, 1, LzwLiterals({2}))}});
  add("screen-0", {0, 0, true, {frame(0, 0, 4, 3, red12)}});
  add("frame-outside-the-screen", {10, 10, true, {frame(5000, 5000, 4, 3, red12)}});
  add("frame-past-the-screen-edge", {4, 3, true, {frame(2, 2, 4, 3, red12)}});
  add("frame-declaring-9000x9000", {9000, 9000, true, {frame(0, 0, 9000, 9000, red12)}});
  add("frame-0x0", {4, 3, true, {frame(0, 0, 0, 0, red12)}});
  add("no-colour-table", {4, 3, false, {frame(0, 0, 4, 3, red12)}});
  add("zero-frames", {4, 3, true, {}});
  // Codes above any the table holds yet, and a code size past 12 bits.
  add("lzw-codes-out-of-range",
      {4, 3, true, {frame(0, 0, 4, 3, PackCodes({4, 2, 7, 7, 7, 6, 7, 5}, 3))}});
  GifFrame wide = frame(0, 0, 4, 3, PackCodes({4095, 4095, 4095, 4095}, 12));
  wide.minCodeSize = 11;
  add("lzw-12-bit-codes-out-of-range", {4, 3, true, {wide}});
  wide.minCodeSize = 13;
  add("lzw-code-size-13", {4, 3, true, {wide}});
  wide = frame(0, 0, 4, 3, PackCodes({1, 0, 1, 0}, 1));
  wide.minCodeSize = 0;
  add("lzw-code-size-0", {4, 3, true, {wide}});
  add("data-cut-short", {4, 3, true, {frame(0, 0, 4, 3, red12.substr(0, 2))}});
  const std::string good = GifFile({4, 3, true, {frame(0, 0, 4, 3, red12)}});
  corpus.push_back({"cut-in-the-screen.gif", good.substr(0, 9)});
  corpus.push_back({"cut-in-the-frame.gif", good.substr(0, 30)});
}

void AddJpegs(std::vector<HostilePicture>& corpus) {
  const std::string baseline = GoodJpeg(64, 48, TJSAMP_420, 0);
  const std::string progressive = GoodJpeg(64, 48, TJSAMP_420, TJFLAG_PROGRESSIVE);
  for (const auto& [kind, jpeg] : {std::pair{"baseline", baseline}, {"progressive", progressive}}) {
    const auto markers = JpegMarkerOffsets(jpeg);
    for (std::size_t i = 0; i < markers.size(); ++i) {
      corpus.push_back({std::string(kind) + "-cut-at-marker-" + std::to_string(i) + ".jpg",
                        jpeg.substr(0, std::max<std::size_t>(markers[i], 3))});
    }
    const std::size_t scan = markers.back() + 20;
    corpus.push_back({std::string(kind) + "-cut-in-the-scan.jpg",
                      jpeg.substr(0, scan + (jpeg.size() - scan) / 2)});
    std::string corrupt = jpeg;
    for (std::size_t i = scan; i + 2 < corrupt.size(); i += 7) corrupt[i] = char(corrupt[i] ^ 0x5A);
    corpus.push_back({std::string(kind) + "-corrupt-entropy-data.jpg", corrupt});
    corpus.push_back({std::string(kind) + "-0x0.jpg", WithJpegSize(jpeg, 0, 0)});
    corpus.push_back({std::string(kind) + "-0-wide.jpg", WithJpegSize(jpeg, 0, 48)});
    corpus.push_back(
        {std::string(kind) + "-declaring-65500x65500.jpg", WithJpegSize(jpeg, 65500, 65500)});
    corpus.push_back(
        {std::string(kind) + "-declaring-20000x20000.jpg", WithJpegSize(jpeg, 20000, 20000)});
  }
  // EXIF directories that loop on themselves, lie outside the segment or
  // promise more entries than there are.
  corpus.push_back({"exif-directory-loops.jpg", WithExif(baseline, TiffBlock(8, 1, 8))});
  corpus.push_back({"exif-directory-outside.jpg", WithExif(baseline, TiffBlock(0x7FFFFFF0, 1, 0))});
  corpus.push_back({"exif-65535-entries.jpg", WithExif(baseline, TiffBlock(8, 65535, 0))});
  corpus.push_back(
      {"exif-next-directory-outside.jpg", WithExif(baseline, TiffBlock(8, 0, 0xFFFFFFFF))});
  std::string longSegment = WithExif(baseline, TiffBlock(8, 1, 0));
  longSegment[4] = '\xFF', longSegment[5] = '\xFF';  // the segment's length runs past the file
  corpus.push_back({"exif-segment-past-the-end.jpg", longSegment});
}

}  // namespace

std::vector<HostilePicture> HostileCorpus() {
  std::vector<HostilePicture> corpus;
  AddBmps(corpus);
  AddGifs(corpus);
  AddJpegs(corpus);
  return corpus;
}

std::string StreamedJpeg(int width, int height) {
  return test_jpeg::EncodeRows(
      width, height, {.quality = 80, .progressive = false}, [&](int y, std::uint8_t* row) {
        for (int x = 0; x < width; ++x) {
          row[std::size_t(x) * 3] = std::uint8_t(x * 255 / width);
          row[std::size_t(x) * 3 + 1] = std::uint8_t(unsigned(y) * 255 / unsigned(height));
          row[std::size_t(x) * 3 + 2] = 90;
        }
      });
}

std::string CoefficientHeavyJpeg() {
  std::string cmyk;
  for (int i = 0; i < 32 * 32; ++i) cmyk += {char(i), char(i / 4), char(200), char(40)};
  const std::string bytes =
      test_jpeg::Encode(cmyk.data(), 32, 32, TJPF_CMYK, TJSAMP_444, 90, TJFLAG_PROGRESSIVE);
  // 4 x 750 x 750 blocks: at least 4 x 750 x 750 / 8 bytes to hold them.
  return WithComments(WithJpegSize(bytes, 6000, 6000), 300'000);
}

HostilePicture HostilePictureNamed(const std::string& name) {
  for (HostilePicture& picture : HostileCorpus()) {
    if (picture.name == name) return picture;
  }
  throw std::out_of_range("no made picture is named " + name);
}

}  // namespace hostile
