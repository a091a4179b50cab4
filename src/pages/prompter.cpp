#include "pages/prompter.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace ax7::ui {

namespace {

Answer toAnswer(QMessageBox::StandardButton b) {
  if (b == QMessageBox::Yes) return Answer::Yes;
  if (b == QMessageBox::No) return Answer::No;
  return Answer::Cancel;
}

}  // namespace

Answer DialogPrompter::askYesNo(QWidget* parent, const QString& text, const QString& caption) {
  return toAnswer(QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                        QMessageBox::Yes));
}

Answer DialogPrompter::askYesNoDefaultNo(QWidget* parent, const QString& text,
                                         const QString& caption) {
  return toAnswer(QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                        QMessageBox::No));
}

Answer DialogPrompter::askYesNoCancel(QWidget* parent, const QString& text,
                                      const QString& caption) {
  return toAnswer(QMessageBox::question(parent, caption, text,
                                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                        QMessageBox::Yes));
}

void DialogPrompter::showError(QWidget* parent, const QString& text, const QString& caption) {
  QMessageBox::critical(parent, caption, text);
}

void DialogPrompter::showWarning(QWidget* parent, const QString& text, const QString& caption) {
  QMessageBox::warning(parent, caption, text);
}

void DialogPrompter::showInformation(QWidget* parent, const QString& text, const QString& caption) {
  QMessageBox::information(parent, caption, text);
}

QString DialogPrompter::openFileName(QWidget* parent, const QString& filter) {
  return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
}

QString DialogPrompter::saveFileName(QWidget* parent, const QString& filter,
                                     const QString& proposedName, const QString& defaultSuffix) {
  QFileDialog dialog(parent, QString(), QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(defaultSuffix);
  dialog.selectFile(proposedName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

}  // namespace ax7::ui
