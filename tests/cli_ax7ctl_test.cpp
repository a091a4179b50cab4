// ax7ctl as a user runs it: the real binary in a subprocess, against the simulated box in
// virtual time, judged by its exit code, its output and the files and traces it writes.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "support/cli_run.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using ax7::test::lines;
using ax7::test::readBytes;
using ax7::test::writeBytes;

struct RunResult {
  int exitCode = -1;  // -1 when it did not exit normally
  bool hung = false;
  std::string out;
  std::string err;
};

// Everything ax7ctl does with the simulated box runs in virtual time, so a few seconds of wall
// time are far more than any command needs; a run that takes longer is taken for a hang.
constexpr int kWallLimitMs = 20000;

// With `stdoutFile`, standard output goes to that file instead of the pipe.
RunResult ax7ctl(const std::vector<std::string>& args, const char* stdoutFile = nullptr) {
  int outPipe[2];
  int errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutFile) {
    posix_spawn_file_actions_addopen(&actions, 1, stdoutFile, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  } else {
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  }
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
    posix_spawn_file_actions_addclose(&actions, fd);
  }
  std::vector<std::string> argvStrings = {AX7CTL_PATH};
  argvStrings.insert(argvStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& s : argvStrings) argv.push_back(s.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, AX7CTL_PATH, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(outPipe[1]);
  close(errPipe[1]);
  RunResult run;
  if (spawned != 0) {
    close(outPipe[0]);
    close(errPipe[0]);
    return run;
  }

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWallLimitMs);
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&run.out, &run.err};
  int open = 2;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      run.hung = true;
      kill(pid, SIGKILL);
      break;
    }
    if (poll(fds, 2, int(left.count())) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buf[4096];
      const ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, size_t(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (auto& f : fds) {
    if (f.fd >= 0) close(f.fd);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  return run;
}

// The simulated box in virtual time, then the command.
RunResult sim(std::vector<std::string> args, const char* stdoutFile = nullptr) {
  args.insert(args.begin(), {"--device", "sim", "--virtual-time"});
  return ax7ctl(args, stdoutFile);
}

// A mode file of the given version whose every byte after the version word is arbitrary
// (NaN and denormal words, band records out of every range included).
std::vector<uint8_t> arbitraryModeFile(uint32_t version, size_t size, uint32_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) {
    seed = seed * 1664525u + 1013904223u;
    bytes[i] = uint8_t(seed >> 24);
  }
  for (int i = 0; i < 4; ++i) bytes[size_t(i)] = uint8_t(version >> (8 * i));
  return bytes;
}

class Ax7ctlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("ax7ctl-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  fs::path dir_;
};

TEST_F(Ax7ctlTest, DesignPrintsNormalisedCoefficientsAndTheBoxWords) {
  const RunResult run = sim({"design", "PEQ", "6", "1000", "1.41"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto out = lines(run.out);
  ASSERT_EQ(out.size(), 2u);

  // The peaking section of the audio EQ cookbook, worked out here on its own.
  const double A = std::pow(10.0, 6.0 / 40), w0 = 6.283185307179586 * 1000 / 48000;
  const double alpha = std::sin(w0) / (2 * 1.41), a0 = 1 + alpha / A;
  const double expected[5] = {(1 + alpha * A) / a0, -2 * std::cos(w0) / a0, (1 - alpha * A) / a0,
                              -2 * std::cos(w0) / a0, (1 - alpha / A) / a0};
  std::istringstream first(out[0]);
  double c[5];
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(first >> c[i]);
    EXPECT_NEAR(c[i], expected[i], 1e-12) << "coefficient " << i;
  }
  // The box takes -a1 -a2 b0 b1 b2 as big-endian singles.
  char words[64];
  auto bits = [](double v) { return unsigned(std::bit_cast<uint32_t>(float(v))); };
  std::snprintf(words, sizeof words, "%08x %08x %08x %08x %08x", bits(-c[3]), bits(-c[4]),
                bits(c[0]), bits(c[1]), bits(c[2]));
  EXPECT_EQ(out[1], words);
}

TEST_F(Ax7ctlTest, ResponseCoversTheGridAndButterworthIsThreeDbDownAtItsCorner) {
  const RunResult full = sim({"response", "12", "0", "1000", "0.707"});
  ASSERT_EQ(full.exitCode, 0) << full.err;
  const auto points = lines(full.out);
  ASSERT_EQ(points.size(), 512u);
  EXPECT_THAT(points.front(), StartsWith("18 "));

  // Type 12 uses its own Q of 1/sqrt(2), whatever the band's Q says.
  const RunResult corner = sim(
      {"response", "12", "0", "1000", "5", "--fmin", "1000", "--fmax", "4000", "--points", "2"});
  ASSERT_EQ(corner.exitCode, 0) << corner.err;
  const auto two = lines(corner.out);
  ASSERT_EQ(two.size(), 2u);
  double f = 0, db = 0;
  std::istringstream(two[0]) >> f >> db;
  EXPECT_EQ(f, 1000.0);
  EXPECT_NEAR(db, -3.0103, 0.001);
  std::istringstream(two[1]) >> f >> db;
  EXPECT_EQ(f, 2000.0);  // 1000 * 10^(1/2 * log10(4))
  EXPECT_LT(db, -11.0);
}

TEST_F(Ax7ctlTest, ModeFileRoundTripsThroughJsonByteForByte) {
  const auto original = arbitraryModeFile(5, 2130, 7);
  writeBytes(path("a.px44t"), original);

  const RunResult show = sim({"modefile", "show", path("a.px44t"), "--json"});
  ASSERT_EQ(show.exitCode, 0) << show.err;
  const auto doc = nlohmann::json::parse(show.out);
  EXPECT_EQ(doc["api_version"], 1);
  EXPECT_EQ(doc["version"], 5);
  EXPECT_EQ(doc["pc_words"].size(), 207u);
  EXPECT_EQ(doc["band_records"].size(), 178u);

  ASSERT_EQ(sim({"modefile", "convert", path("a.px44t"), path("a.json")}).exitCode, 0);
  ASSERT_EQ(sim({"modefile", "convert", path("a.json"), path("b.px44t")}).exitCode, 0);
  EXPECT_EQ(readBytes(path("b.px44t")), original);

  // Decoded values stand in for a raw form that was left out.
  auto edited = nlohmann::json::parse(readBytes(path("a.json")));
  edited["pc_words"][0] = {{"int", 77}};
  edited["band_records"][3] = {{"type", 1}, {"gain_db", 6.0}, {"frequency", 1000}, {"q", 2.5}};
  std::ofstream(path("c.json")) << edited.dump();
  ASSERT_EQ(sim({"modefile", "convert", path("c.json"), path("c.px44t")}).exitCode, 0);
  const auto c = readBytes(path("c.px44t"));
  ASSERT_EQ(c.size(), 2130u);
  EXPECT_EQ(std::vector<uint8_t>(c.begin() + 4, c.begin() + 8),
            (std::vector<uint8_t>{77, 0, 0, 0}));
  const std::vector<uint8_t> record3 = {0x00, 0xD2, 0x03, 0xE8, 0x09, 0xC4, 0x01};
  EXPECT_EQ(std::vector<uint8_t>(c.begin() + 832 + 21, c.begin() + 832 + 28), record3);
}

TEST_F(Ax7ctlTest, OlderModeFileConvertsWithDefaultsForWhatItLacks) {
  // Version 1: words 0..195 and the box image, nothing of the room.
  const auto v1 = arbitraryModeFile(1, 4 + 784 + 1246, 11);
  writeBytes(path("old.px44t"), v1);
  const RunResult run = sim({"modefile", "convert", path("old.px44t"), path("new.px44t")});
  ASSERT_EQ(run.exitCode, 0) << run.err;

  const auto v5 = readBytes(path("new.px44t"));
  ASSERT_EQ(v5.size(), 2130u);
  EXPECT_EQ(std::vector<uint8_t>(v5.begin(), v5.begin() + 4), (std::vector<uint8_t>{5, 0, 0, 0}));
  EXPECT_TRUE(std::equal(v1.begin() + 4, v1.begin() + 788, v5.begin() + 4));  // words
  EXPECT_TRUE(std::equal(v1.begin() + 788, v1.end(), v5.begin() + 832));      // image
  EXPECT_TRUE(std::all_of(v5.begin() + 788, v5.begin() + 832, [](uint8_t b) { return b == 0; }));
  EXPECT_TRUE(std::all_of(v5.begin() + 2078, v5.begin() + 2110, [](uint8_t b) { return b == 0; }));
  const std::vector<uint8_t> defaultRoom = {0x04, 0x04, 0x00, 0x00, 0x8A, 0x0A, 0x00,
                                            0x0A, 0x0A, 0x0A, 0x8A, 0x8A, 0x00, 0x8A,
                                            0x0A, 0x8A, 0x85, 0x00, 0x05, 0x00};
  EXPECT_EQ(std::vector<uint8_t>(v5.begin() + 2110, v5.end()), defaultRoom);

  const RunResult show = sim({"modefile", "show", path("old.px44t")});
  ASSERT_EQ(show.exitCode, 0) << show.err;
  EXPECT_THAT(show.out, HasSubstr("version: 1"));
}

TEST_F(Ax7ctlTest, RefusedInputWritesNothing) {
  writeBytes(path("v6.px44t"), arbitraryModeFile(6, 2130, 3));
  std::ofstream(path("bad.json")) << R"({"api_version": 1, "pc_words": [1, 2, 3]})";
  for (const char* in : {"v6.px44t", "bad.json", "missing.px44t"}) {
    const RunResult run = sim({"modefile", "convert", path(in), path("out.px44t")});
    EXPECT_EQ(run.exitCode, 2) << in;
    EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
    EXPECT_FALSE(fs::exists(path("out.px44t"))) << in;
  }
  // A box is never even opened for a file it would refuse.
  const RunResult write = sim({"--trace", path("w.trace"), "write", path("v6.px44t")});
  EXPECT_EQ(write.exitCode, 2);
  EXPECT_THAT(write.err, HasSubstr("version 6"));
  EXPECT_FALSE(fs::exists(path("w.trace")));
}

// Files no mode input may hang, crash or mislead on. Each is refused with exit code 2, one line
// saying what is wrong, and nothing written or sent, by every command that reads mode input.
TEST_F(Ax7ctlTest, HostileInputFilesAreRefusedByEveryReader) {
  ASSERT_EQ(mkfifo(path("fifo.px44t").c_str(), 0600), 0);
  fs::create_directory(path("folder.px44t"));
  std::ofstream(path("deep.json")) << "{\"api_version\": " << std::string(50000, '[')
                                   << std::string(50000, ']') << "}";
  std::ofstream(path("array.json")) << "[1, 2, 3]";
  std::ofstream(path("bom-array.json")) << "\xEF\xBB\xBF[{\"api_version\": 1}]";
  std::ofstream(path("text.px44t")) << "hello, this is not a mode file\n";
  std::ofstream(path("api.json")) << "{\"api_version\": \"" << std::string(100000, 'x') << "\"}";
  {
    std::ofstream big(path("big.px44t"), std::ios::binary);
    big.seekp(100 * 1024 * 1024 - 1);
    big.put('\0');
  }
  struct Case {
    std::string file;
    const char* says;
  } cases[] = {
      {path("fifo.px44t"), "pipe"},
      {path("folder.px44t"), "Is a directory"},
      {"/dev/zero", "device"},
      {path("deep.json"), "nested more than"},
      {path("array.json"), "wrong shape: a list"},
      {path("bom-array.json"), "wrong shape: a list"},
      {path("text.px44t"), "neither a mode file nor JSON"},
      {path("api.json"), "api_version must be the number 1"},
      {path("big.px44t"), "too large"},
  };
  for (const Case& c : cases) {
    const std::vector<std::vector<std::string>> commands = {
        {"modefile", "show", c.file},
        {"modefile", "convert", c.file, path("out.px44t")},
        {"modefile", "convert", c.file, path("out.json")},
        {"--trace", path("w.trace"), "write", c.file},
        {"--sim-state", c.file, "--trace", path("r.trace"), "read"},
    };
    for (const auto& command : commands) {
      SCOPED_TRACE(c.file + " " + command[0]);
      const RunResult run = sim(command);
      ASSERT_FALSE(run.hung);
      EXPECT_EQ(run.exitCode, 2);
      ASSERT_EQ(lines(run.err).size(), 1u) << run.err;
      EXPECT_THAT(run.err, HasSubstr(c.says));
      EXPECT_LT(run.err.size(), 300u);
      EXPECT_TRUE(run.out.empty());
      for (const char* name : {"out.px44t", "out.json", "w.trace", "r.trace"}) {
        EXPECT_FALSE(fs::exists(path(name))) << name;
      }
    }
  }
}

// Words holding any bit pattern (NaN, both infinities, 2^31, 0xFFFFFFFF) load, convert and go
// to the box: float words saturate on their way to integers rather than being undefined.
TEST_F(Ax7ctlTest, WildWordsAreAcceptedAndSaturated) {
  ASSERT_EQ(sim({"read", "--save", path("base.px44t")}).exitCode, 0);
  const std::vector<uint8_t> base = readBytes(path("base.px44t"));
  ASSERT_EQ(base.size(), 2130u);
  std::vector<std::string> files;
  for (uint32_t word : {0x7FC00000u, 0x7F800000u, 0xFF800000u, 0x80000000u, 0xFFFFFFFFu,
                        0x7FFFFFFFu}) {
    std::vector<uint8_t> bytes = base;
    for (int n = 0; n < 207; ++n)
      for (int i = 0; i < 4; ++i) bytes[size_t(4 + 4 * n + i)] = uint8_t(word >> (8 * i));
    char name[32];
    std::snprintf(name, sizeof name, "w%08x.px44t", unsigned(word));
    writeBytes(path(name), bytes);
    files.push_back(path(name));
  }
  // BOM before a mode file's JSON is fine: editors on Windows add one.
  ASSERT_EQ(sim({"modefile", "convert", path("base.px44t"), path("plain.json")}).exitCode, 0);
  const auto json = readBytes(path("plain.json"));
  std::ofstream(path("bom.json")) << "\xEF\xBB\xBF" << std::string(json.begin(), json.end());
  files.push_back(path("bom.json"));

  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    for (const auto& command : std::vector<std::vector<std::string>>{
             {"modefile", "show", file},
             {"modefile", "convert", file, path("out.json")},
             {"write", file},
             {"--sim-state", file, "read"}}) {
      const RunResult run = sim(command);
      ASSERT_FALSE(run.hung);
      EXPECT_EQ(run.exitCode, 0) << command[0] << ": " << run.err;
    }
    ASSERT_EQ(sim({"modefile", "convert", path("out.json"), path("back.px44t")}).exitCode, 0);
    if (file != path("bom.json")) {
      EXPECT_EQ(readBytes(path("back.px44t")), readBytes(file));
    }
  }
}

TEST_F(Ax7ctlTest, TraceIntoAPipeNobodyReadsIsRefusedAtOnce) {
  // Opening it would wait for a reader forever; the run ends with the reason instead.
  ASSERT_EQ(mkfifo(path("trace.fifo").c_str(), 0600), 0);
  const RunResult run = sim({"--trace", path("trace.fifo"), "read"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_THAT(run.err,
              HasSubstr("'" + path("trace.fifo") + "': it is a pipe (FIFO) that nobody reads"));
}

// Saving either form replaces a file the way a careful editor does: nothing protected is
// replaced, permissions and links survive, long names work, and errors name the target.
TEST_F(Ax7ctlTest, SaveTargetsKeepWhatTheyMust) {
  ASSERT_EQ(sim({"read", "--save", path("src.px44t")}).exitCode, 0);
  for (const std::string ext : {".json", ".px44t"}) {
    SCOPED_TRACE(ext);
    auto convert = [&](const std::string& out) {
      return sim({"modefile", "convert", path("src.px44t"), out});
    };
    const std::vector<uint8_t> old = {'o', 'l', 'd'};

    // Write-protected: refused, named, untouched (even for root, who passes every access
    // check: a file nobody may write is protected).
    const std::string locked = path("locked" + ext);
    writeBytes(locked, old);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read);
    RunResult run = convert(locked);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("'" + locked + "'"));
    EXPECT_THAT(run.err, Not(HasSubstr(".tmp")));
    EXPECT_EQ(readBytes(locked), old);

    // Mode 600 behind a symlink: the link stays a link, the file keeps its mode.
    const std::string real = path("real" + ext), link = path("link" + ext);
    writeBytes(real, old);
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(real, link);
    ASSERT_EQ(convert(link).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(readBytes(real), old);
    EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    // A dangling symlink: its target is created, the link stays.
    const std::string dangling = path("dangling" + ext), target = path("target" + ext);
    fs::create_symlink("target" + ext, dangling);  // relative, as people make them
    ASSERT_EQ(convert(dangling).exitCode, 0) << ext;
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_TRUE(fs::is_regular_file(target));

    // A name of 245 characters (the temporary beside it must still fit the folder's limit).
    const std::string longName = path(std::string(245 - ext.size(), 'n') + ext);
    run = convert(longName);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::is_regular_file(longName));

    // A folder in the way, or a missing folder: refused, named.
    fs::create_directory(path("taken" + ext));
    run = convert(path("taken" + ext));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("'" + path("taken" + ext) + "'"));
    run = convert(path("missing/x" + ext));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("'" + path("missing/x" + ext) + "'"));
  }
  // No temporary is left behind by any of them.
  for (const auto& entry : fs::directory_iterator(dir_)) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos)
        << entry.path();
  }

  // A read-only folder cannot take the temporary; only binding for an ordinary user.
  if (geteuid() != 0) {
    fs::create_directory(path("ro"));
    writeBytes(path("ro/x.json"), {'o'});
    fs::permissions(path("ro"), fs::perms::owner_read | fs::perms::owner_exec);
    const RunResult run = sim({"modefile", "convert", path("src.px44t"), path("ro/x.json")});
    fs::permissions(path("ro"), fs::perms::owner_all);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("'" + path("ro/x.json") + "'"));
    EXPECT_EQ(readBytes(path("ro/x.json")), std::vector<uint8_t>{'o'});
  }
}

