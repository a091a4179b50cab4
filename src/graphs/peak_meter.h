// An LED-style level meter: one row of LEDs per band, three colour zones. The page pushes levels
// in; a periodic tick lets the bars fall back between pushes and stops itself once every band is
// at rest.
#pragma once

#include <QColor>
#include <QWidget>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

class QTimer;

namespace ax7::ui {

// A COLORREF (0x00BBGGRR, blue in the high byte) as a colour.
constexpr QRgb colorRefToRgb(std::uint32_t colorRef) {
  return qRgb(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
}

struct PeakBand {
  int value = 0;
  int peak = 0;
  int hold = 0;
  bool operator==(const PeakBand&) const = default;
};

// The meter's settings; the defaults are those of a new control.
struct PeakMeterConfig {
  int bandCount = 8;
  int ledCount = 8;
  int mediumLevel = 180;  // start of the middle colour zone
  int highLevel = 200;    // start of the top colour zone
  int maximum = 230;      // full scale
  QColor background;      // invalid: the palette's button colour
  std::array<QColor, 3> onColors{QColor::fromRgb(colorRefToRgb(0x00FF00)),
                                 QColor::fromRgb(colorRefToRgb(0x00FFFF)),
                                 QColor::fromRgb(colorRefToRgb(0x0000FF))};
  std::array<QColor, 3> offColors{QColor::fromRgb(colorRefToRgb(0x023C02)),
                                  QColor::fromRgb(colorRefToRgb(0x023C3C)),
                                  QColor::fromRgb(colorRefToRgb(0x02023C))};
  int holdTicks = 10;
  int tickPeriodMs = 10;

  // The music meters of the microphone and music page: one band of 15 LEDs on the page's
  // background, ticking every 35 ms.
  static PeakMeterConfig musicPage();
};

class CPeakMeterCtrl : public QWidget {
  Q_OBJECT
 public:
  explicit CPeakMeterCtrl(QWidget* parent = nullptr);

  // Band count, LED count, maximum and tick period below 1 are raised to 1 so that the layout
  // and the tick never divide by zero. The band array follows at the next ResizeBands.
  void setConfig(const PeakMeterConfig& config);
  const PeakMeterConfig& config() const { return config_; }

  // As many bands as the band count, every one full ({maximum, maximum, hold ticks}): a new
  // meter falls from full scale to zero once ticking.
  void ResizeBands();

  // Takes levels[first] (clamped to 0 .. maximum) as the value of band `first`, raising its peak
  // if exceeded. While ticking, the next tick repaints and the timer is (re)started; otherwise
  // repaints now. Returns false and changes nothing when `first` is not a band or levels has no
  // element `first`.
  bool PushLevels(std::span<const int> levels, int first);

  // Enters ticking mode: the timer runs now and after every push until the meter is destroyed.
  void startTicking();
  bool isTicking() const { return ticking_; }
  bool isTimerActive() const;
  int tickInterval() const;

  // One step of the fall. The timer calls it; tests call it directly.
  void tick();

  const std::vector<PeakBand>& bands() const { return bands_; }

  // Draws the meter into any painter (the widget and the benchmark share it).
  void paintMeter(QPainter& p, const QRect& area) const;

  QSize sizeHint() const override { return {150, 16}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PeakMeterConfig config_;
  std::vector<PeakBand> bands_;
  QTimer* timer_;
  bool ticking_ = false;
};

// A meter configured for the music area, with full bands and its tick running.
CPeakMeterCtrl* createMusicPageMeter(QWidget* parent);

}  // namespace ax7::ui
