#include "pages/music_page.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <memory>

#include "core/core.h"
#include "graphs/peak_meter.h"
#include "graphs/small_eq_panel.h"
#include "pages/dialog_texts.h"
#include "pages/eq_editor.h"
#include "pages/eq_exchange_ui.h"
#include "pages/input_eq.h"
#include "pages/page_factory.h"
#include "pages/pictures.h"
#include "pages/radio_group.h"
#include "pages/value_row.h"
#include "params/band_record.h"
#include "params/eq_set_model.h"
#include "params/eq_sets.h"
#include "params/saturate.h"

namespace ax7::ui {

namespace {

constexpr int kDialog = int(PageKind::Music);
constexpr int kMusicGroup = 2;

// Captions this page adds to its dialog's table: the slider titles of each microphone column.
constexpr int kGateTitleId = 1230;    // .. 1233
constexpr int kVolumeTitleId = 1234;  // .. 1237

constexpr TextPair kGroupNames[] = {{"Mic CH A", "Mic CH A"}, {"Mic CH B", "Mic CH B"}, {"Music", "Music"}};
constexpr TextPair kMicNames[] = {{"有线话筒(2)", "Wire Mic(2)"},
                                  {"有线话筒(3)", "Wire Mic(3)"},
                                  {"无线话筒(1)", "Wireless Mic(1)"},
                                  {"无线话筒(4)", "Wireless Mic(4)"}};

const QColor kBackground(240, 250, 255);
// Per group: effect list text, preview curves, EQ table row numbers.
const QColor kListColour[] = {QColor(0, 200, 255), QColor(0, 255, 0), QColor(100, 100, 100)};
const QColor kCurveColour[] = {QColor(0, 200, 255), QColor(0, 220, 0), QColor(100, 100, 100)};
const QColor kRowNumberColour[] = {QColor(0, 200, 255), QColor(0, 220, 0), QColor(255, 200, 0)};

bool IsFloatWord(Encoding e) {
  return e == Encoding::Predelay || e == Encoding::EchoTime || e == Encoding::ReverbTime;
}

// Where the two previews of a microphone group read their bands and bypass.
constexpr int kReverbPreview[] = {kReverbAEqSet, kReverbBEqSet};
constexpr int kEchoPreview[] = {kEchoAEqSet, kEchoBEqSet};

// Writes a band into the preview, each value only when it differs from what the panel shows:
// every setter recomputes the curves, and a refresh that changes nothing should cost nothing.
void ShowBand(CSmallEqPanel& panel, int b, int type, float gain, float frequency, float q) {
  const CSmallEqPanel::Band& now = panel.band(b);
  if (now.type != type) panel.setType(b, type);
  if (now.gain != std::clamp(gain, CSmallEqPanel::kMinGainDb, CSmallEqPanel::kMaxGainDb)) {
    panel.setGain(b, gain);
  }
  // A frequency of 0 stands for none: the panel keeps the one it has.
  if (frequency != 0 && now.freq != std::clamp(frequency, 20.0f, 20000.0f)) {
    panel.setFrequency(b, frequency);
  }
  if (now.q != q) panel.setQ(b, q);
}

// The preview shows the bands as the EQ editor of the set would: loaded by the same rule.
void ShowStoredBands(CSmallEqPanel& panel, const ParameterMemory& mem, int set) {
  panel.setBypass(mem.pc.getInt(size_t(Describe(DescribeEqSet(set).bypass).word)) != 0);
  const EqSetModel model = EqSetModel::Loaded(mem, set, CSmallEqPanel::kBands);
  for (int b = 0; b < CSmallEqPanel::kBands; ++b) {
    const dsp::EqBand& shown = model.band(b);
    ShowBand(panel, b, shown.type, shown.gainDb, shown.freq, shown.q);
  }
}

void ShowFlatBands(CSmallEqPanel& panel) {
  panel.setBypass(false);
  for (int b = 0; b < CSmallEqPanel::kBands; ++b) ShowBand(panel, b, 1, 0, 100, 1.0f);
}

}  // namespace

const std::array<EffectRow, kEffectRows>& EffectRows() {
  static const std::array<EffectRow, kEffectRows> rows = {{
      {{"混响电平", "Reverb Level"}, 0, 100, Param::ReverbLevelA, Param::ReverbLevelB},
      {{"混响预延时", "Reverb Predelay"}, 2, 200, Param::ReverbPredelayA, Param::ReverbPredelayB},
      {{"混响时长", "Reverb Time"}, 0, 100, Param::ReverbTimeA, Param::ReverbTimeB},
      {{"回声电平", "Echo Level"}, 0, 100, Param::EchoLevelA, Param::EchoLevelB},
      {{"回声预延时", "Echo Predelay"}, 2, 200, Param::EchoPredelayA, Param::EchoPredelayB},
      {{"回声间隔", "Echo Time"}, 180, 260, Param::EchoTimeA, Param::EchoTimeB},
      {{"回声起始音量", "Echo Start Vol"}, 40, 100, Param::EchoStartVolA, Param::EchoStartVolB},
      {{"回声衰减比例", "Echo Vol Decay"}, 20, 90, Param::EchoDecayA, Param::EchoDecayB},
      {{"话筒移频", "Shift Frequency"}, 1, 5, Param::ShiftFreqA, Param::ShiftFreqB},
  }};
  return rows;
}

QString EffectValueText(int row, int position, Language language) {
  switch (row) {
    case 0:
    case 3:
    case 6:
    case 7:
      return QString::asprintf("%d%%", position);
    case 1:
    case 4:
    case 5:
      return QString::asprintf("%dms", position);
    case 2:
      return QString::asprintf("%.0fms", position * 49.6 + 40);
    case 8:
      return position <= 1 ? Pick(language, "关闭", "Off") : QString::asprintf("%dHz", position);
    default:
      return {};
  }
}

QString MusicFormatText(uint8_t flags) {
  if (flags & 0x01) return QStringLiteral("DOLBY");
  if (flags & 0x02) return QStringLiteral("DTS");
  if (flags & 0x04) return QStringLiteral("Multi-CH LPCM");
  return QStringLiteral("Stereo");
}

MusicPage::MusicPage(PageContext& context, int group, QWidget* parent)
    : Page(context, PageKind::Music, parent), group_(std::clamp(group, 0, 2)) {
  build();
  configureGroup();
  ApplyLanguage();  // texts, then the one refresh from memory
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
  if (const int period = context.pageStatusPeriodMs(); period > 0) {
    statusTimer_ = new QTimer(this);
    connect(statusTimer_, &QTimer::timeout, this, &MusicPage::updateStatus);
    statusTimer_->start(period);
  }
  updateStatus();
}

MusicPage::~MusicPage() = default;

void MusicPage::build() {
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kBackground);
  setPalette(pal);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 4, 6, 4);
  grid->setSpacing(6);

  // Group buttons.
  auto* groups = new QHBoxLayout;
  for (int g = 0; g < 3; ++g) {
    auto* b = new ImageButton(Pick(Language::English, kGroupNames[g]), this);
    b->setProperty("ax7Id", 1068 + g);
    b->setCheckable(true);
    b->setMinimumWidth(110);
    connect(b, &QAbstractButton::clicked, this, [this, g] { SelectArgument(g); });
    groupButtons_[size_t(g)] = b;
    groups->addWidget(b);
  }
  groups->addStretch();
  grid->addLayout(groups, 0, 0, 1, 2);

  // Microphone columns: title, routing pair, gate and volume, meter.
  auto* mics = new QGridLayout;
  mics->setHorizontalSpacing(10);
  mics->setVerticalSpacing(3);
  QPalette blue = pal;
  blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
  const auto number = [](int p) { return QString::number(p); };
  for (int i = 0; i < kMics; ++i) {
    auto* title = new QLabel(Pick(Language::English, kMicNames[i]), this);
    title->setProperty("ax7Id", 1185 + i);
    title->setPalette(blue);
    title->setAlignment(Qt::AlignCenter);
    mics->addWidget(title, 0, i);

    auto* pair = new QVBoxLayout;
    pair->setSpacing(0);
    routing_[size_t(i)] = new RadioGroup(this);
    for (int ch = 0; ch < 2; ++ch) {
      auto* r = new QRadioButton(ch == 0 ? "CH A" : "CH B", this);
      r->setProperty("ax7Id", 1190 + 2 * i + ch);
      routing_[size_t(i)]->addButton(r, ch);
      pair->addWidget(r, 0, Qt::AlignHCenter);
    }
    connect(routing_[size_t(i)], &RadioGroup::idClicked, this, [this, i](int ch) { route(i, ch); });
    mics->addLayout(pair, 1, i);
    mics->setColumnMinimumWidth(i, 96);

    auto* sliders = new QHBoxLayout;
    gates_[size_t(i)] =
        new ValueRow(kGateTitleId + i, 1052 + i, 1152 + 2 * i, 0, 100, number, Qt::Vertical, this);
    volumes_[size_t(i)] =
        new ValueRow(kVolumeTitleId + i, 1056 + i, 1160 + 2 * i, 0, 100, number, Qt::Vertical, this);
    connect(gates_[size_t(i)], &ValueRow::userMoved, this,
            [this, i](int v) { context().core().ui.SetParam(Param::MicGate, i, v); });
    connect(volumes_[size_t(i)], &ValueRow::userMoved, this,
            [this, i](int v) { context().core().ui.SetParam(Param::MicVolume, i, v); });
    gates_[size_t(i)]->setFixedWidth(44);
    volumes_[size_t(i)]->setFixedWidth(44);
    sliders->addWidget(gates_[size_t(i)]);
    sliders->addWidget(volumes_[size_t(i)]);
    mics->addLayout(sliders, 2, i);
    mics->setRowStretch(2, 1);

    CPeakMeterCtrl* meter = createMusicPageMeter(this);
    meter->setProperty("ax7Id", 1170 + i);
    meter->setFixedSize(92, 14);
    micMeters_[size_t(i)] = meter;
    mics->addWidget(meter, 3, i, Qt::AlignHCenter);
  }

  // Music area: two meters and the format text.
  auto* music = new QGroupBox("Music Peak", this);
  music->setProperty("ax7Id", 1142);
  auto* musicLayout = new QGridLayout(music);
  musicLayout->setContentsMargins(6, 2, 6, 4);
  for (int side = 0; side < 2; ++side) {
    CPeakMeterCtrl* meter = createMusicPageMeter(music);
    meter->setProperty("ax7Id", 1168 + side);
    meter->setFixedHeight(14);
    musicMeters_[size_t(side)] = meter;
    musicLayout->addWidget(new QLabel(side == 0 ? "L" : "R", music), side, 0);
    musicLayout->addWidget(meter, side, 1);
  }
  format_ = new QLabel(music);
  format_->setProperty("ax7Id", 1222);
  format_->setAlignment(Qt::AlignCenter);
  QFont bold = format_->font();
  bold.setBold(true);
  format_->setFont(bold);
  format_->setMinimumWidth(110);
  musicLayout->addWidget(format_, 0, 2, 2, 1);
  mics->addWidget(music, 4, 0, 1, kMics);

  grid->addLayout(mics, 1, 0);

  // The group's EQ.
  eq_ = new EqEditor(context().core().mem, context().eqCopySource(), this);
  eq_->exchange()->setBeforeApply(
      [this] { return this->context().keepSnapshot(history::SnapshotReason::EqImport); });
  eq_->exchange()->setPrompter(&context().prompter());
  TagEqEditorControls(*eq_);
  grid->addWidget(eq_, 1, 1);

  // Effect list, its slider and the two effect EQ previews.
  auto* bottom = new QHBoxLayout;
  effects_ = new QTableWidget(kEffectRows, 3, this);
  effects_->setProperty("ax7Id", 1141);
  effects_->verticalHeader()->hide();
  effects_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  effects_->setSelectionBehavior(QAbstractItemView::SelectRows);
  effects_->setSelectionMode(QAbstractItemView::SingleSelection);
  effects_->verticalHeader()->setDefaultSectionSize(17);
  effects_->horizontalHeader()->setStretchLastSection(true);
  effects_->setColumnWidth(0, 30);
  effects_->setColumnWidth(1, 130);
  effects_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  effects_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  effects_->setMinimumWidth(300);
  for (int r = 0; r < kEffectRows; ++r) {
    for (int c = 0; c < 3; ++c) {
      auto* item = new QTableWidgetItem;
      if (c == 0) item->setText(QString::asprintf("%d", r + 1));
      if (c != 1) item->setTextAlignment(Qt::AlignCenter);
      effects_->setItem(r, c, item);
    }
  }
  fitEffectList();
  connect(effects_, &QTableWidget::currentCellChanged, this,
          [this](int row, int, int, int) { selectEffectRow(row); });
  connect(effects_, &QTableWidget::cellClicked, this, [this](int row, int) { selectEffectRow(row); });
  bottom->addWidget(effects_, 3);

  const EffectRow& first = EffectRows()[0];
  effectSlider_ = new ValueRow(1124, 1000, 1038, first.minimum, first.maximum,
                               [](int p) { return QString::number(p); }, Qt::Vertical, this);
  effectName_ = effectSlider_->title();
  effectName_->setMinimumWidth(110);
  effectSlider_->slider()->setFixedHeight(100);
  connect(effectSlider_, &ValueRow::userMoved, this, &MusicPage::effectMoved);
  bottom->addWidget(effectSlider_);

  const auto preview = [&](int panelId, int titleId, int hintId, const char* title,
                           const char* hint, CSmallEqPanel** panel, QLabel** titleLabel,
                           QLabel** hintLabel, bool reverb) {
    auto* column = new QVBoxLayout;
    *titleLabel = new QLabel(title, this);
    (*titleLabel)->setProperty("ax7Id", titleId);
    *panel = new CSmallEqPanel(this);
    (*panel)->setProperty("ax7Id", panelId);
    (*panel)->setMinimumSize(180, 80);
    (*panel)->setCursor(Qt::PointingHandCursor);
    *hintLabel = new QLabel(hint, this);
    (*hintLabel)->setProperty("ax7Id", hintId);
    connect(*panel, &CSmallEqPanel::clicked, this, [this, reverb] { openEffects(reverb); });
    column->addWidget(*titleLabel);
    column->addWidget(*panel, 1);
    column->addWidget(*hintLabel);
    bottom->addLayout(column, 2);
  };
  preview(1144, 1132, 1146, "Reverb EQ", "Click to enter reverb EQ", &reverbPreview_,
          &previewTexts_[0], &previewTexts_[1], true);
  preview(1143, 1145, 1189, "Echo EQ", "Click to enter echo EQ", &echoPreview_,
          &previewTexts_[2], &previewTexts_[3], false);

  grid->addLayout(bottom, 2, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(1, 1);
  grid->setVerticalSpacing(4);
}

