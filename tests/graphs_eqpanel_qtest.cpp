// The EQ graph driven by real mouse, wheel and key events on an offscreen widget: what each
// gesture does to the bands and what the page is told.
#include <QAction>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <vector>

#include "graphs/eq_panel.h"
#include "graphs/eq_panel_labels.h"

using ax7::dsp::EqBand;
using ax7::ui::CEqPanel;
namespace eqpanel = ax7::ui::eqpanel;

namespace {

// Plot 1024 x 300 pixels: 0 dB at y = 168 and 10 pixels per dB.
constexpr int kWidth = 1024 + CEqPanel::kPlotLeft + CEqPanel::kPlotRightMargin;
constexpr int kHeight = 300 + CEqPanel::kPlotTop + CEqPanel::kPlotBottomMargin;

struct Notified {
  int number;
  int type;
  float freq;
  float gain;
  float q;
};

// A shown panel that records what it tells the page and answers its menus from a script.
struct Harness {
  ax7::EqSetModel model;
  CEqPanel panel;
  std::vector<Notified> notified;
  int emptyReleases = 0;
  std::vector<std::pair<int, int>> copyPaste;
  std::vector<QStringList> menusShown;
  QString menuChoice;  // text of the entry to pick; empty closes the menu

  explicit Harness(int eqSet = 0, int bandCount = 10, int language = 1) {
    model.setEqSet(eqSet);
    panel.setModel(&model);
    panel.setLanguage(language);
    model.setBandCount(10);
    if (bandCount != 10) model.setBandCount(bandCount);
    panel.resize(kWidth, kHeight);
    QObject::connect(&panel, &CEqPanel::EqBandNotify, [this](const EqBand& b, int n) {
      notified.push_back({n, b.type, b.freq, b.gainDb, b.q});
    });
    QObject::connect(&panel, &CEqPanel::EqEmptyRelease, [this] { ++emptyReleases; });
    QObject::connect(&panel, &CEqPanel::EqCopyPaste,
                     [this](int action, int set) { copyPaste.emplace_back(action, set); });
    panel.setMenuRunner([this](QMenu& menu, const QPoint&) -> QAction* {
      QStringList texts;
      QAction* chosen = nullptr;
      for (QAction* a : menu.actions()) {
        texts << a->text();
        if (a->text() == menuChoice) chosen = a;
      }
      menusShown.push_back(texts);
      return chosen;
    });
    panel.show();
  }

  QPoint marker(int band) const { return panel.markerCentre(band).toPoint(); }
  const EqBand& band(int i) const { return model.band(i); }
  const Notified& last() const { return notified.back(); }

  void wheel(int delta) {
    const QPointF at = panel.rect().center();
    QWheelEvent ev(at, panel.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&panel, &ev);
    lastWheelAccepted = ev.isAccepted();
  }
  bool lastWheelAccepted = false;
};

QString screenshotPath(const QString& name) {
  QDir().mkpath(QStringLiteral(AX7_SCREENSHOT_DIR));
  return QStringLiteral(AX7_SCREENSHOT_DIR "/") + name;
}

int countPixels(const QImage& image, const QRect& area, bool (*match)(QRgb)) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) n += match(image.pixel(x, y)) ? 1 : 0;
  }
  return n;
}

}  // namespace

class EqPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void bandCountLoadsDefaults_data();
  void bandCountLoadsDefaults();
  void leftDrag_data();
  void leftDrag();
  void leftPressHitTest_data();
  void leftPressHitTest();
  void rightDragChangesQ_data();
  void rightDragChangesQ();
  void rightClickMenus_data();
  void rightClickMenus();
  void typeMenuOnCrossoverBand();
  void wheelChangesGain();
  void keys_data();
  void keys();
  void inputDisabledIgnoresPresses();
  void outputSetsShowTenMarkers_data();
  void outputSetsShowTenMarkers();
  void statusLineAndReadout();
  void bypassOverlay();
  void gridSameHeldOrAtRest();
  void screenshots();
};

void EqPanelTest::bandCountLoadsDefaults_data() {
  QTest::addColumn<int>("count");
  QTest::addColumn<float>("lastFrequency");
  QTest::addColumn<float>("firstUnshownFrequency");
  QTest::newRow("7 bands") << 7 << 2000.0f << 4000.0f;
  QTest::newRow("10 bands") << 10 << 16000.0f << 100.0f;
  // 13 loads nothing: records 10..12 keep what a new band holds.
  QTest::newRow("13 bands") << 13 << 100.0f << 100.0f;
}

