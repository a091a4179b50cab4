#include "pages/machine_settings_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <algorithm>

#include "core/core.h"
#include "pages/dialog_texts.h"
#include "pages/page_factory.h"
#include "pages/pictures.h"
#include "pages/prompter.h"
#include "pages/radio_group.h"
#include "pages/value_row.h"

namespace ax7::ui {

namespace {

constexpr TextPair kInvalid{"无效", "Invalid"};
constexpr TextPair kNotConnected{"请先连接设备!", "Please connect device!"};
constexpr TextPair kApplied{"机器设置已生效!", "Setting valid"};
constexpr TextPair kResetting{"正在复位，请稍等……", "Resetting, wait a moment"};
constexpr TextPair kPlugNote{
    "当因为意外情况，导致插座数据出错，而无法启动智能插座的控制界面时，您可以点击“清空插座数据”"
    "后重试",
    "If the plug data was damaged and the smart plug control screen no longer starts, click "
    "\"Clear plug data\" and try again"};
constexpr TextPair kAskModeReset{"模式 M%1 的全部设置将恢复为出厂值。确定要重置吗？",
                                 "Every setting of mode M%1 goes back to its factory value. "
                                 "Reset it?"};
constexpr TextPair kAskPlugReset{
    "插座数据将被清空，所有智能插座需要重新配对。确定要清空吗？",
    "The plug data will be erased and every smart plug must be paired again. Erase it?"};
constexpr int kNoticeMs = 1100;
constexpr int kResetNoticeMs = 4000;
constexpr uint8_t kCmdResetMode = 0x06;

// Captions built in code, for controls whose table entry is empty in a language.
struct Caption {
  int id;
  TextPair text;
};
constexpr Caption kCaptions[] = {
    {MachineSettingsWindow::kVolumeFrame, {"音量相关设置", "Start vol"}},
    {MachineSettingsWindow::kMicStartTitle, {"话筒开机音量", "Mic start vol"}},
    {MachineSettingsWindow::kMusicStartTitle, {"音乐开机音量", "Music start vol"}},
    {MachineSettingsWindow::kMicMaxTitle, {"话筒最大音量", "Mic max vol"}},
    {MachineSettingsWindow::kMusicMaxTitle, {"音乐最大音量", "Music max vol"}},
    {MachineSettingsWindow::kMicEnable, {"启用", "Enable"}},
    {MachineSettingsWindow::kMusicEnable, {"启用", "Enable"}},
    {MachineSettingsWindow::kSaveFrame, {"音量保存方式", "Vol save mode"}},
    {MachineSettingsWindow::kSaveLabel,
     {"主音量和\\n输入源：", "Master volume and\\ninput source:"}},
    {MachineSettingsWindow::kByPower, {"按开关机", "By power"}},
    {MachineSettingsWindow::kByMode, {"按模式", "By mode "}},
    {MachineSettingsWindow::kPowerOnFrame, {"开机模式", "Power on mode"}},
    {MachineSettingsWindow::kPowerOnLabel, {"机器开机指定模式", "Mode at power-on"}},
    {MachineSettingsWindow::kModeFrame, {"重置机器模式", "Default mode"}},
    {MachineSettingsWindow::kPlugFrame, {"重置插座数据", "Reset plug data"}},
    {MachineSettingsWindow::kPlugReset, {"清空插座数据", "Clear plug data"}},
    {MachineSettingsWindow::kApply, {"应用设置", "Apply"}},
    {MachineSettingsWindow::kCancel, {"取消设置", "Cancel"}},
};

QString captionFallback(const PageContext& context, int id) {
  for (const Caption& c : kCaptions) {
    if (c.id == id) return context.text(c.text);
  }
  return {};
}

template <typename W>
W* tagged(W* w, int id) {
  w->setProperty("ax7Id", id);
  return w;
}

void setCaption(QWidget* w, const QString& text) {
  if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    b->setText(text);
  } else if (auto* l = qobject_cast<QLabel*>(w)) {
    l->setText(text);
  } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
    g->setTitle(text);
  }
}

}  // namespace

