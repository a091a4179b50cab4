// Band records, their places in the box image, the room blocks and the start-up defaults.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "params/band_record.h"
#include "params/eq_sets.h"
#include "params/defaults.h"
#include "params/room.h"

namespace ax7 {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

struct PackCase {
  const char* what;
  int type;
  float gain, hz, q;
  PackedBand bytes;
};

TEST(BandRecordTest, PacksWithTruncationAndSaturates) {
  const PackCase cases[] = {
      {"-15 dB is code 0", 1, -15.0f, 1000, 1.414f, {0x00, 0x00, 0x03, 0xE8, 0x05, 0x86, 0x01}},
      {"+15 dB is code 300", 5, 15.0f, 16000, 0.707f, {0x01, 0x2C, 0x3E, 0x80, 0x02, 0xC3, 0x05}},
      {"0 dB is code 150", 2, 0.0f, 31, 0.5f, {0x00, 0x96, 0x00, 0x1F, 0x01, 0xF4, 0x02}},
      {"-0.04 dB truncates to 0 dB",
       1,
       -0.04f,
       62,
       1.0f,
       {0x00, 0x96, 0x00, 0x3E, 0x03, 0xE8, 0x01}},
      {"tenths survive float error",
       1,
       -14.9f,
       20.9f,
       0.251f,
       {0x00, 0x01, 0x00, 0x14, 0x00, 0xFB, 1}},
      {"below range saturates to 0", 3, -40.0f, -5.0f, -1.0f, {0, 0, 0, 0, 0, 0, 3}},
      {"above range saturates to FFFF",
       4,
       7000.0f,
       70000,
       100.0f,
       {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 4}},
      {"NaN and infinities", 1, kNaN, kInf, -kInf, {0, 0, 0xFF, 0xFF, 0, 0, 1}},
  };
  for (const auto& c : cases) {
    EXPECT_THAT(PackBandRecord(c.type, c.gain, c.hz, c.q), ElementsAreArray(c.bytes)) << c.what;
  }
}

// A band loaded from the box and sent back unchanged must keep every field: pages re-pack
// decoded records whenever one field of a band is edited.
TEST(BandRecordTest, EveryCodeSurvivesUnpackAndPack) {
  for (int code = 0; code <= 0xFFFF; ++code) {
    uint8_t hi = uint8_t(code >> 8), lo = uint8_t(code);
    const uint8_t raw[kBandRecordSize] = {hi, lo, hi, lo, hi, lo, 9};
    BandRecord r = UnpackBandRecord(raw);
    ASSERT_THAT(PackBandRecord(r.type, r.gainDb, r.frequency, r.q),
                ElementsAre(hi, lo, hi, lo, hi, lo, 9))
        << "code " << code;
  }
}

TEST(BandRecordTest, UnpacksFields) {
  const uint8_t raw[] = {0x00, 0x5A, 0x13, 0x88, 0x02, 0xC3, 0x05};
  BandRecord r = UnpackBandRecord(raw);
  EXPECT_FLOAT_EQ(r.gainDb, -6.0f);
  EXPECT_FLOAT_EQ(r.frequency, 5000.0f);
  EXPECT_FLOAT_EQ(r.q, 0.707f);
  EXPECT_EQ(r.type, 5);
}

TEST(BandRecordTest, OffsetsOfGroupsAndSets) {
  struct {
    int group, band, offset;
  } offsets[] = {
      {0, 0, 0},   {1, 19, 133}, {2, 0, 140},  {2, 13, 231},   {3, 7, 287},
      {4, 9, 399}, {5, 0, 406},  {6, 14, 609}, {12, 14, 1239},  // the last record
      {-1, 2, 14}, {13, 10, 70},  // out-of-range groups are the microphone groups
  };
  for (const auto& c : offsets) {
    EXPECT_EQ(BandRecordOffset(c.group, c.band), c.offset) << c.group << "/" << c.band;
  }

  // Each set starts where its group and first band say, and fits in the box image.
  struct {
    int set, group, firstBand, bands;
  } sets[] = {{0, 0, 0, 10}, {1, 1, 10, 10}, {2, 3, 0, 7},  {3, 3, 7, 7},   {4, 2, 0, 7},
              {5, 2, 7, 7},  {6, 4, 0, 10},  {7, 5, 0, 13}, {10, 8, 0, 13}, {14, 12, 0, 13}};
  for (const auto& c : sets) {
    EXPECT_EQ(EqSetOffset(c.set), BandRecordOffset(c.group, c.firstBand)) << "set " << c.set;
    EXPECT_EQ(EqSetBandCount(c.set), c.bands) << "set " << c.set;
    EXPECT_LE(EqSetOffset(c.set) + kBandRecordSize * c.bands, kBoxImageSize);
  }
  EXPECT_EQ(EqSetOffset(14), 1141);
  for (int bad : {-1, 15, 1000}) {
    EXPECT_EQ(EqSetOffset(bad), 0);
    EXPECT_EQ(EqSetBandCount(bad), 0);
  }
}

// The box's layout of its EQ sets, written out once: records (numbered from the start of the
// box image), DSP addresses of the sections, the bypass word, and the write order.
TEST(EqSetTableTest, MatchesTheBoxLayout) {
  struct Row {
    int set, firstRecord, bands, block, firstIndex, bypassWord;
  };
  std::vector<Row> rows = {
      {0, 0, 10, 1, 16, 5},  {1, 10, 10, 1, 35, 13}, {2, 34, 7, 3, 0, 43}, {3, 41, 7, 3, 12, 47},
      {4, 20, 7, 2, 0, 29},  {5, 27, 7, 2, 13, 35},  {6, 48, 10, 4, 0, 61},
  };
  for (int ch = 0; ch < 8; ++ch) rows.push_back({7 + ch, 58 + 15 * ch, 13, 5 + ch, 0, 105 + ch});
  for (const Row& r : rows) {
    SCOPED_TRACE("set " + std::to_string(r.set));
    const EqSetDesc& d = DescribeEqSet(r.set);
    EXPECT_EQ(EqSetOffset(r.set), kBandRecordSize * r.firstRecord);
    EXPECT_EQ(d.bands, r.bands);
    EXPECT_EQ(d.block, r.block);
    EXPECT_EQ(d.firstIndex, r.firstIndex);
    EXPECT_EQ(Describe(d.bypass).wordOf(IsOutputEqSet(r.set) ? r.set - 7 : 0), r.bypassWord);
    EXPECT_EQ(EqSetRecordSlots(r.set), IsOutputEqSet(r.set) ? 15 : r.bands);
  }
  // A full write sends the sets in the order their records lie in the image.
  for (size_t i = 1; i < kEqSetWriteOrder.size(); ++i)
    EXPECT_LT(EqSetOffset(kEqSetWriteOrder[i - 1]), EqSetOffset(kEqSetWriteOrder[i]));
  EXPECT_EQ(kEqSetWriteOrder.front(), 0);
}

TEST(BandRecordTest, PutAndLoadStayInsideTheBoxImage) {
  ParameterMemory mem;
  PutBandRecord(mem, 12, 14, PackBandRecord(3, 1.5f, 120, 0.707f));
  BandRecord last = LoadBandRecord(mem, 12, 14);
  EXPECT_FLOAT_EQ(last.gainDb, 1.5f);
  EXPECT_FLOAT_EQ(last.frequency, 120.0f);
  EXPECT_EQ(last.type, 3);

  auto before = mem.boxImage.snapshot();
  const PackedBand junk = {1, 2, 3, 4, 5, 6, 7};
  const std::pair<int, int> outside[] = {{12, 15}, {0, -1}, {0, 178}, {5, 1000000}};
  for (auto [group, band] : outside) {
    PutBandRecord(mem, group, band, junk);
    BandRecord r = LoadBandRecord(mem, group, band);
    EXPECT_EQ(r.type, 0) << group << "/" << band;
    EXPECT_EQ(r.frequency, 0.0f);
  }
  EXPECT_EQ(mem.boxImage.snapshot(), before);
}

TEST(DefaultBoxImageTest, SpotChecks) {
  ParameterMemory mem;
  LoadDefaultBoxImage(mem);
  struct {
    int record;
    int type;
    float gain, hz, q;
  } cases[] = {
      {0, 1, 0, 31, 1.414f},     {9, 1, 0, 16000, 1.414f},  {15, 1, 0, 1000, 1.414f},
      {20, 1, 0, 61, 1.414f},    {25, 1, 0, 2300, 1.414f},  {26, 2, 0, 5000, 0.707f},
      {27, 3, 0, 200, 0.707f},   {28, 1, 0, 160, 1.414f},   {33, 5, 3, 5000, 0.707f},
      {34, 3, 0, 120, 0.707f},   {40, 5, -6, 5000, 0.707f}, {41, 3, 0, 100, 0.707f},
      {47, 5, -3, 3000, 0.707f}, {48, 1, 0, 31, 1.414f},    {57, 1, 0, 16000, 1.414f},
      {70, 1, 0, 16000, 1.414f},  // channel 0, band 12
      {71, 1, 0, 500, 0.707f},   {72, 1, 0, 1000, 0.707f},  {58 + 15 * 7, 1, 0, 31, 1.414f},
      {177, 1, 0, 1000, 0.707f},
  };
  auto image = mem.boxImage.snapshot();
  for (const auto& c : cases) {
    BandRecord r = UnpackBandRecord(&image[size_t(c.record * kBandRecordSize)]);
    EXPECT_EQ(r.type, c.type) << "record " << c.record;
    EXPECT_FLOAT_EQ(r.gainDb, c.gain) << "record " << c.record;
    EXPECT_FLOAT_EQ(r.frequency, c.hz) << "record " << c.record;
    EXPECT_FLOAT_EQ(r.q, c.q) << "record " << c.record;
  }
  for (int record = 0; record < kBandRecords; ++record) {
    EXPECT_NE(image[size_t(record * kBandRecordSize + 6)], 0) << "record " << record << " unset";
  }
}

TEST(RoomTest, CoordinateCodes) {
  struct {
    uint8_t code;
    float metres;
  } decode[] = {{0x85, -0.5f}, {0x05, 0.5f},   {0x0A, 1.0f}, {0x8A, -1.0f},
                {0x7F, 12.7f}, {0xFF, -12.7f}, {0x00, 0.0f}, {0x80, 0.0f}};
  for (const auto& c : decode) {
    float v = DecodeRoomCoordinate(c.code);
    EXPECT_FLOAT_EQ(v, c.metres) << int(c.code);
    if (c.metres == 0) {
      EXPECT_FALSE(std::signbit(v)) << "a zero must not show as -0.0";
    }
  }

  struct {
    float metres;
    uint8_t code;
  } encode[] = {
      {-0.5f, 0x85}, {0.5f, 0x05},  {1.0f, 0x0A},  {0.3f, 0x03},   {0.04f, 0x00},
      {0.06f, 0x01}, {12.7f, 0x7F}, {20.0f, 0x7F}, {-20.0f, 0xFF}, {kInf, 0x7F},
      {-kInf, 0xFF}, {kNaN, 0x00},  {0.0f, 0x80},  // zero lands below the half-step shift: a signed
                                                   // zero, still 0 m
  };
  for (const auto& c : encode) EXPECT_EQ(EncodeRoomCoordinate(c.metres), c.code) << c.metres;

  for (int code = 0; code < 256; ++code) {
    if ((code & 0x7F) == 0) continue;
    EXPECT_EQ(EncodeRoomCoordinate(DecodeRoomCoordinate(uint8_t(code))), code);
  }
}

TEST(RoomTest, BlockDecodesAndEncodes) {
  ParameterMemory mem;
  mem.roomBlock.copyIn(0, kDefaultRoomBlock.data(), kDefaultRoomBlock.size());
  DecodeRoomBlock(mem);
  EXPECT_EQ(mem.room.width(), 4);
  EXPECT_EQ(mem.room.length(), 4);
  const float expected[] = {0, 0, -1, 1, 0, 1, 1, 1, -1, -1, 0, -1, 1, -1, -0.5f, 0, 0.5f, 0};
  for (int i = 2; i < kRoomBlockSize; ++i) EXPECT_FLOAT_EQ(mem.room.coord(i), expected[i - 2]);

  mem.room.setWidth(260);  // only the low byte fits
  mem.room.setLength(7);
  mem.room.setCoord(2, 2.34f);
  mem.room.setCoord(19, -3.0f);
  auto block = EncodeRoomBlock(mem);
  EXPECT_EQ(block[0], 4);
  EXPECT_EQ(block[1], 7);
  EXPECT_EQ(block[2], 23);
  EXPECT_EQ(block[4], 0x8A);
  EXPECT_EQ(block[18], 0x05);
  EXPECT_EQ(block[19], 0x80 | 30);
}

TEST(RoomTest, TrimEntriesAreBigEndianFloats) {
  ParameterMemory mem;
  PutRoomTrimDb(mem, 3, -2.5f);
  PutRoomTrimDb(mem, 7, 1.0f);
  auto trim = mem.roomTrim.snapshot();
  EXPECT_THAT(std::vector<uint8_t>(trim.begin() + 12, trim.begin() + 16),
              ElementsAre(0xC0, 0x20, 0x00, 0x00));
  EXPECT_THAT(std::vector<uint8_t>(trim.begin() + 28, trim.end()),
              ElementsAre(0x3F, 0x80, 0x00, 0x00));
  EXPECT_FLOAT_EQ(RoomTrimDb(mem, 3), -2.5f);
  EXPECT_FLOAT_EQ(RoomTrimDb(mem, 0), 0.0f);

  PutRoomTrimDb(mem, 8, 5.0f);
  PutRoomTrimDb(mem, -1, 5.0f);
  EXPECT_EQ(mem.roomTrim.snapshot(), trim);
  EXPECT_EQ(RoomTrimDb(mem, 8), 0.0f);
}

TEST(InitParameterMemoryTest, SetsEveryBlockFromAnyPriorState) {
  ParameterMemory mem;
  for (int n = 0; n < kPcWords; ++n) mem.pc.setRaw(size_t(n), 0xDEADBEEF);
  mem.boxImage.fill(0xAA);
  mem.roomTrim.fill(0x55);
  mem.roomBlock.fill(0x33);
  mem.room.setWidth(99);
  mem.dev.g_settingsCurrent.fill(7);
  mem.dev.g_settingsEdit.fill(7);
  mem.dev.g_szModule.set(u"other box");
  mem.dev.g_szModeName[2].set(u"Party");
  mem.dev.g_nCmdVersion = 9;
  mem.dev.g_nCurrentMode = 3;
  mem.dev.g_bParamsChanged = 1;

  InitParameterMemory(mem);

  EXPECT_EQ(mem.dev.g_szModule.get(), u"VK4420");
  EXPECT_EQ(mem.dev.g_szMcuVersion.get(), u"2012-10-03");
  EXPECT_EQ(mem.dev.g_szDspVersion.get(), u"2012-11-30");
  EXPECT_EQ(mem.dev.g_szModeName[0].get(), u"Mode1");
  EXPECT_EQ(mem.dev.g_szModeName[2].get(), u"Mode3");
  EXPECT_EQ(mem.dev.g_szModeName[3].get(), u"Mode4");
  EXPECT_EQ(mem.dev.g_nCmdVersion, 1);
  EXPECT_EQ(mem.dev.g_nCurrentMode, 0);
  EXPECT_EQ(mem.dev.g_bParamsChanged, 0);
  const uint8_t settings[kSettingsSize] = {0, 0, 0, 99, 99};
  EXPECT_THAT(mem.dev.g_settingsCurrent.snapshot(), ElementsAreArray(settings));
  EXPECT_THAT(mem.dev.g_settingsEdit.snapshot(), ::testing::Each(0));

  for (int n = 0; n < kPcWords; ++n) {
    if (n == 32 || n == 38) {
      EXPECT_EQ(mem.pc.getFloat(size_t(n)), 217.0f) << "word " << n;
    } else if (n == 33 || n == 39) {
      EXPECT_EQ(mem.pc.getInt(size_t(n)), 60) << "word " << n;
    } else {
      EXPECT_EQ(mem.pc.raw(size_t(n)), 0u) << "word " << n;
    }
  }
  EXPECT_THAT(mem.roomTrim.snapshot(), ::testing::Each(0));
  EXPECT_EQ(mem.roomBlock.snapshot(), kDefaultRoomBlock);
  EXPECT_EQ(mem.room.width(), 4);
  EXPECT_FLOAT_EQ(mem.room.coord(16), -0.5f);

  ParameterMemory fresh;
  LoadDefaultBoxImage(fresh);
  EXPECT_EQ(mem.boxImage.snapshot(), fresh.boxImage.snapshot());
}

}  // namespace
}  // namespace ax7
