// The manual pages and the bash completion as the build made them, held against what the
// programs themselves say in --help: an option added to a program and missing from its manual
// (or the other way round) fails here.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "docs/roff.h"
#include "docs/script_page.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using Words = std::set<std::string>;

struct Output {
  int exitCode = -1;
  std::string text;
};

Output capture(const std::string& command) {
  Output o;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return o;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) o.text.append(buf, n);
  const int status = pclose(pipe);
  o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return o;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string quote(const std::string& word) {
  std::string q = "'";
  for (char c : word) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

Words longOptions(const std::string& text) {
  static const std::regex option(R"((?:^|[^A-Za-z0-9-])(--[a-z][a-z0-9-]*))");
  Words out;
  for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it) {
    out.insert((*it)[1]);
  }
  return out;
}

// The text of the manual's sections whose heading is in `headings`, roff hyphens made plain and
// font changes left out.
std::string sections(const std::string& page, const Words& headings) {
  std::string out;
  bool keep = false;
  std::istringstream in(page);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(".SH ", 0) == 0) keep = headings.count(line.substr(4)) > 0;
    if (keep) out += line + "\n";
  }
  std::string plain;
  for (size_t i = 0; i < out.size(); ++i) {
    if (out.compare(i, 2, "\\-") == 0) {
      plain += '-';
      ++i;
    } else if (out.compare(i, 2, "\\f") == 0 && i + 2 < out.size()) {
      i += 2;
    } else {
      plain += out[i];
    }
  }
  return plain;
}

// The commands named by ax7ctl --help, from its "Commands:" list.
std::vector<std::string> ax7ctlCommands() {
  const std::string help = capture(std::string(AX7CTL_PATH) + " --help").text;
  std::vector<std::string> names;
  std::istringstream in(help.substr(help.find("Commands:\n") + 10));
  for (std::string line; std::getline(in, line) && line.rfind("  ", 0) == 0;) {
    std::istringstream words(line);
    std::string name;
    words >> name;
    names.push_back(name);
  }
  return names;
}

const fs::path kDocs = AX7_DOCS_DIR;

// The English page and the Chinese one (in zh_CN/) hold the same option and command texts.
const char* const kLanguages[] = {"", "zh_CN/"};

TEST(Manual, Ax7ctlManualHasEveryCommandAndOptionOfHelp) {
  const std::vector<std::string> commands = ax7ctlCommands();
  ASSERT_THAT(commands, ::testing::Contains("doctor"));
  Words fromHelp = longOptions(capture(std::string(AX7CTL_PATH) + " --help").text);
  for (const std::string& command : commands) {
    const Output usage = capture(std::string(AX7CTL_PATH) + " " + command + " --help");
    EXPECT_EQ(usage.exitCode, 0) << command;
    for (const std::string& o : longOptions(usage.text)) fromHelp.insert(o);
  }
  for (const char* language : kLanguages) {
    SCOPED_TRACE(language);
    const std::string page = readFile(kDocs / (std::string(language) + "ax7ctl.1"));
    for (const std::string& command : commands) {
      EXPECT_THAT(page, HasSubstr(".SS \"" + ax7::docs::roffEscape(command) + "\"\n"));
    }
    const Words fromManual = longOptions(
        sections(page, {"\"GLOBAL OPTIONS\"", "GLOBAL OPTIONS", "COMMANDS", "全局选项", "命令"}));
    EXPECT_EQ(fromManual, fromHelp);
  }
}

#ifdef AX7_CONTROL_PATH
TEST(Manual, DesktopManualHasEveryOptionOfHelp) {
  const Output help = capture(std::string(AX7_CONTROL_PATH) + " --help");
  ASSERT_EQ(help.exitCode, 0);
  for (const char* language : kLanguages) {
    SCOPED_TRACE(language);
    const std::string page = readFile(kDocs / (std::string(language) + "ax7-control.1"));
    EXPECT_EQ(longOptions(sections(page, {"OPTIONS", "选项"})), longOptions(help.text));
    EXPECT_THAT(page, HasSubstr("TAG+=\"uaccess\""));
  }
}
#endif

// groff's own warnings: an unknown request or a bad escape shows as a broken page.
TEST(Manual, PagesRenderWithoutWarnings) {
  if (capture("command -v groff >/dev/null && echo yes").text.empty()) GTEST_SKIP() << "no groff";
  for (const char* language : kLanguages) {
    for (const char* page : {"ax7ctl.1", "ax7-control.1", "ax7-control-script.7"}) {
      const std::string path = (kDocs / (std::string(language) + page)).string();
      // -k: the Chinese page is UTF-8, as man reads it.
      const Output out = capture("groff -k -man -Tutf8 -ww -z " + quote(path) + " 2>&1");
      EXPECT_EQ(out.exitCode, 0) << path;
      EXPECT_EQ(out.text, "") << path;
    }
  }
}

