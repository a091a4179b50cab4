#include "pages/output_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "graphs/eq_panel.h"
#include "pages/band_editor.h"
#include "pages/dialog_texts.h"
#include "pages/eq_editor.h"
#include "pages/eq_exchange_ui.h"
#include "pages/eq_table.h"
#include "pages/input_eq.h"
#include "pages/output_nav_row.h"
#include "pages/page_factory.h"
#include "pages/pictures.h"
#include "pages/radio_group.h"
#include "pages/value_row.h"
#include "params/band_record.h"
#include "params/eq_sets.h"
#include "params/param_table.h"

namespace ax7::ui {
namespace {

using compressor::Field;

constexpr int kChannels = kOutputEqSets;
constexpr int kInfoMs = 1100;

constexpr Param kMixParams[] = {Param::MixDirect, Param::MixReverb, Param::MixEcho,
                                Param::MixMusic};
constexpr TextPair kMixTitles[] = {
    {"直达声音量", "Direct"}, {"混响音量", "Reverb"}, {"回声音量", "Echo"}, {"音乐音量", "Music"}};
constexpr TextPair kSourceNames[] = {
    {"前置左", "CH-L"},   {"前置右", "CH-R"}, {"后环绕左", "CH-SBL"},   {"后环绕右", "CH-SBR"},
    {"超低", "CH-SUB"},   {"中置", "CH-CEN"}, {"侧环绕左", "CH-SL"}, {"侧环绕右", "CH-SR"}};
constexpr TextPair kMute{"静音", "Mute"};
constexpr TextPair kPhase{"相位180°", "Phase 180°"};
constexpr TextPair kLinked{"齐调", "Linked"};
constexpr TextPair kVolIsMute{"当前是静音状态", "vol is mute"};
constexpr TextPair kDelaySwitch{"延时开关", "Delay Switch"};
constexpr TextPair kSplitRadio{"高频延时", "H.Freq Delay"};
constexpr TextPair kChannelDelayRadio{"通道延时", "Channel delay"};
constexpr TextPair kCompressorSwitch{"压限启用", "Compressor Switch"};
constexpr TextPair kCompTitles[] = {
    {"阀(阈)", "Threshold"},
    {"衰减比例", "Decay ratio"},
    {"启动时间", "Attack time"},
    {"释放时间", "Release time"},
};
constexpr TextPair kMixTitle{"混音", "Mix"};
constexpr TextPair kDelayTitle{"延时", "Delay"};
constexpr TextPair kCompTitle{"压限", "Compressor"};
constexpr Field kFields[] = {Field::Threshold, Field::Ratio, Field::Attack, Field::Release};

// Delay slider positions are tenths of a millisecond.
constexpr int kDelayMin = 16, kDelayMax = 1000;

int splitHighPassHz(int entry) {
  return 500 + 100 * entry;
}

int word(Param p, int channel) {
  return Describe(p).wordOf(channel);
}

}  // namespace

OutputPage::OutputPage(PageContext& context, int channel, QWidget* parent)
    : Page(context, PageKind::Output, parent), channel_(std::clamp(channel, 0, kChannels - 1)) {
  setObjectName("outputPage");
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(240, 250, 255));
  setPalette(pal);

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(6, 4, 6, 4);
  outer->setSpacing(4);

  auto* top = new QHBoxLayout;
  picture_ = new QLabel(this);
  picture_->setProperty("ax7Id", kPictureId);
  picture_->setFixedSize(pictures::kChannelSize);
  top->addWidget(picture_);
  nav_ = new OutputNavRow(this);
  // "Delay" and "Comp" stay visible: this page is the way to the delay and compressor pages.
  nav_->setHidden({});
  connect(nav_, &OutputNavRow::pageRequested, this, &Page::showPageRequested);
  top->addWidget(nav_, 1);
  outer->addLayout(top);

  auto* strip = new QGridLayout;
  strip->setHorizontalSpacing(6);
  strip->setVerticalSpacing(1);
  buildStrip(strip);
  outer->addLayout(strip);

