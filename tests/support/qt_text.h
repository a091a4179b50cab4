#pragma once
// Reading the texts of ribbon controls in widget tests.
#include <QCheckBox>
#include <QLabel>
#include <QString>
#include <QToolButton>

namespace ax7::test {

inline QString U(const char* text) {
  return QString::fromUtf8(text);
}

inline QString TextOf(QWidget* w) {
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
  if (auto* box = qobject_cast<QCheckBox*>(w)) return box->text();
  if (auto* button = qobject_cast<QToolButton*>(w)) return button->text();
  return {};
}

}  // namespace ax7::test
