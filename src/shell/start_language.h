#pragma once
// The interface language at start: a stored choice wins; without one the user's locale decides
// (a Chinese locale: Chinese; any other: English); --lang overrides both for one run.
#include <optional>
#include <string_view>

#include "pages/language.h"

class QSettings;

namespace ax7::ui {

// The locale variables that name the language of messages, as the environment holds them (an
// unset variable is empty).
struct LocaleVariables {
  std::string_view language;    // LANGUAGE: a colon-separated list, first entry wins
  std::string_view lcAll;       // LC_ALL
  std::string_view lcMessages;  // LC_MESSAGES
  std::string_view lang;        // LANG
};

// The language of messages as gettext chooses it: the locale is the first set of LC_ALL,
// LC_MESSAGES, LANG; the C (or POSIX) locale, or none, is English, and then LANGUAGE is ignored;
// otherwise the first entry of LANGUAGE, if any, else the locale. "zh", "zh_CN.UTF-8",
// "zh_TW@...": Chinese; anything else: English.
Language LanguageFromLocale(const LocaleVariables& variables);

// The variables of this process.
LocaleVariables LocaleFromEnvironment();

// The language of this run: `forced` (--lang) if given, else the profile's stored value if there
// is one, else `fromLocale`.
Language StartLanguage(const QSettings& profile, std::optional<Language> forced,
                       Language fromLocale);

// "zh" or "en" (--lang); nullopt for anything else.
std::optional<Language> LanguageFromCode(std::string_view code);

}  // namespace ax7::ui
