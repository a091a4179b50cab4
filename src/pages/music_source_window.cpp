#include "pages/music_source_window.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QWheelEvent>

#include "core/core.h"
#include "pages/page_factory.h"
#include "pages/radio_group.h"
#include "pages/value_row.h"

namespace ax7::ui {

namespace {

struct SourceRow {
  int radioId;
  const char* english;  // the caption until the table gives one
  int kind;             // written to the source word
  Param level;
  int sliderId, textId;
};
constexpr SourceRow kSourceRows[MusicSourceWindow::kRows] = {
    {1190, "SPDIF", 0, Param::OpticalVolume, 1041, 1005},
    {1191, "COAXIAL", 1, Param::CoaxialVolume, 1042, 1007},
    {1196, "AUX", 4, Param::AuxVolume, 1047, 1008},
};

constexpr int kHdmi = 2, kBluetooth = 3, kAux2 = 5;

}  // namespace

MusicSourceWindow::MusicSourceWindow(PageContext& context, QWidget* owner)
    : ToolWindow(context, kMusicSourceWindow, owner), sources_(new RadioGroup(this)) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(14, 12, 14, 12);
  grid->setHorizontalSpacing(12);
  for (int r = 0; r < kRows; ++r) {
    const SourceRow& row = kSourceRows[r];
    auto* radio = new QRadioButton(row.english, this);
    radio->setProperty("ax7Id", row.radioId);
    sources_->addButton(radio, row.kind);
    grid->addWidget(radio, r, 0);
    auto* level = new ValueRow(0, row.sliderId, row.textId, 0, 100,
                               [](int p) { return QString::asprintf("%d%%", p); }, Qt::Horizontal,
                               this);
    level->title()->hide();
    level->slider()->setMinimumWidth(220);
    connect(level, &ValueRow::userMoved, this,
            [this, r](int v) { this->context().core().ui.SetParam(kSourceRows[r].level, v); });
    levels_[size_t(r)] = level;
    grid->addWidget(level, r, 1);
  }
  // Only the kind goes out: the chosen input keeps the level it has.
  connect(sources_, &RadioGroup::idClicked, this,
          [this](int kind) { this->context().core().ui.SetParam(Param::MusicSource, kind); });
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
  resize(420, 150);
  RefreshAll();
  ApplyLanguage();
}

void MusicSourceWindow::RefreshAll() {
  const auto& pc = context().core().mem.pc;
  for (int r = 0; r < kRows; ++r) {
    levels_[size_t(r)]->setPosition(pc.getInt(size_t(Describe(kSourceRows[r].level).word)));
  }
  const int kind = pc.getInt(size_t(Describe(Param::MusicSource).word));
  int shown = -1;  // HDMI, AUX2 and values no input has: none of the three
  if (kind == kBluetooth) {
    shown = lastFilled_;
  } else if (kind != kHdmi && kind != kAux2) {
    for (const SourceRow& row : kSourceRows) {
      if (row.kind == kind) shown = kind;
    }
  }
  sources_->setCheckedId(shown);
  lastFilled_ = shown;
}

void MusicSourceWindow::ApplyLanguage() {
  setWindowTitle(context().text("音源设置", "Music source setting"));
  ToolWindow::ApplyLanguage();
}

bool MusicSourceWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Wheel || forwardingWheel_) return ToolWindow::eventFilter(watched, event);
  // A wheel turn anywhere in the window moves the focused level slider, and nothing else.
  QWidget* focus = QApplication::focusWidget();
  for (ValueRow* level : levels_) {
    if (focus != level->slider()) continue;
    if (watched == focus) return false;
    forwardingWheel_ = true;
    QCoreApplication::sendEvent(focus, event);
    forwardingWheel_ = false;
    return true;
  }
  return true;
}

ToolWindow* CreateMusicSourceWindow(PageContext& context, QWidget* owner) {
  return new MusicSourceWindow(context, owner);
}

}  // namespace ax7::ui
