// ax7ctl doctor against prepared sysfs/dev/proc trees: the real binary, judged by its exit code,
// its JSON and its advice.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/doctor_probe.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// A build without hidapi sees an openable box but cannot use it.
#ifdef AX7_WITH_HIDAPI
constexpr bool kHidapi = true;
#else
constexpr bool kHidapi = false;
#endif

constexpr const char* kRule =
    "KERNEL==\"hidraw*\", ATTRS{idVendor}==\"2010\", ATTRS{idProduct}==\"1031\", "
    "TAG+=\"uaccess\"\n";

// Root reads every file whatever its mode; a child that is root gives up that power, so a node
// of mode 0000 is refused to it as to anyone else. False when the system does not let it.
bool dropFileOverride() {
  if (geteuid() != 0) return true;
  for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
    if (prctl(PR_CAPBSET_DROP, cap, 0, 0, 0) != 0) return false;
  }
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
  if (syscall(SYS_capget, &header, data) != 0) return false;
  for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
    const unsigned bit = 1u << (cap % 32);
    data[cap / 32].effective &= ~bit;
    data[cap / 32].permitted &= ~bit;
    data[cap / 32].inheritable &= ~bit;
  }
  return syscall(SYS_capset, &header, data) == 0;
}

struct DoctorRun {
  int exitCode = -1;
  std::string out;
};

// Exit code 99: the child could not give up root's file access.
constexpr int kCannotDrop = 99;

DoctorRun doctor(const std::string& root, std::vector<std::string> args) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeFds[1], 1);
    close(pipeFds[0]);
    close(pipeFds[1]);
    if (!dropFileOverride()) _exit(kCannotDrop);
    setenv("AX7_DOCTOR_ROOT", root.c_str(), 1);
    std::vector<std::string> words = {AX7CTL_PATH, "doctor"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    execv(AX7CTL_PATH, argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  DoctorRun run;
  char buf[4096];
  for (ssize_t n; (n = read(pipeFds[0], buf, sizeof buf)) > 0;) run.out.append(buf, size_t(n));
  close(pipeFds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  return run;
}

class DoctorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ax7-doctor-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    // A keyboard is always there; the doctor must pass it by.
    usbDevice("1-1", "046d", "c31c");
    hidraw("hidraw0", "0003:0000046D:0000C31C", 0600);
  }
  void TearDown() override {
    // Modes of 0000 would stop the removal of what they guard.
    for (const auto& e : fs::recursive_directory_iterator(root_)) {
      if (!e.is_symlink()) fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add);
    }
    fs::remove_all(root_);
  }

  void write(const std::string& relative, const std::string& text) {
    const fs::path p = fs::path(root_) / relative;
    fs::create_directories(p.parent_path());
    std::ofstream(p) << text;
  }
  void usbDevice(const std::string& name, const std::string& vid, const std::string& pid) {
    const std::string dir = "sys/bus/usb/devices/" + name + "/";
    write(dir + "idVendor", vid + "\n");
    write(dir + "idProduct", pid + "\n");
    write(dir + "busnum", "1\n");
    write(dir + "devnum", "5\n");
  }
  void hidraw(const std::string& node, const std::string& hidId, unsigned mode) {
    write("sys/class/hidraw/" + node + "/device/uevent",
          "DRIVER=hid-generic\nHID_ID=" + hidId + "\n");
    write("dev/" + node, "");
    fs::permissions(fs::path(root_) / "dev" / node, fs::perms(mode));
  }
  void box(unsigned mode) {
    usbDevice("1-2", "2010", "1031");
    hidraw("hidraw3", "0003:00002010:00001031", mode);
  }
  void rule(const std::string& folder, const std::string& text) {
    write(folder.substr(1) + "/70-ax7-control.rules", "# the box\n" + text);
  }
  void holder(int pid, const std::string& command, const std::string& node) {
    write("proc/" + std::to_string(pid) + "/comm", command + "\n");
    fs::create_directories(fs::path(root_) / "proc" / std::to_string(pid) / "fd");
    fs::create_symlink(node, fs::path(root_) / "proc" / std::to_string(pid) / "fd" / "7");
  }

  // Runs doctor --json; the document, with the status of each check by its id (the last one
  // of an id wins).
  nlohmann::json json(int* exitCode) {
    const DoctorRun run = doctor(root_, {"--json", "--lang", "en"});
    if (run.exitCode == kCannotDrop) return nullptr;
    *exitCode = run.exitCode;
    auto doc = nlohmann::json::parse(run.out, nullptr, false);
    EXPECT_TRUE(doc.is_object()) << run.out;
    return doc;
  }
  static std::map<std::string, std::string> statuses(const nlohmann::json& doc) {
    std::map<std::string, std::string> out;
    for (const auto& c : doc["checks"]) out[c["id"]] = c["status"];
    return out;
  }
  static std::string advice(const nlohmann::json& doc, const std::string& id) {
    std::string all;
    for (const auto& c : doc["checks"]) {
      if (c["id"] == id && c["advice"].is_string()) all += c["advice"].get<std::string>();
    }
    return all;
  }

  std::string root_;
};

