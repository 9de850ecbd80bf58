#include "orvale/builder/PictureListText.h"

#include <cstdint>
#include <cstdio>

namespace orvale {

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0 when it is not one.
std::size_t ValidSequenceLength(const std::string& text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  std::size_t length;
  std::uint32_t code;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  // Overlong forms, surrogates and values past the last code point are not
  // characters.
  if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
      (code >= 0xD800 && code <= 0xDFFF))
    return 0;
  return length;
}

void AppendUnicodeEscape(std::string& out, unsigned code) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "\\u%04X", code);
  out += buffer;
}

}  // namespace

std::string ToPageText(const std::string& name) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    const std::size_t length = ValidSequenceLength(name, i);
    if (length == 0) {
      out += '?';
      ++i;
    } else {
      out.append(name, i, length);
      i += length;
    }
  }
  return out;
}

std::string ScriptStringContent(const std::string& name) {
  std::string out;
  out.reserve(name.size() + 8);
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    const char next = i + 1 < name.size() ? name[i + 1] : '\0';
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '<':
        // "</" could close the script element and "<!" open a comment that
        // changes how the rest of the script is read.
        if (next == '/')
          out += "<\\";
        else if (next == '!')
          AppendUnicodeEscape(out, '<');
        else
          out += '<';
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          AppendUnicodeEscape(out, c);
        } else if (c == 0xE2 && i + 2 < name.size() &&
                   static_cast<unsigned char>(name[i + 1]) == 0x80 &&
                   (static_cast<unsigned char>(name[i + 2]) == 0xA8 ||
                    static_cast<unsigned char>(name[i + 2]) == 0xA9)) {
          // Line and paragraph separators end a line in older script engines.
          AppendUnicodeEscape(out,
                              static_cast<unsigned char>(name[i + 2]) == 0xA8 ? 0x2028 : 0x2029);
          i += 2;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

std::string PictureListText(const std::vector<ListedFile>& files) {
  std::string text;
  for (const auto& file : files) {
    text += "\r\n";
    if (!file.caption.empty()) text += '[';
    text += '"';
    text += ScriptStringContent(file.name);
    text += '"';
    if (!file.caption.empty()) {
      text += ", \"";
      text += ScriptStringContent(file.caption);
      text += "\"]";
    }
    text += ',';
  }
  return text;
}

}  // namespace orvale
