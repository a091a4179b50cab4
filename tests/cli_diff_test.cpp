// ax7ctl diff and write --changed against mode files and the simulated box: what is listed,
// what is sent, the snapshot kept first, and the exit codes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/command.h"
#include "support/cli_run.h"
#include "support/random_mode_file.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ax7::test::RandomModeFile;
using namespace ax7::test;

// The simulated box in virtual time, then the command.
CliRun sim(std::vector<std::string> args) {
  args.insert(args.begin(), {"--device", "sim", "--virtual-time"});
  return ax7ctl(args);
}

// Output reports of a trace after the read from the box, without the leaving notice.
std::vector<std::string> writesAfterRead(const fs::path& trace) {
  const auto bytes = readBytes(trace);
  std::vector<std::string> out;
  int reads = 0;
  for (const std::string& l : lines(std::string(bytes.begin(), bytes.end()))) {
    if (l.rfind("> ", 0) != 0) continue;
    if (reads++ < 217) continue;
    if (l.rfind("> 028a", 0) == 0) continue;
    out.push_back(l.substr(2, 12));
  }
  return out;
}

class DiffCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("ax7ctl-diff-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
    setenv("LANGUAGE", "en", 1);
    // A box's own settings, as read back from it: every value one it can hold.
    ASSERT_EQ(sim({"read", "--save", path("a.px44t")}).code, 0);
    a_ = readBytes(path("a.px44t"));
    ASSERT_EQ(a_.size(), RandomModeFile::kSize);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path snapshots() const { return dir_ / "data" / "ax7-control" / "snapshots"; }

  // A with the microphone 2 volume, CH-L's delay and three bands changed.
  std::vector<uint8_t> changedA() const {
    std::vector<uint8_t> b = a_;
    RandomModeFile::setWord(b, 20, RandomModeFile::wordOf(b, 20) == 77 ? 78 : 77);
    RandomModeFile::setFloatWord(b, 153, 12.5f);
    for (int record : {2, 50, 60}) b[RandomModeFile::kImageAt + 7 * size_t(record) + 1] ^= 0x04;
    return b;
  }

  fs::path dir_;
  std::vector<uint8_t> a_;
};

TEST_F(DiffCliTest, ListsWhatDiffersByNameAndValueInBothLanguages) {
  writeBytes(path("b.px44t"), changedA());
  const CliRun en = ax7ctl({"diff", path("a.px44t"), path("b.px44t")});
  EXPECT_EQ(en.code, 1) << en.err;
  const auto l = lines(en.out);
  ASSERT_EQ(l.size(), 5u) << en.out;
  EXPECT_THAT(l[0], HasSubstr("CH-L delay: "));
  EXPECT_THAT(l[0], HasSubstr(" -> 12.5 ms"));
  EXPECT_THAT(l[1], HasSubstr("Mic 2 volume: "));
  EXPECT_THAT(l[2], HasSubstr("Mic A EQ band 3 gain: "));
  EXPECT_THAT(l[3], HasSubstr("Music EQ band 3 gain: "));
  EXPECT_THAT(l[4], HasSubstr("CH-L EQ band 3 gain: "));

  const CliRun zh = ax7ctl({"diff", "--lang", "zh", path("a.px44t"), path("b.px44t")});
  EXPECT_EQ(zh.code, 1);
  EXPECT_THAT(zh.out, HasSubstr("前置左 延时: "));
  EXPECT_THAT(zh.out, HasSubstr("话筒A 均衡 第3段 增益: "));

  const CliRun json = ax7ctl({"diff", "--json", path("a.px44t"), path("b.px44t")});
  EXPECT_EQ(json.code, 1);
  const auto doc = nlohmann::json::parse(json.out);
  EXPECT_EQ(doc.begin().key(), "api_version");
  EXPECT_EQ(doc["same"], false);
  ASSERT_EQ(doc["differences"].size(), 5u);
  EXPECT_EQ(doc["differences"][0]["param"], "delay");
  EXPECT_EQ(doc["differences"][0]["channel"], 1);
  EXPECT_EQ(doc["differences"][0]["to"], "12.5 ms");
  EXPECT_EQ(doc["differences"][2]["eq_set"], 0);
  EXPECT_EQ(doc["differences"][2]["band"], 3);
  EXPECT_EQ(doc["differences"][2]["field"], "gain");
  EXPECT_EQ(doc["differences"][2]["name_zh"], "话筒A 均衡 第3段 增益");

  const CliRun same = ax7ctl({"diff", "--json", path("a.px44t"), path("a.px44t")});
  EXPECT_EQ(same.code, 0);
  EXPECT_EQ(nlohmann::json::parse(same.out)["same"], true);
  EXPECT_TRUE(ax7ctl({"diff", path("a.px44t"), path("a.px44t")}).out.empty());
}

