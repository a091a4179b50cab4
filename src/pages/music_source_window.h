#pragma once
// The music source window: which input feeds the music channel (SPDIF, COAXIAL or AUX) and the
// level of each of the three. Kinds the window does not offer (HDMI, Bluetooth, AUX2) come from
// the box or a mode file and are only reflected.
#include <array>

#include "pages/tool_window.h"

namespace ax7::ui {

class RadioGroup;
class ValueRow;

class MusicSourceWindow : public ToolWindow {
  Q_OBJECT
 public:
  static constexpr int kRows = 3;

  MusicSourceWindow(PageContext& context, QWidget* owner);

  void RefreshAll() override;
  void ApplyLanguage() override;

  RadioGroup* sources() const { return sources_; }
  ValueRow* level(int row) const { return levels_[size_t(row)]; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  RadioGroup* sources_ = nullptr;
  std::array<ValueRow*, kRows> levels_{};
  // What the last fill selected: a Bluetooth source shows it again.
  int lastFilled_ = 0;
  bool forwardingWheel_ = false;
};

}  // namespace ax7::ui
