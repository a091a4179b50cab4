// ax7ctl remote as a user runs it: the real binary against the simulated box in virtual time,
// judged by exit code, output, the files it writes and the reports in its trace.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

struct CliRun {
  int exitCode = -1;
  std::string out, err;
};

std::string slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

class CliRemote : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/ax7-cli-remote-XXXXXX";
    dir_ = ::mkdtemp(name);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path path(const std::string& name) const { return dir_ / name; }

  // ax7ctl --device sim --virtual-time --trace trace.txt ARGS; a wall-clock limit catches a hang.
  CliRun sim(const std::string& args) {
    const std::string cmd = "timeout 20 '" + std::string(AX7CTL_PATH) +
                            "' --device sim --virtual-time --trace '" + path("trace.txt").string() +
                            "' " + args + " >'" + path("out").string() + "' 2>'" +
                            path("err").string() + "'";
    const int status = std::system(cmd.c_str());
    CliRun r;
    if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
    r.out = slurp(path("out"));
    r.err = slurp(path("err"));
    return r;
  }

  // The reports written, as lowercase hex without the zero padding.
  std::vector<std::string> written() {
    std::vector<std::string> out;
    std::istringstream in(slurp(path("trace.txt")));
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("> ", 0) != 0) continue;
      std::string hex = line.substr(2);
      while (hex.size() > 4 && hex.compare(hex.size() - 2, 2, "00") == 0)
        hex.resize(hex.size() - 2);
      out.push_back(hex);
    }
    return out;
  }
  bool wrote(const std::string& hex) {
    const auto w = written();
    return std::find(w.begin(), w.end(), hex) != w.end();
  }

  fs::path dir_;
};

TEST_F(CliRemote, LearnWaitsForTheCodeAndPrintsIt) {
  const CliRun r = sim("remote learn power --json");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(doc["api_version"], 1);
  EXPECT_EQ(doc["key"], 1);
  EXPECT_EQ(doc["code_hex"], "41");
  EXPECT_EQ(doc["code_byte"], 0x20);
  EXPECT_TRUE(wrote("026001"));
  EXPECT_FALSE(wrote("0261"));

  const CliRun text = sim("remote learn 12");
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.out, "key 12 (mic+): code 4C\n");
}

TEST_F(CliRemote, LearnWithoutAKeyPressIsBoundedAndStopsTheBox) {
  const CliRun r = sim("--sim-fault no-learn remote learn mute --wait 3");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_THAT(r.err, HasSubstr("no key code arrived within 3 s"));
  const auto w = written();
  const auto learn = std::find(w.begin(), w.end(), "02600a");
  ASSERT_NE(learn, w.end());
  ASSERT_NE(learn + 1, w.end());
  EXPECT_EQ(*(learn + 1), "0261");  // the stop follows the learn command directly
}

TEST_F(CliRemote, LoadKeepsWhatAShortFileLacksAndRefusesUnreadableFiles) {
  std::ofstream(path("ten.remo"), std::ios::binary)
      << std::string("\x11\x22\x33\x44\x55\x66\x77\x88\x99\xAA", 10);
  const CliRun r = sim("remote load '" + path("ten.remo").string() + "' --json");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(nlohmann::json::parse(r.out)["bytes_from_file"], 10);
  EXPECT_TRUE(wrote("0262"));  // the box's table first, for the bytes the file lacks
  EXPECT_TRUE(wrote("0263112233445566778899aa"));
  EXPECT_THAT(r.err, HasSubstr("keys 16 and 17"));

  for (const std::string& bad : {path("missing.remo").string(), dir_.string()}) {
    fs::remove(path("trace.txt"));
    const CliRun refused = sim("remote load '" + bad + "'");
    EXPECT_EQ(refused.exitCode, 2) << bad;
    EXPECT_TRUE(written().empty()) << bad;  // nothing reached the box
  }
}

TEST_F(CliRemote, SaveWritesTheEighteenBytesAndShowPrintsThem) {
  const CliRun saved = sim("remote save '" + path("k.remo").string() + "'");
  ASSERT_EQ(saved.exitCode, 0) << saved.err;
  EXPECT_EQ(slurp(path("k.remo")).size(), 18u);
  EXPECT_TRUE(wrote("0262"));

  const CliRun unwritable = sim("remote save '" + path("no/such/k.remo").string() + "'");
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_THAT(unwritable.err, HasSubstr("cannot write"));

  const CliRun shown = sim("remote show --json");
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  const auto doc = nlohmann::json::parse(shown.out);
  ASSERT_EQ(doc["keys"].size(), 17u);
  EXPECT_EQ(doc["keys"][0]["name"], "power");
  EXPECT_TRUE(doc["keys"][16]["code"].is_null());  // not reported by the box
}

TEST_F(CliRemote, UsageErrorsSendNothing) {
  for (const char* args : {"remote", "remote learn", "remote learn 18", "remote learn nokey",
                           "remote learn 1 --wait 0", "remote show extra", "remote frob"}) {
    fs::remove(path("trace.txt"));
    const CliRun r = sim(args);
    EXPECT_EQ(r.exitCode, 2) << args;
    EXPECT_TRUE(written().empty()) << args;
  }
  const CliRun help = sim("remote --help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_THAT(help.out, HasSubstr("ax7ctl remote learn KEY"));
}

TEST_F(CliRemote, ABoxThatGoesAwayWhileLearningFails) {
  // Gone right after the learn command: a failure, not a wait for the limit.
  const CliRun r = sim("--sim-fault no-learn --sim-fault unplug-after=4 remote learn 1 --wait 60");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_THAT(r.err, HasSubstr("disconnected"));
}

}  // namespace
