// Numbers as measurement tools write them in any locale.
#pragma once

#include <optional>
#include <string>

namespace ax7::eqx {

// Reads a decimal number written with a point or a comma as the decimal mark and a point, a
// comma, a no-break, narrow no-break or thin space (Latin-1 0xA0 or UTF-8) or an apostrophe
// grouping thousands:
// "50,0", "1.234,5", "1,234.5", "1\xA0000". A frequency with one point and exactly three digits
// after it ("8.000") is a thousands group, as Equalizer APO and German-locale exports mean it;
// for other values a point is always the decimal mark ("Q 4.209"). Nothing for anything else.
std::optional<double> parseLocaleNumber(const std::string& token, bool frequency);

// Writes a number with a point, at most `decimals` decimals and no trailing zeros. A frequency
// is never written in a form the reader above would take for a thousands group: one that would
// show exactly three decimals gets a fourth ("1234.5670", never "1234.567").
std::string formatNumber(double value, int decimals, bool frequency = false);

}  // namespace ax7::eqx
