// ax7ctl eq: export and import of one EQ set through the command line, against mode files and
// the simulated box.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
    ASSERT_EQ(
        ax7ctl({"--device", "sim", "--virtual-time", "read", "--save", path("base.px44t")}).code,
        0);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
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

}  // namespace
