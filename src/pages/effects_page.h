#pragma once
// The effects page: one of the four 7-band effect EQs (reverb A, reverb B, echo A, echo B) with
// its title picture and a back button to the microphone and music page.
#include "pages/page.h"

class QLabel;

namespace ax7::ui {

class EqEditor;
class ImageButton;

class EffectsPage : public Page {
  Q_OBJECT
 public:
  EffectsPage(PageContext& context, int mode, QWidget* parent = nullptr);

  void RefreshAll() override;
  void ApplyLanguage() override;
  // The mode 0..3: title, band selection cleared, EQ reloaded, texts.
  void SelectArgument(int mode) override;

  bool hasEq() const override { return true; }
  bool IsEqBypassed() const override;
  void ToggleEqBypass() override;
  void ResetEq() override;

  int mode() const { return mode_; }
  // The microphone group the mode belongs to, where the back button returns.
  int group() const { return mode_ % 2; }
  EqEditor* eqEditor() const { return eq_; }
  QLabel* titlePicture() const { return title_; }
  ImageButton* backButton() const { return back_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void placeBackButton();

  int mode_ = 0;
  QLabel* title_ = nullptr;
  ImageButton* back_ = nullptr;
  EqEditor* eq_ = nullptr;
};

}  // namespace ax7::ui
