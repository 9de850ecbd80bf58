#pragma once

#include <QString>
#include <QUrl>
#include <string>

namespace platform {

// Texts go between the windows' controls and the logic as UTF-8 bytes.
// A byte that is not part of valid UTF-8 (a folder named on another system)
// travels as the lone surrogate U+DC80 + byte, as Python's "surrogateescape"
// does, so a path comes back from a text box byte for byte.
QString ToQString(const std::string& bytes);
std::string ToBytes(const QString& text);

// The address that hands a document to the desktop: a local file's path
// percent-encoded byte for byte, so a name that is not UTF-8 reaches the
// program that opens it unchanged; anything else taken as a web address.
QUrl DocumentUrl(const std::string& target);

}  // namespace platform
