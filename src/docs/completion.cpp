#include "docs/completion.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "cli/command.h"
#include "cli/options.h"
#include "eqx/eq_set.h"
#include "eqx/filters.h"
#include "params/param_names.h"
#include "remote/remote_keys.h"
#include "sim/sim_faults.h"

namespace ax7::docs {

namespace {

bool isUpperWord(const std::string& w) {
  return !w.empty() && std::isupper(static_cast<unsigned char>(w[0])) &&
         std::none_of(w.begin(), w.end(),
                      [](char c) { return std::islower(static_cast<unsigned char>(c)); });
}

bool isLowerWord(const std::string& w) {
  return !w.empty() && std::all_of(w.begin(), w.end(), [](char c) {
    return std::islower(static_cast<unsigned char>(c)) || c == '-';
  });
}

// An option's value as a synopsis names it: a placeholder (FILE) or choices (zh|en, N|off).
bool isValueWord(const std::string& w) {
  return isUpperWord(w) || (w.find('|') != std::string::npos && w[0] != '-');
}

void addOnce(std::vector<std::string>& list, const std::string& word) {
  if (std::find(list.begin(), list.end(), word) == list.end()) list.push_back(word);
}

std::string trimBrackets(std::string w) {
  while (!w.empty() && (w.front() == '[' || w.front() == '(')) w.erase(w.begin());
  while (!w.empty() && (w.back() == ']' || w.back() == ')' || w.back() == ',')) w.pop_back();
  return w;
}

std::string join(const std::vector<std::string>& words, const char* between = " ") {
  std::string out;
  for (const std::string& w : words) out += (out.empty() ? "" : between) + w;
  return out;
}

std::vector<std::string> split(const std::string& text, char at) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, at);) parts.push_back(part);
  return parts;
}

// A choice that holds a placeholder ("hid:SERIAL") is no word to offer as it stands.
bool isLiteralChoice(const std::string& choice) {
  const size_t colon = choice.find(':');
  return colon == std::string::npos || !isUpperWord(choice.substr(colon + 1));
}

std::vector<std::string> literalChoices(const std::string& value) {
  std::vector<std::string> out;
  for (const std::string& c : split(value, '|'))
    if (isLiteralChoice(c)) out.push_back(c);
  return out;
}

// The global option's names ("-h, --help" gives "-h" and "--help").
std::vector<std::string> optionNames(const cli::OptionDoc& doc) {
  std::vector<std::string> names;
  std::istringstream in(doc.names);
  for (std::string w; in >> w;) names.push_back(trimBrackets(w));
  return names;
}

bool mentionsModeFile(const char* help) {
  return std::string(help).find("mode file") != std::string::npos;
}

// What completes a value or an argument: words, files with one of some extensions (any file
// when the list is empty), or nothing.
struct Completion {
  std::vector<std::string> words;
  bool files = false;
  std::vector<std::string> extensions;
  bool empty() const { return words.empty() && !files; }
};

std::vector<std::string> setNames() {
  std::vector<std::string> names;
  for (int set = 0; !eqx::setName(set).empty(); ++set) names.push_back(eqx::setName(set));
  return names;
}

std::vector<std::string> formatNames() {
  std::vector<std::string> names;
  for (eqx::Format f : {eqx::Format::Apo, eqx::Format::Rew, eqx::Format::CamillaDsp,
                        eqx::Format::Biquad, eqx::Format::Json})
    names.push_back(eqx::formatName(f));
  return names;
}

// A placeholder of `command`'s usage. A FILE is a mode file unless the command works on other
// files: EQ files for eq, remote data files for remote; diff also takes the word box.
Completion completionOf(const std::string& command, const std::string& placeholder) {
  Completion c;
  if (placeholder.find('|') != std::string::npos) {
    for (const std::string& choice : split(placeholder, '|')) {
      if (isUpperWord(choice)) {
        for (const std::string& w : completionOf(command, choice).words) c.words.push_back(w);
      } else if (isLiteralChoice(choice)) {
        c.words.push_back(choice);
      }
    }
  } else if (placeholder == "SET") {
    c.words = setNames();
  } else if ((placeholder == "NAME" || placeholder == "NAME...") && command == "get") {
    for (const ParamName& n : ParamNames()) c.words.push_back(n.name);
  } else if (placeholder == "FORMAT") {
    c.words = formatNames();
  } else if (placeholder == "KEY") {
    for (const remote::KeyInfo& k : remote::Keys()) c.words.push_back(k.name);
  } else if (placeholder == "MODEFILE" || placeholder == "NEWFILE") {
    c.files = true;
    c.extensions = modeFileExtensions();
  } else if (placeholder == "FILE" || placeholder == "IN" || placeholder == "OUT") {
    c.files = true;
    c.extensions = command == "eq"       ? eqFileExtensions()
                   : command == "remote" ? std::vector<std::string>{"remo"}
                                         : modeFileExtensions();
    if (command == "diff") c.words = {"box"};
  }
  return c;
}

