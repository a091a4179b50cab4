// The level meter: the fall and hold rules of its tick, pushes in and out of ticking mode, the
// band array, and where its LEDs and colours land.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>
#include <vector>

#include "graphs/peak_meter.h"

using ax7::ui::colorRefToRgb;
using ax7::ui::CPeakMeterCtrl;
using ax7::ui::createMusicPageMeter;
using ax7::ui::PeakBand;
using ax7::ui::PeakMeterConfig;

Q_DECLARE_METATYPE(PeakBand)

namespace {

// Runs the tick until the meter stops its timer or nothing moves any more; returns the count.
int tickToRest(CPeakMeterCtrl& meter) {
  int ticks = 0;
  std::vector<PeakBand> before;
  do {
    before = meter.bands();
    meter.tick();
    ++ticks;
  } while (meter.bands() != before && ticks < 1000);
  return ticks;
}

// A meter of the given LED count that has fallen from full scale to rest.
void makeResting(CPeakMeterCtrl& meter, int ledCount) {
  PeakMeterConfig config = PeakMeterConfig::musicPage();
  config.ledCount = ledCount;
  meter.setConfig(config);
  meter.ResizeBands();
  tickToRest(meter);
}

// Applies "p200 t3 p-5": pushes (p) of a level into band 0 and runs of ticks (t).
void runScript(CPeakMeterCtrl& meter, const QString& script) {
  static const QRegularExpression token(QStringLiteral("^([pt])(-?\\d+)$"));
  for (const QString& word : script.split(' ', Qt::SkipEmptyParts)) {
    const QRegularExpressionMatch m = token.match(word);
    QVERIFY2(m.hasMatch(), qPrintable(word));
    const int n = m.captured(2).toInt();
    if (m.captured(1) == QLatin1String("p")) {
      const int level = n;
      QVERIFY(meter.PushLevels({&level, 1}, 0));
    } else {
      for (int i = 0; i < n; ++i) meter.tick();
    }
  }
}

QColor pixel(const QImage& image, int x, int y) {
  return image.pixelColor(x, y);
}

// Counts paint events of a widget.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

}  // namespace

class MeterTest : public QObject {
  Q_OBJECT
 private slots:
  void tickRules_data();
  void tickRules();
  void newMeterFallsToRestAndPushRestartsTimer();
  void realTimerDrivesTheTick();
  void pushRepaintsNowOnlyOutsideTickingMode_data();
  void pushRepaintsNowOnlyOutsideTickingMode();
  void resizeBandsRefillsEveryBand();
  void pushIgnoresMissingBandOrLevel();
  void singleRowLedsAndZones_data();
  void singleRowLedsAndZones();
  void rowsLeaveGapsAndStartBelowRemainder();
  void degenerateConfigDoesNotDivideByZero();
  void screenshot();
};

void MeterTest::tickRules_data() {
  QTest::addColumn<int>("ledCount");
  QTest::addColumn<QString>("script");
  QTest::addColumn<PeakBand>("expected");

  // Music page: maximum 230, 15 LEDs -> a step of 15, the peak falls by 7.
  QTest::newRow("push sets value, peak and hold") << 15 << "p200" << PeakBand{200, 200, 10};
  QTest::newRow("above maximum is full scale") << 15 << "p250" << PeakBand{230, 230, 10};
  QTest::newRow("negative is empty") << 15 << "p-5" << PeakBand{0, 0, 0};
  QTest::newRow("lower push keeps peak and hold") << 15 << "p200 p100" << PeakBand{100, 200, 10};
  QTest::newRow("hold keeps counting") << 15 << "p200 t3 p150" << PeakBand{150, 200, 7};
  QTest::newRow("new peak re-arms hold") << 15 << "p200 t3 p210" << PeakBand{210, 210, 10};
  QTest::newRow("one step per tick") << 15 << "p200 t1" << PeakBand{185, 200, 9};
  QTest::newRow("peak held through nine ticks") << 15 << "p200 t9" << PeakBand{65, 200, 1};
  QTest::newRow("peak falls when hold reaches 0") << 15 << "p200 t10" << PeakBand{50, 193, 0};
  QTest::newRow("half a step per tick after") << 15 << "p200 t11" << PeakBand{35, 186, 0};
  QTest::newRow("value stops at zero") << 15 << "p200 t14" << PeakBand{0, 165, 0};
  QTest::newRow("peak stops at zero") << 15 << "p3 t11" << PeakBand{0, 0, 0};
  // Default LED count: step 230/8 = 28, peak 14.
  QTest::newRow("8 LEDs") << 8 << "p230 t10" << PeakBand{0, 216, 0};
  // One LED: the value falls by a tenth of full scale (23), the peak by 5.
  QTest::newRow("1 LED") << 1 << "p100 t1" << PeakBand{77, 100, 9};
  QTest::newRow("1 LED peak") << 1 << "p100 t11" << PeakBand{0, 90, 0};
}

