// The text of an EQ file as the readers take it: UTF-8 with LF line ends, whatever the tool that
// wrote it used.
#pragma once

#include <string>

namespace ax7::eqx {

// The file's bytes as UTF-8: UTF-16 (LE or BE) by its byte order mark, UTF-8 (a mark dropped)
// when every byte sequence is valid UTF-8, else Windows-1252 (a superset of Latin-1 for text;
// its five unassigned bytes are taken as Latin-1). Invalid UTF-16 becomes U+FFFD.
std::string decodeText(const std::string& bytes);

bool isValidUtf8(const std::string& text);

// CR LF and a lone CR (classic Mac OS, some exporters) become LF, so a line is a line for every
// reader and its line numbers.
std::string normalizeLineEnds(const std::string& text);

// At most `maxBytes` bytes of UTF-8 text, never ending inside a character.
std::string clipUtf8(const std::string& text, size_t maxBytes);

// ASCII white space off both ends; ASCII letters in lower case. Words of EQ files are ASCII.
std::string trim(const std::string& s);
std::string lower(std::string s);

}  // namespace ax7::eqx
