#include "pages/delay_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "graphs/delay_panel.h"
#include "pages/dialog_texts.h"
#include "pages/output_nav_row.h"
#include "pages/page_factory.h"
#include "pages/pictures.h"
#include "pages/radio_group.h"
#include "pages/spin_buttons.h"
#include "pages/step_slider.h"
#include "pages/typed_number.h"

namespace ax7::ui {

namespace {

constexpr int kHighFreqMode = 0;  // delay above the split only
constexpr int kWholeMode = 1;     // delay the whole channel
constexpr int kSpinMin = 16;      // tenths of a millisecond
constexpr int kSpinMax = 1000;

// Channel names of the rows as the template has them, before the table relabels them.
constexpr const char* kRowNames[DelayPage::kChannels] = {"前置左", "前置右", "中置",   "超低",
                                                         "后置左", "后置右", "顶置左", "顶置右"};

float clampDelay(double ms) {
  if (!std::isfinite(ms)) return DelayPage::kMinMs;
  return float(std::clamp(ms, double(DelayPage::kMinMs), double(DelayPage::kMaxMs)));
}

QString delayText(float ms) {
  return QString::asprintf("%.1fms", double(ms));
}

int splitHighPassHz(int entry) {
  return 500 + 100 * entry;
}

}  // namespace

DelayPage::DelayPage(PageContext& context, QWidget* parent)
    : Page(context, PageKind::Delay, parent) {
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(4);
  for (int k = 0; k < kChannels; ++k) {
    Row& r = rows_[size_t(k)];
    r.label = new QLabel(QString::fromUtf8(kRowNames[k]), this);
    r.label->setProperty("ax7Id", kRowLabelId + k);
    r.label->setMinimumWidth(48);
    r.on = new QCheckBox(QString::fromUtf8("开关"), this);
    r.on->setProperty("ax7Id", kOnId + k);
    r.high = new QRadioButton(QString::fromUtf8("高频延时"), this);
    r.high->setProperty("ax7Id", kHighFreqId + k);
    r.whole = new QRadioButton(QString::fromUtf8("通道延时"), this);
    r.whole->setProperty("ax7Id", kChannelModeId + k);
    r.mode = new RadioGroup(this);
    r.mode->addButton(r.high, kHighFreqMode);
    r.mode->addButton(r.whole, kWholeMode);
    r.edit = new QLineEdit(this);
    r.edit->setProperty("ax7Id", kEditId + k);
    r.edit->setFixedWidth(72);
    r.spin = new SpinButtons(this);
    r.spin->setProperty("ax7Id", kSpinId + k);
    r.spin->setRange(kSpinMin, kSpinMax);
    r.spin->setPosition(1);
    r.spin->setBuddy(r.edit);
    r.split = new StepSlider(Qt::Horizontal, this);
    r.split->setProperty("ax7Id", kSplitId + k);
    r.split->setRange(0, kSplitEntries - 1);
    r.split->setMinimumWidth(110);
    r.hz = new QLabel(this);
    r.hz->setProperty("ax7Id", kSplitLabelId + k);
    r.hz->setMinimumWidth(52);
    // A new page shows the high-frequency delay until memory says otherwise.
    r.mode->setCheckedId(kHighFreqMode);

    grid->addWidget(r.label, k, 0);
    grid->addWidget(r.on, k, 1);
    grid->addWidget(r.high, k, 2);
    grid->addWidget(r.whole, k, 3);
    auto* editBox = new QHBoxLayout;
    editBox->setSpacing(0);
    editBox->addWidget(r.edit);
    editBox->addWidget(r.spin);
    grid->addLayout(editBox, k, 4);
    grid->addWidget(r.split, k, 5);
    grid->addWidget(r.hz, k, 6);

    connect(r.on, &QCheckBox::clicked, this, [this, k] { onToggled(k); });
    connect(r.mode, &RadioGroup::idClicked, this, [this, k](int mode) { modeChosen(k, mode); });
    connect(r.spin, &SpinButtons::stepped, this, [this, k](int delta) { spinStepped(k, delta); });
    connect(r.edit, &QLineEdit::returnPressed, this, [this, k] { editEntered(k); });
    connect(r.split, &StepSlider::userMoved, this, [this, k](int p) { splitMoved(k, p); });
  }

  panel_ = new CDelayPanel(this);
  panel_->setProperty("ax7Id", kGraphId);
  for (int k = 0; k < kChannels; ++k) {
    const QColor colour = CDelayPanel::channelColour(k);
    panel_->setMarkerImage(
        k, pictures::Render(pictures::kDelayMarkerSize, [&](QPainter& p, const QRect& rect) {
          pictures::PaintDelayMarker(p, rect, colour);
        }));
  }
  connect(panel_, &CDelayPanel::delayDragged, this,
          [this](int channel, float ms) { graphDragged(channel, ms); });

  nav_ = new OutputNavRow(this);
  nav_->setPressed(OutputNavRow::kDelay);
  connect(nav_, &OutputNavRow::pageRequested, this, &Page::showPageRequested);

  auto* body = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addLayout(grid);
  left->addStretch(1);
  body->addLayout(left);
  body->addWidget(panel_, 1);
  auto* outer = new QVBoxLayout(this);
  outer->addLayout(body, 1);
  outer->addWidget(nav_);

  RefreshAll();
  ApplyLanguage();
}

float DelayPage::storedDelay(int channel) const {
  return context().core().mem.pc.getFloat(size_t(Describe(Param::ChannelDelay).wordOf(channel)));
}

void DelayPage::RefreshAll() {
  const ParameterMemory& mem = context().core().mem;
  for (int k = 0; k < kChannels; ++k) {
    Row& r = rows_[size_t(k)];
    // What the box holds is shown as the page would store it: a damaged word shows 1.5 ms.
    const float ms = clampDelay(storedDelay(k));
    r.spin->setPosition(int(std::lround(ms * 10.0)));
    r.edit->setText(delayText(ms));
    panel_->setDelay(k, ms);
    showSplit(k, context().core().uiEq.FindHighFreqSplit(k));
    r.on->setChecked(mem.pc.getInt(size_t(Describe(Param::DelayOn).wordOf(k))) == 0);
    const bool whole = mem.pc.getInt(size_t(Describe(Param::DelayMode).wordOf(k))) != 0;
    r.mode->setCheckedId(whole ? kWholeMode : kHighFreqMode);
    enableRow(k);
  }
}

void DelayPage::ApplyLanguage() {
  Page::ApplyLanguage();
  nav_->ApplyLanguage(context().dialogTable(), dialogId());
  QStringList labels;
  for (int k = 0; k < kChannels; ++k) {
    labels << (context().language() == Language::English
                   ? QStringLiteral("CH %1").arg(k + 1)
                   : QString::fromUtf8("通道(CH)%1").arg(k + 1));
  }
  panel_->setRowLabels(labels);
}

void DelayPage::showSplit(int channel, int entry) {
  Row& r = rows_[size_t(channel)];
  entry = std::clamp(entry, 0, kSplitEntries - 1);
  r.split->setValue(entry);
  r.hz->setText(QString::asprintf("%dHz", splitHighPassHz(entry)));
}

void DelayPage::setDelay(int channel, float ms) {
  // The edit and the graph show what is stored, so an entry below 1.5 ms never reads "0.5ms".
  const float value = clampDelay(ms);
  panel_->setDelay(channel, value);
  rows_[size_t(channel)].edit->setText(delayText(value));
  if (value != storedDelay(channel)) context().core().ui.SetChannelDelay(channel, value);
}

void DelayPage::spinStepped(int channel, int delta) {
  SpinButtons* spin = rows_[size_t(channel)].spin;
  const int position = std::clamp(spin->position() + delta, 1, kSpinMax);
  spin->setPosition(position);
  setDelay(channel, float(position / 10.0));
}

void DelayPage::editEntered(int channel) {
  // Enter reaches an edit only while it has the focus.
  QLineEdit* edit = rows_[size_t(channel)].edit;
  graphDragged(channel, clampDelay(LeadingNumber(edit->text().toStdString())));
}

void DelayPage::graphDragged(int channel, float ms) {
  Row& r = rows_[size_t(channel)];
  r.edit->setFocus(Qt::OtherFocusReason);
  setDelay(channel, ms);
  r.spin->setPosition(int(std::lround(double(clampDelay(ms)) * 10.0)));
}

void DelayPage::onToggled(int channel) {
  context().core().ui.SetDelayOn(channel, rows_[size_t(channel)].on->isChecked() ? 0 : 1);
  enableRow(channel);
}

void DelayPage::modeChosen(int channel, int mode) {
  enableRow(channel);
  context().core().uiEq.SetHighFreqDelay(channel, mode == kWholeMode ? 1 : 0);
}

void DelayPage::splitMoved(int channel, int position) {
  context().core().uiEq.SetHighFreqSplit(channel, position);
  showSplit(channel, position);
}

void DelayPage::enableRow(int channel) {
  Row& r = rows_[size_t(channel)];
  const bool on = r.on->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{r.label, r.high, r.whole, r.edit, r.spin}) {
    w->setEnabled(on);
  }
  const bool split = on && r.mode->checkedId() == kHighFreqMode;
  r.split->setEnabled(split);
  r.hz->setEnabled(split);
}

void DelayPage::wheelEvent(QWheelEvent* event) {
  // The wheel over the page works the focused slider or delay edit.
  QWidget* focus = QApplication::focusWidget();
  for (int k = 0; k < kChannels; ++k) {
    Row& r = rows_[size_t(k)];
    if (focus == r.split && r.split->isEnabled()) {
      QApplication::sendEvent(r.split, event);
      return;
    }
    if (focus == r.edit && r.edit->isEnabled()) {
      wheelRemainder_ += event->angleDelta().y();
      while (std::abs(wheelRemainder_) >= 120) {
        const int delta = wheelRemainder_ > 0 ? 1 : -1;
        wheelRemainder_ -= delta * 120;
        spinStepped(k, delta);
      }
      event->accept();
      return;
    }
  }
  Page::wheelEvent(event);
}

Page* CreateDelayPage(PageContext& context, int, QWidget* parent) {
  return new DelayPage(context, parent);
}

}  // namespace ax7::ui
