#include "docs/roff.h"

namespace ax7::docs {

std::string roffEscape(std::string_view text) {
  std::string out;
  bool lineStart = true;
  for (char c : text) {
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    lineStart = c == '\n';
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
  }
  return out;
}

std::string withChineseBreaks(const std::string& page) {
  std::string out;
  bool request = true;
  for (size_t i = 0; i < page.size(); ++i) {
    if (i == 0 || page[i - 1] == '\n') request = page[i] == '.';
    const auto lead = static_cast<unsigned char>(page[i]);
    if (request) {
      out += page[i];
      continue;
    }
    if (lead >= 0xE2 && lead <= 0xEF && i + 2 < page.size()) {
      out.append(page, i, 3);
      i += 2;
      // No break before a full-width punctuation mark: it must not start a line.
      const bool punctuationNext =
          i + 3 < page.size() && (static_cast<unsigned char>(page[i + 1]) == 0xEF ||
                                  page.compare(i + 1, 2, "\xE3\x80") == 0);
      if (lead != 0xE2 && !punctuationNext) out += "\\:";
      continue;
    }
    out += page[i];
  }
  return out;
}

}  // namespace ax7::docs
