// The delay graph and the room picture on their own: their mappings and inverses, what a press
// picks, what a drag reports and where it stops, and sizes too small for their insets.
#include <QSignalSpy>
#include <QTest>
#include <cmath>

#include "graphs/delay_panel.h"
#include "graphs/ss_volume_panel.h"

using ax7::ui::CDelayPanel;
using ax7::ui::CSSVolumePanel;
using ax7::ui::DelayAxes;
using ax7::ui::RoomAxes;

class OutputGraphsTest : public QObject {
  Q_OBJECT
 private slots:
  void delayAxesMapBothWays();
  void delayPressPicksWithinFifteenPixels();
  void delayDragReportsTheClampedValue();
  void delayPanelNarrowerThanItsInsets();
  void roomAxesMapBothWays();
  void roomSidesStayWithinOneToTen();
  void roomPressPicksWithinSixteenPixels();
  void roomDragStaysOnThePlot();
  void roomPictureSmallerThanItsInsets();
};

void OutputGraphsTest::delayAxesMapBothWays() {
  // 96 px of insets leave 530 px for 106 ms: 5 px a millisecond.
  const DelayAxes axes(QSize(626, 425));
  QCOMPARE(axes.plot(), QRect(78, 5, 530, 400));
  QCOMPARE(axes.rowHeight(), 50.0);
  const struct {
    float ms;
    int x;
  } cases[] = {{0.0f, 78}, {1.5f, 85}, {20.0f, 178}, {100.0f, 578}, {106.0f, 608}};
  for (const auto& c : cases) {
    QCOMPARE(axes.markerX(c.ms), c.x);
    QCOMPARE(axes.msAtMarker(c.x), std::floor(c.ms * 5) / 5);
  }
  // Rows: (height - 25) / 8 per channel from the top inset, rounded.
  const DelayAxes odd(QSize(626, 430));
  QCOMPARE(odd.rowY(0), 5);
  QCOMPARE(odd.rowY(1), 56);   // 50.625 + 5
  QCOMPARE(odd.rowY(7), 359);  // 354.375 + 5
}

void OutputGraphsTest::delayPressPicksWithinFifteenPixels() {
  CDelayPanel panel;
  panel.resize(626, 425);
  for (int k = 0; k < 8; ++k) panel.setDelay(k, 30.0f);
  panel.setDelay(3, 60.0f);
  const QPoint centre = panel.hitCentre(3);
  const struct {
    QPoint offset;
    int picked;
  } cases[] = {{{14, 14}, 3}, {{-14, -14}, 3}, {{15, 0}, -1}, {{0, -15}, -1}};
  for (const auto& c : cases) {
    QTest::mousePress(&panel, Qt::LeftButton, {}, centre + c.offset);
    QCOMPARE(panel.selected(), c.picked);
    QCOMPARE(panel.dragging(), c.picked >= 0);
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, centre + c.offset);
    QVERIFY(!panel.dragging());
  }
}

void OutputGraphsTest::delayDragReportsTheClampedValue() {
  CDelayPanel panel;
  panel.resize(626, 425);
  panel.setDelay(0, 10.0f);
  QSignalSpy dragged(&panel, &CDelayPanel::delayDragged);
  const QPoint start = panel.hitCentre(0);
  QTest::mousePress(&panel, Qt::LeftButton, {}, start);
  const int half = panel.markerSize().width() / 2;
  const struct {
    int x;
    float ms;
  } moves[] = {{78 + 123 + half, 24.6f}, {30, 1.5f}, {900, 100.0f}, {78 + 101 + half, 20.2f}};
  for (const auto& m : moves) {
    QTest::mouseMove(&panel, QPoint(m.x, start.y()));
    QCOMPARE(dragged.last().at(0).toInt(), 0);
    QCOMPARE(dragged.last().at(1).toFloat(), m.ms);
    QCOMPARE(panel.delay(0), m.ms);
  }
  QTest::mouseRelease(&panel, Qt::LeftButton, {}, start);
  // Moves after the release are not drags.
  const qsizetype count = dragged.size();
  QTest::mouseMove(&panel, start + QPoint(40, 0));
  QCOMPARE(dragged.size(), count);
  QCOMPARE(panel.delay(9), CDelayPanel::kMinMs);
  panel.setDelay(2, std::nanf(""));
  QCOMPARE(panel.delay(2), CDelayPanel::kMinMs);
}

void OutputGraphsTest::delayPanelNarrowerThanItsInsets() {
  CDelayPanel panel;
  panel.setMinimumSize(0, 0);
  for (QSize size : {QSize(60, 300), QSize(96, 10), QSize(0, 0), QSize(1, 1)}) {
    panel.resize(size);
    QSignalSpy dragged(&panel, &CDelayPanel::delayDragged);
    panel.grab();
    const DelayAxes axes(size);
    QCOMPARE(axes.plotWidth >= 0 && axes.plotHeight >= 0, true);
    QCOMPARE(axes.markerX(50.0f), DelayAxes::kLeft);
    QTest::mousePress(&panel, Qt::LeftButton, {}, panel.hitCentre(0));
    QTest::mouseMove(&panel, panel.hitCentre(0) + QPoint(5, 0));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, panel.hitCentre(0));
    if (!dragged.isEmpty()) QCOMPARE(dragged.last().at(1).toFloat(), CDelayPanel::kMinMs);
  }
}

