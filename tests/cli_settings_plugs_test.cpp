// ax7ctl settings and plugs as a user runs them: the real binary against the simulated box in
// virtual time, judged by exit code, output and the reports in its trace.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

struct CliRun {
  int exitCode = -1;
  std::string out, err;
};

std::string quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class SettingsPlugsCli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("ax7ctl-zw-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  // ax7ctl with the simulated box in virtual time (unless `sim` is false).
  CliRun ax7ctl(const std::vector<std::string>& args, bool sim = true) {
    std::string cmd = quote(AX7CTL_PATH);
    if (sim) cmd += " --device sim --virtual-time";
    for (const auto& a : args) cmd += " " + quote(a);
    cmd += " 2>" + quote(path("err.txt"));
    CliRun run;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return run;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) run.out.append(buf, n);
    const int status = pclose(p);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(path("err.txt"));
    run.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
    return run;
  }

  // The reports written, as lowercase hex without the zero padding.
  std::vector<std::string> written(const std::string& trace) {
    std::vector<std::string> out;
    std::ifstream in(trace);
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("> ", 0) != 0) continue;
      std::string hex = line.substr(2);
      while (hex.size() > 2 && hex.compare(hex.size() - 2, 2, "00") == 0)
        hex.resize(hex.size() - 2);
      out.push_back(hex);
    }
    return out;
  }
  static bool contains(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
  }

  fs::path dir_;
};

TEST_F(SettingsPlugsCli, ShowAndApplyTheSettingsRecord) {
  const CliRun show = ax7ctl({"settings", "show", "--json"});
  ASSERT_EQ(show.exitCode, 0) << show.err;
  const auto before = nlohmann::json::parse(show.out);
  EXPECT_EQ(before.begin().key(), "api_version");
  EXPECT_EQ(before["mic_max"], 99);

  struct Case {
    std::vector<std::string> options;
    std::string frame;  // the 0x91 report written
    const char* micStart;
  };
  const Case cases[] = {
      // A lower maximum pulls the start volume down with it.
      {{"--mic-max", "40"}, "029100000028322863", "40"},
      // "off" is the byte 0xFF, and the rest of the record still follows it.
      {{"--mic-start", "off", "--save-by", "mode", "--power-on", "m3"},
       "0291010001ff3263630000000003",
       "off"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--trace", path("t.txt"), "settings", "apply"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const CliRun run = ax7ctl(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto w = written(path("t.txt"));
    std::string sent;
    for (const auto& f : w)
      if (f.rfind("0291", 0) == 0) sent = f;
    // The trace drops trailing zeros; compare up to the shorter of the two.
    std::string expected = c.frame;
    while (expected.size() > 2 && expected.compare(expected.size() - 2, 2, "00") == 0)
      expected.resize(expected.size() - 2);
    EXPECT_EQ(sent, expected);
    EXPECT_THAT(run.out, HasSubstr(std::string("mic start volume: ") + c.micStart));
  }
}

TEST_F(SettingsPlugsCli, RefusedSettingsSendNothing) {
  const std::vector<std::vector<std::string>> usage = {
      {"settings"},
      {"settings", "apply"},
      {"settings", "show", "--mic-max", "40"},
      {"settings", "apply", "--mic-max", "0"},
      {"settings", "apply", "--mic-start", "100"},
      {"settings", "apply", "--music-start", "loud"},
      {"settings", "apply", "--power-on", "m5"},
      {"settings", "apply", "--save-by", "never"},
      {"plugs"},
      {"plugs", "erase"},
  };
  for (const auto& args : usage) {
    SCOPED_TRACE(args.back());
    const CliRun run = ax7ctl(args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  // A start volume above the maximum it would have: refused once the box's record is known.
  const CliRun run = ax7ctl(
      {"--trace", path("t.txt"), "settings", "apply", "--mic-max", "40", "--mic-start", "50"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_THAT(run.err, HasSubstr("above the maximum"));
  for (const auto& f : written(path("t.txt"))) EXPECT_NE(f.substr(0, 4), "0291");
}

TEST_F(SettingsPlugsCli, PlugsReadListsNodesNamesAndScenes) {
  const CliRun run = ax7ctl({"plugs", "read"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("node 1: controller\n"));
  EXPECT_THAT(run.out, HasSubstr("node 3: dimmer \"Plug 3\" value 40\n"));
  EXPECT_THAT(run.out, HasSubstr("scene 4: empty\n"));

  // A silent plug keeps 0 and the read still ends; a plug that joined on its own is listed.
  const CliRun faults = ax7ctl({"--sim-fault", "zwave-silent-node=3", "--sim-fault", "zwave-add=7",
                                "plugs", "read", "--json"});
  ASSERT_EQ(faults.exitCode, 0) << faults.err;
  const auto doc = nlohmann::json::parse(faults.out);
  EXPECT_EQ(doc["api_version"], 1);
  std::vector<int> ids;
  for (const auto& n : doc["nodes"]) ids.push_back(n["id"]);
  EXPECT_EQ(ids, (std::vector<int>{1, 2, 3, 4, 7}));
  EXPECT_EQ(doc["nodes"][2]["value"], 0);
  EXPECT_EQ(doc["scenes"].size(), 4u);

  const CliRun silent = ax7ctl({"--sim-fault", "zwave-silent-module", "plugs", "read"});
  EXPECT_EQ(silent.exitCode, 1);
  EXPECT_THAT(silent.err, HasSubstr("Z-Wave module did not answer"));
}

TEST_F(SettingsPlugsCli, PlugsResetSendsItsReportsInOrder) {
  const CliRun run = ax7ctl({"--trace", path("t.txt"), "plugs", "reset"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(run.out, StartsWith("plug data erased\nnode 1: controller\n"));
  std::vector<std::string> zwave;
  for (const auto& f : written(path("t.txt")))
    if (f.rfind("0212", 0) == 0 || f.rfind("0213", 0) == 0 || f.rfind("0214", 0) == 0)
      zwave.push_back(f);
  EXPECT_EQ(zwave,
            (std::vector<std::string>{"0212060104004202bb", "02120106", "0213197c38", "021319b438",
                                      "021319ec38", "02131a2438", "02120501030002fe", "02120106",
                                      "0214197c38", "021419b438", "021419ec38", "02141a2438"}));

  const CliRun silent = ax7ctl({"--sim-fault", "zwave-silent-module", "plugs", "reset"});
  EXPECT_EQ(silent.exitCode, 1);
  EXPECT_THAT(silent.err, HasSubstr("may not be erased"));
}

TEST_F(SettingsPlugsCli, HelpAndEveryFault) {
  for (const char* command : {"settings", "plugs"}) {
    const CliRun help = ax7ctl({command, "--help"}, false);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_THAT(help.out, StartsWith(std::string("usage: ax7ctl ") + command));
  }
  for (const char* fault : {"silent", "unplug-after=5", "garbage=50", "zwave-silent-module"}) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"settings", "show"}, {"plugs", "read"}, {"plugs", "reset"}}) {
      SCOPED_TRACE(std::string(fault) + " " + args[0] + " " + args[1]);
      std::vector<std::string> all = {"--sim-fault", fault};
      all.insert(all.end(), args.begin(), args.end());
      const CliRun run = ax7ctl(all);
      EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 1) << run.exitCode << run.err;
      if (run.exitCode != 0) {
        EXPECT_FALSE(run.err.empty());
      }
    }
  }
}

}  // namespace
