// The compressor transfer curve: where the knee, threshold and slopes land, what the picture shows
// with the compressor on and off, and that the cached grid follows a resize.
#include <QDir>
#include <QImage>
#include <QTest>
#include <cmath>

#include "graphs/compress_panel.h"

using ax7::ui::CCompressPanelPlus;
using ax7::ui::CompressAxes;
using ax7::ui::CompressCurve;
using ax7::ui::compressCurveGeometry;

namespace {

const QColor kGrid(0x00, 0x6E, 0x00);
// The curve pen under the translucent grey band, which covers every curve pixel.
const QColor kCurveUnderBand(31, 185, 221);
const QColor kOffText(0x00, 0x96, 0xFF);

bool near(const QColor& a, const QColor& b, int tolerance = 6) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

int countNear(const QImage& image, const QColor& color, const QRect& area, int tolerance = 6) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      n += near(image.pixelColor(x, y), color, tolerance);
    }
  }
  return n;
}

// Kept in the build's screenshot folder for a person to look at.
void saveShot(const QImage& image, const char* name) {
  QDir().mkpath(QStringLiteral(AX7_SCREENSHOT_DIR));
  QVERIFY(image.save(QStringLiteral(AX7_SCREENSHOT_DIR "/") + name));
}

// The page's setting: knee at -90 dB with slope 1, then threshold and ratio.
void setPageCurve(CCompressPanelPlus& panel, float threshold, float ratio) {
  panel.setKnee(-90);
  panel.setLowerSlope(1);
  panel.setThreshold(threshold);
  panel.setRatio(ratio);
}

}  // namespace

class CompressTest : public QObject {
  Q_OBJECT
 private slots:
  void geometry_data();
  void geometry();
  void pageCurveFollowsInputThenRatio();
  void onShowsCurveOffShowsGridAndOff();
  void gridFollowsResize();
  void badInputsAreIgnored();
};

void CompressTest::geometry_data() {
  QTest::addColumn<QSize>("size");
  QTest::addColumn<float>("threshold");
  QTest::addColumn<float>("knee");
  QTest::addColumn<float>("slope");
  QTest::addColumn<float>("lowerSlope");
  QTest::addColumn<QPoint>("start");
  QTest::addColumn<QPoint>("kneePoint");
  QTest::addColumn<QPoint>("thresholdPoint");
  QTest::addColumn<QPoint>("end");
  QTest::addColumn<QRect>("band");

  // 420 x 300: W' = 360, H' = 255; x(v) = trunc((v + 90) * 3.75 + 40),
  // y(u) = trunc(|u - 6| * 2.65625 + 20).
  const QSize s(420, 300);
  // Ratio 4 at -20 dB: 26 dB above the threshold rise 6.5 dB, trunc(17.27) pixels.
  QTest::newRow("page, -20 dB 4:1")
      << s << -20.f << -90.f << 0.25f << 1.f << QPoint(40, 275) << QPoint(40, 275)
      << QPoint(302, 89) << QPoint(400, 72) << QRect(40, 72, 360, 203);
  QTest::newRow("page, 0 dB 1:1") << s << 0.f << -90.f << 1.f << 1.f << QPoint(40, 275)
                                  << QPoint(40, 275) << QPoint(377, 35) << QPoint(400, 20)
                                  << QRect(40, 20, 360, 255);
  // Defaults: the knee above the threshold; the start truncates separately (274, not 275).
  QTest::newRow("defaults") << s << -15.f << -5.f << 1.f << 1.f << QPoint(40, 274)
                            << QPoint(358, 49) << QPoint(321, 75) << QPoint(400, 20)
                            << QRect(40, 20, 360, 254);
  // Separate slopes: 0.8 dB out per dB in below a -60 dB knee, 0.5 above the threshold.
  QTest::newRow("both slopes") << s << -20.f << -60.f << 0.5f << 0.8f << QPoint(40, 258)
                               << QPoint(152, 195) << QPoint(302, 89) << QPoint(400, 55)
                               << QRect(40, 55, 360, 203);
  // Levels beyond the axes sit on its edge instead of mirroring around +6 dB.
  QTest::newRow("threshold above +6 dB")
      << s << 20.f << -90.f << 0.25f << 1.f << QPoint(40, 275) << QPoint(40, 275) << QPoint(400, 20)
      << QPoint(400, 20) << QRect(40, 20, 360, 255);
  // 300 x 200: W' = 240, H' = 155.
  QTest::newRow("smaller, -20 dB 4:1")
      << QSize(300, 200) << -20.f << -90.f << 0.25f << 1.f << QPoint(40, 175) << QPoint(40, 175)
      << QPoint(215, 61) << QPoint(280, 51) << QRect(40, 51, 240, 124);
}

