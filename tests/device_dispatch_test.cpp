#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <climits>
#include <cmath>
#include <numbers>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "device/dispatcher.h"
#include "device/status_text.h"
#include "params/byte_order.h"
#include "params/defaults.h"
#include "params/room.h"

namespace ax7 {
namespace {

class RecordingNotifier : public ViewNotifier {
 public:
  struct Message {
    int message;
    intptr_t wParam;
    intptr_t lParam;
    bool operator==(const Message&) const = default;
  };
  void post(int message, intptr_t wParam, intptr_t lParam) override {
    posted.push_back({message, wParam, lParam});
  }
  intptr_t send(int message, intptr_t wParam, intptr_t lParam) override {
    sent.push_back({message, wParam, lParam});
    return 0;
  }
  void showError(const std::string& text, const std::string& caption) override {
    errors.push_back(text);
    captions.push_back(caption);
  }

  std::vector<Message> posted, sent;
  std::vector<std::string> errors, captions;
};

// "00 86 00 00 ..." -> a report, the rest zero.
Report fromHex(const std::string& hex) {
  Report r{};
  std::istringstream in(hex);
  std::string byte;
  size_t i = 0;
  while (in >> byte) r.at(i++) = uint8_t(std::stoul(byte, nullptr, 16));
  return r;
}

uint32_t bits(float v) {
  return std::bit_cast<uint32_t>(v);
}

Report paramReply(int block, int index, std::vector<uint32_t> words, int status = 0) {
  Report r{};
  r[1] = 0x0A;
  r[2] = uint8_t(status);
  r[3] = uint8_t(block);
  r[4] = uint8_t(index);
  r[5] = uint8_t(words.size());
  for (size_t k = 0; k < words.size(); ++k) putBe32(&r[6 + 4 * k], words[k]);
  return r;
}

Report memoryAnswer(int address, int length, std::vector<uint8_t> data) {
  Report r{};
  r[1] = 0x86;
  putBe16(&r[2], uint16_t(address));
  r[4] = uint8_t(length);
  for (size_t i = 0; i < data.size() && 5 + i < kReportSize; ++i) r[5 + i] = data[i];
  return r;
}

// Every byte the dispatcher may write, to prove a report changed nothing or only its target.
struct Snapshot {
  explicit Snapshot(const ParameterMemory& m) {
    for (int n = 0; n < kPcWords; ++n) pc.push_back(m.pc.raw(size_t(n)));
    auto add = [this](const auto& block) {
      auto s = block.snapshot();
      bytes.insert(bytes.end(), s.begin(), s.end());
    };
    add(m.boxImage);
    add(m.roomTrim);
    add(m.roomBlock);
    add(m.dev.g_liveStatus);
    add(m.dev.g_remoteKeys);
    add(m.dev.g_settingsCurrent);
    add(m.dev.g_settingsEdit);
    texts = {m.dev.g_szModule.get(), m.dev.g_szMcuVersion.get(), m.dev.g_szDspVersion.get()};
    for (const auto& name : m.dev.g_szModeName) texts.push_back(name.get());
    state = {m.dev.g_nCurrentMode.load(), m.dev.g_bParamsChanged.load(),
             int(m.dev.g_nCmdVersion.load()), m.room.width(), m.room.length()};
  }
  bool operator==(const Snapshot&) const = default;

  std::vector<uint32_t> pc;
  std::vector<uint8_t> bytes;
  std::vector<std::u16string> texts;
  std::vector<int> state;
};

class DispatchTest : public ::testing::Test {
 protected:
  DispatchTest() {
    InitParameterMemory(mem);
    disp.setNotifier(&view);
  }
  void feed(const Report& r) { disp.DispatchReport(r); }
  void feed(const std::string& hex) { feed(fromHex(hex)); }

