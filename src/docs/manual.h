#pragma once
// The manual pages of both programs, made from the tables their --help is made from: ax7ctl's
// global options and command table, ax7-control's option table. A command or option added
// there appears here without another edit. Each page exists in English and in Chinese; the
// option and command texts are the programs' own, as --help prints them.
#include <string>

namespace ax7::docs {

struct InstallPaths {
  std::string version;       // "0.1.0"
  std::string udevRulesDir;  // where the package puts the udev rule
  std::string udevRule;      // the rule's text
};

enum class ManualLanguage { English, Chinese };

std::string ax7ctlManual(const InstallPaths& paths, ManualLanguage language);
std::string desktopManual(const InstallPaths& paths, ManualLanguage language);

}  // namespace ax7::docs