TEST_F(DiffCliTest, ComparesWithTheBox) {
  writeBytes(path("b.px44t"), changedA());
  const CliRun same = sim({"--sim-state", path("a.px44t"), "diff", path("a.px44t"), "box"});
  EXPECT_EQ(same.code, 0) << same.out << same.err;
  EXPECT_TRUE(same.out.empty());
  const CliRun other = sim({"--sim-state", path("a.px44t"), "diff", "box", path("b.px44t")});
  EXPECT_EQ(other.code, 1) << other.err;
  EXPECT_EQ(lines(other.out).size(), 5u);
}

TEST_F(DiffCliTest, ExitCodes) {
  writeBytes(path("short.px44t"), std::vector<uint8_t>(a_.begin(), a_.begin() + 100));
  struct Case {
    std::vector<std::string> args;
    int code;
  } cases[] = {
      {{"diff", path("a.px44t")}, 2},
      {{"diff", path("a.px44t"), path("missing.px44t")}, 2},
      {{"diff", path("short.px44t"), "box"}, 2},  // refused before the box is opened
      {{"diff", "--lang", "fr", path("a.px44t"), path("a.px44t")}, 2},
      {{"--device", "sim", "--virtual-time", "--sim-fault", "silent", "diff", path("a.px44t"), "box"},
       3},
      {{"--device", "sim", "--virtual-time", "--sim-fault", "model=XYZ", "diff", "box", "box"}, 3},
      {{"--device", "sim", "--virtual-time", "diff", "box", "box"}, 0},
      {{"write", "--no-snapshot", path("a.px44t")}, 2},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const auto& w : c.args) joined += w + " ";
    SCOPED_TRACE(joined);
    const CliRun run = ax7ctl(c.args);
    EXPECT_EQ(run.code, c.code) << run.err;
    if (c.code >= 2) {
      EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
    }
  }
}

TEST_F(DiffCliTest, WriteChangedSendsOnlyTheDifferencesAfterASnapshot) {
  // Three bands: a record and a section each.
  std::vector<uint8_t> b = a_;
  for (int record : {2, 50, 60}) b[RandomModeFile::kImageAt + 7 * size_t(record) + 1] ^= 0x04;
  writeBytes(path("b.px44t"), b);
  const CliRun run = sim({"--sim-state", path("a.px44t"), "--trace", path("w.trace"), "write",
                          path("b.px44t"), "--changed"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("writing 3 differences"));
  EXPECT_THAT(run.out, HasSubstr("6 reports"));
  const auto sent = writesAfterRead(path("w.trace"));
  ASSERT_EQ(sent.size(), 6u);
  for (size_t i = 0; i < sent.size(); ++i)
    EXPECT_EQ(sent[i].substr(0, 4), i % 2 == 0 ? "0285" : "0209") << i;

  // The box's settings as they were, kept before anything was sent.
  std::vector<fs::path> kept;
  for (const auto& e : fs::directory_iterator(snapshots())) kept.push_back(e.path());
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_THAT(kept[0].filename().string(), HasSubstr("write-changed"));
  EXPECT_EQ(readBytes(kept[0]), a_);

  // Nothing differs: nothing is sent.
  const CliRun again = sim({"--sim-state", path("b.px44t"), "--trace", path("s.trace"), "write",
                            path("b.px44t"), "--changed", "--no-snapshot"});
  ASSERT_EQ(again.code, 0) << again.err;
  EXPECT_TRUE(writesAfterRead(path("s.trace")).empty());
}

TEST_F(DiffCliTest, AFailedSnapshotStopsTheWriteUnlessItIsDeclined) {
  writeBytes(path("b.px44t"), changedA());
  // The data folder is a file: no snapshot can be written there.
  writeBytes(dir_ / "data", {1});
  const CliRun refused = sim({"--sim-state", path("a.px44t"), "--trace", path("r.trace"), "write",
                              path("b.px44t"), "--changed"});
  EXPECT_EQ(refused.code, 1);
  EXPECT_THAT(refused.err, HasSubstr("snapshot"));
  EXPECT_TRUE(writesAfterRead(path("r.trace")).empty());

  const CliRun declined = sim({"--sim-state", path("a.px44t"), "--trace", path("d.trace"),
                               "write", path("b.px44t"), "--changed", "--no-snapshot"});
  EXPECT_EQ(declined.code, 0) << declined.err;
  EXPECT_EQ(writesAfterRead(path("d.trace")).size(), 1u + 1u + 6u);
}

}  // namespace
