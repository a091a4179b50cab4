#pragma once
// Text for the manual pages: escaping for roff, so a help text shows as it is written.
#include <string>
#include <string_view>

namespace ax7::docs {

// Escapes backslashes and hyphens; a line that would start with a roff control character is
// protected. Newlines are kept.
std::string roffEscape(std::string_view text);

}  // namespace ax7::docs
