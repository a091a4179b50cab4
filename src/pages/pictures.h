#pragma once
// The pictures the pages and tool windows show, drawn in code at their sizes: channel names,
// effect titles, the delay marker, the listener and speaker symbols, the remote, the remote
// learning instructions and the face of image buttons. Each picture fills the rectangle it is
// given; the k*Size constants are the sizes the layouts are built around.
#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <array>
#include <functional>

#include "pages/language.h"

class QPainter;

namespace ax7::ui::pictures {

inline constexpr QSize kChannelSize{160, 40};      // output page: the current channel's name
inline constexpr QSize kEffectTitleSize{260, 40};  // effects page: which EQ it edits
inline constexpr QSize kDelayMarkerSize{16, 20};   // delay graph marker
inline constexpr QSize kListenerSize{32, 32};      // room picture: the listener
inline constexpr QSize kSpeakerSize{28, 28};       // room picture: one speaker
inline constexpr QSize kRemoteSize{185, 480};      // remote learning: the remote
inline constexpr QSize kInstructionsSize{368, 510};  // remote learning: how to learn a key

// Output channel 0..7: "CH 1" .. "CH 8" / "通道1" .. "通道8".
void PaintChannel(QPainter& p, const QRect& r, int channel, Language language);
// Effects page mode 0..3: reverb EQ A, reverb EQ B, echo EQ A, echo EQ B.
void PaintEffectTitle(QPainter& p, const QRect& r, int mode, Language language);
// A pin whose tip is the bottom centre, in the channel's colour.
void PaintDelayMarker(QPainter& p, const QRect& r, const QColor& colour);
void PaintListener(QPainter& p, const QRect& r);
void PaintSpeaker(QPainter& p, const QRect& r);
// The remote with its 17 learnable keys where the window's key areas lie.
void PaintRemote(QPainter& p, const QRect& r);
void PaintInstructions(QPainter& p, const QRect& r, Language language);
enum class FaceState { Normal, Hover, Pressed, Disabled };
void PaintImageButtonFace(QPainter& p, const QRect& r, const QString& text, FaceState state);

// A picture rendered into a pixmap of `size` (device pixel ratio 1).
QPixmap Render(QSize size, const std::function<void(QPainter&, const QRect&)>& paint);

// The key areas of the remote picture in its own pixels (key number k at index k - 1).
const std::array<QRect, 17>& RemoteKeyAreas();

}  // namespace ax7::ui::pictures

namespace ax7::ui {

// A push button drawn with the image-button face (white text on a blue plate).
class ImageButton : public QAbstractButton {
  Q_OBJECT
 public:
  explicit ImageButton(const QString& text = {}, QWidget* parent = nullptr);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  bool hover_ = false;
};

}  // namespace ax7::ui
