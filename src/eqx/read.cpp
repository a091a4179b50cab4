// Which reader a file goes to.
#include <cctype>

#include "eqx/filters.h"

namespace ax7::eqx {

namespace {

// Notepad saves Equalizer APO configurations as UTF-16; the readers take 8-bit text. Characters
// above 0xFF cannot be part of anything the readers use and become '?'.
std::string fromUtf16(const std::string& bytes, bool bigEndian) {
  std::string out;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const unsigned hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
    const unsigned lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
    const unsigned c = hi << 8 | lo;
    out += c < 0x100 ? char(c) : '?';
  }
  return out;
}

bool containsLineStarting(const std::string& text, const std::string& prefix) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t b = pos;
    while (b < text.size() && (text[b] == ' ' || text[b] == '\t')) ++b;
    if (text.compare(b, prefix.size(), prefix) == 0) return true;
    const size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) break;
    pos = nl + 1;
  }
  return false;
}

}  // namespace

std::optional<Format> parseFormatName(const std::string& name) {
  if (name == "auto") return Format::Auto;
  if (name == "apo") return Format::Apo;
  if (name == "rew") return Format::Rew;
  if (name == "camilladsp") return Format::CamillaDsp;
  if (name == "biquad") return Format::Biquad;
  if (name == "json") return Format::Json;
  return std::nullopt;
}

const char* formatName(Format format) {
  switch (format) {
    case Format::Apo:
      return "apo";
    case Format::Rew:
      return "rew";
    case Format::CamillaDsp:
      return "camilladsp";
    case Format::Biquad:
      return "biquad";
    case Format::Json:
      return "json";
    default:
      return "auto";
  }
}

ReadResult readEqFile(const std::string& raw, const ReadOptions& options) {
  std::string text = raw;
  if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
      static_cast<unsigned char>(text[1]) == 0xFE) {
    text = fromUtf16(text, false);
  } else if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFE &&
             static_cast<unsigned char>(text[1]) == 0xFF) {
    text = fromUtf16(text, true);
  } else if (text.rfind("\xEF\xBB\xBF", 0) == 0) {
    text.erase(0, 3);
  }
  if (text.find('\0') != std::string::npos) {
    ReadResult r;
    r.error = "binary data: not an EQ text file";
    return r;
  }
  Format format = options.format;
  if (format == Format::Auto) {
    size_t first = 0;
    while (first < text.size() && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
    std::string head = text.substr(first, 16);
    for (char& c : head) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (first < text.size() && text[first] == '{')
      format = Format::Json;
    else if (head.rfind("biquad", 0) == 0)
      format = Format::Biquad;
    else if (text.find("Filter Settings file") != std::string::npos ||
             text.find("Room EQ V") != std::string::npos)
      format = Format::Rew;
    else if (containsLineStarting(text, "Filter") || containsLineStarting(text, "Preamp:") ||
             containsLineStarting(text, "GraphicEQ:"))
      format = Format::Apo;
    else if (containsLineStarting(text, "filters:"))
      format = Format::CamillaDsp;
    else {
      ReadResult r;
      r.error = "not a recognised EQ file (Equalizer APO, REW, CamillaDSP, biquad text or JSON)";
      return r;
    }
  }
  switch (format) {
    case Format::Json:
      return readEqJson(text);
    case Format::Biquad:
      return readBiquadText(text);
    case Format::CamillaDsp:
      return readCamillaYaml(text, options.channel);
    default:
      return readApoText(text, format, options.channel);
  }
}

}  // namespace ax7::eqx
