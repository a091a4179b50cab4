// The interactive EQ graph every EQ-bearing page embeds: draws the EQ set model it is given on a
// log frequency axis (18 Hz .. 23 kHz) and a +-15 dB axis, one marker per band, and turns
// gestures into calls on that model: dragging, Q by right-drag or keys, gain by wheel or keys, a
// type menu and a copy/paste menu. It holds no band of its own and never talks to the box: every
// change is reported by a signal and the page stores and sends it.
#pragma once

#include <QPainterPath>
#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QWidget>
#include <array>
#include <functional>

#include "dsp/response.h"
#include "params/eq_set_model.h"

class QAction;
class QMenu;

namespace ax7::ui {

class CEqPanel : public QWidget {
  Q_OBJECT
 public:
  // Plot rectangle: left and top fixed, right and bottom margins from the client edges.
  static constexpr int kPlotLeft = 36;
  static constexpr int kPlotTop = 18;
  static constexpr int kPlotRightMargin = 6;
  static constexpr int kPlotBottomMargin = 20;
  // Pointer positions are taken relative to (36, 16) for hit testing and dragging, two pixels
  // above the plot's top; the y offset stored at a press absorbs the difference while dragging.
  static constexpr int kHitOriginY = 16;

  // Menu commands: 2025..2029 choose PEQ..HS, 3025 copy and 3026 paste the whole EQ.
  static constexpr int kCmdFirstType = 2025;
  static constexpr int kCmdCopy = 3025;
  static constexpr int kCmdPaste = 3026;

  // Shows a popup menu at a global position and returns the chosen action, or nullptr.
  using MenuRunner = std::function<QAction*(QMenu& menu, const QPoint& globalPos)>;

  explicit CEqPanel(QWidget* parent = nullptr);
  ~CEqPanel() override;

  // The model drawn; it must outlive the panel or be replaced first (nullptr draws no bands).
  void setModel(EqSetModel* model);
  EqSetModel* model() const { return model_; }
  // Markers shown and hit-tested: 10 for output sets, the band count otherwise.
  int markerCount() const;
  int eqSet() const;
  bool isOutputSet() const;

  // 0 Chinese, 1 English.
  void setLanguage(int language);
  int language() const { return language_; }
  void setBypass(bool bypass);
  bool bypass() const { return bypass_; }
  // While set, presses are ignored.
  void setInputDisabled(bool disabled) { inputDisabled_ = disabled; }
  bool inputDisabled() const { return inputDisabled_; }

  int selectedBand() const { return selected_; }
  // No band selected: no fill, readout or status line (a drag in progress ends here).
  void clearSelection();
  int hoveredBand() const { return hovered_; }

  QRectF plotRect() const;
  double xForFrequency(double hz) const;
  double yForGain(double gainDb) const;
  // Where band i's marker is drawn, in client pixels.
  QPointF markerCentre(int i) const;

  void setMenuRunner(MenuRunner runner);

  QSize sizeHint() const override { return {640, 300}; }
  QSize minimumSizeHint() const override { return {200, 120}; }

 signals:
  // A band was picked, dragged, or changed by Q-drag, key, wheel or menu. The band is the
  // model's; receivers read type, frequency, gain and Q from it.
  void EqBandNotify(const ax7::dsp::EqBand& band, int number);
  // A left press and release that picked no band.
  void EqEmptyRelease();
  // 0 copy, 1 paste of the whole EQ set.
  void EqCopyPaste(int action, int eqSet);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  enum class Hit { kLeftPress, kHover, kRightPress };

  void modelChanged();  // the total curve and the picture are stale
  void clearStaleSelection();
  void notify(int i);

  // Input (eq_panel_input.cpp).
  QPointF hitPoint(const QPointF& pos) const;  // pointer relative to (36, 16)
  QPointF markerRelative(int i) const;         // marker relative to the plot's top-left
  int hitTest(const QPointF& pos, Hit kind) const;
  void leftPress(const QPointF& pos);
  void leftDrag(const QPointF& pos);
  void leftRelease();
  void rightPress(const QPointF& pos);
  void rightDrag(const QPointF& pos);
  void rightRelease(const QPointF& globalPos);
  void runMenu(bool typeMenu, const QPoint& globalPos);
  void menuCommand(int command);
  // A wheel or key step on band i, then the notification.
  void nudge(int i, float hzStep, float gainStep, float qStep);

  // Painting (eq_panel_paint.cpp).
  void paintGrid(QPainter& p);  // title, grid lines and their labels
  void paintGridLayer();
  void paintBands(QPainter& p);
  int dragStride() const;  // grid points per drawn curve point
  void paintSelectedFill(QPainter& p);
  void paintTotalCurve(QPainter& p);
  void paintMarkers(QPainter& p);
  void paintReadout(QPainter& p, int i);
  void paintStatusLine(QPainter& p);
  void paintBypass(QPainter& p);

  EqSetModel* model_ = nullptr;
  int language_ = 0;
  bool bypass_ = false;
  bool inputDisabled_ = false;

  int selected_ = -1;
  int hovered_ = -1;
  bool leftDrag_ = false;
  bool rightPress_ = false;
  bool rightMoved_ = false;
  double storedPx_ = 0;  // right drag: pointer x at the last Q step
  // Left drag: pointer y minus marker y at the press, truncated. There is no x counterpart: the
  // drag centres the marker on the pointer's frequency.
  double yOffset_ = 0;

  MenuRunner menuRunner_;

  // Cached layers: background, title and grid per size and title while a band is held; the
  // total curve's path per model revision and size.
  QPixmap gridLayer_;
  bool gridDirty_ = true;
  int titleSet_ = -1;  // the EQ set whose title the grid layer shows
  QPainterPath totalPath_;
  bool totalDirty_ = true;
  uint64_t totalRevision_ = 0;
  int totalStride_ = 1;
};

}  // namespace ax7::ui
