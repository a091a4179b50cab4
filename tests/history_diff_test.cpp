// Settings differences and the differing-only write, against the simulated box: for random pairs
// of mode files, writing only what differs onto a box that holds A leaves it exactly as a full
// write of B does, and an unchanged target sends nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "device/send_queue.h"
#include "device/sync.h"
#include "history/setting_names.h"
#include "history/write_differences.h"
#include "params/band_record.h"
#include "params/defaults.h"
#include "params/mode_file.h"
#include "params/write_plan.h"
#include "sim/sim_backend.h"
#include "sim/sim_box.h"
#include "support/box_sink.h"
#include "support/random_mode_file.h"

namespace ax7::history {
namespace {

using test::RandomModeFile;

using test::BoxSink;

// Memory, encoders and a simulated box, with the full write's steps at hand.
struct Rig {
  Rig() { InitParameterMemory(mem); }

  void load(const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(LoadModeFileBytes(mem, bytes.data(), bytes.size()).ok);
  }
  // The full PC-to-box write without soft start, as a mode file load runs it.
  void fullWrite() {
    sync.SendAllParams(false);
    sync.WriteBoxImage();
    sync.ResendAllEq();
  }

  VirtualClock clock;
  sim::SimBackend backend{clock};
  ParameterMemory mem;
  UsbLink link{backend, clock, mem.dev};
  SendQueue queue{link, clock};
  sim::SimBox box;
  BoxSink sink{box};
  Commands cmd{mem, link, clock, &sink};
  EqSenders eq{cmd};
  Synchroniser sync{mem, link, cmd, eq, queue};
};

void loadInto(ParameterMemory& mem, const std::vector<uint8_t>& bytes) {
  InitParameterMemory(mem);
  ASSERT_TRUE(LoadModeFileBytes(mem, bytes.data(), bytes.size()).ok);
}

// A rig whose box and memory hold `a` after a full write of it.
void holdA(Rig& rig, const std::vector<uint8_t>& a) {
  rig.load(a);
  rig.fullWrite();
  // The full write leaves the room layout to the room page; a box that holds A has it too.
  const auto room = rig.mem.roomBlock.snapshot();
  rig.cmd.WriteBoxMemory(kRoomBlockAddress, room.data(), int(room.size()));
  rig.sink.sent.clear();
}

TEST(WriteDifferences, RandomPairsLeaveTheBoxAsAFullWriteDoes) {
  RandomModeFile gen(20261210);
  for (int pair = 0; pair < 40; ++pair) {
    SCOPED_TRACE("pair " + std::to_string(pair));
    const std::vector<uint8_t> a = gen.make();
    std::vector<uint8_t> b = gen.make();
    // Some pairs differ in a few places only, as an A/B switch mostly does.
    if (pair % 2 == 1) {
      b = a;
      RandomModeFile::setWord(b, 19 + pair % 4, uint32_t(pair));
      b[RandomModeFile::kImageAt + 7 * size_t(pair) + 1] ^= 0x01;
    }

    // Files of other programs may route an input to both groups, or hold a time below its
    // minimum: the write fixes both up as the full write does.
    if (pair % 5 == 0) {
      RandomModeFile::setWord(b, 1, 100);
      RandomModeFile::setWord(b, 9, 100);
      RandomModeFile::setFloatWord(b, 155, 0.5f);
    }

    Rig live;
    holdA(live, a);
    Rig reference;
    reference.box = live.box;
    reference.load(ImageOf(live.mem));
    reference.load(b);
    reference.fullWrite();

    ParameterMemory target;
    loadInto(target, b);
    const int sent = WriteDifferences(live.cmd, live.eq, target);
    EXPECT_EQ(sent, int(live.sink.sent.size()));
    if (pair % 2 == 1 && pair % 5 != 0) {
      EXPECT_EQ(sent, 1 + 2);  // a microphone volume and a band
    }

    EXPECT_TRUE(live.box.dspParams() == reference.box.dspParams());
    const auto& got = live.box.memory();
    const auto& want = reference.box.memory();
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + kRoomBlockAddress, want.begin()));
    // The room layout travels with its trims (the full write leaves it to the room page).
    EXPECT_TRUE(std::equal(got.begin() + kRoomBlockAddress, got.end(),
                           b.begin() + RandomModeFile::kRoomAt));

