#include "device/named_values.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

#include "device/machine_settings.h"
#include "dsp/band_rules.h"
#include "dsp/crossover.h"
#include "params/eq_sets.h"

namespace ax7 {

namespace {

using T = NameTarget;

// One EQ set's edits, as the window's EQ editor makes them: per band the type first (its rule
// resets gain and Q), then gain, frequency and Q; then every touched band is sent, the
// crossover band of an output set with its whole cascade.
void applyBands(EqSenders& eq, const ParameterMemory& mem, int set,
                const std::vector<NamedValue>& values) {
  std::vector<dsp::EqBand> bands = LoadEditorBands(mem, set);
  const bool output = IsOutputEqSet(set);
  const dsp::ResponseGrid grid;
  dsp::EqBandEditor editor(bands, output, grid);
  std::set<int> touched;
  for (T target : {T::BandType, T::BandGain, T::BandFrequency, T::BandQ}) {
    for (const NamedValue& v : values) {
      const ParamName& n = *v.name;
      if (n.eqSet != set || n.target != target) continue;
      touched.insert(n.instance);
      switch (target) {
        case T::BandType:
          if (output) {
            editor.chooseType(n.instance, int(v.value));
          } else {
            editor.setType(n.instance, int(v.value));
          }
          break;
        case T::BandGain:
          editor.setGain(n.instance, v.value);
          break;
        case T::BandFrequency:
          editor.setFrequency(n.instance, v.value);
          break;
        default:
          editor.setQ(n.instance, v.value);
          break;
      }
    }
  }
  for (int band : touched) {
    const bool cascade = output && band == dsp::kCrossoverBand;
    const int last = cascade ? band + dsp::kCrossoverSections - 1 : band;
    for (int r = band; r <= last; ++r) {
      const dsp::EqBand& b = bands[size_t(r)];
      eq.SendEqBand(set, r, b.type, b.gainDb, int(b.freq), b.q);
    }
  }
}

void applyOne(Commands& cmd, const NamedValue& v) {
  const ParamName& n = *v.name;
  switch (n.target) {
    case T::OnTick:
      cmd.SetParam(n.param, n.instance, v.value != 0 ? 0 : 1);
      break;
    case T::Route: {
      // Both routing words, as the page's radio pair sets them.
      const bool groupA = v.value == 0;
      cmd.SetParam(Param::MicToA, n.instance, groupA ? 100 : 0);
      cmd.SetParam(Param::MicToB, n.instance, groupA ? 0 : 100);
      break;
    }
    case T::AgcLevel:
      cmd.SetParam(Param::MusicAgcLevel, 0, double(AgcLevelWord(v.value)));
      break;
    default:
      cmd.SetParam(n.param, n.instance, n.kind == ValueKind::Decimal ? double(float(v.value))
                                                                       : v.value);
      break;
  }
}

}  // namespace

bool CheckBoxMaximum(const DeviceState& dev, const std::vector<NamedValue>& values,
                     std::string* error) {
  const SettingsRecord record = dev.g_settingsCurrent.snapshot();
  for (const NamedValue& v : values) {
    size_t byte = 0;
    if (v.name->param == Param::MicMaster) byte = kSetMicMax;
    if (v.name->param == Param::MusicMaster) byte = kSetMusicMax;
    if (byte == 0) continue;
    const int maximum = SettingsMaximum(record[byte]);
    if (v.value > maximum) {
      *error = v.name->name + "=" + FormatNamedValue(*v.name, v.value) + ": " + v.name->name +
               " is above the box's maximum " + std::to_string(maximum) +
               " (see ax7ctl settings)";
      return false;
    }
  }
  return true;
}

bool NeedsBoxMaximum(const std::vector<NamedValue>& values) {
  for (const NamedValue& v : values) {
    if (v.name->param == Param::MicMaster || v.name->param == Param::MusicMaster) return true;
  }
  return false;
}

void ApplyNamedValues(Commands& cmd, EqSenders& eq, const std::vector<NamedValue>& values) {
  std::set<int> setsDone, compressorsDone;
  for (const NamedValue& v : values) {
    const ParamName& n = *v.name;
    if (n.isBandField()) {
      if (setsDone.insert(n.eqSet).second) applyBands(eq, cmd.memory(), n.eqSet, values);
    } else if (n.isCompressorField()) {
      if (!compressorsDone.insert(n.instance).second) continue;
      const compressor::Values c = CompressorEdit(cmd.memory(), n.instance, values);
      cmd.SetCompressor(n.instance, c.threshold, c.ratio, c.attack, c.release);
    } else {
      applyOne(cmd, v);
    }
  }
}

}  // namespace ax7
