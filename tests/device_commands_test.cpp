// The outgoing command set, checked by the bytes that reach the box.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "device/commands.h"
#include "params/defaults.h"
#include "params/room.h"
#include "support/echo_backend.h"
#include "support/frame_capture.h"

namespace ax7 {
namespace {

using test::frames;
using test::framesHex;

uint32_t bits(float v) {
  return std::bit_cast<uint32_t>(v);
}

std::vector<std::string> normalised(const std::vector<std::string>& hex) {
  std::vector<std::string> out;
  for (const auto& h : hex) out.push_back(test::frameHex(test::parseFrame(h)));
  return out;
}

// Code 0x07 followed by 70 arguments of 0x11.
template <size_t... I>
int sendSeventyArguments(Commands& c, std::index_sequence<I...>) {
  return c.SendCommand(0x07, ((void)I, 0x11)...);
}

template <size_t N>
std::string hexOf(const std::array<uint8_t, N>& bytes) {
  std::string out;
  char buf[4];
  for (uint8_t b : bytes) {
    std::snprintf(buf, sizeof buf, " %02X", b);
    out += buf;
  }
  return out;
}

class CommandsTest : public ::testing::Test {
 protected:
  CommandsTest() {
    InitParameterMemory(mem);
    link.setTrace(&trace);
  }
  ~CommandsTest() override { link.CloseUsbDevice(false); }

  void open() { ASSERT_TRUE(link.OpenUsbDevice(nullptr)); }
  std::vector<std::string> sent() { return framesHex(backend.written()); }

