#include "shell/script_runner.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "pages/spin_buttons.h"
#include "pages/step_slider.h"
#include "shell/app_state.h"
#include "shell/history_window.h"
#include "shell/main_window.h"
#include "shell/page_host.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "shell/settings_history.h"
#include "shell/tool_windows.h"

namespace ax7::ui {

namespace {

void printLine(const QString& text) {
  std::fprintf(stderr, "ax7-control: %s\n", text.toLocal8Bit().constData());
  std::fflush(stderr);
}

QString oneLine(QString text) {
  return text.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace('\n', ' ');
}

const char* answerName(Answer a) {
  return a == Answer::Yes ? "yes" : a == Answer::No ? "no" : "cancel";
}

QString idText(int id) { return QString::number(id); }

void sendMouse(QWidget* w, QEvent::Type type, QPointF local, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
  const QPointF scene = w->mapTo(w->window(), local);
  const QPointF global = w->mapToGlobal(local);
  QMouseEvent event(type, local, scene, global, button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

void sendKey(QWidget* w, int key, Qt::KeyboardModifiers mods, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(w, &release);
}

QWidget* findById(QWidget* root, int id) {
  if (!root) return nullptr;
  auto matches = [id](const QObject* o) {
    const QVariant v = o->property(kIdProperty);
    return v.isValid() && v.toInt() == id;
  };
  if (matches(root)) return root;
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (matches(w)) return w;
  }
  return nullptr;
}

}  // namespace

// ---- ScriptPrompter ----

Answer ScriptPrompter::ask(const QString& text, const QString& caption) {
  printLine(QString("question: %1: %2 -> %3").arg(caption, oneLine(text), answerName(answer)));
  return answer;
}
Answer ScriptPrompter::askYesNo(QWidget*, const QString& text, const QString& caption) {
  // A Cancel the script chose means No where there is no Cancel button.
  const Answer a = ask(text, caption);
  return a == Answer::Cancel ? Answer::No : a;
}
Answer ScriptPrompter::askYesNoCancel(QWidget*, const QString& text, const QString& caption) {
  return ask(text, caption);
}
void ScriptPrompter::showError(QWidget*, const QString& text, const QString& caption) {
  printLine(QString("error: %1: %2").arg(caption, oneLine(text)));
}
void ScriptPrompter::showWarning(QWidget*, const QString& text, const QString& caption) {
  printLine(QString("warning: %1: %2").arg(caption, oneLine(text)));
}
void ScriptPrompter::showInformation(QWidget*, const QString& text, const QString& caption) {
  printLine(QString("information: %1: %2").arg(caption, oneLine(text)));
}
QString ScriptPrompter::openFileName(QWidget*, const QString&) { return file; }
QString ScriptPrompter::saveFileName(QWidget*, const QString&, const QString&, const QString&) {
  return file;
}

// ---- ScriptRunner ----

ScriptRunner::ScriptRunner(MainWindow& window, QString scriptName,
                           std::vector<ScriptCommand> commands, ScriptPrompter* prompter,
                           QObject* parent)
    : QObject(parent),
      window_(window),
      name_(std::move(scriptName)),
      commands_(std::move(commands)),
      prompter_(prompter) {}

void ScriptRunner::start() { QTimer::singleShot(0, this, &ScriptRunner::step); }

void ScriptRunner::fail(int line, const QString& why) {
  printLine(QString("%1:%2: %3").arg(name_).arg(line).arg(why));
  done_ = true;
  emit finished(2);
}

void ScriptRunner::step() {
  if (done_ || next_ >= commands_.size()) return;
  const ScriptCommand& cmd = commands_[next_++];
  // The trace shows which line of the script sent which reports.
  const std::string mark = "script line " + std::to_string(cmd.line);
  window_.state().core.ui.phase(mark.c_str());
  QString why;
  int waitMs = 0;
  if (!run(cmd, &why, &waitMs)) {
    fail(cmd.line, why);
    return;
  }
  if (done_) return;
  // Queued: what the command started (queued signals, repaints) happens before the next one.
  QTimer::singleShot(waitMs, this, &ScriptRunner::step);
}

ToolWindow* ScriptRunner::frontToolWindow() const {
  const std::vector<ToolWindow*> open = window_.tools().openWindows();
  auto visible = [](ToolWindow* w) { return w && w->isVisible(); };
  for (ToolWindow* w : open) {
    if (visible(w) && w == QApplication::activeWindow()) return w;
  }
  if (visible(lastTool_)) return lastTool_;
  for (auto it = open.rbegin(); it != open.rend(); ++it) {
    if (visible(*it)) return *it;
  }
  return nullptr;
}

QWidget* ScriptRunner::control(int id, QString* why) const {
  QWidget* w = findControl(id);
  if (!w) *why = "no control with id " + idText(id);
  return w;
}

QWidget* ScriptRunner::findControl(int id) const {
  if (QWidget* w = findById(frontToolWindow(), id)) return w;
  if (QWidget* w = findById(window_.pages().currentPage(), id)) return w;
  if (QWidget* w = window_.ribbon().control(id)) return w;
  return findById(window_.statusBar(), id);  // EQ bypass and EQ reset
}

bool ScriptRunner::run(const ScriptCommand& cmd, QString* why, int* waitMs) {
  using Kind = ScriptCommand::Kind;
  switch (cmd.kind) {
    case Kind::Page:
      window_.ShowPage(PageKind(int(cmd.numbers[0])), int(cmd.numbers[1]));
      return true;
    case Kind::Tool: {
      ToolWindow* w = window_.tools().open(cmd.id);
      if (!w) {
        *why = QString("tool window %1 cannot be opened now").arg(cmd.id);
        return false;
      }
      lastTool_ = w;
      return true;
    }
    case Kind::Click:
      return click(cmd, why);
    case Kind::Set:
      return set(cmd, why);
    case Kind::Text:
      return text(cmd, why);
    case Kind::Select: {
      QWidget* w = control(cmd.id, why);
      if (!w) return false;
      return select(w, int(cmd.numbers[0]), why);
    }
    case Kind::Drag:
      return drag(cmd, why);
    case Kind::Key:
      return key(cmd, why);
    case Kind::Lang: {
      const int want = int(cmd.numbers[0]);
      if (window_.state().g_nLanguage == want) return true;
      auto* button = window_.ribbon().controlAs<QAbstractButton>(ID_BTN_LANGUAGE);
      if (!button) {
        *why = "the language button is missing";
        return false;
      }
      button->click();
      return true;
    }
    case Kind::Wait:
      *waitMs = int(cmd.numbers[0]);
      return true;
    case Kind::Shot: {
      QWidget* target = frontToolWindow();
      if (!target) target = &window_;
      const QString path = QString::fromStdString(cmd.text);
      if (!target->grab().save(path)) {
        *why = "cannot write the screenshot " + path;
        return false;
      }
      return true;
    }
    case Kind::Answer:
      if (prompter_) prompter_->answer = Answer(int(cmd.numbers[0]));
      return true;
    case Kind::File:
      if (prompter_) prompter_->file = QString::fromStdString(cmd.text);
      return true;
    case Kind::Undo:
    case Kind::Redo: {
      SettingsHistory& history = window_.history();
      const bool undo = cmd.kind == Kind::Undo;
      history.endTurn();  // the previous command's edit is a step of its own
      if (undo ? !history.canUndo() : !history.canRedo()) {
        *why = undo ? "nothing to undo" : "nothing to redo";
        return false;
      }
      // An undo the user declined (across a synchronisation) is not a failure of the script.
      undo ? history.undo() : history.redo();
      return true;
    }
    case Kind::AbStore:
      window_.history().storeSlot(int(cmd.numbers[0]));
      return true;
    case Kind::AbSwitch: {
      using Refusal = SettingsHistory::SwitchRefusal;
      Refusal refused = Refusal::kNone;
      if (window_.history().switchSlot(int(cmd.numbers[0]), &refused) < 0) {
        const char* reason = refused == Refusal::kBusy ? "a window is waiting for an answer"
                             : refused == Refusal::kNothingLive ? "neither A nor B was stored"
                             : refused == Refusal::kEmpty
                                 ? "the slot is empty"
                                 : "the current settings could not be kept as a "
                                   "snapshot and the question was answered no";
        *why = QString("no A/B switch: ") + reason;
        return false;
      }
      return true;
    }
    case Kind::HistoryOpen: {
      ToolWindow* w = window_.tools().open(kHistoryWindow);
      if (!w) {
        *why = "the history window cannot be opened now";
        return false;
      }
      lastTool_ = w;
      return true;
    }
    case Kind::HistoryRestore: {
      const std::vector<history::Snapshot> list = window_.history().store().list();
      const size_t row = size_t(cmd.numbers[0]);
      if (row >= list.size()) {
        *why = QString("no snapshot %1 (there are %2)").arg(row).arg(list.size());
        return false;
      }
      if (window_.history().restore(list[row]) < 0) {
        *why = QString("snapshot %1 was not restored").arg(row);
        return false;
      }
      return true;
    }
    case Kind::Quit:
      return quit();
  }
  return true;
}

bool ScriptRunner::click(const ScriptCommand& cmd, QString* why) {
  QWidget* w = findControl(cmd.id);
  if (!w) {
    // Menu items (application menu, mode menus) are actions, not widgets.
    if (QAction* action = window_.ribbon().action(cmd.id)) {
      action->trigger();
      return true;
    }
    *why = "no control with id " + idText(cmd.id);
    return false;
  }
  if (!w->isEnabled()) {
    *why = QString("control %1 is disabled").arg(cmd.id);
    return false;
  }
  auto* spin = qobject_cast<SpinButtons*>(w);
  auto* spinBox = qobject_cast<QAbstractSpinBox*>(w);
  if (!cmd.numbers.empty()) {
    const bool up = cmd.numbers[0] > 0;
    if (spin) {
      (up ? spin->upButton() : spin->downButton())->click();
    } else if (spinBox) {
      up ? spinBox->stepUp() : spinBox->stepDown();
      emit spinBox->editingFinished();
    } else {
      *why = QString("control %1 (%2) has no arrows").arg(cmd.id).arg(w->metaObject()->className());
      return false;
    }
    return true;
  }
  if (spin || spinBox) {
    *why = QString("control %1 is a spin box: click %1 up, or click %1 down").arg(cmd.id);
    return false;
  }
  if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    button->click();
    return true;
  }
  const QPointF centre = QRectF(w->rect()).center();
  sendMouse(w, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
  sendMouse(w, QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);
  return true;
}

bool ScriptRunner::set(const ScriptCommand& cmd, QString* why) {
  QWidget* w = control(cmd.id, why);
  if (!w) return false;
  if (!w->isEnabled()) {
    *why = QString("control %1 is disabled").arg(cmd.id);
    return false;
  }
  const double value = cmd.numbers[0];
  const bool whole = value == std::floor(value);
  const QString written = QString::fromStdString(cmd.text);
  if (auto* box = qobject_cast<QDoubleSpinBox*>(w)) {
    if (value < box->minimum() || value > box->maximum()) {
      *why = QString("%1 is outside %2..%3").arg(written).arg(box->minimum()).arg(box->maximum());
      return false;
    }
    box->setValue(value);
    emit box->editingFinished();
    return true;
  }
  if (!whole) {
    *why = QString("control %1 takes a whole number, not %2").arg(cmd.id).arg(written);
    return false;
  }
  const int v = int(value);
  if (auto* slider = qobject_cast<QAbstractSlider*>(w)) {
    if (value < slider->minimum() || value > slider->maximum()) {
      *why = QString("%1 is outside %2..%3").arg(written).arg(slider->minimum()).arg(
          slider->maximum());
      return false;
    }
    if (auto* step = qobject_cast<StepSlider*>(slider)) {
      // One drag of the thumb straight to the value: moved, then reported once.
      const int before = step->value();
      step->setValue(v);
      if (step->value() != before) emit step->userMoved(step->value());
      return true;
    }
    slider->setSliderDown(true);
    slider->setSliderPosition(v);
    slider->setSliderDown(false);
    return true;
  }
  if (auto* box = qobject_cast<QSpinBox*>(w)) {
    if (value < box->minimum() || value > box->maximum()) {
      *why = QString("%1 is outside %2..%3").arg(written).arg(box->minimum()).arg(box->maximum());
      return false;
    }
    box->setValue(v);
    emit box->editingFinished();
    return true;
  }
  if (auto* button = qobject_cast<QAbstractButton*>(w); button && button->isCheckable()) {
    if (v != 0 && v != 1) {
      *why = QString("control %1 takes 0 or 1, not %2").arg(cmd.id).arg(written);
      return false;
    }
    if (button->isChecked() != (v == 1)) button->click();
    return true;
  }
  if (qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractItemView*>(w) ||
      qobject_cast<QTabBar*>(w) || qobject_cast<QTabWidget*>(w)) {
    return select(w, v, why);
  }
  *why = QString("control %1 (%2) takes no value").arg(cmd.id).arg(w->metaObject()->className());
  return false;
}

bool ScriptRunner::select(QWidget* w, int row, QString* why) {
  auto outside = [&](int count) {
    *why = QString("row %1 is outside 0..%2").arg(row).arg(count - 1);
    return false;
  };
  if (auto* combo = qobject_cast<QComboBox*>(w)) {
    if (row >= combo->count()) return outside(combo->count());
    // What choosing an item from the list does: the index changes, then activated.
    combo->setCurrentIndex(row);
    emit combo->activated(row);
    emit combo->textActivated(combo->itemText(row));
    return true;
  }
  if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
    QAbstractItemModel* model = view->model();
    const int count = model ? model->rowCount(view->rootIndex()) : 0;
    if (row >= count) return outside(count);
    const QModelIndex index = model->index(row, 0, view->rootIndex());
    view->scrollTo(index);
    const QPointF centre = QRectF(view->visualRect(index)).center();
    QWidget* viewport = view->viewport();
    sendMouse(viewport, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
    sendMouse(viewport, QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);
    return true;
  }
  if (auto* tabs = qobject_cast<QTabBar*>(w)) {
    if (row >= tabs->count()) return outside(tabs->count());
    tabs->setCurrentIndex(row);
    return true;
  }
  if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
    if (row >= tabs->count()) return outside(tabs->count());
    tabs->setCurrentIndex(row);
    return true;
  }
  *why = QString("control (%1) has no rows").arg(w->metaObject()->className());
  return false;
}

bool ScriptRunner::text(const ScriptCommand& cmd, QString* why) {
  QWidget* w = control(cmd.id, why);
  if (!w) return false;
  if (auto* view = qobject_cast<QAbstractItemView*>(w)) return cellText(view, cmd, why);
  QWidget* target = nullptr;
  if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    edit->selectAll();
    target = edit;
  } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
    spin->selectAll();
    target = spin;
  } else if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->isEditable()) {
    combo->lineEdit()->selectAll();
    target = combo->lineEdit();
  }
  if (!target) {
    *why = QString("control %1 (%2) takes no text").arg(cmd.id).arg(w->metaObject()->className());
    return false;
  }
  if (!target->isEnabled()) {
    *why = QString("control %1 is disabled").arg(cmd.id);
    return false;
  }
  target->setFocus(Qt::OtherFocusReason);
  // Typed as one key event carrying the whole text (replacing the selection), then Enter.
  const QString typed = QString::fromStdString(cmd.text);
  if (typed.isEmpty()) {
    sendKey(target, Qt::Key_Delete, Qt::NoModifier, QString());
  } else {
    sendKey(target, Qt::Key_unknown, Qt::NoModifier, typed);
  }
  sendKey(target, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  return true;
}

