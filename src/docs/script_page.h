#pragma once
// ax7-control-script(7): the script language of ax7-control --script, made at build time from
// the README's "Scripts" section, so the installed page says what the README says.
#include <string>

#include "docs/manual.h"

namespace ax7::docs {

// The page from the README's text; empty with *error when the README has no "### Scripts"
// section. The Chinese page has Chinese headings and says that the reference is in English.
std::string scriptManual(const std::string& readme, const std::string& version,
                         ManualLanguage language, std::string* error);

// The Markdown the README uses (paragraphs, indented code, tables, lists, `code`, *emphasis*,
// **strong**, [links](url), #### headings) as man(7) markup.
std::string markdownToRoff(const std::string& markdown);

}  // namespace ax7::docs
