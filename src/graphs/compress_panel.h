// The static input/output characteristic of an output compressor: a cached grid of input and
// output levels (-90 .. +6 dB on both axes) with the knee, the threshold and the slopes drawn
// over it, or "OFF" when the compressor is switched off. Display only; the compressor page
// writes the fields.
#pragma once

#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace ax7::ui {

// The curve's shape in dB. A ratio n:1 is the upper slope 1/n.
struct CompressCurve {
  float threshold = -15.0f;  // T
  float knee = -5.0f;        // K, the lower knee
  float slope = 1.0f;        // output dB per input dB above T
  float lowerSlope = 1.0f;   // output dB per input dB below K
};

// The plot maps -90 .. +6 dB onto the client area less 40 px at the left, 20 px at the right,
// 20 px at the top and 25 px at the bottom.
struct CompressAxes {
  static constexpr double kMinDb = -90.0;
  static constexpr double kMaxDb = 6.0;
  static constexpr int kLeft = 40;
  static constexpr int kTop = 20;

  explicit CompressAxes(QSize client);

  int plotWidth;   // W' = client width - 60
  int plotHeight;  // H' = client height - 45

  int x(double inputDb) const;
  int y(double outputDb) const;
};

// The pixels the curve is drawn through, in drawing order, and the translucent band between the
// curve's end height and its start height.
struct CompressCurveGeometry {
  QPoint start;      // left edge, below the knee
  QPoint knee;       // (x(K), y(K))
  QPoint threshold;  // (x(T), y(T)); the dot sits here
  QPoint end;        // right edge, above the threshold
  QRect band;
};

// Levels outside the axes are drawn at the nearest edge so the curve stays on the plot.
CompressCurveGeometry compressCurveGeometry(QSize client, const CompressCurve& curve);

class CCompressPanelPlus : public QWidget {
  Q_OBJECT
 public:
  explicit CCompressPanelPlus(QWidget* parent = nullptr);

  // Each setter repaints. Non-finite values are ignored.
  void setOn(bool on);
  void setThreshold(float db);
  void setKnee(float db);
  void setSlope(float slope);
  void setLowerSlope(float slope);
  // Sets the slope to 1/ratio; a ratio that is not positive is ignored.
  void setRatio(float ratio);

  bool isOn() const { return on_; }
  const CompressCurve& curve() const { return curve_; }
  CompressCurveGeometry geometry() const { return compressCurveGeometry(size(), curve_); }

  QSize sizeHint() const override { return {420, 300}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void rebuildBackground();

  bool on_ = true;
  CompressCurve curve_;
  QPixmap background_;
};

}  // namespace ax7::ui
