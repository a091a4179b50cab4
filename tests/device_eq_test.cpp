// EQ band senders and EQ set operations, checked by the box image and the reports written.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "device/eq_senders.h"
#include "params/band_record.h"
#include "params/byte_order.h"
#include "params/defaults.h"
#include "support/echo_backend.h"
#include "support/frame_capture.h"

namespace ax7 {
namespace {

using test::frameHex;
using test::framesHex;

std::string hexBytes(const uint8_t* p, size_t n) {
  std::string out;
  char buf[4];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", p[i]);
    out += buf;
  }
  return out;
}

// The record frame: 02 85, address, 7, the record bytes.
std::string recordFrame(int address, const PackedBand& record) {
  char head[32];
  std::snprintf(head, sizeof head, "02 85 %02X %02X 07 ", address >> 8, address & 0xFF);
  return frameHex(test::parseFrame(head + hexBytes(record.data(), record.size())));
}

// The coefficient frame: 02 09 00 block index 05, the five words of the section.
std::string sectionFrame(int block, int index, int type, float gain, int freq, float q) {
  char head[32];
  std::snprintf(head, sizeof head, "02 09 00 %02X %02X 05", block, index);
  std::string text = head;
  for (float w : dsp::boxWords(dsp::designSection(type, gain, freq, q))) {
    text += " " + test::floatHex(w);
  }
  return frameHex(test::parseFrame(text));
}

PackedBand rawRecord(uint16_t gainCode, uint16_t freq, uint16_t qCode, uint8_t type) {
  PackedBand r{};
  putBe16(&r[0], gainCode);
  putBe16(&r[2], freq);
  putBe16(&r[4], qCode);
  r[6] = type;
  return r;
}

PackedBand recordAt(const ParameterMemory& mem, int offset) {
  PackedBand r{};
  mem.boxImage.copyOut(size_t(offset), r.data(), r.size());
  return r;
}

void putRecordAt(ParameterMemory& mem, int offset, const PackedBand& r) {
  mem.boxImage.copyIn(size_t(offset), r.data(), r.size());
}

class EqTest : public ::testing::Test {
 protected:
  EqTest() {
    InitParameterMemory(mem);
    EXPECT_TRUE(link.OpenUsbDevice(nullptr));
  }
  ~EqTest() override { link.CloseUsbDevice(false); }

  std::vector<std::string> sent() { return framesHex(backend.written()); }

