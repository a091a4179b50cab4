#include "history/setting_names.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <set>
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

// Longest words first, so "not muted" is not read as "muted". Built once: a list of a thousand
// differences would otherwise sort it two thousand times (and threads shared its strings).
const std::vector<Pair>& valueWordsLongestFirst() {
  static const std::array<std::string, 6> zh = [] {
    std::array<std::string, 6> a;
    for (int t = 0; t <= 5; ++t) a[size_t(t)] = std::string(dsp::sectionTypeName(t).chinese);
    return a;
  }();
  static const std::array<std::string, 6> en = [] {
    std::array<std::string, 6> a;
    for (int t = 0; t <= 5; ++t) a[size_t(t)] = std::string(dsp::sectionTypeName(t).english);
    return a;
  }();
  static const std::vector<Pair> words = [] {
    std::vector<Pair> w(std::begin(kValueWords), std::end(kValueWords));
    for (size_t t = 0; t < zh.size(); ++t) w.push_back({zh[t].c_str(), en[t].c_str()});
    std::stable_sort(w.begin(), w.end(), [](const Pair& a, const Pair& b) {
      return std::strlen(a.en) > std::strlen(b.en);
    });
    return w;
  }();
  return words;
}

bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// Whether any value word could match: each starts with a whole word of letters, and most values
// ("-3.5 dB", "1000 Hz") hold no such word, so a list of a thousand differences skips the search.
bool mayHoldValueWord(std::string_view text) {
  static const std::set<std::string, std::less<>> firstWords = [] {
    std::set<std::string, std::less<>> words;
    for (const Pair& w : valueWordsLongestFirst()) {
      const std::string_view en = w.en;
      size_t n = 0;
      while (n < en.size() && isLetter(en[n])) ++n;
      words.emplace(en.substr(0, n));  // empty when a word starts otherwise: always search
    }
    return words;
  }();
  if (firstWords.count(std::string_view())) return true;
  for (size_t i = 0; i < text.size();) {
    if (!isLetter(text[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < text.size() && isLetter(text[end])) ++end;
    if (firstWords.count(text.substr(i, end - i))) return true;
    i = end;
  }
  return false;
}

std::string translateValue(const std::string& text, DiffLanguage l) {
  if (l == DiffLanguage::English || !mayHoldValueWord(text)) return text;
  std::string out = text;
  for (const Pair& w : valueWordsLongestFirst()) {
    const std::string_view en = w.en;
    for (size_t at = out.find(en); at != std::string::npos; at = out.find(en, at)) {
      // Whole words only ("on" inside "ratio" stays).
      const bool startOk = at == 0 || !std::isalpha(static_cast<unsigned char>(out[at - 1]));
      const size_t end = at + en.size();
      const bool endOk = end >= out.size() || !std::isalpha(static_cast<unsigned char>(out[end]));
      if (startOk && endOk) {
        out.replace(at, en.size(), w.zh);
        at += std::strlen(w.zh);
      } else {
        at = end;
      }
    }
  }
  return out;
}

}  // namespace

std::string NameOf(const Difference& d, DiffLanguage language) {
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

std::string ValueText(const std::string& value, DiffLanguage language) {
  return translateValue(value, language);
}

const char* ChannelNameEnglish(int channel) {
  return channel >= 0 && channel < kChannels ? kChannelNames[channel].en : "";
}

}  // namespace ax7::history
