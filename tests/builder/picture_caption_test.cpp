#include <gtest/gtest.h>
#include <sys/stat.h>

#include "orvale/builder/PictureCaption.h"
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