    // Memory as the full write leaves it, but for the master volumes, which the full write
    // leaves to the box (it reads them back).
    SettingsImage mine = ImageOf(live.mem), theirs = ImageOf(reference.mem);
    for (int word : {0, 53})
      std::copy_n(theirs.begin() + 4 + 4 * word, 4, mine.begin() + 4 + 4 * word);
    EXPECT_TRUE(mine == theirs);

    // Done once, there is nothing left to send.
    live.sink.sent.clear();
    EXPECT_EQ(WriteDifferences(live.cmd, live.eq, target), 0);
    EXPECT_TRUE(live.sink.sent.empty());
  }
}

size_t bandByte(int group, int band, int byte) {
  return RandomModeFile::kImageAt + size_t(BandRecordOffset(group, band) + byte);
}

// (block, index) of a DSP write, or (0x85, address) of a memory write.
std::pair<int, int> where(const Report& r) {
  if (r[1] == 0x85) return {0x85, r[2] << 8 | r[3]};
  return {r[3], r[4]};
}

TEST(WriteDifferences, SendsOnlyTheReportsOfWhatChanged) {
  using Addr = std::pair<int, int>;
  const int micABand3 = BandRecordOffset(1, 2);
  struct Case {
    const char* what;
    void (*change)(std::vector<uint8_t>&);
    std::vector<Addr> reports;
  } cases[] = {
      {"mic 2 volume", [](auto& f) { RandomModeFile::setWord(f, 20, 99); }, {{1, 5}}},
      {"echo time A", [](auto& f) { RandomModeFile::setFloatWord(f, 32, 555); }, {{2, 10}}},
      {"effect master: both copies",
       [](auto& f) { RandomModeFile::setWord(f, 18, RandomModeFile::wordOf(f, 18) ^ 1); },
       {{1, 34}, {1, 53}}},
      {"mic 3 moves to the other group",
       [](auto& f) {
         const uint32_t a = RandomModeFile::wordOf(f, 3);
         RandomModeFile::setWord(f, 3, 100 - a);
         RandomModeFile::setWord(f, 11, a);
       },
       {{1, 29}, {1, 48}}},
      {"shift A to 4 Hz: flag, frequency, period",
       [](auto& f) {
         RandomModeFile::setWord(f, 7, 4);
         RandomModeFile::setWord(f, 8, 0);
       },
       {{1, 33}, {1, 31}, {1, 32}}},
      {"CH3 delay mode: mode, both split records and sections",
       [](auto& f) { RandomModeFile::setWord(f, 171, RandomModeFile::wordOf(f, 171) ^ 1); },
       {{7, 17}, {0x85, BandRecordOffset(7, 13)}, {7, 13}, {0x85, BandRecordOffset(7, 14)}, {7, 14}}},
      {"CH2 room trim: the trim block, then the channel",
       [](auto& f) { f[RandomModeFile::kTrimAt + 4] ^= 0x01; },
       {{0x85, kRoomTrimAddress}, {6, 29}}},
      {"room width", [](auto& f) { f[RandomModeFile::kRoomAt] ^= 0x03; }, {{0x85, kRoomBlockAddress}}},
      {"mic master: the box keeps its own", [](auto& f) { RandomModeFile::setWord(f, 0, 1); }, {}},
      {"nothing", [](auto&) {}, {}},
      {"mic A band 3 gain",
       [](auto& f) { f[RandomModeFile::kImageAt + size_t(BandRecordOffset(1, 2)) + 1] ^= 0x02; },
       {{0x85, micABand3}, {1, 18}}},
      {"three bands of three EQs",
       [](auto& f) {
         f[RandomModeFile::kImageAt + size_t(BandRecordOffset(1, 2)) + 3] ^= 0x01;   // mic A 3
         f[RandomModeFile::kImageAt + size_t(BandRecordOffset(4, 9)) + 5] ^= 0x01;   // music 10
         f[RandomModeFile::kImageAt + size_t(BandRecordOffset(9, 0)) + 6] = 4;       // CH5 1
       },
       {{0x85, micABand3}, {1, 18}, {0x85, BandRecordOffset(4, 9)}, {4, 9},
        {0x85, BandRecordOffset(9, 0)}, {9, 0}}},
  };
  RandomModeFile gen(7);
  std::vector<uint8_t> a = gen.make();
  // Band 1 of CH5 must not already be a low shelf for the type change to be one.
  a[RandomModeFile::kImageAt + size_t(BandRecordOffset(9, 0)) + 6] = 1;
  // Values the changes below move away from.
  RandomModeFile::setWord(a, 20, 10);
  RandomModeFile::setFloatWord(a, 32, 300);
  RandomModeFile::setWord(a, 7, 2);
  RandomModeFile::setWord(a, 8, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig live;
    holdA(live, a);
    std::vector<uint8_t> b = a;
    c.change(b);
    ParameterMemory target;
    loadInto(target, b);
    const int sent = WriteDifferences(live.cmd, live.eq, target);
    std::vector<Addr> got;
    for (const Report& r : live.sink.sent) got.push_back(where(r));
    EXPECT_EQ(got, c.reports);
    EXPECT_EQ(sent, int(c.reports.size()));
  }
}

