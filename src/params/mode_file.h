#pragma once
// Mode files (".px44t"): a complete set of box settings on the computer.
#include <cstdint>
#include <string>
#include <vector>

#include "params/memory.h"

namespace ax7 {

constexpr int kModeFileVersion = 5;
constexpr int kModeFileSize = 2130;

// Message-box texts for a mode file that cannot be opened: the caption, the text for saving
// (system error code, path) and the text for loading (path).
constexpr const char* kModeFileErrorCaption = "Can't write to file";
constexpr const char* kModeFileSaveErrorFormat =
    "Errcode=%d,Can't write to file:\n%s\nProbaby it is write protected.";
constexpr const char* kModeFileLoadErrorFormat =
    "Can't write to file:\n%s\nProbaby it is write protected.";

struct ModeFileResult {
  bool ok = false;
  int version = 0;
  std::string error;    // one line, English, for the user; empty when ok
  int systemError = 0;  // errno of a failed file operation, 0 otherwise
};

// Writes the version-5 layout to a temporary file beside the target and renames it over the
// target, so a failed save never damages the old file.
ModeFileResult SaveModeFile(const ParameterMemory& mem, const std::string& path);
// Reads versions 1..5; memory is untouched unless the whole file is accepted.
ModeFileResult LoadModeFile(ParameterMemory& mem, const std::string& path);
// The same on bytes already read (also what the fuzz target drives).
ModeFileResult LoadModeFileBytes(ParameterMemory& mem, const uint8_t* data, size_t size);
std::vector<uint8_t> ModeFileBytes(const ParameterMemory& mem);

// Box mode 0..3 a file is meant for ("m1".."m4" at the start of its name), -1 for none.
int BoxModeFromFileName(const std::string& path);

}  // namespace ax7
