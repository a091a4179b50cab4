#pragma once
// The compressor page: the output compressor of one channel at a time, with its transfer curve.
// Every move stores the four values and sends them at once; the value boxes only display.
#include <array>

#include "pages/compressor_rules.h"
#include "pages/page.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace ax7::ui {

class CCompressPanelPlus;
class OutputNavRow;
class ValueRow;

class CompressorPage final : public Page {
  Q_OBJECT
 public:
  // Control ids of the page's own controls (the sliders and value boxes share the output
  // page's ids).
  static constexpr int kChannelTitleId = 1300;
  static constexpr int kChannelListId = 1301;
  static constexpr int kOnId = 1302;
  static constexpr int kGraphId = 1306;
  static constexpr std::array<int, 4> kTitleIds = {1005, 1303, 1304, 1305};
  static constexpr std::array<int, 4> kSliderIds = {1015, 1016, 1017, 1018};
  static constexpr std::array<int, 4> kValueIds = {1225, 1226, 1227, 1228};

  CompressorPage(PageContext& context, QWidget* parent);

  void RefreshAll() override;
  void ApplyLanguage() override;

  int channel() const { return channel_; }
  ValueRow* row(compressor::Field field) const { return rows_[size_t(field)]; }
  QCheckBox* onBox() const { return on_; }
  QComboBox* channelList() const { return list_; }
  CCompressPanelPlus* graph() const { return graph_; }
  OutputNavRow* navRow() const { return nav_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void onMoved(compressor::Field field, int position);
  void onSwitch(bool ticked);
  void fillChannelList();

  int channel_ = 0;
  OutputNavRow* nav_ = nullptr;
  QLabel* listTitle_ = nullptr;
  QComboBox* list_ = nullptr;
  QCheckBox* on_ = nullptr;
  std::array<ValueRow*, 4> rows_{};
  CCompressPanelPlus* graph_ = nullptr;
};

}  // namespace ax7::ui
