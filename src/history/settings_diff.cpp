#include "history/settings_diff.h"

namespace ax7::history {

std::vector<Difference> DiffSettings(const ParameterMemory&, const ParameterMemory&) { return {}; }

std::vector<Difference> DiffImages(const SettingsImage&, const SettingsImage&) { return {}; }

std::string NameOf(const Difference&, DiffLanguage) { return {}; }

int WriteDifferences(Commands&, EqSenders&, const ParameterMemory&) { return 0; }

int WriteDifferences(Commands&, EqSenders&, const SettingsImage&) { return 0; }

}  // namespace ax7::history
