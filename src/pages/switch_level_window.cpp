#include "pages/switch_level_window.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "core/core.h"
#include "pages/dialog_texts.h"
#include "pages/value_row.h"

namespace ax7::ui {

SwitchLevelWindow::SwitchLevelWindow(PageContext& context, const Spec& spec, QWidget* owner)
    : ToolWindow(context, spec.dialogId, owner), spec_(spec) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(14, 12, 14, 12);
  layout->setSpacing(10);
  explanation_ = new QLabel(this);
  explanation_->setProperty("ax7Id", kExplanationId);
  explanation_->setWordWrap(true);
  layout->addWidget(explanation_);
  switch_ = new QCheckBox("ON", this);
  switch_->setProperty("ax7Id", 1045);
  layout->addWidget(switch_);
  level_ = new ValueRow(1123, 1000, 1127, spec.minimum, spec.maximum,
                        spec.format, Qt::Horizontal, this);
  level_->slider()->setMinimumWidth(200);
  layout->addWidget(level_);
  layout->addStretch();

  connect(switch_, &QCheckBox::clicked, this, [this](bool on) {
    this->context().core().ui.SetParam(spec_.switchParam, on ? 1 : 0);
    showEnabled(on);
  });
  connect(level_, &ValueRow::userMoved, this, [this](int p) { sendPosition(p); });
  resize(380, 170);
}

void SwitchLevelWindow::RefreshAll() {
  const bool on = context().core().mem.pc.getInt(size_t(Describe(spec_.switchParam).word)) != 0;
  switch_->setChecked(on);
  level_->setPosition(storedPosition());
  showEnabled(on);
}

void SwitchLevelWindow::ApplyLanguage() {
  // The pair first, so a table without a title still leaves the window in the new language.
  setWindowTitle(context().text(spec_.title));
  explanation_->setText(context().text(spec_.explanation));
  ToolWindow::ApplyLanguage();
  const auto& table = context().dialogTable();
  level_->setTitle(DialogCaption(table, dialogId(), 1123, level_->title()->text()));
}

void SwitchLevelWindow::showEnabled(bool on) {
  // The stored proportion stays visible while the switch is off.
  level_->title()->setEnabled(on);
  level_->slider()->setEnabled(on);
  level_->valueLabel()->setEnabled(on);
}

void SwitchLevelWindow::keyPressEvent(QKeyEvent* event) {
  // Enter has no default button to press here; Esc still cancels.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  ToolWindow::keyPressEvent(event);
}

}  // namespace ax7::ui
