// Text typed into the delay and room pages' edit boxes, which scripts also type: whatever the
// bytes, the reading is finite and a number printed the way the pages print it reads back.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "pages/typed_number.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double v = ax7::ui::LeadingNumber(text);
  if (!std::isfinite(v)) std::abort();
  const int n = ax7::ui::LeadingInt(text);
  // Whole-number text reads the same both ways, up to the int range.
  if (std::fabs(v) < 1e9 && text.find('.') == std::string_view::npos && double(n) != v) {
    std::abort();
  }
  if (std::fabs(v) < 1e6) {
    char printed[64];
    std::snprintf(printed, sizeof printed, "%+-.1fm", v);
    const double back = ax7::ui::LeadingNumber(printed);
    if (std::fabs(back - v) > 0.05 + 1e-9) std::abort();
  }
  return 0;
}