  editor_ = new EqEditor(context.core().mem, context.eqCopySource(), this);
  editor_->exchange()->setBeforeApply(
      [this] { return this->context().keepSnapshot(history::SnapshotReason::EqImport); });
  editor_->exchange()->setPrompter(&context.prompter());
  // The control ids by which the tables and scripts know the editor's parts.
  editor_->panel()->setProperty("ax7Id", 1040);
  editor_->table()->setProperty("ax7Id", 1139);
  editor_->crossoverList()->setProperty("ax7Id", 1134);
  editor_->crossoverTitle()->setProperty("ax7Id", 1215);
  BandEditor* band = editor_->bandEditor();
  for (int i = 0; i < 5; ++i) band->typeRadio(i)->setProperty("ax7Id", 1204 + i);
  band->numberLabel()->setProperty("ax7Id", 1203);
  band->gainSlider()->setProperty("ax7Id", 1209);
  band->frequencySlider()->setProperty("ax7Id", 1210);
  band->qSlider()->setProperty("ax7Id", 1211);
  band->gainEdit()->setProperty("ax7Id", 1212);
  band->frequencyEdit()->setProperty("ax7Id", 1213);
  band->qEdit()->setProperty("ax7Id", 1214);
  outer->addWidget(editor_, 1);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(buildMixGroup(), 1);
  bottom->addWidget(buildDelayGroup(), 1);
  bottom->addWidget(buildCompressorGroup(), 1);
  outer->addLayout(bottom);

  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);

  context.setLastOutputChannel(channel_);
  ApplyLanguage();  // ends with RefreshAll
}

void OutputPage::buildStrip(QGridLayout* grid) {
  for (int i = 0; i < kChannels; ++i) {
    auto* source = new QComboBox(this);
    source->setProperty("ax7Id", kSourceIds[size_t(i)]);
    source->setMinimumWidth(96);
    connect(source, &QComboBox::activated, this, [this, i](int index) { onSource(i, index); });
    auto* mute = new QCheckBox(this);
    mute->setProperty("ax7Id", kMuteIds[size_t(i)]);
    connect(mute, &QCheckBox::clicked, this, [this, i](bool t) { onMute(i, t); });
    auto* phase = new QCheckBox(this);
    phase->setProperty("ax7Id", kPhaseIds[size_t(i)]);
    connect(phase, &QCheckBox::clicked, this, [this, i](bool t) { onPhase(i, t); });
    auto* link = new QCheckBox(this);
    link->setProperty("ax7Id", kLinkIds[size_t(i)]);
    connect(link, &QCheckBox::clicked, this, [this, i](bool t) { onLink(i, t); });
    auto* muteAndLink = new QHBoxLayout;
    muteAndLink->setSpacing(4);
    muteAndLink->addWidget(mute);
    muteAndLink->addWidget(link);
    muteAndLink->addStretch(1);
    grid->addWidget(source, 0, i);
    grid->addLayout(muteAndLink, 1, i);
    grid->addWidget(phase, 2, i);
    sources_[size_t(i)] = source;
    mutes_[size_t(i)] = mute;
    phases_[size_t(i)] = phase;
    links_[size_t(i)] = link;
  }
}

QGroupBox* OutputPage::buildMixGroup() {
  mixGroup_ = new QGroupBox(this);
  auto* box = new QVBoxLayout(mixGroup_);
  box->setSpacing(2);
  for (size_t m = 0; m < 4; ++m) {
    auto* row = new ValueRow(kMixTitleIds[m], kMixSliderIds[m], kMixValueIds[m], 0, 100,
                             [](int p) { return QString::asprintf("%d%%", p); }, Qt::Horizontal,
                             mixGroup_);
    row->slider()->setFocusPolicy(Qt::StrongFocus);
    row->slider()->setMinimumWidth(100);
    row->title()->setMinimumWidth(76);
    const int mix = int(m);
    connect(row, &ValueRow::userMoved, this, [this, mix](int v) { onMix(mix, v); });
    box->addWidget(row);
    mixes_[m] = row;
  }
  box->addStretch(1);
  return mixGroup_;
}