void MusicPage::fitEffectList() {
  // All nine rows without a scroll bar.
  effects_->setFixedHeight(effects_->horizontalHeader()->sizeHint().height() +
                           effects_->verticalHeader()->length() + 2 * effects_->frameWidth());
}

void MusicPage::SelectArgument(int group) {
  group_ = std::clamp(group, 0, 2);
  configureGroup();
  RefreshAll();
}

void MusicPage::configureGroup() {
  eq_->configure(InputEqConfig(context().core(), MusicGroupEq(group_)));
  eq_->setRowNumberColour(kRowNumberColour[group_]);
}

void MusicPage::RefreshAll() {
  const auto& pc = context().core().mem.pc;
  for (int i = 0; i < kMics; ++i) {
    routing_[size_t(i)]->setCheckedId(pc.getInt(size_t(Describe(Param::MicToA).wordOf(i))) != 0 ? 0 : 1);
    gates_[size_t(i)]->setPosition(pc.getInt(size_t(Describe(Param::MicGate).wordOf(i))));
    volumes_[size_t(i)]->setPosition(pc.getInt(size_t(Describe(Param::MicVolume).wordOf(i))));
  }
  refreshGroupState();
  eq_->DeselectBand();
  eq_->LoadEq();
  refreshEffects();
  refreshPreviews();
}