// Failures of the box are told as what happened: answers slower than the reply gate are no
// wrong protocol version, nonsense answers no wrong model. status checks the box as read does.
TEST_F(Ax7ctlTest, IdentityFailuresSayWhatHappened) {
  struct Case {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{"--sim-latency", "1900", "read"}, "answers too slowly"},
      {{"--sim-latency", "1900", "status"}, "answers too slowly"},
      {{"--sim-fault", "garbage=100", "read"}, "answers made no sense"},
      {{"--sim-fault", "garbage=100", "status"}, "answers made no sense"},
      {{"--sim-fault", "silent", "status"}, "did not answer"},
      {{"--sim-fault", "model=XYZ", "status"}, "机器型号与软件不匹配!"},
      {{"--sim-fault", "version=16", "status"}, "机器与软件通信版本不匹配"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1] + " " + c.args.back());
    const RunResult run = sim(c.args);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(lines(run.err).size(), 1u) << run.err;
    EXPECT_THAT(run.err, HasSubstr(c.says));
    EXPECT_THAT(run.err, Not(HasSubstr("VK4420")));
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
}

// Whether a write that stores a box mode succeeded is decided by what the box confirmed: an
// unplug right around the store gives the same exit code on every run, 0 only when the store
// was answered.
TEST_F(Ax7ctlTest, UnplugAroundTheModeStoreGivesAStableExitCode) {
  ASSERT_EQ(sim({"read", "--save", path("m1.px44t")}).exitCode, 0);
  ASSERT_EQ(sim({"--trace", path("w.trace"), "write", path("m1.px44t")}).exitCode, 0);
  const auto bytes = readBytes(path("w.trace"));
  int written = 0, store = -1;
  for (const std::string& l : lines(std::string(bytes.begin(), bytes.end()))) {
    if (l.rfind("> ", 0) != 0) continue;
    ++written;
    if (l.rfind("> 020400", 0) == 0) store = written;  // the second half of the store
  }
  ASSERT_GT(store, 600);
  for (int n = store - 1; n <= store + 2; ++n) {
    SCOPED_TRACE("unplug-after=" + std::to_string(n));
    const std::string fault = "unplug-after=" + std::to_string(n);
    const int expected = n > store ? 0 : 1;
    for (int round = 0; round < 3; ++round) {
      const RunResult run = sim({"--sim-fault", fault, "write", path("m1.px44t")});
      EXPECT_EQ(run.exitCode, expected) << run.err;
      if (expected == 1) {
        EXPECT_THAT(run.err, HasSubstr("disconnected"));
      }
    }
  }
}