void CompressTest::geometry() {
  QFETCH(QSize, size);
  QFETCH(float, threshold);
  QFETCH(float, knee);
  QFETCH(float, slope);
  QFETCH(float, lowerSlope);
  const auto g = compressCurveGeometry(size, CompressCurve{threshold, knee, slope, lowerSlope});
  QTEST(g.start, "start");
  QTEST(g.knee, "kneePoint");
  QTEST(g.threshold, "thresholdPoint");
  QTEST(g.end, "end");
  QTEST(g.band, "band");
}

void CompressTest::pageCurveFollowsInputThenRatio() {
  CCompressPanelPlus panel;
  panel.resize(420, 300);
  setPageCurve(panel, -20, 4);
  QCOMPARE(panel.curve().slope, 0.25f);
  const auto g = panel.geometry();
  const CompressAxes axes(panel.size());
  // Output = input from the bottom left corner to (-20, -20) ...
  QCOMPARE(g.start, QPoint(axes.x(-90), axes.y(-90)));
  QCOMPARE(g.threshold, QPoint(axes.x(-20), axes.y(-20)));
  // ... then -13.5 dB at the +6 dB edge, give or take the separate truncations.
  QCOMPARE(g.end.x(), axes.x(6));
  QVERIFY(std::abs(g.end.y() - axes.y(-13.5)) <= 1);
}

void CompressTest::onShowsCurveOffShowsGridAndOff() {
  CCompressPanelPlus panel;
  panel.resize(420, 300);
  setPageCurve(panel, -20, 4);

  const QImage on = panel.grab().toImage();
  saveShot(on, "compress_-20dB_4to1.png");
  QCOMPARE(on.pixelColor(200, 35), kGrid);             // the 0 dB line, above the band
  QCOMPARE(on.pixelColor(419, 5), QColor(Qt::black));  // outside the plot
  const QColor band = on.pixelColor(100, 100);
  QVERIFY2(near(band, QColor(30, 30, 30), 3), qPrintable(band.name()));
  QVERIFY(countNear(on, Qt::yellow, QRect(0, 0, 40, 300)) > 50);  // output labels
  // The curve crosses the column x = 351 of the last segment near y = 80.
  QVERIFY(countNear(on, kCurveUnderBand, QRect(349, 76, 5, 9)) >= 3);
  QVERIFY(countNear(on, kCurveUnderBand, on.rect()) > 300);
  QCOMPARE(countNear(on, kOffText, on.rect(), 10), 0);
  // The red dot around the threshold point (302, 89), beside the curve.
  QVERIFY(on.pixelColor(304, 91).red() > 150);

  panel.setOn(false);
  const QImage off = panel.grab().toImage();
  saveShot(off, "compress_off.png");
  QCOMPARE(countNear(off, kCurveUnderBand, off.rect()), 0);
  QCOMPARE(off.pixelColor(100, 100), QColor(Qt::black));  // no band either
  QCOMPARE(off.pixelColor(200, 35), kGrid);
  QVERIFY(countNear(off, kOffText, QRect(150, 110, 120, 80), 10) > 100);
  QVERIFY(countNear(off, Qt::yellow, QRect(0, 0, 40, 300)) > 50);
}

void CompressTest::gridFollowsResize() {
  CCompressPanelPlus panel;
  panel.setOn(false);  // grid only
  panel.resize(420, 300);
  QCOMPARE(panel.grab().toImage().pixelColor(150, 35), kGrid);  // 0 dB at 420 x 300

  panel.resize(300, 200);
  const QImage image = panel.grab().toImage();
  QCOMPARE(image.size(), QSize(300, 200));
  QCOMPARE(image.pixelColor(150, 29), kGrid);  // 0 dB at 300 x 200
  QCOMPARE(image.pixelColor(150, 35), QColor(Qt::black));
  QCOMPARE(image.pixelColor(280, 150), kGrid);  // the +6 dB input line, x = 40 + W'
}

void CompressTest::badInputsAreIgnored() {
  CCompressPanelPlus panel;
  setPageCurve(panel, -20, 4);
  const CompressCurve before = panel.curve();
  panel.setRatio(0);
  panel.setRatio(-2);
  panel.setRatio(NAN);
  panel.setThreshold(INFINITY);
  panel.setKnee(NAN);
  panel.setSlope(NAN);
  panel.setLowerSlope(-INFINITY);
  QCOMPARE(panel.curve().threshold, before.threshold);
  QCOMPARE(panel.curve().knee, before.knee);
  QCOMPARE(panel.curve().slope, before.slope);
  QCOMPARE(panel.curve().lowerSlope, before.lowerSlope);

  // A slope far beyond any ratio still maps to pixels without overflow.
  panel.resize(420, 300);
  panel.setSlope(1e30f);
  QVERIFY(panel.geometry().end.y() < 0);
  QVERIFY(!panel.grab().isNull());
}

QTEST_MAIN(CompressTest)
#include "graphs_compress_qtest.moc"
