// Settings by name as a script or the network sends them: one NAME=VALUE per line. Whatever is
// accepted lies in its name's range and goes through the encoders without harm; whatever is
// refused says why in one line.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "device/commands.h"
#include "device/eq_senders.h"
#include "device/named_values.h"
#include "params/defaults.h"
#include "sim/sim_backend.h"
#include "support/counting_sink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ax7;
  std::vector<std::pair<std::string, InputValue>> pairs;
  std::string line;
  auto take = [&] {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) {
      pairs.emplace_back(line, InputValue(0.0));
    } else {
      pairs.emplace_back(line.substr(0, eq), InputValue(line.substr(eq + 1)));
    }
    line.clear();
  };
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') {
      take();
    } else {
      line += char(data[i]);
    }
  }
  if (!line.empty()) take();

  std::vector<NamedValue> values;
  std::string error;
  if (!CheckNamedValues(pairs, &values, &error)) {
    if (error.empty() || error.find('\n') != std::string::npos || !values.empty()) std::abort();
    return 0;
  }
  for (const NamedValue& v : values) {
    if (!std::isfinite(v.value) || v.value < v.name->minimum - 1e-9 ||
        v.value > v.name->maximum + 1e-9) {
      std::abort();
    }
  }
  VirtualClock clock;
  sim::SimBackend backend{clock};
  ParameterMemory mem;
  InitParameterMemory(mem);
  UsbLink link{backend, clock, mem.dev};
  test::CountingSink sink;
  Commands cmd{mem, link, clock, &sink};
  EqSenders eq{cmd};
  if (!CheckAgainstMemory(mem, values, &error)) return 0;
  ApplyNamedValues(cmd, eq, values);
  for (const NamedValue& v : values) {
    // What was stored reads back as a number the names show.
    if (FormatNamedValue(*v.name, ReadNamedValue(mem, *v.name)).empty()) std::abort();
  }
  return 0;
}
