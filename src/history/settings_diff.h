#pragma once
// Two complete settings compared by name and value: what differs, in the order a full write
// sends it, with both values as a person reads them.
#include <cstdint>
#include <string>
#include <vector>

#include "history/settings_image.h"
#include "params/memory.h"
#include "params/param_table.h"

namespace ax7::history {

// One setting that differs. Parameters compare per instance (a per-input or per-channel
// parameter is one difference per input or channel); band records per field, so a band whose
// gain and Q changed gives two differences; the room trim per channel; the room block per entry.
struct Difference {
  enum class Kind : uint8_t { Param, Band, RoomTrim, RoomBlock };
  enum class BandField : uint8_t { None, Type, Gain, Frequency, Q };
  Kind kind = Kind::Param;
  Param param{};     // Kind::Param
  int instance = 0;  // Kind::Param: input or channel, 0 for the others; Kind::RoomTrim: channel
  int set = -1;      // Kind::Band: EQ set 0..14
  int band = -1;     // Kind::Band: band within the set (0-based)
  BandField field = BandField::None;
  int entry = -1;        // Kind::RoomBlock: byte/word index in the room block
  std::string from, to;  // the two values as a person reads them ("-3.5 dB", "1000 Hz", "on")

  bool operator==(const Difference&) const = default;
};

// Everything that differs between `from` and `to`, in the order the PC-to-box synchronisation
// sends it (parameters, then band records by EQ set, then room trim and block).
std::vector<Difference> DiffSettings(const ParameterMemory& from, const ParameterMemory& to);
std::vector<Difference> DiffImages(const SettingsImage& from, const SettingsImage& to);

}  // namespace ax7::history
