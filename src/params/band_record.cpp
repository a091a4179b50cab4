#include "params/band_record.h"

#include <cmath>

#include "params/byte_order.h"
#include "params/eq_sets.h"

namespace ax7 {

namespace {

// Record fields are unsigned 16-bit; anything outside saturates instead of wrapping, and NaN
// becomes 0, so a wild value can never turn into a plausible-looking different one.
uint16_t saturateCode(double v) {
  if (!(v > 0)) return 0;
  if (v >= 65535.0) return 65535;
  return uint16_t(v);  // truncation
}

// A record may only be touched when all 7 bytes lie inside the box image; offsets come from
// group and band numbers that callers pass through unchecked.
bool recordFits(int offset) {
  return offset >= 0 && offset <= kBoxImageSize - kBandRecordSize;
}

BandRecord recordAt(const ParameterMemory& mem, int offset) {
  if (!recordFits(offset)) return BandRecord{};
  PackedBand bytes;
  mem.boxImage.copyOut(size_t(offset), bytes.data(), bytes.size());
  return UnpackBandRecord(bytes.data());
}

}  // namespace

int BandRecordOffset(int group, int band) {
  // Other groups count as the microphone block, whose records start the image.
  return BlockRecordOffset(group) + kBandRecordSize * band;
}

int EqSetOffset(int set) {
  if (!ValidEqSet(set)) return 0;
  const EqSetDesc& d = DescribeEqSet(set);
  return BandRecordOffset(d.block, d.firstRecord);
}

int EqSetBandCount(int set) {
  return ValidEqSet(set) ? DescribeEqSet(set).bands : 0;
}

PackedBand PackBandRecord(int type, float gainDb, float frequency, float q) {
  PackedBand out{};
  // The 0.05 makes the truncation land on the intended tenth of a dB for values that came
  // from a decoded record or a slider (0.1 dB steps held as floats).
  putBe16(&out[0], saturateCode((double(gainDb) + 0.05 + 15.0) * 10.0));
  putBe16(&out[2], saturateCode(double(frequency)));
  // A Q of a whole number of thousandths is often held a hair below its value as a float
  // (0.251 -> 0.25099999); plain truncation would then lose a thousandth each time a decoded
  // record is packed again. The slack is far below one code and far above float error.
  putBe16(&out[4], saturateCode(double(q) * 1000.0 + 0.01));
  out[6] = uint8_t(type);
  return out;
}

BandRecord UnpackBandRecord(const uint8_t* record) {
  BandRecord r;
  r.gainDb = float(getBe16(record)) / 10.0f - 15.0f;
  r.frequency = float(getBe16(record + 2));
  r.q = float(getBe16(record + 4)) / 1000.0f;
  r.type = record[6];
  return r;
}

BandRecord LoadBandRecord(const ParameterMemory& mem, int group, int band) {
  return recordAt(mem, BandRecordOffset(group, band));
}

BandRecord LoadEqSetRecord(const ParameterMemory& mem, int set, int band) {
  if (!ValidEqSet(set) || band < 0) return BandRecord{};
  return recordAt(mem, EqSetOffset(set) + kBandRecordSize * band);
}

void PutBandRecord(ParameterMemory& mem, int group, int band, const PackedBand& record) {
  int offset = BandRecordOffset(group, band);
  if (!recordFits(offset)) return;
  mem.boxImage.copyIn(size_t(offset), record.data(), record.size());
}

}  // namespace ax7
