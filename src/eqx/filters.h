// What an EQ file holds, before it meets an EQ set: its filters as the file describes them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dsp/biquad.h"

namespace ax7::eqx {

enum class Format { Auto, Apo, Rew, CamillaDsp, Biquad, Json };

// "apo", "rew", "camilladsp", "biquad", "json", "auto".
std::optional<Format> parseFormatName(const std::string& name);
const char* formatName(Format format);

enum class FilterKind {
  Peaking,
  LowShelf,
  HighShelf,
  LowPass,   // 2nd order
  HighPass,  // 2nd order
  LowPassFirstOrder,
  HighPassFirstOrder,
  Notch,
  AllPass,
  BandPass,
  Coefficients,  // a section given by its coefficients
  Unsupported,   // anything else the file names (graphic EQ, tilt, delay, ...)
};

// How a filter's width is given.
enum class Width { None, Q, Slope /* dB per octave */, BandwidthOct };

struct FileFilter {
  int line = 0;      // 1-based line of the file where the filter stands (0 when unknown)
  std::string text;  // the source line or the filter's name, for the report
  bool enabled = true;
  FilterKind kind = FilterKind::Peaking;
  double frequency = 0;  // Hz
  double gainDb = 0;
  Width width = Width::None;
  double widthValue = 0;
  // Shelves: the frequency is the corner (the end of the shelf), not its centre.
  bool cornerFrequency = false;
  // Coefficients: normalised to a0 = 1, H = (b0 + b1/z + b2/z^2) / (1 + a1/z + a2/z^2).
  dsp::BiquadCoefficients coefficients;
  double sampleRate = dsp::kSampleRate;
  std::string reason;  // Unsupported: what it is; otherwise empty
  // The file's own band type code, for this program's JSON (exact round trips).
  std::optional<int> boxType;
};

// A set holds at most 13 bands. A file's filters beyond this many (of the channel read, and of
// the others) are counted, not read, so a file of a million filters costs no more than a full
// one; a note says how many were left.
inline constexpr size_t kMaxFileFilters = 64;

struct FileEq {
  Format format = Format::Auto;
  std::optional<double> preampDb;
  std::vector<FileFilter> filters;
  // Filters that belong to channels the reader was not asked for: reported, never applied.
  std::vector<FileFilter> otherChannels;
  std::vector<std::string> notes;  // things worth telling that are not a filter
  // Filters past kMaxFileFilters: counted only.
  long long unreadFilters = 0;

  // Adds the filter to `filters` (mine) or `otherChannels`, or counts it when that list is full.
  void add(FileFilter f, bool mine) {
    std::vector<FileFilter>& list = mine ? filters : otherChannels;
    if (list.size() < kMaxFileFilters)
      list.push_back(std::move(f));
    else
      ++unreadFilters;
  }
  bool full(bool mine) const { return (mine ? filters : otherChannels).size() >= kMaxFileFilters; }
  // The note for the counted filters, once reading ended.
  void noteUnread() {
    if (unreadFilters > 0) {
      notes.push_back(std::to_string(unreadFilters) + " more filters of the file are not read (" +
                      std::to_string(kMaxFileFilters) + " are read; a set holds at most 13 bands)");
    }
  }
};

struct ReadOptions {
  Format format = Format::Auto;
  // The channel to take from a file with channel sections; empty takes the filters that apply
  // to every channel and those of the first channel named.
  std::string channel;
};

struct ReadResult {
  bool ok = false;
  std::string error;  // one English line when !ok
  FileEq eq;
};

// Recognises and reads one EQ file. Refuses (ok false) a file it cannot read or recognise.
ReadResult readEqFile(const std::string& bytes, const ReadOptions& options);

// The individual readers (also what the fuzz targets drive).
ReadResult readApoText(const std::string& text, Format format, const std::string& channel);
ReadResult readCamillaYaml(const std::string& text, const std::string& channel);
ReadResult readBiquadText(const std::string& text);
ReadResult readEqJson(const std::string& text);

}  // namespace ax7::eqx