#ifdef AX7_CONTROL_PATH
// One version everywhere: both programs and the manual pages the package carries.
TEST(Manual, OneVersionEverywhere) {
  const Output ctl = capture(std::string(AX7CTL_PATH) + " --version");
  const Output gui = capture(std::string(AX7_CONTROL_PATH) + " --version");
  ASSERT_EQ(ctl.exitCode, 0);
  ASSERT_EQ(gui.exitCode, 0);
  ASSERT_THAT(ctl.text, ::testing::StartsWith("ax7ctl "));
  const std::string version = ctl.text.substr(7, ctl.text.size() - 8);
  EXPECT_EQ(gui.text, "ax7-control " + version + "\n");
  for (const char* page : {"ax7ctl.1", "ax7-control.1", "ax7-control-script.7"}) {
    EXPECT_THAT(readFile(kDocs / page), HasSubstr("\"ax7\\-control " + version + "\"")) << page;
  }
}
#endif

// The script language's page is the README's "Scripts" section as man(7) markup.
TEST(ScriptPage, MadeFromTheReadmeSection) {
  const std::string readme =
      "# x\n\n### Scripts\n\n`--script FILE` runs *each* line.\nSecond line.\n\n"
      "    set 1 40          # a comment\n    .quit\n\n"
      "| command | what it does |\n| --- | --- |\n| `lang zh\\|en` | switches, see [x](y) |\n"
      "| `wait MS` | waits |\n\n- one\n- two\n\n### Undo\n\nnot this\n";
  std::string error;
  const std::string page =
      ax7::docs::scriptManual(readme, "1.2.3", ax7::docs::ManualLanguage::English, &error);
  EXPECT_THAT(page, HasSubstr(".TH AX7-CONTROL-SCRIPT 7 \"\" \"ax7\\-control 1.2.3\""));
  EXPECT_THAT(page,
              HasSubstr(".PP\n\\fB\\-\\-script FILE\\fR runs \\fIeach\\fR line.\nSecond line.\n"));
  EXPECT_THAT(page, HasSubstr(".nf\nset 1 40          # a comment\n\\&.quit\n.fi\n"));
  EXPECT_THAT(page,
              HasSubstr(".TP\n\\fBlang zh|en\\fR\nswitches, see x\n.TP\n\\fBwait MS\\fR\nwaits\n"));
  EXPECT_THAT(page, HasSubstr(".IP \\(bu 2\none\n.IP \\(bu 2\ntwo\n"));
  EXPECT_THAT(page, Not(HasSubstr("command")));  // the table's header
  EXPECT_THAT(page, Not(HasSubstr("not this")));
  EXPECT_EQ(ax7::docs::scriptManual("# x\n", "1", ax7::docs::ManualLanguage::English, &error), "");
  EXPECT_THAT(error, HasSubstr("Scripts"));
}

TEST(Roff, TextShowsAsWritten) {
  EXPECT_EQ(ax7::docs::roffEscape("--json \\n\n.raw_hex\n'q'"),
            "\\-\\-json \\en\n\\&.raw_hex\n\\&'q'");
}

class Completion : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ax7-complete-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    for (const char* f : {"a.px44t", "B.JSON", "notes.txt", "m1.PX44T", "room.yml", "keys.remo"})
      std::ofstream(dir_ / f) << "";
    fs::create_directory(dir_ / "modes");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // What completing the last word offers (sorted), run in the temporary folder.
  Words complete(const std::vector<std::string>& words) {
    std::string array;
    for (const std::string& w : words) array += " " + quote(w);
    const std::string script = "cd " + quote(dir_.string()) + " && source " +
                               quote((kDocs / "ax7ctl.bash").string()) + " && COMP_WORDS=(" +
                               array + ") && COMP_CWORD=" + std::to_string(words.size() - 1) +
                               " && _ax7ctl && printf '%s\\n' \"${COMPREPLY[@]}\"";
    const Output out = capture("bash -c " + quote(script));
    EXPECT_EQ(out.exitCode, 0) << script;
    Words offered;
    std::istringstream in(out.text);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty()) offered.insert(line);
    }
    return offered;
  }

  fs::path dir_;
};

TEST_F(Completion, OffersCommandsOptionsAndValues) {
  const std::vector<std::string> commands = ax7ctlCommands();
  EXPECT_EQ(complete({"ax7ctl", ""}), Words(commands.begin(), commands.end()));
  EXPECT_EQ(complete({"ax7ctl", "--device", ""}), (Words{"sim", "hid"}));
  EXPECT_EQ(complete({"ax7ctl", "--device", "sim", "modefile", ""}), (Words{"show", "convert"}));
  EXPECT_EQ(complete({"ax7ctl", "--timeout", "3", "re"}), (Words{"read", "remote", "response"}));
  // Each command's options are those its --help shows.
  for (const std::string& command : commands) {
    const Words usage =
        longOptions(capture(std::string(AX7CTL_PATH) + " " + command + " --help").text);
    const Words offered = complete({"ax7ctl", command, "--"});
    for (const std::string& o : offered)
      EXPECT_TRUE(usage.count(o) || o == "--help") << command << " " << o;
  }
  EXPECT_EQ(complete({"ax7ctl", "read", "--"}), (Words{"--save", "--json", "--help"}));
}