bool ScriptRunner::cellText(QAbstractItemView* view, const ScriptCommand& cmd, QString* why) {
  // "ROW,COLUMN TEXT": the cell is made current, opened for editing as a double click does,
  // TEXT is typed (or chosen, when the cell edits through a list) and Enter confirms it.
  const QString all = QString::fromStdString(cmd.text);
  const qsizetype space = all.indexOf(' ');
  const QString place = space < 0 ? all : all.left(space);
  const QString typed = space < 0 ? QString() : all.mid(space + 1).trimmed();
  const QStringList parts = place.split(',');
  bool rowOk = false, columnOk = false;
  const int row = parts.size() == 2 ? parts[0].toInt(&rowOk) : -1;
  const int column = parts.size() == 2 ? parts[1].toInt(&columnOk) : -1;
  if (!rowOk || !columnOk || row < 0 || column < 0) {
    *why = QString("control %1 is a table: text %1 ROW,COLUMN TEXT, not '%2'").arg(cmd.id).arg(all);
    return false;
  }
  QAbstractItemModel* model = view->model();
  const int rows = model ? model->rowCount(view->rootIndex()) : 0;
  const int columns = model ? model->columnCount(view->rootIndex()) : 0;
  if (row >= rows || column >= columns) {
    *why = QString("cell %1,%2 is outside the table (%3 rows, %4 columns)")
               .arg(row)
               .arg(column)
               .arg(rows)
               .arg(columns);
    return false;
  }
  if (!view->isEnabled() || !view->isVisible()) {
    *why = QString("control %1 is %2").arg(cmd.id).arg(view->isEnabled() ? "hidden" : "disabled");
    return false;
  }
  const QModelIndex index = model->index(row, column, view->rootIndex());
  if (!(model->flags(index) & Qt::ItemIsEditable)) {
    *why = QString("cell %1,%2 cannot be edited").arg(row).arg(column);
    return false;
  }
  view->scrollTo(index);
  view->setCurrentIndex(index);
  view->setFocus(Qt::OtherFocusReason);
  view->edit(index);
  QWidget* editor = view->indexWidget(index);
  if (!editor) {
    *why = QString("cell %1,%2 did not open for editing").arg(row).arg(column);
    return false;
  }
  if (auto* list = qobject_cast<QComboBox*>(editor)) {
    const int item = list->findText(typed, Qt::MatchFixedString);
    if (item < 0) {
      QStringList items;
      for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
      *why = QString("'%1' is not in the list of cell %2,%3: %4")
                 .arg(typed)
                 .arg(row)
                 .arg(column)
                 .arg(items.join(", "));
      sendKey(editor, Qt::Key_Escape, Qt::NoModifier, QString());
      return false;
    }
    list->setCurrentIndex(item);
  } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
    edit->selectAll();
    if (typed.isEmpty()) {
      sendKey(edit, Qt::Key_Delete, Qt::NoModifier, QString());
    } else {
      sendKey(edit, Qt::Key_unknown, Qt::NoModifier, typed);
    }
  } else {
    *why = QString("cell %1,%2 takes no text").arg(row).arg(column);
    sendKey(editor, Qt::Key_Escape, Qt::NoModifier, QString());
    return false;
  }
  // The view's delegate commits on Enter and closes the editor.
  sendKey(editor, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  return true;
}

