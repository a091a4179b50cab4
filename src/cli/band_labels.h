#pragma once
// Where each of the 178 band records of the box image belongs, for people reading a dump.
#include <string>

namespace ax7::cli {

struct BandLabel {
  int eqSet = -1;    // EQ set 0..14, -1 for an output channel's split filters
  std::string name;  // "microphone A", "output CH3", "output CH3 split", ...
  int band = 0;      // band number within that name
};

BandLabel bandLabel(int record);

// Names of the room's eight speakers, in room block order.
extern const char* const kSpeakerNames[8];

}  // namespace ax7::cli
