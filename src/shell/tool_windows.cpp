#include "shell/tool_windows.h"

#include <utility>

namespace ax7::ui {

void ToolWindows::define(int dialogId, Spec spec) {
  specs_[dialogId] = std::move(spec);
}

ToolWindow* ToolWindows::open(int dialogId) {
  auto it = specs_.find(dialogId);
  if (it == specs_.end()) return nullptr;
  const Spec& spec = it->second;
  if (spec.condition && !spec.condition()) return nullptr;

  QPointer<ToolWindow>& slot = windows_[dialogId];
  const bool created = !slot;
  if (created) {
    ToolWindow* w = spec.create(owner_);
    if (!w) return nullptr;
    w->setModal(false);
    w->setAttribute(Qt::WA_DeleteOnClose, !spec.hideOnClose);
    slot = w;
    w->ApplyLanguage();
  }
  ToolWindow* w = slot;
  if (spec.refreshOnOpen) w->RefreshAll();
  if (spec.textsOnOpen && !created) w->ApplyLanguage();
  if (spec.centre && owner_) {
    w->adjustSize();
    const QRect frame = owner_->window()->frameGeometry();
    w->move(frame.center() - QPoint(w->width() / 2, w->height() / 2));
  }
  w->show();
  w->raise();
  w->activateWindow();
  return w;
}

ToolWindow* ToolWindows::window(int dialogId) const {
  auto it = windows_.find(dialogId);
  return it == windows_.end() ? nullptr : it->second.data();
}

void ToolWindows::CloseToolWindows() {
  // The key-learning dialog runs modally inside a handler of the remote learning window: end
  // its loop first, so that handler can return before its window goes.
  if (ToolWindow* learning = std::exchange(keyLearning_, nullptr)) {
    learning->done(QDialog::Rejected);
  }
  for (int id : {kMachineSettingsWindow, kAutoSubWindow, kMusicAgcWindow, kMusicSourceWindow,
                 kRemoteLearningWindow}) {
    auto it = windows_.find(id);
    if (it == windows_.end()) continue;
    const QPointer<ToolWindow> w = it->second;
    windows_.erase(it);
    if (w) w->closeLater();
  }
}

std::vector<ToolWindow*> ToolWindows::openWindows() const {
  std::vector<ToolWindow*> out;
  for (const auto& [id, w] : windows_) {
    if (w && !w->closing()) out.push_back(w);
  }
  return out;
}

void ToolWindows::deliverLearnedCode(int code) {
  if (keyLearning_) keyLearning_->ShowLearnedCode(code);
}

void ToolWindows::RefreshWithPages() {
  for (ToolWindow* w : openWindows()) {
    auto it = specs_.find(w->dialogId());
    if (it != specs_.end() && it->second.refreshWithPages) w->RefreshAll();
  }
}

}  // namespace ax7::ui
