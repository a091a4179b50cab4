// Equalizer APO configuration text (which AutoEq's ParametricEQ.txt is) and Room EQ Wizard's
// filter settings files. Both write "Filter N: ON TYPE Fc ... Gain ... Q ..." lines; REW adds
// column alignment, locale numbers, its own type names and header lines.
#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>

#include "eqx/filters.h"
#include "eqx/numbers.h"
#include "eqx/text.h"

namespace ax7::eqx {

namespace {

bool isDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}

// Words split at ASCII white space; a no-break space between digits stays inside its number.
std::vector<std::string> words(const std::string& s) {
  std::vector<std::string> out;
  std::string cur;
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == ' ' || c == '\t') {
      if (!cur.empty()) out.push_back(cur);
      cur.clear();
    } else {
      cur += char(c);
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

// A slope word: "12dB", "6dB", or a number followed by "dB" as the next word.
std::optional<double> slopeOf(const std::vector<std::string>& typeWords) {
  if (typeWords.size() < 2) return std::nullopt;
  std::string w = typeWords[1];
  if (w.size() > 2 && (w.substr(w.size() - 2) == "dB" || w.substr(w.size() - 2) == "db")) {
    w.resize(w.size() - 2);
  } else if (!(typeWords.size() >= 3 && typeWords[2] == "dB")) {
    return std::nullopt;
  }
  return parseLocaleNumber(w, false);
}

struct TypeInfo {
  FilterKind kind;
  bool passWithQ = false;    // LPQ/HPQ, "LP Q": the Q is expected
  bool cornerShelf = false;  // LS/HS: corner frequency when a width is given
  const char* unsupported = nullptr;
};

// Type names of both programs; the words before "Fc" joined by one space.
std::optional<TypeInfo> typeFor(const std::vector<std::string>& w) {
  if (w.empty()) return std::nullopt;
  const std::string& t = w[0];
  const std::string rest = w.size() > 1 ? w[1] : "";
  if (t == "PK" || t == "PEQ") return TypeInfo{FilterKind::Peaking};
  if (t == "Modal")
    return TypeInfo{FilterKind::Unsupported, false, false,
                    "modal filter (given by decay time): no band of the box"};
  if (t == "LP" || t == "LPQ") return TypeInfo{FilterKind::LowPass, t == "LPQ" || rest == "Q"};
  if (t == "HP" || t == "HPQ") return TypeInfo{FilterKind::HighPass, t == "HPQ" || rest == "Q"};
  if (t == "LP1" || t == "LPFO") return TypeInfo{FilterKind::LowPassFirstOrder};
  if (t == "HP1" || t == "HPFO") return TypeInfo{FilterKind::HighPassFirstOrder};
  if (t == "BP") return TypeInfo{FilterKind::BandPass};
  if (t == "NO" || t == "Notch") return TypeInfo{FilterKind::Notch};
  if (t == "AP" || (t == "All" && rest == "pass")) return TypeInfo{FilterKind::AllPass};
  if (t == "LS" || t == "HS") {
    // "LS Q" (newer REW) names the shelf's centre, like LSC.
    const bool corner = rest != "Q";
    return TypeInfo{t == "LS" ? FilterKind::LowShelf : FilterKind::HighShelf, false, corner};
  }
  if (t == "LSC" || t == "HSC") {
    return TypeInfo{t == "LSC" ? FilterKind::LowShelf : FilterKind::HighShelf, false, false};
  }
  return std::nullopt;
}

// Report lines are kept this long; a line of a file holds far less.
constexpr size_t kMaxSourceBytes = 256;
// Lines not read are told one by one up to this many, then counted.
constexpr int kMaxUnreadNotes = 20;

struct ChannelState {
  std::vector<std::string> names;  // empty: every channel
};

bool selects(const ChannelState& state, const std::string& wanted) {
  if (state.names.empty()) return true;
  for (const std::string& n : state.names) {
    if (lower(n) == "all" || lower(n) == lower(wanted)) return true;
  }
  return false;
}

}  // namespace

ReadResult readApoText(const std::string& input, Format format, const std::string& channel) {
  ReadResult result;
  FileEq& eq = result.eq;
  eq.format = format;
  std::string wanted = channel;
  ChannelState state;
  bool sawAnything = false;
  bool filterSeen = false;
  int unreadLines = 0;
  std::istringstream in(normalizeLineEnds(input));
  std::string raw;
  int lineNo = 0;
  // A line that is not understood is told, never passed over; only the header lines REW writes
  // before its first filter are no news.
  auto notRead = [&](const std::string& line, const std::string& why) {
    if (format == Format::Rew && !filterSeen) return;
    if (++unreadLines > kMaxUnreadNotes) return;
    eq.notes.push_back("line " + std::to_string(lineNo) + ": " + why + ", not read: '" +
                       clipUtf8(line, 60) + "'");
  };
  while (std::getline(in, raw)) {
    ++lineNo;
    const std::string line = trim(raw);
    if (line.empty() || line[0] == '#' || line[0] == '*') continue;
    const size_t colon = line.find(':');
    if (colon == std::string::npos) {
      notRead(line, "no command");
      continue;
    }
    const std::string command = trim(line.substr(0, colon));
    const std::string args = trim(line.substr(colon + 1));
    if (command == "Preamp") {
      const std::vector<std::string> w = words(args);
      std::optional<double> v = w.empty() ? std::nullopt : parseLocaleNumber(w[0], false);
      if (!v) {
        result.error = "line " + std::to_string(lineNo) + ": Preamp without a number";
        return result;
      }
      if (w.size() > 2 || (w.size() == 2 && w[1] != "dB")) {
        notRead(line, "words after the preamp's value");
      }
      if (selects(state, wanted)) eq.preampDb = eq.preampDb.value_or(0) + *v;
      sawAnything = true;
      continue;
    }
    if (command == "Channel") {
      state.names = words(args);
      if (wanted.empty()) {
        for (const std::string& n : state.names) {
          if (lower(n) != "all") {
            wanted = n;
            break;
          }
        }
      }
      sawAnything = true;
      continue;
    }
    if (command == "GraphicEQ") {
      FileFilter f;
      f.line = lineNo;
      f.text = clipUtf8(line, 80);
      f.kind = FilterKind::Unsupported;
      f.reason = "graphic EQ: no section of the box";
      eq.add(f, selects(state, wanted));
      sawAnything = true;
      continue;
    }
    const bool isFilter = command == "Filter" ||
                          (command.rfind("Filter", 0) == 0 && command.size() > 6 &&
                           std::all_of(command.begin() + 6, command.end(), [](char c) {
                             return c == ' ' || c == '\t' || isDigit(static_cast<unsigned char>(c));
                           }));
    if (!isFilter) {
      if (command == "Delay" || command == "Convolution" || command == "Copy" ||
          command == "Include" || command == "Device" || command == "Stage" || command == "Eval" ||
          command == "If" || command == "ElseIf" || command == "Else" || command == "EndIf") {
        eq.notes.push_back("line " + std::to_string(lineNo) + ": " + clipUtf8(command, 40) +
                           " is not applied (no EQ section)");
      } else {
        notRead(line, "not a command of Equalizer APO or REW");
      }
      continue;
    }
    sawAnything = true;
    filterSeen = true;
    const bool mine = selects(state, wanted);
    if (eq.full(mine)) {
      ++eq.unreadFilters;
      continue;
    }
    FileFilter f;
    f.line = lineNo;
    f.text = clipUtf8(line, kMaxSourceBytes);
    std::vector<std::string> w = words(args);
    if (w.empty()) {
      result.error = "line " + std::to_string(lineNo) + ": Filter without ON or OFF";
      return result;
    }
    if (w[0] == "ON")
      f.enabled = true;
    else if (w[0] == "OFF")
      f.enabled = false;
    else {
      result.error = "line " + std::to_string(lineNo) + ": Filter must say ON or OFF";
      return result;
    }
    size_t i = 1;
    std::vector<std::string> typeWords;
    while (i < w.size() && w[i] != "Fc" && w[i] != "Gain" && w[i] != "BW") {
      // "Q" right after the type name belongs to it ("LP Q"); later it starts the Q value.
      if (w[i] == "Q" && typeWords.size() != 1) break;
      if (w[i] == "Q" && i + 1 < w.size() && w[i + 1] != "Fc") break;
      typeWords.push_back(w[i++]);
    }
    if (typeWords.empty() || typeWords[0] == "None") {
      f.kind = FilterKind::Unsupported;
      f.enabled = false;
      f.reason = "empty slot";
      eq.add(f, mine);
      continue;
    }
    std::optional<TypeInfo> info = typeFor(typeWords);
    if (!info) {
      f.kind = FilterKind::Unsupported;
      f.reason = "unknown filter type '" + clipUtf8(typeWords[0], 40) + "'";
      eq.add(f, mine);
      continue;
    }
    f.kind = info->kind;
    if (info->unsupported) f.reason = info->unsupported;
    if (auto slope = slopeOf(typeWords);
        slope && (f.kind == FilterKind::LowShelf || f.kind == FilterKind::HighShelf)) {
      f.width = Width::Slope;
      f.widthValue = *slope;
    }
    bool bad = false;
    std::string why;
    for (; i < w.size(); ++i) {
      const std::string& key = w[i];
      auto number = [&](bool freq) -> std::optional<double> {
        if (i + 1 >= w.size()) return std::nullopt;
        return parseLocaleNumber(w[++i], freq);
      };
      if (key == "Fc") {
        // Thousands grouped with a plain space ("1 275 Hz") arrive as two words.
        if (i + 3 < w.size() && w[i + 2].size() == 3 &&
            std::all_of(w[i + 2].begin(), w[i + 2].end(),
                        [](char c) { return isDigit(static_cast<unsigned char>(c)); }) &&
            (w[i + 3] == "Hz" || w[i + 3] == "kHz") &&
            w[i + 1].find_first_not_of("0123456789") == std::string::npos) {
          w[i + 1] += w[i + 2];
          w.erase(w.begin() + long(i) + 2);
        }
        auto v = number(true);
        if (!v) {
          bad = true;
          why = "Fc without a number";
          break;
        }
        f.frequency = *v;
        if (i + 1 < w.size() && w[i + 1] == "kHz")
          f.frequency *= 1000, ++i;
        else if (i + 1 < w.size() && w[i + 1] == "Hz")
          ++i;
      } else if (key == "Gain") {
        auto v = number(false);
        if (!v) {
          bad = true;
          why = "Gain without a number";
          break;
        }
        f.gainDb = *v;
        if (i + 1 < w.size() && w[i + 1] == "dB") ++i;
      } else if (key == "Q") {
        auto v = number(false);
        if (!v) {
          bad = true;
          why = "Q without a number";
          break;
        }
        f.width = Width::Q;
        f.widthValue = *v;
      } else if (key == "BW") {
        if (i + 1 < w.size() && w[i + 1] == "Oct") ++i;
        auto v = number(false);
        if (!v) {
          bad = true;
          why = "BW without a number";
          break;
        }
        f.width = Width::BandwidthOct;
        f.widthValue = *v;
      }
      // Other words (T60 targets and the like) carry nothing the box can use.
    }
    if (bad) {
      f.kind = FilterKind::Unsupported;
      f.reason = why;
    }
    if (info->cornerShelf && f.width != Width::None) f.cornerFrequency = true;
    eq.add(f, mine);
  }
  if (!sawAnything) {
    result.error = "no Filter or Preamp line: not an Equalizer APO or REW filter file";
    return result;
  }
  if (unreadLines > kMaxUnreadNotes) {
    eq.notes.push_back(std::to_string(unreadLines - kMaxUnreadNotes) + " more lines not read");
  }
  eq.noteUnread();
  result.ok = true;
  return result;
}

}  // namespace ax7::eqx
