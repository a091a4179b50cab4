#pragma once
// The order in which a full PC-to-box write sends the parameters, one step at a time. The full
// write walks it, and the write of differences walks it too, sending only the steps that
// differ, so both send what they share in the same order with the same reports.
#include <cstdint>
#include <utility>
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

// PC words a step's reports are made from (and that its send may fix up).
std::vector<int> StepWords(const WriteStep& step);
// Box memory (address, length) a step owns besides its words: a channel's split records travel
// with its delay mode, the channel's entry of the room trim block with its trim.
std::vector<std::pair<int, int>> StepBoxBytes(const WriteStep& step);

}  // namespace ax7
