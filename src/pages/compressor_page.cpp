#include "pages/compressor_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "core/core.h"
#include "graphs/compress_panel.h"
#include "pages/dialog_texts.h"
#include "pages/output_nav_row.h"
#include "pages/page_factory.h"
#include "pages/value_row.h"

namespace ax7::ui {
namespace {

using compressor::Field;

constexpr Field kFields[] = {Field::Threshold, Field::Ratio, Field::Attack, Field::Release};

// Texts for the titles without a value in the tables.
constexpr TextPair kTitles[] = {
    {"阀(阈)", "Threshold"},
    {"衰减比例", "Ratio"},
    {"启动时间", "Attack time"},
    {"释放时间", "Release time"},
};
constexpr TextPair kChannelTitle{"通道选择", "Select CH"};
constexpr TextPair kOnText{"压限启用", "Comp ON"};

// The curve's lower knee sits at the bottom of the plot with slope 1, so only the threshold
// and the ratio shape it.
constexpr float kKneeDb = -90.0f;

}  // namespace

CompressorPage::CompressorPage(PageContext& context, QWidget* parent)
    : Page(context, PageKind::Compressor, parent) {
  setObjectName("compressorPage");
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(240, 250, 255));
  setPalette(pal);

  auto* outer = new QVBoxLayout(this);
  nav_ = new OutputNavRow(this);
  nav_->setPressed(OutputNavRow::kCompressor);
  connect(nav_, &OutputNavRow::pageRequested, this, &Page::showPageRequested);
  outer->addWidget(nav_);

  auto* body = new QHBoxLayout;
  outer->addLayout(body, 1);
  auto* controls = new QGridLayout;
  body->addLayout(controls);

  listTitle_ = new QLabel(this);
  listTitle_->setProperty("ax7Id", kChannelTitleId);
  list_ = new QComboBox(this);
  list_->setProperty("ax7Id", kChannelListId);
  list_->setMinimumWidth(120);
  controls->addWidget(listTitle_, 0, 0);
  controls->addWidget(list_, 0, 1, Qt::AlignLeft);
  connect(list_, &QComboBox::activated, this, [this](int index) {
    channel_ = index < 0 ? 0 : index;
    RefreshAll();
  });

  on_ = new QCheckBox(this);
  on_->setProperty("ax7Id", kOnId);
  controls->addWidget(on_, 1, 0, 1, 2);
  connect(on_, &QCheckBox::clicked, this, &CompressorPage::onSwitch);

  for (size_t i = 0; i < 4; ++i) {
    const Field field = kFields[i];
    const compressor::Range r = compressor::RangeOf(field);
    auto* row = new ValueRow(kTitleIds[i], kSliderIds[i], kValueIds[i], r.minimum, r.maximum,
                             [field](int p) { return compressor::PositionText(field, p); },
                             Qt::Horizontal, this);
    row->slider()->setFocusPolicy(Qt::StrongFocus);
    row->slider()->setMinimumWidth(220);
    row->title()->setFixedWidth(90);
    // A box that only displays: framed like a field, but nothing can be typed into it.
    QLabel* value = row->valueLabel();
    value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    value->setFixedWidth(76);
    value->setTextInteractionFlags(Qt::NoTextInteraction);
    connect(row, &ValueRow::userMoved, this, [this, field](int p) { onMoved(field, p); });
    controls->addWidget(row, int(i) + 2, 0, 1, 2);
    rows_[i] = row;
  }
  controls->setRowStretch(6, 1);
  // Initial positions before the first refresh.
  rows_[0]->setPosition(0);
  rows_[1]->setPosition(10);
  rows_[2]->setPosition(1);
  rows_[3]->setPosition(100);

  graph_ = new CCompressPanelPlus(this);
  graph_->setProperty("ax7Id", kGraphId);
  graph_->setKnee(kKneeDb);
  graph_->setLowerSlope(1.0f);
  body->addWidget(graph_, 1);

  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);

  RefreshAll();
  ApplyLanguage();
}

void CompressorPage::RefreshAll() {
  const ParameterMemory& mem = context().core().mem;
  const compressor::Positions p = compressor::StoredPositions(mem, channel_);
  const compressor::Values v = compressor::ShownValues(mem, channel_);
  const bool on = compressor::IsOn(mem, channel_);
  {
    const QSignalBlocker block(on_);
    on_->setChecked(on);
  }
  rows_[0]->setPosition(p.threshold);
  rows_[1]->setPosition(p.ratio);
  rows_[2]->setPosition(p.attack);
  rows_[3]->setPosition(p.release);
  // The boxes show the values the page would send.
  rows_[0]->valueLabel()->setText(compressor::ThresholdText(v.threshold));
  rows_[1]->valueLabel()->setText(compressor::RatioText(v.ratio));
  rows_[2]->valueLabel()->setText(compressor::TimeText(v.attack));
  rows_[3]->valueLabel()->setText(compressor::TimeText(v.release));
  graph_->setOn(on);
  graph_->setThreshold(v.threshold);
  graph_->setRatio(v.ratio);
  nav_->setPressed(OutputNavRow::kCompressor);
}

void CompressorPage::ApplyLanguage() {
  Page::ApplyLanguage();
  const auto& table = context().dialogTable();
  nav_->ApplyLanguage(table, dialogId());
  listTitle_->setText(DialogCaption(table, dialogId(), kChannelTitleId, context().text(kChannelTitle)));
  on_->setText(DialogCaption(table, dialogId(), kOnId, context().text(kOnText)));
  for (size_t i = 0; i < 4; ++i) {
    rows_[i]->setTitle(DialogCaption(table, dialogId(), kTitleIds[i], context().text(kTitles[i])));
  }
  fillChannelList();
}

void CompressorPage::fillChannelList() {
  // Filled after the texts, keeping the selection.
  const QSignalBlocker block(list_);
  list_->clear();
  for (int k = 1; k <= 8; ++k) {
    list_->addItem(context().text("通道", "CH ") + QString::number(k));
  }
  list_->setCurrentIndex(channel_);
}

void CompressorPage::onMoved(Field field, int position) {
  Core& core = context().core();
  const compressor::Values v = compressor::Moved(core.mem, channel_, field, position);
  compressor::Send(core.ui, channel_, v);
  if (field == Field::Threshold) graph_->setThreshold(v.threshold);
  if (field == Field::Ratio) graph_->setRatio(v.ratio);
}

void CompressorPage::onSwitch(bool ticked) {
  context().core().ui.SetCompressorOn(channel_, ticked ? 0 : 1);
  graph_->setOn(ticked);
}

bool CompressorPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel) {
    // The wheel moves the focused slider, wherever the pointer is on the page.
    QWidget* focus = QApplication::focusWidget();
    for (ValueRow* row : rows_) {
      if (focus == row->slider() && watched != focus) {
        if (focus->isEnabled()) QApplication::sendEvent(focus, event);
        return true;
      }
    }
  }
  return Page::eventFilter(watched, event);
}

Page* CreateCompressorPage(PageContext& context, int, QWidget* parent) {
  return new CompressorPage(context, parent);
}

}  // namespace ax7::ui