void MusicPage::refreshGroupState() {
  const bool effects = group_ != kMusicGroup;
  for (int g = 0; g < 3; ++g) groupButtons_[size_t(g)]->setChecked(g == group_);
  effects_->setEnabled(effects);
  effectSlider_->setEnabled(effects);
  reverbPreview_->setEnabled(effects);
  echoPreview_->setEnabled(effects);
  for (QLabel* l : previewTexts_) l->setEnabled(effects);
}

void MusicPage::ApplyLanguage() {
  Page::ApplyLanguage();
  const auto& table = context().dialogTable();
  for (int i = 0; i < kMics; ++i) {
    gates_[size_t(i)]->setTitle(DialogCaption(table, kDialog, kGateTitleId + i, "MNG"));
    volumes_[size_t(i)]->setTitle(DialogCaption(table, kDialog, kVolumeTitleId + i, "Vol"));
  }
  effects_->setHorizontalHeaderLabels(
      {"", context().text("参数名", "Parameter name"), context().text("参数值", "Value")});
  for (int r = 0; r < kEffectRows; ++r) effects_->item(r, 1)->setText(context().text(EffectRows()[size_t(r)].name));
  fitEffectList();
  eq_->setLanguage(context().language());
  LoadBandEditorTexts(*eq_, dialogId(), context().dialogTable());
  RefreshAll();
  effectName_->setText(context().text(EffectRows()[size_t(effectRow_)].name));
}

