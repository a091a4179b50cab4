#pragma once
// The interface language. Every text a person sees exists in both; the pair is chosen at the
// moment the text is produced, never mixed (a format and its prefix come from the same side).
#include <QString>

namespace ax7::ui {

enum class Language : int { Chinese = 0, English = 1 };

// The profile and the old index store 0 for Chinese and 1 for English; anything else is Chinese.
constexpr Language LanguageFromIndex(int index) {
  return index == 1 ? Language::English : Language::Chinese;
}
constexpr int LanguageIndex(Language language) {
  return language == Language::English ? 1 : 0;
}
constexpr Language OtherLanguage(Language language) {
  return language == Language::English ? Language::Chinese : Language::English;
}

// A text written in the code as a pair, Chinese first.
struct TextPair {
  const char* zh;
  const char* en;
};

inline QString Pick(Language language, const char* zh, const char* en) {
  return QString::fromUtf8(language == Language::English ? en : zh);
}
inline QString Pick(Language language, TextPair pair) {
  return Pick(language, pair.zh, pair.en);
}

}  // namespace ax7::ui
