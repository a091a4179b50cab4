#pragma once
// Runs an ax7-control --script in the window, one command after another from the event loop,
// acting on the controls as a person would: buttons are clicked, sliders moved with their own
// signals, text typed and confirmed with Enter, drags and keys sent as input events. Controls
// are found by their ids: in the front tool window, then the current page, then the ribbon.
#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

#include "pages/prompter.h"
#include "shell/script_parser.h"

class QAbstractItemView;
class QAction;
class QWidget;

namespace ax7::ui {

class MainWindow;
class ToolWindow;

// Questions and messages during a script: nobody is there to close a box, so messages are
// written to stderr and questions get the answer the script chose last (`answer`, No at first);
// file dialogs return the path of the last `file` command (cancelled without one).
class ScriptPrompter final : public Prompter {
 public:
  Answer answer = Answer::No;
  QString file;

  Answer askYesNo(QWidget* parent, const QString& text, const QString& caption) override;
  Answer askYesNoCancel(QWidget* parent, const QString& text, const QString& caption) override;
  void showError(QWidget* parent, const QString& text, const QString& caption) override;
  void showWarning(QWidget* parent, const QString& text, const QString& caption) override;
  void showInformation(QWidget* parent, const QString& text, const QString& caption) override;
  QString openFileName(QWidget* parent, const QString& filter) override;
  QString saveFileName(QWidget* parent, const QString& filter, const QString& proposedName,
                       const QString& defaultSuffix) override;

 private:
  Answer ask(const QString& text, const QString& caption);
};

class ScriptRunner : public QObject {
  Q_OBJECT
 public:
  // `prompter` (may be null) receives the answer and file commands.
  ScriptRunner(MainWindow& window, QString scriptName, std::vector<ScriptCommand> commands,
               ScriptPrompter* prompter, QObject* parent = nullptr);

  // Runs the commands from the event loop; returns at once.
  void start();
  // Commands are left to run (false after the last one, a failure or quit).
  bool running() const { return !done_ && next_ < commands_.size(); }
  // The tool window the commands act on: the active one, else the one last opened by `tool`,
  // else the last one shown; nullptr when none is visible.
  ToolWindow* frontToolWindow() const;

 signals:
  // `quit` (0) or a command that could not be carried out (2; the reason is on stderr). A script
  // that ends without `quit` leaves the window open and emits nothing.
  void finished(int exitCode);

 private:
  void step();
  // Carries out one command; false with *why when it cannot.
  bool run(const ScriptCommand& cmd, QString* why, int* waitMs);
  QWidget* findControl(int id) const;
  // The control, or nullptr with "no control with id ..." in why.
  QWidget* control(int id, QString* why) const;
  bool click(const ScriptCommand& cmd, QString* why);
  bool set(const ScriptCommand& cmd, QString* why);
  bool select(QWidget* w, int row, QString* why);
  bool text(const ScriptCommand& cmd, QString* why);
  bool cellText(QAbstractItemView* view, const ScriptCommand& cmd, QString* why);
  bool drag(const ScriptCommand& cmd, QString* why);
  bool key(const ScriptCommand& cmd, QString* why);
  bool quit();
  void fail(int line, const QString& why);

  MainWindow& window_;
  QString name_;
  std::vector<ScriptCommand> commands_;
  ScriptPrompter* prompter_;
  size_t next_ = 0;
  QPointer<ToolWindow> lastTool_;
  bool done_ = false;
};

}  // namespace ax7::ui
