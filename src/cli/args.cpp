#include "cli/args.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace ax7::cli {

std::optional<double> parseDouble(const std::string& word) {
  if (word.empty() || std::isspace(static_cast<unsigned char>(word[0]))) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(word.c_str(), &end);
  if (end != word.c_str() + word.size() || errno == ERANGE || !std::isfinite(v)) {
    return std::nullopt;
  }
  return v;
}

std::optional<long long> parseInteger(const std::string& word) {
  if (word.empty() || std::isspace(static_cast<unsigned char>(word[0]))) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(word.c_str(), &end, 10);
  if (end != word.c_str() + word.size() || errno == ERANGE) return std::nullopt;
  return v;
}

bool parseArgs(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
               const std::set<std::string>& flagOptions, ParsedArgs* out, std::string* error) {
  bool optionsEnded = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    // A lone "-" and negative numbers ("-6") are positional: gains are often negative.
    const bool looksLikeOption =
        word.size() > 1 && word[0] == '-' && !parseDouble(word).has_value();
    if (optionsEnded || !looksLikeOption) {
      out->positional.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    if (word == "-h" || word == "--help") {
      out->help = true;
      continue;
    }
    std::string name = word;
    std::optional<std::string> value;
    if (size_t eq = word.find('='); word.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = word.substr(0, eq);
      value = word.substr(eq + 1);
    }
    if (valueOptions.count(name)) {
      if (!value) {
        if (i + 1 >= words.size()) {
          *error = "option " + name + " needs a value";
          return false;
        }
        value = words[++i];
      }
      if (!out->values.emplace(name, *value).second) {
        *error = "option " + name + " given twice";
        return false;
      }
    } else if (flagOptions.count(name) && !value) {
      out->flags.insert(name);
    } else {
      *error = "unknown option " + word;
      return false;
    }
  }
  return true;
}

}  // namespace ax7::cli
