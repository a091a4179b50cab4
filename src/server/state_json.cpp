#include "server/state_json.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

#include "device/status_text.h"
#include "dsp/response.h"

namespace ax7::server {

namespace {

Json wirelessJson(const std::array<uint8_t, kLiveStatusSize>& s, int first, bool hasBattery) {
  Json w = Json::object();
  w["rf"] = s[size_t(first)];
  w["rf_bars"] = FormatRfBars(s[size_t(first)]);
  w["af"] = s[size_t(first + 1)];
  w["af_bars"] = FormatAfBars(s[size_t(first + 1)]);
  w["channel"] = s[size_t(first + 2)];
  w["frequency"] = FormatMicFrequency(s[size_t(first + 2)]);
  w["battery"] = hasBattery ? Json(s[size_t(first + 3)]) : Json(nullptr);
  w["battery_bars"] = hasBattery ? Json(FormatBatteryBars(s[size_t(first + 3)])) : Json(nullptr);
  return w;
}

}  // namespace

Json plainJson(double v) {
  if (!std::isfinite(v)) return nullptr;
  if (v == std::trunc(v) && std::fabs(v) < 1e15) return int64_t(v);
  return v;
}

Json valueJson(const ParamName& n, double v) {
  const std::string text = FormatNamedValue(n, v);
  errno = 0;
  char* end = nullptr;
  const double number = std::strtod(text.c_str(), &end);
  const bool isNumber = !text.empty() && end == text.c_str() + text.size() && errno != ERANGE;
  if (!isNumber) return n.kind == ValueKind::Choice ? Json(text) : Json(nullptr);
  return plainJson(number);
}

Json describeJson(const ParamName& n) {
  Json p = Json::object();
  p["name"] = n.name;
  p["type"] = KindName(n.kind);
  p["unit"] = n.unit;
  p["min"] = plainJson(n.minimum);
  p["max"] = plainJson(n.maximum);
  p["step"] = n.step > 0 ? plainJson(n.step) : Json(nullptr);
  if (n.kind == ValueKind::Choice) {
    Json choices = Json::object();
    for (size_t i = 0; i < n.choices.size(); ++i) choices[n.choices[i]] = n.firstChoice + int(i);
    p["choices"] = choices;
  }
  p["instances"] = n.instances;
  p["instance"] = n.instance + 1;
  if (n.isBandField()) p["eq_set"] = EqSetPublicName(n.eqSet);
  p["block"] = n.block;
  p["index"] = n.index;
  return p;
}

Json paramsDocument() {
  Json list = Json::array();
  for (const ParamName& n : ParamNames()) list.push_back(describeJson(n));
  Json doc = apiDocument();
  doc["params"] = list;
  return doc;
}

Json valuesJson(const ParameterMemory& mem) {
  // A band's fields are read from the set as the editor loads it: once per set, not per field.
  std::map<int, std::vector<dsp::EqBand>> sets;
  Json values = Json::object();
  for (const ParamName& n : ParamNames()) {
    double v = 0;
    if (n.isBandField()) {
      auto it = sets.find(n.eqSet);
      if (it == sets.end()) it = sets.emplace(n.eqSet, LoadEditorBands(mem, n.eqSet)).first;
      v = BandFieldValue(it->second[size_t(n.instance)], n);
    } else {
      v = ReadNamedValue(mem, n);
    }
    values[n.name] = valueJson(n, v);
  }
  return values;
}

Json statusJson(const std::array<uint8_t, kLiveStatusSize>& s) {
  Json doc = Json::object();
  doc["mic_levels"] = Json::array({s[kStatusMicLevels], s[kStatusMicLevels + 1], s[kStatusMicLevels + 2],
                                   s[kStatusMicLevels + 3]});
  doc["music_levels"] = Json::array({s[kStatusMusicLevels], s[kStatusMusicLevels + 1]});
  doc["music_format"] = FormatMusicFormat(s[kStatusMusicFormat]);
  doc["music_format_flags"] = s[kStatusMusicFormat];
  doc["wireless"] =
      Json::array({wirelessJson(s, kStatusWireless1, true), wirelessJson(s, kStatusWireless2, false)});
  return doc;
}

}  // namespace ax7::server