int MusicPage::effectPosition(int row) const {
  const EffectRow& r = EffectRows()[size_t(row)];
  const ParamDesc& d = Describe(group_ == 1 ? r.b : r.a);
  const auto& pc = context().core().mem.pc;
  if (IsFloatWord(d.encoding)) return SliderPosition(pc.getFloat(size_t(d.word)), r.minimum, r.maximum);
  return std::clamp(pc.getInt(size_t(d.word)), r.minimum, r.maximum);
}

void MusicPage::refreshEffects() {
  const QColor colour = kListColour[group_];
  for (int r = 0; r < kEffectRows; ++r) {
    for (int c = 0; c < 3; ++c) effects_->item(r, c)->setForeground(colour);
    effects_->item(r, 2)->setText(EffectValueText(r, effectPosition(r), context().language()));
  }
  showEffectRow(effectRow_);
}

void MusicPage::selectEffectRow(int row) {
  if (row < 0 || row >= kEffectRows) return;
  effectRow_ = row;
  showEffectRow(row);
}

void MusicPage::showEffectRow(int row) {
  {
    const QSignalBlocker block(effects_);
    effects_->setCurrentCell(row, 0);
  }
  const EffectRow& r = EffectRows()[size_t(row)];
  const Language language = context().language();
  effectSlider_->slider()->setRange(r.minimum, r.maximum);
  effectSlider_->setFormatter([row, language](int p) { return EffectValueText(row, p, language); });
  effectSlider_->setPosition(effectPosition(row));
  effectName_->setText(context().text(r.name));
}