void EqPanelTest::bandCountLoadsDefaults() {
  QFETCH(int, count);
  QFETCH(float, lastFrequency);
  QFETCH(float, firstUnshownFrequency);
  ax7::EqSetModel model;
  model.setBandGain(2, 5.0);
  model.setBandCount(count);
  QCOMPARE(model.bandCount(), count);
  QCOMPARE(model.band(0).freq, 31.0f);
  QCOMPARE(model.band(count - 1).freq, lastFrequency);
  QCOMPARE(model.band(count - 1).number, count - 1);
  QCOMPARE(model.band(2).gainDb, 0.0f);
  QCOMPARE(model.band(2).q, 1.41f);
  if (count < ax7::EqSetModel::kMaxBands) QCOMPARE(model.band(count).freq, firstUnshownFrequency);
}

void EqPanelTest::leftDrag_data() {
  QTest::addColumn<int>("type");
  QTest::addColumn<QPoint>("to");
  QTest::addColumn<float>("freq");
  QTest::addColumn<float>("gain");
  // x 548 is the middle of the plot: the geometric middle of 18 Hz .. 23 kHz, in whole hertz
  // as the band is stored and sent (643.4 Hz is 643 Hz).
  const float middle = float(std::trunc(std::sqrt(18.0 * 23000.0)));
  QTest::newRow("PEQ to the top edge") << 1 << QPoint(548, 18) << middle << 15.0f;
  QTest::newRow("PEQ above the plot") << 1 << QPoint(548, 2) << middle << 15.0f;
  QTest::newRow("PEQ 55 px below 0 dB") << 1 << QPoint(548, 223) << middle << -5.5f;
  QTest::newRow("PEQ left of 20 Hz") << 1 << QPoint(37, 168) << 20.0f << 0.0f;
  QTest::newRow("PEQ right of 20 kHz") << 1 << QPoint(1058, 100) << 20000.0f << 6.8f;
  QTest::newRow("LS gain follows") << 4 << QPoint(548, 118) << middle << 5.0f;
  QTest::newRow("HS gain follows") << 5 << QPoint(548, 218) << middle << -5.0f;
  QTest::newRow("LP keeps 0 dB") << 2 << QPoint(548, 40) << middle << 0.0f;
  QTest::newRow("HP keeps 0 dB") << 3 << QPoint(548, 300) << middle << 0.0f;
}

void EqPanelTest::leftDrag() {
  QFETCH(int, type);
  QFETCH(QPoint, to);
  QFETCH(float, freq);
  QFETCH(float, gain);
  Harness h;
  h.model.setBandType(4, type);
  QCOMPARE(h.marker(4).y(), 168);

  QTest::mousePress(&h.panel, Qt::LeftButton, {}, h.marker(4));
  QCOMPARE(h.panel.selectedBand(), 4);
  QCOMPARE(h.notified.size(), size_t(1));
  QTest::mouseMove(&h.panel, to);
  QCOMPARE(h.notified.size(), size_t(2));
  QTest::mouseRelease(&h.panel, Qt::LeftButton, {}, to);
  QCOMPARE(h.notified.size(), size_t(3));

  QCOMPARE(h.band(4).freq, freq);
  QCOMPARE(h.band(4).gainDb, gain);
  QCOMPARE(h.last().number, 4);
  QCOMPARE(h.last().freq, h.band(4).freq);
  QCOMPARE(h.last().gain, gain);
  QCOMPARE(h.emptyReleases, 0);
  // The curve followed the drag: a peaking band's curve is pinned to its gain at its column.
  if (type == 1 && freq > 20 && freq < 20000) {
    const int column = int(1024.0 * std::log10(freq / 18.0) / std::log10(23000.0 / 18.0));
    QCOMPARE(h.band(4).curve[column / 2], gain);
  }
}

void EqPanelTest::leftPressHitTest_data() {
  QTest::addColumn<int>("dx");
  QTest::addColumn<bool>("bandOff");
  QTest::addColumn<int>("picked");
  QTest::newRow("on the marker") << 0 << false << 5;
  QTest::newRow("9 px right") << 9 << false << 5;
  QTest::newRow("10 px right") << 10 << false << -1;
  QTest::newRow("type 0 cannot be picked") << 0 << true << -1;
}

