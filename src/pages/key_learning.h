#pragma once
// Learning one remote key: the key-learning dialog runs modally from a handler of the remote
// learning window and must be the dialog that message 1001 (the learned code) reaches.
#include <functional>

namespace ax7::ui {

class ToolWindow;

// Publishes `dialog` as the key-learning dialog, then sends the learn command (`sendLearn`), so
// a code that comes back at once already finds it; runs it modally from a handler of `owner`
// and clears the publication when it ends. Returns false when `owner` was closed meanwhile
// (the box went away or came back): the caller returns without touching `owner` again.
bool RunKeyLearning(ToolWindow& owner, ToolWindow& dialog, const std::function<void()>& sendLearn);

}  // namespace ax7::ui
