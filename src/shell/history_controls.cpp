#include "shell/history_controls.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <QToolButton>
#include <QWidget>

#include "shell/app_state.h"
#include "shell/history_texts.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "shell/settings_history.h"

namespace ax7::ui {

namespace tx = history_text;

namespace {

template <typename W>
void setTextIfChanged(W* w, const QString& text) {
  if (w && w->text() != text) w->setText(text);
}
template <typename W>
void setToolTipIfChanged(W* w, const QString& text) {
  if (w && w->toolTip() != text) w->setToolTip(text);
}

}  // namespace

HistoryControls::HistoryControls(AppState& state, SettingsHistory& history, Ribbon& ribbon,
                                 QStatusBar& bar, QWidget* window,
                                 std::function<void()> openHistory)
    : QObject(window),
      state_(state),
      model_(history),
      ribbon_(ribbon),
      openHistory_(std::move(openHistory)) {
  undo_ = makeAction(window, [this] { model_.undo(); });
  undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  redo_ = makeAction(window, [this] { model_.redo(); });
  redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                       QKeySequence(Qt::CTRL | Qt::Key_Y)});
  switch_ = makeAction(window, [this] { model_.switchSlot(); });
  switch_->setShortcut(QKeySequence(Qt::Key_F9));
  storeA_ = makeAction(window, [this] { model_.storeSlot(0); });
  storeB_ = makeAction(window, [this] { model_.storeSlot(1); });
  history_ = makeAction(window, [this] {
    if (openHistory_) openHistory_();
  });
  history_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));

  // First on the tab row, in this order.
  int position = 0;
  undoButton_ = ribbon_.addTabRowButton(ID_BTN_UNDO, QString(), {}, position++);
  redoButton_ = ribbon_.addTabRowButton(ID_BTN_REDO, QString(), {}, position++);
  abButton_ = ribbon_.addTabRowButton(ID_BTN_AB, QString(), {}, position++);
  historyButton_ = ribbon_.addTabRowButton(ID_BTN_HISTORY, QString(), {}, position++);
  for (QToolButton* b : {undoButton_, redoButton_, abButton_, historyButton_}) {
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  }
  // The face switches; the arrow offers storing to either slot.
  auto* menu = new QMenu(abButton_);
  menu->addAction(storeA_);
  menu->addAction(storeB_);
  menu->addSeparator();
  menu->addAction(switch_);
  abButton_->setMenu(menu);
  abButton_->setPopupMode(QToolButton::MenuButtonPopup);
  // The tab row's style sheet styles no split button: give its arrow part a look of its own.
  abButton_->setStyleSheet(QStringLiteral(
      "QToolButton { padding-right: 18px; }"
      "QToolButton::menu-button { border: none; border-left: 1px solid #c5d6ec;"
      " background: transparent; width: 14px; }"
      "QToolButton::menu-arrow { width: 7px; height: 7px; }"));

  pane_ = new QLabel(&bar);
  pane_->setObjectName(QStringLiteral("historyPane"));
  bar.addWidget(pane_, 1);

  // A drag is one step: presses and releases anywhere in the program.
  qApp->installEventFilter(this);
  connect(&model_, &SettingsHistory::changed, this, &HistoryControls::update);
  update();
}

HistoryControls::~HistoryControls() {
  qApp->removeEventFilter(this);
}

QAction* HistoryControls::makeAction(QWidget* window, std::function<void()> run) {
  auto* action = new QAction(this);
  // Every window of the program answers the keys; the handlers refuse while a modal window
  // (a synchronisation, a question) is up.
  action->setShortcutContext(Qt::ApplicationShortcut);
  connect(action, &QAction::triggered, this, [this, run = std::move(run)] {
    run();
    update();
  });
  window->addAction(action);
  return action;
}

bool HistoryControls::handle(int id) {
  switch (id) {
    case ID_BTN_UNDO:
      undo_->trigger();
      return true;
    case ID_BTN_REDO:
      redo_->trigger();
      return true;
    case ID_BTN_AB:
      switch_->trigger();
      return true;
    case ID_BTN_HISTORY:
      history_->trigger();
      return true;
    default:
      return false;
  }
}

bool HistoryControls::eventFilter(QObject*, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
    model_.setHolding(true);
  } else if (event->type() == QEvent::MouseButtonRelease) {
    if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) model_.setHolding(false);
  }
  return false;
}

void HistoryControls::update() {
  const QString undoText = model_.undoText();
  const QString redoText = model_.redoText();
  const bool canUndo = model_.canUndo();
  const bool canRedo = model_.canRedo();
  const QString undoTip = canUndo && !undoText.isEmpty() ? undoText : state_.text(tx::kNothingToUndo);
  const QString redoTip = canRedo && !redoText.isEmpty() ? redoText : state_.text(tx::kNothingToRedo);

  undo_->setEnabled(canUndo);
  redo_->setEnabled(canRedo);
  setTextIfChanged(undo_, state_.text(tx::kUndo));
  setTextIfChanged(redo_, state_.text(tx::kRedo));
  for (auto [action, tip] : {std::pair{undo_, undoTip}, std::pair{redo_, redoTip}}) {
    setToolTipIfChanged(action, tip);
    if (action->statusTip() != tip) action->setStatusTip(tip);
  }
  undoButton_->setEnabled(canUndo);
  redoButton_->setEnabled(canRedo);
  setTextIfChanged(undoButton_, state_.text(tx::kUndo));
  setTextIfChanged(redoButton_, state_.text(tx::kRedo));
  setToolTipIfChanged(undoButton_, undoTip + QStringLiteral(" (Ctrl+Z)"));
  setToolTipIfChanged(redoButton_, redoTip + QStringLiteral(" (Ctrl+Shift+Z, Ctrl+Y)"));

  const QString slot = model_.slotText();
  setTextIfChanged(abButton_, state_.text(tx::kAbButton).arg(slot));
  const int live = model_.liveSlot();
  QString abTip = live < 0 ? state_.text(tx::kAbNoneLive)
                  : model_.liveDiffers()
                      ? state_.text(tx::kAbLiveChanged).arg(SettingsHistory::SlotName(live))
                      : state_.text(tx::kAbLive).arg(SettingsHistory::SlotName(live));
  abTip += QStringLiteral("\n") + state_.text(tx::kAbShortcut);
  setToolTipIfChanged(abButton_, abTip);
  setTextIfChanged(storeA_, state_.text(tx::kStoreA));
  setTextIfChanged(storeB_, state_.text(tx::kStoreB));
  setTextIfChanged(switch_, state_.text(tx::kSwitchAb));
  switch_->setEnabled(model_.slotStored(0) || model_.slotStored(1));

  setTextIfChanged(historyButton_, state_.text(tx::kHistoryButton));
  setTextIfChanged(history_, state_.text(tx::kHistoryTitle));
  setToolTipIfChanged(historyButton_, state_.text(tx::kHistoryTitle) + QStringLiteral(" (Ctrl+H)"));

  setTextIfChanged(pane_, undoTip + QStringLiteral("    A/B: ") + slot);
  setToolTipIfChanged(pane_, redoTip);
}

}  // namespace ax7::ui
