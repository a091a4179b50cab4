// ax7-control --script files are written by hand or by other programs: no byte sequence may
// crash the reader, a refusal names a line that exists, and what is accepted holds only the
// commands and values the window knows how to carry out. A comment at the end of every line of
// an accepted script changes none of its commands.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "shell/script_parser.h"

namespace {

// The reader takes its page names and tool ids from its caller; any will do here.
const ax7::ui::ScriptVocabulary kWords{{{"music", 313}, {"output", 385}, {"room", 334}},
                                       {335, 512}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using ax7::ui::ScriptCommand;
  const std::string_view source(reinterpret_cast<const char*>(data), size);
  const long lines = long(std::count(source.begin(), source.end(), '\n')) + 1;
  std::vector<ScriptCommand> commands;
  ax7::ui::ScriptError error;
  if (!ax7::ui::ParseScript(source, kWords, &commands, &error)) {
    if (error.line < 1 || error.line > lines || error.message.empty()) std::abort();
    return 0;
  }
  int previous = 0;
  for (const ScriptCommand& c : commands) {
    if (c.line <= previous || c.line > lines || c.id < 0) std::abort();
    previous = c.line;
    switch (c.kind) {
      case ScriptCommand::Kind::Drag:
        if (c.numbers.size() != 4) std::abort();
        break;
      case ScriptCommand::Kind::Page:
        if (c.numbers.size() != 2 || c.numbers[1] < 0 || c.numbers[1] > 7) std::abort();
        break;
      case ScriptCommand::Kind::Wait:
        if (c.numbers.size() != 1 || c.numbers[0] < 0 || c.numbers[0] > 600000) std::abort();
        break;
      case ScriptCommand::Kind::AbStore:
        if (c.numbers.size() != 1 || (c.numbers[0] != 0 && c.numbers[0] != 1)) std::abort();
        break;
      case ScriptCommand::Kind::AbSwitch:
        if (c.numbers.size() != 1 || c.numbers[0] < -1 || c.numbers[0] > 1) std::abort();
        break;
      case ScriptCommand::Kind::HistoryRestore:
        if (c.numbers.size() != 1 || c.numbers[0] < 0) std::abort();
        break;
      case ScriptCommand::Kind::Click:
        if (!c.numbers.empty() &&
            (c.numbers.size() != 1 || (c.numbers[0] != 1 && c.numbers[0] != -1))) {
          std::abort();
        }
        break;
      case ScriptCommand::Kind::Shot:
      case ScriptCommand::Kind::File:
      case ScriptCommand::Kind::Key:
        if (c.text.empty()) std::abort();
        break;
      default:
        break;
    }
  }

  std::string commented;
  for (char ch : source) {
    if (ch == '\n') commented += " # note";
    commented += ch;
  }
  commented += " # note";
  std::vector<ScriptCommand> again;
  if (!ax7::ui::ParseScript(commented, kWords, &again, &error) || again.size() != commands.size()) {
    std::abort();
  }
  for (size_t i = 0; i < commands.size(); ++i) {
    const ScriptCommand& a = commands[i];
    const ScriptCommand& b = again[i];
    if (a.kind != b.kind || a.line != b.line || a.id != b.id || a.numbers != b.numbers ||
        a.text != b.text) {
      std::abort();
    }
  }
  return 0;
}
