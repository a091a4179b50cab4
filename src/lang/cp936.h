#pragma once
// Code page 936 (GBK): the encoding of the language tables.
#include <string>
#include <string_view>

namespace ax7::lang {

// Decodes code page 936 bytes to UTF-8. A byte that cannot start a character there becomes
// U+FFFD and decoding goes on with the next byte, so a broken double-byte character never
// swallows the line end behind it.
std::string DecodeCp936(std::string_view bytes);

}  // namespace ax7::lang
