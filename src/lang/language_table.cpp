#include "lang/language_table.h"

#include "lang/cp936.h"

namespace ax7::lang {

namespace {

constexpr std::string_view kSection = "string";

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view Trim(std::string_view s) {
  s = TrimLeft(s);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// "\n" becomes a line break; everything else stays as written.
std::string Unescape(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == 'n') {
      out.push_back('\n');
      ++i;
    } else {
      out.push_back(raw[i]);
    }
  }
  return out;
}

// Cuts valid UTF-8 after `limit` characters.
void CutCharacters(std::string& s, std::size_t limit) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const bool startsCharacter = (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80;
    if (startsCharacter && count++ == limit) {
      s.resize(i);
      return;
    }
  }
}

}  // namespace

LanguageTable::LanguageTable(std::string_view cp936Bytes) {
  // Decode first: a trail byte of a double-byte character may look like "[", "]" or "\".
  parse(DecodeCp936(cp936Bytes));
}

void LanguageTable::parse(std::string_view text) {
  bool inSection = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    const std::string_view content = TrimLeft(line);
    if (content.empty() || content.starts_with("//") || content.starts_with(';')) continue;
    if (content.front() == '[') {
      const std::string_view name = content.substr(1, content.find(']') - 1);
      inSection = Lower(Trim(name)) == kSection;
      continue;
    }
    if (!inSection) continue;
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = Trim(content.substr(0, equals));
    if (key.empty()) continue;
    if (!index_.try_emplace(Lower(key), entries_.size()).second) continue;
    std::string value = Unescape(content.substr(equals + 1));
    CutCharacters(value, kMaxValueLength);
    entries_.emplace_back(std::string(key), std::move(value));
  }
}

std::string LanguageTable::value(std::string_view key) const {
  const auto it = index_.find(Lower(key));
  return it == index_.end() ? std::string{} : entries_[it->second].second;
}

bool LanguageTable::contains(std::string_view key) const {
  return index_.find(Lower(key)) != index_.end();
}

std::vector<std::string> LanguageTable::keys() const {
  std::vector<std::string> out;
  out.reserve(entries_.size());
  for (const auto& entry : entries_) out.push_back(entry.first);
  return out;
}

std::string LanguageTable::TitleKey(int dialog) {
  return "IDD" + std::to_string(dialog) + "_title";
}

std::string LanguageTable::CaptionKey(int dialog, int control) {
  return "IDD" + std::to_string(dialog) + "_" + std::to_string(control);
}

}  // namespace ax7::lang
