#include "mqtt/topics.h"

namespace ax7::mqtt {

namespace {

bool topicSafe(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

std::string_view trimmed(std::string_view s) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && space(s.front())) s.remove_prefix(1);
  while (!s.empty() && space(s.back())) s.remove_suffix(1);
  return s;
}

Command refused(std::string name, std::string why) {
  Command c;
  c.kind = Command::Kind::Refused;
  c.name = std::move(name);
  c.error = std::move(why) + "; nothing changed";
  return c;
}

// Bars of the window's five-step display ("■■■__" is three).
int barCount(const server::Json& text) {
  if (!text.is_string()) return 0;
  const std::string& s = text.get_ref<const std::string&>();
  static const std::string kBar = "■";
  int n = 0;
  for (size_t at = s.find(kBar); at != std::string::npos; at = s.find(kBar, at + kBar.size())) {
    ++n;
  }
  return n;
}

}  // namespace

std::string BoxId(std::string_view serial) {
  if (serial.empty()) return "unknown";
  std::string id(serial);
  for (char& c : id) {
    if (!topicSafe(c)) c = '_';
  }
  return id;
}

bool CheckTopicPrefix(std::string_view prefix, std::string* why) {
  if (prefix.empty()) {
    *why = "an empty topic prefix";
    return false;
  }
  if (prefix.find_first_of("+#") != std::string_view::npos ||
      prefix.find('\0') != std::string_view::npos) {
    *why = "a topic prefix may hold no '+', '#' or NUL";
    return false;
  }
  if (prefix.front() == '/' || prefix.back() == '/' || prefix.find("//") != std::string_view::npos) {
    *why = "a topic prefix may have no empty level";
    return false;
  }
  return true;
}

BoxTopics::BoxTopics(std::string_view prefix, std::string_view boxId)
    : base(std::string(prefix) + "/" + std::string(boxId)) {}

std::string BoxTopics::state(std::string_view name) const {
  return base + "/state/" + std::string(name);
}

std::string BoxTopics::set(std::string_view name) const {
  return base + "/set/" + std::string(name);
}

Command ParseCommand(const BoxTopics& topics, std::string_view topic, std::string_view payload,
                     bool retained) {
  const std::string head = topics.base + "/set/";
  if (topic.size() <= head.size() || topic.substr(0, head.size()) != head) return {};
  std::string name(topic.substr(head.size()));
  if (name.find('/') != std::string::npos) return {};
  if (retained) return refused(name, "a retained command is never applied (clear it on the broker)");
  if (payload.size() > kMaxCommandBytes) {
    return refused(name, "a payload of " + std::to_string(payload.size()) + " bytes (" +
                             std::to_string(kMaxCommandBytes) + " at most)");
  }
  const std::string_view text = trimmed(payload);
  if (text.empty()) return refused(name, "an empty payload");
  if (name == kModeTopicName) {
    std::string_view m = text;
    if (m.size() == 2 && (m[0] == 'M' || m[0] == 'm')) m.remove_prefix(1);
    if (m.size() != 1 || m[0] < '1' || m[0] > '4') {
      return refused(name, "mode takes M1..M4 (or 1..4), not '" + std::string(text) + "'");
    }
    Command c;
    c.kind = Command::Kind::Mode;
    c.name = std::move(name);
    c.mode = m[0] - '0';
    return c;
  }
  Command c;
  c.kind = Command::Kind::Values;
  c.name = name;
  c.values.emplace_back(name, InputValue(std::string(text)));
  // The checks that need no box, so a bad command is answered without asking it.
  std::vector<NamedValue> checked;
  std::string why;
  if (!CheckNamedValues(c.values, &checked, &why)) return refused(std::move(name), why);
  return c;
}

std::string StateText(const server::Json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_null()) return "";
  return server::dumpJson(value);
}

std::string ModeText(int mode) { return "M" + std::to_string(mode); }

server::Json StatusDocument(const server::Json& status) {
  server::Json doc = status;
  if (!doc.is_object()) return server::Json::object();
  auto wireless = doc.find("wireless");
  if (wireless == doc.end() || !wireless->is_array()) return doc;
  for (server::Json& mic : *wireless) {
    if (!mic.is_object()) continue;
    mic["rf_percent"] = 20 * barCount(mic.value("rf_bars", server::Json()));
    const server::Json battery = mic.value("battery_bars", server::Json());
    mic["battery_percent"] = battery.is_null() ? server::Json(nullptr)
                                               : server::Json(20 * barCount(battery));
  }
  return doc;
}

std::string ErrorPayload(std::string_view topic, const std::string& why) {
  server::Json doc = server::Json::object();
  doc["topic"] = std::string(topic);
  doc["error"] = why;
  return server::dumpJson(doc);
}

}  // namespace ax7::mqtt
