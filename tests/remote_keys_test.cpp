// The remote key table in the core: the file name rule, reading and writing .remo files, the
// key table, the write frame, and stopping a learn without waiting for its reply.
#include "remote/remote_keys.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "core/core.h"
#include "remote/remote_file.h"
#include "sim/sim_backend.h"
#include "support/frame_capture.h"

namespace {

namespace fs = std::filesystem;
using namespace ax7;
using namespace ax7::remote;

class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/ax7-remote-XXXXXX";
    path_ = ::mkdtemp(name);
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

RemoteKeys filled(uint8_t v) {
  RemoteKeys k;
  k.fill(v);
  return k;
}

TEST(RemoteFile, NameTakesTheRemoExtensionOfTheFileNameOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"keys.txt", "keys.remo"},
      {"/home/u/keys.remo", "/home/u/keys.remo"},
      {"/home/u/keys", "/home/u/keys.remo"},
      {"/home/u.v/keys", "/home/u.v/keys.remo"},  // not /home/u.remo
      {"a.b/c.d.e", "a.b/c.d.remo"},
      {"/tmp/.keys", "/tmp/.keys.remo"},  // a hidden name, not an extension
      {"keys.", "keys.remo"},
  };
  for (const auto& [chosen, expected] : cases)
    EXPECT_EQ(RemoteFilePath(chosen), expected) << chosen;
}

TEST(RemoteFile, ReadReplacesOnlyTheBytesTheFileHas) {
  TempDir dir;
  struct Case {
    size_t size;
    size_t taken;
  };
  for (const Case c : {Case{10, 10}, Case{18, 18}, Case{25, 18}, Case{0, 0}}) {
    std::vector<uint8_t> bytes(c.size);
    for (size_t i = 0; i < c.size; ++i) bytes[i] = uint8_t(0x10 + i);
    const std::string path = dir / ("f" + std::to_string(c.size) + ".remo");
    writeBytes(path, bytes);
    RemoteKeys keys = filled(0xEE);
    const RemoteFileResult r = ReadRemoteFile(path, keys);
    ASSERT_TRUE(r.ok) << c.size;
    EXPECT_EQ(r.bytes, c.taken);
    for (size_t i = 0; i < keys.size(); ++i)
      EXPECT_EQ(keys[i], i < c.taken ? uint8_t(0x10 + i) : 0xEE) << c.size << " byte " << i;
  }
}

TEST(RemoteFile, AFileThatCannotBeReadChangesNothing) {
  TempDir dir;
  fs::create_directory(dir / "folder.remo");
  for (const std::string& path : {dir / "missing.remo", dir / "folder.remo"}) {
    RemoteKeys keys = filled(0x5A);
    const RemoteFileResult r = ReadRemoteFile(path, keys);
    EXPECT_FALSE(r.ok) << path;
    EXPECT_FALSE(r.reason.empty());
    EXPECT_EQ(keys, filled(0x5A));
  }
}

TEST(RemoteFile, WriteIsAllOrNothing) {
  TempDir dir;
  RemoteKeys keys{};
  for (size_t i = 0; i < keys.size(); ++i) keys[i] = uint8_t(0xF0 + i);
  const std::string path = dir / "k.remo";
  writeBytes(path, {1, 2, 3});
  ASSERT_TRUE(WriteRemoteFile(path, keys).ok);
  EXPECT_EQ(readBytes(path), std::vector<uint8_t>(keys.begin(), keys.end()));

  EXPECT_FALSE(WriteRemoteFile(dir / "no/such/folder.remo", keys).ok);
  // A write-protected file stays as it was, whoever runs the program.
  const std::string locked = dir / "locked.remo";
  writeBytes(locked, {9, 9});
  ::chmod(locked.c_str(), 0444);
  const SaveOutcome refused = WriteRemoteFile(locked, keys);
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.systemError, 0);
  EXPECT_EQ(readBytes(locked), (std::vector<uint8_t>{9, 9}));
}