void EqPanelTest::leftPressHitTest() {
  QFETCH(int, dx);
  QFETCH(bool, bandOff);
  QFETCH(int, picked);
  Harness h;
  if (bandOff) h.model.setBandType(5, 0);
  // Pixels right of the marker's exact centre (it may sit between pixels).
  const QPointF centre = h.panel.markerCentre(5);
  const QPoint at(int(std::ceil(centre.x())) + dx, int(centre.y()));
  QTest::mouseClick(&h.panel, Qt::LeftButton, {}, at);
  QCOMPARE(h.panel.selectedBand(), picked);
  if (picked < 0) {
    QVERIFY(h.notified.empty());
    QCOMPARE(h.emptyReleases, 1);
  } else {
    QCOMPARE(h.notified.size(), size_t(2));  // press and release
    QCOMPARE(h.emptyReleases, 0);
  }
}

void EqPanelTest::rightDragChangesQ_data() {
  QTest::addColumn<int>("type");
  QTest::addColumn<int>("dx");
  QTest::addColumn<float>("q");
  QTest::newRow("HP 80 px") << 3 << 80 << 1.7f;    // 0.7 + 1.0
  QTest::newRow("PEQ 12 px") << 1 << 12 << 2.41f;  // 1.41 + 1.0
  QTest::newRow("PEQ far left clamps") << 1 << -300 << 0.1f;
  QTest::newRow("LS far right clamps") << 4 << 300 << 2.0f;
}

void EqPanelTest::rightDragChangesQ() {
  QFETCH(int, type);
  QFETCH(int, dx);
  QFETCH(float, q);
  Harness h;
  h.model.setBandType(6, type);
  const QPoint start = h.marker(6);
  QTest::mousePress(&h.panel, Qt::RightButton, {}, start);
  // Two steps: the stored x moves with each step, so the steps add up.
  QTest::mouseMove(&h.panel, start + QPoint(dx / 2, 5));
  QTest::mouseMove(&h.panel, start + QPoint(dx, 5));
  QTest::mouseRelease(&h.panel, Qt::RightButton, {}, start + QPoint(dx, 5));
  QVERIFY(std::fabs(h.band(6).q - q) < 1e-4f);
  QCOMPARE(h.last().q, h.band(6).q);
  QCOMPARE(h.notified.size(), size_t(4));  // press, two steps, release
  QVERIFY(h.menusShown.empty());           // a drag opens no menu
}

void EqPanelTest::rightClickMenus_data() {
  QTest::addColumn<int>("language");
  QTest::addColumn<bool>("onBand");
  QTest::addColumn<QString>("choice");
  QTest::addColumn<QStringList>("entries");
  const QStringList typesEn = {"PEQ", "LP", "HP", "LS", "HS"};
  const QStringList typesZh = {"参量(PEQ)", "低通(LP)", "高通(HP)", "低架(LS)", "高架(HS)"};
  QTest::newRow("empty area, English")
      << 1 << false << "Paste EQ" << QStringList{"Copy EQ", "Paste EQ"};
  QTest::newRow("empty area, Chinese")
      << 0 << false << "复制均衡" << QStringList{"复制均衡", "粘贴均衡"};
  QTest::newRow("band, English") << 1 << true << "HS" << typesEn;
  QTest::newRow("band, Chinese") << 0 << true << "低通(LP)" << typesZh;
  QTest::newRow("band, menu closed") << 1 << true << "" << typesEn;
}

void EqPanelTest::rightClickMenus() {
  QFETCH(int, language);
  QFETCH(bool, onBand);
  QFETCH(QString, choice);
  QFETCH(QStringList, entries);
  Harness h(6, 10, language);
  h.model.setBandGain(2, 4.0);
  h.menuChoice = choice;
  const QPoint at = onBand ? h.marker(2) : QPoint(300, 300);
  QTest::mouseClick(&h.panel, Qt::RightButton, {}, at);
  QCOMPARE(h.menusShown.size(), size_t(1));
  QCOMPARE(h.menusShown[0], entries);
  if (!onBand) {
    QVERIFY(h.notified.empty());
    const int action = entries.indexOf(choice);
    QCOMPARE(h.copyPaste, (std::vector<std::pair<int, int>>{{action, 6}}));
    return;
  }
  QVERIFY(h.copyPaste.empty());
  const int chosenType = entries.indexOf(choice) + 1;
  if (chosenType == 0) {
    QCOMPARE(h.band(2).type, 1);
    QCOMPARE(h.notified.size(), size_t(2));  // press and release only
    return;
  }
  // Press, release, then the chosen type.
  QCOMPARE(h.notified.size(), size_t(3));
  QCOMPARE(h.band(2).type, chosenType);
  QCOMPARE(h.last().type, chosenType);
  QCOMPARE(h.last().gain, 0.0f);  // LP, HP, LS and HS start flat
}