TEST(WriteDifferences, IsNoEditOfTheUsersAndLeavesTheEditHookInPlace) {
  RandomModeFile gen(3);
  const std::vector<uint8_t> a = gen.make();
  std::vector<uint8_t> b = a;
  RandomModeFile::setWord(b, 171, RandomModeFile::wordOf(b, 171) ^ 1);  // splits move too
  b[bandByte(6, 4, 1)] ^= 1;
  Rig live;
  holdA(live, a);
  int edits = 0;
  live.cmd.setEditHook([&](const EditKey&) { ++edits; });
  ParameterMemory target;
  loadInto(target, b);
  EXPECT_EQ(WriteDifferences(live.cmd, live.eq, target), 5 + 2);
  EXPECT_EQ(edits, 0);
  live.cmd.SetParam(Param::MicVolume, 1, 12);
  EXPECT_EQ(edits, 1);
}

TEST(WriteDifferences, ImageFormAndABadImage) {
  RandomModeFile gen(11);
  const std::vector<uint8_t> a = gen.make();
  std::vector<uint8_t> b = a;
  RandomModeFile::setWord(b, 44, 12);
  Rig live;
  holdA(live, a);
  EXPECT_EQ(WriteDifferences(live.cmd, live.eq, SettingsImage(b.begin(), b.begin() + 100)), 0);
  EXPECT_TRUE(live.sink.sent.empty());
  EXPECT_EQ(WriteDifferences(live.cmd, live.eq, SettingsImage(b)), 1);
  EXPECT_EQ(live.mem.pc.getInt(44), 12);
}

// The write of differences fixes up each step on its own: that is the full write's result only
// while no word or byte of box memory belongs to two steps.
TEST(WriteDifferences, NoTwoStepsOfTheFullWriteShareAWordOrAByte) {
  std::set<int> words, bytes;
  for (const WriteStep& t : FullWritePlan()) {
    SCOPED_TRACE(Describe(t.param).name);
    for (int w : StepWords(t)) EXPECT_TRUE(words.insert(w).second) << "word " << w;
    for (const auto& [address, length] : StepBoxBytes(t))
      for (int at = address; at < address + length; ++at)
        EXPECT_TRUE(bytes.insert(at).second) << "byte " << at;
  }
}

// Every item of a file that a person can change, and the difference it must show as.
struct Item {
  void (*change)(std::vector<uint8_t>&);
  Difference::Kind kind;
  Param param;
  int instance, set, band;
  Difference::BandField field;
  int entry;
};

