#include "history/settings_diff.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "device/eq_senders.h"
#include "dsp/section_type.h"
#include "history/setting_names.h"
#include "params/band_record.h"
#include "params/eq_sets.h"
#include "params/room.h"
#include "params/write_plan.h"

namespace ax7::history {

namespace {

using P = Param;

constexpr int kChannels = 8;
constexpr int kSplitBands[] = {kSplitHighPassSlot, kSplitLowPassSlot};

std::string format(const char* fmt, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}
std::string formatInt(const char* fmt, long long v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

bool isSwitchLike(P p) {
  switch (p) {
    case P::MicAEqBypass:
    case P::MicBEqBypass:
    case P::EchoAEqBypass:
    case P::EchoBEqBypass:
    case P::ReverbAEqBypass:
    case P::ReverbBEqBypass:
    case P::MusicEqBypass:
    case P::OutEqBypass:
    case P::DelayOn:
    case P::CompressorOn:
    case P::MusicAgcSwitch:
    case P::AutoSubSwitch:
      return true;
    default:
      return false;
  }
}

std::string paramValue(const ParameterMemory& mem, P p, int instance) {
  const ParamDesc& d = Describe(p);
  const size_t w = size_t(d.wordOf(instance));
  const auto& pc = mem.pc;
  switch (d.encoding) {
    case Encoding::Level:
    case Encoding::Gate:
    case Encoding::Master:
      return formatInt("%lld", pc.getInt(w));
    case Encoding::ByteWord:
    case Encoding::ShiftOff:
      if (isSwitchLike(p)) return pc.getInt(w) != 0 ? "on" : "off";
      if (p == P::SpeakerAssign) {
        const int v = pc.getInt(w);
        if (v >= 0 && v < kChannels) return ChannelNameEnglish(v);
      }
      return formatInt("%lld", pc.getInt(w));
    case Encoding::Switch:
      return pc.getInt(w) != 0 ? "on" : "off";
    case Encoding::Mute:
    case Encoding::MusicMute:
      return pc.getInt(w) != 0 ? "muted" : "not muted";
    case Encoding::Phase:
      return pc.getInt(w) != 0 ? "180°" : "0°";
    case Encoding::Predelay:
    case Encoding::EchoTime:
    case Encoding::ChannelDelay:
      return format("%.1f ms", pc.getFloat(w));
    case Encoding::ReverbTime:
      return format("%.0f", pc.getFloat(w));
    case Encoding::Pitch:
      return formatInt("%+lld", pc.getInt(w));
    case Encoding::RawWord: {
      char buf[16];
      std::snprintf(buf, sizeof buf, "0x%08X", unsigned(pc.raw(w)));
      return buf;
    }
    case Encoding::ShiftFreq:
    case Encoding::ShiftPeriod: {
      const int v = pc.getInt(w);
      return v == 0 || v == 1 ? "off" : formatInt("%lld Hz", v);
    }
    case Encoding::DelayMode:
      return pc.getInt(w) == 1 ? "whole channel" : "high frequencies";
    case Encoding::Compressor: {
      char buf[128];
      std::snprintf(buf, sizeof buf, "threshold %.2f, ratio %.2f, attack %.1f ms, release %.1f ms",
                    double(pc.getFloat(w)), double(pc.getFloat(w + 8)), double(pc.getFloat(w + 16)),
                    double(pc.getFloat(w + 24)));
      return buf;
    }
    case Encoding::RoomTrim:
      return format("%+.1f dB", RoomTrimDb(mem, instance));
  }
  return {};
}

std::string typeText(int type) {
  const dsp::SectionTypeName n = dsp::sectionTypeName(type);
  if (n.english.empty()) return formatInt("%lld", type);
  if (dsp::isCrossoverType(type)) return std::string(n.english) + formatInt(" (%lld)", type);
  return std::string(n.english);
}

// Two values that read the same at their usual precision (a time the box rounded to whole
// samples, a switch word of 2 instead of 1) still differ: their exact values are added.
std::string exactFloat(float v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.9g", double(v));
  return buf;
}

void telApart(Difference& d, const std::string& exactFrom, const std::string& exactTo) {
  if (d.from != d.to) return;
  d.from += " (" + exactFrom + ")";
  d.to += " (" + exactTo + ")";
}

std::string exactWords(const ParameterMemory& mem, const StepWordList& words, bool floats) {
  std::string out;
  for (int w : words) {
    if (!out.empty()) out += ", ";
    out += floats ? exactFloat(mem.pc.getFloat(size_t(w)))
                  : formatInt("%lld", mem.pc.getInt(size_t(w)));
  }
  return out;
}

bool floatWords(P p) {
  switch (Describe(p).encoding) {
    case Encoding::Predelay:
    case Encoding::EchoTime:
    case Encoding::ChannelDelay:
    case Encoding::ReverbTime:
    case Encoding::Compressor:
      return true;
    default:
      return false;
  }
}

void diffParam(std::vector<Difference>& out, const ParameterMemory& a, const ParameterMemory& b,
               P p, int instance) {
  WriteStep t{WriteStep::Kind::Param, p, instance};
  if (p == P::MicToA || p == P::MicToB) t.kind = WriteStep::Kind::Routing;
  StepWordList words = StepWords(t);
  if (t.kind == WriteStep::Kind::Routing) words = {Describe(p).wordOf(instance)};
  // The shift's off flag follows the shift value when it is sent: only the value counts.
  if (Describe(p).encoding == Encoding::ShiftFreq) words.resize(1);
  bool differs = false;
  for (int w : words) differs = differs || a.pc.raw(size_t(w)) != b.pc.raw(size_t(w));
  if (!differs) return;
  Difference d;
  d.kind = Difference::Kind::Param;
  d.param = p;
  d.instance = instance;
  d.from = paramValue(a, p, instance);
  d.to = paramValue(b, p, instance);
  telApart(d, exactWords(a, words, floatWords(p)), exactWords(b, words, floatWords(p)));
  out.push_back(std::move(d));
}

std::string bandFieldValue(const BandRecord& r, Difference::BandField f) {
  switch (f) {
    case Difference::BandField::Type:
      return typeText(r.type);
    case Difference::BandField::Gain:
      return format("%+.1f dB", r.gainDb);
    case Difference::BandField::Frequency:
      return format("%.0f Hz", r.frequency);
    case Difference::BandField::Q:
      return format("%.3f", r.q);
    case Difference::BandField::None:
      break;
  }
  return {};
}

using BoxBytes = std::array<uint8_t, kBoxImageSize>;

void diffBand(std::vector<Difference>& out, const BoxBytes& a, const BoxBytes& b, int set,
              int band) {
  const EqSenders::BandAddress addr = EqSenders::AddressOf(set, band);
  const int at = BandRecordOffset(addr.group, addr.band);
  if (at < 0 || at > kBoxImageSize - kBandRecordSize) return;
  const size_t offset = size_t(at);
  PackedBand ra, rb;
  std::copy_n(a.begin() + offset, ra.size(), ra.begin());
  std::copy_n(b.begin() + offset, rb.size(), rb.begin());
  if (ra == rb) return;
  const BandRecord da = UnpackBandRecord(ra.data());
  const BandRecord db = UnpackBandRecord(rb.data());
  using F = Difference::BandField;
  // Fields compare by their bytes: type (6), gain (0..1), frequency (2..3), Q (4..5).
  const std::pair<F, std::pair<int, int>> fields[] = {
      {F::Type, {6, 1}}, {F::Gain, {0, 2}}, {F::Frequency, {2, 2}}, {F::Q, {4, 2}}};
  for (const auto& [field, span] : fields) {
    if (std::memcmp(ra.data() + span.first, rb.data() + span.first, size_t(span.second)) == 0)
      continue;
    Difference d;
    d.kind = Difference::Kind::Band;
    d.set = set;
    d.band = band;
    d.field = field;
    d.from = bandFieldValue(da, field);
    d.to = bandFieldValue(db, field);
    out.push_back(std::move(d));
  }
}

std::string roomEntryValue(const ParameterMemory& mem, int entry) {
  const uint8_t v = mem.roomBlock.get(size_t(entry));
  if (entry < 2) return formatInt("%lld m", v);
  return format("%.1f m", DecodeRoomCoordinate(v));
}

}  // namespace

std::vector<Difference> DiffSettings(const ParameterMemory& from, const ParameterMemory& to) {
  std::vector<Difference> out;
  for (const WriteStep& t : FullWritePlan()) {
    if (t.kind == WriteStep::Kind::Routing) {
      diffParam(out, from, to, P::MicToA, t.instance);
      diffParam(out, from, to, P::MicToB, t.instance);
    } else if (t.param != P::RoomTrim) {
      diffParam(out, from, to, t.param, t.instance);
    }
  }
  // The band records are read once, not a record at a time.
  const BoxBytes fromBands = from.boxImage.snapshot(), toBands = to.boxImage.snapshot();
  for (int set : kEqSetWriteOrder) {
    for (int band = 0; band < EqSetBandCount(set); ++band)
      diffBand(out, fromBands, toBands, set, band);
    if (IsOutputEqSet(set))
      for (int band : kSplitBands) diffBand(out, fromBands, toBands, set, band);
  }
  const auto fromTrims = from.roomTrim.snapshot(), toTrims = to.roomTrim.snapshot();
  for (int ch = 0; ch < kChannels; ++ch) {
    if (std::memcmp(fromTrims.data() + 4 * ch, toTrims.data() + 4 * ch, 4) == 0) continue;
    Difference d;
    d.kind = Difference::Kind::RoomTrim;
    d.param = P::RoomTrim;
    d.instance = ch;
    d.from = paramValue(from, P::RoomTrim, ch);
    d.to = paramValue(to, P::RoomTrim, ch);
    telApart(d, exactFloat(RoomTrimDb(from, ch)), exactFloat(RoomTrimDb(to, ch)));
    out.push_back(std::move(d));
  }
  for (int entry = 0; entry < kRoomBlockSize; ++entry) {
    if (from.roomBlock.get(size_t(entry)) == to.roomBlock.get(size_t(entry))) continue;
    Difference d;
    d.kind = Difference::Kind::RoomBlock;
    d.entry = entry;
    d.from = roomEntryValue(from, entry);
    d.to = roomEntryValue(to, entry);
    telApart(d, formatInt("0x%02llX", from.roomBlock.get(size_t(entry))),
             formatInt("0x%02llX", to.roomBlock.get(size_t(entry))));
    out.push_back(std::move(d));
  }
  return out;
}

std::vector<Difference> DiffImages(const SettingsImage& from, const SettingsImage& to) {
  ParameterMemory a, b;
  if (!LoadImage(a, from) || !LoadImage(b, to)) return {};
  return DiffSettings(a, b);
}

}  // namespace ax7::history