// Every command that writes to the box succeeds exactly when the box took every report of
// its work and answered the last: an unplug after any of them gives exit 1 on every run, and
// only an unplug at the leaving notice, once the work is done, leaves exit 0.
TEST_F(Ax7ctlTest, UnplugSweepGivesStableExitCodesForEveryWritingCommand) {
  ASSERT_EQ(sim({"read", "--save", path("a.px44t")}).exitCode, 0);
  auto changed = readBytes(path("a.px44t"));
  changed[4 + 4 * 19] ^= 0x07;  // microphone 1 volume
  changed[832 + 2] ^= 0x01;     // a band's gain
  writeBytes(path("b.px44t"), changed);
  std::ofstream(path("k.remo"), std::ios::binary) << std::string(18, '\x11');

  struct Case {
    const char* name;
    std::vector<std::string> args;
  };
  const std::vector<Case> cases = {
      {"write", {"write", path("a.px44t")}},
      {"write --changed", {"--sim-state", path("a.px44t"), "write", "--changed", "--no-snapshot",
                           path("b.px44t")}},
      {"settings apply", {"settings", "apply", "--mic-max", "60"}},
      {"remote load", {"remote", "load", path("k.remo")}},
      {"plugs reset", {"plugs", "reset"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> traced = {"--trace", path("t.trace")};
    traced.insert(traced.end(), c.args.begin(), c.args.end());
    ASSERT_EQ(sim(traced).exitCode, 0);
    const auto bytes = readBytes(path("t.trace"));
    int work = 0;  // reports before the leaving notice
    for (const std::string& l : lines(std::string(bytes.begin(), bytes.end())))
      if (l.rfind("> ", 0) == 0 && l.rfind("> 028a", 0) != 0) ++work;
    ASSERT_GT(work, 3);
    for (int n : {work / 2, work - 2, work - 1, work, work + 1}) {
      SCOPED_TRACE("unplug-after=" + std::to_string(n));
      std::vector<std::string> args = {"--sim-fault", "unplug-after=" + std::to_string(n)};
      args.insert(args.end(), c.args.begin(), c.args.end());
      const int expected = n > work ? 0 : 1;
      for (int round = 0; round < 3; ++round) {
        const RunResult run = sim(args);
        ASSERT_FALSE(run.hung);
        EXPECT_EQ(run.exitCode, expected) << run.err;
        if (expected == 1) {
          EXPECT_THAT(run.err, HasSubstr("disconnected")) << run.err;
        }
      }
    }
  }
}

TEST_F(Ax7ctlTest, ReadSavesWhatWriteThenSendsAndStoresInTheNamedMode) {
  const RunResult read = sim({"read", "--save", path("m2 party.px44t")});
  ASSERT_EQ(read.exitCode, 0) << read.err;
  EXPECT_THAT(read.out, HasSubstr("module: AX7"));
  EXPECT_THAT(read.out, HasSubstr("command version: 17"));
  EXPECT_EQ(readBytes(path("m2 party.px44t")).size(), 2130u);

  const RunResult write = sim({"--trace", path("w.trace"), "write", path("m2 party.px44t")});
  ASSERT_EQ(write.exitCode, 0) << write.err;
  EXPECT_THAT(write.out, HasSubstr("stored in box mode M2"));

  const auto traceBytes = readBytes(path("w.trace"));
  const auto trace = lines(std::string(traceBytes.begin(), traceBytes.end()));
  std::vector<std::string> phases;
  size_t toBox = 0, save = 0;
  for (size_t i = 0; i < trace.size(); ++i) {
    const std::string& l = trace[i];
    ASSERT_FALSE(l.empty());
    if (l[0] == '#') {
      phases.push_back(l);
      if (l == "# SynchronizeToBox") toBox = i;
      if (l == "# SaveBoxMode") save = i;
      continue;
    }
    ASSERT_TRUE((l.rfind("> ", 0) == 0 || l.rfind("< ", 0) == 0) && l.size() == 124)
        << "line " << i;
    ASSERT_EQ(l.find_first_not_of("0123456789abcdef", 2), std::string::npos) << l;
  }
  EXPECT_EQ(phases, (std::vector<std::string>{"# SynchronizeFromBox", "# SynchronizeToBox",
                                              "# SaveBoxMode", "# close"}));
  // Hundreds of reports go out between the start of the transfer and the mode store...
  EXPECT_GT(std::count_if(trace.begin() + long(toBox), trace.begin() + long(save),
                          [](const std::string& l) { return l.rfind("> ", 0) == 0; }),
            200);
  // ...which is command 3, then command 4, both with mode index 1.
  ASSERT_LT(save + 1, trace.size());
  EXPECT_THAT(trace[save + 1], StartsWith("> 020301"));
  // The link closes with the leaving notice (the answer to the mode store may still come first).
  const auto close = std::find(trace.begin(), trace.end(), "# close");
  const auto notice =
      std::find_if(close, trace.end(), [](const std::string& l) { return l.rfind("> ", 0) == 0; });
  ASSERT_NE(notice, trace.end());
  EXPECT_THAT(*notice, StartsWith("> 028a00"));

  // A name that means no box mode stores nothing.
  std::filesystem::copy_file(path("m2 party.px44t"), path("mix.px44t"));
  const RunResult plain = sim({"--trace", path("p.trace"), "write", path("mix.px44t")});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  const auto bytes = readBytes(path("p.trace"));
  EXPECT_THAT(std::string(bytes.begin(), bytes.end()), Not(HasSubstr("# SaveBoxMode")));
}

TEST_F(Ax7ctlTest, SimStateStartsTheBoxWithTheFilesSettings) {
  ASSERT_EQ(sim({"read", "--save", path("factory.json")}).exitCode, 0);
  auto doc = nlohmann::json::parse(readBytes(path("factory.json")));
  doc["pc_words"][0] = 77;   // microphone master: only a soft start would send it
  doc["pc_words"][19] = 55;  // microphone 1 volume
  doc["band_records"][3] = "00d203e8058201";
  doc["room_block_hex"] = "0506000000000000000000000000000000000000";
  std::ofstream(path("custom.json")) << doc.dump();
  ASSERT_EQ(sim({"modefile", "convert", path("custom.json"), path("custom.px44t")}).exitCode, 0);

  const RunResult run =
      sim({"--sim-state", path("custom.px44t"), "read", "--save", path("back.px44t")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(readBytes(path("back.px44t")), readBytes(path("custom.px44t")));
}

struct FaultCase {
  const char* fault;
  std::vector<int> exitCodes;  // acceptable exit codes
  const char* errorText;       // in the last line of stderr; nullptr: no message required
};

// Every fault ends a whole write (read, check, load, write, store) by itself with a clear
// message. Random garbage may or may not hit a deciding answer, so either outcome is fine.
TEST_F(Ax7ctlTest, EveryFaultOfTheBoxEndsTheWriteWithAClearMessage) {
  ASSERT_EQ(sim({"read", "--save", path("m1.px44t")}).exitCode, 0);
  const FaultCase cases[] = {
      {"silent", {1}, "the box did not answer"},
      {"model=XYZ", {1}, "机器型号与软件不匹配!"},
      {"version=16", {1}, "机器与软件通信版本不匹配，请使用机器配套软件!"},
      {"param-error=3", {0}, "参数错误,代码0x:03"},
      {"unplug-after=5", {1}, "the box was disconnected"},
      {"unplug-after=300", {1}, "the box was disconnected"},
      {"garbage=20", {0, 1}, nullptr},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.fault);
    const RunResult run = sim({"--sim-fault", c.fault, "write", path("m1.px44t")});
    ASSERT_FALSE(run.hung);
    EXPECT_THAT(c.exitCodes, ::testing::Contains(run.exitCode)) << run.err;
    const auto err = lines(run.err);
    if (c.errorText) {
      ASSERT_EQ(err.size(), 1u) << run.err;
      EXPECT_THAT(err.back(), HasSubstr(c.errorText));
    }
    if (run.exitCode != 0) {
      ASSERT_FALSE(err.empty());
    }
    for (const auto& l : err) {
      EXPECT_THAT(l, StartsWith("ax7ctl: "));
    }
  }
}

// The other commands that talk to the box end too, under every fault, with 0 or 1, also when
// the answers come later than the reply gate waits.
TEST_F(Ax7ctlTest, EveryCommandEndsUnderEveryFault) {
  for (const char* fault : {"silent", "model=XYZ", "version=16", "param-error=3", "unplug-after=0",
                            "unplug-after=5", "garbage=50"}) {
    for (const char* command : {"read", "status", "list"}) {
      for (const char* latency : {"0", "2500"}) {
        SCOPED_TRACE(std::string(fault) + " " + command + " latency " + latency);
        const RunResult run = sim({"--sim-fault", fault, "--sim-latency", latency, command});
        ASSERT_FALSE(run.hung);
        EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 1) << run.exitCode << " " << run.err;
        if (run.exitCode != 0) {
          EXPECT_FALSE(run.err.empty());
        }
      }
    }
  }
}

TEST_F(Ax7ctlTest, JsonOutputsCarryTheApiVersion) {
  writeBytes(path("a.px44t"), arbitraryModeFile(5, 2130, 1));
  const std::vector<std::vector<std::string>> commands = {
      {"modefile", "show", path("a.px44t"), "--json"},
      {"read", "--json"},
      {"status", "--json"},
      {"list", "--json"},
  };
  for (const auto& command : commands) {
    SCOPED_TRACE(command[0]);
    const RunResult run = sim(command);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto doc = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_TRUE(doc.is_object());
    EXPECT_EQ(doc.begin().key(), "api_version");
    EXPECT_EQ(doc["api_version"], 1);
  }
  const auto list = nlohmann::json::parse(sim({"list", "--json"}).out);
  EXPECT_EQ(list["boxes"][0]["usb_id"], "2010:1031");
}

TEST_F(Ax7ctlTest, UsageErrorsExitTwoWithOneLine) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"design", "PEQ", "6", "1000"},
      {"design", "BANDPASS", "6", "1000", "1"},
      {"response", "1", "0", "1000", "1", "--points", "0"},
      {"response", "1", "0", "1000", "1", "--fmin", "100", "--fmax", "50"},
      {"modefile", "show"},
      {"write"},
      {"read", "--bogus"},
      {"--device", "hid", "--sim-fault", "silent", "read"},
      {"--device", "hid", "--virtual-time", "read"},
      {"--device", "sim", "--sim-fault", "bogus", "read"},
      {"--device", "usb", "read"},
  };
  for (const auto& args : cases) {
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    SCOPED_TRACE(joined);
    const RunResult run = ax7ctl(args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
    EXPECT_TRUE(run.out.empty());
  }
}

