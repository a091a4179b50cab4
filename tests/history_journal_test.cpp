// The edit journal on the window's encoders, with a simulated box behind them: how turns make
// steps, and that undo and redo put memory and the box back report by report.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <thread>

#include "history/edit_journal.h"
#include "history/snapshots.h"
#include "params/atomic_save.h"
#include "params/band_record.h"
#include "params/defaults.h"
#include "sim/sim_backend.h"
#include "sim/sim_box.h"
#include "support/box_sink.h"

namespace ax7::history {
namespace {

using test::BoxSink;

struct Rig {
  Rig() {
    InitParameterMemory(mem);
    journal.attach(ui);
  }
  // The reports since the last call.
  std::vector<Report> take() { return std::exchange(sink.sent, {}); }
  // One window event: the edit, then the end of the turn, `ms` later than the last.
  template <typename F>
  void turn(int64_t ms, F edit) {
    clock.advance(ms);
    edit();
    journal.endTurn();
  }
  // The same, made over the network.
  template <typename F>
  void remoteTurn(int64_t ms, F edit) {
    clock.advance(ms);
    edit();
    journal.markTurnRemote();
    journal.endTurn();
  }
  std::string undoText() const { return journal.undoText(DiffLanguage::English); }

  VirtualClock clock;
  sim::SimBackend backend{clock};
  ParameterMemory mem;
  UsbLink link{backend, clock, mem.dev};
  sim::SimBox box;
  BoxSink sink{box};
  Commands ui{mem, link, clock, &sink};
  EqSenders uiEq{ui};
  EditJournal journal{mem, clock};

};

int steps(Rig& r) {
  int n = 0;
  while (r.journal.canUndo()) {
    if (r.journal.undo(r.ui, r.uiEq, true) < 0) break;
    ++n;
  }
  return n;
}

TEST(EditJournal, TurnsMergeIntoStepsByControlAndTime) {
  const auto volume = [](Rig& r, int input, int v) {
    return [&r, input, v] { r.ui.SetMicVolume(input, v); };
  };
  struct Case {
    const char* what;
    void (*run)(Rig&, decltype(volume)&);
    int steps;
  } cases[] = {
      {"a two-second drag while held",
       [](Rig& r, auto& vol) {
         r.journal.setHolding(true);
         for (int v = 10; v <= 30; ++v) r.turn(100, vol(r, 0, v));
         r.journal.setHolding(false);
       },
       1},
      {"wheel steps 400 ms apart", [](Rig& r, auto& vol) {
         for (int v = 10; v <= 14; ++v) r.turn(400, vol(r, 0, v));
       }, 1},
      {"wheel steps 600 ms apart", [](Rig& r, auto& vol) {
         for (int v = 10; v <= 14; ++v) r.turn(600, vol(r, 0, v));
       }, 5},
      {"another control within the window", [](Rig& r, auto& vol) {
         r.turn(100, vol(r, 0, 10));
         r.turn(100, vol(r, 1, 10));
         r.turn(100, vol(r, 0, 11));
       }, 3},
      {"a step, then 2 s later a drag of the same control", [](Rig& r, auto& vol) {
         r.turn(100, vol(r, 0, 10));
         r.journal.setHolding(true);
         for (int v = 11; v <= 20; ++v) r.turn(2000, vol(r, 0, v));
         r.journal.setHolding(false);
       }, 2},
      {"two drags of the same control, one second apart", [](Rig& r, auto& vol) {
         for (int drag = 0; drag < 2; ++drag) {
           r.journal.setHolding(true);
           for (int v = 11; v <= 15; ++v) r.turn(100, vol(r, 0, v + 10 * drag));
           r.journal.setHolding(false);
           r.clock.advance(1000);
         }
       }, 2},
      {"held, but another control", [](Rig& r, auto& vol) {
         r.journal.setHolding(true);
         r.turn(100, vol(r, 0, 10));
         r.turn(100, [&r] { r.ui.SetMicGate(0, 500); });
       }, 2},
      {"a value already held makes no step", [](Rig& r, auto& vol) {
         const int held = r.mem.pc.getInt(size_t(Describe(Param::MicVolume).wordOf(2)));
         r.turn(1000, vol(r, 2, held));
       }, 0},
      {"a drag back to where it started leaves nothing", [](Rig& r, auto& vol) {
         const int held = r.mem.pc.getInt(size_t(Describe(Param::MicVolume).wordOf(2)));
         r.journal.setHolding(true);
         r.turn(50, vol(r, 2, held + 5));
         r.turn(50, vol(r, 2, held));
       }, 0},
      {"network edits of one control in a burst", [](Rig& r, auto& vol) {
         for (int v = 10; v <= 14; ++v) r.remoteTurn(100, vol(r, 0, v));
       }, 1},
      {"the window's edit, then the network's of the same control", [](Rig& r, auto& vol) {
         r.turn(100, vol(r, 0, 10));
         r.remoteTurn(100, vol(r, 0, 11));
         r.turn(100, vol(r, 0, 12));
       }, 3},
      {"a network edit while the window's mouse is held", [](Rig& r, auto& vol) {
         r.journal.setHolding(true);
         r.turn(100, vol(r, 0, 10));
         r.remoteTurn(2000, vol(r, 0, 11));
         r.turn(2000, vol(r, 0, 12));
       }, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig r;
    c.run(r, volume);
    EXPECT_EQ(steps(r), c.steps);
  }
}

TEST(EditJournal, NetworkStepsSayRemoteInBothLanguagesAndUndoLikeAnyOther) {
  Rig r;
  const size_t word = size_t(Describe(Param::MicVolume).wordOf(0));
  const int before = r.mem.pc.getInt(word);
  r.clock.advance(100);
  r.ui.SetMicVolume(0, before + 3);
  r.journal.markTurnRemote();
  // Still open: the label of the turn is what undo would say.
  EXPECT_NE(r.undoText().find(" (remote)"), std::string::npos) << r.undoText();
  r.journal.endTurn();
  const std::string en = r.undoText(), zh = r.journal.undoText(DiffLanguage::Chinese);
  EXPECT_TRUE(en.starts_with("Undo: ") && en.ends_with(" (remote)")) << en;
  EXPECT_TRUE(zh.ends_with("（远程）")) << zh;
  r.take();
  EXPECT_GT(r.journal.undo(r.ui, r.uiEq), 0);
  EXPECT_EQ(r.mem.pc.getInt(word), before);
  EXPECT_FALSE(r.take().empty());
  // A later window edit of the same control is the window's own again.
  r.turn(100, [&r, before] { r.ui.SetMicVolume(0, before + 1); });
  EXPECT_EQ(r.undoText().find("remote"), std::string::npos) << r.undoText();
}

TEST(EditJournal, LinkedEditIsOneStepUndoneAndRedoneOnEveryChannel) {
  Rig r;
  const ParamDesc& mix = Describe(Param::MixDirect);
  const auto word = [&](int ch) { return size_t(mix.wordOf(ch)); };
  r.turn(0, [&] {
    for (int ch : {0, 2, 5}) r.ui.SetParam(Param::MixDirect, ch, 40);
  });
  const auto editReports = r.take();
  const auto edited = r.box.dspParams();
  ASSERT_EQ(editReports.size(), 3u);
  EXPECT_EQ(r.undoText(), "Undo: CH-L direct volume and 2 more");

  ParameterMemory fresh;
  InitParameterMemory(fresh);
  EXPECT_EQ(r.journal.undo(r.ui, r.uiEq), 3);
  const auto undone = r.take();
  for (int ch : {0, 2, 5}) EXPECT_EQ(r.mem.pc.raw(word(ch)), fresh.pc.raw(word(ch))) << ch;
  // Each channel's report went out again with its old value, at the edit's address.
  ASSERT_EQ(undone.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(std::equal(undone[i].begin(), undone[i].begin() + 6, editReports[i].begin()));
  }
  EXPECT_FALSE(r.journal.canUndo());
  EXPECT_EQ(r.journal.redoText(DiffLanguage::Chinese).rfind("重做: ", 0), 0u);

  EXPECT_EQ(r.journal.redo(r.ui, r.uiEq), 3);
  EXPECT_EQ(r.take(), editReports);
  EXPECT_TRUE(r.box.dspParams() == edited);
  for (int ch : {0, 2, 5}) EXPECT_EQ(r.mem.pc.getInt(word(ch)), 40);
}

TEST(EditJournal, BandUndoSendsItsRecordAndSectionAndNamesTheBand) {
  Rig r;
  const BandRecord before = LoadBandRecord(r.mem, 1, 2);
  r.turn(0, [&] { r.uiEq.SendMicAEqBand(2, 1, -6.0f, int(before.frequency), before.q); });
  const auto edit = r.take();
  ASSERT_EQ(edit.size(), 2u);
  EXPECT_EQ(r.undoText(), "Undo: Mic A EQ band 3 gain");
  EXPECT_EQ(r.journal.undoText(DiffLanguage::Chinese), "撤销: 话筒A 均衡 第3段 增益");

  EXPECT_EQ(r.journal.undo(r.ui, r.uiEq), 2);
  const auto undone = r.take();
  ASSERT_EQ(undone.size(), 2u);
  EXPECT_EQ(undone[0][1], 0x85);  // the record
  EXPECT_EQ(undone[1][1], 0x09);  // its section
  const BandRecord now = LoadBandRecord(r.mem, 1, 2);
  EXPECT_EQ(now.gainDb, before.gainDb);
  EXPECT_EQ(now.type, before.type);
  // Undo's own sends are no edits: there is exactly one step to redo and none to undo.
  EXPECT_FALSE(r.journal.canUndo());
  EXPECT_TRUE(r.journal.canRedo());
}

TEST(EditJournal, MasterVolumeEditsAreTakenBack) {
  // A replacing write leaves the box's master volumes alone; undo takes back the edit itself.
  Rig r;
  const size_t word = size_t(Describe(Param::MusicMaster).word);
  const int32_t before = r.mem.pc.getInt(word);
  r.turn(0, [&] { r.ui.SetParam(Param::MusicMaster, before + 20); });
  const auto edit = r.take();
  ASSERT_EQ(edit.size(), 1u);
  EXPECT_EQ(r.journal.undo(r.ui, r.uiEq), 1);
  EXPECT_EQ(r.mem.pc.getInt(word), before);
  EXPECT_EQ(r.journal.redo(r.ui, r.uiEq), 1);
  EXPECT_EQ(r.take().back(), edit[0]);
}

TEST(EditJournal, MasterEditUnderALaterStepIsUndoneInItsTurn) {
  Rig r;
  const size_t word = size_t(Describe(Param::MusicMaster).word);
  const int start = r.mem.pc.getInt(word);
  const int moved = start > 50 ? 20 : 80;
  r.turn(0, [&] { r.ui.SetParam(Param::MusicMaster, moved); });
  r.turn(1000, [&] { r.ui.SetMicVolume(0, 33); });  // a later step leaves the master alone
  r.take();
  EXPECT_EQ(r.journal.undo(r.ui, r.uiEq), 1);
  EXPECT_EQ(r.mem.pc.getInt(word), moved);
  EXPECT_EQ(r.journal.undo(r.ui, r.uiEq), 1);
  EXPECT_EQ(r.mem.pc.getInt(word), start);
  EXPECT_EQ(r.take().size(), 2u);
  EXPECT_EQ(r.journal.redo(r.ui, r.uiEq), 1);
  EXPECT_EQ(r.mem.pc.getInt(word), moved);
}

TEST(EditJournal, UndoKeepsWhatChangedOutsideTheStep) {
  Rig r;
  const size_t gate = size_t(Describe(Param::MicGate).wordOf(1));
  const size_t master = size_t(Describe(Param::MicMaster).word);
  r.turn(0, [&] { r.uiEq.SendMicAEqBand(2, 1, -6.0f, 1000, 1.41f); });
  // The box reports its own values (a master volume turned on the box) between edits.
  r.mem.pc.setInt(master, 33);
  r.mem.pc.setInt(gate, 1234);
  EXPECT_EQ(r.journal.undo(r.ui, r.uiEq), 2);  // the band's record and section, nothing else
  EXPECT_EQ(r.mem.pc.getInt(master), 33);
  EXPECT_EQ(r.mem.pc.getInt(gate), 1234);
  r.take();
  EXPECT_EQ(r.journal.redo(r.ui, r.uiEq), 2);
  EXPECT_EQ(r.mem.pc.getInt(master), 33);
  // Across a synchronisation the settings go back to those before the step as a whole.
  r.journal.barrier();
  EXPECT_EQ(r.journal.undo(r.ui, r.uiEq, true), 2 + 1 + 1);  // band, gate, master
  EXPECT_NE(r.mem.pc.getInt(master), 33);
}

TEST(EditJournal, EqResetAndRoomResetAreOneStepEach) {
  Rig r;
  r.turn(0, [&] { r.uiEq.SendMusicEqBand(0, 1, 5.0f, 100, 2.0f); });
  r.turn(1000, [&] { r.uiEq.ResetMusicEq(); });
  r.turn(1000, [&] { r.ui.SetRoomTrim(3, 2.0f); });
  r.turn(1000, [&] { r.ui.ResetRoom(); });
  EXPECT_EQ(steps(r), 4);
}

// Every encoder of a band, an EQ set or the room names what it edits before memory changes,
// so the step's before image is the settings as they were.
TEST(EditJournal, EncodersAnnounceTheirEditBeforeMemoryChanges) {
  using K = EditKey::Kind;
  struct Case {
    const char* what;
    void (*edit)(Commands&, EqSenders&);
    EditKey first;
  } cases[] = {
      {"output band", [](Commands&, EqSenders& eq) { eq.SendOutputEqBand(3, 4, 1, 4.0f, 900, 2.0f); },
       {K::Band, 10, 4}},
      {"echo B band", [](Commands&, EqSenders& eq) { eq.SendEchoBEqBand(6, 1, -3.0f, 700, 1.0f); },
       {K::Band, 5, 6}},
      {"record stored by group", [](Commands&, EqSenders& eq) {
         eq.StoreBandRecord(1, 12, 3.0f, 500.0f, 1.0f, 1);  // Mic B's third band
       }, {K::Band, 1, 2}},
      {"EQ reset", [](Commands&, EqSenders& eq) { eq.ResetReverbAEq(); }, {K::EqSet, 2, 0}},
      {"output EQ reset", [](Commands&, EqSenders& eq) { eq.ResetOutputEq(7); }, {K::EqSet, 14, 0}},
      {"EQ copy", [](Commands&, EqSenders& eq) { eq.CopyEqSet(0, 9); }, {K::EqSet, 9, 0}},
      {"split", [](Commands&, EqSenders& eq) { eq.SetHighFreqSplit(1, 7); }, {K::Band, 8, 13}},
      {"delay mode", [](Commands&, EqSenders& eq) { eq.SetHighFreqDelay(2, 1); },
       {K::Param, int(Param::DelayMode), 2}},
      {"room trim", [](Commands& ui, EqSenders&) { ui.SetRoomTrim(4, -2.0f); },
       {K::Param, int(Param::RoomTrim), 4}},
      {"room block", [](Commands& ui, EqSenders&) {
         ui.memory().room.setWidth(7);
         ui.StoreRoomBlock();
       }, {K::Room, 0, 0}},
      {"room reset", [](Commands& ui, EqSenders&) { ui.ResetRoom(); }, {K::Room, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig r;
    // Away from the defaults, so that the resets and the copy change something.
    r.mem.room.setWidth(3);
    r.ui.StoreRoomBlock();
    r.ui.SetRoomTrim(4, 1.0f);
    r.uiEq.SendMicAEqBand(0, 1, 6.0f, 40, 3.0f);
    const SettingsImage before = ImageOf(r.mem);
    std::vector<EditKey> keys;
    bool unchangedAtFirst = false;
    r.ui.setEditHook([&](const EditKey& k) {
      if (keys.empty()) unchangedAtFirst = ImageOf(r.mem) == before;
      keys.push_back(k);
    });
    c.edit(r.ui, r.uiEq);
    ASSERT_FALSE(keys.empty());
    EXPECT_EQ(keys.front(), c.first);
    EXPECT_TRUE(unchangedAtFirst);
    EXPECT_NE(ImageOf(r.mem), before);
  }
}

TEST(EditJournal, BarrierAsksBeforeUndoingAcrossAndDropsRedo) {
  Rig r;
  r.turn(0, [&] { r.ui.SetMicVolume(0, 10); });
  r.turn(1000, [&] { r.ui.SetMicVolume(1, 10); });
  ASSERT_GE(r.journal.undo(r.ui, r.uiEq), 0);
  ASSERT_TRUE(r.journal.canRedo());
  r.journal.barrier();  // the settings came from the box
  EXPECT_FALSE(r.journal.canRedo());
  EXPECT_TRUE(r.journal.undoCrossesBarrier());
  r.take();
  EXPECT_EQ(r.journal.undo(r.ui, r.uiEq), -1);
  EXPECT_TRUE(r.take().empty());
  EXPECT_EQ(r.journal.undo(r.ui, r.uiEq, true), 1);
  EXPECT_FALSE(r.journal.canUndo());
  // An edit right after a barrier starts its own step even on the same control.
  r.turn(1000, [&] { r.ui.SetMicVolume(0, 20); });
  r.journal.barrier();
  r.turn(100, [&] { r.ui.SetMicVolume(0, 21); });
  EXPECT_FALSE(r.journal.undoCrossesBarrier());
  EXPECT_EQ(r.journal.undo(r.ui, r.uiEq), 1);
  EXPECT_EQ(r.mem.pc.getInt(size_t(Describe(Param::MicVolume).wordOf(0))), 20);
  EXPECT_TRUE(r.journal.undoCrossesBarrier());
}

TEST(EditJournal, NewEditDropsRedoAndTheOldestStepsGoBeyondTheCap) {
  Rig r;
  r.turn(0, [&] { r.ui.SetMicVolume(0, 10); });
  r.turn(1000, [&] { r.ui.SetMicVolume(0, 11); });
  r.journal.undo(r.ui, r.uiEq);
  r.turn(1000, [&] { r.ui.SetMicGate(0, 300); });
  EXPECT_FALSE(r.journal.canRedo());
  EXPECT_EQ(r.undoText(), "Undo: Mic 1 gate");

  Rig big;
  for (int i = 0; i < kJournalSteps + 20; ++i) {
    big.turn(1000, [&] { big.ui.SetMicVolume(0, i % 2 ? 10 : 20); });
  }
  EXPECT_EQ(steps(big), kJournalSteps);
}

TEST(EditJournal, ReplacementsAndOpenTurns) {
  Rig r;
  const SettingsImage before = ImageOf(r.mem);
  r.ui.SetMicVolume(3, 77);
  const SettingsImage after = ImageOf(r.mem);
  // Without an event loop the turn is still open: undo closes it first.
  EXPECT_TRUE(r.journal.canUndo());
  EXPECT_EQ(r.undoText(), "Undo: Mic 4 volume");
  EXPECT_EQ(r.journal.undo(r.ui, r.uiEq), 1);

  int changes = 0;
  r.journal.onChanged = [&] { ++changes; };
  r.journal.recordStep(before, after, "Load mode file", "载入模式文件");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(r.undoText(), "Undo: Load mode file");
  EXPECT_EQ(r.journal.undoText(DiffLanguage::Chinese), "撤销: 载入模式文件");
  r.journal.recordStep(after, after, "nothing", "nothing");  // changes nothing: no step
  EXPECT_EQ(changes, 1);
  r.journal.clear();
  EXPECT_FALSE(r.journal.canUndo());
  EXPECT_EQ(r.undoText(), "");
}

// ---- the snapshot history -------------------------------------------------------------------

class Snapshots : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::path(::testing::TempDir()) /
          ("ax7-snapshots-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    InitParameterMemory(mem);
    image = ImageOf(mem);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::filesystem::path dir;
  ParameterMemory mem;
  SettingsImage image;
};

constexpr int64_t kDec10 = 1796945112345;  // 2026-12-10T23:25:12.345 UTC

std::vector<uint8_t> readBytesOf(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

TEST_F(Snapshots, NamesCarryTimeAndReasonAndReadBack) {
  SnapshotStore store(dir.string());
  ASSERT_TRUE(store.save(image, SnapshotReason::RecallMode, kDec10));
  ASSERT_TRUE(store.save(image, SnapshotReason::RecallMode, kDec10));  // the same millisecond
  ASSERT_TRUE(store.save(image, SnapshotReason::AbSwitch, kDec10 - 5000));
  const auto all = store.list();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(std::filesystem::path(all[1].path).filename(),
            "2026-12-10T23-25-12.345_recall-mode.px44t");
  EXPECT_EQ(all[1].unixMs, kDec10);
  EXPECT_EQ(all[1].reason, SnapshotReason::RecallMode);
  EXPECT_EQ(all[0].unixMs, kDec10 + 1);  // kept both, the later one a millisecond on
  EXPECT_EQ(all[2].reason, SnapshotReason::AbSwitch);
  SettingsImage back;
  ASSERT_TRUE(store.read(all[0], back));
  EXPECT_EQ(back, image);
  EXPECT_EQ(ReasonText(SnapshotReason::LoadFile, DiffLanguage::Chinese), "载入模式文件");
}

TEST_F(Snapshots, KeepsTheNewestHundredAndNeverTouchesOtherFiles) {
  SnapshotStore store(dir.string());
  std::filesystem::create_directories(dir);
  const std::vector<std::string> foreign = {"notes.txt", "my-tuning.px44t",
                                            "2026-12-10T23-25-12.345_mine.px44t"};
  for (const auto& name : foreign) std::ofstream(dir / name) << "x";
  for (int i = 0; i < kSnapshotsKept + 5; ++i) {
    ASSERT_TRUE(store.save(image, SnapshotReason::LoadFile, kDec10 + 1000 * i));
  }
  const auto all = store.list();
  ASSERT_EQ(all.size(), size_t(kSnapshotsKept));
  EXPECT_EQ(all.front().unixMs, kDec10 + 1000 * (kSnapshotsKept + 4));
  EXPECT_EQ(all.back().unixMs, kDec10 + 1000 * 5);
  for (const auto& name : foreign) EXPECT_TRUE(std::filesystem::exists(dir / name)) << name;
  // A clock set back: the new snapshot is the oldest by name, yet it is the one that must stay.
  ASSERT_TRUE(store.save(image, SnapshotReason::MachineReset, kDec10 - 86400000));
  const auto afterSetBack = store.list();
  ASSERT_EQ(afterSetBack.size(), size_t(kSnapshotsKept));
  EXPECT_EQ(afterSetBack.back().reason, SnapshotReason::MachineReset);
  EXPECT_EQ(afterSetBack[afterSetBack.size() - 2].unixMs, kDec10 + 1000 * 6);
  // Not a mode file: the history can't restore it.
  std::ofstream(dir / "2026-12-10T23-25-12.345_load-file.px44t") << "junk";
  SettingsImage out;
  std::string error;
  const auto again = store.list();
  const auto junk = std::find_if(again.begin(), again.end(),
                                 [](const Snapshot& s) { return s.unixMs == kDec10; });
  ASSERT_NE(junk, again.end());
  EXPECT_FALSE(store.read(*junk, out, &error));
  EXPECT_NE(error.find("not a mode file"), std::string::npos) << error;
}

TEST_F(Snapshots, NeverWritesThroughALinkInTheFolder) {
  SnapshotStore store(dir.string());
  std::filesystem::create_directories(dir);
  const auto taken = dir / "2026-12-10T23-25-12.345_eq-reset.px44t";
  const auto elsewhere = dir / "elsewhere";
  std::filesystem::create_symlink(elsewhere, taken);  // dangling
  ASSERT_TRUE(store.save(image, SnapshotReason::EqReset, kDec10));
  EXPECT_FALSE(std::filesystem::exists(elsewhere));
  EXPECT_TRUE(std::filesystem::is_symlink(taken));
  const auto all = store.list();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].unixMs, kDec10 + 1);
}

// Several programs saving in the same millisecond: each snapshot gets a name of its own, none
// replaces another. Threads race for the names as processes do.
TEST_F(Snapshots, SavesAtTheSameTimeFromSeveralWritersKeepEveryOne) {
  constexpr int kWriters = 4, kEach = 20;
  std::vector<std::thread> writers;
  std::vector<int> failures(kWriters, 0);
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      SnapshotStore store(dir.string());
      SettingsImage mine = image;
      mine.back() = uint8_t(w);  // tells whose snapshot survived
      for (int i = 0; i < kEach; ++i) {
        if (!store.save(mine, SnapshotReason::AbSwitch, kDec10)) ++failures[size_t(w)];
      }
    });
  }
  for (auto& t : writers) t.join();
  EXPECT_EQ(failures, std::vector<int>(kWriters, 0));
  const auto all = SnapshotStore(dir.string()).list();
  ASSERT_EQ(all.size(), size_t(kWriters * kEach));
  std::map<int, int> perWriter;
  for (const auto& s : all) perWriter[int(readBytesOf(s.path).back())]++;
  for (int w = 0; w < kWriters; ++w) EXPECT_EQ(perWriter[w], kEach) << w;
  Snapshot parsed;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    EXPECT_TRUE(ParseSnapshotName(e.path().filename().string(), parsed)) << "left: " << e.path();
}

TEST_F(Snapshots, NewFileSaveNeverReplacesAnything) {
  std::filesystem::create_directories(dir);
  const auto taken = dir / "taken";
  std::ofstream(taken) << "mine";
  const uint8_t bytes[] = {1, 2, 3};
  SaveOutcome o = SaveNewFileAtomically(taken.string(), bytes, sizeof bytes);
  EXPECT_FALSE(o.ok);
  EXPECT_EQ(o.systemError, EEXIST);
  EXPECT_EQ(readBytesOf(taken.string()), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
  std::filesystem::create_symlink(dir / "nowhere", dir / "link");
  EXPECT_EQ(SaveNewFileAtomically((dir / "link").string(), bytes, sizeof bytes).systemError,
            EEXIST);
  EXPECT_FALSE(std::filesystem::exists(dir / "nowhere"));
  ASSERT_TRUE(SaveNewFileAtomically((dir / "new").string(), bytes, sizeof bytes).ok);
  EXPECT_EQ(readBytesOf((dir / "new").string()), (std::vector<uint8_t>{1, 2, 3}));
  // Only the three names: no temporary file stays behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 3);
}

TEST_F(Snapshots, FailedSaveIsReportedAndRemovesNothing) {
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "plain-file") << "x";
  SnapshotStore blocked((dir / "plain-file" / "snapshots").string());
  std::string error;
  EXPECT_FALSE(blocked.save(image, SnapshotReason::EqReset, kDec10, &error));
  EXPECT_NE(error.find("snapshot folder"), std::string::npos) << error;
  EXPECT_TRUE(blocked.list().empty());
}

TEST_F(Snapshots, FailedSaveInAReadOnlyFolderKeepsEverySnapshot) {
  // A folder that exists but takes no files, whoever runs the test.
  std::string error;
  EXPECT_FALSE(SnapshotStore("/proc").save(image, SnapshotReason::LoadFile, kDec10, &error));
  EXPECT_NE(error.find("Can't save the snapshot"), std::string::npos) << error;

  SnapshotStore store(dir.string());
  for (int i = 0; i < kSnapshotsKept; ++i) {
    ASSERT_TRUE(store.save(image, SnapshotReason::LoadFile, kDec10 + 1000 * i));
  }
  namespace fs = std::filesystem;
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  const bool writable = std::ofstream(dir / "probe").good();
  if (!writable) {
    EXPECT_FALSE(store.save(image, SnapshotReason::LoadFile, kDec10 + 1000 * kSnapshotsKept));
    EXPECT_EQ(store.list().size(), size_t(kSnapshotsKept));
    EXPECT_EQ(store.list().back().unixMs, kDec10);
  }
  fs::permissions(dir, fs::perms::owner_all);
  if (writable) GTEST_SKIP() << "permissions do not hold for this user";
}

TEST(SnapshotDir, FollowsXdgDataHome) {
  struct Keep {
    const char* name;
    std::optional<std::string> value;
    explicit Keep(const char* n) : name(n) {
      if (const char* v = std::getenv(n)) value = v;
    }
    ~Keep() { value ? setenv(name, value->c_str(), 1) : unsetenv(name); }
  } xdg("XDG_DATA_HOME"), home("HOME");
  setenv("XDG_DATA_HOME", "/data/home", 1);
  EXPECT_EQ(DefaultSnapshotDir(), "/data/home/ax7-control/snapshots");
  setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored
  setenv("HOME", "/home/u", 1);
  EXPECT_EQ(DefaultSnapshotDir(), "/home/u/.local/share/ax7-control/snapshots");
}

}  // namespace
}  // namespace ax7::history
