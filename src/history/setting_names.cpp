#include "history/setting_names.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "dsp/section_type.h"
#include "params/eq_sets.h"
#include "params/memory.h"

namespace ax7::history {

namespace {

constexpr int kChannels = 8;

struct Pair {
  const char* zh;
  const char* en;
};

const char* pick(const Pair& p, DiffLanguage l) {
  return l == DiffLanguage::Chinese ? p.zh : p.en;
}

constexpr Pair kChannelNames[kChannels] = {
    {"前置左", "CH-L"}, {"前置右", "CH-R"}, {"后环绕左", "CH-SBL"}, {"后环绕右", "CH-SBR"},
    {"超低", "CH-SUB"}, {"中置", "CH-CEN"}, {"侧环绕左", "CH-SL"},  {"侧环绕右", "CH-SR"}};

constexpr Pair kSetNames[] = {{"话筒A 均衡", "Mic A EQ"},    {"话筒B 均衡", "Mic B EQ"},
                              {"混响A 均衡", "Reverb A EQ"}, {"混响B 均衡", "Reverb B EQ"},
                              {"回声A 均衡", "Echo A EQ"},   {"回声B 均衡", "Echo B EQ"},
                              {"音乐 均衡", "Music EQ"}};

// Room block entries after width and length: the listener, then the speakers in room order.
constexpr Pair kRoomPlaces[] = {
    {"听音位置", "Listener"},  {"前置左", "Speaker L"},   {"中置", "Speaker CEN"},
    {"前置右", "Speaker R"},   {"后置左", "Speaker SBL"}, {"超低", "Speaker SUB"},
    {"后置右", "Speaker SBR"}, {"顶置左", "Speaker SL"},  {"顶置右", "Speaker SR"}};

// Value words: the English form is what a Difference holds.
constexpr Pair kValueWords[] = {
    {"开", "on"},
    {"关", "off"},
    {"静音", "muted"},
    {"不静音", "not muted"},
    {"整个通道", "whole channel"},
    {"高频", "high frequencies"},
    {"阈值", "threshold"},
    {"比例", "ratio"},
    {"启动", "attack"},
    {"释放", "release"},
};

std::string formatInt(const char* fmt, long long v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

// A per-input name: %d is the input 1..4.
std::string inputName(const char* fmt, int input) {
  char buf[96];
  std::snprintf(buf, sizeof buf, fmt, input);
  return buf;
}

struct ValueWord {
  std::string_view en, zh;
  size_t firstRun;  // letters before the first non-letter of `en`
};

bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// Longest words first, so "not muted" is not read as "muted". Built once: a list of a thousand
// differences translates two thousand values.
const std::vector<ValueWord>& valueWordsLongestFirst() {
  static const std::vector<ValueWord> words = [] {
    std::vector<ValueWord> w;
    auto add = [&w](std::string_view zh, std::string_view en) {
      size_t n = 0;
      while (n < en.size() && isLetter(en[n])) ++n;
      w.push_back({en, zh, n});
    };
    for (const Pair& p : kValueWords) add(p.zh, p.en);
    for (int t = 0; t <= 5; ++t) {
      const dsp::SectionTypeName n = dsp::sectionTypeName(t);
      add(n.chinese, n.english);
    }
    std::stable_sort(w.begin(), w.end(),
                     [](const ValueWord& a, const ValueWord& b) { return a.en.size() > b.en.size(); });
    return w;
  }();
  return words;
}

// Value words replaced as whole words ("on" inside "ratio" stays), in one pass over the text:
// a word can only start where a run of letters starts, and its first run of letters must be
// that whole run, so most runs ("dB", "Hz", "ms") are passed over after a length compare.
std::string translateValue(const std::string& text, DiffLanguage l) {
  if (l == DiffLanguage::English) return text;
  const std::vector<ValueWord>& words = valueWordsLongestFirst();
  std::string out;
  size_t copied = 0;  // text before this is in `out`
  for (size_t i = 0; i < text.size();) {
    if (!isLetter(text[i])) {
      ++i;
      continue;
    }
    size_t run = i;
    while (run < text.size() && isLetter(text[run])) ++run;
    const ValueWord* hit = nullptr;
    for (const ValueWord& w : words) {
      if (w.firstRun != run - i || w.en[0] != text[i]) continue;
      if (text.compare(i, w.en.size(), w.en) != 0) continue;
      const size_t end = i + w.en.size();
      if (end < text.size() && isLetter(text[end])) continue;
      hit = &w;
      break;
    }
    if (!hit) {
      i = run;
      continue;
    }
    out.append(text, copied, i - copied);
    out.append(hit->zh);
    i += hit->en.size();
    copied = i;
  }
  if (copied == 0) return text;
  out.append(text, copied, std::string::npos);
  return out;
}

std::string composeName(const Difference& d, DiffLanguage language) {
  const bool zh = language == DiffLanguage::Chinese;
  switch (d.kind) {
    case Difference::Kind::Param: {
      const ParamDesc& desc = Describe(d.param);
      if (!desc.shown.en) return desc.name;
      const char* name = zh ? desc.shown.zh : desc.shown.en;
      if (desc.perChannel && d.instance >= 0 && d.instance < kChannels) {
        return std::string(pick(kChannelNames[d.instance], language)) + " " + name;
      }
      if (desc.instances > 1) return inputName(name, d.instance + 1);
      return name;
    }
    case Difference::Kind::Band: {
      std::string owner;
      const bool output = IsOutputEqSet(d.set);
      const int channel = d.set - kFirstOutputEqSet;
      if (d.set >= 0 && d.set < kFirstOutputEqSet) {
        owner = pick(kSetNames[d.set], language);
      } else if (output) {
        owner = std::string(pick(kChannelNames[channel], language)) + (zh ? " 均衡" : " EQ");
      }
      std::string band;
      if (output && (d.band == kSplitHighPassSlot || d.band == kSplitLowPassSlot)) {
        owner = pick(kChannelNames[channel], language);
        band = d.band == kSplitHighPassSlot ? (zh ? "分频 高通" : "split high-pass")
                                            : (zh ? "分频 低通" : "split low-pass");
      } else {
        band = zh ? formatInt("第%lld段", d.band + 1) : formatInt("band %lld", d.band + 1);
      }
      const char* field = "";
      switch (d.field) {
        case Difference::BandField::Type:
          field = zh ? "类型" : "type";
          break;
        case Difference::BandField::Gain:
          field = zh ? "增益" : "gain";
          break;
        case Difference::BandField::Frequency:
          field = zh ? "频率" : "frequency";
          break;
        case Difference::BandField::Q:
          field = zh ? "Q值" : "Q";
          break;
        case Difference::BandField::None:
          break;
      }
      return owner + " " + band + (*field ? std::string(" ") + field : std::string());
    }
    case Difference::Kind::RoomTrim:
      if (d.instance < 0 || d.instance >= kChannels) return zh ? "房间补偿" : "room trim";
      return std::string(pick(kChannelNames[d.instance], language)) +
             (zh ? " 房间补偿" : " room trim");
    case Difference::Kind::RoomBlock: {
      if (d.entry == 0) return zh ? "房间 宽度" : "Room width";
      if (d.entry == 1) return zh ? "房间 长度" : "Room length";
      if (d.entry < 2 || d.entry >= kRoomBlockSize) return zh ? "房间" : "Room";
      const Pair& place = kRoomPlaces[(d.entry - 2) / 2];
      const bool x = (d.entry - 2) % 2 == 0;
      return std::string(zh ? "房间 " : "Room ") + pick(place, language) + (x ? " X" : " Y");
    }
  }
  return {};
}


// Every name a difference can have, composed once per language: a list of a thousand
// differences is named in both languages each time it is shown.
class NameTable {
 public:
  explicit NameTable(DiffLanguage language) {
    Difference d;
    names_.resize(kSize);
    d.kind = Difference::Kind::Param;
    for (int p = 0; p < kParamCount; ++p)
      for (int i = 0; i < kChannels; ++i) {
        d.param = Param(p);
        d.instance = i;
        names_[size_t(index(d))] = composeName(d, language);
      }
    d = Difference{};
    d.kind = Difference::Kind::Band;
    for (int set = 0; set < kEqSetCount; ++set)
      for (int band = 0; band < kOutputRecordSlots; ++band)
        for (int f = 0; f < kFields; ++f) {
          d.set = set;
          d.band = band;
          d.field = Difference::BandField(f);
          names_[size_t(index(d))] = composeName(d, language);
        }
    d = Difference{};
    d.kind = Difference::Kind::RoomTrim;
    for (int ch = 0; ch < kChannels; ++ch) {
      d.instance = ch;
      names_[size_t(index(d))] = composeName(d, language);
    }
    d = Difference{};
    d.kind = Difference::Kind::RoomBlock;
    for (int e = 0; e < kRoomBlockSize; ++e) {
      d.entry = e;
      names_[size_t(index(d))] = composeName(d, language);
    }
  }

  // The name, or nullptr for a difference no list holds (an instance, set or entry out of range).
  const std::string* find(const Difference& d) const {
    const int i = index(d);
    return i < 0 ? nullptr : &names_[size_t(i)];
  }

 private:
  static constexpr int kFields = int(Difference::BandField::Q) + 1;
  static constexpr int kParams = kParamCount * kChannels;
  static constexpr int kBands = kEqSetCount * kOutputRecordSlots * kFields;
  static constexpr int kSize = kParams + kBands + kChannels + kRoomBlockSize;

  static int index(const Difference& d) {
    switch (d.kind) {
      case Difference::Kind::Param:
        if (int(d.param) >= kParamCount || d.instance < 0 || d.instance >= kChannels) return -1;
        return int(d.param) * kChannels + d.instance;
      case Difference::Kind::Band:
        if (!ValidEqSet(d.set) || d.band < 0 || d.band >= kOutputRecordSlots) return -1;
        if (int(d.field) >= kFields) return -1;
        return kParams + (d.set * kOutputRecordSlots + d.band) * kFields + int(d.field);
      case Difference::Kind::RoomTrim:
        if (d.instance < 0 || d.instance >= kChannels) return -1;
        return kParams + kBands + d.instance;
      case Difference::Kind::RoomBlock:
        if (d.entry < 0 || d.entry >= kRoomBlockSize) return -1;
        return kParams + kBands + kChannels + d.entry;
    }
    return -1;
  }

  std::vector<std::string> names_;
};

}  // namespace

std::string NameOf(const Difference& d, DiffLanguage language) {
  static const NameTable english(DiffLanguage::English), chinese(DiffLanguage::Chinese);
  const NameTable& table = language == DiffLanguage::Chinese ? chinese : english;
  if (const std::string* name = table.find(d)) return *name;
  return composeName(d, language);
}

std::string ValueText(const std::string& value, DiffLanguage language) {
  return translateValue(value, language);
}

const char* ChannelNameEnglish(int channel) {
  return channel >= 0 && channel < kChannels ? kChannelNames[channel].en : "";
}

}  // namespace ax7::history
