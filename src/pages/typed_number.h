#pragma once
// Numbers typed into edit boxes (by a person or a script): the leading number of the text, as a
// person reads it. "12.5ms" is 12.5, "5m" is 5, text without a leading number is 0. Words such
// as "nan" or "inf" are no numbers here, so a typed value is always finite. No Qt here, so the
// reader can be fuzzed on its own.
#include <string_view>

namespace ax7::ui {

double LeadingNumber(std::string_view text);
// Digits only; saturates at the int range.
int LeadingInt(std::string_view text);

}  // namespace ax7::ui