std::vector<Item> changeableItems() {
  using K = Difference::Kind;
  using F = Difference::BandField;
  return {
      {[](auto& f) { RandomModeFile::setWord(f, 21, RandomModeFile::wordOf(f, 21) ^ 1); },
       K::Param, Param::MicVolume, 2, -1, -1, F::None, -1},
      {[](auto& f) { RandomModeFile::setWord(f, 12, RandomModeFile::wordOf(f, 12) ? 0 : 100); },
       K::Param, Param::MicToB, 3, -1, -1, F::None, -1},
      {[](auto& f) { RandomModeFile::setWord(f, 15, RandomModeFile::wordOf(f, 15) == 5 ? 4 : 5); },
       K::Param, Param::ShiftFreqB, 0, -1, -1, F::None, -1},
      {[](auto& f) { RandomModeFile::setFloatWord(f, 158, 123.4f); }, K::Param,
       Param::ChannelDelay, 5, -1, -1, F::None, -1},
      {[](auto& f) { RandomModeFile::setFloatWord(f, 137 + 6, 199.5f); }, K::Param,
       Param::Compressor, 6, -1, -1, F::None, -1},
      {[](auto& f) { RandomModeFile::setWord(f, 0, RandomModeFile::wordOf(f, 0) ^ 1); }, K::Param,
       Param::MicMaster, 0, -1, -1, F::None, -1},
      {[](auto& f) { f[bandByte(1, 12, 1)] ^= 1; }, K::Band, Param{}, 0, 1, 2, F::Gain, -1},
      {[](auto& f) { f[bandByte(1, 12, 5)] ^= 1; }, K::Band, Param{}, 0, 1, 2, F::Q, -1},
      {[](auto& f) { f[bandByte(3, 3, 3)] ^= 1; }, K::Band, Param{}, 0, 2, 3, F::Frequency, -1},
      {[](auto& f) { f[bandByte(12, 14, 6)] ^= 1; }, K::Band, Param{}, 0, 14, 14, F::Type, -1},
      {[](auto& f) { f[RandomModeFile::kTrimAt + 4 * 7] ^= 0x80; }, K::RoomTrim, Param::RoomTrim,
       7, -1, -1, F::None, -1},
      {[](auto& f) { f[RandomModeFile::kRoomAt + 9] ^= 1; }, K::RoomBlock, Param{}, 0, -1, -1,
       F::None, 9},
  };
}

auto keyOf(const Difference& d) {
  return std::make_tuple(d.kind, d.param, d.instance, d.set, d.band, d.field, d.entry);
}

