#pragma once
// A frame sink that only counts the reports it is handed (aborting on one that is not a report),
// for fuzz targets that run the encoders without a box.
#include <cstdlib>

#include "device/frame_sink.h"

namespace ax7::test {

class CountingSink final : public FrameSink {
 public:
  int send(const Report& r, MergeKey) override {
    if (r[0] != 0x02) std::abort();
    ++count;
    return int(kReportSize);
  }
  void pause(int) override {}
  void phase(const char*) override {}
  int count = 0;
};

}  // namespace ax7::test
