// The README's examples run as written. Its code blocks are read from the file itself: example
// files named in the paragraph before a block ("(`filters.txt`; ...)") are written out, every
// ax7ctl line runs in order in one folder, and each script example runs in ax7-control with the
// command line that follows it. The only change made to a line is --virtual-time after
// "--device sim", so the simulated box's waits take no real time.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Block {
  std::string paragraph;           // the text right before the block, lines joined by spaces
  std::vector<std::string> lines;  // without the four spaces of indentation
  std::string section;             // the heading it is under
};

std::vector<Block> codeBlocks(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  auto indented = [](const std::string& l) { return l.rfind("    ", 0) == 0; };
  auto blank = [](const std::string& l) { return l.find_first_not_of(" \t") == std::string::npos; };

  std::vector<Block> blocks;
  std::string section, paragraph;
  bool afterBlank = true;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (blank(l)) {
      afterBlank = true;
      continue;
    }
    if (indented(l) && afterBlank) {
      Block b{paragraph, {}, section};
      size_t j = i;
      for (; j < lines.size() && (indented(lines[j]) || blank(lines[j])); ++j) {
        b.lines.push_back(blank(lines[j]) ? std::string() : lines[j].substr(4));
      }
      while (!b.lines.empty() && b.lines.back().empty()) b.lines.pop_back();
      blocks.push_back(std::move(b));
      paragraph.clear();
      i = j - 1;
      afterBlank = true;
      continue;
    }
    if (l.rfind('#', 0) == 0) {
      section = l;
      paragraph.clear();
    } else {
      paragraph = afterBlank ? l : paragraph + " " + l;
    }
    afterBlank = false;
  }
  return blocks;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const fs::path& path, const std::vector<std::string>& lines) {
  std::ofstream out(path, std::ios::binary);
  for (const std::string& l : lines) out << l << "\n";
}

std::string withVirtualTime(std::string line) {
  static const std::string sim = "--device sim";
  const size_t at = line.find(sim);
  if (at != std::string::npos) line.insert(at + sim.size(), " --virtual-time");
  return line;
}

std::string quote(const std::string& word) {
  std::string q = "'";
  for (char c : word) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct LineRun {
  int exitCode = -1;
  std::string output;
};

// Runs one line with sh in `dir`, with the built programs first on the PATH and a profile and
// data folder of its own.
LineRun runLine(const fs::path& dir, const std::string& line) {
  std::string path = fs::path(AX7CTL_PATH).parent_path().string();
#ifdef AX7_CONTROL_PATH
  path += ":" + fs::path(AX7_CONTROL_PATH).parent_path().string();
#endif
  const std::string command = "cd " + quote(dir.string()) + " && PATH=" + quote(path) +
                              ":\"$PATH\" XDG_CONFIG_HOME=config XDG_DATA_HOME=data " +
                              "QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 sh -c " + quote(line) +
                              " 2>&1 </dev/null";
  LineRun r;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) r.output.append(buf, n);
  const int status = pclose(pipe);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

class ReadmeExamples : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ax7-readme-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    blocks_ = codeBlocks(readFile(fs::path(AX7_TEST_DATA_DIR) / ".." / ".." / "README.md"));
    ASSERT_GT(blocks_.size(), 10u);
    // The example files: "Equalizer APO / AutoEq (`ParametricEQ.txt`):" and the like.
    static const std::regex named(R"(\(`([A-Za-z0-9_-]+\.[A-Za-z0-9.]+)`)");
    for (const Block& b : blocks_) {
      std::smatch m;
      if (std::regex_search(b.paragraph, m, named)) {
        writeFile(dir_ / m[1].str(), b.lines);
        examples_.push_back(m[1].str());
      }
    }
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_;
  std::vector<Block> blocks_;
  std::vector<std::string> examples_;
};

TEST_F(ReadmeExamples, Ax7ctlLinesRunInOrder) {
  EXPECT_NE(std::find(examples_.begin(), examples_.end(), "ParametricEQ.txt"), examples_.end());
  EXPECT_NE(std::find(examples_.begin(), examples_.end(), "filters.txt"), examples_.end());
  int ran = 0;
  for (const Block& b : blocks_) {
    for (const std::string& line : b.lines) {
      if (line.rfind("ax7ctl ", 0) != 0) continue;
      const LineRun r = runLine(dir_, withVirtualTime(line));
      ++ran;
      // diff says "different" with 1, as diff(1); doctor says "no box that can be opened".
      const bool oneIsAnAnswer =
          line.find(" diff ") != std::string::npos || line.find(" doctor") != std::string::npos;
      EXPECT_TRUE(r.exitCode == 0 || (oneIsAnAnswer && r.exitCode == 1))
          << line << "\nexit " << r.exitCode << "\n"
          << r.output;
    }
  }
  EXPECT_GT(ran, 20);
}

#ifdef AX7_CONTROL_PATH
TEST_F(ReadmeExamples, ScriptExamplesRunWithTheirCommandLines) {
  // A script is followed, after a blank line, by the line that runs it:
  // "ax7-control ... --script s.txt".
  static const std::regex scriptName(R"(--script ([^ ]+))");
  int ran = 0;
  for (const Block& b : blocks_) {
    for (size_t j = 0; j < b.lines.size(); ++j) {
      std::smatch m;
      if (b.lines[j].rfind("ax7-control ", 0) != 0 ||
          !std::regex_search(b.lines[j], m, scriptName)) {
        continue;
      }
      size_t end = j;
      while (end > 0 && b.lines[end - 1].empty()) --end;
      size_t begin = end;
      while (begin > 0 && !b.lines[begin - 1].empty()) --begin;
      ASSERT_LT(begin, end) << "no script before " << b.lines[j];
      writeFile(dir_ / m[1].str(), {b.lines.begin() + long(begin), b.lines.begin() + long(end)});
      const LineRun r = runLine(dir_, withVirtualTime(b.lines[j]));
      ++ran;
      EXPECT_EQ(r.exitCode, 0) << b.lines[j] << "\n" << r.output;
    }
  }
  EXPECT_GE(ran, 2);
  // What the first example says it does.
  EXPECT_TRUE(fs::exists(dir_ / "output.png"));
}
#endif

}  // namespace
