#pragma once
// Small parsers for command-line words: numbers that must be whole and finite, and the split of
// a command's words into positional arguments and --options.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ax7::cli {

// The whole word must be a finite number; nothing else is accepted.
std::optional<double> parseDouble(const std::string& word);
std::optional<long long> parseInteger(const std::string& word);

struct ParsedArgs {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;  // --name VALUE or --name=VALUE
  std::set<std::string> flags;                // --name
  bool help = false;                          // -h or --help anywhere
};

// Splits words into positional arguments, options that take a value (valueOptions) and options
// that do not (flagOptions). "--" ends option parsing. Returns false with a one-line reason for an
// unknown option, a missing value, or an option given twice.
bool parseArgs(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
               const std::set<std::string>& flagOptions, ParsedArgs* out, std::string* error);

}  // namespace ax7::cli
