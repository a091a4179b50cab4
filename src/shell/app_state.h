#pragma once
// The one application state object: what the program remembers between handlers, the core it
// drives, the profile store and the prompter. Handlers receive it by reference.
#include <QColor>
#include <QString>
#include <optional>

#include "core/core.h"
#include "pages/language.h"
#include "pages/page_context.h"

class QSettings;

namespace ax7::ui {

class Prompter;

// Periods of the program's timers. Tests shorten them or switch the timers off and call the
// handlers themselves.
struct Timings {
  int firstConnectMs = 250;   // connect attempt after start
  int statusPeriodMs = 300;   // status request 0x0E
  int uiUpdateMs = 100;       // status panes, check marks and microphone labels
  int pageStatusMs = 300;     // the pages' own status timers (meters, format text)
  int syncTimeoutMs = 30000;  // the progress dialog gives up
  int saveModeNoticeDelayMs = 500;
  bool startTimers = true;  // false: nothing runs by itself
};

// Profile keys.
inline constexpr const char* kKeyLanguage = "language";
inline constexpr const char* kKeyApplicationLook = "ApplicationLook";
inline constexpr const char* kKeyRecentFiles = "RecentFiles";
inline constexpr int kApplicationLook = 215;

// Box mode names in the program's texts, indexed by mode 0..3.
inline constexpr const char* kModeDigitsZh[] = {"一", "二", "三", "四"};
inline constexpr const char* kModeDigitsEn[] = {"1", "2", "3", "4"};

class AppState {
 public:
  AppState(Core& core, QSettings& settings, Prompter& prompter, Timings timings = {})
      : core(core), settings(settings), prompter(prompter), timings(timings) {}
  AppState(const AppState&) = delete;
  AppState& operator=(const AppState&) = delete;

  // The Chinese or the English text of a pair, by the interface language.
  QString text(const char* zh, const char* en) const { return Pick(language(), zh, en); }
  QString text(TextPair pair) const { return Pick(language(), pair); }
  bool english() const { return language() == Language::English; }
  Language language() const { return LanguageFromIndex(g_nLanguage); }
  void setLanguage(Language language) { g_nLanguage = LanguageIndex(language); }
  bool boxOpen() const { return core.link.deviceOpen(); }

  Core& core;
  QSettings& settings;
  Prompter& prompter;
  const Timings timings;

  int g_nLanguage = 0;      // the profile's index of language(): 0 Chinese, 1 English
  // The language at start when the profile holds none (the user's locale), and --lang, which
  // overrides the profile for one run.
  Language localeLanguage = Language::Chinese;
  std::optional<Language> languageForRun;
  int pendingBoxMode = -1;  // box mode to store after the next synchronisation
  bool peakOption = true;   // allows the periodic status request (About box)
  bool errorBoxAllowed = true;
  bool f7Guard = true;
  int musicPageGroup = 0;  // 0 mic A, 1 mic B, 2 music
  int outputChannel = 0;   // 0..7
  EqCopySource eqCopy;     // one for every EQ editor
  LocateSelection locate;  // the room page's, kept for the whole run
  QString snapshotDir;     // where snapshots go; empty: the user's data folder (tests: a temp dir)
};

// Colours given as COLORREF (0x00BBGGRR).
inline QColor fromColorRef(unsigned ref) {
  return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

}  // namespace ax7::ui
