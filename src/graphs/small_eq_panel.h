// A compact preview of a seven-band EQ: a grid (10 Hz .. 25 kHz, -15 .. +15 dB, no
// labels) and the total response as a 56-point line. It greys itself while the pointer rests
// on it and reports a click; the page writes the bands.
#pragma once

#include <QColor>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QWidget>

class QPainter;
#include <array>

namespace ax7::ui {

class CSmallEqPanel : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kBands = 7;
  static constexpr int kPoints = 56;
  static constexpr int kMargin = 2;
  static constexpr float kMinGainDb = -15.0f;
  static constexpr float kMaxGainDb = 15.0f;

  struct Band {
    QPoint marker;  // where the band's frequency and gain sit on the plot
    int type = 1;   // the small design set: 1..5 as the EQ, 6 band-pass, 7 notch
    float freq = 0;
    float gain = 0;
    float q = 1.414f;
    std::array<float, kPoints> curveDb{};  // the band's response at each point
    std::array<QPointF, kPoints> curve{};  // the same in pixels
  };

  explicit CSmallEqPanel(QWidget* parent = nullptr);

  // Band numbers outside 0..6 and non-finite values are ignored. Each setter recomputes the band
  // and the total curve and repaints.
  // A frequency within 1e-7 of 0 is ignored (the page passes 0 for "no value"); others are
  // clamped to 20 .. 20000 Hz.
  void setFrequency(int band, float hz);
  // Clamped to -15 .. +15 dB.
  void setGain(int band, float db);
  // A type the small design set does not know (0 included) draws as a flat band.
  void setType(int band, int type);
  void setQ(int band, float q);

  void setBypass(bool bypass);
  void setCurveColor(const QColor& color);

  // Curves and markers follow the widget's current size, shown or not.
  const Band& band(int index) const;
  const std::array<QPointF, kPoints>& totalCurve() const;
  bool isBypassed() const { return bypass_; }
  bool isHovered() const { return hover_; }
  QColor curveColor() const { return curveColor_; }
  QRect plotRect() const;

  // The whole-hertz frequency of curve point u: 10 Hz at the left edge, 3.4 decades across.
  static int pointFrequency(int u);
  // dB to a height on the plot: 0 dB in the middle, 30 dB over the plot's height.
  float yForDb(double db) const;

  QSize sizeHint() const override { return {200, 80}; }

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void bandChanged(int band);
  void computeBand(int index) const;
  void computeTotal() const;
  void updateMarker(Band& band) const;
  // Recomputes every curve when the size changed since the last computation. A hidden widget
  // gets its resize event only when shown, so the size is checked rather than the event awaited.
  void followSize() const;
  void paintGrid(QPainter& p) const;
  void setHovered(bool hovered);

  // The pixel parts are derived from the size and refreshed on read.
  mutable std::array<Band, kBands> bands_;
  mutable std::array<QPointF, kPoints> total_{};
  mutable QSize layoutSize_;
  float sampleRate_ = 48000.0f;
  bool bypass_ = false;
  bool hover_ = false;
  QColor curveColor_{0x00, 0xC8, 0xFF};
};

}  // namespace ax7::ui
