// The small seven-band EQ preview: setter limits and marker positions, the total curve with its
// per-band 0.1 dB rounding, a notch that lands on a curve point, and the hover and bypass looks.
#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <cmath>

#include "graphs/small_eq_panel.h"

using ax7::ui::CSmallEqPanel;

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 80;  // plot 196 x 76 from (2, 2); 0 dB at y = 40
constexpr int kPoints = CSmallEqPanel::kPoints;

bool curveInsidePlot(const CSmallEqPanel& panel) {
  const QRectF plot = panel.plotRect();
  for (const QPointF& p : panel.totalCurve()) {
    if (!std::isfinite(p.x()) || !std::isfinite(p.y())) return false;
    if (p.y() < plot.top() || p.y() > plot.top() + plot.height()) return false;
  }
  return true;
}

// The pixels of a colour: how many and their bounding box.
struct ColorArea {
  int count = 0;
  QRect box;
};

ColorArea findColor(const QImage& image, const std::function<bool(const QColor&)>& match) {
  ColorArea area;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (!match(image.pixelColor(x, y))) continue;
      ++area.count;
      area.box |= QRect(x, y, 1, 1);
    }
  }
  return area;
}

}  // namespace

class SmallEqTest : public QObject {
  Q_OBJECT
 private slots:
  void pointFrequencies();
  void settersClampAndPlaceMarkers_data();
  void settersClampAndPlaceMarkers();
  void flatBandsDrawFlatLine();
  void totalRoundsEachBandToTenth_data();
  void totalRoundsEachBandToTenth();
  void curveStaysInsideControl_data();
  void curveStaysInsideControl();
  void unknownTypeIsFlat();
  void resizeRecomputesCurvesAndMarkers();
  void hoverVeilAndFrameFollowPointer();
  void passShowsOnlyWhenBypassed();
  void screenshot();
};

void SmallEqTest::pointFrequencies() {
  QCOMPARE(CSmallEqPanel::pointFrequency(0), 10);
  QCOMPARE(CSmallEqPanel::pointFrequency(33), 1008);
  QCOMPARE(CSmallEqPanel::pointFrequency(55), 21841);
}

void SmallEqTest::settersClampAndPlaceMarkers_data() {
  QTest::addColumn<QString>("field");
  QTest::addColumn<float>("value");
  QTest::addColumn<float>("stored");
  QTest::addColumn<QPoint>("marker");

  // Band 5 starts at 1000 Hz, 0 dB. Marker x = trunc(log10(f/10) * 196/3.4) + 2,
  // y = trunc(38 - 76/30 * gain + 2).
  QTest::newRow("gain +6") << "gain" << 6.f << 6.f << QPoint(117, 24);
  QTest::newRow("gain 20 stored as 15") << "gain" << 20.f << 15.f << QPoint(117, 2);
  QTest::newRow("gain -40 stored as -15") << "gain" << -40.f << -15.f << QPoint(117, 78);
  QTest::newRow("gain NaN ignored") << "gain" << NAN << 0.f << QPoint(117, 40);
  QTest::newRow("frequency 100") << "freq" << 100.f << 100.f << QPoint(59, 40);
  QTest::newRow("frequency 0 ignored") << "freq" << 0.f << 1000.f << QPoint(117, 40);
  QTest::newRow("frequency 1e-8 ignored") << "freq" << 1e-8f << 1000.f << QPoint(117, 40);
  QTest::newRow("frequency 5 is 20") << "freq" << 5.f << 20.f << QPoint(19, 40);
  QTest::newRow("frequency -300 is 20") << "freq" << -300.f << 20.f << QPoint(19, 40);
  QTest::newRow("frequency 30000 is 20000") << "freq" << 30000.f << 20000.f << QPoint(192, 40);
}

void SmallEqTest::settersClampAndPlaceMarkers() {
  QFETCH(QString, field);
  QFETCH(float, value);
  QFETCH(float, stored);
  QFETCH(QPoint, marker);
  CSmallEqPanel panel;
  panel.resize(kWidth, kHeight);
  if (field == QLatin1String("gain")) {
    panel.setGain(5, value);
    QCOMPARE(panel.band(5).gain, stored);
  } else {
    panel.setFrequency(5, value);
    QCOMPARE(panel.band(5).freq, stored);
  }
  QCOMPARE(panel.band(5).marker, marker);
  // Other bands and out-of-range band numbers are left alone.
  panel.setGain(7, 3);
  panel.setGain(-1, 3);
  QCOMPARE(panel.band(4).gain, 0.f);
  QCOMPARE(panel.band(4).freq, 500.f);
}