MachineSettingsWindow::MachineSettingsWindow(PageContext& context, QWidget* parent)
    : ToolWindow(context, kMachineSettingsWindow, parent) {
  setObjectName("machineSettingsWindow");
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(240, 250, 255));
  setPalette(pal);

  auto number = [](int p) { return QString::number(p); };
  auto* volumes = tagged(new QGroupBox(this), kVolumeFrame);
  auto* grid = new QGridLayout(volumes);
  auto makeRow = [&](int t, int s, int v, int min) {
    auto* row = new ValueRow(t, s, v, min, kMaxStartVolume, number, Qt::Horizontal, volumes);
    row->slider()->setMinimumWidth(160);
    // Room for "Invalid" in either language, and the same in every row so the sliders line up.
    const QFontMetrics fm(row->valueLabel()->font());
    row->valueLabel()->setMinimumWidth(
        std::max(fm.horizontalAdvance(QString::fromUtf8(kInvalid.en)),
                 fm.horizontalAdvance(QString::fromUtf8(kInvalid.zh))) +
        8);
    captioned_.push_back(row->title());
    return row;
  };
  ValueRow* micStart = makeRow(kMicStartTitle, kMicStartSlider, kMicStartValue, 0);
  ValueRow* musicStart = makeRow(kMusicStartTitle, kMusicStartSlider, kMusicStartValue, 0);
  micMax_ = makeRow(kMicMaxTitle, kMicMaxSlider, kMicMaxValue, 1);
  musicMax_ = makeRow(kMusicMaxTitle, kMusicMaxSlider, kMusicMaxValue, 1);
  auto* micEnable = tagged(new QCheckBox(volumes), kMicEnable);
  auto* musicEnable = tagged(new QCheckBox(volumes), kMusicEnable);
  captioned_.insert(captioned_.end(), {volumes, micEnable, musicEnable});
  grid->addWidget(micStart, 0, 0);
  grid->addWidget(micEnable, 0, 1);
  grid->addWidget(musicStart, 1, 0);
  grid->addWidget(musicEnable, 1, 1);
  grid->addWidget(micMax_, 2, 0);
  grid->addWidget(musicMax_, 3, 0);
  starts_ = {Start{micStart, micEnable, kSetMicStart, kSetMicMax, int(Param::MicMaster)},
             Start{musicStart, musicEnable, kSetMusicStart, kSetMusicMax, int(Param::MusicMaster)}};

  auto* save = tagged(new QGroupBox(this), kSaveFrame);
  auto* saveLayout = new QHBoxLayout(save);
  auto* saveLabel = tagged(new QLabel(save), kSaveLabel);
  auto* byPower = tagged(new QRadioButton(save), kByPower);
  auto* byMode = tagged(new QRadioButton(save), kByMode);
  saveMode_ = new RadioGroup(this);
  saveMode_->addButton(byPower, 0);
  saveMode_->addButton(byMode, 1);
  saveLayout->addWidget(saveLabel);
  saveLayout->addWidget(byPower);
  saveLayout->addWidget(byMode);
  captioned_.insert(captioned_.end(), {save, saveLabel, byPower, byMode});

  auto* power = tagged(new QGroupBox(this), kPowerOnFrame);
  auto* powerLayout = new QHBoxLayout(power);
  auto* powerLabel = tagged(new QLabel(power), kPowerOnLabel);
  powerOn_ = tagged(new QComboBox(power), kPowerOnList);
  powerOn_->addItem(QString());  // "Auto", named by ApplyLanguage
  for (int m = 1; m <= 4; ++m) powerOn_->addItem(QStringLiteral("M%1").arg(m));
  powerLayout->addWidget(powerLabel);
  powerLayout->addWidget(powerOn_, 1);
  captioned_.insert(captioned_.end(), {power, powerLabel});

  auto* modes = tagged(new QGroupBox(this), kModeFrame);
  auto* modeLayout = new QHBoxLayout(modes);
  for (int m = 0; m < 4; ++m) {
    auto* b = tagged(new ImageButton(QStringLiteral("M%1").arg(m + 1), modes), kModeM1 + m);
    b->setCheckable(true);
    modes_[size_t(m)] = b;
    modeLayout->addWidget(b);
    // The pressed face shows the current mode; a click acts, it does not toggle.
    connect(b, &QAbstractButton::clicked, this, [this, m] {
      showModeButtons();
      resetMode(m);
    });
  }
  captioned_.push_back(modes);

  auto* plugs = tagged(new QGroupBox(this), kPlugFrame);
  auto* plugLayout = new QVBoxLayout(plugs);
  auto* plugReset = tagged(new QPushButton(plugs), kPlugReset);
  plugNote_ = new QLabel(plugs);
  plugNote_->setWordWrap(true);
  plugLayout->addWidget(plugReset, 0, Qt::AlignLeft);
  plugLayout->addWidget(plugNote_);
  captioned_.insert(captioned_.end(), {plugs, plugReset});

  auto* applyButton = tagged(new ImageButton(QString(), this), kApply);
  auto* cancelButton = tagged(new ImageButton(QString(), this), kCancel);
  captioned_.insert(captioned_.end(), {applyButton, cancelButton});
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(applyButton);
  buttons->addWidget(cancelButton);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(volumes);
  layout->addWidget(save);
  layout->addWidget(power);
  layout->addWidget(modes);
  layout->addWidget(plugs);
  layout->addLayout(buttons);

  for (const Start& s : starts_) {
    connect(s.row, &ValueRow::userMoved, this, [this, s](int v) { startMoved(s, v); });
    connect(s.enable, &QCheckBox::clicked, this, [this, s](bool on) { enableToggled(s, on); });
  }
  connect(micMax_, &ValueRow::userMoved, this, [this](int v) { maxMoved(starts_[0], micMax_, v); });
  connect(musicMax_, &ValueRow::userMoved, this,
          [this](int v) { maxMoved(starts_[1], musicMax_, v); });
  connect(saveMode_, &RadioGroup::idClicked, this, [this](int id) {
    setEdited(kSetSaveMode, uint8_t(id));
    setEdited(kSetSaveModeSource, uint8_t(id));
  });
  connect(powerOn_, &QComboBox::activated, this,
          [this](int index) { setEdited(kSetPowerOn, uint8_t(index)); });
  connect(plugReset, &QPushButton::clicked, this, &MachineSettingsWindow::resetPlugs);
  connect(applyButton, &QAbstractButton::clicked, this, &MachineSettingsWindow::apply);
  connect(cancelButton, &QAbstractButton::clicked, this, &QWidget::close);

  RefreshAll();
  ApplyLanguage();
}

