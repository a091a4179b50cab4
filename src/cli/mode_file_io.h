#pragma once
// Reading and writing mode settings in either form ax7ctl knows: a mode file (any version in,
// version 5 out) or its JSON.
#include <cstdint>
#include <string>
#include <vector>

#include "params/memory.h"

namespace ax7::cli {

// Loads `path` into mem, which should hold the start-up defaults: whatever an older file lacks
// keeps them. JSON is recognised by its content. On failure mem is untouched and error holds
// a one-line reason.
bool loadModeInput(const std::string& path, ParameterMemory& mem, int* version, std::string* error);
// The same on the bytes of a file already read; `name` is the file's name for the messages.
bool loadModeBytes(const std::vector<uint8_t>& bytes, const std::string& name,
                   ParameterMemory& mem, int* version, std::string* error);

// Writes JSON when the name ends in ".json" (any case), otherwise a version-5 mode file. The
// target is replaced only when the whole output was written.
bool writeModeOutput(const std::string& path, const ParameterMemory& mem, int version,
                     std::string* error);

}  // namespace ax7::cli
