// Which reader a file goes to.
#include <cctype>

#include "eqx/filters.h"
#include "eqx/text.h"

namespace ax7::eqx {

namespace {

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
  // Decoded once here: every text of the report (source lines, names, reasons) is then UTF-8,
  // whatever code page or line ends the tool that wrote the file used.
  const std::string text = normalizeLineEnds(decodeText(raw));
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