TEST_F(Ax7ctlTest, HelpForEveryCommand) {
  for (const char* command :
       {"design", "response", "modefile", "read", "write", "status", "list"}) {
    SCOPED_TRACE(command);
    for (const auto& args : {std::vector<std::string>{command, "--help"},
                             std::vector<std::string>{"--help", command}}) {
      const RunResult run = ax7ctl(args);
      EXPECT_EQ(run.exitCode, 0);
      EXPECT_THAT(run.out, StartsWith(std::string("usage: ax7ctl ") + command));
    }
  }
  const RunResult top = ax7ctl({"--help"});
  EXPECT_EQ(top.exitCode, 0);
  EXPECT_THAT(top.out, HasSubstr("--device sim|hid"));
  EXPECT_THAT(top.out, HasSubstr("an output file that cannot"));
}

TEST_F(Ax7ctlTest, VersionAfterTheProgramOrAnyCommand) {
  const RunResult top = ax7ctl({"--version"});
  EXPECT_EQ(top.exitCode, 0);
  EXPECT_THAT(top.out, ::testing::MatchesRegex("ax7ctl [0-9]+\\.[0-9]+\\.[0-9]+\n"));
  EXPECT_EQ(top.err, "");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"read", "--version"},
           {"eq", "import", "--version"},
           {"--device", "sim", "diff", "box", "--version"},
           {"remote", "learn", "power", "--wait", "1", "--version"}}) {
    const RunResult run = ax7ctl(args);
    EXPECT_EQ(run.exitCode, 0) << args[0];
    EXPECT_EQ(run.out, top.out) << args[0];
  }
  // After "--" it is a file name like any other.
  EXPECT_EQ(ax7ctl({"modefile", "show", "--", "--version"}).exitCode, 2);
}

