#pragma once
// The eight output channels' delays as one table: a row per channel, the delay in milliseconds
// in the second column. Typing into a cell stores and sends the delay as the delay page does.
#include "pages/page.h"

class QLabel;
class QTableWidget;

namespace ax7::ui {

class OutputDelaysPage : public Page {
  Q_OBJECT
 public:
  static constexpr int kChannels = 8;
  static constexpr int kTitleId = 1000;  // caption from the language table
  static constexpr int kTableId = 1001;  // a script's `text 1001 ROW,1 12.5`
  static constexpr int kDelayColumn = 1;
  static constexpr float kMinMs = 1.5f;
  static constexpr float kMaxMs = 100.0f;

  OutputDelaysPage(PageContext& context, QWidget* parent = nullptr);

  void RefreshAll() override;
  void ApplyLanguage() override;

  QTableWidget* table() const { return table_; }

 private:
  void cellEdited(int row, int column);
  void showDelay(int channel, float ms);

  QLabel* title_ = nullptr;
  QTableWidget* table_ = nullptr;
};

}  // namespace ax7::ui
