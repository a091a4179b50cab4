// "Import..." and "Export..." under an EQ editor: one EQ set to and from the files of
// measurement and DSP tools. An import shows its report first and applies only on Yes; the
// bands then go through the editor's own send, as edits do.
#pragma once

#include <QWidget>
#include <functional>

#include "pages/language.h"

class QPushButton;

namespace ax7::eqx {
struct ImportReport;
}

namespace ax7::ui {

class EqEditor;
class Prompter;

class EqExchange : public QWidget {
  Q_OBJECT
 public:
  // Control ids of the two buttons (scripts click them).
  static constexpr int kImportId = 1135;
  static constexpr int kExportId = 1136;

  explicit EqExchange(EqEditor* editor);
  ~EqExchange() override;

  // Message boxes and file dialogs; the real dialogs unless a test sets its own.
  void setPrompter(Prompter* prompter);
  void setLanguage(Language language);
  // Runs after the import was accepted and before its bands are applied (the page keeps a
  // snapshot of the settings); false stops the import.
  void setBeforeApply(std::function<bool()> fn) { beforeApply_ = std::move(fn); }

  QPushButton* importButton() const { return import_; }
  QPushButton* exportButton() const { return export_; }

  // The steps behind the buttons, after the file dialog. True when bands were applied / the
  // file was written.
  bool importFile(const QString& path);
  bool exportFile(const QString& path);

  // The report as the question before applying: a summary and one line per filter.
  static QString reportText(const eqx::ImportReport& report, Language language);

 private:
  void onImport();
  void onExport();
  Prompter& prompter();

  EqEditor* editor_;
  Prompter* prompter_ = nullptr;
  Language language_ = Language::English;
  QPushButton* import_ = nullptr;
  QPushButton* export_ = nullptr;
  std::function<bool()> beforeApply_;
};

}  // namespace ax7::ui
