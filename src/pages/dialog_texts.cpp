#include "pages/dialog_texts.h"

#include <QAbstractButton>
#include <QByteArray>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMetaProperty>
#include <QString>
#include <QVariant>
#include <QWidget>

// The tables live in a static library: referencing the resource keeps the linker from
// dropping it. Q_INIT_RESOURCE has to be used outside any namespace.
static void InitLanguageResources() {
  Q_INIT_RESOURCE(lang);
}

namespace ax7::ui {

namespace {

ax7::lang::LanguageTable ReadTable(const char* path) {
  InitLanguageResources();
  QFile file(QString::fromLatin1(path));
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  return ax7::lang::LanguageTable(std::string_view(bytes.constData(), bytes.size()));
}

void SetControlText(QWidget* control, const QString& text) {
  if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setText(text);
  } else if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
    group->setTitle(text);
  } else {
    const QMetaObject* meta = control->metaObject();
    const int index = meta->indexOfProperty("text");
    if (index >= 0 && meta->property(index).isWritable()) control->setProperty("text", text);
  }
}

}  // namespace

const ax7::lang::LanguageTable& EmbeddedLanguageTable(Language language) {
  static const ax7::lang::LanguageTable chinese = ReadTable(":/lang/chinese.ini");
  static const ax7::lang::LanguageTable english = ReadTable(":/lang/english.ini");
  return language == Language::English ? english : chinese;
}

QString DialogCaption(const ax7::lang::LanguageTable& table, int dialogId, int controlId,
                      const QString& fallback) {
  const std::string caption = table.caption(dialogId, controlId);
  return caption.empty() ? fallback : QString::fromStdString(caption);
}

void LoadDialogTexts(QWidget* window, int dialogId, const ax7::lang::LanguageTable& table) {
  if (window == nullptr) return;
  const std::string title = table.title(dialogId);
  if (!title.empty()) window->setWindowTitle(QString::fromStdString(title));

  for (QObject* child : window->children()) {
    auto* control = qobject_cast<QWidget*>(child);
    if (control == nullptr || control->isWindow()) continue;
    const QVariant idProperty = control->property("ax7Id");
    bool isNumber = false;
    const int id = idProperty.toInt(&isNumber);
    if (!idProperty.isValid() || !isNumber) continue;
    const QString caption = DialogCaption(table, dialogId, id);
    if (!caption.isEmpty()) SetControlText(control, caption);
  }
}

}  // namespace ax7::ui
