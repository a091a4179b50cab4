#include "pages/effects_page.h"

#include <QLabel>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "core/core.h"
#include "pages/eq_editor.h"
#include "pages/eq_exchange_ui.h"
#include "pages/input_eq.h"
#include "pages/page_factory.h"
#include "pages/pictures.h"

namespace ax7::ui {

namespace {

constexpr int kBackMargin = 2;  // from the right edge, whatever the page's width
constexpr int kTop = 4;

}  // namespace

EffectsPage::EffectsPage(PageContext& context, int mode, QWidget* parent)
    : Page(context, PageKind::Effects, parent), mode_(std::clamp(mode, 0, 3)) {
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(240, 250, 255));
  setPalette(pal);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, kTop, 6, 4);
  title_ = new QLabel(this);
  title_->setProperty("ax7Id", 1258);
  title_->setFixedSize(pictures::kEffectTitleSize);
  layout->addWidget(title_);
  eq_ = new EqEditor(context.core().mem, context.eqCopySource(), this);
  eq_->exchange()->setBeforeApply(
      [this] { return this->context().keepSnapshot(history::SnapshotReason::EqImport); });
  eq_->exchange()->setPrompter(&context.prompter());
  TagEqEditorControls(*eq_);
  layout->addWidget(eq_, 1);

  // Outside the layout: it keeps to the top-right corner.
  back_ = new ImageButton(QString(), this);
  back_->setProperty("ax7Id", 1068);
  connect(back_, &QAbstractButton::clicked, this,
          [this] { emit showPageRequested(PageKind::Music, group()); });

  SelectArgument(mode_);
}

void EffectsPage::SelectArgument(int mode) {
  mode_ = std::clamp(mode, 0, 3);
  eq_->configure(InputEqConfig(context().core(), EffectModeEq(mode_)));
  eq_->DeselectBand();
  ApplyLanguage();
}

void EffectsPage::RefreshAll() {
  // The bands may have changed under the editor (undo, A/B, a restore): nothing stays picked.
  eq_->DeselectBand();
  eq_->LoadEq();
}

void EffectsPage::ApplyLanguage() {
  Page::ApplyLanguage();
  const Language language = context().language();
  title_->setPixmap(pictures::Render(pictures::kEffectTitleSize, [&](QPainter& p, const QRect& r) {
    pictures::PaintEffectTitle(p, r, mode_, language);
  }));
  back_->setText(context().text("返回", "Back"));
  back_->resize(back_->sizeHint());
  placeBackButton();
  eq_->setLanguage(language);
  LoadBandEditorTexts(*eq_, dialogId(), context().dialogTable());
  RefreshAll();
}

bool EffectsPage::IsEqBypassed() const {
  const bool bypassed = InputEqBypassed(context().core(), EffectModeEq(mode_));
  eq_->refreshBypass();
  return bypassed;
}

void EffectsPage::ToggleEqBypass() {
  ToggleInputEqBypass(context().core(), EffectModeEq(mode_));
  eq_->refreshBypass();
}

void EffectsPage::ResetEq() {
  eq_->DeselectBand();
  ResetInputEq(context().core(), EffectModeEq(mode_));
  eq_->LoadEq();
}

void EffectsPage::placeBackButton() {
  back_->move(width() - back_->width() - kBackMargin, kTop);
  back_->raise();
}

void EffectsPage::resizeEvent(QResizeEvent* event) {
  Page::resizeEvent(event);
  placeBackButton();
}

Page* CreateEffectsPage(PageContext& context, int argument, QWidget* parent) {
  return new EffectsPage(context, argument, parent);
}

}  // namespace ax7::ui
