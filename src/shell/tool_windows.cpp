#include "shell/tool_windows.h"

#include <QLabel>
#include <QVBoxLayout>

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
    if (loadTexts_) loadTexts_(w, dialogId);
  }
  ToolWindow* w = slot;
  if (spec.refreshOnOpen) w->refresh();
  if (spec.textsOnOpen && !created && loadTexts_) loadTexts_(w, dialogId);
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
  for (int id : {kMachineSettingsWindow, kAutoSubWindow, kMusicAgcWindow, kMusicSourceWindow,
                 kRemoteLearningWindow}) {
    auto it = windows_.find(id);
    if (it == windows_.end()) continue;
    delete it->second.data();
    windows_.erase(it);
  }
}

std::vector<ToolWindow*> ToolWindows::openWindows() const {
  std::vector<ToolWindow*> out;
  for (const auto& [id, w] : windows_) {
    if (w) out.push_back(w);
  }
  return out;
}

PlaceholderToolWindow::PlaceholderToolWindow(int dialogId, const QString& title, QWidget* parent)
    : ToolWindow(dialogId, parent) {
  setWindowTitle(title);
  auto* label = new QLabel(title, this);
  label->setAlignment(Qt::AlignCenter);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  resize(360, 200);
}

}  // namespace ax7::ui