TEST_F(DoctorTest, NoBox) {
  int exitCode = -1;
  const auto doc = json(&exitCode);
  ASSERT_FALSE(doc.is_null());
  EXPECT_EQ(exitCode, 1);
  EXPECT_EQ(doc["api_version"], 1);
  EXPECT_EQ(doc["result"], "no box");
  EXPECT_EQ(doc["can_open"], false);
  EXPECT_TRUE(doc["usb"].empty());
  EXPECT_TRUE(doc["hidraw"].empty()) << "the keyboard's node is no box's";
  EXPECT_EQ(statuses(doc)["usb"], "problem");
  // Everything else is still reported.
  for (const char* id : {"hidraw", "open", "udev_rule", "build"})
    EXPECT_EQ(statuses(doc).count(id), 1u) << id;

  const DoctorRun text = doctor(root_, {"--lang", "zh"});
  EXPECT_EQ(text.exitCode, 1);
  EXPECT_THAT(text.out, HasSubstr("结论：没有设备"));
}

TEST_F(DoctorTest, BoxWithoutRuleIsRefusedAndTheAdviceInstallsTheRule) {
  box(0000);
  int exitCode = -1;
  const auto doc = json(&exitCode);
  if (doc.is_null()) GTEST_SKIP() << "cannot give up root's file access here";
  EXPECT_EQ(exitCode, 1);
  EXPECT_EQ(doc["result"], "permission denied");
  ASSERT_EQ(doc["hidraw"].size(), 1u);
  EXPECT_EQ(doc["hidraw"][0]["path"], "/dev/hidraw3");
  EXPECT_EQ(doc["hidraw"][0]["mode"], "0000");
  EXPECT_EQ(doc["usb"][0]["sysfs"], "/sys/bus/usb/devices/1-2");
  const auto s = statuses(doc);
  EXPECT_EQ(s.at("usb"), "ok");
  EXPECT_EQ(s.at("open"), "problem");
  EXPECT_EQ(s.at("udev_rule"), "problem");
  // The advice carries the rule itself, so it works from any folder.
  EXPECT_THAT(advice(doc, "udev_rule"), HasSubstr("ATTRS{idVendor}==\"2010\""));
  EXPECT_THAT(advice(doc, "udev_rule"), HasSubstr("/etc/udev/rules.d/70-ax7-control.rules"));
}

TEST_F(DoctorTest, RuleInstalledButNodeStillRefusedAsksForAReload) {
  box(0000);
  rule("/etc/udev/rules.d", kRule);
  int exitCode = -1;
  const auto doc = json(&exitCode);
  if (doc.is_null()) GTEST_SKIP() << "cannot give up root's file access here";
  EXPECT_EQ(exitCode, 1);
  EXPECT_EQ(doc["result"], "permission denied");
  EXPECT_EQ(statuses(doc).at("udev_rule"), "ok");
  EXPECT_THAT(advice(doc, "udev_rule"), HasSubstr("udevadm trigger"));
}

