#include <gtest/gtest.h>

#include "orvale/builder/ImageCollection.h"
#include "orvale/builder/PictureListText.h"

TEST(PictureName, LastThreeLettersDecide) {
  // everyKind: listed with photos and videos of every kind (JPEG otherwise).
  const struct {
    const char* name;
    bool jpegOnly;
    bool allTypes;
    bool everyKind;
  } rows[] = {
      {"photo.jpg", true, true, true},
      {"PHOTO.JPG", true, true, true},
      {"photo.jpeg", true, true, true},
      {"clip.mpeg", true, true, true},
      {"jpg", true, true, true},
      {"xjPg", true, true, true},
      {"notes.jpg.txt", false, false, false},
      {"scan.tiff", false, false, false},
      {"scan.tif", false, true, false},
      {"Scan.TIF", false, true, false},
      {"a.bmp", false, true, false},
      {"a.GiF", false, true, false},
      {"pg", false, false, false},
      {"", false, false, false},
      {"a.png", false, false, true},
      {"A.PNG", false, false, true},
      {"a.webp", false, false, true},
      {"IMG_0001.HEIC", false, false, true},
      {"a.heif", false, false, true},
      {"clip.mp4", false, false, true},
      {"clip.M4V", false, false, true},
      {"clip.MoV", false, false, true},
      {"clip.webm", false, false, true},
      {"a.mp4.txt", false, false, false},
      {"png", false, false, false},
      {".mov", false, false, true},
      {"a.mp3", false, false, false},
      {"a.avi", false, false, false},
      {"a.apng", false, false, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(orvale::IsPictureName(row.name, false), row.jpegOnly) << row.name << " (JPEG only)";
    EXPECT_EQ(orvale::IsPictureName(row.name, true), row.allTypes) << row.name << " (all types)";
    EXPECT_EQ(orvale::IsListedName(row.name, false, false), row.jpegOnly) << row.name;
    EXPECT_EQ(orvale::IsListedName(row.name, true, false), row.allTypes) << row.name;
    EXPECT_EQ(orvale::IsListedName(row.name, false, true), row.everyKind) << row.name;
    EXPECT_EQ(orvale::IsListedName(row.name, true, true), row.allTypes || row.everyKind)
        << row.name;
  }
}

TEST(PictureListText, NamesAreScriptStringsThatNothingCanEnd) {
  const struct {
    const char* rule;
    std::string name;
    std::string content;
  } rows[] = {
      {"plain names are unchanged", "IMG_0001 (copy) #2 & 100%.jpg",
       "IMG_0001 (copy) #2 & 100%.jpg"},
      {"quote", "x\"];alert(1);x.jpg", "x\\\"];alert(1);x.jpg"},
      {"backslash", "a\\b.jpg", "a\\\\b.jpg"},
      {"end of script", "</script><script>alert(2)</script>.jpg",
       "<\\/script><script>alert(2)<\\/script>.jpg"},
      {"comment opener", "<!--<script>.jpg", "\\u003C!--<script>.jpg"},
      {"a lone < stays", "a<b.jpg", "a<b.jpg"},
      {"line breaks and controls", "a\nb\rc\td\x01\x7F.jpg", "a\\nb\\rc\\td\\u0001\\u007F.jpg"},
      {"line separators",
       "a\xE2\x80\xA8"
       "b\xE2\x80\xA9.jpg",
       "a\\u2028b\\u2029.jpg"},
      {"non-ASCII passes", "\xC3\xA9t\xC3\xA9 \xE6\x97\xA5.jpg",
       "\xC3\xA9t\xC3\xA9 \xE6\x97\xA5.jpg"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(orvale::ScriptStringContent(row.name), row.content) << row.rule;
}

TEST(PictureListText, EachNameOnItsOwnLineStartingWithALineEnd) {
  EXPECT_EQ(orvale::PictureListText({{"a.jpg"}, {"b.jpg"}}), "\r\n\"a.jpg\",\r\n\"b.jpg\",");
  EXPECT_EQ(orvale::PictureListText({{"a.jpg", "Bay \"</script>\n"}, {"b.png"}}),
            "\r\n[\"a.jpg\", \"Bay \\\"<\\/script>\\n\"],\r\n\"b.png\",")
      << "a caption makes its entry a pair, escaped as names are";
  EXPECT_EQ(orvale::PictureListText({}), "");
}

TEST(PageText, BytesThatAreNotUtf8BecomeQuestionMarks) {
  const struct {
    const char* rule;
    std::string name;
    std::string text;
  } rows[] = {
      {"valid UTF-8", "\xC3\xA9\xF0\x9F\x98\x80.jpg", "\xC3\xA9\xF0\x9F\x98\x80.jpg"},
      {"Latin-1 byte", "caf\xE9.jpg", "caf?.jpg"},
      {"truncated sequence at the end", "a\xE6\x97", "a??"},
      {"overlong slash", "\xC0\xAF.jpg", "??.jpg"},
      {"surrogate", "\xED\xA0\x80.jpg", "???.jpg"},
      {"past the last code point", "\xF4\x90\x80\x80", "????"},
  };
  for (const auto& row : rows) EXPECT_EQ(orvale::ToPageText(row.name), row.text) << row.rule;
}