void MusicPage::effectMoved(int position) {
  if (group_ == kMusicGroup) return;
  const EffectRow& r = EffectRows()[size_t(effectRow_)];
  Core& core = context().core();
  core.ui.SetParam(group_ == 1 ? r.b : r.a, position);
  effects_->item(effectRow_, 2)->setText(EffectValueText(effectRow_, position, context().language()));
  // The level goes out all the same; the warning says why nothing is heard.
  const auto muted = [&core](Param p) { return core.mem.pc.getInt(size_t(Describe(p).word)) != 0; };
  if (position != 0 && effectRow_ == 0 && muted(Param::ReverbMute)) {
    context().ShowInfoBox(context().text("混响已静音", "Reverb vol is mute"), 1100);
  } else if (position != 0 && effectRow_ == 3 && muted(Param::EchoMute)) {
    context().ShowInfoBox(context().text("回声已静音", "Echo vol is mute"), 1100);
  }
}

void MusicPage::stepEffect(int steps) {
  if (group_ == kMusicGroup || steps == 0) return;
  StepSlider* s = effectSlider_->slider();
  const int before = s->value();
  effectSlider_->setPosition(before + steps);
  if (s->value() != before) effectMoved(s->value());
}

void MusicPage::refreshPreviews() {
  const QColor colour = kCurveColour[group_];
  reverbPreview_->setCurveColor(colour);
  echoPreview_->setCurveColor(colour);
  if (group_ == kMusicGroup) {
    ShowFlatBands(*reverbPreview_);
    ShowFlatBands(*echoPreview_);
    return;
  }
  const ParameterMemory& mem = context().core().mem;
  ShowStoredBands(*reverbPreview_, mem, kReverbPreview[group_]);
  ShowStoredBands(*echoPreview_, mem, kEchoPreview[group_]);
}