TEST_F(DoctorTest, BoxWithRuleCanBeOpened) {
  box(0666);
  rule("/usr/lib/udev/rules.d", kRule);
  int exitCode = -1;
  const auto doc = json(&exitCode);
  ASSERT_FALSE(doc.is_null());
  EXPECT_EQ(exitCode, kHidapi ? 0 : 1);
  EXPECT_EQ(doc["result"], kHidapi ? "ok" : "built without hidapi");
  EXPECT_EQ(doc["can_open"], kHidapi);
  const auto s = statuses(doc);
  for (const char* id : {"usb", "hidraw", "open", "udev_rule", "held_open"})
    EXPECT_EQ(s.at(id), "ok") << id;
  EXPECT_EQ(doc["udev_rules"][0]["path"], "/usr/lib/udev/rules.d/70-ax7-control.rules");

  const DoctorRun text = doctor(root_, {"--lang", "en"});
  EXPECT_EQ(text.exitCode, kHidapi ? 0 : 1);
  EXPECT_THAT(text.out, HasSubstr("[ok] /dev/hidraw3: owner "));
  if (kHidapi) {
    EXPECT_THAT(text.out, HasSubstr("result: a box can be opened"));
  }
}

TEST_F(DoctorTest, NodeHeldByAnotherProcessIsNamed) {
  box(0666);
  rule("/etc/udev/rules.d", kRule);
  holder(4242, "ax7-control", "/dev/hidraw3");
  holder(4243, "keyboardd", "/dev/hidraw0");
  int exitCode = -1;
  const auto doc = json(&exitCode);
  ASSERT_FALSE(doc.is_null());
  // The box can still be opened; the other reader is the problem to solve.
  EXPECT_EQ(exitCode, kHidapi ? 0 : 1);
  EXPECT_EQ(statuses(doc).at("held_open"), "problem");
  ASSERT_EQ(doc["hidraw"][0]["held_by"].size(), 1u);
  EXPECT_EQ(doc["hidraw"][0]["held_by"][0]["pid"], 4242);
  EXPECT_EQ(doc["hidraw"][0]["held_by"][0]["command"], "ax7-control");
  EXPECT_THAT(advice(doc, "held_open"), HasSubstr("close the other one"));
}

// udev reads a rule file name once, from the first folder that has it: a stale copy in /etc
// hides the good one the package installed.
TEST_F(DoctorTest, TheRuleUdevUsesIsTheOneJudged) {
  box(0666);
  rule("/usr/lib/udev/rules.d", kRule);
  rule("/etc/udev/rules.d",
       "KERNEL==\"hidraw*\", ATTRS{idVendor}==\"2010\", ATTRS{idProduct}==\"1030\", "
       "MODE=\"0666\"\n");
  write("etc/udev/rules.d/99-mine.rules",
        "ATTRS{idVendor}==\"2010\", ATTRS{idProduct}==\"1031\"\n");
  int exitCode = -1;
  const auto doc = json(&exitCode);
  ASSERT_FALSE(doc.is_null());
  ASSERT_GE(doc["udev_rules"].size(), 3u);
  EXPECT_EQ(doc["udev_rules"][0]["path"], "/etc/udev/rules.d/70-ax7-control.rules");
  EXPECT_EQ(doc["udev_rules"][0]["matches"], false);
  EXPECT_EQ(doc["checks"][3]["id"], "udev_rule");
  EXPECT_EQ(doc["checks"][3]["status"], "problem");
  EXPECT_THAT(doc.dump(), HasSubstr("/etc/udev/rules.d/99-mine.rules"));
}

TEST(DoctorRuleText, SameRuleLinesIgnoresCommentsAndSpacingOnly) {
  const std::string ours = std::string("# comment\n") + kRule;
  struct Case {
    std::string text;
    bool same;
  } cases[] = {
      {kRule, true},
      {"\n  KERNEL==\"hidraw*\",ATTRS{idVendor}==\"2010\",  ATTRS{idProduct}==\"1031\", "
       "TAG+=\"uaccess\"  \n# other comment\n",
       true},
      {"KERNEL==\"hidraw*\", ATTRS{idVendor}==\"2010\", ATTRS{idProduct}==\"1031\", "
       "MODE=\"0666\"\n",
       false},
      {"", false},
      {std::string(kRule) + "KERNEL==\"hidraw*\", MODE=\"0666\"\n", false},
  };
  for (const Case& c : cases) EXPECT_EQ(ax7::cli::sameRuleLines(ours, c.text), c.same) << c.text;
}

}  // namespace
