#pragma once
// Stable public names of the box's settings, for scripts, ax7ctl and the network: one name per
// value a user edits in the window (a parameter instance, one field of the compressor, one
// field of an EQ band), with the unit, range and step the window shows it in.
//
// The scheme is an API and does not change:
//   - lower case words joined by dots; a word may hold '_' ("mic_a", "room_trim");
//   - instances are numbered from 1 inside the first word: mic1..mic4 (microphone inputs),
//     out1..out8 (output channels);
//   - the two effect groups are the suffixes _a and _b (mic_a, echo_b, reverb_a);
//   - the group masters are GROUP.volume and GROUP.mute (mic, effect, echo, reverb, music);
//   - EQ bands are SET.eq.BAND.FIELD, BAND from 1, FIELD one of type, gain, freq, q; SET is
//     mic_a, mic_b, echo_a, echo_b, reverb_a, reverb_b, music or out1..out8; SET.eq.bypass
//     bypasses the whole set.
// Values are in the units the window shows; a few words the box keeps differently are turned
// into what the window shows (the "on" ticks of an output's delay and compressor are set when
// their word is 0; the music AGC level is shown 12 dB above the target the word keeps).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "dsp/response.h"
#include "params/compressor_values.h"
#include "params/param_table.h"

namespace ax7 {

struct ParameterMemory;

enum class ValueKind : uint8_t {
  Whole,    // a whole number
  Decimal,  // a multiple of the step
  Number,   // any number in the range
  Switch,   // 0 or 1 (also off/on, false/true)
  Choice,   // one of the choices by name (any case), or its code
};

// What a name edits, and how its value reaches the parameter path.
enum class NameTarget : uint8_t {
  Word,           // the parameter's word takes the value
  OnTick,         // a tick that is set when the word is 0
  Route,          // a microphone input to effect group A or B: both routing words
  AgcLevel,       // the music AGC target, shown 12 dB up
  CompThreshold,  // one of the compressor's four values
  CompRatio,
  CompAttack,
  CompRelease,
  BandType,  // one field of an EQ band
  BandGain,
  BandFrequency,
  BandQ,
};

struct ParamName {
  std::string name;
  ValueKind kind = ValueKind::Whole;
  NameTarget target = NameTarget::Word;
  const char* unit = "";  // "%", "dB", "ms", "Hz", "steps", "ratio", "switch", "choice"
  double minimum = 0, maximum = 0;
  double step = 1;  // 0: any number in the range
  std::vector<std::string> choices;  // Choice: choice i has code firstChoice + i
  int firstChoice = 0;
  Param param = Param::Count_;  // the parameter; Count_ for EQ band fields
  int instance = 0;             // input, channel or band, from 0
  int instances = 1;            // of the parameter; the set's editable bands for band fields
  int eqSet = -1;               // EQ set 0..14 of a band field
  int block = -1, index = -1;   // DSP address the value is sent to

  bool isBandField() const { return eqSet >= 0; }
  bool isCompressorField() const {
    return target == NameTarget::CompThreshold || target == NameTarget::CompRatio ||
           target == NameTarget::CompAttack || target == NameTarget::CompRelease;
  }
};

// Every name, in a fixed order (by block, then as the window lists them).
const std::vector<ParamName>& ParamNames();
const ParamName* FindParamName(std::string_view name);
// The name that edits a parameter instance; nullptr for the words that only travel with
// another one (the second effect master, the second reverb time index, the shift's period and
// off flag, the routing to group B) and for the compressor, which has four names.
const ParamName* NameOfParam(Param p, int instance);
// The name of a field of an EQ band ("type", "gain", "freq", "q"); nullptr when there is none.
const ParamName* NameOfBand(int eqSet, int band, std::string_view field);
// "mic_a", ..., "out8" for EQ set 0..14.
std::string EqSetPublicName(int eqSet);

// A value as it comes from a command line (text), or from JSON (a number, a switch or text).
using InputValue = std::variant<std::string, double, bool>;

// A checked value in display units; for choices, the code.
struct NamedValue {
  const ParamName* name = nullptr;
  double value = 0;
};

// Checks one value against its name; false with the reason (no name in it) when it does not
// fit: not a number, not a whole number, not a multiple of the step, outside the range, NaN
// or infinite, not a choice.
bool CheckValue(const ParamName& name, const InputValue& input, double* value,
                std::string* reason);
// Checks every pair first; the first bad one gives false and "NAME=VALUE: reason" (an unknown
// name, a bad value, a name given twice). Nothing is left in *out then.
bool CheckNamedValues(const std::vector<std::pair<std::string, InputValue>>& pairs,
                      std::vector<NamedValue>* out, std::string* error);
// Whether applying needs the box's current values (an EQ band or the compressor, whose other
// fields travel with the edited one).
bool NeedsStoredValues(const std::vector<NamedValue>& values);
// The checks that depend on what the box holds: a Q above 2 or a gain other than 0 for a band
// whose type (after the edit) takes none. False with "NAME=VALUE: reason".
bool CheckAgainstMemory(const ParameterMemory& mem, const std::vector<NamedValue>& values,
                        std::string* error);

// The value memory holds for the name, in display units (the window's view of a damaged word,
// where it has one).
double ReadNamedValue(const ParameterMemory& mem, const ParamName& name);
// The field of a band (as LoadEditorBands gives it) that a band field's name reads.
double BandFieldValue(const dsp::EqBand& band, const ParamName& name);
// The text of a value: whole numbers without a point, decimals with the step's digits,
// choices by name.
std::string FormatNamedValue(const ParamName& name, double value);
// The text of the input as the user gave it, for error messages.
std::string InputText(const InputValue& input);

// The bands of an EQ set as the window's EQ editor loads them from the box image: types it does
// not know are off, out-of-range values clamped, a stored 0 no value. Edits start from these.
std::vector<dsp::EqBand> LoadEditorBands(const ParameterMemory& mem, int eqSet);
// The compressor values of a channel after the edits of its fields among `values`, starting
// from what the window shows.
compressor::Values CompressorEdit(const ParameterMemory& mem, int channel,
                                  const std::vector<NamedValue>& values);
// The word of the music AGC level for a shown level in dB, as the window's slider sends it.
uint32_t AgcLevelWord(double shownDb);

// "integer", "number", "switch" or "choice".
const char* KindName(ValueKind kind);

}  // namespace ax7