bool ScriptRunner::drag(const ScriptCommand& cmd, QString* why) {
  QWidget* w = control(cmd.id, why);
  if (!w) return false;
  const QPointF from(cmd.numbers[0], cmd.numbers[1]);
  const QPointF to(cmd.numbers[2], cmd.numbers[3]);
  // About one move per two pixels, as a hand would send them, and at least one.
  const double distance = std::hypot(to.x() - from.x(), to.y() - from.y());
  const int steps = std::clamp(int(distance / 2), 1, 400);
  sendMouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  for (int i = 1; i <= steps; ++i) {
    const QPointF at = from + (to - from) * (double(i) / steps);
    sendMouse(w, QEvent::MouseMove, QPointF(std::round(at.x()), std::round(at.y())), Qt::NoButton,
              Qt::LeftButton);
    QApplication::processEvents();
  }
  sendMouse(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
  return true;
}

bool ScriptRunner::key(const ScriptCommand& cmd, QString* why) {
  QWidget* w = control(cmd.id, why);
  if (!w) return false;
  const QString name = QString::fromStdString(cmd.text);
  const QKeySequence sequence = QKeySequence::fromString(name, QKeySequence::PortableText);
  if (sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown) {
    *why = "unknown key '" + name + "'";
    return false;
  }
  const QKeyCombination combination = sequence[0];
  const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
  const int k = combination.key();
  QString text;
  if (k >= 0x20 && k < 0x7f && !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
    text = QChar(k);
    if (!(mods & Qt::ShiftModifier)) text = text.toLower();
  }
  w->setFocus(Qt::OtherFocusReason);
  sendKey(w, k, mods, text);
  return true;
}

bool ScriptRunner::quit() {
  done_ = true;
  // As closing the window: the close handler asks about unsaved settings (the prompter answers).
  if (window_.close()) {
    emit finished(0);
  } else {
    done_ = false;  // the question was cancelled: the window stays and the script goes on
  }
  return true;
}

}  // namespace ax7::ui
