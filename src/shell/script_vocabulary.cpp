#include "pages/page_factory.h"
#include "shell/remote_access_window.h"
#include "shell/script_parser.h"

namespace ax7::ui {

const ScriptVocabulary& ProgramScriptVocabulary() {
  static const ScriptVocabulary words = [] {
    ScriptVocabulary w;
    for (const PageFactoryEntry& e : PageFactories())
      w.pages.push_back({e.scriptName, int(e.kind)});
    for (const ToolWindowFactoryEntry& e : ToolWindowFactories()) w.tools.push_back(e.dialogId);
    w.tools.push_back(kRemoteAccessWindow);  // the window's own, like the history
    return w;
  }();
  return words;
}

bool ParseScript(std::string_view source, std::vector<ScriptCommand>* out, ScriptError* error) {
  return ParseScript(source, ProgramScriptVocabulary(), out, error);
}

}  // namespace ax7::ui
