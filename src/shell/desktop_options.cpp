#include "shell/desktop_options.h"

namespace ax7::ui {

const std::vector<DesktopOption>& desktopOptions() {
  static const std::vector<DesktopOption> options = {
      {"device", "hid|hid:SERIAL|hid:PATH|sim",
       "Box to use: hid (the first real box found, default), hid:SERIAL or hid:PATH (the box "
       "with that serial number or HID path, as ax7ctl list shows them) or sim.",
       "hid"},
      {"sim-latency", "MS", "Answer time of the simulated box (0..60000).", nullptr},
      {"sim-fault", "SPEC",
       "A fault of the simulated box, as ax7ctl --sim-fault takes it (repeatable; ax7ctl --help "
       "lists them).",
       nullptr},
      {"sim-state", "FILE",
       "The simulated box starts holding this mode file (.px44t or ax7ctl's JSON/text form).",
       nullptr},
      {"lang", "zh|en",
       "Interface language for this run (zh or en); the stored choice stays. Without it: the "
       "stored choice, else the locale.",
       nullptr},
      {"virtual-time", nullptr, "", nullptr, true},
      {"trace", "FILE", "Write every report to FILE (as ax7ctl --trace).", nullptr},
      {"script", "FILE",
       "After the first synchronisation, run the commands in FILE (see ax7-control-script(7)).",
       nullptr},
  };
  return options;
}

}  // namespace ax7::ui
