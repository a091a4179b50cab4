#pragma once
// The bash completion of ax7ctl, made from its command table and option tables.
#include <string>
#include <utility>
#include <vector>

namespace ax7::docs {

// One synopsis of a command ("usage: ax7ctl NAME ..." or "       ax7ctl NAME ...", with the
// lines that continue it): its sub-command, the names of its positional arguments in order
// ("FILE", "SET", ...) and its options with the name of their value ("" for a flag).
struct Synopsis {
  std::string sub;  // empty for a command without sub-commands
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;
};

// What one command takes, read from the synopsis lines of its usage text.
struct CommandWords {
  std::string name;
  std::vector<std::string> subcommands;
  std::vector<std::string> options;  // every option of every synopsis, and --help
  std::vector<Synopsis> forms;
};

CommandWords commandWords(const char* name, const char* usage);

// File name extensions (without the dot) of mode files as ax7ctl reads them, and of the EQ
// files eq import reads.
const std::vector<std::string>& modeFileExtensions();
const std::vector<std::string>& eqFileExtensions();

std::string bashCompletion();

}  // namespace ax7::docs