SettingsRecord MachineSettingsWindow::edited() const {
  return context().core().mem.dev.g_settingsEdit.snapshot();
}

void MachineSettingsWindow::setEdited(size_t byte, uint8_t value) {
  context().core().mem.dev.g_settingsEdit.set(byte, value);
}

bool MachineSettingsWindow::boxOpen() {
  return context().core().link.deviceOpen();
}

void MachineSettingsWindow::RefreshAll() {
  // A new edit session: what Apply sends is what the window shows.
  DeviceState& dev = context().core().mem.dev;
  const SettingsRecord r = NormalisedSettings(dev.g_settingsCurrent.snapshot());
  dev.g_settingsEdit.copyIn(0, r.data(), r.size());
  fill();
}

void MachineSettingsWindow::fill() {
  const SettingsRecord r = edited();
  micMax_->setPosition(r[kSetMicMax]);
  musicMax_->setPosition(r[kSetMusicMax]);
  for (const Start& s : starts_) showStart(s);
  {
    const QSignalBlocker block(powerOn_);
    powerOn_->setCurrentIndex(SettingsPowerOn(r));  // -1 for a byte the list does not have
  }
  saveMode_->setCheckedId(r[kSetSaveMode] == 1 ? 1 : 0);
  showModeButtons();
}

void MachineSettingsWindow::showStart(const Start& s) {
  const SettingsRecord r = edited();
  s.row->slider()->setRange(0, r[s.maxByte]);
  const bool on = r[s.startByte] != kNoStartVolume;
  {
    const QSignalBlocker block(s.enable);
    s.enable->setChecked(on);
  }
  s.row->setPosition(on ? r[s.startByte] : 0);
  s.row->setEnabled(on);
  if (!on) s.row->valueLabel()->setText(context().text(kInvalid));
}

void MachineSettingsWindow::startMoved(const Start& s, int v) {
  setEdited(s.startByte, uint8_t(v));
  // The box's master volume follows the slider while it moves.
  context().core().ui.SetParam(Param(s.masterParam), v);
}

void MachineSettingsWindow::enableToggled(const Start& s, bool on) {
  if (on) {
    // The start volume begins at the master volume now, within the maximum.
    const int master = context().core().mem.pc.getInt(size_t(Describe(Param(s.masterParam)).word));
    setEdited(s.startByte, uint8_t(std::clamp(master, 0, int(edited()[s.maxByte]))));
  } else {
    setEdited(s.startByte, kNoStartVolume);
  }
  showStart(s);
}

void MachineSettingsWindow::maxMoved(const Start& s, ValueRow* max, int v) {
  setEdited(s.maxByte, uint8_t(v));
  const uint8_t start = edited()[s.startByte];
  s.row->slider()->setRange(0, v);
  if (start != kNoStartVolume && start > v) {
    s.row->setPosition(v);
    startMoved(s, v);
  }
}

