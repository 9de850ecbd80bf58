#include <gtest/gtest.h>

#include "orvale/builder/ImageCollection.h"
#include "orvale/builder/PictureListText.h"

TEST(PictureName, LastThreeLettersDecide) {
  const struct {
    const char* name;
    bool jpegOnly;
    bool allTypes;
  } rows[] = {
      {"photo.jpg", true, true},
      {"PHOTO.JPG", true, true},
      {"photo.jpeg", true, true},
      {"clip.mpeg", true, true},
      {"jpg", true, true},
      {"xjPg", true, true},
      {"notes.jpg.txt", false, false},
      {"scan.tiff", false, false},
      {"scan.tif", false, true},
      {"Scan.TIF", false, true},
      {"a.bmp", false, true},
      {"a.GiF", false, true},
      {"pg", false, false},
      {"", false, false},
      {"a.png", false, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(orvale::IsPictureName(row.name, false), row.jpegOnly) << row.name << " (JPEG only)";
    EXPECT_EQ(orvale::IsPictureName(row.name, true), row.allTypes) << row.name << " (all types)";
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
  EXPECT_EQ(orvale::PictureListText({"a.jpg", "b.jpg"}), "\r\n\"a.jpg\",\r\n\"b.jpg\",");
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
