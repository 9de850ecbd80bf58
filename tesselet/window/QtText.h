#pragma once

#include <QString>
#include <string>

namespace tesselet {

// Texts go between the window's controls and the logic as UTF-8 bytes.
inline QString ToQString(const std::string& bytes) {
  return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

inline std::string ToBytes(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace tesselet
