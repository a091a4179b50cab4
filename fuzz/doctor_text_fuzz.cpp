// The texts ax7ctl doctor reads from the system: a HID device's uevent and udev rule files.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/doctor_probe.h"
#include "cli/udev_rule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  ax7::cli::ueventNamesBox(text);
  ax7::cli::sameRuleLines(text, ax7::cli::kUdevRuleText);
  ax7::cli::sameRuleLines(text, text);
  return 0;
}