TEST(DiffImages, ListsExactlyTheChangedItemsInWriteOrder) {
  RandomModeFile gen(99);
  const auto items = changeableItems();
  for (int round = 0; round < 30; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::vector<uint8_t> a = gen.make();
    std::vector<uint8_t> b = a;
    std::set<decltype(keyOf(Difference{}))> expected;
    for (const Item& item : items) {
      if (std::uniform_int_distribution<int>(0, 2)(gen.rng()) != 0) continue;
      item.change(b);
      Difference d;
      d.kind = item.kind;
      d.param = item.param;
      d.instance = item.instance;
      d.set = item.set;
      d.band = item.band;
      d.field = item.field;
      d.entry = item.entry;
      expected.insert(keyOf(d));
    }
    const auto diffs = DiffImages(a, b);
    std::set<decltype(keyOf(Difference{}))> got;
    for (const Difference& d : diffs) {
      got.insert(keyOf(d));
      EXPECT_NE(d.from, d.to) << NameOf(d, DiffLanguage::English);
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(got.size(), diffs.size());
    EXPECT_TRUE(DiffImages(b, b).empty());
  }
}

TEST(DiffImages, OrderFollowsTheWrite) {
  RandomModeFile gen(5);
  const std::vector<uint8_t> a = gen.make();
  std::vector<uint8_t> b = a;
  b[RandomModeFile::kRoomAt] ^= 1;                             // room: last
  b[bandByte(5, 0, 1)] ^= 1;                                   // CH1 band 1
  b[bandByte(1, 0, 1)] ^= 1;                                   // mic A band 1
  RandomModeFile::setWord(b, 64, RandomModeFile::wordOf(b, 64) ^ 1);  // music gate
  RandomModeFile::setWord(b, 5, RandomModeFile::wordOf(b, 5) ^ 1);    // mic A EQ bypass: first
  std::vector<std::string> names;
  for (const Difference& d : DiffImages(a, b)) names.push_back(NameOf(d, DiffLanguage::English));
  EXPECT_EQ(names, (std::vector<std::string>{"Mic A EQ bypass", "Music noise gate",
                                             "Mic A EQ band 1 gain", "CH-L EQ band 1 gain",
                                             "Room width"}));
}

TEST(NameOf, BothLanguages) {
  using K = Difference::Kind;
  using F = Difference::BandField;
  struct Case {
    Difference d;
    const char* en;
    const char* zh;
  } cases[] = {
      {{K::Band, Param{}, 0, 0, 2, F::Gain, -1, {}, {}}, "Mic A EQ band 3 gain", "话筒A 均衡 第3段 增益"},
      {{K::Band, Param{}, 0, 6, 9, F::Frequency, -1, {}, {}}, "Music EQ band 10 frequency",
       "音乐 均衡 第10段 频率"},
      {{K::Band, Param{}, 0, 14, 12, F::Q, -1, {}, {}}, "CH-SR EQ band 13 Q", "侧环绕右 均衡 第13段 Q值"},
      {{K::Band, Param{}, 0, 7, 13, F::Frequency, -1, {}, {}}, "CH-L split high-pass frequency",
       "前置左 分频 高通 频率"},
      {{K::Param, Param::ChannelDelay, 0, -1, -1, F::None, -1, {}, {}}, "CH-L delay", "前置左 延时"},
      {{K::Param, Param::MicVolume, 3, -1, -1, F::None, -1, {}, {}}, "Mic 4 volume", "话筒4 音量"},
      {{K::Param, Param::EchoTimeB, 0, -1, -1, F::None, -1, {}, {}}, "Echo B time", "回声B 时间"},
      {{K::Param, Param::Compressor, 4, -1, -1, F::None, -1, {}, {}}, "CH-SUB compressor", "超低 压限"},
      {{K::RoomTrim, Param::RoomTrim, 5, -1, -1, F::None, -1, {}, {}}, "CH-CEN room trim",
       "中置 房间补偿"},
      {{K::RoomBlock, Param{}, 0, -1, -1, F::None, 1, {}, {}}, "Room length", "房间 长度"},
      {{K::RoomBlock, Param{}, 0, -1, -1, F::None, 5, {}, {}}, "Room Speaker L Y", "房间 前置左 Y"},
      // Outside what a list holds: still named, as far as the fields say.
      {{K::Param, Param::ChannelDelay, 8, -1, -1, F::None, -1, {}, {}}, "delay", "延时"},
      {{K::RoomTrim, Param::RoomTrim, 9, -1, -1, F::None, -1, {}, {}}, "room trim", "房间补偿"},
      {{K::RoomBlock, Param{}, 0, -1, -1, F::None, 20, {}, {}}, "Room", "房间"},
      {{K::Band, Param{}, 0, 15, 0, F::Gain, -1, {}, {}}, " band 1 gain", " 第1段 增益"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NameOf(c.d, DiffLanguage::English), c.en);
    EXPECT_EQ(NameOf(c.d, DiffLanguage::Chinese), c.zh);
  }
}

TEST(NameOf, EveryParameterADiffListsIsNamedFromTheTableInBothLanguages) {
  std::vector<Param> listed{Param::MicToB};  // travels with MicToA's routing step
  for (const WriteStep& step : FullWritePlan()) listed.push_back(step.param);
  for (Param p : listed) {
    const ParamDesc& d = Describe(p);
    ASSERT_TRUE(d.shown.en && d.shown.zh) << d.name;
    // Only a per-input name takes the input number, and only once.
    const bool perInput = d.instances > 1 && !d.perChannel;
    for (const std::string name : {d.shown.en, d.shown.zh}) {
      EXPECT_EQ(std::count(name.begin(), name.end(), '%'), perInput ? 1 : 0) << name;
      if (perInput) {
        EXPECT_NE(name.find("%d"), std::string::npos) << name;
      }
    }
    Difference diff;
    diff.param = p;
    diff.instance = d.instances - 1;
    for (DiffLanguage l : {DiffLanguage::English, DiffLanguage::Chinese}) {
      const std::string name = NameOf(diff, l);
      EXPECT_EQ(name.find('%'), std::string::npos) << name;
      EXPECT_NE(name, d.name);
    }
  }
}

TEST(DiffSettings, ValuesAsAPersonReadsThem) {
  ParameterMemory a, b;
  InitParameterMemory(a);
  InitParameterMemory(b);
  b.pc.setInt(Describe(Param::ChannelMute).wordOf(2), a.pc.getInt(Describe(Param::ChannelMute).wordOf(2)) ? 0 : 1);
  b.pc.setFloat(Describe(Param::EchoPredelayA).word, 12.5f);
  a.pc.setFloat(Describe(Param::EchoPredelayA).word, 2.0f);
  PutBandRecord(a, 1, 2, PackBandRecord(1, -3.5f, 1000, 1.41f));
  PutBandRecord(b, 1, 2, PackBandRecord(4, 2.0f, 1000, 1.41f));
  const auto diffs = DiffSettings(a, b);
  std::vector<std::tuple<std::string, std::string, std::string>> got;
  for (const Difference& d : diffs)
    got.emplace_back(NameOf(d, DiffLanguage::English), d.from, d.to);
  const bool mutedBefore = a.pc.getInt(Describe(Param::ChannelMute).wordOf(2)) != 0;
  const std::string m0 = mutedBefore ? "muted" : "not muted", m1 = mutedBefore ? "not muted" : "muted";
  EXPECT_EQ(got, (std::vector<std::tuple<std::string, std::string, std::string>>{
                     {"CH-SBL mute", m0, m1},
                     {"Echo A pre-delay", "2.0 ms", "12.5 ms"},
                     {"Mic A EQ band 3 type", "PEQ", "LS"},
                     {"Mic A EQ band 3 gain", "-3.5 dB", "+2.0 dB"},
                 }));
  // Values that read the same at their usual precision show their exact values.
  ParameterMemory c;
  InitParameterMemory(c);
  LoadImage(c, ImageOf(a));
  c.pc.setFloat(Describe(Param::EchoPredelayA).word, 2.0001f);
  c.pc.setInt(Describe(Param::MicMute).word, 2);
  a.pc.setInt(Describe(Param::MicMute).word, 1);
  c.roomBlock.set(7, a.roomBlock.get(7) == 0x80 ? 0x00 : 0x80);
  a.roomBlock.set(7, c.roomBlock.get(7) == 0x80 ? 0x00 : 0x80);
  std::vector<std::pair<std::string, std::string>> values;
  for (const Difference& d : DiffSettings(a, c)) values.emplace_back(d.from, d.to);
  EXPECT_EQ(values, (std::vector<std::pair<std::string, std::string>>{
                        {"muted (1)", "muted (2)"},
                        {"2.0 ms (2)", "2.0 ms (2.0000999)"},
                        {"0.0 m (0x00)", "0.0 m (0x80)"},
                    }));
}

TEST(ValueText, ValueWordsBecomeChineseAsWholeWords) {
  const std::pair<std::string, std::string> cases[] = {
      {"not muted", "不静音"},  // the longer word wins over "muted"
      {"muted", "静音"},
      {"threshold -3.00, ratio 2.00, attack 1.5 ms, release 500.0 ms",
       "阈值 -3.00, 比例 2.00, 启动 1.5 ms, 释放 500.0 ms"},
      {"PEQ", "参量"},
      {"LP (7)", "低通 (7)"},
      {"off", "关"},
      {"OFF", "关闭"},  // the section type, not the switch word
      {"on (2)", "开 (2)"},
      {"whole channel", "整个通道"},
      {"-3.5 dB", "-3.5 dB"},
      {"ons", "ons"},  // inside a longer word
      {"xon", "xon"},
      {"PEQon", "PEQon"},
      {"not", "not"},  // the start of a word only
      {"not mutedx", "not mutedx"},
      {"on,off", "开,关"},
      {"", ""},
  };
  for (const auto& [english, chinese] : cases) {
    EXPECT_EQ(ValueText(english, DiffLanguage::Chinese), chinese) << english;
    EXPECT_EQ(ValueText(english, DiffLanguage::English), english);
  }
}

}  // namespace
}  // namespace ax7::history
