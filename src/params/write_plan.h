#pragma once
// The order in which a full PC-to-box write sends the parameters, one step at a time. The full
// write walks it, and the write of differences walks it too, sending only the steps that
// differ, so both send what they share in the same order with the same reports.
#include <cstdint>
#include <vector>

#include "params/param_table.h"

namespace ax7 {

struct WriteStep {
  enum class Kind : uint8_t {
    Param,    // one instance of a parameter
    Routing,  // both group words of one microphone input, which travel together
    Master,   // a master volume: sent only with soft start, at the end of the write
  };
  Kind kind = Kind::Param;
  Param param{};
  int instance = 0;
};

const std::vector<WriteStep>& FullWritePlan();

}  // namespace ax7