TEST_F(Completion, ArgumentsAndValuesByPlace) {
  const Words sets = {"mic-a", "mic-b", "reverb-a", "reverb-b", "echo-a", "echo-b", "music", "out1",
                      "out2",  "out3",  "out4",     "out5",     "out6",   "out7",   "out8"};
  const Words formats = {"apo", "rew", "camilladsp", "biquad", "json"};
  const Words eqFiles = {"B.JSON", "notes.txt", "room.yml", "modes"};
  const Words modeFiles = {"a.px44t", "B.JSON", "m1.PX44T", "modes"};
  EXPECT_EQ(complete({"ax7ctl", "eq", "import", ""}), eqFiles);
  EXPECT_EQ(complete({"ax7ctl", "eq", "import", "room.yml", ""}), sets);
  EXPECT_EQ(complete({"ax7ctl", "eq", "import", "--dry-run", "room.yml", "--channel", "L", ""}),
            sets);
  EXPECT_EQ(complete({"ax7ctl", "eq", "import", "room.yml", "music", ""}), Words{});
  EXPECT_EQ(complete({"ax7ctl", "eq", "export", ""}), sets);
  EXPECT_EQ(complete({"ax7ctl", "eq", "export", "music", "--format", ""}), formats);
  Words withAuto = formats;
  withAuto.insert("auto");
  EXPECT_EQ(complete({"ax7ctl", "eq", "import", "n.txt", "music", "--format", ""}), withAuto);
  EXPECT_EQ(complete({"ax7ctl", "eq", "import", "n.txt", "music", "--into", ""}), modeFiles);
  EXPECT_EQ(complete({"ax7ctl", "eq", "export", "music", "-o", ""}), eqFiles);
  EXPECT_EQ(complete({"ax7ctl", "eq", "export", "music", "--from", "a"}), (Words{"a.px44t"}));
  EXPECT_EQ(complete({"ax7ctl", "eq", "import", "--d"}), (Words{"--dry-run"}));

  EXPECT_EQ(complete({"ax7ctl", "--device", "sim", "remote", "learn", "mu"}),
            (Words{"mute", "music+", "music-"}));
  EXPECT_EQ(complete({"ax7ctl", "remote", "load", ""}), (Words{"keys.remo", "modes"}));
  EXPECT_EQ(complete({"ax7ctl", "settings", "apply", "--power-on", ""}),
            (Words{"auto", "m1", "m2", "m3", "m4"}));
  EXPECT_EQ(complete({"ax7ctl", "settings", "apply", "--mic-max", "60", "--save-by", ""}),
            (Words{"power", "mode"}));
  EXPECT_EQ(complete({"ax7ctl", "settings", "apply", "--mic-start", ""}), (Words{"off"}));
  Words diffFirst = modeFiles;
  diffFirst.insert("box");
  EXPECT_EQ(complete({"ax7ctl", "diff", ""}), diffFirst);
  EXPECT_EQ(complete({"ax7ctl", "diff", "--lang", "zh", "box", ""}), diffFirst);
  EXPECT_EQ(complete({"ax7ctl", "diff", "--lang", ""}), (Words{"zh", "en"}));
  EXPECT_EQ(complete({"ax7ctl", "--v"}), (Words{"--version"}));
}

TEST_F(Completion, SimFaultsAreTheOnesTheSimulatorKnows) {
  const Words offered = complete({"ax7ctl", "--sim-fault", ""});
  ASSERT_FALSE(offered.empty());
  // The simulator's complaint about an unknown fault lists every fault it takes.
  const std::string known =
      capture(std::string(AX7CTL_PATH) + " --device sim --sim-fault bogus read 2>&1").text;
  for (const std::string& fault : offered) {
    const std::string key = fault.substr(0, fault.find('='));
    EXPECT_THAT(known, HasSubstr(" " + key)) << fault;
  }
  const std::string list = known.substr(known.find("known: ") + 7);
  EXPECT_EQ(offered.size(), size_t(std::count(list.begin(), list.end(), ',') + 1)) << list;
}

TEST_F(Completion, ModeFilesByExtensionAnyCase) {
  const Words modeFiles{"a.px44t", "B.JSON", "m1.PX44T", "modes"};
  EXPECT_EQ(complete({"ax7ctl", "write", ""}), modeFiles);
  EXPECT_EQ(complete({"ax7ctl", "modefile", "show", ""}), modeFiles);
  EXPECT_EQ(complete({"ax7ctl", "read", "--save", ""}), modeFiles);
  EXPECT_EQ(complete({"ax7ctl", "--device", "sim", "--sim-state", "m"}),
            (Words{"m1.PX44T", "modes"}));
  // A trace is any file.
  EXPECT_EQ(complete({"ax7ctl", "--trace", "n"}), (Words{"notes.txt"}));
}

}  // namespace