  ParameterMemory mem;
  Dispatcher disp{mem};
  RecordingNotifier view;
};

// --- box memory answers (0x86) ---

TEST_F(DispatchTest, BlankBoxMemoryClearsTheWholeImageWhateverTheLength) {
  for (int length : {0, 2, 56, 255}) {
    InitParameterMemory(mem);
    PutRoomTrimDb(mem, 0, 2.5f);
    auto roomBlock = mem.roomBlock.snapshot();
    feed(memoryAnswer(0, length, {0xFF, 0xFF, 0x12}));
    auto image = mem.boxImage.snapshot();
    EXPECT_EQ(image, decltype(image){}) << "length " << length;
    EXPECT_EQ(RoomTrimDb(mem, 0), 2.5f) << "the room blocks are not part of the image";
    EXPECT_EQ(mem.roomBlock.snapshot(), roomBlock);
  }
}

TEST_F(DispatchTest, MemoryAnswerCopiesOnlyWhatTheReportAndTheBlockHold) {
  struct Case {
    const char* name;
    int address;
    int length;
    size_t firstChanged;  // in the box image
    size_t changed;
  };
  const Case cases[] = {
      {"plain chunk", 56, 3, 56, 3},
      {"length beyond the report", 0, 200, 0, 56},
      {"chunk at the end of the image", 1240, 56, 1240, 6},
      {"last full chunk", 1232, 14, 1232, 14},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitParameterMemory(mem);
    std::vector<uint8_t> data(56);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(0xA0 + i);
    auto before = mem.boxImage.snapshot();
    auto trim = mem.roomTrim.snapshot();
    feed(memoryAnswer(c.address, c.length, data));
    auto after = mem.boxImage.snapshot();
    for (size_t i = 0; i < after.size(); ++i) {
      bool inside = i >= c.firstChanged && i < c.firstChanged + c.changed;
      ASSERT_EQ(after[i], inside ? data[i - c.firstChanged] : before[i]) << "byte " << i;
    }
    EXPECT_EQ(mem.roomTrim.snapshot(), trim) << "nothing spills into the next block";
  }
}

TEST_F(DispatchTest, RoomTrimAndRoomBlockAnswers) {
  std::vector<uint8_t> trim(56, 0x11);
  putBeFloat(trim.data(), -3.5f);
  auto roomBlock = mem.roomBlock.snapshot();
  feed(memoryAnswer(1246, 56, trim));
  for (size_t i = 4; i < 32; ++i) EXPECT_EQ(mem.roomTrim.get(i), 0x11);
  EXPECT_EQ(getBeFloat(mem.roomTrim.snapshot().data()), -3.5f);
  EXPECT_EQ(mem.roomBlock.snapshot(), roomBlock) << "a long trim answer stops at its block";

  // The room values follow the block at once.
  feed("00 86 04 FE 14 07 03 85 0A 8A 0A 00 0A 0A 0A 8A 8A 00 8A 0A 8A 85 00 05 00 77 77");
  EXPECT_EQ(mem.room.width(), 7);
  EXPECT_EQ(mem.room.length(), 3);
  EXPECT_FLOAT_EQ(mem.room.coord(2), -0.5f);
  EXPECT_FLOAT_EQ(mem.room.coord(3), 1.0f);
  EXPECT_FLOAT_EQ(mem.room.coord(4), -1.0f);
}

TEST_F(DispatchTest, IgnoredReportsChangeNothing) {
  const char* reports[] = {
      "00 86 04 DF 02 01 02",              // between the image and the room trim block
      "00 86 FF FF 38 01 02",              // far beyond every block
      "00 86 05 00 02 01 02",              // just past the room block
      "00 DB 0F 40 0A FF FF FF FF 00 41",  // a blank mode name
      "00 DB 0F 20 0A 00 41 00 42",        // not a mode name address
      "00 55 01 02 03",                    // unknown code
      "00 12 05 01 02",                    // Z-Wave without a relay
      "00 14 00 00 38",
      "00 07 04",  // a mode the box cannot have
  };
  for (const char* hex : reports) {
    Snapshot before(mem);
    feed(hex);
    EXPECT_EQ(Snapshot(mem), before) << hex;
  }
  EXPECT_TRUE(view.sent.empty());
  EXPECT_TRUE(view.errors.empty());
}

// --- texts ---

TEST_F(DispatchTest, ModeNames) {
  feed("00 DB 0F 40 0C 00 50 00 61 00 72 00 74 00 79 00 00 00 5A");
  EXPECT_EQ(mem.dev.g_szModeName[1].get(), u"Party");
  EXPECT_EQ(mem.dev.g_szModeName[0].get(), u"Mode1");

  struct Case {
    const char* hex;
    int mode;
    std::u16string name;
  };
  const Case cases[] = {
      {"00 DB 0F 00 04 00 50 00 61 00 72", 0, u"Pa"},   // byte count ends the name
      {"00 DB 0F 80 05 00 50 00 61 00 72", 2, u"Par"},  // an odd count reads a last whole char
      {"00 DB 0F C0 08 4E 2D 65 87 00 00", 3, u"\u4E2D\u6587"},
      {"00 DB 0F C0 00 00 50", 3, u""},  // cleared even when nothing is read
  };
  for (const Case& c : cases) {
    feed(c.hex);
    EXPECT_EQ(mem.dev.g_szModeName[size_t(c.mode)].get(), c.name) << c.hex;
  }

  // A count past the report and the name's 24 characters stops at 24.
  Report r = fromHex("00 DB 0F 00 FF");
  for (size_t pos = 5; pos + 1 < kReportSize; pos += 2)
    putBe16(&r[pos], uint16_t(u'a' + (pos - 5) / 2));
  feed(r);
  EXPECT_EQ(mem.dev.g_szModeName[0].get(), u"abcdefghijklmnopqrstuvwx");
}

TEST_F(DispatchTest, IdentityStrings) {
  feed("00 80 41 58 37 00 39 39");
  EXPECT_EQ(mem.dev.g_szModule.get(), u"AX7");
  feed("00 81 32 30 31 33 E9");
  EXPECT_EQ(mem.dev.g_szMcuVersion.get(), u"2013\u00E9");

  // Up to 58 bytes are taken; each target keeps room for its terminating zero.
  Report longText = fromHex("00 7E");
  std::fill(longText.begin() + 2, longText.end(), 'x');
  feed(longText);
  EXPECT_EQ(mem.dev.g_szDspVersion.get(), std::u16string(10, u'x'));
  longText[1] = 0x80;
  feed(longText);
  EXPECT_EQ(mem.dev.g_szModule.get(), std::u16string(29, u'x'));
  feed("00 80 00 41");
  EXPECT_EQ(mem.dev.g_szModule.get(), u"");
}

// --- parameter replies (0x0A) ---

TEST_F(DispatchTest, ParameterErrorIsShownOnceAndTheValueStillStored) {
  feed(paramReply(1, 14, {bits(0.5005f)}, 0x03));
  ASSERT_EQ(view.errors.size(), 1u);
  EXPECT_EQ(view.errors[0], "参数错误,代码0x:03,指令1:0x01,指令2:0x0E ");
  EXPECT_EQ(view.captions[0], "Error");
  EXPECT_EQ(mem.pc.getInt(0), 50);

  feed(paramReply(4, 11, {bits(0.25f)}, 0x07));
  EXPECT_EQ(view.errors.size(), 1u) << "later errors are silent";
  EXPECT_EQ(mem.pc.getInt(53), 25);
}

TEST_F(DispatchTest, ParameterOkShowsNothing) {
  feed(paramReply(1, 14, {bits(0.0f)}));
  EXPECT_TRUE(view.errors.empty());
  EXPECT_EQ(mem.dev.g_bParamErrorShown.load(), 0);
}

struct DecodeCase {
  int block, index;
  std::vector<uint32_t> words;
  size_t word;
  bool isFloat;
  double expected;
};

TEST_F(DispatchTest, DecodesEachEncoding) {
  const float tau = float(2.0 * std::numbers::pi);
  const DecodeCase cases[] = {
      {1, 14, {bits(0.5005f)}, 0, false, 50},  // master
      {1, 4, {bits(0.37f)}, 19, false, 37},    // level
      {1, 7, {bits(-0.25f)}, 22, false, -25},  // negative level rounds away from zero
      {1, 5, {bits(0.055f)}, 20, false, 6},    // worked in single precision (double gives 5)
      {1, 29, {bits(1.0f)}, 3, false, 100},    // switch into group A
      {1, 49, {bits(1.0f)}, 12, false, 100},   // switch into group B
      {1, 8, {bits(0.0037f)}, 23, false, 37},  // gate
      {4, 19, {bits(0.005f)}, 64, false, 50},  // music gate
      {1, 12, {0x0000012C}, 27, false, 0x2C},  // byte word: only b9
      {5, 16, {0x00000005}, 97, false, 5},
      {12, 28, {0x00000001}, 120, false, 1},
      {1, 15, {bits(0.0f)}, 17, false, 1},  // mute: 0.0 is muted
      {1, 15, {bits(1.0f)}, 17, false, 0},
      {4, 12, {bits(0.0f)}, 60, false, 1},
      {8, 26, {bits(1.0f)}, 180, false, 0},
      {1, 31, {bits(tau * 4 / 48000)}, 7, false, 4},  // angular frequency
      {1, 50, {bits(tau * 5 / 48000)}, 15, false, 5},
      {2, 9, {96}, 31, true, 2.0},  // samples
      {2, 10, {1920}, 32, true, 40.0},
      {2, 9, {0xFFFFFFFF}, 31, true, 4294967295.0 / 48},  // no overflow in x 1000
      {8, 18, {72}, 156, true, 1.5},
      {3, 10, {bits(0.37f)}, 46, true, 37.0},  // reverb time held as float
      {3, 22, {bits(0.99f)}, 50, true, 99.0},
      {4, 14, {0x3F123456}, 194, false, 0x3F123456},  // AGC level: raw bits
      {4, 18, {0x00000003}, 62, false, -2},           // pitch is sent + 5
      {4, 26, {bits(0.5f)}, 198, false, 50},
      {12, 24, {bits(0.8f)}, 206, false, 80},
      {6, 25, {bits(-1.0f)}, 186, false, 1},  // phase
      {6, 25, {bits(1.0f)}, 186, false, 0},
      {7, 17, {bits(1.0f), bits(0.0f)}, 171, false, 1},  // delay mode from the second word
      {7, 17, {bits(1.0f), bits(1.0f)}, 171, false, 0},
      {1, 4, {0x7FC00000}, 19, false, INT_MIN},  // NaN and huge values do not trap
      {1, 4, {bits(1e30f)}, 19, false, INT_MAX},
      {1, 4, {bits(-1e30f)}, 19, false, INT_MIN},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "block " << c.block << " index " << c.index);
    InitParameterMemory(mem);
    Snapshot before(mem);
    feed(paramReply(c.block, c.index, c.words));
    if (c.isFloat) {
      EXPECT_FLOAT_EQ(mem.pc.getFloat(c.word), float(c.expected));
    } else {
      EXPECT_EQ(mem.pc.getInt(c.word), int64_t(c.expected));
    }
    Snapshot after(mem);
    after.pc[c.word] = before.pc[c.word];
    EXPECT_EQ(after, before) << "only word " << c.word << " changes";
  }
}

TEST_F(DispatchTest, SliderValuesSurviveTheRoundTrip) {
  for (int v = -100; v <= 100; ++v) {
    feed(paramReply(1, 5, {bits(float(v) / 100)}));
    ASSERT_EQ(mem.pc.getInt(20), v) << "level";
    feed(paramReply(1, 9, {bits(float(v) / 10000)}));
    ASSERT_EQ(mem.pc.getInt(24), v) << "gate";
    if (v < 0) continue;
    feed(paramReply(4, 11, {bits(float(v) / 100 + 0.0005f)}));
    ASSERT_EQ(mem.pc.getInt(53), v) << "master";
  }
}

TEST_F(DispatchTest, ShiftOffFlagAlsoSetsTheShiftWord) {
  for (auto [index, flagWord, shiftWord] : {std::tuple{33, 8, 7}, std::tuple{52, 16, 15}}) {
    mem.pc.setInt(size_t(shiftWord), 4);
    feed(paramReply(1, index, {0}));
    EXPECT_EQ(mem.pc.getInt(size_t(flagWord)), 0);
    EXPECT_EQ(mem.pc.getInt(size_t(shiftWord)), 4) << "a shift stays when not switched off";
    feed(paramReply(1, index, {1}));
    EXPECT_EQ(mem.pc.getInt(size_t(flagWord)), 1);
    EXPECT_EQ(mem.pc.getInt(size_t(shiftWord)), 1);
  }
}

// The words SetCompressor sends for these settings (worked in double, sent as singles).
std::vector<uint32_t> compressorWords(float threshold, float ratio, float attack, float release) {
  return {bits(threshold),
          bits(0.0f),
          bits(float(1.0 - 1.0 / ratio)),
          bits(20.0f),
          bits(0.05f),
          bits(float(1.0 - std::exp(-1.0 / (attack * 48.0)))),
          bits(float(1.0 - std::exp(-1.0 / (release * 48.0))))};
}

TEST_F(DispatchTest, CompressorAnswerInvertsTheSentWords) {
  struct Case {
    int ch;
    float threshold, ratio, attack, release;
  };
  for (const Case& c : {Case{0, 0.5f, 4.0f, 10.0f, 100.0f}, Case{3, 0.01f, 1.5f, 1.0f, 500.0f},
                        Case{7, 1.0f, 20.0f, 50.0f, 1000.0f}}) {
    feed(paramReply(5 + c.ch, 27, compressorWords(c.threshold, c.ratio, c.attack, c.release)));
    size_t ch = size_t(c.ch);
    EXPECT_EQ(mem.pc.getFloat(121 + ch), c.threshold);
    EXPECT_NEAR(mem.pc.getFloat(129 + ch), c.ratio, c.ratio * 1e-5);
    EXPECT_NEAR(mem.pc.getFloat(137 + ch), c.attack, c.attack * 1e-5);
    EXPECT_NEAR(mem.pc.getFloat(145 + ch), c.release, c.release * 1e-5);
  }
}

TEST_F(DispatchTest, CompressorAnswerThatCannotBeInvertedKeepsTheOldValues) {
  mem.pc.setFloat(129, 4.0f);
  mem.pc.setFloat(137, 10.0f);
  mem.pc.setFloat(145, 100.0f);
  // ratio word 1 (division by zero), attack word 0 (ln 1 = 0), release word 2 (ln of -1).
  feed(paramReply(5, 27, {bits(-0.5f), 0, bits(1.0f), 0, 0, bits(0.0f), bits(2.0f)}));
  EXPECT_EQ(mem.pc.getFloat(121), -0.5f) << "the threshold is stored as it came";
  EXPECT_EQ(mem.pc.getFloat(129), 4.0f);
  EXPECT_EQ(mem.pc.getFloat(137), 10.0f);
  EXPECT_EQ(mem.pc.getFloat(145), 100.0f);

  feed(paramReply(5, 27, {0, 0, 0x7FC00000, 0, 0, 0x7F800000, 0x7F800000}));  // NaN, inf
  EXPECT_EQ(mem.pc.getFloat(129), 4.0f);
  EXPECT_EQ(mem.pc.getFloat(137), 10.0f);
  EXPECT_EQ(mem.pc.getFloat(145), 100.0f);
}

TEST_F(DispatchTest, UnlistedOrOversizedRepliesChangeNothing) {
  struct Case {
    int block, index, count;
  };
  for (const Case& c :
       {Case{0, 14, 1}, Case{13, 14, 1}, Case{1, 32, 1}, Case{1, 53, 1}, Case{4, 31, 1},
        Case{5, 29, 6}, Case{5, 0, 5}, Case{1, 14, 14}, Case{5, 27, 255}}) {
    Report r = paramReply(c.block, c.index, std::vector<uint32_t>(13, bits(0.42f)));
    r[5] = uint8_t(c.count);
    Snapshot before(mem);
    feed(r);
    EXPECT_EQ(Snapshot(mem), before) << c.block << "/" << c.index << " x" << c.count;
  }
  // The largest count a report can hold is accepted.
  feed(paramReply(1, 14, std::vector<uint32_t>(13, bits(0.42f))));
  EXPECT_EQ(mem.pc.getInt(0), 42);
}

// --- remote keys, status, settings, small state ---

TEST_F(DispatchTest, LearnedKeys) {
  struct Case {
    const char* hex;
    std::vector<std::pair<size_t, uint8_t>> stored;
    intptr_t code;
  };
  const Case cases[] = {
      {"00 60 07 05 42", {{0, 0x07}, {5, 0x42}}, 0x42},
      {"00 60 07 11 43", {{0, 0x07}, {17, 0x43}}, 0x43},  // last key of the table
      {"00 60 07 00 44", {{0, 0x44}}, 0x44},              // key 0 leaves the code in byte 0
      {"00 60 09 28 45", {{0, 0x09}}, 0x45},              // key 40: no such entry
  };
  for (const Case& c : cases) {
    mem.dev.g_remoteKeys.fill(0xEE);
    view.sent.clear();
    feed(c.hex);
    auto expected = std::array<uint8_t, kRemoteKeysSize>{};
    expected.fill(0xEE);
    for (auto [i, v] : c.stored) expected[i] = v;
    EXPECT_EQ(mem.dev.g_remoteKeys.snapshot(), expected) << c.hex;
    EXPECT_EQ(view.sent, (std::vector<RecordingNotifier::Message>{{kMsgKeyLearned, c.code, 0}}));
  }
  EXPECT_TRUE(view.posted.empty());

  mem.dev.g_remoteKeys.fill(0xEE);
  feed("00 62 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12");
  auto keys = mem.dev.g_remoteKeys.snapshot();
  for (size_t i = 0; i < 16; ++i) EXPECT_EQ(keys[i], i + 1);
  EXPECT_EQ(keys[16], 0xEE);
  EXPECT_EQ(keys[17], 0xEE);
}

TEST_F(DispatchTest, StatusSettingsAndState) {
  feed("00 0E 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10");
  auto status = mem.dev.g_liveStatus.snapshot();
  for (size_t i = 0; i < status.size(); ++i) EXPECT_EQ(status[i], i + 1);

  feed("00 92 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E");
  auto current = mem.dev.g_settingsCurrent.snapshot();
  EXPECT_EQ(current, mem.dev.g_settingsEdit.snapshot());
  for (size_t i = 0; i < current.size(); ++i) EXPECT_EQ(current[i], i + 1);

  feed("00 07 02");
  EXPECT_EQ(mem.dev.g_nCurrentMode.load(), 2);
  feed("00 09");
  EXPECT_EQ(mem.dev.g_bParamsChanged.load(), 1);
  feed("00 7F 11");
  EXPECT_EQ(mem.dev.g_nCmdVersion.load(), 17);
}

TEST_F(DispatchTest, ZWaveReportsGoToTheRelay) {
  std::vector<Report> frames, memory;
  disp.setZWaveHandlers([&](const Report& r) { frames.push_back(r); },
                        [&](const Report& r) { memory.push_back(r); });
  feed("00 12 05 01 03 00 02 FD");
  feed("00 14 00 38 38 AA");
  ASSERT_EQ(frames.size(), 1u);
  ASSERT_EQ(memory.size(), 1u);
  EXPECT_EQ(frames[0], fromHex("00 12 05 01 03 00 02 FD"));
  EXPECT_EQ(memory[0], fromHex("00 14 00 38 38 AA"));
}

TEST_F(DispatchTest, WithoutAViewNothingIsShownButEverythingStored) {
  disp.setNotifier(nullptr);
  feed("00 60 07 05 42");
  feed(paramReply(1, 14, {bits(0.3f)}, 0x03));
  EXPECT_EQ(mem.dev.g_remoteKeys.get(5), 0x42);
  EXPECT_EQ(mem.pc.getInt(0), 30);
  EXPECT_TRUE(view.sent.empty());
  EXPECT_TRUE(view.errors.empty());
}

// The reader thread writes while the UI reads; ThreadSanitizer checks the accesses are whole.
TEST_F(DispatchTest, ReaderThreadAndUiShareMemory) {
  std::atomic<bool> done{false};
  std::thread reader([&] {
    for (int i = 0; i < 200; ++i) {
      feed(paramReply(5 + i % 8, 27, std::vector<uint32_t>(7, bits(0.5f))));
      feed("00 0E 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F");
      feed("00 80 41 58 37");
      feed("00 DB 0F 40 0C 00 50 00 61");
      feed(memoryAnswer(1278, 20, {5, 5, 0x85}));
      feed("00 60 07 05 42");
    }
    done = true;
  });
  while (!done) {
    Snapshot seen(mem);
    ASSERT_EQ(seen.pc.size(), size_t(kPcWords));
  }
  reader.join();
  EXPECT_EQ(view.sent.size(), 200u);
}

// --- status texts ---

TEST(StatusText, Table) {
  struct Case {
    std::string got, want;
  };
  const Case cases[] = {
      {FormatMicFrequency(0), "665.25MHz"},
      {FormatMicFrequency(12), "671.25MHz"},
      {FormatMicFrequency(13), "672.25MHz"},  // 671.75 is left out
      {FormatMicFrequency(76), "703.75MHz"},
      {FormatMicFrequency(77), "704.75MHz"},
      {FormatMicFrequency(100), "716.25MHz"},
      {FormatMicFrequency(101), "718.25MHz"},
      {FormatMicFrequency(199), "767.25MHz"},
      {FormatMicFrequency(200), "665.25MHz"},
      {FormatMicFrequency(255), "665.25MHz"},
      {FormatAfBars(0), "_________"},
      {FormatAfBars(1), "■_______"},
      {FormatAfBars(4), "■■______"},
      {FormatAfBars(7), "■■■____"},
      {FormatAfBars(10), "■■■■__"},
      {FormatAfBars(13), "■■■■■"},
      {FormatRfBars(150), "_________"},
      {FormatRfBars(151), "■_______"},
      {FormatRfBars(171), "■■______"},
      {FormatRfBars(191), "■■■____"},
      {FormatRfBars(211), "■■■■__"},
      {FormatRfBars(230), "■■■■__"},
      {FormatRfBars(231), "■■■■■"},
      {FormatBatteryBars(166), "_________"},  // x = 1328
      {FormatBatteryBars(170), "■_______"},   // x = 1360
      {FormatBatteryBars(177), "■■______"},
      {FormatBatteryBars(191), "■■■____"},
      {FormatBatteryBars(196), "■■■■__"},
      {FormatBatteryBars(202), "■■■■■"},
      {FormatBatteryBars(255), "■■■■■"},  // 8 x 255 does not wrap
      {FormatMusicFormat(0x00), "Stereo"},
      {FormatMusicFormat(0x07), "DOLBY"},
      {FormatMusicFormat(0x06), "DTS"},
      {FormatMusicFormat(0x04), "Multi-CH LPCM"},
      {FormatMusicFormat(0xF8), "Stereo"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

}  // namespace
}  // namespace ax7