void OutputGraphsTest::roomAxesMapBothWays() {
  // 400 x 400 px of plot for a 4 m x 8 m room: 100 px a metre across, 50 px along.
  const RoomAxes axes(QSize(460, 460), 4.0f, 8.0f);
  QCOMPARE(axes.plot(), QRect(30, 30, 400, 400));
  const struct {
    float x, y;
    QPoint pixel;
  } cases[] = {{0, 0, {230, 230}},
               {-2, 4, {30, 30}},
               {2, -4, {430, 430}},
               {1.5f, 1, {380, 180}},
               {-0.25f, -0.5f, {205, 255}}};
  for (const auto& c : cases) {
    QCOMPARE(axes.toPixel(c.x, c.y), c.pixel);
    QCOMPARE(axes.toMetres(c.pixel), QPointF(c.x, c.y));
  }
  // Pixels are truncated, metres are not rounded.
  QCOMPARE(axes.toPixel(0.013f, 0.0f), QPoint(231, 230));
  QCOMPARE(axes.toMetres(QPoint(231, 229)), QPointF(0.01, 0.02));
}

void OutputGraphsTest::roomSidesStayWithinOneToTen() {
  const struct {
    float given, used;
  } cases[] = {{0, 1}, {-3, 1}, {255, 10}, {7, 7}, {std::nanf(""), 1}};
  for (const auto& c : cases) QCOMPARE(RoomAxes::clampSide(c.given), c.used);
  CSSVolumePanel panel;
  panel.resize(460, 460);
  panel.setRoomSize(0.0f, 0.0f);
  QCOMPARE(panel.roomWidth(), 1.0f);
  panel.setItem(3, 0.25f, 0.25f);
  QCOMPARE(panel.itemPixel(3), QPoint(330, 130));
  panel.grab();
}

void OutputGraphsTest::roomPressPicksWithinSixteenPixels() {
  CSSVolumePanel panel;
  panel.resize(460, 460);
  panel.setItem(0, 0, 0);
  panel.setItem(4, 1, 1);  // (330, 130)
  for (int i : {1, 2, 3, 5, 6, 7, 8}) panel.setItem(i, -2, -2);
  QSignalSpy picked(&panel, &CSSVolumePanel::itemPicked);
  const struct {
    QPoint at;
    int item;
  } cases[] = {
      {{345, 115}, 4}, {{315, 145}, 4}, {{346, 130}, -1}, {{230, 245}, 0}, {{230, 246}, -1}};
  for (const auto& c : cases) {
    picked.clear();
    QTest::mousePress(&panel, Qt::LeftButton, {}, c.at);
    QCOMPARE(panel.draggedItem(), c.item);
    QCOMPARE(picked.isEmpty() ? -1 : picked.first().at(0).toInt(), c.item);
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, c.at);
    QCOMPARE(panel.draggedItem(), -1);
  }
  // The right button picks nothing.
  picked.clear();
  QTest::mousePress(&panel, Qt::RightButton, {}, QPoint(330, 130));
  QVERIFY(picked.isEmpty());
}

void OutputGraphsTest::roomDragStaysOnThePlot() {
  CSSVolumePanel panel;
  panel.resize(460, 460);
  panel.setItem(2, 0, 1);  // (230, 130)
  QSignalSpy moved(&panel, &CSSVolumePanel::itemMoved);
  QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(230, 130));
  const struct {
    QPoint pointer, pixel;
    float x, y;
  } cases[] = {{{233, 127}, {233, 127}, 0.03f, 1.03f},
               {{-50, 10}, {30, 30}, -2.0f, 2.0f},
               {{999, 999}, {430, 430}, 2.0f, -2.0f}};
  for (const auto& c : cases) {
    QTest::mouseMove(&panel, c.pointer);
    QCOMPARE(panel.itemPixel(2), c.pixel);
    QCOMPARE(moved.last().at(0).toInt(), 2);
    QCOMPARE(moved.last().at(1).toFloat(), c.x);
    QCOMPARE(moved.last().at(2).toFloat(), c.y);
    QCOMPARE(float(panel.itemMetres(2).x()), c.x);
    QCOMPARE(float(panel.itemMetres(2).y()), c.y);
  }
  QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(430, 430));
}

void OutputGraphsTest::roomPictureSmallerThanItsInsets() {
  CSSVolumePanel panel;
  panel.setMinimumSize(0, 0);
  for (QSize size : {QSize(59, 59), QSize(60, 300), QSize(0, 0)}) {
    panel.resize(size);
    panel.grab();
    const RoomAxes axes(size, 4.0f, 4.0f);
    // No plot width: no scale, everything maps to the centre line.
    if (axes.plotWidth == 0) QCOMPARE(axes.toMetres(QPoint(45, 45)).x(), 0.0);
    QSignalSpy moved(&panel, &CSSVolumePanel::itemMoved);
    QTest::mousePress(&panel, Qt::LeftButton, {}, panel.itemPixel(0));
    QTest::mouseMove(&panel, panel.itemPixel(0) + QPoint(3, 3));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, panel.itemPixel(0));
    for (const QList<QVariant>& m : moved) {
      QVERIFY(std::isfinite(m.at(1).toFloat()) && std::isfinite(m.at(2).toFloat()));
    }
  }
}

QTEST_MAIN(OutputGraphsTest)
#include "graphs_outputgraphs_qtest.moc"