QGroupBox* OutputPage::buildDelayGroup() {
  delayGroup_ = new QGroupBox(this);
  auto* grid = new QGridLayout(delayGroup_);
  grid->setVerticalSpacing(2);
  delayOn_ = new QCheckBox(delayGroup_);
  delayOn_->setProperty("ax7Id", kDelayBoxId);
  connect(delayOn_, &QCheckBox::clicked, this, &OutputPage::onDelaySwitch);
  grid->addWidget(delayOn_, 0, 0, 1, 2);

  delayMode_ = new RadioGroup(this);
  splitRadio_ = new QRadioButton(delayGroup_);
  splitRadio_->setProperty("ax7Id", kSplitRadioId);
  channelDelayRadio_ = new QRadioButton(delayGroup_);
  channelDelayRadio_->setProperty("ax7Id", kChannelDelayRadioId);
  delayMode_->addButton(splitRadio_, 0);
  delayMode_->addButton(channelDelayRadio_, 1);
  connect(delayMode_, &RadioGroup::idClicked, this, &OutputPage::onDelayMode);

  split_ = new ValueRow(0, kSplitSliderId, kSplitValueId, 0, 25,
                        [](int s) { return QString::asprintf("%dHz", splitHighPassHz(s)); },
                        Qt::Horizontal, delayGroup_);
  delay_ = new ValueRow(0, kDelaySliderId, kDelayValueId, kDelayMin, kDelayMax,
                        [](int v) { return QString::asprintf("%.1fms", v / 10.0); },
                        Qt::Horizontal, delayGroup_);
  for (ValueRow* row : {split_, delay_}) {
    row->title()->hide();
    row->slider()->setFocusPolicy(Qt::StrongFocus);
    row->slider()->setMinimumWidth(100);
  }
  connect(split_, &ValueRow::userMoved, this, &OutputPage::onSplit);
  connect(delay_, &ValueRow::userMoved, this, &OutputPage::onDelay);
  grid->addWidget(splitRadio_, 1, 0);
  grid->addWidget(split_, 1, 1);
  grid->addWidget(channelDelayRadio_, 2, 0);
  grid->addWidget(delay_, 2, 1);
  grid->setRowStretch(3, 1);
  return delayGroup_;
}

QGroupBox* OutputPage::buildCompressorGroup() {
  compGroup_ = new QGroupBox(this);
  auto* box = new QVBoxLayout(compGroup_);
  box->setSpacing(2);
  compOn_ = new QCheckBox(compGroup_);
  compOn_->setProperty("ax7Id", kCompressorBoxId);
  connect(compOn_, &QCheckBox::clicked, this, &OutputPage::onCompressorSwitch);
  box->addWidget(compOn_);
  for (size_t i = 0; i < 4; ++i) {
    const Field field = kFields[i];
    const compressor::Range r = compressor::RangeOf(field);
    auto* row = new ValueRow(kCompTitleIds[i], kCompSliderIds[i], kCompValueIds[i], r.minimum,
                             r.maximum,
                             [field](int p) { return compressor::PositionText(field, p); },
                             Qt::Horizontal, compGroup_);
    row->slider()->setFocusPolicy(Qt::StrongFocus);
    row->slider()->setMinimumWidth(100);
    row->title()->setMinimumWidth(76);
    connect(row, &ValueRow::userMoved, this, [this, field](int p) { onCompressor(field, p); });
    box->addWidget(row);
    comps_[i] = row;
  }
  return compGroup_;
}

QString OutputPage::caption(int id, TextPair fallback) const {
  return DialogCaption(context().dialogTable(), dialogId(), id, context().text(fallback));
}

// ---- refresh ------------------------------------------------------------------------------

void OutputPage::SelectChannel(int channel) {
  if (channel < 0 || channel >= kChannels) return;
  channel_ = channel;
  context().setLastOutputChannel(channel_);
  ApplyLanguage();  // ends with RefreshAll
}

void OutputPage::configureEq() {
  EqEditorConfig config;
  config.eqSet = OutputEqSet(channel_);
  config.records = EqSetBandCount(config.eqSet);
  config.bandCount = config.records;
  config.tableRows = EqSetModel::kOutputMarkers;
  config.typeOperation = EqEditorConfig::TypeOperation::kChooseBandType;
  config.bypassWord = word(Param::OutEqBypass, channel_);
  config.sendBand = [this](int record, int type, float gainDb, int frequency, float q) {
    // The current channel's band, as the graph holds it, to every channel of the set.
    for (int i : linkedSet()) {
      context().core().uiEq.SendOutputEqBand(i, record, type, gainDb, frequency, q);
    }
  };
  config.copyEqSet = [this](int source, int target) {
    return context().core().uiEq.CopyEqSet(source, target);
  };
  editor_->configure(std::move(config));
}

