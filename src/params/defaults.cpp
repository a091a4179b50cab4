#include "params/defaults.h"

#include <initializer_list>

#include "params/band_record.h"
#include "params/room.h"

namespace ax7 {

namespace {

constexpr float kPeqQ = 1.414f;
constexpr float kFilterQ = 0.707f;
constexpr int kPeq = 1, kLowPass = 2, kHighPass = 3, kHighShelf = 5;

void putRecord(ParameterMemory& mem, int record, int type, float gainDb, float hz, float q) {
  PackedBand packed = PackBandRecord(type, gainDb, hz, q);
  mem.boxImage.copyIn(size_t(record * kBandRecordSize), packed.data(), packed.size());
}

// Flat peaking bands from `first` on, one per frequency.
void putPeqRun(ParameterMemory& mem, int first, std::initializer_list<float> frequencies) {
  int record = first;
  for (float hz : frequencies) putRecord(mem, record++, kPeq, 0.0f, hz, kPeqQ);
}

void putTenBandEq(ParameterMemory& mem, int first) {
  putPeqRun(mem, first, {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000});
}

}  // namespace

void LoadDefaultBoxImage(ParameterMemory& mem) {
  putTenBandEq(mem, 0);   // microphone group A
  putTenBandEq(mem, 10);  // microphone group B
  putTenBandEq(mem, 48);  // music

  // Echo A, echo B, reverb A, reverb B: five or six peaking bands closed by a filter.
  putPeqRun(mem, 20, {61, 125, 250, 500, 1000, 2300});
  putRecord(mem, 26, kLowPass, 0.0f, 5000, kFilterQ);
  putRecord(mem, 27, kHighPass, 0.0f, 200, kFilterQ);
  putPeqRun(mem, 28, {160, 250, 500, 1000, 2300});
  putRecord(mem, 33, kHighShelf, 3.0f, 5000, kFilterQ);
  putRecord(mem, 34, kHighPass, 0.0f, 120, kFilterQ);
  putPeqRun(mem, 35, {160, 250, 500, 1000, 2300});
  putRecord(mem, 40, kHighShelf, -6.0f, 5000, kFilterQ);
  putRecord(mem, 41, kHighPass, 0.0f, 100, kFilterQ);
  putPeqRun(mem, 42, {160, 250, 500, 1000, 2300});
  putRecord(mem, 47, kHighShelf, -3.0f, 3000, kFilterQ);

  // Output channels: 13 EQ bands, then the two sections of the high-frequency split.
  for (int ch = 0; ch < 8; ++ch) {
    int first = 58 + 15 * ch;
    putTenBandEq(mem, first);
    putPeqRun(mem, first + 10, {16000, 16000, 16000});
    putRecord(mem, first + 13, kPeq, 0.0f, 500, kFilterQ);
    putRecord(mem, first + 14, kPeq, 0.0f, 1000, kFilterQ);
  }
}

void InitParameterMemory(ParameterMemory& mem) {
  DeviceState& dev = mem.dev;
  dev.g_szModule.set(u"VK4420");
  dev.g_szMcuVersion.set(u"2012-10-03");
  dev.g_szDspVersion.set(u"2012-11-30");
  dev.g_nCmdVersion = 1;
  dev.g_nCurrentMode = 0;
  dev.g_bParamsChanged = 0;
  dev.g_szModeName[0].set(u"Mode1");
  dev.g_szModeName[1].set(u"Mode2");
  dev.g_szModeName[2].set(u"Mode3");
  dev.g_szModeName[3].set(u"Mode4");

  mem.roomBlock.copyIn(0, kDefaultRoomBlock.data(), kDefaultRoomBlock.size());
  DecodeRoomBlock(mem);

  dev.g_settingsCurrent.fill(0);
  dev.g_settingsEdit.fill(0);
  dev.g_settingsCurrent.set(3, 99);
  dev.g_settingsCurrent.set(4, 99);

  mem.pc.clear();
  mem.boxImage.fill(0);
  mem.roomTrim.fill(0);
  // Echo time and start volume of both echo groups.
  mem.pc.setFloat(32, 217.0f);
  mem.pc.setFloat(38, 217.0f);
  mem.pc.setInt(33, 60);
  mem.pc.setInt(39, 60);

  LoadDefaultBoxImage(mem);
}

}  // namespace ax7
