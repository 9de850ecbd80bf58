#include <gtest/gtest.h>

#include "tesselet/window/QtText.h"

using tesselet::ToBytes;
using tesselet::ToQString;

TEST(QtText, EveryPathComesBackFromATextBoxByteForByte) {
  const struct {
    const char* rule;
    std::string bytes;
    QString shown;
  } rows[] = {
      {"plain", "/tmp/My Photos/", QStringLiteral("/tmp/My Photos/")},
      {"UTF-8 shown as its characters", "/tmp/\xC3\xA9t\xC3\xA9/", QStringLiteral("/tmp/été/")},
      {"outside the first plane", "\xF0\x9F\x93\xB7", QString::fromUtf8("\xF0\x9F\x93\xB7")},
      {"a real replacement character", "\xEF\xBF\xBD", QString(QChar(0xFFFD))},
      {"a byte that is not UTF-8", "/tmp/bad\xFFname/",
       QString("/tmp/bad") + QChar(0xDCFF) + "name/"},
      {"an overlong form", "\xC0\xAF", QString(QChar(0xDCC0)) + QChar(0xDCAF)},
      {"a sequence cut short at the end", "ok\xE2\x82",
       QString("ok") + QChar(0xDCE2) + QChar(0xDC82)},
      {"an encoded surrogate", "\xED\xB2\x80",
       QString(QChar(0xDCED)) + QChar(0xDCB2) + QChar(0xDC80)},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ToQString(row.bytes), row.shown) << row.rule;
    EXPECT_EQ(ToBytes(ToQString(row.bytes)), row.bytes) << row.rule;
  }
}
