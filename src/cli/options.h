#pragma once
// Global options: the words before the command name.
#include <cstdint>
#include <string>
#include <vector>

namespace ax7::cli {

// Every synchronisation gets this long by default, as long as the desktop program's progress
// dialog waits.
constexpr int64_t kDefaultSyncTimeoutMs = 30000;

enum class DeviceKind { Hid, Sim };

struct GlobalOptions {
  DeviceKind device = DeviceKind::Hid;
  std::string deviceSelector;          // --device hid:SERIAL or hid:PATH; empty: the first box
  std::string simStatePath;            // --sim-state
  int64_t simLatencyMs = 0;            // --sim-latency
  std::vector<std::string> simFaults;  // --sim-fault, in order
  std::string simSerial;               // --sim-serial; empty: the simulator's own
  std::string tracePath;               // --trace
  // --virtual-time, for tests and left out of --help: the simulated box and every wait run in
  // virtual time, so a run through the 3200 ms start wait or a silent box takes no real time.
  bool virtualTime = false;
  int64_t syncTimeoutMs = kDefaultSyncTimeoutMs;  // --timeout, per synchronisation
  bool help = false;
  bool version = false;  // --version
};

struct CommandLine {
  GlobalOptions options;
  std::string command;             // empty when none was given
  std::vector<std::string> words;  // the command's own words
};

// One global option as --help, the manual page and the shell completion describe it. `value`
// names the option's value (nullptr for a flag); `help` may hold several lines.
struct OptionDoc {
  const char* names;  // "--device" or "-h, --help"
  const char* value;
  const char* help;
};

// The global options in the order --help lists them; --virtual-time, a test aid, is left out.
const std::vector<OptionDoc>& globalOptionDocs();

// Parses the global options up to the command name. Returns false with a one-line reason on a
// usage error. Simulator-only options together with --device hid are a usage error.
bool parseCommandLine(const std::vector<std::string>& args, CommandLine* out, std::string* error);

}  // namespace ax7::cli
