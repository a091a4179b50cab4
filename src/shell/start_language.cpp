#include "shell/start_language.h"

#include <QSettings>
#include <cstdlib>

#include "shell/app_state.h"

namespace ax7::ui {

namespace {

// "C", "POSIX" and their variants ("C.UTF-8") choose no language.
bool isCLocale(std::string_view locale) {
  return locale.empty() || locale == "POSIX" || locale == "C" || locale.starts_with("C.") ||
         locale.starts_with("C@");
}

bool isChinese(std::string_view name) {
  if (!name.starts_with("zh")) return false;
  return name.size() == 2 || name[2] == '_' || name[2] == '.' || name[2] == '@' || name[2] == '-';
}

std::string_view variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string_view(value) : std::string_view();
}

}  // namespace

Language LanguageFromLocale(const LocaleVariables& v) {
  const std::string_view locale = !v.lcAll.empty()        ? v.lcAll
                                  : !v.lcMessages.empty() ? v.lcMessages
                                                          : v.lang;
  if (isCLocale(locale)) return Language::English;
  std::string_view first = v.language.substr(0, v.language.find(':'));
  const std::string_view name = first.empty() ? locale : first;
  return isChinese(name) ? Language::Chinese : Language::English;
}

LocaleVariables LocaleFromEnvironment() {
  return {variable("LANGUAGE"), variable("LC_ALL"), variable("LC_MESSAGES"), variable("LANG")};
}

Language StartLanguage(const QSettings& profile, std::optional<Language> forced,
                       Language fromLocale) {
  if (forced) return *forced;
  if (profile.contains(kKeyLanguage)) {
    return LanguageFromIndex(profile.value(kKeyLanguage).toInt());
  }
  return fromLocale;
}

std::optional<Language> LanguageFromCode(std::string_view code) {
  if (code == "zh") return Language::Chinese;
  if (code == "en") return Language::English;
  return std::nullopt;
}

}  // namespace ax7::ui