void MeterTest::tickRules() {
  QFETCH(int, ledCount);
  QFETCH(QString, script);
  QFETCH(PeakBand, expected);

  CPeakMeterCtrl meter;
  makeResting(meter, ledCount);
  QCOMPARE(meter.bands(), std::vector<PeakBand>(1));
  runScript(meter, script);
  const PeakBand& band = meter.bands().at(0);
  QCOMPARE(band.value, expected.value);
  QCOMPARE(band.peak, expected.peak);
  QCOMPARE(band.hold, expected.hold);
}

void MeterTest::newMeterFallsToRestAndPushRestartsTimer() {
  QWidget page;
  CPeakMeterCtrl* meter = createMusicPageMeter(&page);
  QVERIFY(meter->isTicking());
  QVERIFY(meter->isTimerActive());
  QCOMPARE(meter->tickInterval(), 35);
  QCOMPARE(meter->bands(), (std::vector<PeakBand>{{230, 230, 10}}));

  // The bar is empty after 16 ticks; the peak falls 7 a tick from the tenth tick on and reaches
  // 0 on tick 42; tick 43 finds nothing moving and stops the timer.
  for (int i = 0; i < 41; ++i) meter->tick();
  QCOMPARE(meter->bands(), (std::vector<PeakBand>{{0, 6, 0}}) /* 230 - 32 * 7 */);
  QVERIFY(meter->isTimerActive());
  meter->tick();
  QCOMPARE(meter->bands(), std::vector<PeakBand>(1));
  QVERIFY(meter->isTimerActive());
  meter->tick();
  QVERIFY(!meter->isTimerActive());
  QVERIFY2(meter->isTicking(), "stopping at rest does not leave ticking mode");

  const int level = 120;
  QVERIFY(meter->PushLevels({&level, 1}, 0));
  QVERIFY(meter->isTimerActive());
  QCOMPARE(meter->tickInterval(), 35);
}

void MeterTest::realTimerDrivesTheTick() {
  CPeakMeterCtrl meter;
  PeakMeterConfig config = PeakMeterConfig::musicPage();
  config.tickPeriodMs = 1;
  meter.setConfig(config);
  meter.ResizeBands();
  meter.startTicking();
  QTRY_VERIFY_WITH_TIMEOUT(!meter.isTimerActive(), 5000);
  QCOMPARE(meter.bands(), std::vector<PeakBand>(1));
}

void MeterTest::pushRepaintsNowOnlyOutsideTickingMode_data() {
  QTest::addColumn<bool>("ticking");
  QTest::newRow("ticking: the next tick repaints") << true;
  QTest::newRow("not ticking: the push repaints") << false;
}

