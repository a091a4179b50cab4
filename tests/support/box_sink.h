#pragma once
// A frame sink that hands every report straight to a simulated box, in order, and keeps them.
#include <vector>

#include "device/frame_sink.h"
#include "sim/sim_box.h"

namespace ax7::test {

class BoxSink final : public FrameSink {
 public:
  explicit BoxSink(sim::SimBox& box) : box_(box) {}
  int send(const Report& r, MergeKey) override {
    sent.push_back(r);
    box_.handle(r);
    return int(kReportSize);
  }
  void pause(int) override {}
  void phase(const char*) override {}
  std::vector<Report> sent;

 private:
  sim::SimBox& box_;
};

}  // namespace ax7::test
