#include "params/defaults.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "params/band_record.h"
#include "params/room.h"

namespace ax7 {

namespace {

constexpr float kPeqQ = 1.414f;
constexpr float kFilterQ = 0.707f;
constexpr int kPeq = 1, kLowPass = 2, kHighPass = 3, kHighShelf = 5;

using BoxImage = std::array<uint8_t, kBoxImageSize>;

void putRecord(BoxImage& image, int record, int type, float gainDb, float hz, float q) {
  const PackedBand packed = PackBandRecord(type, gainDb, hz, q);
  std::copy(packed.begin(), packed.end(), image.begin() + record * kBandRecordSize);
}

// Flat peaking bands from `first` on, one per frequency.
void putPeqRun(BoxImage& image, int first, std::initializer_list<float> frequencies) {
  int record = first;
  for (float hz : frequencies) putRecord(image, record++, kPeq, 0.0f, hz, kPeqQ);
}

void putTenBandEq(BoxImage& image, int first) {
  putPeqRun(image, first, {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000});
}

// Every one of the 178 records, packed once: memory is reset to it at every start and by every
// test and fuzz run.
const BoxImage& defaultBoxImage() {
  static const BoxImage image = [] {
    BoxImage m{};
    putTenBandEq(m, 0);   // microphone group A
    putTenBandEq(m, 10);  // microphone group B
    putTenBandEq(m, 48);  // music

    // Echo A, echo B, reverb A, reverb B: five or six peaking bands closed by a filter.
    putPeqRun(m, 20, {61, 125, 250, 500, 1000, 2300});
    putRecord(m, 26, kLowPass, 0.0f, 5000, kFilterQ);
    putRecord(m, 27, kHighPass, 0.0f, 200, kFilterQ);
    putPeqRun(m, 28, {160, 250, 500, 1000, 2300});
    putRecord(m, 33, kHighShelf, 3.0f, 5000, kFilterQ);
    putRecord(m, 34, kHighPass, 0.0f, 120, kFilterQ);
    putPeqRun(m, 35, {160, 250, 500, 1000, 2300});
    putRecord(m, 40, kHighShelf, -6.0f, 5000, kFilterQ);
    putRecord(m, 41, kHighPass, 0.0f, 100, kFilterQ);
    putPeqRun(m, 42, {160, 250, 500, 1000, 2300});
    putRecord(m, 47, kHighShelf, -3.0f, 3000, kFilterQ);

    // Output channels: 13 EQ bands, then the two sections of the high-frequency split.
    for (int ch = 0; ch < 8; ++ch) {
      int first = 58 + 15 * ch;
      putTenBandEq(m, first);
      putPeqRun(m, first + 10, {16000, 16000, 16000});
      putRecord(m, first + 13, kPeq, 0.0f, 500, kFilterQ);
      putRecord(m, first + 14, kPeq, 0.0f, 1000, kFilterQ);
    }
    return m;
  }();
  return image;
}

}  // namespace

void LoadDefaultBoxImage(ParameterMemory& mem) {
  const BoxImage& image = defaultBoxImage();
  mem.boxImage.copyIn(0, image.data(), image.size());
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
  mem.roomTrim.fill(0);
  // Echo time and start volume of both echo groups.
  mem.pc.setFloat(32, 217.0f);
  mem.pc.setFloat(38, 217.0f);
  mem.pc.setInt(33, 60);
  mem.pc.setInt(39, 60);

  // Every band record, so the whole image.
  LoadDefaultBoxImage(mem);
}

}  // namespace ax7