  VirtualClock clock;
  test::EchoBackend backend{clock};
  ParameterMemory mem;
  UsbLink link{backend, clock, mem.dev};
  Commands cmd{mem, link, clock};
  test::CapturingTrace trace{clock};
};

// ---- base senders -------------------------------------------------------------------------

TEST_F(CommandsTest, BaseSendersBuildTheirFrames) {
  open();
  struct Case {
    const char* name;
    std::function<int(Commands&)> op;
    std::string frame;
  };
  std::string fullOfArguments = "02 07";
  for (int i = 0; i < 59; ++i) fullOfArguments += " 11";
  std::string memory56 = "02 85 12 34 38";
  for (int i = 0; i < 56; ++i) memory56 += " 5A";
  const std::vector<uint8_t> sixty(60, 0x5A);
  const std::vector<Case> cases = {
      {"leaving notice", [](Commands& c) { return c.SendCommand(0x8A); }, "02 8A"},
      {"parameter request", [](Commands& c) { return c.SendCommand(0x0A, 0, 1, 14, 1); },
       "02 0A 00 01 0E 01"},
      {"-1 ends the arguments", [](Commands& c) { return c.SendCommand(0x60, 5, -1, 7); },
       "02 60 05"},
      {"a code of -1 is still sent", [](Commands& c) { return c.SendCommand(-1); }, "02 FF"},
      {"only low bytes", [](Commands& c) { return c.SendCommand(0x160, 0x1AA); }, "02 60 AA"},
      {"at most 59 argument bytes",
       [](Commands& c) { return sendSeventyArguments(c, std::make_index_sequence<70>()); },
       fullOfArguments},
      {"master volume", [](Commands& c) { return c.WriteDspParam(1, 14, EncodeMaster(50), 1); },
       "02 09 00 01 0E 01 " + test::floatHex(0.5005f)},
      {"two-word parameter", [](Commands& c) { return c.WriteDspParam(3, 24, 0.5f, 2); },
       "02 09 00 03 18 02 3F 00 00 00 3F 00 00 00"},
      {"biquad order -a1 -a2 b0 b1 b2",
       [](Commands& c) {
         return c.WriteBiquad(5, 3, dsp::BiquadCoefficients{1.0, 2.0, 3.0, 0.5, -0.25});
       },
       "02 09 00 05 03 05 BF 00 00 00 3E 80 00 00 3F 80 00 00 40 00 00 00 40 40 00 00"},
      {"box memory is cut to 56 bytes",
       [&](Commands& c) { return c.WriteBoxMemory(0x1234, sixty.data(), 60); }, memory56},
      {"empty box memory write", [](Commands& c) { return c.WriteBoxMemory(1278, nullptr, 0); },
       "02 85 04 FE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t before = backend.written().size();
    EXPECT_EQ(c.op(cmd), 61);
    const auto all = sent();
    ASSERT_EQ(all.size(), before + 1);
    EXPECT_EQ(all.back(), frames({c.frame})[0]);
  }
}

TEST_F(CommandsTest, BaseSendersRefuseWhatCannotBeFramed) {
  open();
  const uint8_t data[4] = {1, 2, 3, 4};
  EXPECT_EQ(cmd.WriteBoxMemory(0, data, -1), 0);
  EXPECT_EQ(cmd.WriteBoxMemory(-5, data, 4), 0);
  EXPECT_EQ(cmd.WriteBoxMemory(0x10000, data, 4), 0);
  EXPECT_EQ(cmd.WriteBoxMemory(0, nullptr, 4), 0);
  EXPECT_EQ(cmd.WriteDspParam(1, 1, 1.0f, 14), 0);  // 13 words fill a report
  EXPECT_EQ(cmd.WriteDspParam(1, 1, 1.0f, 0), 0);
  EXPECT_EQ(cmd.WriteDspWords(1, 1, nullptr, 1), 0);
  EXPECT_TRUE(backend.written().empty());
  // The largest DSP write still fits.
  EXPECT_EQ(cmd.WriteDspParam(1, 1, 1.0f, 13), 61);
  const Report full = backend.written().back();
  EXPECT_EQ(full[5], 13);
  EXPECT_EQ(full[54], 0x3F);  // the 13th word takes bytes 54..57
  EXPECT_EQ(full[55], 0x80);
  EXPECT_EQ(full[58], 0x00);
}

// ---- encoders: where they store and what they send ----------------------------------------

struct EncoderCase {
  const char* name;
  std::function<void(Commands&)> op;
  std::vector<std::pair<int, uint32_t>> stored;  // PC word, raw value
  std::vector<std::string> frames;
};

std::vector<EncoderCase> encoderCases() {
  const std::string half = " 3F 00 00 00";
  const std::string one = " 3F 80 00 00";
  const std::string zero = " 00 00 00 00";
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<std::string> fade;
  for (int i = 0; i <= 8; ++i) fade.push_back("02 09 00 04 0C 01 " + test::floatHex(i / 10.0f));
  fade.push_back("02 09 00 04 0C 01" + one);
  return {
      // byte words
      {"mic A bypass carries the low byte of 300",
       [](Commands& c) { c.SetMicAEqBypass(300); },
       {{5, 300}},
       {"02 09 00 01 1A 01 00 00 00 2C"}},
      {"mic B bypass",
       [](Commands& c) { c.SetMicBEqBypass(1); },
       {{13, 1}},
       {"02 09 00 01 2D 01 00 00 00 01"}},
      {"echo A bypass",
       [](Commands& c) { c.SetEchoAEqBypass(1); },
       {{29, 1}},
       {"02 09 00 02 07 01 00 00 00 01"}},
      {"echo B bypass",
       [](Commands& c) { c.SetEchoBEqBypass(1); },
       {{35, 1}},
       {"02 09 00 02 14 01 00 00 00 01"}},
      {"reverb A bypass",
       [](Commands& c) { c.SetReverbAEqBypass(1); },
       {{43, 1}},
       {"02 09 00 03 07 01 00 00 00 01"}},
      {"reverb B bypass",
       [](Commands& c) { c.SetReverbBEqBypass(1); },
       {{47, 1}},
       {"02 09 00 03 13 01 00 00 00 01"}},
      {"music bypass",
       [](Commands& c) { c.SetMusicEqBypass(1); },
       {{61, 1}},
       {"02 09 00 04 0A 01 00 00 00 01"}},
      {"music source",
       [](Commands& c) { c.SetMusicSource(5); },
       {{63, 5}},
       {"02 09 00 04 14 01 00 00 00 05"}},
      {"delay switch ch 2",
       [](Commands& c) { c.SetDelayOn(2, 1); },
       {{163, 1}},
       {"02 09 00 07 13 01 00 00 00 01"}},
      {"compressor switch ch 7",
       [](Commands& c) { c.SetCompressorOn(7, 1); },
       {{120, 1}},
       {"02 09 00 0C 1C 01 00 00 00 01"}},
      // levels and the gate
      {"mic volume input 2",
       [](Commands& c) { c.SetMicVolume(2, 50); },
       {{21, 50}},
       {"02 09 00 01 06 01" + half}},
      {"mic gate input 3 is /10000",
       [](Commands& c) { c.SetMicGate(3, 5000); },
       {{26, 5000}},
       {"02 09 00 01 0B 01" + half}},
      {"echo level A",
       [](Commands& c) { c.SetEchoLevelA(50); },
       {{30, 50}},
       {"02 09 00 02 08 01" + half}},
      {"echo level B",
       [](Commands& c) { c.SetEchoLevelB(50); },
       {{36, 50}},
       {"02 09 00 02 15 01" + half}},
      {"echo start volume A",
       [](Commands& c) { c.SetEchoStartVolA(50); },
       {{33, 50}},
       {"02 09 00 02 0B 01" + half}},
      {"echo start volume B",
       [](Commands& c) { c.SetEchoStartVolB(50); },
       {{39, 50}},
       {"02 09 00 02 18 01" + half}},
      {"echo decay A",
       [](Commands& c) { c.SetEchoDecayA(50); },
       {{34, 50}},
       {"02 09 00 02 0C 01" + half}},
      {"echo decay B",
       [](Commands& c) { c.SetEchoDecayB(50); },
       {{40, 50}},
       {"02 09 00 02 19 01" + half}},
      {"reverb level A",
       [](Commands& c) { c.SetReverbLevelA(50); },
       {{44, 50}},
       {"02 09 00 03 08 01" + half}},
      {"reverb level B",
       [](Commands& c) { c.SetReverbLevelB(50); },
       {{48, 50}},
       {"02 09 00 03 14 01" + half}},
      {"optical volume",
       [](Commands& c) { c.SetOpticalVolume(50); },
       {{54, 50}},
       {"02 09 00 04 15 01" + half}},
      {"HDMI volume",
       [](Commands& c) { c.SetHdmiVolume(50); },
       {{55, 50}},
       {"02 09 00 04 17 01" + half}},
      {"Bluetooth volume",
       [](Commands& c) { c.SetBtVolume(50); },
       {{56, 50}},
       {"02 09 00 04 1B 01" + half}},
      // times: 48 samples per ms, rounded half up, with their minimums
      {"echo pre-delay A below 2 ms",
       [](Commands& c) { c.SetEchoPredelayA(0.5f); },
       {{31, bits(2.0f)}},
       {"02 09 00 02 09 01 00 00 00 60"}},
      {"echo pre-delay B rounds 480.6 samples up",
       [](Commands& c) { c.SetEchoPredelayB(10.0125f); },
       {{37, bits(10.0125f)}},
       {"02 09 00 02 16 01 00 00 01 E1"}},
      {"reverb pre-delay A NaN becomes the minimum",
       [=](Commands& c) { c.SetReverbPredelayA(nan); },
       {{45, bits(2.0f)}},
       {"02 09 00 03 09 01 00 00 00 60"}},
      {"reverb pre-delay B",
       [](Commands& c) { c.SetReverbPredelayB(25.26f); },
       {{49, bits(25.26f)}},
       {"02 09 00 03 15 01 00 00 04 BC"}},
      {"echo time A 12.7 is raised to 40",
       [](Commands& c) { c.SetEchoTimeA(12.7f); },
       {{32, bits(40.0f)}},
       {"02 09 00 02 0A 01 00 00 07 80"}},
      {"echo time A 250.9 keeps its integer part",
       [](Commands& c) { c.SetEchoTimeA(250.9f); },
       {{32, bits(250.0f)}},
       {"02 09 00 02 0A 01 00 00 2E E0"}},
      {"echo time B 39.99",
       [](Commands& c) { c.SetEchoTimeB(39.99f); },
       {{38, bits(40.0f)}},
       {"02 09 00 02 17 01 00 00 07 80"}},
      {"echo time B infinite saturates",
       [](Commands& c) { c.SetEchoTimeB(INFINITY); },
       {{38, bits(INFINITY)}},
       {"02 09 00 02 17 01 7F FF FF FF"}},
      {"reverb time A to both indexes",
       [](Commands& c) { c.SetReverbTimeA(50); },
       {{46, bits(50.0f)}},
       {"02 09 00 03 0A 01" + half, "02 09 00 03 0B 01" + half}},
      {"reverb time B",
       [](Commands& c) { c.SetReverbTimeB(100); },
       {{50, bits(100.0f)}},
       {"02 09 00 03 16 01" + one, "02 09 00 03 17 01" + one}},
      {"channel delay 0 becomes 1.5 ms",
       [](Commands& c) { c.SetChannelDelay(3, 0.0f); },
       {{156, bits(1.5f)}},
       {"02 09 00 08 12 01 00 00 00 48"}},
      {"channel delay ch 0",
       [](Commands& c) { c.SetChannelDelay(0, 20.0f); },
       {{153, bits(20.0f)}},
       {"02 09 00 05 12 01 00 00 03 C0"}},
      // frequency shift
      {"shift A 1 only switches off",
       [](Commands& c) { c.SetShiftFreqA(1); },
       {{7, 1}, {8, 1}},
       {"02 09 00 01 21 01 00 00 00 01"}},
      {"shift A 4 Hz",
       [](Commands& c) { c.SetShiftFreqA(4); },
       {{7, 4}, {8, 0}},
       {"02 09 00 01 21 01" + zero, "02 09 00 01 1F 01 3A 09 42 1E",
        "02 09 00 01 20 01 00 00 07 08"}},
      {"shift B 3 Hz",
       [](Commands& c) { c.SetShiftFreqB(3); },
       {{15, 3}, {16, 0}},
       {"02 09 00 01 34 01" + zero, "02 09 00 01 32 01 39 CD E3 2E",
        "02 09 00 01 33 01 00 00 0A F0"}},
      {"shift B 0",
       [](Commands& c) { c.SetShiftFreqB(0); },
       {{15, 0}, {16, 0}},
       {"02 09 00 01 34 01" + zero, "02 09 00 01 32 01" + zero, "02 09 00 01 33 01" + zero}},
      // music
      {"music mute",
       [](Commands& c) { c.SetMusicMute(1); },
       {{60, 1}},
       {"02 09 00 04 0C 01" + zero}},
      {"music unmute fades in", [](Commands& c) { c.SetMusicMute(0); }, {{60, 0}}, fade},
      {"AGC level is sent as raw bits",
       [](Commands& c) { c.SetMusicAgcLevel(0x12345678); },
       {{194, 0x12345678}},
       {"02 09 00 04 0E 01 12 34 56 78"}},
      // compressor: threshold, 0, 1 - 1/ratio, 20, 0.05, attack and release coefficients
      {"compressor ch 1",
       [](Commands& c) { c.SetCompressor(1, -20.0f, 4.0f, 10.0f, 100.0f); },
       {{122, bits(-20.0f)}, {130, bits(4.0f)}, {138, bits(10.0f)}, {146, bits(100.0f)}},
       {"02 09 00 06 1B 07 C1 A0 00 00 00 00 00 00 3F 40 00 00 41 A0 00 00 3D 4C CC CD "
        "3B 08 64 26 39 5A 6E 3A"}},
  };
}

TEST_F(CommandsTest, EncodersStoreThenSendOneParameter) {
  open();
  std::vector<uint32_t> atFirstWrite;
  bool first = true;
  trace.onWritten = [&](const Report&) {
    if (!first) return;
    first = false;
    atFirstWrite.clear();
    for (int w = 0; w < kPcWords; ++w) atFirstWrite.push_back(mem.pc.raw(size_t(w)));
  };
  for (const auto& c : encoderCases()) {
    SCOPED_TRACE(c.name);
    const size_t before = backend.written().size();
    first = true;
    c.op(cmd);
    const auto all = sent();
    ASSERT_GE(all.size(), before);
    EXPECT_EQ(std::vector<std::string>(all.begin() + long(before), all.end()),
              normalised(c.frames));
    ASSERT_FALSE(atFirstWrite.empty());
    for (auto [word, raw] : c.stored) {
      EXPECT_EQ(mem.pc.raw(size_t(word)), raw) << "word " << word;
      EXPECT_EQ(atFirstWrite[size_t(word)], raw) << "word " << word << " not stored before sending";
    }
  }
}

TEST_F(CommandsTest, EncodersStoreWithoutAnOpenBox) {
  for (const auto& c : encoderCases()) {
    SCOPED_TRACE(c.name);
    c.op(cmd);
    for (auto [word, raw] : c.stored) EXPECT_EQ(mem.pc.raw(size_t(word)), raw) << "word " << word;
  }
  EXPECT_TRUE(backend.written().empty());
}

TEST_F(CommandsTest, UnmuteFadesInTenStepsOver270Ms) {
  open();
  const int64_t start = clock.nowMs();
  cmd.SetMusicMute(0);
  const auto times = trace.times();
  ASSERT_EQ(times.size(), 10u);
  for (size_t i = 0; i < times.size(); ++i) EXPECT_EQ(times[i] - start, int64_t(30 * i)) << i;
  EXPECT_EQ(clock.nowMs() - start, 270);
}

TEST_F(CommandsTest, OutOfRangeChannelsAndInputsDoNothing) {
  open();
  const std::vector<std::function<void()>> ops = {
      [&] { cmd.SetDelayOn(8, 1); },
      [&] { cmd.SetCompressorOn(-1, 1); },
      [&] { cmd.SetMicVolume(4, 10); },
      [&] { cmd.SetMicGate(-1, 10); },
      [&] { cmd.SetChannelDelay(8, 10.0f); },
      [&] { cmd.SetCompressor(8, -10.0f, 2.0f, 1.0f, 1.0f); },
      [&] { cmd.SetRoomTrim(-1, 3.0f); },
      [&] { cmd.SetRoomTrim(8, 3.0f); },
      [&] { cmd.SetShiftFreqA(6); },
      [&] { cmd.SetShiftFreqB(-1); },
  };
  std::vector<uint32_t> pc;
  for (int w = 0; w < kPcWords; ++w) pc.push_back(mem.pc.raw(size_t(w)));
  const auto trim = mem.roomTrim.snapshot();
  for (const auto& op : ops) op();
  for (int w = 0; w < kPcWords; ++w) EXPECT_EQ(mem.pc.raw(size_t(w)), pc[size_t(w)]) << w;
  EXPECT_EQ(mem.roomTrim.snapshot(), trim);
  EXPECT_TRUE(backend.written().empty());
}

// ---- modes ----------------------------------------------------------------------------------

TEST_F(CommandsTest, SelectBoxModeClampsAndClearsTheChangedFlag) {
  open();
  const std::vector<std::pair<int, int>> cases = {{7, 3}, {-2, 0}, {2, 2}};
  for (auto [asked, sentMode] : cases) {
    SCOPED_TRACE(asked);
    mem.dev.g_bParamsChanged = 1;
    cmd.SelectBoxMode(asked);
    EXPECT_EQ(mem.dev.g_bParamsChanged.load(), 0);
    EXPECT_EQ(mem.dev.g_nCurrentMode.load(), sentMode);
    EXPECT_EQ(sent().back(), frames({"02 04 0" + std::to_string(sentMode)})[0]);
  }
}

TEST_F(CommandsTest, SaveBoxModeSendsBothHalves20MsApart) {
  open();
  mem.dev.g_bParamsChanged = 1;
  cmd.SaveBoxMode(9);
  EXPECT_EQ(sent(), frames({"02 03 03", "02 04 03"}));
  const auto times = trace.times();
  ASSERT_EQ(times.size(), 2u);
  EXPECT_EQ(times[1] - times[0], 20);
  EXPECT_EQ(trace.phases(), std::vector<std::string>{"SaveBoxMode"});
  EXPECT_EQ(mem.dev.g_nCurrentMode.load(), 3);
  EXPECT_EQ(mem.dev.g_bParamsChanged.load(), 1);  // only selecting a mode clears it
}

// Master volumes are worked out exactly and rounded once; summing in single precision is one
// bit off for a third of the slider positions (80 among them).
TEST(EncodeMaster, RoundsTheExactValueOnce) {
  for (int v = 0; v <= 100; ++v) EXPECT_EQ(EncodeMaster(v), float(v / 100.0 + 0.0005)) << v;
  EXPECT_EQ(EncodeMaster(80), 0.8005f);
  EXPECT_EQ(EncodeMaster(60), 0.6005f);
}

// ---- room -----------------------------------------------------------------------------------

TEST(PackRoomTrim, WordsMatchTheBoxTables) {
  struct Case {
    float db;
    uint32_t c1, c2;
  };
  for (auto [db, c1, c2] : {Case{0.0f, 0x3F800000, 0x3F800000}, Case{-3.0f, 0x3F42A85A, 0x3F353BEF},
                            Case{6.0f, 0x3FE08422, 0x3FFF64C1}}) {
    SCOPED_TRACE(db);
    const auto w = PackRoomTrim(db);
    EXPECT_EQ(bits(w[0]), c1);
    EXPECT_EQ(bits(w[1]), c2);
    EXPECT_EQ(bits(w[2]), 0x3F7EFF25u);
    EXPECT_EQ(bits(w[3]), 0xBFFF7EF1u);
    EXPECT_EQ(bits(w[4]), c1);
    EXPECT_EQ(bits(w[5]), c2);
  }
}

TEST_F(CommandsTest, RoomTrimWritesTheWholeBlockThenSixWords) {
  open();
  PutRoomTrimDb(mem, 0, 1.0f);  // other entries travel with the block
  cmd.SetRoomTrim(2, -3.0f);
  EXPECT_FLOAT_EQ(RoomTrimDb(mem, 2), -3.0f);
  std::string block = "02 85 04 DE 20 3F 80 00 00 00 00 00 00 C0 40 00 00";
  EXPECT_EQ(sent(), frames({block,
                            "02 09 00 07 1D 06 3F 42 A8 5A 3F 35 3B EF 3F 7E FF 25 BF FF 7E F1 "
                            "3F 42 A8 5A 3F 35 3B EF"}));
}

TEST_F(CommandsTest, StoreRoomBlockEncodesAndWrites) {
  open();
  mem.room.setWidth(0x107);  // only the low byte fits
  mem.room.setLength(5);
  for (int i = 2; i < kRoomBlockSize; ++i) mem.room.setCoord(i, float(i) / 10.0f);
  mem.room.setCoord(2, -0.5f);
  mem.room.setCoord(3, 0.5f);
  mem.room.setCoord(19, -12.7f);
  cmd.StoreRoomBlock();
  const std::string expected =
      "02 85 04 FE 14 07 05 85 05 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 FF";
  EXPECT_EQ(sent(), frames({expected}));
  EXPECT_EQ(test::frameHex(test::parseFrame("02 85 04 FE 14 " + hexOf(mem.roomBlock.snapshot()))),
            frames({expected})[0]);
}

TEST_F(CommandsTest, ResetRoomRestoresTrimsAndTheDefaultRoom) {
  open();
  for (int ch = 0; ch < 8; ++ch) PutRoomTrimDb(mem, ch, float(ch) - 4.0f);
  mem.room.setWidth(9);
  mem.room.setCoord(4, 3.3f);
  cmd.ResetRoom();

  for (int ch = 0; ch < 8; ++ch) EXPECT_EQ(RoomTrimDb(mem, ch), 0.0f) << ch;
  for (int i = 2; i < kRoomBlockSize; ++i) {
    EXPECT_EQ(mem.room.coord(i), DecodeRoomCoordinate(kDefaultRoomBlock[size_t(i)])) << i;
  }
  EXPECT_EQ(mem.room.width(), 4);
  EXPECT_EQ(mem.room.length(), 4);

  const auto all = sent();
  ASSERT_EQ(all.size(), 17u);  // per channel the trim block and its words, then the room
  for (int ch = 0; ch < 8; ++ch) {
    EXPECT_EQ(all[size_t(2 * ch)].substr(0, 14), "02 85 04 DE 20") << ch;
    char head[32];
    std::snprintf(head, sizeof head, "02 09 00 %02X 1D 06", 5 + ch);
    EXPECT_EQ(
        all[size_t(2 * ch + 1)],
        frames({std::string(head) +
                " 3F 80 00 00 3F 80 00 00 3F 7E FF 25 BF FF 7E F1 3F 80 00 00 3F 80 00 00"})[0]);
  }
  EXPECT_EQ(all[14], frames({"02 85 04 DE 20"})[0]);  // the last trim block is all zero
  // What the box gets is what memory keeps, and it decodes to the default room.
  EXPECT_EQ(all.back(), frames({"02 85 04 FE 14 " + hexOf(mem.roomBlock.snapshot())})[0]);
  for (int i = 0; i < kRoomBlockSize; ++i) {
    EXPECT_EQ(DecodeRoomCoordinate(mem.roomBlock.get(size_t(i))),
              DecodeRoomCoordinate(kDefaultRoomBlock[size_t(i)]))
        << i;
  }
}

}  // namespace
}  // namespace ax7