void OutputPage::RefreshAll() {
  const ParameterMemory& mem = context().core().mem;
  const Language language = context().language();

  picture_->setPixmap(pictures::Render(pictures::kChannelSize, [&](QPainter& p, const QRect& r) {
    pictures::PaintChannel(p, r, channel_, language);
  }));

  for (size_t m = 0; m < 4; ++m) {
    mixes_[m]->setPosition(mem.pc.getInt(size_t(word(kMixParams[m], channel_))));
  }

  configureEq();  // deselects the band
  editor_->LoadEq();

  nav_->setPressed(OutputNavRow::kIds[size_t(channel_)]);
  for (int i = 0; i < kChannels; ++i) {
    QCheckBox* link = links_[size_t(i)];
    const QSignalBlocker block(link);
    link->setChecked(linked_[size_t(i)]);
    link->setVisible(i != channel_);
  }

  for (int i = 0; i < kChannels; ++i) {
    {
      const QSignalBlocker block(mutes_[size_t(i)]);
      mutes_[size_t(i)]->setChecked(mem.pc.getInt(size_t(word(Param::ChannelMute, i))) != 0);
    }
    {
      const QSignalBlocker block(phases_[size_t(i)]);
      phases_[size_t(i)]->setChecked(mem.pc.getInt(size_t(word(Param::ChannelPhase, i))) != 0);
    }
    // A source word that names no list entry shows none.
    const int source = mem.pc.getInt(size_t(word(Param::SpeakerAssign, i)));
    QComboBox* list = sources_[size_t(i)];
    const QSignalBlocker block(list);
    list->setCurrentIndex(source >= 0 && source < list->count() ? source : -1);
  }

  refreshCompressor();
  refreshDelay();
}

void OutputPage::refreshCompressor() {
  const ParameterMemory& mem = context().core().mem;
  {
    const QSignalBlocker block(compOn_);
    compOn_->setChecked(compressor::IsOn(mem, channel_));
  }
  const compressor::Positions p = compressor::StoredPositions(mem, channel_);
  const compressor::Values v = compressor::ShownValues(mem, channel_);
  comps_[0]->setPosition(p.threshold);
  comps_[1]->setPosition(p.ratio);
  comps_[2]->setPosition(p.attack);
  comps_[3]->setPosition(p.release);
  comps_[0]->valueLabel()->setText(compressor::ThresholdText(v.threshold));
  comps_[1]->valueLabel()->setText(compressor::RatioText(v.ratio));
  comps_[2]->valueLabel()->setText(compressor::TimeText(v.attack));
  comps_[3]->valueLabel()->setText(compressor::TimeText(v.release));
}

void OutputPage::refreshDelay() {
  Core& core = context().core();
  const ParameterMemory& mem = core.mem;
  split_->setPosition(core.uiEq.FindHighFreqSplit(channel_));
  const float ms = mem.pc.getFloat(size_t(word(Param::ChannelDelay, channel_)));
  delay_->setFromWord(ms, 10.0);
  // The text tells the stored delay; a word that is no number shows where the slider is.
  if (std::isfinite(ms)) delay_->valueLabel()->setText(QString::asprintf("%.1fms", double(ms)));
  {
    const QSignalBlocker block(delayOn_);
    delayOn_->setChecked(mem.pc.getInt(size_t(word(Param::DelayOn, channel_))) == 0);
  }
  delayMode_->setCheckedId(mem.pc.getInt(size_t(word(Param::DelayMode, channel_))) != 0 ? 1 : 0);
  applyDelayEnabling();
}

void OutputPage::applyDelayEnabling() {
  const bool on = delayOn_->isChecked();
  const bool split = delayMode_->checkedId() == 0;
  splitRadio_->setEnabled(on);
  channelDelayRadio_->setEnabled(on);
  delay_->valueLabel()->setEnabled(on);
  split_->slider()->setEnabled(on && split);
  split_->valueLabel()->setEnabled(on && split);
  // The channel delay slider stays usable with the delay switched off.
  delay_->slider()->setEnabled(true);
}

void OutputPage::ApplyLanguage() {
  Page::ApplyLanguage();
  const auto& table = context().dialogTable();
  nav_->ApplyLanguage(table, dialogId());
  for (int i = 0; i < kChannels; ++i) {
    mutes_[size_t(i)]->setText(caption(kMuteIds[size_t(i)], kMute));
    phases_[size_t(i)]->setText(caption(kPhaseIds[size_t(i)], kPhase));
    links_[size_t(i)]->setText(caption(kLinkIds[size_t(i)], kLinked));
  }
  for (size_t m = 0; m < 4; ++m) mixes_[m]->setTitle(caption(kMixTitleIds[m], kMixTitles[m]));
  mixGroup_->setTitle(context().text(kMixTitle));
  delayGroup_->setTitle(context().text(kDelayTitle));
  delayOn_->setText(caption(kDelayBoxId, kDelaySwitch));
  splitRadio_->setText(caption(kSplitRadioId, kSplitRadio));
  channelDelayRadio_->setText(caption(kChannelDelayRadioId, kChannelDelayRadio));
  compGroup_->setTitle(context().text(kCompTitle));
  compOn_->setText(caption(kCompressorBoxId, kCompressorSwitch));
  for (size_t i = 0; i < 4; ++i) comps_[i]->setTitle(caption(kCompTitleIds[i], kCompTitles[i]));
  editor_->setLanguage(context().language());
  LoadBandEditorTexts(*editor_, dialogId(), table);
  fillSourceLists();
  RefreshAll();
}

