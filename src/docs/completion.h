#pragma once
// The bash completion of ax7ctl, made from its command table and option tables.
#include <string>
#include <vector>

namespace ax7::docs {

// What one command takes, read from the synopsis lines of its usage text
// ("usage: ax7ctl NAME ..." and "       ax7ctl NAME ..."): its sub-commands (lower-case
// words), its options, which of them take a value, and whether it takes file names.
struct CommandWords {
  std::string name;
  std::vector<std::string> subcommands;
  std::vector<std::string> options;
  std::vector<std::string> valueOptions;  // subset of options: followed by a value
  std::vector<std::string> fileOptions;   // subset of valueOptions: the value is a FILE
  bool takesFiles = false;                // a positional FILE, IN or OUT
};

CommandWords commandWords(const char* name, const char* usage);

// File name extensions of mode files as ax7ctl reads them (without the dot).
const std::vector<std::string>& modeFileExtensions();

std::string bashCompletion();

}  // namespace ax7::docs
