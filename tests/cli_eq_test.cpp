// ax7ctl eq: export and import of one EQ set through the command line, against mode files and
// the simulated box.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/cli_run.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ax7::test::ax7ctl;
using ax7::test::CliRun;

std::string data(const std::string& name) {
  return std::string(AX7_TEST_DATA_DIR) + "/eqx/" + name;
}

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class EqCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ax7_eq_cli_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);  // where snapshots go
    ASSERT_EQ(
        ax7ctl({"--device", "sim", "--virtual-time", "read", "--save", path("base.px44t")}).code,
        0);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  std::vector<fs::path> snapshots() const {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir_ / "data/ax7-control/snapshots", ec)) {
      out.push_back(e.path());
    }
    return out;
  }
  fs::path dir_;
};

TEST_F(EqCliTest, ImportIntoAModeFileReportsAndExportReadsItBack) {
  const CliRun imp = ax7ctl({"eq", "import", data("autoeq_hd650_ParametricEQ.txt"), "music",
                             "--into", path("base.px44t"), "-o", path("new.px44t"), "--json"});
  ASSERT_EQ(imp.code, 0) << imp.err;
  const auto report = nlohmann::json::parse(imp.out);
  EXPECT_EQ(report["api_version"], 1);
  EXPECT_EQ(report["format"], "apo");
  EXPECT_DOUBLE_EQ(report["preamp_db"].get<double>(), -6.1);
  ASSERT_EQ(report["bands"].size(), 10u);
  const auto& first = report["bands"][0];
  EXPECT_EQ(first["status"], "exact");
  EXPECT_EQ(first["type"], "LS");
  EXPECT_EQ(first["frequency"], 105);
  EXPECT_DOUBLE_EQ(first["gain"].get<double>(), 6.4);
  EXPECT_DOUBLE_EQ(first["q"].get<double>(), 0.7);
  EXPECT_EQ(first["line"], 2);

  const CliRun exp =
      ax7ctl({"eq", "export", "music", "--from", path("new.px44t"), "--format", "json"});
  ASSERT_EQ(exp.code, 0) << exp.err;
  const auto set = nlohmann::json::parse(exp.out);
  EXPECT_EQ(set["set_name"], "music");
  EXPECT_EQ(set["bands"][9]["frequency"], 5332);
  EXPECT_DOUBLE_EQ(set["bands"][9]["q"].get<double>(), 5.75);

  // The other sets of the mode file are untouched.
  EXPECT_EQ(ax7ctl({"eq", "export", "mic-a", "--from", path("new.px44t")}).out,
            ax7ctl({"eq", "export", "mic-a", "--from", path("base.px44t")}).out);
}

