#pragma once
// The names of settings and the words of their values as a person reads them, in Chinese and
// English: "Mic A EQ band 3 gain" / "话筒A 均衡 第3段 增益", "CH-L delay" / "前置左 延时".
// Parameter names come from the parameter table; the EQ sets, channels and room places are
// named here.
#include <string>

#include "history/settings_diff.h"

namespace ax7::history {

enum class DiffLanguage { English, Chinese };

// The setting's name as a person reads it.
std::string NameOf(const Difference& d, DiffLanguage language);
// A Difference's value (from, to) in the language: the English value words ("on", "muted",
// "PEQ", ...) become their Chinese ones; numbers and units stay.
std::string ValueText(const std::string& value, DiffLanguage language);
// The output channel 0..7's short name in English ("CH-L"), as values show it; empty for any
// other channel.
const char* ChannelNameEnglish(int channel);

}  // namespace ax7::history
