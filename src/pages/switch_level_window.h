#pragma once
// The shape of the auto SUB and music AGC windows: an explanatory text, one switch and one
// level slider with its title and value. The slider, its title and value are usable exactly
// while the switch is on. Each window says which parameters it edits and how a position is
// stored and shown.
#include <QString>

#include "pages/tool_window.h"
#include "params/param_table.h"

class QCheckBox;
class QLabel;

namespace ax7::ui {

class ValueRow;

class SwitchLevelWindow : public ToolWindow {
  Q_OBJECT
 public:
  void RefreshAll() override;
  void ApplyLanguage() override;

  QCheckBox* switchBox() const { return switch_; }
  ValueRow* level() const { return level_; }
  QLabel* explanation() const { return explanation_; }

  // The id of the explanatory text in both windows' tables.
  static constexpr int kExplanationId = 1128;

 protected:
  struct Spec {
    int dialogId;
    TextPair title;  // when the table has none
    TextPair explanation;
    Param switchParam;
    int minimum, maximum;
    QString (*format)(int position);
  };
  SwitchLevelWindow(PageContext& context, const Spec& spec, QWidget* owner);

  // The slider position memory holds now (clamped, damaged words at the minimum).
  virtual int storedPosition() const = 0;
  // Stores and sends a position the user chose.
  virtual void sendPosition(int position) = 0;

  void keyPressEvent(QKeyEvent* event) override;

 private:
  void showEnabled(bool on);

  Spec spec_;
  QLabel* explanation_ = nullptr;
  QCheckBox* switch_ = nullptr;
  ValueRow* level_ = nullptr;
};

}  // namespace ax7::ui
