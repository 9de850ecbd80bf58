#include <gtest/gtest.h>
#include <sys/stat.h>

#include "orvale/builder/PictureCaption.h"
#include "tests/imaging/PictureEncoders.h"
#include "tests/support/CaptionedPicture.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr char kDescription[] = "Exif.Image.ImageDescription";
constexpr char kIptcCaption[] = "Iptc.Application2.Caption";
constexpr char kXmpDescription[] = "Xmp.dc.description";

std::string Repeated(const std::string& text, int times) {
  std::string out;
  for (int k = 0; k < times; ++k) out += text;
  return out;
}

}  // namespace

TEST(PictureCaption, TheFirstWrittenDescriptionIsTheCaption) {
  const std::string ellipsis = "\xE2\x80\xA6";
  const struct {
    const char* rule;
    captioned_picture::Metadata metadata;
    std::string caption;
  } rows[] = {
      {"no metadata, no caption", {}, ""},
      {"EXIF description", {{kDescription, "Harbour at dawn"}}, "Harbour at dawn"},
      {"IPTC caption", {{kIptcCaption, "Market day"}}, "Market day"},
      {"XMP description", {{kXmpDescription, "Old bridge"}}, "Old bridge"},
      {"XMP in one language only",
       {{kXmpDescription,
         "lang=\"de-DE\" Alte Br\xC3\xBC"
         "cke"}},
       "Alte Br\xC3\xBC"
       "cke"},
      {"XMP before IPTC before EXIF",
       {{kDescription, "exif"}, {kIptcCaption, "iptc"}, {kXmpDescription, "xmp"}},
       "xmp"},
      {"IPTC before EXIF", {{kDescription, "exif"}, {kIptcCaption, "iptc"}}, "iptc"},
      {"white space alone is no caption, the next one counts",
       {{kDescription, "exif"}, {kIptcCaption, " \t "}},
       "exif"},
      {"white space at the ends goes", {{kDescription, "  Bay \r\n"}}, "Bay"},
      {"a camera's stock text is none", {{kDescription, "OLYMPUS DIGITAL CAMERA         "}}, ""},
      {"in any letter case", {{kDescription, "sony dsc"}}, ""},
      {"stock text leaves the IPTC caption",
       {{kDescription, "Exif_JPEG_PICTURE"}, {kIptcCaption, "Picnic"}},
       "Picnic"},
      {"stock text only as the whole text",
       {{kDescription, "SONY DSC at the lake"}},
       "SONY DSC at the lake"},
      {"bytes that are not UTF-8 become ?", {{kDescription, "Caf\xE9 terrace"}}, "Caf? terrace"},
      {"1000 characters are kept whole",
       {{kIptcCaption, Repeated("\xC3\xA9", 1000)}},
       Repeated("\xC3\xA9", 1000)},
      {"a longer caption is cut at a character and says so",
       {{kDescription, Repeated("\xC3\xA9", 1001)}},
       Repeated("\xC3\xA9", 1000) + ellipsis},
      {"a huge caption too",
       {{kDescription, Repeated("abcd", 15000)}},
       Repeated("abcd", 250) + ellipsis},
  };
  const TempFolder folder;
  for (const auto& row : rows) {
    const auto file = captioned_picture::WriteJpeg(folder.path() / "photo.jpg", row.metadata);
    EXPECT_EQ(orvale::PictureCaption(file.string()), row.caption) << row.rule;
  }
}

// Each kind is read where its writers put the caption: PNG and WebP by
// Exiv2, which wrote them; HEIC, made by libheif, through its metadata items.
TEST(PictureCaption, EveryKindOfPictureCarriesItsCaption) {
  const test_pictures::Picture picture = test_pictures::Photo(16, 12);
  const std::string xmp =
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
      "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description rdf:about=\"\" "
      "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:description><rdf:Alt><rdf:li "
      "xml:lang=\"x-default\">Harbour</rdf:li></rdf:Alt></dc:description></rdf:Description>"
      "</rdf:RDF></x:xmpmeta>";
  Exiv2::ExifData exif;
  exif["Exif.Image.ImageDescription"] = "Harbour";
  Exiv2::Blob tiff;
  Exiv2::ExifParser::encode(tiff, Exiv2::littleEndian, exif);
  const std::string exifBlock(tiff.begin(), tiff.end());
  const TempFolder folder;
  const struct {
    const char* rule;
    std::filesystem::path file;
    bool written;  // by Exiv2, as an editor writes it, rather than by the encoder
  } rows[] = {
      {"PNG", folder.write("a.png", test_pictures::EncodePng(picture)), true},
      {"WebP", folder.write("a.webp", test_pictures::EncodeWebP(picture, 80)), true},
      {"HEIC with XMP", folder.write("x.heic", test_pictures::EncodeHeic(picture, 50, 1, xmp)),
       false},
      {"HEIC with EXIF",
       folder.write("e.heic", test_pictures::EncodeHeic(picture, 50, 1, {}, exifBlock)), false},
  };
  for (const auto& row : rows) {
    if (row.written) captioned_picture::WriteMetadata(row.file, {{kXmpDescription, "Harbour"}});
    EXPECT_EQ(orvale::PictureCaption(row.file.string()), "Harbour") << row.rule;
  }
}

TEST(PictureCaption, WhatCannotBeReadHasNoCaptionAndNeverWaits) {
  const TempFolder folder;
  const auto captioned =
      captioned_picture::WriteJpeg(folder.path() / "good.jpg", {{kDescription, "Harbour"}});
  const std::string bytes = TempFolder::read(captioned);
  ASSERT_EQ(orvale::PictureCaption(captioned.string()), "Harbour");
  const auto pipe = folder.path() / "pipe.jpg";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const struct {
    const char* rule;
    std::filesystem::path file;
  } rows[] = {
      {"missing file", folder.path() / "none.jpg"},
      {"not a picture", folder.write("text.jpg", "just some text")},
      {"cut off inside its metadata", folder.write("cut.jpg", bytes.substr(0, 40))},
      {"a folder", folder.path()},
      {"a pipe with a picture's name is not waited on", pipe},
  };
  for (const auto& row : rows) EXPECT_EQ(orvale::PictureCaption(row.file.string()), "") << row.rule;
}
