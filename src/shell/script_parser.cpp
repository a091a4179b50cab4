#include "shell/script_parser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace ax7::ui {

namespace {

using Kind = ScriptCommand::Kind;

// "a, b or c".
template <typename T, typename Text>
std::string listOf(const std::vector<T>& items, Text text) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += i + 1 == items.size() ? " or " : ", ";
    out += text(items[i]);
  }
  return out;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
  return s;
}

// Splits off the first word; `rest` keeps what follows, without leading spaces. A word that
// begins with '#' starts a comment: it and the rest of the line are dropped.
std::string_view nextWord(std::string_view& rest) {
  rest = trim(rest);
  if (!rest.empty() && rest.front() == '#') rest = {};
  size_t end = 0;
  while (end < rest.size() && !isSpace(rest[end])) ++end;
  const std::string_view word = rest.substr(0, end);
  rest = trim(rest.substr(end));
  return word;
}

std::optional<long long> toInteger(std::string_view word) {
  if (word.empty()) return std::nullopt;
  long long v = 0;
  const char* first = word.data();
  const char* last = word.data() + word.size();
  if (*first == '+') ++first;
  const auto [ptr, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || ptr != last) return std::nullopt;
  return v;
}

std::optional<double> toNumber(std::string_view word) {
  if (word.empty()) return std::nullopt;
  double v = 0;
  const char* first = word.data();
  const char* last = word.data() + word.size();
  if (*first == '+') ++first;
  const auto [ptr, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || ptr != last || !std::isfinite(v)) return std::nullopt;
  return v;
}

class LineReader {
 public:
  LineReader(std::string_view rest, ScriptError* error) : rest_(rest), error_(error) {}

  bool fail(std::string message) {
    error_->message = std::move(message);
    return false;
  }
  std::string_view word() { return nextWord(rest_); }
  bool atEnd() const { return rest_.empty() || rest_.front() == '#'; }

  // The rest of the line as one text (a field's text, a file name): either in double quotes,
  // where '#' is kept and \" and \\ stand for " and \, or up to a comment, without the
  // spaces around it.
  bool text(std::string* out) {
    out->clear();
    if (rest_.empty() || rest_.front() != '"') {
      size_t end = 0;
      while (end < rest_.size() && !(rest_[end] == '#' && (end == 0 || isSpace(rest_[end - 1])))) {
        ++end;
      }
      *out = std::string(trim(rest_.substr(0, end)));
      rest_ = {};
      return true;
    }
    for (size_t i = 1; i < rest_.size(); ++i) {
      const char c = rest_[i];
      if (c == '"') {
        rest_ = trim(rest_.substr(i + 1));
        return end();
      }
      if (c == '\\' && i + 1 < rest_.size() && (rest_[i + 1] == '"' || rest_[i + 1] == '\\')) {
        ++i;
      }
      out->push_back(rest_[i]);
    }
    return fail("missing '\"' at the end of the text");
  }

  // An integer in [lo, hi], called `what` in the message.
  bool integer(const char* what, long long lo, long long hi, long long* out) {
    const std::string_view w = word();
    if (w.empty()) return fail(std::string("missing ") + what);
    const auto v = toInteger(w);
    if (!v || *v < lo || *v > hi) {
      return fail(std::string(what) + " must be a whole number " + std::to_string(lo) + ".." +
                  std::to_string(hi) + ", not '" + std::string(w) + "'");
    }
    *out = *v;
    return true;
  }
  bool id(int* out) {
    long long v = 0;
    if (!integer("control id", 0, 0x7fffffff, &v)) return false;
    *out = int(v);
    return true;
  }
  bool end() {
    if (!atEnd()) return fail("unexpected '" + std::string(rest_) + "' at the end of the line");
    return true;
  }

 private:
  std::string_view rest_;
  ScriptError* error_;
};

