#include "shell/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace ax7::ui {

QtTranslations::QtTranslations(QObject* parent)
    : QObject(parent), translator_(new QTranslator(this)) {}

QtTranslations::~QtTranslations() {
  if (installed_) QCoreApplication::removeTranslator(translator_);
}

QString QtTranslations::directory() {
  return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

void QtTranslations::apply(Language language) {
  const bool want = language == Language::Chinese;
  if (want == installed_) return;
  if (!want) {
    QCoreApplication::removeTranslator(translator_);
    installed_ = false;
    return;
  }
  if (!loaded_) loaded_ = translator_->load(QStringLiteral("qtbase_zh_CN"), directory());
  // Installing sends a LanguageChange to every widget; Qt's dialogs relabel their buttons.
  if (loaded_) installed_ = QCoreApplication::installTranslator(translator_);
}

}  // namespace ax7::ui
