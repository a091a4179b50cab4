#include "cli/mode_file_text.h"

#include <cstdarg>
#include <cstdio>
#include <ostream>

#include "cli/band_labels.h"
#include "dsp/section_type.h"
#include "params/band_record.h"
#include "params/room.h"

namespace ax7::cli {

namespace {

std::string format(const char* fmt, ...) {
  char buf[256];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, args);
  va_end(args);
  return buf;
}

// How many PC words each file version holds; older files leave the rest at the defaults.
int wordsInVersion(int version) {
  if (version <= 2) return 196;
  if (version <= 4) return 199;
  return kPcWords;
}

std::string typeName(int type) {
  const std::string_view english = dsp::sectionTypeName(type).english;
  return english.empty() ? "?" : std::string(english);
}

void printBands(std::ostream& out, const ParameterMemory& mem) {
  out << "band records (" << kBandRecords << "):\n";
  std::string current;
  for (int r = 0; r < kBandRecords; ++r) {
    const BandLabel label = bandLabel(r);
    if (label.name != current) {
      current = label.name;
      out << "  " << current;
      if (label.eqSet >= 0) out << " (EQ set " << label.eqSet << ")";
      out << "\n";
    }
    uint8_t bytes[kBandRecordSize];
    mem.boxImage.copyOut(size_t(r) * kBandRecordSize, bytes, kBandRecordSize);
    const BandRecord b = UnpackBandRecord(bytes);
    out << format("    band %2d  type %2d %-3s  gain %+6.1f dB  freq %5.0f Hz  Q %6.3f  [",
                  label.band, b.type, typeName(b.type).c_str(), b.gainDb, b.frequency, b.q);
    for (int i = 0; i < kBandRecordSize; ++i) out << format(i ? " %02x" : "%02x", bytes[i]);
    out << "]\n";
  }
}

}  // namespace

void printModeFile(std::ostream& out, const std::string& path, const ParameterMemory& mem,
                   int version) {
  out << "mode file: " << path << "\n";
  out << "version: " << version << "\n";
  const int words = wordsInVersion(version);
  out << "PC block (" << kPcWords << " words";
  if (words < kPcWords)
    out << format("; words %d..%d are not in the file: defaults", words, kPcWords - 1);
  out << "):\n";
  for (int n = 0; n < kPcWords; ++n) {
    const uint32_t raw = mem.pc.raw(size_t(n));
    out << format("  word %3d  0x%08x  int %11d  float %.9g\n", n, unsigned(raw), int32_t(raw),
                  double(mem.pc.getFloat(size_t(n))));
  }
  printBands(out, mem);

  out << "room trims (dB)" << (version < 2 ? ", not in the file: defaults" : "") << ":";
  for (int ch = 0; ch < kRoomTrimSize / 4; ++ch) {
    out << format(" CH%d %+.2f", ch + 1, double(RoomTrimDb(mem, ch)));
  }
  out << "\n";
  out << "room" << (version < 4 ? ", not in the file: defaults" : "") << ": "
      << format("%d m x %d m, listener (%.1f, %.1f)", mem.room.width(), mem.room.length(),
                double(mem.room.coord(2)), double(mem.room.coord(3)))
      << "\n";
  for (int k = 0; k < 8; ++k) {
    out << format("  %-3s (%+.1f, %+.1f)\n", kSpeakerNames[k], double(mem.room.coord(4 + 2 * k)),
                  double(mem.room.coord(5 + 2 * k)));
  }
  out << "room block:";
  for (int i = 0; i < kRoomBlockSize; ++i) out << format(" %02x", mem.roomBlock.get(size_t(i)));
  out << "\n";
}

}  // namespace ax7::cli