void EqPanelTest::typeMenuOnCrossoverBand() {
  Harness h(7, 13);
  h.model.setBandFrequency(9, 2500);  // clear of band 6 at 2 kHz
  h.menuChoice = "LP";
  QTest::mouseClick(&h.panel, Qt::RightButton, {}, h.marker(9));
  const std::vector<int> types = {h.band(9).type, h.band(10).type, h.band(11).type,
                                  h.band(12).type};
  QCOMPARE(types, (std::vector<int>{18, 20, 1, 1}));
  for (int r = 9; r <= 12; ++r) {
    QCOMPARE(h.band(r).gainDb, 0.0f);
    QCOMPARE(h.band(r).freq, 2500.0f);
  }
  QCOMPARE(h.last().number, 9);
  QCOMPARE(h.last().type, 18);
  // The cascade is 24 dB/octave: three octaves above 2.5 kHz it is far below -40 dB.
  QVERIFY(h.band(9).curve[511] + h.band(10).curve[511] < -40.0f);
}

void EqPanelTest::wheelChangesGain() {
  Harness h;
  h.wheel(120);  // no selection: consumed, nothing changes
  QVERIFY(h.lastWheelAccepted);
  QVERIFY(h.notified.empty());

  QTest::mouseClick(&h.panel, Qt::LeftButton, {}, h.marker(3));
  h.notified.clear();
  h.wheel(120);
  h.wheel(-120);
  h.wheel(-120);
  h.wheel(0);  // changes nothing and reports nothing
  QCOMPARE(h.notified.size(), size_t(3));
  QCOMPARE(h.band(3).gainDb, -0.1f);
  QCOMPARE(h.last().gain, -0.1f);

  h.model.setBandGain(3, 14.95);
  h.wheel(120);
  QCOMPARE(h.band(3).gainDb, 15.0f);

  // A pass band leaves the wheel to the page.
  h.model.setBandType(3, 2);
  h.notified.clear();
  h.wheel(120);
  QVERIFY(!h.lastWheelAccepted);
  QVERIFY(h.notified.empty());
  QCOMPARE(h.band(3).gainDb, 0.0f);
}

void EqPanelTest::keys_data() {
  QTest::addColumn<int>("type");
  QTest::addColumn<float>("startFreq");
  QTest::addColumn<int>("key");
  QTest::addColumn<bool>("keypad");
  QTest::addColumn<float>("freq");
  QTest::addColumn<float>("gain");
  QTest::addColumn<float>("q");
  QTest::addColumn<bool>("reported");
  // PEQ bands start at Q 1.41, pass and shelf bands at 0.7.
  QTest::newRow("Left") << 1 << 1000.f << int(Qt::Key_Left) << false << 999.f << 0.f << 1.41f
                        << true;
  QTest::newRow("Right") << 1 << 1000.f << int(Qt::Key_Right) << false << 1001.f << 0.f << 1.41f
                         << true;
  QTest::newRow("Left at 20 Hz") << 1 << 20.f << int(Qt::Key_Left) << false << 20.f << 0.f << 1.41f
                                 << true;
  QTest::newRow("Up on PEQ") << 1 << 1000.f << int(Qt::Key_Up) << false << 1000.f << 0.1f << 1.41f
                             << true;
  QTest::newRow("Down on HS") << 5 << 1000.f << int(Qt::Key_Down) << false << 1000.f << -0.1f
                              << 0.7f << true;
  QTest::newRow("Up on LP still reports")
      << 2 << 1000.f << int(Qt::Key_Up) << false << 1000.f << 0.f << 0.7f << true;
  QTest::newRow("keypad +") << 1 << 1000.f << int(Qt::Key_Plus) << true << 1000.f << 0.f << 1.42f
                            << true;
  QTest::newRow("keypad -") << 3 << 1000.f << int(Qt::Key_Minus) << true << 1000.f << 0.f << 0.69f
                            << true;
  QTest::newRow("main-row + is not Q")
      << 1 << 1000.f << int(Qt::Key_Plus) << false << 1000.f << 0.f << 1.41f << false;
  QTest::newRow("other keys") << 1 << 1000.f << int(Qt::Key_A) << false << 1000.f << 0.f << 1.41f
                              << false;
}

