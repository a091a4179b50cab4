#pragma once
// The commands of an ax7-control --script file, one a line, read without Qt so the reader can be
// fuzzed on its own. Whether an id names a control is only known in the window, when the
// command runs; everything else is checked here.
#include <string>
#include <string_view>
#include <vector>

namespace ax7::ui {

struct ScriptCommand {
  enum class Kind {
    Page,    // page KIND [ARG]: numbers = {page kind's dialog id, argument}
    Tool,    // tool ID
    Click,   // click ID [up|down]: numbers = {} or {+1 up, -1 down} for a spin box's arrow
    Set,     // set ID VALUE: text = VALUE as written (a number)
    Text,    // text ID TEXT: text typed, then Enter (a table's: "ROW,COLUMN TEXT")
    Select,  // select ID ROW: numbers = {row}
    Drag,    // drag ID X1 Y1 X2 Y2: numbers = {x1, y1, x2, y2}
    Key,     // key ID KEYNAME: text = key name
    Lang,    // lang zh|en: numbers = {0 Chinese, 1 English}
    Wait,    // wait MS: numbers = {ms}
    Shot,    // shot FILE: text = file
    Answer,  // answer yes|no|cancel: numbers = {0 yes, 1 no, 2 cancel}
    File,    // file PATH: text = what the next file dialog returns
    Undo,    // undo
    Redo,    // redo
    AbStore,   // ab store A|B: numbers = {0 A, 1 B}
    AbSwitch,  // ab switch [A|B]: numbers = {0 A, 1 B, -1 the other one}
    HistoryOpen,     // history open
    HistoryRestore,  // history restore N: numbers = {row, 0 the newest snapshot}
    Quit,
  };
  Kind kind = Kind::Quit;
  int line = 0;  // 1-based
  int id = 0;
  std::vector<double> numbers;
  std::string text;
};

struct ScriptError {
  int line = 0;
  std::string message;
};

// The words that name the window's parts: the pages `page` accepts (name and the kind's dialog
// id) and the tool window ids `tool` accepts, in the order errors list them.
struct ScriptVocabulary {
  struct PageName {
    std::string name;
    int dialogId;
  };
  std::vector<PageName> pages;
  std::vector<int> tools;
};

// Reads the whole script. A word that begins with '#' starts a comment to the end of the line;
// blank lines and comment lines are skipped. TEXT and file names may be put in double quotes to
// keep a '#' or spaces at their ends. On the first bad line returns false with its number and
// what is wrong.
bool ParseScript(std::string_view source, const ScriptVocabulary& words,
                 std::vector<ScriptCommand>* out, ScriptError* error);

// The program's own words, from the factory tables of pages and tool windows (defined with the
// window, in script_vocabulary.cpp), and the script read with them.
const ScriptVocabulary& ProgramScriptVocabulary();
bool ParseScript(std::string_view source, std::vector<ScriptCommand>* out, ScriptError* error);

}  // namespace ax7::ui
