#include "cli/options.h"

#include "cli/args.h"
#include "sim/sim_faults.h"

namespace ax7::cli {

namespace {

bool takeValue(const std::vector<std::string>& args, size_t& i, const std::string& name,
               std::string* value, std::string* error) {
  const std::string& word = args[i];
  if (word.size() > name.size() && word[name.size()] == '=') {
    *value = word.substr(name.size() + 1);
    return true;
  }
  if (i + 1 >= args.size()) {
    *error = "option " + name + " needs a value";
    return false;
  }
  *value = args[++i];
  return true;
}

bool matches(const std::string& word, const std::string& name) {
  return word == name || (word.rfind(name + "=", 0) == 0);
}

// The faults the simulator takes, from its own list, in lines that fit beside the option.
const std::string& simFaultHelp() {
  static const std::string text = [] {
    std::string help = "(sim, repeatable)";
    size_t lineStart = 0;
    for (std::string_view form : sim::SimFaultForms()) {
      const bool first = help.back() == ')';
      if (help.size() - lineStart + form.size() + 2 > 70) {
        help += first ? "\n" : ",\n";
        lineStart = help.size();
      } else {
        help += first ? " " : ", ";
      }
      help += form;
    }
    return help;
  }();
  return text;
}

}  // namespace

const std::vector<OptionDoc>& globalOptionDocs() {
  static const std::vector<OptionDoc> docs = {
      {"--device", "sim|hid|hid:SERIAL|hid:PATH",
       "the box to talk to (default hid: the first real box found over USB;\n"
       "hid:SERIAL or hid:PATH: the box with that serial number or HID path,\n"
       "as ax7ctl list shows them)"},
      {"--trace", "FILE", "write every report and the start of each long operation to FILE"},
      {"--timeout", "SECONDS", "limit for each synchronisation with the box (default 30)"},
      {"--sim-state", "FILE", "(sim) the simulated box starts with the settings of mode file FILE"},
      {"--sim-latency", "MS", "(sim) answer delay per report (default 0)"},
      {"--sim-fault", "SPEC", simFaultHelp().c_str()},
      {"--sim-serial", "SERIAL", "(sim) the serial number the simulated box reports (default SIM0001)"},
      {"-h, --help", nullptr, "this text"},
      {"--version", nullptr, "print the version"},
  };
  return docs;
}

bool parseCommandLine(const std::vector<std::string>& args, CommandLine* out, std::string* error) {
  GlobalOptions& o = out->options;
  bool simOnlyGiven = false;
  std::string simOnlyName;
  bool deviceGiven = false;
  size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word.empty() || word[0] != '-') break;
    std::string value;
    if (word == "-h" || word == "--help") {
      o.help = true;
    } else if (word == "--version") {
      o.version = true;
    } else if (matches(word, "--device")) {
      if (!takeValue(args, i, "--device", &value, error)) return false;
      if (deviceGiven) {
        *error = "option --device given twice";
        return false;
      }
      deviceGiven = true;
      if (value == "sim") {
        o.device = DeviceKind::Sim;
      } else if (value == "hid") {
        o.device = DeviceKind::Hid;
      } else if (value.rfind("hid:", 0) == 0 && value.size() > 4) {
        o.device = DeviceKind::Hid;
        o.deviceSelector = value.substr(4);
      } else {
        *error = "--device must be sim, hid, hid:SERIAL or hid:PATH, not '" + value + "'";
        return false;
      }
    } else if (matches(word, "--sim-state")) {
      if (!takeValue(args, i, "--sim-state", &value, error)) return false;
      o.simStatePath = value;
      simOnlyGiven = true;
      simOnlyName = "--sim-state";
    } else if (matches(word, "--sim-latency")) {
      if (!takeValue(args, i, "--sim-latency", &value, error)) return false;
      auto ms = parseInteger(value);
      if (!ms || *ms < 0 || *ms > 60000) {
        *error = "--sim-latency takes milliseconds 0..60000, not '" + value + "'";
        return false;
      }
      o.simLatencyMs = *ms;
      simOnlyGiven = true;
      simOnlyName = "--sim-latency";
    } else if (matches(word, "--sim-fault")) {
      if (!takeValue(args, i, "--sim-fault", &value, error)) return false;
      o.simFaults.push_back(value);
      simOnlyGiven = true;
      simOnlyName = "--sim-fault";
    } else if (matches(word, "--sim-serial")) {
      if (!takeValue(args, i, "--sim-serial", &value, error)) return false;
      if (value.empty() || value.size() > 126) {
        *error = "--sim-serial takes 1 to 126 characters";
        return false;
      }
      o.simSerial = value;
      simOnlyGiven = true;
      simOnlyName = "--sim-serial";
    } else if (word == "--virtual-time") {
      o.virtualTime = true;
      simOnlyGiven = true;
      simOnlyName = "--virtual-time";
    } else if (matches(word, "--trace")) {
      if (!takeValue(args, i, "--trace", &value, error)) return false;
      if (value.empty()) {
        *error = "--trace needs a file name";
        return false;
      }
      o.tracePath = value;
    } else if (matches(word, "--timeout")) {
      if (!takeValue(args, i, "--timeout", &value, error)) return false;
      auto seconds = parseDouble(value);
      if (!seconds || *seconds <= 0 || *seconds > 24 * 3600) {
        *error = "--timeout takes seconds above 0, not '" + value + "'";
        return false;
      }
      o.syncTimeoutMs = int64_t(*seconds * 1000 + 0.5);
      if (o.syncTimeoutMs < 1) o.syncTimeoutMs = 1;
    } else {
      *error = "unknown global option " + word;
      return false;
    }
  }
  if (simOnlyGiven && o.device != DeviceKind::Sim) {
    *error = simOnlyName + " needs --device sim";
    return false;
  }
  if (i < args.size()) {
    out->command = args[i];
    out->words.assign(args.begin() + long(i) + 1, args.end());
  }
  return true;
}

}  // namespace ax7::cli
