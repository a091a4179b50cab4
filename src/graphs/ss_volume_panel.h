// The room seen from above: a metre grid, the listener and eight numbered speakers, each of
// which can be dragged. The panel reports picks and moves; the page stores the positions,
// writes the room and computes the trims.
#pragma once

#include <QFont>
#include <QPixmap>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QWidget>
#include <array>

namespace ax7::ui {

// Metres <-> pixels for a client size and a room. The plot is the client inset by 30 px; the
// origin is the room centre, +Y towards the top. Room sides are whole metres 1..10: anything
// else (a zero from a damaged room block) is clamped so the mappings never divide by zero, and
// a client too small for the insets has an empty plot.
struct RoomAxes {
  static constexpr int kInset = 30;
  static constexpr float kMinSide = 1.0f;
  static constexpr float kMaxSide = 10.0f;

  RoomAxes(QSize client, float widthM, float lengthM);
  static float clampSide(float metres);

  QRect plot() const;
  QPoint toPixel(float x, float y) const;
  // The inverse for a pixel inside the plot (the caller clamps it there first).
  QPointF toMetres(QPoint pixel) const;
  QPoint clampToPlot(QPoint pixel) const;

  int clientWidth, clientHeight;
  int plotWidth, plotHeight;  // never negative
  float width, length;        // metres, 1..10
};

class CSSVolumePanel : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kItems = 9;  // 0 the listener, 1..8 the speakers
  static constexpr int kHitPixels = 16;

  explicit CSSVolumePanel(QWidget* parent = nullptr);

  // Clamped to 1..10 m; moves every item's pixels and rebuilds the grid. Items keep their
  // metres, even outside the new room.
  void setRoomSize(float widthM, float lengthM);
  float roomWidth() const { return width_; }
  float roomLength() const { return length_; }
  // Places an item from metres (no clamp). Repaints.
  void setItem(int item, float x, float y);
  QPointF itemMetres(int item) const;
  QPoint itemPixel(int item) const;
  // Names under the speaker symbols, speakers 1..8.
  void setSpeakerNames(const QStringList& names);
  void setImages(const QPixmap& listener, const QPixmap& speaker);
  int draggedItem() const { return dragging_ ? dragged_ : -1; }

  static QColor speakerColour(int speaker);  // 1..8

  QSize sizeHint() const override { return {420, 420}; }

 signals:
  void itemPicked(int item);
  // The item's new position in metres (not rounded).
  void itemMoved(int item, float x, float y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  struct Item {
    QPoint pixel;
    QPointF metres;
  };
  RoomAxes axes() const { return RoomAxes(size(), width_, length_); }
  void remap();
  void rebuildBackground();

  std::array<Item, kItems> items_{};
  float width_ = 4.0f;
  float length_ = 4.0f;
  QStringList names_;
  QPixmap listenerImage_, speakerImage_;
  QFont font_, numberFont_, nameFont_;
  QPixmap background_;
  bool backgroundValid_ = false;
  bool dragging_ = false;
  int dragged_ = -1;
};

}  // namespace ax7::ui
