// The eight output delays as markers on a 0..106 ms axis, one row per channel. A marker can be
// dragged along its row; the panel reports the new delay and the page stores and sends it.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QWidget>
#include <array>

namespace ax7::ui {

// Where things are for a client size. The plot is the client less 78 px at the left, 18 px at
// the right, 5 px at the top and 20 px at the bottom; a client smaller than that has an empty
// plot and every marker at its left edge.
struct DelayAxes {
  static constexpr int kChannels = 8;
  static constexpr int kLeft = 78;
  static constexpr int kRight = 18;
  static constexpr int kTop = 5;
  static constexpr int kBottom = 20;
  static constexpr double kAxisMaxMs = 106.0;

  explicit DelayAxes(QSize client);

  QRect plot() const;
  double rowHeight() const;  // plot height / 8
  int rowY(int channel) const;
  int markerX(float ms) const;          // left edge of the marker image
  float msAtMarker(int markerX) const;  // the inverse, unclamped
  int xOf(double ms) const;             // axis position of a time, for labels and lines

  int width, height;
  int plotWidth, plotHeight;  // never negative
};

class CDelayPanel : public QWidget {
  Q_OBJECT
 public:
  static constexpr float kMinMs = 1.5f;
  static constexpr float kMaxMs = 100.0f;
  static constexpr int kHitPixels = 15;

  explicit CDelayPanel(QWidget* parent = nullptr);

  // Clamped to 1.5..100 ms; non-finite values show the minimum. Repaints.
  void setDelay(int channel, float ms);
  float delay(int channel) const;
  // The channel's marker picture (all markers share one size). Without one a plain pin is drawn.
  void setMarkerImage(int channel, const QPixmap& image);
  // Row labels, top to bottom.
  void setRowLabels(const QStringList& labels);
  // -1 none; the selected channel's lines are drawn stronger.
  int selected() const { return selected_; }
  bool dragging() const { return dragging_; }
  QSize markerSize() const { return markerSize_; }
  // The marker's top-left corner for the channel, as painted.
  QPoint markerTopLeft(int channel) const;
  // The point a press must be near to pick the channel's marker.
  QPoint hitCentre(int channel) const;

  static QColor channelColour(int channel);
  static QColor labelColour(int channel);

  QSize sizeHint() const override { return {560, 400}; }

 signals:
  // The user dragged the channel's marker to ms (clamped, not rounded).
  void delayDragged(int channel, float ms);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void rebuildBackground();
  int textHeight() const;

  std::array<float, DelayAxes::kChannels> delays_{};
  std::array<QPixmap, DelayAxes::kChannels> markers_;
  QSize markerSize_{16, 20};
  QStringList labels_;
  QFont font_;
  QPixmap background_;
  bool backgroundValid_ = false;
  int selected_ = -1;
  bool dragging_ = false;
};

}  // namespace ax7::ui