// Output that never reached its file (a full disk) is a failure with a line saying so, never
// a 0: every kind of output, and the --trace file.
TEST_F(Ax7ctlTest, OutputThatCannotBeWrittenFails) {
  writeBytes(path("a.px44t"), arbitraryModeFile(5, 2130, 1));
  writeBytes(path("b.px44t"), arbitraryModeFile(5, 2130, 2));
  struct Case {
    std::vector<std::string> args;
    int failure;  // the exit code when stdout is full
  };
  const std::vector<Case> cases = {
      {{"--help"}, 1},
      {{"--version"}, 1},
      {{"eq", "--help"}, 1},
      {{"design", "PEQ", "6", "1000", "1.41"}, 1},
      {{"response", "1", "0", "1000", "1"}, 1},
      {{"modefile", "show", path("a.px44t")}, 1},
      {{"modefile", "show", path("a.px44t"), "--json"}, 1},
      {{"eq", "export", "mic-a", "--from", path("a.px44t")}, 1},
      {{"eq", "export", "out3", "--from", path("a.px44t"), "--format", "json"}, 1},
      {{"read", "--json"}, 1},
      {{"status"}, 1},
      {{"list", "--json"}, 1},
      {{"settings", "show"}, 1},
      {{"remote", "show"}, 1},
      {{"diff", path("a.px44t"), path("a.px44t"), "--json"}, 3},  // the same: 0 otherwise
      {{"diff", path("a.px44t"), path("b.px44t")}, 3},  // different: 1 otherwise
      {{"diff", "box", path("a.px44t"), "--json"}, 3},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    SCOPED_TRACE(joined);
    const RunResult written = sim(c.args);
    ASSERT_FALSE(written.out.empty()) << written.err;
    ASSERT_LT(written.exitCode, c.failure) << written.err;
    const RunResult full = sim(c.args, "/dev/full");
    EXPECT_EQ(full.exitCode, c.failure);
    EXPECT_THAT(full.err, HasSubstr("ax7ctl: cannot write standard output: No space left"));
  }

  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--trace", "/dev/full", "read"},
           {"--trace", "/dev/full", "diff", "box", path("a.px44t")}}) {
    SCOPED_TRACE(args[2]);
    const RunResult run = sim(args);
    EXPECT_EQ(run.exitCode, args[2] == "diff" ? 3 : 1);
    EXPECT_THAT(run.err, HasSubstr("ax7ctl: cannot write trace file '/dev/full': No space left"));
  }
  // A command that failed keeps its own exit code.
  const RunResult silent = sim({"--sim-fault", "silent", "--trace", "/dev/full", "read"});
  EXPECT_EQ(silent.exitCode, 1);
  EXPECT_THAT(silent.err, HasSubstr("did not answer"));
  EXPECT_THAT(silent.err, HasSubstr("cannot write trace file"));
}

}  // namespace
