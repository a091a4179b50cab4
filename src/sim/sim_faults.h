#pragma once
// Faults the simulated box can be told to show, for tests and for `ax7ctl --device sim`.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ax7::sim {

struct SimFaults {
  bool silent = false;               // receives and acts, never answers
  std::optional<std::string> model;  // module name in the 0x80 answer
  std::optional<int> version;        // protocol version in the 0x7F answer
  int paramErrorStatus = 0;          // status byte of every 0x0A answer
  // Disappears once it has received this many reports (-1: never); the last of them is
  // taken but not answered, and with 0 the first write already fails.
  int unplugAfter = -1;
  // A box gone by unplugAfter comes back this long after (-1: never); once: it then stays.
  int replugAfterMs = -1;
  int garbagePercent = 0;  // share of answers replaced by random reports
  int latencyMs = 0;       // every answer leaves this long after its request
  int learnDelayMs = -1;   // a learned key code comes this long after 0x60 (-1: 500 ms)
  bool noLearn = false;    // learns, but no key is ever pressed on the remote
  // The Z-Wave module: says nothing at all; nodes that take radio frames but never report a
  // value; plugs that join or leave on their own shortly after each connection.
  bool zwaveSilentModule = false;
  std::vector<int> zwaveSilentNodes;
  std::vector<int> zwaveAdded;
  std::vector<int> zwaveRemoved;
};

// Every fault as ParseSimFault takes it, the value named in capitals ("model=NAME"); the
// manual page and the shell completion list them from here.
const std::vector<std::string_view>& SimFaultForms();
// How long after a connection the module reports plugs joining or leaving.
constexpr int kZWaveUnsolicitedDelayMs = 1000;

// One fault: "silent", "model=NAME", "version=N" (0..255), "param-error=STATUS" (0..255),
// "unplug-after=N" (N >= 0), "replug-after=MS" (0..3600000), "garbage=P" (0..100), "latency=MS" (0..60000),
// "no-learn", "learn-delay=MS" (0..3600000), "zwave-silent-module", "zwave-silent-node=N",
// "zwave-add=N" or "zwave-remove=N" (plug node ids 2..232; the node faults may be given more
// than once). Numbers are
// decimal or 0x-prefixed hexadecimal. On failure `faults` is unchanged and *error (when
// given) says why in one line.
bool ParseSimFault(std::string_view spec, SimFaults& faults, std::string* error);

}  // namespace ax7::sim
