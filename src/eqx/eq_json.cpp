// This program's own EQ set JSON: {"api_version": 1, "set", "bands": [{band, type, frequency,
// gain_db, q}]}. Bands keep their positions and type codes, so a set comes back as it left.
#include <nlohmann/json.hpp>

#include "eqx/filters.h"

namespace ax7::eqx {

namespace {

// The parser recurses once per level: a file of a million '[' must be refused before it.
bool nestingWithin(const std::string& text, int limit) {
  int depth = 0;
  bool inString = false, escaped = false;
  for (char c : text) {
    if (inString) {
      if (escaped)
        escaped = false;
      else if (c == '\\')
        escaped = true;
      else if (c == '"')
        inString = false;
      continue;
    }
    if (c == '"')
      inString = true;
    else if (c == '[' || c == '{') {
      if (++depth > limit) return false;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return true;
}

}  // namespace

ReadResult readEqJson(const std::string& text) {
  ReadResult result;
  result.eq.format = Format::Json;
  if (!nestingWithin(text, 16)) {
    result.error = "JSON nested more than 16 levels";
    return result;
  }
  nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
  if (j.is_discarded() || !j.is_object()) {
    result.error = "not readable as JSON";
    return result;
  }
  const auto api = j.find("api_version");
  if (api == j.end() || !api->is_number_integer() || api->get<long long>() != 1) {
    result.error = "JSON without \"api_version\": 1";
    return result;
  }
  const auto bands = j.find("bands");
  if (bands == j.end() || !bands->is_array()) {
    result.error = "JSON without a \"bands\" list";
    return result;
  }
  if (const auto p = j.find("preamp_db"); p != j.end() && p->is_number()) {
    result.eq.preampDb = p->get<double>();
  }
  int index = 0;
  for (const nlohmann::json& b : *bands) {
    FileFilter f;
    f.text = "bands[" + std::to_string(index) + "]";
    auto num = [&](const char* key) -> std::optional<double> {
      if (!b.is_object()) return std::nullopt;
      const auto it = b.find(key);
      if (it == b.end() || !it->is_number()) return std::nullopt;
      return it->get<double>();
    };
    const auto band = num("band");
    const auto type = num("type");
    const auto freq = num("frequency");
    const auto gain = num("gain_db");
    const auto q = num("q");
    if (!band || !type || !freq || !gain || !q || *band < 0 || *band > 64 ||
        *band != double(int(*band)) || *type < 0 || *type > 255 || *type != double(int(*type))) {
      result.error = f.text + ": needs whole band and type, and frequency, gain_db, q";
      return result;
    }
    f.line = int(*band);  // the band position, used by the mapping for this format
    f.boxType = int(*type);
    f.frequency = *freq;
    f.gainDb = *gain;
    f.width = Width::Q;
    f.widthValue = *q;
    switch (*f.boxType) {
      case 1:
        f.kind = FilterKind::Peaking;
        break;
      case 2:
        f.kind = FilterKind::LowPass;
        break;
      case 3:
        f.kind = FilterKind::HighPass;
        break;
      case 4:
        f.kind = FilterKind::LowShelf;
        break;
      case 5:
        f.kind = FilterKind::HighShelf;
        break;
      default:
        f.kind = FilterKind::Unsupported;
        break;
    }
    result.eq.add(f, true);
    ++index;
  }
  result.eq.noteUnread();
  result.ok = true;
  return result;
}

}  // namespace ax7::eqx
