// Language tables are read from resources today, but a table is an ordinary INI text that a
// translator edits: no byte sequence may crash the reader, every value it returns must be
// valid UTF-8 within the length limit, and every key it lists must be found again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "lang/cp936.h"
#include "lang/language_table.h"

namespace {

// Counts the characters of a UTF-8 text; -1 when it is not valid UTF-8.
long Utf8Length(std::string_view s) {
  long count = 0;
  for (std::size_t i = 0; i < s.size(); ++count) {
    const auto lead = static_cast<unsigned char>(s[i]);
    const std::size_t length = lead < 0x80         ? 1
                               : lead >> 5 == 0x6  ? 2
                               : lead >> 4 == 0xE  ? 3
                               : lead >> 3 == 0x1E ? 4
                                                   : 0;
    if (length == 0 || i + length > s.size()) return -1;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return -1;
    }
    i += length;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (Utf8Length(ax7::lang::DecodeCp936(bytes)) < 0) std::abort();

  const ax7::lang::LanguageTable table(bytes);
  for (const std::string& key : table.keys()) {
    if (!table.contains(key)) std::abort();
    const long length = Utf8Length(table.value(key));
    if (length < 0 || length > static_cast<long>(ax7::lang::LanguageTable::kMaxValueLength)) {
      std::abort();
    }
  }
  (void)table.title(313);
  (void)table.caption(385, 1054);
  return 0;
}