void MeterTest::pushRepaintsNowOnlyOutsideTickingMode() {
  QFETCH(bool, ticking);
  CPeakMeterCtrl meter;
  PeakMeterConfig config = PeakMeterConfig::musicPage();
  config.tickPeriodMs = 60000;  // only tick() below may tick
  meter.setConfig(config);
  meter.ResizeBands();
  meter.resize(150, 16);
  meter.show();
  QVERIFY(QTest::qWaitForWindowExposed(&meter));
  if (ticking) {
    meter.startTicking();
    tickToRest(meter);
    QVERIFY(!meter.isTimerActive());
  }
  QCoreApplication::processEvents();

  PaintCounter counter;
  meter.installEventFilter(&counter);
  const int level = 200;
  QVERIFY(meter.PushLevels({&level, 1}, 0));
  QCOMPARE(meter.isTimerActive(), ticking);
  QCoreApplication::processEvents();
  QCOMPARE(counter.paints, ticking ? 0 : 1);
  if (ticking) {
    meter.tick();
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 1);
  }
}

void MeterTest::resizeBandsRefillsEveryBand() {
  CPeakMeterCtrl meter;
  QVERIFY(meter.bands().empty());
  PeakMeterConfig config;
  config.bandCount = 3;
  config.holdTicks = 4;
  meter.setConfig(config);
  meter.ResizeBands();
  const PeakBand full{230, 230, 4};
  QCOMPARE(meter.bands(), std::vector<PeakBand>(3, full));

  const int levels[] = {10, 20, 30};
  for (int band = 0; band < 3; ++band) QVERIFY(meter.PushLevels(levels, band));
  QCOMPARE(meter.bands().at(1).value, 20);

  // Neither kept nor cleared: every band, old or new, starts full again.
  config.bandCount = 2;
  meter.setConfig(config);
  meter.ResizeBands();
  QCOMPARE(meter.bands(), std::vector<PeakBand>(2, full));
  config.bandCount = 4;
  meter.setConfig(config);
  meter.ResizeBands();
  QCOMPARE(meter.bands(), std::vector<PeakBand>(4, full));
}

void MeterTest::pushIgnoresMissingBandOrLevel() {
  CPeakMeterCtrl meter;
  PeakMeterConfig config;
  config.bandCount = 2;
  meter.setConfig(config);
  meter.ResizeBands();
  meter.startTicking();
  tickToRest(meter);
  const std::vector<PeakBand> rest = meter.bands();

  const int levels[] = {100, 100};
  QVERIFY(!meter.PushLevels({}, 0));
  QVERIFY(!meter.PushLevels(levels, -1));
  QVERIFY(!meter.PushLevels(levels, 2));       // no such band
  QVERIFY(!meter.PushLevels({levels, 1}, 1));  // no such level
  QCOMPARE(meter.bands(), rest);
  QVERIFY2(!meter.isTimerActive(), "a rejected push does not wake the timer");
}

void MeterTest::singleRowLedsAndZones_data() {
  QTest::addColumn<int>("level");
  QTest::addColumn<int>("lit");
  // 15 LEDs: 0..10 low, 11..12 middle, 13..14 top; lit = 15 * value / 230.
  QTest::newRow("full") << 230 << 15;
  QTest::newRow("200") << 200 << 13;
  QTest::newRow("one step") << 16 << 1;
  QTest::newRow("below one step") << 15 << 0;
  QTest::newRow("empty") << 0 << 0;
}

void MeterTest::singleRowLedsAndZones() {
  QFETCH(int, level);
  QFETCH(int, lit);
  CPeakMeterCtrl meter;
  meter.setConfig(PeakMeterConfig::musicPage());
  meter.ResizeBands();
  QVERIFY(meter.PushLevels({&level, 1}, 0));

  QImage image(150, 16, QImage::Format_RGB32);
  QPainter p(&image);
  meter.paintMeter(p, image.rect());
  p.end();

  const QColor background(240, 250, 255);
  const QColor on[] = {Qt::green, Qt::yellow, Qt::red};
  const QColor off[] = {QColor(2, 60, 2), QColor(60, 60, 2), QColor(60, 2, 2)};
  for (int i = 0; i < 15; ++i) {
    const int zone = i <= 10 ? 0 : i <= 12 ? 1 : 2;
    const QColor expected = i < lit ? on[zone] : off[zone];
    // LEDs are 10 px wide; their first column is the gap.
    QCOMPARE(pixel(image, i * 10, 8), background);
    QCOMPARE(pixel(image, i * 10 + 1, 0), expected);
    QCOMPARE(pixel(image, i * 10 + 9, 15), expected);
  }
}

