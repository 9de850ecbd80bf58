#include "imaging/pixels/cDIBSection.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <chrono>
#include <ctime>
#include <random>

#include "imaging/ErrorSources.h"
#include "imaging/pixels/Arithmetic.h"
#include "imaging/pixels/DibByteView.h"
#include "platform/HostServices.h"

namespace imaging::pixels {

namespace {

const char kProgramTitle[] = "Tesselet";

// Milliseconds since local midnight: the clock the noise is seeded from.
std::uint32_t ClockSeed() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  return std::uint32_t((local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) * 1000 + millis);
}

// r x 255 for a draw r in [0, 1), to the nearest byte value, ties to even.
std::uint8_t NoiseByte(std::mt19937& generator) {
  double r = std::generate_canonical<double, 53>(generator);
  if (r >= 1.0) r = 0.0;  // some library versions can return 1 by rounding
  return std::uint8_t(RoundHalfEven(r * 255.0));
}

}  // namespace

cDIBSection::~cDIBSection() { ClearUp(); }

bool cDIBSection::CopyToClipboard(bool bAsDIB, platform::HostServices& host) const {
  // The clipboard belongs to the running GUI application: without one there
  // is no screen to borrow, as when a device context cannot be had.
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
  if (bAsDIB) {
    host.showMessage("I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!",
                     kProgramTitle);
    return false;
  }
  std::unique_ptr<DibBitmap> bitmap = DibBitmap::Create(Width(), Height());
  if (!bitmap || !hdc_) return false;
  DrawingSurface memory;
  DibBitmap* previous = memory.SelectObject(bitmap.get());
  PaintPicture(&memory, 0, 0, -1, -1, 0, 0, SRCCOPY);
  memory.SelectObject(previous);

  // The bitmap's rows run bottom first; a clipboard image runs top first.
  const QImage bottomUp(bitmap->Bits(), bitmap->Width(), bitmap->Height(), bitmap->Stride(),
                        QImage::Format_BGR888);
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return false;
  clipboard->clear();
  clipboard->setImage(bottomUp.mirrored(false, true));
  return !clipboard->image().isNull();
}

bool cDIBSection::CreateDIB(DrawingSurface* lhDC, std::int32_t lWidth, std::int32_t lHeight,
                            std::unique_ptr<DibBitmap>& hDib) {
  (void)lhDC;  // our bitmaps do not depend on the surface they are made for
  header_ = BitmapInfoHeader{};
  header_.biSize = sizeof(BitmapInfoHeader);
  header_.biWidth = lWidth;
  header_.biHeight = lHeight;
  header_.biPlanes = 1;
  header_.biBitCount = 24;
  header_.biCompression = 0;
  // The buffer's sizes are 32-bit: a stride or an image size beyond that
  // raises the overflow error here, before any bitmap is asked for.
  const std::int32_t stride = BytesPerScanLine();
  const std::int32_t size = CheckedInt32(std::int64_t{lHeight} * stride, kDibSectionSource);
  header_.biSizeImage = std::uint32_t(size);

  // Every other size that cannot be made is a refusal, not an error.
  hDib = DibBitmap::Create(lWidth, lHeight);
  // The pixel pointer follows this object's own bitmap only, so it can never
  // point into a bitmap that somebody else owns and frees.
  if (&hDib == &hDib_) bits_ = hDib ? hDib->Bits() : nullptr;
  return hDib != nullptr;
}

void cDIBSection::CreateFromPicture(const DibBitmap& picThis) {
  if (!Create(picThis.Width(), picThis.Height())) return;
  // The temporary surface only ever reads the picture's bitmap.
  DrawingSurface pictureSurface;
  DibBitmap* previous = pictureSurface.SelectObject(const_cast<DibBitmap*>(&picThis));
  LoadPictureBlt(&pictureSurface, 0, 0, -1, -1, SRCCOPY);
  pictureSurface.SelectObject(previous);
}

bool cDIBSection::Create(std::int32_t lWidth, std::int32_t lHeight) {
  ClearUp();
  auto surface = std::make_unique<DrawingSurface>();
  if (!CreateDIB(surface.get(), lWidth, lHeight, hDib_)) return false;
  previousBitmap_ = surface->SelectObject(hDib_.get());
  hdc_ = std::move(surface);
  return true;
}

std::int32_t cDIBSection::BytesPerScanLine() const {
  return CheckedInt32(DibBitmap::StrideFor(header_.biWidth), kDibSectionSource);
}

void cDIBSection::LoadPictureBlt(const DrawingSurface* lhDC, std::int32_t lSrcLeft,
                                 std::int32_t lSrcTop, std::int32_t lSrcWidth,
                                 std::int32_t lSrcHeight, RasterOperation eRop) {
  if (!hdc_) return;
  if (lSrcWidth < 0) lSrcWidth = Width();
  if (lSrcHeight < 0) lSrcHeight = Height();
  hdc_->BitBlt(0, 0, lSrcWidth, lSrcHeight, lhDC, lSrcLeft, lSrcTop, eRop);
}

void cDIBSection::PaintPicture(DrawingSurface* lhDC, std::int32_t lDestLeft, std::int32_t lDestTop,
                               std::int32_t lDestWidth, std::int32_t lDestHeight,
                               std::int32_t lSrcLeft, std::int32_t lSrcTop,
                               RasterOperation eRop) const {
  if (!lhDC || !hdc_) return;
  if (lDestWidth < 0) lDestWidth = Width();
  if (lDestHeight < 0) lDestHeight = Height();
  lhDC->BitBlt(lDestLeft, lDestTop, lDestWidth, lDestHeight, hdc_.get(), lSrcLeft, lSrcTop, eRop);
}

void cDIBSection::RandomiseBits(bool bGray) {
  std::mt19937 generator(ClockSeed());
  const DibByteView bytes(bits_, BytesPerScanLine(), Height());
  const std::int32_t pixelBytes = bytes.Rows() > 0 ? Width() * 3 : 0;
  for (std::int32_t row = 0; row < bytes.Rows(); ++row) {
    for (std::int32_t x = 0; x < pixelBytes; x += 3) {
      if (bGray) {
        const std::uint8_t grey = NoiseByte(generator);
        bytes(x, row) = grey;
        bytes(x + 1, row) = grey;
        bytes(x + 2, row) = grey;
      } else {
        bytes(x, row) = 0;
        bytes(x + 1, row) = NoiseByte(generator);
        bytes(x + 2, row) = NoiseByte(generator);
      }
    }
  }
}

void cDIBSection::ClearUp() {
  if (hdc_) {
    // The bitmap the surface held before goes back before ours is freed, so
    // the surface never points at freed memory.
    if (hDib_) hdc_->SelectObject(previousBitmap_);
    hDib_.reset();
    hdc_.reset();
  }
  hDib_.reset();
  previousBitmap_ = nullptr;
  bits_ = nullptr;
}

}  // namespace imaging::pixels
