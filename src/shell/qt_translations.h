#pragma once
// Qt's own texts (the standard buttons Yes/No/Cancel, the file dialogs) in the interface
// language: the translations the distribution ships with Qt are loaded for Chinese and removed
// for English. Without them installed, Qt's texts stay English.
#include <QObject>

#include "pages/language.h"

class QTranslator;

namespace ax7::ui {

class QtTranslations : public QObject {
  Q_OBJECT
 public:
  explicit QtTranslations(QObject* parent = nullptr);
  ~QtTranslations() override;

  void apply(Language language);
  // A Chinese translation is installed now.
  bool translated() const { return installed_; }
  // Where Qt's translations are looked for (the directory the distribution installs them to).
  static QString directory();

 private:
  QTranslator* translator_;
  bool loaded_ = false;
  bool installed_ = false;
};

}  // namespace ax7::ui