  VirtualClock clock;
  test::EchoBackend backend{clock};
  ParameterMemory mem;
  UsbLink link{backend, clock, mem.dev};
  Commands cmd{mem, link, clock};
  EqSenders eq{cmd};
};

// ---- band senders -------------------------------------------------------------------------

TEST_F(EqTest, EachSenderWritesItsRecordAndItsSection) {
  struct Case {
    const char* name;
    std::function<void(EqSenders&, int, float, int, float)> send;
    int address, block, index;
  };
  const std::vector<Case> cases = {
      {"mic A band 9",
       [](EqSenders& e, int t, float g, int f, float q) { e.SendMicAEqBand(9, t, g, f, q); }, 63, 1,
       25},
      {"mic B band 0",
       [](EqSenders& e, int t, float g, int f, float q) { e.SendMicBEqBand(0, t, g, f, q); }, 70, 1,
       35},
      {"mic B band 9",
       [](EqSenders& e, int t, float g, int f, float q) { e.SendMicBEqBand(9, t, g, f, q); }, 133,
       1, 44},
      {"echo A band 6",
       [](EqSenders& e, int t, float g, int f, float q) { e.SendEchoAEqBand(6, t, g, f, q); }, 182,
       2, 6},
      {"echo B band 0",
       [](EqSenders& e, int t, float g, int f, float q) { e.SendEchoBEqBand(0, t, g, f, q); }, 189,
       2, 13},
      {"reverb A band 0",
       [](EqSenders& e, int t, float g, int f, float q) { e.SendReverbAEqBand(0, t, g, f, q); },
       238, 3, 0},
      {"reverb B band 6",
       [](EqSenders& e, int t, float g, int f, float q) { e.SendReverbBEqBand(6, t, g, f, q); },
       329, 3, 18},
      {"music band 9",
       [](EqSenders& e, int t, float g, int f, float q) { e.SendMusicEqBand(9, t, g, f, q); }, 399,
       4, 9},
      {"output 0 band 0",
       [](EqSenders& e, int t, float g, int f, float q) { e.SendOutputEqBand(0, 0, t, g, f, q); },
       406, 5, 0},
      {"output 7 band 14 (split low-pass)",
       [](EqSenders& e, int t, float g, int f, float q) { e.SendOutputEqBand(7, 14, t, g, f, q); },
       1239, 12, 14},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t before = backend.written().size();
    c.send(eq, 1, 3.5f, 1000, 1.414f);
    // 3.5 dB -> 185, 1000 Hz, Q 1414, PEQ
    const PackedBand expected = rawRecord(185, 1000, 1414, 1);
    EXPECT_EQ(recordAt(mem, c.address), expected);
    const auto all = sent();
    ASSERT_EQ(all.size(), before + 2);
    EXPECT_EQ(all[before], recordFrame(c.address, expected));
    EXPECT_EQ(all[before + 1], sectionFrame(c.block, c.index, 1, 3.5f, 1000, 1.414f));
  }
}

TEST_F(EqTest, BandsOutsideTheirFamilyDoNothing) {
  const auto image = mem.boxImage.snapshot();
  eq.SendMicAEqBand(10, 1, 0, 100, 1);  // would land on group B and the bypass index
  eq.SendMicBEqBand(-1, 1, 0, 100, 1);
  eq.SendEchoAEqBand(7, 1, 0, 100, 1);
  eq.SendReverbBEqBand(7, 1, 0, 100, 1);
  eq.SendMusicEqBand(10, 1, 0, 100, 1);
  eq.SendOutputEqBand(0, 15, 1, 0, 100, 1);
  eq.SendOutputEqBand(8, 0, 1, 0, 100, 1);
  eq.SendOutputEqBand(-1, 0, 1, 0, 100, 1);
  eq.ResendEqSet(15);
  eq.ResetOutputEq(8);
  EXPECT_EQ(mem.boxImage.snapshot(), image);
  EXPECT_TRUE(backend.written().empty());
}

// ---- resets ---------------------------------------------------------------------------------

TEST_F(EqTest, ResetsSetFlatBandsAtTheirFrequencies) {
  const std::vector<int> ten = {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
  const std::vector<int> seven = {63, 125, 250, 500, 1000, 2300, 5000};
  const std::vector<int> output = {31,   62,   125,   250,   500,   1000, 2000,
                                   4000, 8000, 16000, 16000, 16000, 16000};
  struct Case {
    const char* name;
    std::function<void(EqSenders&)> reset;
    int set;
    const std::vector<int>& freqs;
  };
  const std::vector<Case> cases = {
      {"mic A", [](EqSenders& e) { e.ResetMicAEq(); }, 0, ten},
      {"mic B", [](EqSenders& e) { e.ResetMicBEq(); }, 1, ten},
      {"reverb A", [](EqSenders& e) { e.ResetReverbAEq(); }, 2, seven},
      {"reverb B", [](EqSenders& e) { e.ResetReverbBEq(); }, 3, seven},
      {"echo A", [](EqSenders& e) { e.ResetEchoAEq(); }, 4, seven},
      {"echo B", [](EqSenders& e) { e.ResetEchoBEq(); }, 5, seven},
      {"music", [](EqSenders& e) { e.ResetMusicEq(); }, 6, ten},
      {"output 3", [](EqSenders& e) { e.ResetOutputEq(3); }, 10, output},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    mem.boxImage.fill(0xAB);
    const size_t before = backend.written().size();
    c.reset(eq);
    const auto all = sent();
    ASSERT_EQ(all.size(), before + 2 * c.freqs.size());
    for (size_t b = 0; b < c.freqs.size(); ++b) {
      SCOPED_TRACE(b);
      const int offset = EqSetOffset(c.set) + 7 * int(b);
      // 0 dB, Q 1.41, PEQ
      const PackedBand expected = rawRecord(150, uint16_t(c.freqs[b]), 1410, 1);
      EXPECT_EQ(recordAt(mem, offset), expected);
      const auto a = EqSenders::AddressOf(c.set, int(b));
      EXPECT_EQ(all[before + 2 * b], recordFrame(offset, expected));
      EXPECT_EQ(all[before + 2 * b + 1],
                sectionFrame(a.block, a.index, 1, 0.0f, c.freqs[b], 1.41f));
    }
    // Nothing after the set changes (for an output: the split records stay).
    EXPECT_EQ(mem.boxImage.get(size_t(EqSetOffset(c.set) + 7 * int(c.freqs.size()))), 0xAB);
  }
}

// ---- re-send and copy keep stored bytes exactly -----------------------------------------------

// Codes that a decode (code / 1000 as float) and re-pack by truncation would not reproduce,
// next to everyday ones.
const std::vector<PackedBand> kAwkwardRecords = {
    rawRecord(150, 1000, 1414, 1),   rawRecord(185, 2000, 707, 1), rawRecord(7, 31, 251, 4),
    rawRecord(22, 62, 1009, 5),      rawRecord(299, 125, 5, 1),    rawRecord(0, 0, 0, 0),
    rawRecord(300, 20000, 30000, 3), rawRecord(71, 250, 2473, 2),  rawRecord(152, 500, 11, 22),
    rawRecord(149, 8000, 1009, 9),   rawRecord(14, 9000, 707, 1),  rawRecord(2, 10000, 251, 1),
    rawRecord(17, 11000, 5, 5),
};

TEST_F(EqTest, ResendEqSetWritesStoredBytesBackUnchanged) {
  const int set = 8;  // output 1
  const int base = EqSetOffset(set);
  for (int b = 0; b < 13; ++b) putRecordAt(mem, base + 7 * b, kAwkwardRecords[size_t(b)]);
  const auto image = mem.boxImage.snapshot();

  eq.ResendEqSet(set);

  EXPECT_EQ(mem.boxImage.snapshot(), image);
  const auto all = sent();
  ASSERT_EQ(all.size(), 26u);
  for (int b = 0; b < 13; ++b) {
    SCOPED_TRACE(b);
    const PackedBand& r = kAwkwardRecords[size_t(b)];
    EXPECT_EQ(all[size_t(2 * b)], recordFrame(base + 7 * b, r));
    const BandRecord d = UnpackBandRecord(r.data());
    EXPECT_EQ(all[size_t(2 * b + 1)], sectionFrame(6, b, d.type, d.gainDb, int(d.frequency), d.q));
  }
}

TEST_F(EqTest, ResendCoversEverySetWithItsBandCount) {
  const int counts[15] = {10, 10, 7, 7, 7, 7, 10, 13, 13, 13, 13, 13, 13, 13, 13};
  for (int set = 0; set < 15; ++set) {
    const size_t before = backend.written().size();
    eq.ResendEqSet(set);
    const auto all = backend.written();
    ASSERT_EQ(all.size(), before + 2 * size_t(counts[set])) << set;
    // The first record frame names the set's first address.
    EXPECT_EQ(getBe16(&all[before][2]), EqSetOffset(set)) << set;
  }
}

TEST_F(EqTest, CopyTenBandsToAnOutputFillsTheExtraBandsFlat) {
  for (int b = 0; b < 10; ++b) putRecordAt(mem, EqSetOffset(0) + 7 * b, kAwkwardRecords[size_t(b)]);
  putRecordAt(mem, EqSetOffset(0) + 63, rawRecord(200, 12345, 251, 9));  // band 9
  const int target = EqSetOffset(7);
  const auto split13 = recordAt(mem, target + 91);
  const auto split14 = recordAt(mem, target + 98);

  ASSERT_TRUE(eq.CopyEqSet(0, 7));

  for (int b = 0; b < 10; ++b) {
    EXPECT_EQ(recordAt(mem, target + 7 * b), recordAt(mem, EqSetOffset(0) + 7 * b)) << b;
  }
  for (int b = 10; b <= 12; ++b) {
    EXPECT_EQ(recordAt(mem, target + 7 * b), rawRecord(150, 12345, 251, 1)) << b;
  }
  EXPECT_EQ(recordAt(mem, target + 91), split13);
  EXPECT_EQ(recordAt(mem, target + 98), split14);
  // The target goes to the box: 13 records and 13 sections.
  const auto all = sent();
  ASSERT_EQ(all.size(), 26u);
  EXPECT_EQ(all[20], recordFrame(target + 70, rawRecord(150, 12345, 251, 1)));
  EXPECT_EQ(all[21], sectionFrame(5, 10, 1, 0.0f, 12345, 0.251f));
}

TEST_F(EqTest, CopyOutputToTenBandsTurnsACrossoverTypeIntoAPlainPass) {
  struct Case {
    uint8_t band9Type, expected;
  };
  for (auto [type, expected] :
       {Case{9, 3}, Case{8, 2}, Case{21, 3}, Case{6, 2}, Case{5, 5}, Case{22, 22}}) {
    SCOPED_TRACE(int(type));
    for (int b = 0; b < 13; ++b)
      putRecordAt(mem, EqSetOffset(7) + 7 * b, kAwkwardRecords[size_t(b)]);
    putRecordAt(mem, EqSetOffset(7) + 63, rawRecord(150, 4000, 1414, type));
    const auto micB = recordAt(mem, EqSetOffset(1));
    const size_t before = backend.written().size();

    ASSERT_TRUE(eq.CopyEqSet(7, 0));

    for (int b = 0; b < 9; ++b) {
      EXPECT_EQ(recordAt(mem, 7 * b), kAwkwardRecords[size_t(b)]) << b;
    }
    EXPECT_EQ(recordAt(mem, 63), rawRecord(150, 4000, 1414, expected));
    EXPECT_EQ(recordAt(mem, EqSetOffset(1)), micB);  // bands 10..12 are not copied
    EXPECT_EQ(backend.written().size(), before + 20);
  }
}

TEST_F(EqTest, CopyBetweenOtherSetsCopiesTheSmallerCount) {
  for (int b = 0; b < 10; ++b) putRecordAt(mem, EqSetOffset(6) + 7 * b, kAwkwardRecords[size_t(b)]);
  const auto after = recordAt(mem, EqSetOffset(4) + 49);  // first record behind set 4
  ASSERT_TRUE(eq.CopyEqSet(6, 4));
  for (int b = 0; b < 7; ++b)
    EXPECT_EQ(recordAt(mem, EqSetOffset(4) + 7 * b), kAwkwardRecords[size_t(b)]);
  EXPECT_EQ(recordAt(mem, EqSetOffset(4) + 49), after);
  EXPECT_EQ(sent().size(), 14u);

  // Output to output: no fix-ups, a crossover type stays.
  putRecordAt(mem, EqSetOffset(7) + 63, rawRecord(150, 4000, 1414, 9));
  ASSERT_TRUE(eq.CopyEqSet(7, 14));
  EXPECT_EQ(recordAt(mem, EqSetOffset(14) + 63), rawRecord(150, 4000, 1414, 9));
}

TEST_F(EqTest, CopyWithASetOutOfRangeChangesNothing) {
  const auto image = mem.boxImage.snapshot();
  for (auto [s, t] : {std::pair{3, 15}, std::pair{-1, 0}, std::pair{0, -1}, std::pair{15, 7}}) {
    EXPECT_FALSE(eq.CopyEqSet(s, t)) << s << "->" << t;
  }
  EXPECT_EQ(mem.boxImage.snapshot(), image);
  EXPECT_TRUE(backend.written().empty());
}

// ---- high-frequency split -----------------------------------------------------------------

TEST_F(EqTest, FindHighFreqSplitMatchesTheHighPassFrequency) {
  const int ch = 4;
  const int record13 = BandRecordOffset(5 + ch, 13);
  const std::vector<std::pair<uint16_t, int>> cases = {{500, 0}, {600, 1},  {1700, 12}, {3000, 25},
                                                       {550, 0}, {3100, 0}, {0, 0},     {1000, 5}};
  for (auto [hz, entry] : cases) {
    putRecordAt(mem, record13, rawRecord(150, hz, 707, 3));
    EXPECT_EQ(eq.FindHighFreqSplit(ch), entry) << hz;
  }
  EXPECT_EQ(eq.FindHighFreqSplit(8), 0);
  EXPECT_EQ(eq.FindHighFreqSplit(-1), 0);
}

TEST_F(EqTest, SetHighFreqSplitWritesTheHighAndLowPassPair) {
  eq.SetHighFreqSplit(1, 5);
  const int r13 = BandRecordOffset(6, 13), r14 = BandRecordOffset(6, 14);
  EXPECT_EQ(r13, 602);
  EXPECT_EQ(recordAt(mem, r13), rawRecord(150, 1000, 707, 3));
  EXPECT_EQ(recordAt(mem, r14), rawRecord(150, 1500, 707, 2));
  EXPECT_EQ(sent(), (std::vector<std::string>{
                        recordFrame(r13, rawRecord(150, 1000, 707, 3)),
                        sectionFrame(6, 13, 3, 0.0f, 1000, 0.707f),
                        recordFrame(r14, rawRecord(150, 1500, 707, 2)),
                        sectionFrame(6, 14, 2, 0.0f, 1500, 0.707f),
                    }));
  const auto image = mem.boxImage.snapshot();
  eq.SetHighFreqSplit(1, 26);
  eq.SetHighFreqSplit(1, -1);
  eq.SetHighFreqSplit(8, 0);
  EXPECT_EQ(mem.boxImage.snapshot(), image);
  EXPECT_EQ(sent().size(), 4u);
}

TEST_F(EqTest, HighFreqDelayModeOneFlattensTheSplitAndModeZeroRestoresIt) {
  const int ch = 1;
  eq.SetHighFreqSplit(ch, 7);  // 1200 / 1700 Hz
  const auto split = mem.boxImage.snapshot();
  const int r13 = BandRecordOffset(5 + ch, 13), r14 = BandRecordOffset(5 + ch, 14);
  const size_t start = backend.written().size();

  eq.SetHighFreqDelay(ch, 1);
  EXPECT_EQ(mem.pc.getInt(170), 1);
  EXPECT_EQ(recordAt(mem, r13), rawRecord(150, 1200, 707, 1));
  EXPECT_EQ(recordAt(mem, r14), rawRecord(150, 1700, 707, 1));
  auto all = sent();
  ASSERT_EQ(all.size(), start + 5);
  EXPECT_EQ(all[start], test::frames({"02 09 00 06 11 02 3F 80 00 00 00 00 00 00"})[0]);
  EXPECT_EQ(all[start + 2], sectionFrame(6, 13, 1, 0.0f, 1200, 0.707f));
  EXPECT_EQ(all[start + 4], sectionFrame(6, 14, 1, 0.0f, 1700, 0.707f));

  eq.SetHighFreqDelay(ch, 0);
  EXPECT_EQ(mem.pc.getInt(170), 0);
  EXPECT_EQ(mem.boxImage.snapshot(), split);
  all = sent();
  ASSERT_EQ(all.size(), start + 10);
  EXPECT_EQ(all[start + 5], test::frames({"02 09 00 06 11 02 3F 80 00 00 3F 80 00 00"})[0]);
  EXPECT_EQ(all[start + 7], sectionFrame(6, 13, 3, 0.0f, 1200, 0.707f));
  EXPECT_EQ(all[start + 9], sectionFrame(6, 14, 2, 0.0f, 1700, 0.707f));
}

}  // namespace
}  // namespace ax7