void EqPanelTest::keys() {
  QFETCH(int, type);
  QFETCH(float, startFreq);
  QFETCH(int, key);
  QFETCH(bool, keypad);
  QFETCH(float, freq);
  QFETCH(float, gain);
  QFETCH(float, q);
  QFETCH(bool, reported);
  Harness h;
  h.model.setBandType(1, type);
  h.model.setBandFrequency(1, startFreq);
  QTest::keyClick(&h.panel, Qt::Key_Left);  // nothing selected: consumed and ignored
  QCOMPARE(h.band(1).freq, startFreq);

  QTest::mouseClick(&h.panel, Qt::LeftButton, {}, h.marker(1));
  QCOMPARE(h.panel.selectedBand(), 1);
  h.notified.clear();
  QTest::keyClick(&h.panel, Qt::Key(key), keypad ? Qt::KeypadModifier : Qt::NoModifier);
  QCOMPARE(h.band(1).freq, freq);
  QVERIFY(std::fabs(h.band(1).gainDb - gain) < 1e-5f);
  QVERIFY(std::fabs(h.band(1).q - q) < 1e-5f);
  QCOMPARE(h.notified.size(), size_t(reported ? 1 : 0));
}

void EqPanelTest::inputDisabledIgnoresPresses() {
  Harness h;
  QTest::mouseClick(&h.panel, Qt::LeftButton, {}, h.marker(2));
  h.notified.clear();
  h.panel.setInputDisabled(true);
  QTest::mouseClick(&h.panel, Qt::LeftButton, {}, h.marker(4));
  QTest::mouseClick(&h.panel, Qt::RightButton, {}, QPoint(300, 300));
  QCOMPARE(h.panel.selectedBand(), 2);
  QVERIFY(h.notified.empty());
  QCOMPARE(h.emptyReleases, 0);
  QVERIFY(h.menusShown.empty());
}

void EqPanelTest::outputSetsShowTenMarkers_data() {
  QTest::addColumn<int>("eqSet");
  QTest::addColumn<int>("bandCount");
  QTest::addColumn<int>("markers");
  QTest::newRow("mic A, 10") << 0 << 10 << 10;
  QTest::newRow("echo B, 7") << 5 << 7 << 7;
  QTest::newRow("CH1, 13") << 7 << 13 << 10;
  QTest::newRow("CH8, 7") << 14 << 7 << 10;
}

void EqPanelTest::outputSetsShowTenMarkers() {
  QFETCH(int, eqSet);
  QFETCH(int, bandCount);
  QFETCH(int, markers);
  Harness h(eqSet, bandCount);
  QCOMPARE(h.panel.markerCount(), markers);
  // The last marker can be picked; whatever lies beyond it cannot, even where a band sits.
  QTest::mouseClick(&h.panel, Qt::LeftButton, {}, h.marker(markers - 1));
  QCOMPARE(h.panel.selectedBand(), markers - 1);
  h.model.setBandFrequency(markers, 200);
  QTest::mouseClick(&h.panel, Qt::LeftButton, {}, h.marker(markers));
  QCOMPARE(h.panel.selectedBand(), -1);
}

void EqPanelTest::statusLineAndReadout() {
  Harness h(0, 10, 1);
  h.model.setBandFrequency(3, 1000);
  h.model.setBandQ(3, 1.41);
  h.model.setBandGain(3, -7.5);
  QTest::mouseClick(&h.panel, Qt::LeftButton, {}, h.marker(3));
  QCOMPARE(h.panel.selectedBand(), 3);

  QCOMPARE(eqpanel::statusPrefix(1, 4, 1000, 1.41),
           QString("Index=4     Frequency=1000Hz    Q=1.41     Gain="));
  QCOMPARE(eqpanel::gainText(-7.5), QString("-7.5dB"));
  QCOMPARE(eqpanel::statusGainColour(-7.5), QColor(255, 255, 0));
  const auto lines = eqpanel::readoutLines(h.panel.markerCentre(3), h.band(3));
  QCOMPARE(lines[0].value, QString("1000Hz"));
  for (const auto& line : lines) QVERIFY(line.labelPos.y() < h.panel.markerCentre(3).y() - 20);

  // The picture: the gain stands in yellow on the status line, and nothing is yellow there
  // without a selection.
  auto yellow = [](QRgb c) { return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) < 80; };
  const QRect statusRow(CEqPanel::kPlotLeft, 0, 600, 17);
  QVERIFY(countPixels(h.panel.grab().toImage(), statusRow, yellow) > 10);
  QTest::mouseClick(&h.panel, Qt::LeftButton, {}, QPoint(600, 300));
  QCOMPARE(countPixels(h.panel.grab().toImage(), statusRow, yellow), 0);
}

