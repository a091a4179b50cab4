#pragma once
// Questions, error boxes and file dialogs go through one interface, so the handlers that ask
// can be driven by tests with scripted answers.
#include <QString>

class QWidget;

namespace ax7::ui {

enum class Answer { Yes, No, Cancel };

class Prompter {
 public:
  virtual ~Prompter() = default;
  // Question icon; Yes and No.
  virtual Answer askYesNo(QWidget* parent, const QString& text, const QString& caption) = 0;
  // Question icon; Yes, No and Cancel.
  virtual Answer askYesNoCancel(QWidget* parent, const QString& text, const QString& caption) = 0;
  // Question icon; Yes and No with No as the default button (going on may lose settings).
  virtual Answer askYesNoDefaultNo(QWidget* parent, const QString& text, const QString& caption) {
    return askYesNo(parent, text, caption);
  }
  // Error icon, OK; returns when closed.
  virtual void showError(QWidget* parent, const QString& text, const QString& caption) = 0;
  // Warning icon, OK; returns when closed.
  virtual void showWarning(QWidget* parent, const QString& text, const QString& caption) = 0;
  // Information icon, OK; returns when closed.
  virtual void showInformation(QWidget* parent, const QString& text, const QString& caption) = 0;
  // An existing file, or empty when cancelled.
  virtual QString openFileName(QWidget* parent, const QString& filter) = 0;
  // A path to write (with `defaultSuffix` added when the user typed none, overwrite
  // confirmed), or empty when cancelled.
  virtual QString saveFileName(QWidget* parent, const QString& filter, const QString& proposedName,
                               const QString& defaultSuffix) = 0;
};

// The real thing: QMessageBox and QFileDialog.
class DialogPrompter final : public Prompter {
 public:
  Answer askYesNo(QWidget* parent, const QString& text, const QString& caption) override;
  Answer askYesNoCancel(QWidget* parent, const QString& text, const QString& caption) override;
  Answer askYesNoDefaultNo(QWidget* parent, const QString& text, const QString& caption) override;
  void showError(QWidget* parent, const QString& text, const QString& caption) override;
  void showWarning(QWidget* parent, const QString& text, const QString& caption) override;
  void showInformation(QWidget* parent, const QString& text, const QString& caption) override;
  QString openFileName(QWidget* parent, const QString& filter) override;
  QString saveFileName(QWidget* parent, const QString& filter, const QString& proposedName,
                       const QString& defaultSuffix) override;
};

}  // namespace ax7::ui