void MeterTest::rowsLeaveGapsAndStartBelowRemainder() {
  CPeakMeterCtrl meter;
  PeakMeterConfig config;  // 8 LEDs, button-face background
  config.bandCount = 2;
  config.background = QColor::fromRgb(colorRefToRgb(0x102030));
  meter.setConfig(config);
  meter.ResizeBands();
  const int levels[] = {230, 0};
  QVERIFY(meter.PushLevels(levels, 1));

  // 21 px high: rows of 10 px from y = 1 (21 mod 2); each LED loses its top and bottom line.
  QImage image(80, 21, QImage::Format_RGB32);
  QPainter p(&image);
  meter.paintMeter(p, image.rect());
  p.end();
  const QColor background(0x30, 0x20, 0x10);
  const QColor lit = Qt::green;
  const QColor unlit(2, 60, 2);
  for (int y : {0, 1, 10, 11, 20}) QCOMPARE(pixel(image, 5, y), background);
  for (int y : {2, 9}) QCOMPARE(pixel(image, 5, y), lit);
  for (int y : {12, 19}) QCOMPARE(pixel(image, 5, y), unlit);
  QCOMPARE(pixel(image, 10, 5), background);  // gap column of LED 1
}

void MeterTest::degenerateConfigDoesNotDivideByZero() {
  CPeakMeterCtrl meter;
  PeakMeterConfig config;
  config.bandCount = 0;
  config.ledCount = 0;
  config.maximum = 0;
  config.tickPeriodMs = 0;
  meter.setConfig(config);
  QCOMPARE(meter.config().bandCount, 1);
  QCOMPARE(meter.config().ledCount, 1);
  QCOMPARE(meter.config().maximum, 1);
  QCOMPARE(meter.tickInterval(), 1);
  meter.ResizeBands();
  tickToRest(meter);
  QImage image(10, 10, QImage::Format_RGB32);
  QPainter p(&image);
  meter.paintMeter(p, image.rect());

  // More rows than bands (count raised without ResizeBands) draw the extra rows empty.
  config = PeakMeterConfig{};
  config.bandCount = 3;
  meter.setConfig(config);
  meter.paintMeter(p, image.rect());
}

void MeterTest::screenshot() {
  QDir().mkpath(QStringLiteral(AX7_SCREENSHOT_DIR));
  QWidget page;
  page.setAutoFillBackground(true);
  page.setPalette(QColor(240, 250, 255));
  page.resize(320, 80);
  CPeakMeterCtrl* left = createMusicPageMeter(&page);
  CPeakMeterCtrl* right = createMusicPageMeter(&page);
  left->setGeometry(10, 20, 300, 18);
  right->setGeometry(10, 44, 300, 18);
  const int levels[] = {230, 200};
  QVERIFY(left->PushLevels(levels, 0));
  QVERIFY(right->PushLevels({levels + 1, 1}, 0));
  for (int i = 0; i < 3; ++i) {
    left->tick();
    right->tick();
  }
  QCOMPARE(left->bands().at(0).value, 185);  // mid-fall: 12 of 15 LEDs
  QVERIFY(page.grab().save(QStringLiteral(AX7_SCREENSHOT_DIR "/meter_mid_fall.png")));
}

QTEST_MAIN(MeterTest)
#include "graphs_meter_qtest.moc"