void EqPanelTest::bypassOverlay() {
  Harness h;
  auto white = [](QRgb c) { return qRed(c) > 240 && qGreen(c) > 240 && qBlue(c) > 240; };
  const QRect middle(h.panel.width() / 2 - 150, h.panel.height() / 2 - 40, 300, 80);
  QCOMPARE(countPixels(h.panel.grab().toImage(), middle, white), 0);
  h.panel.setBypass(true);
  QVERIFY(h.panel.bypass());
  QVERIFY(countPixels(h.panel.grab().toImage(), middle, white) > 500);
  h.panel.setBypass(false);
  QCOMPARE(countPixels(h.panel.grab().toImage(), middle, white), 0);
}

// While a band is held the grid comes from a cached layer, at rest it is drawn directly: both
// show the same labels and title, and a language switch during the hold reaches the layer.
void EqPanelTest::gridSameHeldOrAtRest() {
  Harness h;
  const QRect gainLabels(0, 0, CEqPanel::kPlotLeft - 1, kHeight);
  // The title is right-aligned; the held band's status line takes the left of that strip.
  const QRect title(kWidth / 2, 0, kWidth / 2, CEqPanel::kPlotTop - 1);
  const auto strips = [&] {
    const QImage image = h.panel.grab().toImage();
    return std::pair{image.copy(gainLabels), image.copy(title)};
  };
  const auto restEnglish = strips();
  QTest::mousePress(&h.panel, Qt::LeftButton, {}, h.marker(4));
  QCOMPARE(h.panel.selectedBand(), 4);
  QVERIFY(strips() == restEnglish);

  h.panel.setLanguage(0);
  const auto heldChinese = strips();
  QVERIFY(heldChinese.second != restEnglish.second);
  QTest::mouseRelease(&h.panel, Qt::LeftButton, {}, h.marker(4));
  QVERIFY(strips() == heldChinese);
}

void EqPanelTest::screenshots() {
  {
    Harness h(0, 10, 1);
    const float gains[10] = {3, 6, 2, -4, -7.5, 0, 1.5, 4, -2, 5};
    for (int i = 0; i < 10; ++i) h.model.setBandGain(i, gains[i]);
    h.model.setBandType(0, 3);
    h.model.setBandFrequency(0, 60);
    h.model.setBandType(8, 5);
    h.model.setBandQ(4, 2.5);
    QTest::mouseClick(&h.panel, Qt::LeftButton, {}, h.marker(4));
    QVERIFY(h.panel.grab().save(screenshotPath("eqpanel_mic_a_band5.png")));
    h.panel.setLanguage(0);
    QVERIFY(h.panel.grab().save(screenshotPath("eqpanel_mic_a_band5_zh.png")));
    h.panel.setBypass(true);
    QVERIFY(h.panel.grab().save(screenshotPath("eqpanel_mic_a_bypass.png")));
  }
  {
    Harness h(9, 13, 1);
    h.panel.resize(1000, 400);
    const float gains[9] = {4, 2, -3, 0, 1, -2, 3, 0, 0};
    for (int i = 0; i < 9; ++i) h.model.setBandGain(i, gains[i]);
    h.model.setBandType(0, 3);
    h.model.setBandFrequency(0, 40);
    h.model.setBandFrequency(9, 2500);
    h.model.chooseBandType(9, 2);
    QVERIFY(h.model.applyCrossover(9, 1));  // LinkwitzRiely 24dB, low-pass
    QTest::mouseClick(&h.panel, Qt::LeftButton, {}, h.marker(9));
    QCOMPARE(h.panel.selectedBand(), 9);
    QCOMPARE(h.band(10).type, 12);
    QVERIFY(h.panel.grab().save(screenshotPath("eqpanel_ch3_lr24.png")));
    QTest::mouseMove(&h.panel, h.marker(2));  // hover readout instead of the selected one
    QVERIFY(h.panel.grab().save(screenshotPath("eqpanel_ch3_hover.png")));
  }
}

QTEST_MAIN(EqPanelTest)
#include "graphs_eqpanel_qtest.moc"
