#include "orvale/builder/PictureCaption.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdint>
#include <exception>
#include <exiv2/exiv2.hpp>
#include <exiv2/webpimage.hpp>

#include "orvale/builder/HeifMetadata.h"
#include "orvale/builder/PictureListText.h"
#include "platform/FileDescriptor.h"

namespace orvale {

namespace {

// What cameras write into every photo's description when the photographer
// wrote nothing, compared without regard to letter case.
constexpr const char* kStockDescriptions[] = {
    "OLYMPUS DIGITAL CAMERA", "SONY DSC",
    "Exif_JPEG_PICTURE",      "KONICA MINOLTA DIGITAL CAMERA",
    "MINOLTA DIGITAL CAMERA", "LEICA DIGITAL CAMERA",
    "SAMSUNG DIGITAL CAMERA", "DIGITAL CAMERA",
};

constexpr char kEllipsis[] = "\xE2\x80\xA6";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\0';
}

std::string Trimmed(const std::string& text) {
  std::size_t first = 0, end = text.size();
  while (first < end && IsBlank(text[first])) ++first;
  while (end > first && IsBlank(text[end - 1])) --end;
  return text.substr(first, end - first);
}

bool SameIgnoringCase(const std::string& text, const char* other) {
  std::size_t k = 0;
  for (; k < text.size() && other[k] != '\0'; ++k) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (lower(text[k]) != lower(other[k])) return false;
  }
  return k == text.size() && other[k] == '\0';
}

bool IsStockDescription(const std::string& trimmed) {
  for (const char* stock : kStockDescriptions)
    if (SameIgnoringCase(trimmed, stock)) return true;
  return false;
}

// The default language's text, else the first language's that is not blank.
std::string XmpDescription(const Exiv2::XmpData& xmp) {
  const auto found = xmp.findKey(Exiv2::XmpKey("Xmp.dc.description"));
  if (found == xmp.end()) return {};
  const auto* languages = dynamic_cast<const Exiv2::LangAltValue*>(&found->value());
  if (!languages) return Trimmed(found->toString());
  if (const auto fallback = languages->value_.find("x-default");
      fallback != languages->value_.end() && !Trimmed(fallback->second).empty())
    return Trimmed(fallback->second);
  for (const auto& [language, text] : languages->value_)
    if (!Trimmed(text).empty()) return Trimmed(text);
  return {};
}

template <typename Data, typename Key>
std::string TextOf(const Data& data, const char* key) {
  const auto found = data.findKey(Key(key));
  return found == data.end() ? std::string() : Trimmed(found->toString());
}

// Page text of at most kLongestCaption characters, a cut one with "…".
std::string Fitted(const std::string& caption) {
  const std::string text = ToPageText(caption);
  std::size_t characters = 0;
  for (std::size_t k = 0; k < text.size(); ++k) {
    // Page text is valid UTF-8: each character starts with a byte that
    // does not continue one.
    if ((static_cast<unsigned char>(text[k]) & 0xC0) == 0x80) continue;
    if (characters++ == kLongestCaption) return text.substr(0, k) + kEllipsis;
  }
  return text;
}

// The kinds of file, as Exiv2 tells them by their content, whose captions
// are read. Exiv2 would read many more, its video readers among them, and
// one of those loops for ever on some files; a file with a picture's name
// is read only as the picture it claims to be.
bool IsCaptionedKind(int kind) {
  return kind == Exiv2::ImageType::jpeg || kind == Exiv2::ImageType::png ||
         kind == Exiv2::ImageType::webp || kind == Exiv2::ImageType::tiff;
}

std::string CaptionOf(const Exiv2::XmpData& xmp, const Exiv2::IptcData& iptc,
                      const Exiv2::ExifData& exif) {
  if (std::string text = XmpDescription(xmp); !text.empty()) return text;
  if (std::string text = TextOf<Exiv2::IptcData, Exiv2::IptcKey>(iptc, "Iptc.Application2.Caption");
      !text.empty())
    return text;
  std::string text = TextOf<Exiv2::ExifData, Exiv2::ExifKey>(exif, "Exif.Image.ImageDescription");
  return IsStockDescription(text) ? std::string() : text;
}

// libheif finds a HEIF file's metadata items, which Exiv2 then reads as it
// reads any picture's.
std::string HeifCaption(const std::string& path) {
  const HeifMetadata blocks = ReadHeifMetadata(path);
  Exiv2::XmpData xmp;
  Exiv2::ExifData exif;
  for (const std::string& packet : blocks.xmp)
    if (xmp.empty()) Exiv2::XmpParser::decode(xmp, packet);
  for (const std::string& tiff : blocks.exif)
    if (exif.empty())
      Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte*>(tiff.data()),
                                std::uint32_t(tiff.size()));
  return CaptionOf(xmp, Exiv2::IptcData(), exif);
}

std::string ReadCaption(const std::string& path) {
  // Exiv2 tells standard error about every flaw it meets.
  static const bool muted = [] {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    return true;
  }();
  (void)muted;

  // Opened without waiting, so a pipe or device with a picture's name is
  // seen for what it is before anything reads from it; the readers then
  // open this very file through its descriptor, whatever the name points
  // to by then.
  const platform::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (!file.isOpen() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
  const std::string opened = "/proc/self/fd/" + std::to_string(file.get());
  unsigned char start[64];
  const ssize_t read = file.readSome(start, sizeof start);
  if (read > 0 && LooksLikeHeif(start, std::size_t(read))) return HeifCaption(opened);
  const auto image = Exiv2::ImageFactory::open(opened);
  if (image.get() == nullptr || !IsCaptionedKind(image->imageType())) return {};
  image->readMetadata();
  return CaptionOf(image->xmpData(), image->iptcData(), image->exifData());
}

}  // namespace

std::string PictureCaption(const std::string& path) {
  try {
    return Fitted(ReadCaption(path));
  } catch (const std::exception&) {
    // Exiv2 throws for a file it cannot read; such a picture has no caption.
    return {};
  }
}

}  // namespace orvale