void SmallEqTest::flatBandsDrawFlatLine() {
  CSmallEqPanel panel;
  panel.resize(kWidth, kHeight);
  panel.setCurveColor(QColor(0x00, 0xDC, 0x00));
  for (int u = 0; u < kPoints; ++u) {
    QCOMPARE(panel.totalCurve()[u].y(), 40.0);
    QCOMPARE(panel.totalCurve()[u].x(), 2 + u * 196.0 / kPoints);
  }
  // A green line at the middle height and nowhere else.
  const QImage image = panel.grab().toImage();
  auto green = [](const QColor& c) { return c.green() > 120 && c.red() < 80 && c.blue() < 80; };
  int onLine = 0;
  for (int y = 38; y <= 42; ++y) onLine += green(image.pixelColor(100, y));
  QVERIFY(onLine >= 1);
  QCOMPARE(green(image.pixelColor(100, 30)) || green(image.pixelColor(100, 50)), false);
}

void SmallEqTest::totalRoundsEachBandToTenth_data() {
  QTest::addColumn<QList<float>>("gains");
  QTest::addColumn<double>("total");
  // Every band a PEQ exactly on curve point 30 (662 Hz), where it reads its gain.
  QTest::newRow("1.24 -> 1.2") << QList<float>{1.24f} << 1.2;
  QTest::newRow("1.26 -> 1.3") << QList<float>{1.26f} << 1.3;
  QTest::newRow("-1.24 -> -1.2") << QList<float>{-1.24f} << -1.2;
  QTest::newRow("-1.26 -> -1.3") << QList<float>{-1.26f} << -1.3;
  // Residues below 0.05 dB vanish instead of adding up over seven bands.
  QTest::newRow("7 x 0.04 -> 0") << QList<float>(7, 0.04f) << 0.0;
  QTest::newRow("7 x 0.06 -> 0.7") << QList<float>(7, 0.06f) << 0.7;
  QTest::newRow("7 x -0.16 -> -1.4") << QList<float>(7, -0.16f) << -1.4;
  QTest::newRow("mixed") << QList<float>{2.04f, -0.96f, 3.56f} << 4.6;
}

void SmallEqTest::totalRoundsEachBandToTenth() {
  QFETCH(QList<float>, gains);
  QFETCH(double, total);
  constexpr int u = 30;
  const int f = CSmallEqPanel::pointFrequency(u);
  QCOMPARE(f, 662);
  CSmallEqPanel panel;
  panel.resize(kWidth, kHeight);
  for (int b = 0; b < gains.size(); ++b) {
    panel.setFrequency(b, f);
    panel.setGain(b, gains[b]);
  }
  QVERIFY(std::abs(panel.band(0).curveDb[u] - gains[0]) < 1e-4);
  QVERIFY(std::abs(panel.totalCurve()[u].y() - panel.yForDb(total)) < 1e-3);
}

void SmallEqTest::curveStaysInsideControl_data() {
  QTest::addColumn<int>("type");
  QTest::addColumn<float>("frequency");
  QTest::addColumn<float>("gain");
  QTest::addColumn<int>("bands");
  QTest::addColumn<int>("edgePoint");  // -1: none expected
  QTest::addColumn<bool>("atBottom");

  // A notch on point 33 (1008 Hz) has no magnitude there: the log of 0.
  QTest::newRow("notch on a point") << 7 << 1008.f << 0.f << 1 << 33 << true;
  QTest::newRow("notch between points") << 7 << 1000.f << 0.f << 1 << 33 << true;
  QTest::newRow("seven notches") << 7 << 1008.f << 0.f << 7 << 33 << true;
  // Seven +15 dB bands sum to +105 dB.
  QTest::newRow("stacked boosts") << 1 << 1008.f << 15.f << 7 << 33 << false;
  QTest::newRow("low-pass at 20 Hz") << 2 << 20.f << 0.f << 7 << 55 << true;
  QTest::newRow("band-pass") << 6 << 1008.f << 0.f << 1 << -1 << false;
}

void SmallEqTest::curveStaysInsideControl() {
  QFETCH(int, type);
  QFETCH(float, frequency);
  QFETCH(float, gain);
  QFETCH(int, bands);
  QFETCH(int, edgePoint);
  QFETCH(bool, atBottom);
  CSmallEqPanel panel;
  panel.resize(kWidth, kHeight);
  for (int b = 0; b < bands; ++b) {
    panel.setType(b, type);
    panel.setFrequency(b, frequency);
    panel.setGain(b, gain);
  }
  for (float db : panel.band(0).curveDb) QVERIFY(std::isfinite(db));
  QVERIFY(curveInsidePlot(panel));
  if (edgePoint >= 0) {
    const QRect plot = panel.plotRect();
    const double edge = atBottom ? plot.top() + plot.height() : plot.top();
    QCOMPARE(panel.totalCurve()[edgePoint].y(), edge);
  }
  // The dip (or peak) is at the band: the neighbours are less extreme.
  if (edgePoint < 0) return;
  const double mid = panel.yForDb(0);
  QVERIFY(std::abs(panel.totalCurve()[edgePoint].y() - mid) >=
          std::abs(panel.totalCurve()[edgePoint - 1].y() - mid));
  QVERIFY(!panel.grab().isNull());
}

