#pragma once

#include <QToolButton>

namespace ax7::ui {

// The "中/EN" button of the tab row. In an English window its 中 is the only CJK text on screen,
// and shaping one CJK glyph makes the font engine open the CJK font and load dozens of its glyphs
// to fit its hinting (megabytes of the file). So in English the 中 is filled from its outline in
// the place a full-width space of the Latin font keeps for it; the button's text stays "中/EN"
// for screen readers, scripts and tests. A Chinese window loads the font anyway: plain text there.
class LanguageButton : public QToolButton {
  Q_OBJECT

 public:
  explicit LanguageButton(bool outlinedHan, QWidget* parent = nullptr);

  // On in an English window.
  void setOutlinedHan(bool on);
  bool outlinedHan() const { return outlinedHan_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool outlinedHan_ = false;
};

}  // namespace ax7::ui