bool parseLine(std::string_view text, const ScriptVocabulary& words, ScriptCommand* cmd,
               ScriptError* error) {
  LineReader r(text, error);
  const std::string_view name = r.word();
  long long v = 0;
  if (name == "page") {
    cmd->kind = Kind::Page;
    const std::string_view kind = r.word();
    const auto page =
        std::find_if(words.pages.begin(), words.pages.end(),
                     [&](const ScriptVocabulary::PageName& p) { return p.name == kind; });
    if (page == words.pages.end()) {
      const auto name = [](const ScriptVocabulary::PageName& p) { return p.name; };
      return r.fail("page must be " + listOf(words.pages, name) + ", not '" + std::string(kind) +
                    "'");
    }
    long long argument = 0;
    if (!r.atEnd() && !r.integer("page argument", 0, 7, &argument)) return false;
    cmd->numbers = {double(page->dialogId), double(argument)};
    return r.end();
  }
  if (name == "tool") {
    cmd->kind = Kind::Tool;
    if (!r.integer("tool window id", 0, 0x7fffffff, &v)) return false;
    if (std::find(words.tools.begin(), words.tools.end(), v) == words.tools.end()) {
      const auto id = [](int t) { return std::to_string(t); };
      return r.fail("tool window id must be " + listOf(words.tools, id) + ", not " +
                    std::to_string(v));
    }
    cmd->id = int(v);
    return r.end();
  }
  if (name == "click") {
    cmd->kind = Kind::Click;
    if (!r.id(&cmd->id)) return false;
    if (!r.atEnd()) {
      const std::string_view arrow = r.word();
      if (arrow != "up" && arrow != "down") {
        return r.fail("a spin box's arrow is up or down, not '" + std::string(arrow) + "'");
      }
      cmd->numbers = {arrow == "up" ? 1.0 : -1.0};
    }
    return r.end();
  }
  if (name == "set") {
    cmd->kind = Kind::Set;
    if (!r.id(&cmd->id)) return false;
    const std::string_view value = r.word();
    if (value.empty()) return r.fail("missing value");
    const auto number = toNumber(value);
    if (!number) return r.fail("value must be a number, not '" + std::string(value) + "'");
    cmd->numbers = {*number};
    cmd->text = std::string(value);
    return r.end();
  }
  if (name == "text") {
    cmd->kind = Kind::Text;
    if (!r.id(&cmd->id)) return false;
    return r.text(&cmd->text);  // may be empty: clears the field
  }
  if (name == "select") {
    cmd->kind = Kind::Select;
    if (!r.id(&cmd->id) || !r.integer("row", 0, 1 << 20, &v)) return false;
    cmd->numbers = {double(v)};
    return r.end();
  }
  if (name == "drag") {
    cmd->kind = Kind::Drag;
    if (!r.id(&cmd->id)) return false;
    for (const char* what : {"X1", "Y1", "X2", "Y2"}) {
      if (!r.integer(what, -100000, 100000, &v)) return false;
      cmd->numbers.push_back(double(v));
    }
    return r.end();
  }
  if (name == "key") {
    cmd->kind = Kind::Key;
    if (!r.id(&cmd->id)) return false;
    cmd->text = std::string(r.word());
    if (cmd->text.empty()) return r.fail("missing key name");
    return r.end();
  }
  if (name == "lang") {
    cmd->kind = Kind::Lang;
    const std::string_view which = r.word();
    if (which != "zh" && which != "en") {
      return r.fail("lang must be zh or en, not '" + std::string(which) + "'");
    }
    cmd->numbers = {which == "zh" ? 0.0 : 1.0};
    return r.end();
  }
  if (name == "wait") {
    cmd->kind = Kind::Wait;
    if (!r.integer("milliseconds", 0, 600000, &v)) return false;
    cmd->numbers = {double(v)};
    return r.end();
  }
  if (name == "shot" || name == "file") {
    cmd->kind = name == "shot" ? Kind::Shot : Kind::File;
    if (!r.text(&cmd->text)) return false;
    if (cmd->text.empty()) return r.fail("missing file name");
    return true;
  }
  if (name == "answer") {
    cmd->kind = Kind::Answer;
    const std::string_view which = r.word();
    const double answer = which == "yes" ? 0 : which == "no" ? 1 : which == "cancel" ? 2 : -1;
    if (answer < 0) return r.fail("answer must be yes, no or cancel, not '" + std::string(which) + "'");
    cmd->numbers = {answer};
    return r.end();
  }
  if (name == "undo" || name == "redo") {
    cmd->kind = name == "undo" ? Kind::Undo : Kind::Redo;
    return r.end();
  }
  if (name == "ab") {
    const std::string_view what = r.word();
    if (what != "store" && what != "switch") {
      return r.fail("ab must be followed by store or switch, not '" + std::string(what) + "'");
    }
    cmd->kind = what == "store" ? Kind::AbStore : Kind::AbSwitch;
    const std::string_view slot = r.word();
    if (slot.empty() && cmd->kind == Kind::AbSwitch) {
      cmd->numbers = {-1.0};
      return r.end();
    }
    if (slot != "A" && slot != "B" && slot != "a" && slot != "b") {
      return r.fail("slot must be A or B, not '" + std::string(slot) + "'");
    }
    cmd->numbers = {slot == "A" || slot == "a" ? 0.0 : 1.0};
    return r.end();
  }
  if (name == "history") {
    const std::string_view what = r.word();
    if (what == "open") {
      cmd->kind = Kind::HistoryOpen;
      return r.end();
    }
    if (what != "restore") {
      return r.fail("history must be followed by open or restore, not '" + std::string(what) + "'");
    }
    cmd->kind = Kind::HistoryRestore;
    if (!r.integer("snapshot row", 0, 1 << 20, &v)) return false;
    cmd->numbers = {double(v)};
    return r.end();
  }
  if (name == "quit") {
    cmd->kind = Kind::Quit;
    return r.end();
  }
  return r.fail("unknown command '" + std::string(name) + "'");
}

}  // namespace

bool ParseScript(std::string_view source, const ScriptVocabulary& words,
                 std::vector<ScriptCommand>* out, ScriptError* error) {
  std::vector<ScriptCommand> commands;
  int lineNumber = 0;
  while (!source.empty() || lineNumber == 0) {
    ++lineNumber;
    const size_t end = source.find('\n');
    const std::string_view line = source.substr(0, end);
    source = end == std::string_view::npos ? std::string_view() : source.substr(end + 1);
    const std::string_view text = trim(line);
    if (text.empty() || text.front() == '#') continue;
    if (text.find('\0') != std::string_view::npos) {
      *error = {lineNumber, "a NUL byte in the line"};
      return false;
    }
    ScriptCommand cmd;
    cmd.line = lineNumber;
    ScriptError lineError;
    if (!parseLine(text, words, &cmd, &lineError)) {
      *error = {lineNumber, lineError.message};
      return false;
    }
    commands.push_back(std::move(cmd));
  }
  *out = std::move(commands);
  return true;
}

}  // namespace ax7::ui