TEST(RemoteKeysTable, KeysByNumberNameAndArea) {
  EXPECT_EQ(Keys().size(), 17u);
  for (int k = 1; k <= kKeyCount; ++k) {
    ASSERT_NE(KeyByNumber(k), nullptr);
    EXPECT_EQ(KeyByNumber(k)->key, k);
    EXPECT_EQ(KeyByControl(KeyByNumber(k)->controlId), KeyByNumber(k));
    EXPECT_EQ(KeyByName(KeyByNumber(k)->name), KeyByNumber(k));
  }
  const std::pair<const char*, int> names[] = {
      {"power", 1}, {"POWER", 1}, {"mic+", 12}, {"Music-", 17}, {"8", 8},   {"17", 17},
      {"0", 0},     {"18", 0},    {"", 0},      {"1x", 0},      {"mic", 0}, {"-1", 0}};
  for (const auto& [name, key] : names) {
    const KeyInfo* k = KeyByName(name);
    EXPECT_EQ(k ? k->key : 0, key) << '"' << name << '"';
  }
  EXPECT_EQ(KeyByControl(1587)->key, 1);
  EXPECT_EQ(KeyByControl(1615)->key, 17);
  EXPECT_EQ(KeyByControl(1599), nullptr);
  EXPECT_STREQ(KeyByNumber(1)->en, "Learning key:Power key");
}

TEST(RemoteKeysTable, WriteFrameCarriesEveryByteValue) {
  RemoteKeys keys{};
  for (size_t i = 0; i < keys.size(); ++i) keys[i] = uint8_t(0xFF - i);
  keys[5] = 0x00;  // neither a zero nor 0xFF ends the frame early
  const Report r = WriteKeysFrame(keys);
  EXPECT_EQ(test::frameHex(r), "02 63 FF FE FD FC FB 00 F9 F8 F7 F6 F5 F4 F3 F2 F1 F0 EF EE");
}

// The learn command gets its reply only with a code, so a stop sent after it would wait the
// whole reply time unless the gate is released first.
TEST(RemoteLearning, StopGoesOutAtOnceWhenTheGateIsReleased) {
  for (bool release : {true, false}) {
    VirtualClock clock;
    sim::SimFaults faults;
    faults.noLearn = true;
    sim::SimBackend backend(clock, faults);
    test::CapturingTrace trace(clock);
    Core core(backend, clock);
    core.link.setTrace(&trace);
    ASSERT_TRUE(core.link.OpenUsbDevice(nullptr));
    int64_t asked = -1;
    clock
        .startThread([&] {
          core.ui.SendCommand(kCmdLearnKey, 1);
          core.queue.waitIdle();
          asked = clock.nowMs();
          if (release) core.link.SetReplyEvent();
          core.ui.SendCommand(kCmdStopLearning);
          core.queue.waitIdle();
        })
        .join();
    const auto sent = test::framesHex(trace.reports());
    ASSERT_EQ(sent, test::frames({"02 60 01", "02 61"}));
    const int64_t waited = trace.times()[1] - asked;
    if (release) {
      EXPECT_LT(waited, 100);
    } else {
      EXPECT_GE(waited, kReplyTimeoutMs);  // what releasing the gate saves
    }
    EXPECT_FALSE(backend.withBox([](sim::SimBox& b) { return b.learning(); }));
    core.link.CloseUsbDevice(false);
  }
}

// A box that answers: 02 60 01 is answered about half a second later with the code, which the
// dispatcher puts into the table (byte 0 the code byte, byte 1 the power key's code).
TEST(RemoteLearning, TheSimulatedBoxAnswersAfterHalfASecond) {
  VirtualClock clock;
  sim::SimBackend backend(clock);
  test::CapturingTrace trace(clock);
  Core core(backend, clock);
  ASSERT_TRUE(core.link.OpenUsbDevice(nullptr));
  int64_t sentAt = -1, learnedAt = -1;
  clock
      .startThread([&] {
        sentAt = clock.nowMs();
        core.cmd.SendCommand(kCmdLearnKey, 1);
        clock.waitFor(5000, [&] { return core.mem.dev.g_remoteKeys.get(1) != 0; });
        learnedAt = clock.nowMs();
      })
      .join();
  EXPECT_GE(learnedAt - sentAt, sim::kDefaultLearnDelayMs);
  EXPECT_LT(learnedAt - sentAt, sim::kDefaultLearnDelayMs + 200);
  EXPECT_EQ(core.mem.dev.g_remoteKeys.get(0), sim::kLearnCodeByte);
  EXPECT_EQ(core.mem.dev.g_remoteKeys.get(1), sim::SimBox::learnedCode(1));
  core.link.CloseUsbDevice(false);
}

}  // namespace
