#include "docs/completion.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "cli/command.h"
#include "cli/options.h"
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

void addOnce(std::vector<std::string>& list, const std::string& word) {
  if (std::find(list.begin(), list.end(), word) == list.end()) list.push_back(word);
}

std::string trimBrackets(std::string w) {
  while (!w.empty() && (w.front() == '[' || w.front() == '(')) w.erase(w.begin());
  while (!w.empty() && (w.back() == ']' || w.back() == ')' || w.back() == ',')) w.pop_back();
  return w;
}

std::string join(const std::vector<std::string>& words) {
  std::string out;
  for (const std::string& w : words) out += (out.empty() ? "" : " ") + w;
  return out;
}

// The global option's first long name ("-h, --help" gives "--help" and "-h").
std::vector<std::string> optionNames(const cli::OptionDoc& doc) {
  std::vector<std::string> names;
  std::istringstream in(doc.names);
  for (std::string w; in >> w;) names.push_back(trimBrackets(w));
  return names;
}

bool mentionsModeFile(const char* help) {
  return std::string(help).find("mode file") != std::string::npos;
}

}  // namespace

CommandWords commandWords(const char* name, const char* usage) {
  CommandWords words;
  words.name = name;
  std::istringstream lines(usage);
  const std::string lead = std::string("ax7ctl ") + name;
  for (std::string line; std::getline(lines, line);) {
    const size_t at = line.find(lead);
    const std::string before = line.substr(0, at == std::string::npos ? 0 : at);
    const bool synopsis =
        at != std::string::npos &&
        (before == "usage: " || before.find_first_not_of(' ') == std::string::npos);
    if (!synopsis) continue;
    std::istringstream in(line.substr(at + lead.size()));
    std::vector<std::string> tokens;
    for (std::string w; in >> w;) tokens.push_back(trimBrackets(w));
    bool first = true;
    for (size_t i = 0; i < tokens.size(); ++i) {
      const std::string& w = tokens[i];
      if (w.rfind("--", 0) == 0) {
        addOnce(words.options, w);
        if (i + 1 < tokens.size() && isUpperWord(tokens[i + 1])) {
          addOnce(words.valueOptions, w);
          if (tokens[i + 1] == "FILE") addOnce(words.fileOptions, w);
          ++i;
        }
      } else if (first && isLowerWord(w)) {
        addOnce(words.subcommands, w);
      } else if (w == "FILE" || w == "IN" || w == "OUT") {
        words.takesFiles = true;
      }
      first = false;
    }
  }
  addOnce(words.options, "--help");
  return words;
}

const std::vector<std::string>& modeFileExtensions() {
  static const std::vector<std::string> extensions = {"px44t", "json"};
  return extensions;
}

std::string bashCompletion() {
  std::vector<std::string> globals, globalValues, commands;
  std::ostringstream valueCases;
  for (const cli::OptionDoc& doc : cli::globalOptionDocs()) {
    for (const std::string& n : optionNames(doc)) addOnce(globals, n);
    if (!doc.value) continue;
    const std::string name = optionNames(doc).back();
    addOnce(globalValues, name);
    const std::string value = doc.value;
    valueCases << "    " << name << ") ";
    if (value.find('|') != std::string::npos) {
      std::string choices = value;
      std::replace(choices.begin(), choices.end(), '|', ' ');
      valueCases << "COMPREPLY=($(compgen -W \"" << choices << "\" -- \"$cur\")) ;;\n";
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
  std::ostringstream commandCases;
  for (const cli::CommandSpec* spec : cli::commandTable()) {
    commands.push_back(spec->name);
    const CommandWords w = commandWords(spec->name, spec->usage);
    commandCases << "    " << w.name << ")\n";
    if (!w.valueOptions.empty()) {
      commandCases << "      case $prev in\n";
      for (const std::string& o : w.valueOptions) {
        const bool file =
            std::find(w.fileOptions.begin(), w.fileOptions.end(), o) != w.fileOptions.end();
        commandCases << "        " << o << ") " << (file ? "_ax7ctl_files \"$modefiles\"; " : "")
                     << "return ;;\n";
      }
      commandCases << "      esac\n";
    }
    commandCases << "      if [[ $cur == -* ]]; then\n"
                 << "        COMPREPLY=($(compgen -W \"" << join(w.options) << "\" -- \"$cur\"))\n";
    if (!w.subcommands.empty()) {
      commandCases << "      elif [[ -z $sub ]]; then\n"
                   << "        COMPREPLY=($(compgen -W \"" << join(w.subcommands)
                   << "\" -- \"$cur\"))\n";
    }
    if (w.takesFiles) commandCases << "      else\n        _ax7ctl_files \"$modefiles\"\n";
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
       "  local cmd= sub= i w\n"
       "  # The command is the first word that is neither an option nor an option's value.\n"
       "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
       "    w=${COMP_WORDS[i]}\n"
       "    if [[ -z $cmd ]]; then\n"
       "      case $w in\n"
       "        "
    <<
      [&] {
        std::string alts;
        for (const std::string& o : globalValues) alts += (alts.empty() ? "" : "|") + o;
        return alts;
      }()
    << ") ((i++)); [[ ${COMP_WORDS[i]} == = ]] && ((i++)) ;;\n"
       "        -*) ;;\n"
       "        *) cmd=$w ;;\n"
       "      esac\n"
       "    elif [[ -z $sub && $w != -* ]]; then\n"
       "      sub=$w\n"
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