void MachineSettingsWindow::showModeButtons() {
  const int current = context().core().mem.dev.g_nCurrentMode.load();
  for (int m = 0; m < 4; ++m) {
    const QSignalBlocker block(modes_[size_t(m)]);
    modes_[size_t(m)]->setChecked(m == current);
  }
}

void MachineSettingsWindow::apply() {
  // Without a box the report would be dropped: say so and keep the edit.
  if (!boxOpen()) {
    context().ShowInfoBox(context().text(kNotConnected), kNoticeMs);
    return;
  }
  const SettingsRecord r = edited();
  if (context().core().queue.send(SettingsApplyFrame(r), MergeKey::None()) != int(kReportSize)) {
    context().ShowInfoBox(context().text(kNotConnected), kNoticeMs);
    return;
  }
  context().core().mem.dev.g_settingsCurrent.copyIn(0, r.data(), r.size());
  context().ShowInfoBox(context().text(kApplied), kNoticeMs);
}

void MachineSettingsWindow::resetMode(int mode) {
  if (!boxOpen()) return;
  const QString question = context().text(kAskModeReset).arg(mode + 1);
  Answer answer = Answer::No;
  if (!runNested([&] {
        answer =
            context().prompter().askYesNo(this, question, captionFallback(context(), kModeFrame));
      }))
    return;
  if (answer != Answer::Yes || !boxOpen()) return;
  bool goOn = false;
  if (!runNested([&] { goOn = context().keepSnapshot(history::SnapshotReason::ResetMode); })) return;
  if (!goOn || !boxOpen()) return;
  Core& core = context().core();
  core.mem.dev.g_nCurrentMode.store(mode);
  showModeButtons();
  core.ui.SendCommand(kCmdResetMode, mode);
  if (!runNested([&] { context().SynchronizeFromBox(); })) return;
  RefreshAll();
}

void MachineSettingsWindow::resetPlugs() {
  if (!boxOpen()) return;
  Answer answer = Answer::No;
  if (!runNested([&] {
        answer = context().prompter().askYesNo(this, context().text(kAskPlugReset),
                                               captionFallback(context(), kPlugFrame));
      }))
    return;
  // A second reset while one runs is ignored.
  if (answer != Answer::Yes || !context().core().zwave.startPlugReset()) return;
  context().ShowInfoBox(context().text(kResetting), kResetNoticeMs);
}

void MachineSettingsWindow::closeEvent(QCloseEvent* event) {
  // Unapplied edits are dropped; master volumes the sliders moved stay as they are.
  DeviceState& dev = context().core().mem.dev;
  const SettingsRecord current = dev.g_settingsCurrent.snapshot();
  dev.g_settingsEdit.copyIn(0, current.data(), current.size());
  ToolWindow::closeEvent(event);
}

void MachineSettingsWindow::ApplyLanguage() {
  ToolWindow::ApplyLanguage();
  const auto& table = context().dialogTable();
  const QString title = QString::fromStdString(table.title(kMachineSettingsWindow));
  setWindowTitle(title.isEmpty() ? context().text("机器设置", "Machine Set") : title);
  for (QWidget* w : captioned_) {
    const int id = w->property("ax7Id").toInt();
    // The tables write a line break as the two characters \n.
    QString text = DialogCaption(table, kMachineSettingsWindow, id, captionFallback(context(), id));
    setCaption(w, text.replace(QStringLiteral("\\n"), QStringLiteral("\n")));
  }
  powerOn_->setItemText(0, context().text("自动", "Auto"));
  plugNote_->setText(context().text(kPlugNote));
  for (const Start& s : starts_) {
    if (!s.enable->isChecked()) s.row->valueLabel()->setText(context().text(kInvalid));
  }
  // Switched while open: the captions of the other language are longer or shorter. Lay out
  // again now, and grow the window if its rows no longer fit, so no slider runs under its
  // value text. (Before the first show, showing lays it out.)
  QLayout* l = layout();
  if (l && isVisible()) {
    l->invalidate();
    l->activate();
    setMinimumSize(l->totalMinimumSize());
    resize(size().expandedTo(minimumSize()));
  }
}

// Created on first use; the program keeps it while it is open.
ToolWindow* CreateMachineSettingsWindow(PageContext& context, QWidget* owner) {
  return new MachineSettingsWindow(context, owner);
}

}  // namespace ax7::ui
