#pragma once
// ax7-control's options, written once: the command-line reader, --help and the manual page all
// come from this table. Knows no Qt, so the manual page can be made without it.
#include <vector>

namespace ax7::ui {

struct DesktopOption {
  const char* name;   // without the leading dashes
  const char* value;  // the value's name in --help; nullptr for a flag
  const char* help;
  const char* defaultValue;  // nullptr: none
  bool hidden = false;       // read, but left out of --help and the manual (test aids)
};

inline constexpr const char* kDesktopDescription =
    "Control program of the AX7 karaoke and home-theatre processor.";
inline constexpr const char* kDesktopFileArgument = "file";
inline constexpr const char* kDesktopFileSyntax = "[file]";
inline constexpr const char* kDesktopFileHelp = "Mode file (.px44t) to open.";

const std::vector<DesktopOption>& desktopOptions();

}  // namespace ax7::ui