void SmallEqTest::unknownTypeIsFlat() {
  CSmallEqPanel panel;
  panel.resize(kWidth, kHeight);
  panel.setGain(3, 9);
  QVERIFY(panel.totalCurve()[20].y() < 40);
  for (int type : {0, 8, 255, -1}) {
    panel.setType(3, type);
    for (int u = 0; u < kPoints; ++u) QCOMPARE(panel.totalCurve()[u].y(), 40.0);
  }
  panel.setType(3, 1);
  QVERIFY(panel.totalCurve()[20].y() < 40);
}

void SmallEqTest::resizeRecomputesCurvesAndMarkers() {
  CSmallEqPanel panel;
  panel.resize(kWidth, kHeight);
  panel.setGain(5, 6);
  const double peakY = panel.totalCurve()[33].y();
  panel.resize(2 * kWidth - 4, 2 * kHeight - 4);  // plot 392 x 152
  QCOMPARE(panel.band(5).marker, QPoint(232, 47));
  QCOMPARE(panel.totalCurve()[55].x(), 2 + 55 * 392.0 / kPoints);
  QVERIFY(std::abs((panel.totalCurve()[33].y() - 2) - 2 * (peakY - 2)) < 0.5);
}

void SmallEqTest::hoverVeilAndFrameFollowPointer() {
  CSmallEqPanel panel;
  panel.setGeometry(300, 300, kWidth, kHeight);  // away from where the pointer rests
  panel.show();
  QVERIFY(QTest::qWaitForWindowExposed(&panel));
  QVERIFY(!panel.isHovered());
  QSignalSpy clicks(&panel, &CSmallEqPanel::clicked);

  // (1, 30) lies in the margin, away from grid and curve.
  const QImage idle = panel.grab().toImage();
  QCOMPARE(idle.pixelColor(0, 0), QColor(Qt::black));
  QCOMPARE(idle.pixelColor(1, 30), QColor(Qt::black));

  QTest::mouseMove(&panel, QPoint(50, 20));
  QVERIFY(panel.isHovered());
  const QImage hovered = panel.grab().toImage();
  QCOMPARE(hovered.pixelColor(0, 0), QColor(Qt::cyan));
  QCOMPARE(hovered.pixelColor(kWidth - 1, kHeight - 1), QColor(Qt::cyan));
  const QColor veil = hovered.pixelColor(1, 30);  // black under ARGB 65606060
  QVERIFY2(std::abs(veil.red() - 38) <= 2 && veil.red() == veil.blue(), qPrintable(veil.name()));

  QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(50, 20));
  QCOMPARE(clicks.count(), 1);

  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&panel, &leave);
  QVERIFY(!panel.isHovered());
  const QImage left = panel.grab().toImage();
  QCOMPARE(left.pixelColor(0, 0), QColor(Qt::black));
  QCOMPARE(left.pixelColor(1, 30), QColor(Qt::black));
}

void SmallEqTest::passShowsOnlyWhenBypassed() {
  CSmallEqPanel panel;
  panel.resize(kWidth, kHeight);
  auto white = [](const QColor& c) { return c.red() > 240 && c.green() > 240 && c.blue() > 240; };
  QCOMPARE(findColor(panel.grab().toImage(), white).count, 0);
  panel.setBypass(true);
  const ColorArea pass = findColor(panel.grab().toImage(), white);
  QVERIFY(pass.count > 80);
  // Centred, about 32 px high.
  QVERIFY2(std::abs(pass.box.center().x() - kWidth / 2) <= 3,
           qPrintable(QString::number(pass.box.center().x())));
  QVERIFY2(std::abs(pass.box.center().y() - kHeight / 2) <= 3,
           qPrintable(QString::number(pass.box.center().y())));
  QVERIFY(pass.box.height() >= 18 && pass.box.height() <= 32);
  panel.setBypass(false);
  QCOMPARE(findColor(panel.grab().toImage(), white).count, 0);
}

void SmallEqTest::screenshot() {
  QDir().mkpath(QStringLiteral(AX7_SCREENSHOT_DIR));
  CSmallEqPanel panel;
  panel.resize(240, 100);
  panel.setCurveColor(QColor(0x00, 0xC8, 0xFF));
  panel.setType(5, 7);  // a notch right on the 1008 Hz point
  panel.setFrequency(5, 1008);
  panel.setGain(1, 6);
  panel.setType(6, 5);  // a +4 dB high shelf
  panel.setGain(6, 4);
  QVERIFY(panel.grab().save(QStringLiteral(AX7_SCREENSHOT_DIR "/smalleq_notch.png")));
  panel.show();
  QVERIFY(QTest::qWaitForWindowExposed(&panel));
  QTest::mouseMove(&panel, QPoint(60, 30));
  panel.setBypass(true);
  QVERIFY(panel.grab().save(QStringLiteral(AX7_SCREENSHOT_DIR "/smalleq_hover_pass.png")));
}

QTEST_MAIN(SmallEqTest)
#include "graphs_smalleq_qtest.moc"
