// Language tables: the reader on hand-made texts, then the two tables the program embeds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>

#include "lang/cp936.h"
#include "lang/language_table.h"

namespace {

using ax7::lang::DecodeCp936;
using ax7::lang::LanguageTable;

TEST(Cp936, DecodesAndReplacesWhatIsNotCp936) {
  struct Case {
    std::string bytes;
    std::string utf8;
  };
  const Case cases[] = {
      {"", ""},
      {"IDD1_2=ab", "IDD1_2=ab"},
      {"\xD6\xD0\xCE\xC4", "中文"},
      {"180\xA1\xE3\xA3\xBA", "180°："},
      {"\x80", "€"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"\xFF", "\uFFFD"},
      // A lead byte without its trail byte: only the lead byte is lost, the line end stays.
      {"\xD6\r\nx", "\uFFFD\r\nx"},
      {"x\xD6", "x\uFFFD"},
      {"\xD6\xD0\xFF\xCE\xC4", "中\uFFFD文"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeCp936(c.bytes), c.utf8) << "input of " << c.bytes.size() << " bytes";
  }
}

TEST(LanguageTable, ReadsKeysOfTheStringSectionOnly) {
  const LanguageTable table(
      "IDD1_1=before any section\r\n"
      "[String]\r\n"
      "//IDD_DIALOG_COMP\r\n"
      "//IDD1_2=commented out\r\n"
      "  // IDD_DIALOG_OUTPUT\r\n"
      "; another comment\r\n"
      "\r\n"
      "   \r\n"
      "IDD1_title=Window\r\n"
      "IDD1_3=a=b\n"  // LF alone
      "IDD1_4=trailing \r\n"
      "IDD1_5=\r\n"
      "IDD1_6=two\\nlines\r\n"
      "IDD1_7=\xCF\xE0\xCE\xBB"
      "180\xA1\xE3\r\n"
      "IDD1_3=second of a key\r\n"
      "no equals sign\r\n"
      "=no key\r\n"
      "[Other]\r\n"
      "IDD1_8=other section\r\n"
      "[ string ]\r\n"
      "IDD1_9=last line without line end");

  const std::map<std::string, std::string> expected = {
      {"IDD1_title", "Window"},
      {"IDD1_3", "a=b"},
      {"IDD1_4", "trailing "},
      {"IDD1_5", ""},
      {"IDD1_6", "two\nlines"},
      {"IDD1_7", "相位180°"},
      {"IDD1_9", "last line without line end"},
  };
  for (const auto& [key, value] : expected) {
    EXPECT_TRUE(table.contains(key)) << key;
    EXPECT_EQ(table.value(key), value) << key;
  }
  for (const char* key : {"IDD1_1", "//IDD1_2", "IDD1_2", "IDD1_8", "", "no equals sign"}) {
    EXPECT_FALSE(table.contains(key)) << key;
    EXPECT_EQ(table.value(key), "") << key;
  }
  EXPECT_EQ(table.keys(), (std::vector<std::string>{"IDD1_title", "IDD1_3", "IDD1_4", "IDD1_5",
                                                    "IDD1_6", "IDD1_7", "IDD1_9"}));

  EXPECT_EQ(table.title(1), "Window");
  EXPECT_EQ(table.caption(1, 3), "a=b");
  EXPECT_EQ(table.caption(1, 2), "");
  EXPECT_EQ(table.title(2), "");
  EXPECT_EQ(table.value("idd1_TITLE"), "Window");
}

TEST(LanguageTable, CutsLongValuesAfter999Characters) {
  const std::string ascii(1500, 'a');
  std::string chinese;
  for (int i = 0; i < 1200; ++i) chinese += "\xD6\xD0";  // 中
  std::string exact(999, 'b');

  const LanguageTable table("[String]\r\nA=" + ascii + "\r\nB=" + chinese + "\r\nC=" + exact +
                            "\r\nD=after\r\n");
  EXPECT_EQ(table.value("A"), std::string(999, 'a'));
  std::string chinese999;
  for (int i = 0; i < 999; ++i) chinese999 += "中";
  EXPECT_EQ(table.value("B"), chinese999);
  EXPECT_EQ(table.value("C"), exact);
  EXPECT_EQ(table.value("D"), "after");
}

TEST(LanguageTable, SurvivesBytesThatAreNotCp936) {
  const LanguageTable table(
      "[String]\r\n"
      "IDD1_1=\xD6\r\n"  // lead byte, then the line end
      "IDD1_2=ok\xFF\r\n"
      "IDD1_3=\xD6\xD0\r\n"
      "IDD1_4=\x81");  // lead byte at the end of the file
  EXPECT_EQ(table.caption(1, 1), "\uFFFD");
  EXPECT_EQ(table.caption(1, 2), "ok\uFFFD");
  EXPECT_EQ(table.caption(1, 3), "中");
  EXPECT_EQ(table.caption(1, 4), "\uFFFD");
  EXPECT_TRUE(LanguageTable("").empty());
}

// --- the embedded tables ---------------------------------------------------------------------

std::string ReadFile(const std::string& name) {
  // The tables are data of the program, not of the tests: go from tests/data to the repository.
  const std::filesystem::path root =
      std::filesystem::path(AX7_TEST_DATA_DIR).parent_path().parent_path();
  std::ifstream in(root / "resources" / "lang" / name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class EmbeddedTables : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    englishBytes = new std::string(ReadFile("english.ini"));
    chineseBytes = new std::string(ReadFile("chinese.ini"));
    english = new LanguageTable(*englishBytes);
    chinese = new LanguageTable(*chineseBytes);
  }
  static void TearDownTestSuite() {
    delete english;
    delete chinese;
    delete englishBytes;
    delete chineseBytes;
  }
  static inline std::string* englishBytes = nullptr;
  static inline std::string* chineseBytes = nullptr;
  static inline LanguageTable* english = nullptr;
  static inline LanguageTable* chinese = nullptr;
};

TEST_F(EmbeddedTables, AreCp936TextWithCrLfLinesInTheIniLayout) {
  for (const std::string* bytes : {englishBytes, chineseBytes}) {
    ASSERT_FALSE(bytes->empty());
    EXPECT_TRUE(bytes->starts_with("[String]\r\n"));
    EXPECT_TRUE(bytes->ends_with("\r\n"));
    for (std::size_t i = 0; i < bytes->size(); ++i) {
      if ((*bytes)[i] == '\n') {
        ASSERT_TRUE(i > 0 && (*bytes)[i - 1] == '\r') << "byte " << i;
      }
    }
    const std::string text = DecodeCp936(*bytes);
    EXPECT_EQ(text.find("\uFFFD"), std::string::npos);
    EXPECT_NE(text.find("\r\n//IDD_DIALOG_COMP\r\n"), std::string::npos);
  }

  // The English table is ASCII apart from "°" and "：".
  std::string rest = DecodeCp936(*englishBytes);
  for (const char* allowed : {"°", "："}) {
    for (std::size_t at; (at = rest.find(allowed)) != std::string::npos;) rest.erase(at, 3);
  }
  for (char c : rest) ASSERT_LT(static_cast<unsigned char>(c), 0x80) << rest;
}

TEST_F(EmbeddedTables, HoldTheKnownTexts) {
  struct Entry {
    const LanguageTable* table;
    const char* key;
    const char* value;
  };
  const Entry entries[] = {
      {english, "IDD335_title", "Machine Set"},
      {english, "IDD335_1006", "Mic max vol"},
      {english, "IDD410_title", "Auto SUB vol decay"},
      {english, "IDD512_title", "Music source setting"},
      {english, "IDD346_1005", "Threshold"},
      {english, "IDD346_1069", "Main"},
      {english, "IDD313_1142", "Music Peak"},
      {english, "IDD385_1054", "Phase 180°"},
      {english, "IDD373_title", "Learn remoter control "},
      {english, "IDD335_1191", "By mode "},
      {english, "IDD385_1079", "CH 8"},
      {chinese, "IDD335_title", "机器设置"},
      {chinese, "IDD385_1054", "相位180°"},
      {chinese, "IDD335_1239", "主音量和\n输入源："},
      {chinese, "IDD372_title", "学习中……"},
      {chinese, "IDD346_1077", "通道6"},
      {chinese, "IDD346_1078", "通道7"},
      {chinese, "IDD346_1079", "通道8"},
  };
  for (const Entry& e : entries) {
    EXPECT_EQ(e.table->value(e.key), e.value) << (e.table == english ? "en " : "zh ") << e.key;
  }
}

TEST_F(EmbeddedTables, HaveTheSameKeysExceptTheKnownDifferences) {
  const std::set<std::string> onlyChinese = {"IDD346_1077", "IDD346_1078", "IDD346_1079"};
  const std::set<std::string> onlyEnglish = {"IDD385_1132"};
  for (const std::string& key : english->keys()) {
    EXPECT_EQ(chinese->contains(key), !onlyEnglish.contains(key)) << key;
  }
  for (const std::string& key : chinese->keys()) {
    EXPECT_EQ(english->contains(key), !onlyChinese.contains(key)) << key;
  }
}

TEST_F(EmbeddedTables, CoverEveryPageAndToolWindow) {
  // Keys per dialog (English, Chinese). A dialog's keys all have the form IDD<dialog>_title or
  // IDD<dialog>_<control>; nothing else may be in the tables.
  const std::map<int, std::pair<int, int>> expected = {
      {313, {37, 37}}, {333, {43, 43}}, {334, {36, 36}}, {335, {23, 23}},
      {346, {14, 17}}, {372, {4, 4}},   {373, {4, 4}},   {385, {58, 57}},
      {410, {4, 4}},   {421, {9, 9}},   {424, {4, 4}},   {512, {4, 4}},
  };
  const std::regex form("IDD([0-9]+)_(title|[0-9]+)");
  std::map<int, std::pair<int, int>> counted;
  for (const LanguageTable* table : {english, chinese}) {
    for (const std::string& key : table->keys()) {
      std::smatch m;
      ASSERT_TRUE(std::regex_match(key, m, form)) << key;
      auto& count = counted[std::stoi(m[1])];
      ++(table == english ? count.first : count.second);
    }
  }
  EXPECT_EQ(counted, expected);
}

}  // namespace
