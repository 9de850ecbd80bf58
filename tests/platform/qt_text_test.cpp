#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QObject>

#include "platform/QtHostServices.h"
#include "platform/QtText.h"
#include "tests/support/QtApplicationEnvironment.h"

using platform::ToBytes;
using platform::ToQString;

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

namespace {

// Stands where the desktop's program would receive what the host opens.
class DesktopStandIn : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> received;
 public slots:
  void open(const QUrl& url) { received << url; }
};

}  // namespace

TEST(QtHostServices, TheDesktopIsHandedThePathByteForByte) {
  const struct {
    const char* rule;
    std::string target;
    QByteArray handed;
  } rows[] = {
      {"a page in a folder whose name is not UTF-8", "/tmp/caf\xE9/Index.htm",
       "file:///tmp/caf%E9/Index.htm"},
      {"UTF-8 names and the characters an address gives meaning to",
       "/tmp/\xC3\xA9t\xC3\xA9 #2 & 100% sure?/Index.htm",
       "file:///tmp/%C3%A9t%C3%A9%20%232%20%26%20100%25%20sure%3F/Index.htm"},
      {"a web address as it is", "https://example.org/a?b=1", "https://example.org/a?b=1"},
  };
  DesktopStandIn desktop;
  for (const char* scheme : {"file", "https"})
    QDesktopServices::setUrlHandler(scheme, &desktop, "open");
  platform::QtHostServices host;
  for (const auto& row : rows) {
    desktop.received.clear();
    host.openDocument(row.target, "/tmp");
    ASSERT_EQ(desktop.received.size(), 1) << row.rule;
    EXPECT_EQ(desktop.received[0].toEncoded().toStdString(), row.handed.toStdString()) << row.rule;
    if (desktop.received[0].isLocalFile()) {
      EXPECT_EQ(
          QByteArray::fromPercentEncoding(desktop.received[0].path(QUrl::FullyEncoded).toLatin1())
              .toStdString(),
          row.target)
          << row.rule << ": the path comes back from the address";
    }
  }
  for (const char* scheme : {"file", "https"}) QDesktopServices::unsetUrlHandler(scheme);
}

#include "qt_text_test.moc"
