#pragma once
// Observes every report crossing the transport, and the start of the long operations, for
// `--trace` files and for tests.
#include <string_view>

#include "device/report.h"

namespace ax7 {

class ReportTrace {
 public:
  virtual ~ReportTrace() = default;
  virtual void written(const Report& report) = 0;
  virtual void read(const Report& report) = 0;
  virtual void phase(std::string_view name) = 0;
};

}  // namespace ax7
