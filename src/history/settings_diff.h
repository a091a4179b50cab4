#pragma once
// Two complete settings compared by name and value, and the write that turns the box's settings
// into other settings by sending only what differs.
//
// A settings image is the bytes of a current mode file (ModeFileBytes): the PC block, the band
// records, the room trim and the room block. Images are cheap to keep (2130 bytes), so the
// journal, the A/B slots and the history all hold images.
#include <cstdint>
#include <string>
#include <vector>

#include "device/commands.h"
#include "device/eq_senders.h"
#include "params/memory.h"
#include "params/param_table.h"

namespace ax7::history {

using SettingsImage = std::vector<uint8_t>;

// The image of what memory holds now.
SettingsImage ImageOf(const ParameterMemory& mem);
// Fills `mem` from an image (as loading a mode file would); false, memory untouched, when the
// bytes are not a mode file.
bool LoadImage(ParameterMemory& mem, const SettingsImage& image);

enum class DiffLanguage { English, Chinese };

// One setting that differs. Parameters compare per instance (a per-input or per-channel
// parameter is one difference per input or channel); band records per field, so a band whose
// gain and Q changed gives two differences; the room trim per channel; the room block per entry.
struct Difference {
  enum class Kind : uint8_t { Param, Band, RoomTrim, RoomBlock };
  enum class BandField : uint8_t { None, Type, Gain, Frequency, Q };
  Kind kind = Kind::Param;
  Param param{};         // Kind::Param
  int instance = 0;      // Kind::Param: input or channel, 0 for the others; Kind::RoomTrim: channel
  int set = -1;          // Kind::Band: EQ set 0..14
  int band = -1;         // Kind::Band: band within the set (0-based)
  BandField field = BandField::None;
  int entry = -1;        // Kind::RoomBlock: byte/word index in the room block
  std::string from, to;  // the two values as a person reads them ("-3.5 dB", "1000 Hz", "on")

  bool operator==(const Difference&) const = default;
};

// Everything that differs between `from` and `to`, in the order the PC-to-box synchronisation
// sends it (parameters, then band records by EQ set, then room trim and block).
std::vector<Difference> DiffSettings(const ParameterMemory& from, const ParameterMemory& to);
std::vector<Difference> DiffImages(const SettingsImage& from, const SettingsImage& to);

// The setting's name as a person reads it: "Mic A EQ band 3 gain" / "话筒A 均衡 第3段 增益",
// "CH-L delay" / "前置左 延时".
std::string NameOf(const Difference& d, DiffLanguage language);
// A Difference's value (from, to) in the language: the English value words ("on", "muted",
// "PEQ", ...) become their Chinese ones; numbers and units stay.
std::string ValueText(const std::string& value, DiffLanguage language);

// Turns what the box holds into `target`: the live memory is `cmd.memory()` (and is taken to be
// what the box holds); every parameter and band record that differs is stored in live memory
// and sent with the synchronisation's encoders, in its order, and nothing else is sent (a band:
// its record and its biquad section). The edit hook is not called. Returns the number of reports
// handed to the sink.
//
// Master volumes are the box's own, as in the full write (only a soft start sets them), unless
// `masters` is Restored: undo and redo take back a master volume edit like any other.
enum class MasterVolumes : uint8_t { LeftToTheBox, Restored };
int WriteDifferences(Commands& cmd, EqSenders& eq, const ParameterMemory& target,
                     MasterVolumes masters = MasterVolumes::LeftToTheBox);
int WriteDifferences(Commands& cmd, EqSenders& eq, const SettingsImage& target,
                     MasterVolumes masters = MasterVolumes::LeftToTheBox);

}  // namespace ax7::history