// The bash that fills COMPREPLY with `c`.
std::string completeWith(const Completion& c) {
  std::string out;
  if (c.files) out += "_ax7ctl_files \"" + join(c.extensions) + "\"; ";
  if (!c.words.empty()) {
    out += "COMPREPLY+=($(compgen -W \"" + join(c.words) + "\" -- \"$cur\")); ";
  }
  return out;
}

std::string bashWord(const std::string& w) {
  return "\"" + w + "\"";
}

}  // namespace

CommandWords commandWords(const char* name, const char* usage) {
  CommandWords words;
  words.name = name;
  std::istringstream lines(usage);
  const std::string lead = std::string("ax7ctl ") + name;
  bool inSynopsis = false;
  for (std::string line; std::getline(lines, line);) {
    const size_t at = line.find(lead);
    const std::string before = line.substr(0, at == std::string::npos ? 0 : at);
    const bool starts = at != std::string::npos &&
                        (before == "usage: " || before.find_first_not_of(' ') == std::string::npos);
    // "                 [--into MODEFILE -o NEWFILE] [--json]" continues the synopsis above.
    const size_t first = line.find_first_not_of(' ');
    const bool continues = !starts && inSynopsis && first != std::string::npos && first > 0 &&
                           (line[first] == '[' || line[first] == '-');
    inSynopsis = starts || continues;
    if (!inSynopsis) continue;
    if (starts) words.forms.emplace_back();
    Synopsis& form = words.forms.back();
    std::istringstream in(starts ? line.substr(at + lead.size()) : line);
    std::vector<std::string> tokens;
    for (std::string w; in >> w;) tokens.push_back(trimBrackets(w));
    for (size_t i = 0; i < tokens.size(); ++i) {
      const std::string& w = tokens[i];
      if (w.size() > 1 && w[0] == '-') {
        addOnce(words.options, w);
        std::string value;
        if (i + 1 < tokens.size() && isValueWord(tokens[i + 1])) value = tokens[++i];
        form.options.emplace_back(w, value);
      } else if (starts && i == 0 && isLowerWord(w)) {
        form.sub = w;
        addOnce(words.subcommands, w);
      } else if (isUpperWord(w)) {
        form.positional.push_back(w);
      }
    }
  }
  addOnce(words.options, "--help");
  return words;
}

const std::vector<std::string>& modeFileExtensions() {
  static const std::vector<std::string> extensions = {"px44t", "json"};
  return extensions;
}

const std::vector<std::string>& eqFileExtensions() {
  static const std::vector<std::string> extensions = {"txt", "yml", "yaml", "json"};
  return extensions;
}