void MusicPage::openEffects(bool reverb) {
  if (group_ == kMusicGroup) return;
  emit showPageRequested(PageKind::Effects, (reverb ? 0 : 2) + group_);
}

void MusicPage::route(int mic, int channel) {
  // Group A's word first, then group B's: the microphone is in exactly one group.
  Commands& ui = context().core().ui;
  ui.SetParam(Param::MicToA, mic, channel == 0 ? 100 : 0);
  ui.SetParam(Param::MicToB, mic, channel == 0 ? 0 : 100);
}

bool MusicPage::IsEqBypassed() const {
  const bool bypassed = InputEqBypassed(context().core(), MusicGroupEq(group_));
  eq_->refreshBypass();
  return bypassed;
}

void MusicPage::ToggleEqBypass() {
  ToggleInputEqBypass(context().core(), MusicGroupEq(group_));
  eq_->refreshBypass();
}

void MusicPage::ResetEq() {
  ResetInputEq(context().core(), MusicGroupEq(group_));
  eq_->DeselectBand();
  eq_->LoadEq();
}

void MusicPage::updateStatus() {
  const auto& live = context().core().mem.dev.g_liveStatus;
  for (int i = 0; i < kMics; ++i) {
    const int level = live.get(size_t(i));
    micMeters_[size_t(i)]->PushLevels(std::span<const int>(&level, 1), 0);
  }
  for (int side = 0; side < 2; ++side) {
    const int level = live.get(size_t(4 + side));
    musicMeters_[size_t(side)]->PushLevels(std::span<const int>(&level, 1), 0);
  }
  format_->setText(MusicFormatText(live.get(7)));
}

bool MusicPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel) return routeWheel(watched, event);
  if (event->type() == QEvent::KeyPress && watched == effects_) {
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Left:
      case Qt::Key_Down:
        stepEffect(-1);
        return true;
      case Qt::Key_Up:
      case Qt::Key_Right:
        stepEffect(1);
        return true;
      default:
        break;
    }
  }
  return Page::eventFilter(watched, event);
}

bool MusicPage::routeWheel(QObject* watched, QEvent* event) {
  if (forwardingWheel_) return false;
  auto* w = qobject_cast<QWidget*>(watched);
  if (w && (w == effects_ || effects_->isAncestorOf(w))) {
    const int dy = static_cast<QWheelEvent*>(event)->angleDelta().y();
    stepEffect(dy > 0 ? 1 : (dy < 0 ? -1 : 0));
    return true;
  }
  // Anywhere else on the page the turn goes to the focused slider or graph, or nowhere.
  QWidget* focus = QApplication::focusWidget();
  QWidget* target = nullptr;
  if (focus && (focus == effectSlider_->slider() || focus == eq_->wheelTarget())) target = focus;
  for (int i = 0; i < kMics && !target; ++i) {
    if (focus && (focus == gates_[size_t(i)]->slider() || focus == volumes_[size_t(i)]->slider())) target = focus;
  }
  if (!target) return qobject_cast<QAbstractSlider*>(watched) != nullptr;
  if (target == watched) return false;
  forwardingWheel_ = true;
  QCoreApplication::sendEvent(target, event);
  forwardingWheel_ = false;
  return true;
}

Page* CreateMusicPage(PageContext& context, int argument, QWidget* parent) {
  return new MusicPage(context, argument, parent);
}

}  // namespace ax7::ui
