#pragma once
// The navigation row shared by the output, delay, compressor and room pages: eight channel
// buttons, then "Location", "Delay" and "Comp". Each page says which button is drawn pressed
// and which are hidden, and labels the row from its own dialog's table (the compressor page
// names its buttons "Main", "Center", ... there). A click asks the page host for a page.
#include <QWidget>
#include <array>

#include "pages/language.h"
#include "pages/page.h"

class QPushButton;

namespace ax7::lang {
class LanguageTable;
}

namespace ax7::ui {

class OutputNavRow : public QWidget {
  Q_OBJECT
 public:
  // Control ids, in the order of the row.
  static constexpr std::array<int, 11> kIds = {1069, 1072, 1070, 1071, 1076, 1077,
                                               1078, 1079, 1073, 1074, 1075};
  static constexpr int kLocation = 1073;
  static constexpr int kDelay = 1074;
  static constexpr int kCompressor = 1075;
  // The output channel (0..7) of a channel button, or -1.
  static int channelOf(int id);
  // The page a button opens: (kind, argument).
  static std::pair<PageKind, int> target(int id);

  explicit OutputNavRow(QWidget* parent = nullptr);

  // The button drawn pressed (0: none); the others are released.
  void setPressed(int id);
  int pressed() const { return pressed_; }
  void setHidden(std::initializer_list<int> ids);
  QPushButton* button(int id) const;

  // Texts from the page's dialog table; a button without a value there shows its template text
  // (the Chinese one), whichever language it showed before.
  void ApplyLanguage(const ax7::lang::LanguageTable& table, int dialogId);

 signals:
  void pageRequested(ax7::ui::PageKind kind, int argument);

 private:
  std::array<QPushButton*, 11> buttons_{};
  int pressed_ = 0;
};

}  // namespace ax7::ui