void OutputPage::fillSourceLists() {
  for (QComboBox* list : sources_) {
    const int selected = list->currentIndex();
    const QSignalBlocker block(list);
    list->clear();
    for (const TextPair& name : kSourceNames) list->addItem(context().text(name));
    list->setCurrentIndex(selected);
  }
}

// ---- EQ -----------------------------------------------------------------------------------

bool OutputPage::IsEqBypassed() const {
  return context().core().mem.pc.getInt(size_t(word(Param::OutEqBypass, channel_))) != 0;
}

void OutputPage::ToggleEqBypass() {
  const int value = IsEqBypassed() ? 0 : 1;
  for (int i : linkedSet()) context().core().ui.SetParam(Param::OutEqBypass, i, value);
  editor_->refreshBypass();
}

void OutputPage::ResetEq() {
  editor_->DeselectBand();
  for (int i : linkedSet()) context().core().uiEq.ResetOutputEq(i);
  editor_->DeselectBand();
  editor_->LoadEq();
}

// ---- edits --------------------------------------------------------------------------------

std::vector<int> OutputPage::linkedSet() const {
  std::vector<int> set;
  for (int i = 0; i < kChannels; ++i) {
    if (i == channel_ || linked_[size_t(i)]) set.push_back(i);
  }
  return set;
}

void OutputPage::onMix(int mix, int value) {
  Core& core = context().core();
  for (int i : linkedSet()) core.ui.SetParam(kMixParams[mix], i, value);
  if (core.mem.pc.getInt(size_t(word(Param::ChannelMute, channel_))) != 0) {
    context().ShowInfoBox(context().text(kVolIsMute), kInfoMs);
  }
}

void OutputPage::onSource(int channel, int index) {
  if (index < 0) return;
  context().core().ui.SetParam(Param::SpeakerAssign, channel, index);
}

void OutputPage::onMute(int channel, bool ticked) {
  context().core().ui.SetParam(Param::ChannelMute, channel, ticked ? 1 : 0);
}

void OutputPage::onPhase(int channel, bool ticked) {
  context().core().ui.SetParam(Param::ChannelPhase, channel, ticked ? 1 : 0);
}

void OutputPage::onLink(int channel, bool ticked) {
  linked_[size_t(channel)] = ticked;
}

void OutputPage::onDelaySwitch(bool ticked) {
  for (int i : linkedSet()) context().core().ui.SetDelayOn(i, ticked ? 0 : 1);
  applyDelayEnabling();
}

void OutputPage::onDelayMode(int mode) {
  for (int i : linkedSet()) context().core().uiEq.SetHighFreqDelay(i, mode);
  applyDelayEnabling();
}

void OutputPage::onSplit(int entry) {
  for (int i : linkedSet()) context().core().uiEq.SetHighFreqSplit(i, entry);
}

void OutputPage::onDelay(int tenths) {
  Core& core = context().core();
  const float ms = float(tenths / 10.0);
  if (ms == core.mem.pc.getFloat(size_t(word(Param::ChannelDelay, channel_)))) return;
  for (int i : linkedSet()) core.ui.SetChannelDelay(i, ms);
}

void OutputPage::onCompressorSwitch(bool ticked) {
  for (int i : linkedSet()) context().core().ui.SetCompressorOn(i, ticked ? 0 : 1);
}

void OutputPage::onCompressor(Field field, int position) {
  Core& core = context().core();
  // Every channel of the set takes the current channel's four values as the page shows them.
  const compressor::Values v = compressor::Moved(core.mem, channel_, field, position);
  for (int i : linkedSet()) compressor::Send(core.ui, i, v);
}

bool OutputPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel) {
    // The wheel goes to the focused graph or slider, wherever the pointer is on the page.
    QWidget* focus = QApplication::focusWidget();
    QWidget* target = editor_->wheelTarget();
    for (ValueRow* row : {mixes_[0], mixes_[1], mixes_[2], mixes_[3], split_, delay_, comps_[0],
                          comps_[1], comps_[2], comps_[3]}) {
      if (focus == row->slider()) target = focus;
    }
    if (target && watched != target) {
      if (target->isEnabled()) QApplication::sendEvent(target, event);
      return true;
    }
  }
  return Page::eventFilter(watched, event);
}

Page* CreateOutputPage(PageContext& context, int channel, QWidget* parent) {
  return new OutputPage(context, channel, parent);
}

}  // namespace ax7::ui
