#include "graphs/peak_meter.h"

#include <QPainter>
#include <QTimer>
#include <algorithm>

namespace ax7::ui {

PeakMeterConfig PeakMeterConfig::musicPage() {
  PeakMeterConfig config;
  config.bandCount = 1;
  config.ledCount = 15;
  config.background = QColor::fromRgb(colorRefToRgb(0xFFFAF0));
  config.tickPeriodMs = 35;
  return config;
}

CPeakMeterCtrl::CPeakMeterCtrl(QWidget* parent) : QWidget(parent), timer_(new QTimer(this)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  timer_->setTimerType(Qt::PreciseTimer);
  timer_->setInterval(config_.tickPeriodMs);
  connect(timer_, &QTimer::timeout, this, &CPeakMeterCtrl::tick);
}

void CPeakMeterCtrl::setConfig(const PeakMeterConfig& config) {
  config_ = config;
  config_.bandCount = std::max(1, config_.bandCount);
  config_.ledCount = std::max(1, config_.ledCount);
  config_.maximum = std::max(1, config_.maximum);
  config_.holdTicks = std::max(0, config_.holdTicks);
  config_.tickPeriodMs = std::max(1, config_.tickPeriodMs);
  timer_->setInterval(config_.tickPeriodMs);
  update();
}

void CPeakMeterCtrl::ResizeBands() {
  const PeakBand full{config_.maximum, config_.maximum, config_.holdTicks};
  bands_.assign(static_cast<std::size_t>(config_.bandCount), full);
  update();
}

bool CPeakMeterCtrl::PushLevels(std::span<const int> levels, int first) {
  if (first < 0 || static_cast<std::size_t>(first) >= bands_.size() ||
      static_cast<std::size_t>(first) >= levels.size()) {
    return false;
  }
  // Restarting the period from the push shows a fresh level for a whole period before it falls.
  if (ticking_) timer_->stop();

  PeakBand& band = bands_[static_cast<std::size_t>(first)];
  const int level = std::clamp(levels[static_cast<std::size_t>(first)], 0, config_.maximum);
  if (band.peak < level) {
    band.peak = level;
    band.hold = config_.holdTicks;
  }
  band.value = level;

  if (ticking_) {
    timer_->start(config_.tickPeriodMs);
    return timer_->isActive();
  }
  update();
  return true;
}

void CPeakMeterCtrl::startTicking() {
  ticking_ = true;
  timer_->start(config_.tickPeriodMs);
}

bool CPeakMeterCtrl::isTimerActive() const {
  return timer_->isActive();
}

int CPeakMeterCtrl::tickInterval() const {
  return timer_->interval();
}

void CPeakMeterCtrl::tick() {
  update();
  const int maximum = config_.maximum;
  const bool severalLeds = config_.ledCount > 1;
  // At least one unit, so a meter whose full scale is smaller than its LED count still falls.
  const int step = std::max(1, maximum / config_.ledCount);
  const int valueStep = severalLeds ? step : std::max(1, maximum * 10 / 100);
  const int peakStep = severalLeds ? std::max(1, step / 2) : 5;

  bool moving = false;
  for (PeakBand& band : bands_) {
    const PeakBand before = band;
    if (band.value > 0) band.value = std::max(0, band.value - valueStep);
    if (band.hold > 0) --band.hold;
    if (band.hold == 0 && band.peak > 0) band.peak = std::max(0, band.peak - peakStep);
    moving = moving || band != before;
  }
  // At rest; ticking mode stays, and the next push starts the timer again.
  if (!moving) timer_->stop();
}

void CPeakMeterCtrl::paintMeter(QPainter& p, const QRect& area) const {
  const QColor background =
      config_.background.isValid() ? config_.background : palette().color(QPalette::Button);
  p.fillRect(area, background);

  const int leds = config_.ledCount;
  const int rows = config_.bandCount;
  const int maximum = config_.maximum;
  const int ledWidth = area.width() / leds;
  const int rowHeight = area.height() / rows;
  const int firstRowTop = area.top() + area.height() % rows;
  const int mediumStart = leds * config_.mediumLevel / maximum;
  const int highStart = leds * config_.highLevel / maximum;

  for (int row = 0; row < rows; ++row) {
    // Rows beyond the band array (band count raised without ResizeBands) show empty.
    const int value = static_cast<std::size_t>(row) < bands_.size()
                          ? bands_[static_cast<std::size_t>(row)].value
                          : 0;
    const int lit = leds * value / maximum;
    const int top = firstRowTop + row * rowHeight;
    for (int i = 0; i < leds; ++i) {
      const int zone = i < mediumStart ? 0 : i < highStart ? 1 : 2;
      const QColor& color = i < lit ? config_.onColors[zone] : config_.offColors[zone];
      QRect led(area.left() + i * ledWidth, top, ledWidth, rowHeight);
      if (leds > 1) led.setLeft(led.left() + 1);
      if (rows > 1) led.adjust(0, 1, 0, -1);
      p.fillRect(led, color);
    }
  }
}

void CPeakMeterCtrl::paintEvent(QPaintEvent*) {
  QPainter p(this);
  paintMeter(p, rect());
}

CPeakMeterCtrl* createMusicPageMeter(QWidget* parent) {
  auto* meter = new CPeakMeterCtrl(parent);
  meter->setConfig(PeakMeterConfig::musicPage());
  meter->ResizeBands();
  meter->startTicking();
  return meter;
}

}  // namespace ax7::ui