TEST_F(EqCliTest, RefusalsChangeNothing) {
  std::ofstream(path("junk.txt")) << "hello\n";
  struct {
    std::vector<std::string> args;
    int code;
    const char* message;
  } cases[] = {
      {{"eq", "import", path("junk.txt"), "mic-a", "--into", path("base.px44t"), "-o",
        path("out.px44t")},
       2,
       "not a recognised EQ file"},
      {{"eq", "import", path("missing.txt"), "mic-a", "--into", path("base.px44t"), "-o",
        path("out.px44t")},
       2,
       "cannot read"},
      {{"eq", "import", data("autoeq_hd650_ParametricEQ.txt"), "mic-c", "--into",
        path("base.px44t"), "-o", path("out.px44t")},
       2,
       "unknown SET"},
      {{"eq", "import", data("autoeq_hd650_ParametricEQ.txt"), "15", "--into", path("base.px44t"),
        "-o", path("out.px44t")},
       2,
       "unknown SET"},
      {{"eq", "import", data("autoeq_hd650_ParametricEQ.txt"), "mic-a", "--into",
        path("base.px44t")},
       2,
       "--into and -o go together"},
      {{"eq", "import", data("autoeq_hd650_ParametricEQ.txt"), "mic-a", "--format", "rtf", "--into",
        path("base.px44t"), "-o", path("out.px44t")},
       2,
       "--format"},
      {{"eq", "import", data("autoeq_hd650_ParametricEQ.txt"), "mic-a", "--format", "camilladsp",
        "--into", path("base.px44t"), "-o", path("out.px44t")},
       2,
       "not a CamillaDSP configuration"},
      {{"eq", "import", data("autoeq_hd650_ParametricEQ.txt"), "mic-a", "--dry-run", "--into",
        path("base.px44t"), "-o", path("out.px44t")},
       0,
       "nothing applied"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const CliRun r = ax7ctl(c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_THAT(r.err, HasSubstr(c.message));
    EXPECT_FALSE(fs::exists(path("out.px44t")));
  }
}

TEST_F(EqCliTest, ImportToTheBoxSendsEveryBandThroughTheSenders) {
  const CliRun r = ax7ctl({"--device", "sim", "--virtual-time", "--trace", path("trace.txt"), "eq",
                           "import", data("autoeq_hd650_ParametricEQ.txt"), "mic-b"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("10 exact"));
  const std::string trace = slurp(path("trace.txt"));
  // Band 10 of microphone B is record 19 (box address 133): -1.1 dB, 5332 Hz, Q 5.750, PEQ;
  // then its section to block 1, index 44.
  EXPECT_THAT(trace, HasSubstr("> 0285008507008b14d4167601"));
  EXPECT_THAT(trace, HasSubstr("> 020900012c05"));

  const CliRun dry =
      ax7ctl({"--device", "sim", "--virtual-time", "--trace", path("dry.txt"), "eq", "import",
              data("autoeq_hd650_ParametricEQ.txt"), "mic-b", "--dry-run"});
  ASSERT_EQ(dry.code, 0) << dry.err;
  EXPECT_THAT(slurp(path("dry.txt")), ::testing::Not(HasSubstr("> 0285008507008b14d4167601")));
}

TEST_F(EqCliTest, ExportWritesEachFormatThatImportReadsBack) {
  ASSERT_EQ(ax7ctl({"eq", "import", data("rew_v5313_generic_trailing_block.txt"), "out3", "--into",
                    path("base.px44t"), "-o", path("eq.px44t")})
                .code,
            0);
  for (const char* name : {"a.txt", "b.rew", "c.yml", "d.biquad", "e.json"}) {
    SCOPED_TRACE(name);
    std::vector<std::string> args = {"eq", "export",  "out3", "--from", path("eq.px44t"),
                                     "-o", path(name)};
    const std::string ext = fs::path(name).extension().string();
    if (ext == ".rew") args.insert(args.end(), {"--format", "rew"});
    if (ext == ".biquad") args.insert(args.end(), {"--format", "biquad"});
    ASSERT_EQ(ax7ctl(args).code, 0);
    const CliRun back = ax7ctl({"eq", "import", path(name), "out3", "--into", path("eq.px44t"),
                                "-o", path("again.px44t"), "--json"});
    ASSERT_EQ(back.code, 0) << back.err;
    const auto rep = nlohmann::json::parse(back.out);
    EXPECT_EQ(rep["counts"]["dropped"], 0) << back.out;
    EXPECT_EQ(rep["counts"]["approximated"], 0) << back.out;
    EXPECT_EQ(slurp(path("again.px44t")), slurp(path("eq.px44t")));
  }
}

// REW writes its filter settings in the machine's code page: Latin-1 with 0xA0 thousands and
// CRLF, UTF-8, UTF-16 LE with a byte order mark. Each imports, and the JSON report is valid
// UTF-8 that keeps the file's characters.
TEST_F(EqCliTest, RewExportsInEveryEncodingGiveValidJson) {
  for (const char* name :
       {"rew_v501_de_latin1_crlf.txt", "rew_v501_de_utf8.txt", "rew_v501_de_utf16le_bom_crlf.txt",
        "rew_v501_generic_decimal_comma.txt"}) {
    SCOPED_TRACE(name);
    const CliRun r = ax7ctl({"eq", "import", data(name), "music", "--into", path("base.px44t"),
                             "-o", path("new.px44t"), "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto report = nlohmann::json::parse(r.out);  // throws on invalid UTF-8
    EXPECT_EQ(report["applied"], true);
    EXPECT_EQ(report["format"], "rew");
    if (std::string(name).find("_de_") == std::string::npos) continue;
    EXPECT_EQ(report["counts"]["exact"].get<int>() + report["counts"]["approximated"].get<int>(),
              5);
    const auto& third = report["bands"][2];
    EXPECT_EQ(third["source"],
              "Filter  3: ON  PK       Fc   1\u00a0250 Hz  Gain   2,00 dB  Q  1,000");
    EXPECT_EQ(third["frequency"], 1250);
    EXPECT_EQ(third["line"], 12);
  }

  // Equalizer APO text with CR-only line ends: each filter on its own line.
  const CliRun cr = ax7ctl({"eq", "import", data("apo_cr_only.txt"), "music", "--into",
                            path("base.px44t"), "-o", path("cr.px44t"), "--json"});
  ASSERT_EQ(cr.code, 0) << cr.err;
  const auto report = nlohmann::json::parse(cr.out);
  EXPECT_EQ(report["counts"]["exact"], 2);
  EXPECT_DOUBLE_EQ(report["preamp_db"].get<double>(), -6);
  EXPECT_EQ(report["bands"][1]["line"], 3);
}

// A file none of whose filters a band can hold (AutoEq's GraphicEQ line, a CamillaDSP
// convolution) would only flatten the set: refused with the report, nothing written or sent and
// no snapshot kept.
TEST_F(EqCliTest, AFileWithNothingToApplyChangesNothing) {
  for (const char* name : {"autoeq_GraphicEQ.txt", "camilla_simpleconfig_conv.yml"}) {
    SCOPED_TRACE(name);
    const CliRun file = ax7ctl({"eq", "import", data(name), "music", "--into", path("base.px44t"),
                                "-o", path("new.px44t"), "--json"});
    EXPECT_EQ(file.code, 2);
    EXPECT_THAT(file.err, HasSubstr("can be applied to music; nothing written"));
    EXPECT_EQ(std::count(file.err.begin(), file.err.end(), '\n'), 1) << file.err;
    const auto report = nlohmann::json::parse(file.out);
    EXPECT_EQ(report["applied"], false);
    EXPECT_EQ(report["counts"]["dropped"], 1);
    EXPECT_FALSE(fs::exists(path("new.px44t")));

    const CliRun box = ax7ctl({"--device", "sim", "--virtual-time", "--trace", path("t.txt"), "eq",
                               "import", data(name), "music"});
    EXPECT_EQ(box.code, 2);
    EXPECT_THAT(box.err, HasSubstr("dropped"));
    EXPECT_THAT(box.err, HasSubstr("nothing sent"));
    EXPECT_THAT(slurp(path("t.txt")), ::testing::Not(HasSubstr("> ")));
    EXPECT_TRUE(snapshots().empty());
  }
}

// -o naming the file --into reads, by any path, is refused as cp refuses it.
TEST_F(EqCliTest, OutputOverTheFileReadIsRefused) {
  const std::string before = slurp(path("base.px44t"));
  fs::create_symlink(path("base.px44t"), path("link.px44t"));
  fs::create_hard_link(path("base.px44t"), path("hard.px44t"));
  for (const std::string& o : {path("base.px44t"), (dir_ / "." / "base.px44t").string(),
                               path("link.px44t"), path("hard.px44t")}) {
    SCOPED_TRACE(o);
    const CliRun r = ax7ctl({"eq", "import", data("autoeq_hd650_ParametricEQ.txt"), "music",
                             "--into", path("base.px44t"), "-o", o});
    EXPECT_EQ(r.code, 2);
    EXPECT_THAT(r.err, HasSubstr("are the same file"));
    EXPECT_EQ(slurp(path("base.px44t")), before);
    EXPECT_TRUE(fs::is_symlink(path("link.px44t")));
  }
}

TEST_F(EqCliTest, ImportToTheBoxKeepsASnapshotFirst) {
  const CliRun r = ax7ctl({"--device", "sim", "--virtual-time", "eq", "import",
                           data("camilla_fivepointpeq.yml"), "music"});
  ASSERT_EQ(r.code, 0) << r.err;
  const auto kept = snapshots();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_THAT(kept[0].filename().string(), HasSubstr("eq-import"));
  EXPECT_THAT(r.err, HasSubstr("kept the box's settings in " + kept[0].string()));
  // The box's music EQ before the import.
  EXPECT_EQ(ax7ctl({"eq", "export", "music", "--from", kept[0].string()}).out,
            ax7ctl({"eq", "export", "music", "--from", path("base.px44t")}).out);
  EXPECT_THAT(r.err, HasSubstr("5 exact"));
}

// The box unplugged after any report of an import: the exit code says whether it took every
// band and answered the last, on every run, and the message how far it came and where the
// settings before it are.
TEST_F(EqCliTest, UnplugDuringABoxImportFailsUnlessEveryBandWasTaken) {
  const std::vector<std::string> import = {"eq", "import", data("autoeq_hd650_ParametricEQ.txt"),
                                           "mic-a", "--json"};
  auto run = [&](std::vector<std::string> options) {
    options.insert(options.begin(), {"--device", "sim", "--virtual-time"});
    options.insert(options.end(), import.begin(), import.end());
    return ax7ctl(options);
  };
  ASSERT_EQ(run({"--trace", path("t.txt")}).code, 0);
  int total = 0;  // reports up to the last band's
  for (const std::string& l : ax7::test::lines(slurp(path("t.txt")))) {
    if (l == "# close") break;
    total += l.rfind("> ", 0) == 0;
  }
  const int first = total - 19;  // ten bands of two reports each
  ASSERT_GT(first, 100);
  for (int n = first; n <= total + 1; ++n) {
    SCOPED_TRACE("unplug-after=" + std::to_string(n));
    const CliRun r = run({"--sim-fault", "unplug-after=" + std::to_string(n)});
    const auto report = nlohmann::json::parse(r.out);
    if (n > total) {  // gone after its answer to the last band
      EXPECT_EQ(r.code, 0) << r.err;
      EXPECT_EQ(report["applied"], true);
      continue;
    }
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(report["applied"], false);
    // The last band counts once the box answered it.
    const int bands = std::min((n - first + 1) / 2, 9);
    EXPECT_THAT(r.err, HasSubstr("the box was disconnected after " + std::to_string(bands) +
                                 " of 10 bands; its settings before the import are in " +
                                 (dir_ / "data/ax7-control/snapshots").string()));
  }
}

}  // namespace