std::string bashCompletion() {
  std::vector<std::string> globals, globalValues, commands, commandValues;
  std::ostringstream valueCases;
  for (const cli::OptionDoc& doc : cli::globalOptionDocs()) {
    for (const std::string& n : optionNames(doc)) addOnce(globals, n);
    if (!doc.value) continue;
    const std::string name = optionNames(doc).back();
    addOnce(globalValues, name);
    const std::string value = doc.value;
    valueCases << "    " << name << ") ";
    if (value.find('|') != std::string::npos) {
      valueCases << "COMPREPLY=($(compgen -W \"" << join(literalChoices(value))
                 << "\" -- \"$cur\")) ;;\n";
    } else if (name == "--sim-fault") {
      std::vector<std::string> forms;
      for (std::string_view form : sim::SimFaultForms()) {
        const std::string f(form);
        forms.push_back(f.substr(0, f.find('=') == std::string::npos ? f.size() : f.find('=') + 1));
      }
      valueCases << "COMPREPLY=($(compgen -W \"" << join(forms) << "\" -- \"$cur\"))\n"
                 << "      [[ ${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null ;;\n";
    } else if (value == "FILE") {
      valueCases << "_ax7ctl_files " << (mentionsModeFile(doc.help) ? "\"$modefiles\"" : "\"\"")
                 << " ;;\n";
    } else {
      valueCases << ";;\n";
    }
  }

  // Per command: the value of the option before the cursor, else an option, else the
  // sub-command, else the positional argument by its place after the sub-command.
  std::ostringstream commandCases;
  for (const cli::CommandSpec* spec : cli::commandTable()) {
    commands.push_back(spec->name);
    const CommandWords w = commandWords(spec->name, spec->usage);
    const bool hasSubs = !w.subcommands.empty();
    commandCases << "    " << w.name << ")\n";
    commandCases << (hasSubs ? "      sub=${args[0]}; n=$((${#args[@]} - 1))\n"
                             : "      sub=; n=${#args[@]}\n");
    std::vector<std::string> valueOptions, valueLines, argLines;
    for (const Synopsis& form : w.forms) {
      for (const auto& [option, value] : form.options) {
        if (value.empty()) continue;
        addOnce(valueOptions, option);
        addOnce(commandValues, option);
        const Completion c = completionOf(w.name, value);
        if (!c.empty()) {
          addOnce(valueLines, "        " + bashWord(form.sub + " " + option) + ") " +
                                  completeWith(c) + "return ;;\n");
        }
      }
      for (size_t i = 0; i < form.positional.size(); ++i) {
        const Completion c = completionOf(w.name, form.positional[i]);
        if (c.empty()) continue;
        addOnce(argLines, "          " + bashWord(form.sub + " " + std::to_string(i)) + ") " +
                              completeWith(c) + ";;\n");
      }
    }
    if (!valueOptions.empty()) {
      commandCases << "      case \"$sub $prev\" in\n"
                   << join(valueLines, "") << "      esac\n"
                   << "      case $prev in\n        " << join(valueOptions, "|")
                   << ") return ;;\n      esac\n";
    }
    commandCases << "      if [[ $cur == -* ]]; then\n"
                 << "        COMPREPLY=($(compgen -W \"" << join(w.options) << "\" -- \"$cur\"))\n";
    if (hasSubs) {
      commandCases << "      elif ((n < 0)); then\n"
                   << "        COMPREPLY=($(compgen -W \"" << join(w.subcommands)
                   << "\" -- \"$cur\"))\n";
    }
    if (!argLines.empty()) {
      commandCases << "      else\n        case \"$sub $n\" in\n"
                   << join(argLines, "") << "        esac\n";
    }
    commandCases << "      fi ;;\n";
  }

  std::ostringstream s;
  s << "# bash completion for ax7ctl. Made from its command and option tables at build time.\n"
       "\n"
       "# Files (or only those with one of the extensions in $1) and directories.\n"
       "_ax7ctl_files() {\n"
       "  local f ext\n"
       "  COMPREPLY=()\n"
       "  compopt -o filenames 2>/dev/null\n"
       "  while IFS= read -r f; do\n"
       "    if [[ -d $f || -z $1 ]]; then COMPREPLY+=(\"$f\"); continue; fi\n"
       "    for ext in $1; do\n"
       "      if [[ ${f,,} == *.$ext ]]; then COMPREPLY+=(\"$f\"); break; fi\n"
       "    done\n"
       "  done < <(compgen -f -- \"$cur\")\n"
       "}\n"
       "\n"
       "_ax7ctl() {\n"
       "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
       "  local modefiles=\""
    << join(modeFileExtensions())
    << "\"\n"
       "  local cmd= sub= n i w\n"
       "  local -a args=()\n"
       "  COMPREPLY=()\n"
       "  # The command is the first word that is neither an option nor an option's value; its\n"
       "  # arguments are the words after it that are neither.\n"
       "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
       "    w=${COMP_WORDS[i]}\n"
       "    if [[ -z $cmd ]]; then\n"
       "      case $w in\n"
       "        "
    << join(globalValues, "|")
    << ") ((i++)); [[ ${COMP_WORDS[i]} == = ]] && ((i++)) ;;\n"
       "        -*) ;;\n"
       "        *) cmd=$w ;;\n"
       "      esac\n"
       "    else\n"
       "      case $w in\n"
       "        "
    << join(commandValues, "|")
    << ") ((i++)); [[ ${COMP_WORDS[i]} == = ]] && ((i++)) ;;\n"
       "        -*) ;;\n"
       "        *) args+=(\"$w\") ;;\n"
       "      esac\n"
       "    fi\n"
       "  done\n"
       "  if [[ -z $cmd ]]; then\n"
       "    case $prev in\n"
    << valueCases.str()
    << "    *)\n"
       "      if [[ $cur == -* ]]; then\n"
       "        COMPREPLY=($(compgen -W \""
    << join(globals)
    << "\" -- \"$cur\"))\n"
       "      else\n"
       "        COMPREPLY=($(compgen -W \""
    << join(commands)
    << "\" -- \"$cur\"))\n"
       "      fi ;;\n"
       "    esac\n"
       "    return 0\n"
       "  fi\n"
       "  case $cmd in\n"
    << commandCases.str()
    << "  esac\n"
       "  return 0\n"
       "}\n"
       "complete -F _ax7ctl ax7ctl\n";
  return s.str();
}

}  // namespace ax7::docs
