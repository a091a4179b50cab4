#pragma once
// Text for the manual pages: escaping for roff, so a help text shows as it is written.
#include <string>
#include <string_view>

namespace ax7::docs {

// Escapes backslashes and hyphens; a line that would start with a roff control character is
// protected. Newlines are kept.
std::string roffEscape(std::string_view text);

// groff breaks lines only at spaces, which Chinese text has none of: marks a break point after
// every Chinese character and full-width punctuation mark (three-byte UTF-8), outside request
// lines and before punctuation. Such a page is best set flush left (".ad l"), as there are no
// spaces to stretch.
std::string withChineseBreaks(const std::string& page);

}  // namespace ax7::docs
