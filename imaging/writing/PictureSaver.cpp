#include "imaging/writing/PictureSaver.h"

#include <cstdint>

#include "imaging/ErrorSources.h"
#include "imaging/pixels/DibBitmap.h"
#include "imaging/pixels/StdPicture.h"
#include "platform/AtomicFile.h"
#include "platform/RunTimeError.h"

namespace imaging::writing {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;

void PutU16(std::uint8_t* at, std::uint32_t value) {
  at[0] = std::uint8_t(value);
  at[1] = std::uint8_t(value >> 8);
}

void PutU32(std::uint8_t* at, std::uint32_t value) {
  PutU16(at, value & 0xFFFF);
  PutU16(at + 2, value >> 16);
}

}  // namespace

void PictureSaver::SavePicture(const pixels::StdPicture& picture, const std::string& aFilePath) {
  const pixels::DibBitmap* bitmap = picture.Bitmap();
  if (!bitmap) {
    throw platform::RunTimeError(platform::kInvalidPicture, kPictureSaverSource,
                                 "Invalid picture: there is nothing to save to " + aFilePath);
  }
  const std::uint32_t pixelBytes = std::uint32_t(bitmap->SizeInBytes());
  const std::uint32_t offset = kFileHeaderSize + sizeof(pixels::BitmapInfoHeader);
  std::uint8_t headers[kFileHeaderSize + sizeof(pixels::BitmapInfoHeader)] = {'B', 'M'};
  PutU32(headers + 2, offset + pixelBytes);
  PutU32(headers + 10, offset);
  std::uint8_t* info = headers + kFileHeaderSize;
  PutU32(info, sizeof(pixels::BitmapInfoHeader));
  PutU32(info + 4, std::uint32_t(bitmap->Width()));
  PutU32(info + 8, std::uint32_t(bitmap->Height()));  // positive: bottom row first
  PutU16(info + 12, 1);                               // planes
  PutU16(info + 14, 24);                              // bits per pixel
  PutU32(info + 20, pixelBytes);                      // uncompressed, the rest stays 0

  try {
    platform::AtomicFile file(aFilePath, kPictureSaverSource);
    file.open();
    file.write(headers, sizeof headers);
    file.write(bitmap->Bits(), pixelBytes);
    file.commit();
  } catch (const platform::RunTimeError& error) {
    // The batch ends with this description, so it names the file.
    throw platform::RunTimeError(error.number(), error.source(),
                                 error.description() + ": " + aFilePath);
  }
}

}  // namespace imaging::writing
