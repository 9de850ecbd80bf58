#include "platform/QtText.h"

#include <QByteArray>

namespace platform {

namespace {

// Length of the valid UTF-8 sequence at bytes[at], or 0: the shortest run
// that Qt reads as one character and writes back unchanged.
std::size_t Utf8SequenceLength(const std::string& bytes, std::size_t at) {
  for (std::size_t length = 1; length <= 4 && at + length <= bytes.size(); ++length) {
    const QString decoded = QString::fromUtf8(bytes.data() + at, qsizetype(length));
    const bool oneCharacter =
        decoded.size() == 1 || (decoded.size() == 2 && decoded[0].isHighSurrogate());
    if (oneCharacter && decoded.toUtf8() == QByteArray(bytes.data() + at, qsizetype(length)))
      return length;
  }
  return 0;
}

}  // namespace

QString ToQString(const std::string& bytes) {
  QString text = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
  if (text.toUtf8().toStdString() == bytes) return text;
  text.clear();
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = Utf8SequenceLength(bytes, at);
    if (length == 0) {
      text += QChar(char16_t(0xDC00 | static_cast<unsigned char>(bytes[at++])));
    } else {
      text += QString::fromUtf8(bytes.data() + at, qsizetype(length));
      at += length;
    }
  }
  return text;
}

std::string ToBytes(const QString& text) {
  std::string bytes;
  qsizetype runStart = 0;
  for (qsizetype k = 0; k <= text.size(); ++k) {
    const char16_t unit = k < text.size() ? text[k].unicode() : 0;
    const bool escaped = k < text.size() && unit >= 0xDC80 && unit <= 0xDCFF &&
                         !(k > 0 && text[k - 1].isHighSurrogate());
    if (!escaped && k < text.size()) continue;
    bytes += text.mid(runStart, k - runStart).toUtf8().toStdString();
    if (escaped) bytes += static_cast<char>(unit & 0xFF);
    runStart = k + 1;
  }
  return bytes;
}

QUrl DocumentUrl(const std::string& target) {
  if (!target.starts_with('/')) return QUrl(ToQString(target));
  // The path's bytes themselves, each one that is not plain ASCII as %XX:
  // decoding them as text first would turn the others into "?".
  const QByteArray path = QByteArray::fromStdString(target).toPercentEncoding("/");
  return QUrl::fromEncoded("file://" + path, QUrl::StrictMode);
}

}  // namespace platform
