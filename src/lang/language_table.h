#pragma once
// A dialog text table: the INI text that holds the window titles and control captions of every
// page and tool window in one language.
//
// The file is code page 936 text with CR LF (LF alone is accepted too). Only the section
// "[String]" counts; lines starting with "//" or ";" are comments, blank lines are skipped, and
// every other line is key=value. The value is everything after the first "=", kept as it is
// (captions may end in a blank), except that the two characters "\n" stand for a line break,
// which an INI line cannot hold. Keys are compared without regard to ASCII case, as INI readers
// do; when a key occurs twice, the first one counts.
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace ax7::lang {

class LanguageTable {
 public:
  // Longer values are cut to this many characters.
  static constexpr std::size_t kMaxValueLength = 999;

  LanguageTable() = default;
  // Reads the raw bytes of a table file; bytes that are not code page 936 read as U+FFFD.
  explicit LanguageTable(std::string_view cp936Bytes);

  // The UTF-8 value of a key, or an empty text when the key is missing.
  std::string value(std::string_view key) const;
  bool contains(std::string_view key) const;

  // Window title of a dialog: key "IDD<dialog>_title".
  std::string title(int dialog) const { return value(TitleKey(dialog)); }
  // Caption of one control of a dialog: key "IDD<dialog>_<control>".
  std::string caption(int dialog, int control) const { return value(CaptionKey(dialog, control)); }

  // Every key in the order of the file.
  std::vector<std::string> keys() const;
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

  static std::string TitleKey(int dialog);
  static std::string CaptionKey(int dialog, int control);

 private:
  void parse(std::string_view utf8Text);

  std::vector<std::pair<std::string, std::string>> entries_;  // key, value; file order
  std::unordered_map<std::string, std::size_t> index_;        // lower-case key -> entry
};

}  // namespace ax7::lang
