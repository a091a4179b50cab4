#include "sim/sim_faults.h"

#include <charconv>

namespace ax7::sim {

namespace {

constexpr size_t kMaxModelChars = 58;  // what one 0x80 answer carries

bool parseNumber(std::string_view text, long min, long max, int& out) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max)
    return false;
  out = int(value);
  return true;
}

bool fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

}  // namespace

const std::vector<std::string_view>& SimFaultForms() {
  static const std::vector<std::string_view> forms = {
      "silent",         "model=NAME", "version=N",  "param-error=STATUS",
      "unplug-after=N", "replug-after=MS", "garbage=P",  "latency=MS", "no-learn", "learn-delay=MS",
      "zwave-silent-module", "zwave-silent-node=N", "zwave-add=N", "zwave-remove=N",
  };
  return forms;
}

bool ParseSimFault(std::string_view spec, SimFaults& faults, std::string* error) {
  const size_t eq = spec.find('=');
  const std::string_view key = spec.substr(0, eq);
  const bool hasValue = eq != std::string_view::npos;
  const std::string_view value = hasValue ? spec.substr(eq + 1) : std::string_view();

  if (key == "silent") {
    if (hasValue) return fail(error, "sim fault 'silent' takes no value");
    faults.silent = true;
    return true;
  }
  if (key == "no-learn") {
    if (hasValue) return fail(error, "sim fault 'no-learn' takes no value");
    faults.noLearn = true;
    return true;
  }
  if (key == "model") {
    if (!hasValue) return fail(error, "sim fault 'model' needs a name: model=NAME");
    if (value.size() > kMaxModelChars)
      return fail(error, "sim fault 'model': name longer than 58 characters");
    faults.model = std::string(value);
    return true;
  }

  if (key == "zwave-silent-module") {
    if (hasValue) return fail(error, "sim fault 'zwave-silent-module' takes no value");
    faults.zwaveSilentModule = true;
    return true;
  }
  struct NodeFault {
    std::string_view key;
    std::vector<int> SimFaults::*nodes;
  };
  static const NodeFault kNodeFaults[] = {
      {"zwave-silent-node", &SimFaults::zwaveSilentNodes},
      {"zwave-add", &SimFaults::zwaveAdded},
      {"zwave-remove", &SimFaults::zwaveRemoved},
  };
  for (const NodeFault& f : kNodeFaults) {
    if (key != f.key) continue;
    int node = 0;
    if (!hasValue || !parseNumber(value, 2, 232, node))
      return fail(error, "sim fault '" + std::string(f.key) + "' needs a plug node id 2..232");
    (faults.*f.nodes).push_back(node);
    return true;
  }

  struct NumericFault {
    std::string_view key;
    long min, max;
    const char* range;
    int SimFaults::*field;
  };
  static const NumericFault kNumeric[] = {
      {"param-error", 0, 255, "0..255", &SimFaults::paramErrorStatus},
      {"unplug-after", 0, 1000000000, "a count of 0 or more", &SimFaults::unplugAfter},
      {"replug-after", 0, 3600000, "0..3600000 (ms)", &SimFaults::replugAfterMs},
      {"garbage", 0, 100, "0..100 (percent)", &SimFaults::garbagePercent},
      {"latency", 0, 60000, "0..60000 (ms)", &SimFaults::latencyMs},
      {"learn-delay", 0, 3600000, "0..3600000 (ms)", &SimFaults::learnDelayMs},
  };
  int number = 0;
  if (key == "version") {
    if (!hasValue || !parseNumber(value, 0, 255, number))
      return fail(error, "sim fault 'version' needs a number 0..255: version=N");
    faults.version = number;
    return true;
  }
  for (const NumericFault& f : kNumeric) {
    if (key != f.key) continue;
    if (!hasValue || !parseNumber(value, f.min, f.max, number))
      return fail(error, "sim fault '" + std::string(f.key) + "' needs a number, " + f.range);
    faults.*f.field = number;
    return true;
  }
  std::string known;
  for (std::string_view form : SimFaultForms()) {
    known += (known.empty() ? "" : ", ") + std::string(form);
  }
  return fail(error, "unknown sim fault '" + std::string(spec) + "' (known: " + known + ")");
}

}  // namespace ax7::sim
