// The output channels page: linked editing of mix, EQ, delay and compressor, the per-column
// strip, the crossover list, the compressor values it sends, and screenshots in both languages.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <bit>
#include <cmath>
#include <limits>

#include "core/core.h"
#include "graphs/eq_panel.h"
#include "pages/band_editor.h"
#include "pages/eq_editor.h"
#include "pages/eq_table.h"
#include "pages/output_nav_row.h"
#include "pages/output_page.h"
#include "pages/page_factory.h"
#include "pages/value_row.h"
#include "pages_fixture.h"
#include "params/band_record.h"

using namespace ax7::ui;
using ax7::test::frames;
using ax7::test::PageFixture;
using Field = compressor::Field;

namespace {

using ax7::test::save;

struct Out {
  PageFixture ctx;
  std::unique_ptr<OutputPage> page;

  explicit Out(int channel = 0, Language language = Language::English, bool sync = true)
      : ctx(language, sync) {
    page.reset(static_cast<OutputPage*>(CreateOutputPage(ctx, channel, nullptr)));
    // As the page host does: a channel button of the page selects the channel in place.
    QObject::connect(page.get(), &ax7::ui::Page::showPageRequested, page.get(),
                     [p = page.get()](PageKind kind, int argument) {
                       if (kind == PageKind::Output) p->SelectArgument(argument);
                     });
    page->resize(1024, 560);
    page->show();
  }
  ax7::ParameterMemory& mem() { return ctx.mem(); }
  // Everything the page handed to the queue, once it has left.
  std::vector<std::string> sent() {
    ctx.core().queue.waitIdle();
    auto s = ctx.sent();
    ctx.trace.clear();
    return s;
  }
  void link(int channel) { page->linkBox(channel)->click(); }
  void channelButton(int channel) {
    page->navRow()->button(OutputNavRow::kIds[size_t(channel)])->click();
    QCoreApplication::processEvents();
  }
  // A user's move of a slider to a position: moved, then reported once.
  static void move(ValueRow* row, int position) {
    StepSlider* s = row->slider();
    s->setValue(position);
    emit s->userMoved(s->value());
  }
  ax7::BandRecord record(int channel, int band) {
    return ax7::LoadBandRecord(mem(), 5 + channel, band);
  }
};

std::string floatHex(float v) {
  const uint32_t u = std::bit_cast<uint32_t>(v);
  return QString::asprintf("%02X %02X %02X %02X", u >> 24, (u >> 16) & 0xFF, (u >> 8) & 0xFF,
                           u & 0xFF)
      .toStdString();
}

}  // namespace

class OutputPageTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { ax7::test::InstallQuietSizeHints(); }
  void mixFollowsTheLinks_data();
  void mixFollowsTheLinks();
  void mixOnAMutedChannelTellsAndSends();
  void stripControlsNeverFollowTheLinks_data();
  void stripControlsNeverFollowTheLinks();
  void linksLiveInThePage();
  void sourceWordOutOfRangeShowsNone();
  void splitAndDelaySliders();
  void delaySwitchModeAndEnabling_data();
  void delaySwitchModeAndEnabling();
  void crossoverFamilyGoesToEveryLinkedChannel();
  void eqBypassAndResetFollowTheLinks();
  void compressorTextsAndSends();
  void compressorSendsWhatItShows_data();
  void compressorSendsWhatItShows();
  void languageKeepsSelectionsAndNavigation();
  void wheelGoesToTheFocusedSlider();
  void screenshots();
};

void OutputPageTest::mixFollowsTheLinks_data() {
  QTest::addColumn<int>("current");
  QTest::addColumn<QList<int>>("linked");
  QTest::addColumn<QList<int>>("changed");
  QTest::newRow("CH 3 with CH 2 and CH 5") << 2 << QList<int>{1, 4} << QList<int>{1, 2, 4};
  QTest::newRow("alone") << 6 << QList<int>{} << QList<int>{6};
  // The current channel's own tick (made on another channel) changes nothing: it goes once.
  QTest::newRow("own tick") << 0 << QList<int>{0, 7} << QList<int>{0, 7};
}

void OutputPageTest::mixFollowsTheLinks() {
  QFETCH(int, current);
  QFETCH(QList<int>, linked);
  QFETCH(QList<int>, changed);
  Out p(current == 0 ? 1 : 0);
  for (int i : linked) p.link(i);
  p.channelButton(current);
  QCOMPARE(p.page->channel(), current);
  p.sent();

  Out::move(p.page->mixRow(1), 40);  // "Reverb"
  std::vector<std::string> want;
  for (int i = 0; i < 8; ++i) {
    const bool isChanged = changed.contains(i);
    QCOMPARE(p.mem().pc.getInt(size_t(73 + i)) == 40, isChanged);
    if (isChanged) {
      want.push_back(frames({QString::asprintf("02 09 00 %02X 15 01 3E CC CC CD", 5 + i)
                                 .toStdString()})
                         .front());
    }
  }
  QCOMPARE(p.sent(), want);
  QCOMPARE(p.page->mixRow(1)->valueLabel()->text(), QString("40%"));
}

void OutputPageTest::mixOnAMutedChannelTellsAndSends() {
  Out p(3, Language::Chinese);
  p.page->muteBox(3)->click();
  p.sent();
  Out::move(p.page->mixRow(0), 50);
  QCOMPARE(p.ctx.infos, (std::vector<QString>{QString::fromUtf8("当前是静音状态")}));
  QCOMPARE(p.sent(), frames({"02 09 00 08 14 01 3F 00 00 00"}));
}

void OutputPageTest::stripControlsNeverFollowTheLinks_data() {
  QTest::addColumn<QString>("control");
  QTest::addColumn<int>("word");
  QTest::addColumn<int>("stored");
  QTest::addColumn<QString>("frame");
  QTest::newRow("mute") << "mute" << 180 << 1 << "02 09 00 08 1A 01 00 00 00 00";
  QTest::newRow("phase") << "phase" << 188 << 1 << "02 09 00 08 19 01 BF 80 00 00";
  QTest::newRow("source") << "source" << 100 << 6 << "02 09 00 08 10 01 00 00 00 06";
}

void OutputPageTest::stripControlsNeverFollowTheLinks() {
  QFETCH(QString, control);
  QFETCH(int, word);
  QFETCH(int, stored);
  QFETCH(QString, frame);
  Out p(0);
  for (int i = 1; i < 8; ++i) p.link(i);
  const auto words = [&p] {
    std::vector<uint32_t> w;
    for (size_t i = 0; i < p.mem().pc.size(); ++i) w.push_back(p.mem().pc.raw(i));
    return w;
  };
  const auto before = words();
  p.sent();
  if (control == "mute") p.page->muteBox(3)->click();
  if (control == "phase") p.page->phaseBox(3)->click();
  if (control == "source") {
    QComboBox* list = p.page->sourceList(3);
    list->setCurrentIndex(stored);
    emit list->activated(stored);
  }
  QCOMPARE(p.sent(), frames({frame.toStdString()}));
  const auto after = words();
  for (size_t w = 0; w < after.size(); ++w) {
    if (int(w) == word) {
      QCOMPARE(int(p.mem().pc.getInt(w)), stored);
    } else {
      QVERIFY2(after[w] == before[w], qPrintable(QString("word %1 changed").arg(w)));
    }
  }
}

void OutputPageTest::linksLiveInThePage() {
  {
    Out p(2);
    // The current channel's own box is hidden, the others shown.
    for (int i = 0; i < 8; ++i) QCOMPARE(p.page->linkBox(i)->isVisible(), i != 2);
    QCOMPARE(p.ctx.lastOutputChannel, 2);
    p.link(5);
    p.channelButton(6);
    QCOMPARE(p.ctx.lastOutputChannel, 6);
    QVERIFY(p.page->linkBox(5)->isChecked());
    QVERIFY(!p.page->linkBox(6)->isVisible());
    QCOMPARE(p.page->linkedSet(), (std::vector<int>{5, 6}));
    QVERIFY(p.page->navRow()->button(1078)->isChecked());
    // Linking sends and stores nothing.
    p.link(0);
    QVERIFY(p.sent().empty());
    QCOMPARE(p.page->linkedSet(), (std::vector<int>{0, 5, 6}));
  }
  // A page made anew starts with no links, whatever the last one had.
  Out fresh(6);
  QCOMPARE(fresh.page->linkedSet(), (std::vector<int>{6}));
  for (int i = 0; i < 8; ++i) QVERIFY(!fresh.page->linkBox(i)->isChecked());
}

void OutputPageTest::sourceWordOutOfRangeShowsNone() {
  Out p(0);
  const int words[] = {7, 8, 255, -1, std::numeric_limits<int>::max()};
  for (int w : words) {
    p.mem().pc.setInt(97 + 4, w);
    p.page->RefreshAll();
    QCOMPARE(p.page->sourceList(4)->currentIndex(), w == 7 ? 7 : -1);
    QCOMPARE(p.page->sourceList(4)->count(), 8);
  }
}

void OutputPageTest::splitAndDelaySliders() {
  Out p(0);
  p.link(3);
  p.page->delayBox()->setChecked(true);
  p.page->splitRadio()->click();
  p.sent();
  Out::move(p.page->splitRow(), 25);
  QCOMPARE(p.page->splitRow()->valueLabel()->text(), QString("3000Hz"));
  for (int ch : {0, 3}) {
    const ax7::BandRecord hp = p.record(ch, 13), lp = p.record(ch, 14);
    QCOMPARE(hp.type, 3);
    QCOMPARE(hp.frequency, 3000.0f);
    QCOMPARE(lp.type, 2);
    QCOMPARE(lp.frequency, 3500.0f);
  }
  // Each record is written to the box and followed by its section: 85 then 09.
  const auto split = p.sent();
  QCOMPARE(split.size(), size_t(8));
  for (size_t i = 0; i < split.size(); ++i) {
    QCOMPARE(split[i].substr(0, 5), std::string(i % 2 ? "02 09" : "02 85"));
  }

  Out::move(p.page->delayRow(), 16);
  QCOMPARE(p.page->delayRow()->valueLabel()->text(), QString("1.6ms"));
  QCOMPARE(p.mem().pc.getFloat(153), 1.6f);
  QCOMPARE(p.mem().pc.getFloat(156), 1.6f);
  QCOMPARE(p.sent(), frames({"02 09 00 05 12 01 00 00 00 4D", "02 09 00 08 12 01 00 00 00 4D"}));
  // The same position again (the stored delay) sends nothing.
  Out::move(p.page->delayRow(), 16);
  QVERIFY(p.sent().empty());
}

void OutputPageTest::delaySwitchModeAndEnabling_data() {
  QTest::addColumn<bool>("on");
  QTest::addColumn<int>("mode");
  QTest::addColumn<bool>("radios");
  QTest::addColumn<bool>("split");
  QTest::addColumn<bool>("delayText");
  QTest::newRow("on, split") << true << 0 << true << true << true;
  QTest::newRow("on, channel delay") << true << 1 << true << false << true;
  QTest::newRow("off, split") << false << 0 << false << false << false;
  QTest::newRow("off, channel delay") << false << 1 << false << false << false;
}

void OutputPageTest::delaySwitchModeAndEnabling() {
  QFETCH(bool, on);
  QFETCH(int, mode);
  QFETCH(bool, radios);
  QFETCH(bool, split);
  QFETCH(bool, delayText);
  Out p(1);
  p.link(7);
  // Start from the opposite switch and mode, so both clicks change something.
  p.mem().pc.setInt(161 + 1, on ? 1 : 0);
  p.mem().pc.setInt(169 + 1, mode == 1 ? 0 : 1);
  p.page->RefreshAll();
  p.page->delayBox()->click();
  if (!on) {
    // Radios are disabled with the switch off: choose the mode first.
    p.page->delayBox()->click();
    p.sent();
    (mode == 1 ? p.page->channelDelayRadio() : p.page->splitRadio())->click();
    p.page->delayBox()->click();
  } else {
    (mode == 1 ? p.page->channelDelayRadio() : p.page->splitRadio())->click();
  }
  for (int ch : {1, 7}) {
    QCOMPARE(p.mem().pc.getInt(size_t(161 + ch)), on ? 0 : 1);
    QCOMPARE(p.mem().pc.getInt(size_t(169 + ch)), mode);
    // With channel delay the split records are flat PEQ sections; with the split back, HP/LP.
    QCOMPARE(p.record(ch, 13).type, mode == 1 ? 1 : 3);
    QCOMPARE(p.record(ch, 14).type, mode == 1 ? 1 : 2);
  }
  QCOMPARE(p.page->splitRadio()->isEnabled(), radios);
  QCOMPARE(p.page->channelDelayRadio()->isEnabled(), radios);
  QCOMPARE(p.page->splitRow()->slider()->isEnabled(), split);
  QCOMPARE(p.page->splitRow()->valueLabel()->isEnabled(), split);
  QCOMPARE(p.page->delayRow()->valueLabel()->isEnabled(), delayText);
  QVERIFY(p.page->delayRow()->slider()->isEnabled());
  // A refresh from memory shows the same.
  p.page->RefreshAll();
  QCOMPARE(p.page->delayBox()->isChecked(), on);
  QCOMPARE(p.page->channelDelayRadio()->isChecked(), mode == 1);
  QCOMPARE(p.page->splitRow()->slider()->isEnabled(), split);
}

void OutputPageTest::crossoverFamilyGoesToEveryLinkedChannel() {
  Out p(2);
  p.link(0);
  p.link(6);
  EqEditor* eq = p.page->eqEditor();
  QTest::mouseClick(eq->panel(), Qt::LeftButton, {}, eq->panel()->markerCentre(9).toPoint());
  QCOMPARE(eq->selectedBand(), 9);
  eq->bandEditor()->typeRadio(2)->click();  // HP
  QVERIFY(eq->crossoverList()->isVisible());
  p.sent();
  QComboBox* list = eq->crossoverList();
  const int entry = list->findText("LinkwitzRiely 48dB");
  list->setCurrentIndex(entry);
  emit list->activated(entry);
  for (int ch : {0, 2, 6}) {
    QCOMPARE((std::vector<int>{p.record(ch, 9).type, p.record(ch, 10).type,
                               p.record(ch, 11).type, p.record(ch, 12).type}),
             (std::vector<int>{19, 21, 19, 21}));
  }
  QCOMPARE(p.record(1, 9).type == 19, false);
  // Four records, each to three channels, each a record and its section.
  QCOMPARE(p.sent().size(), size_t(4 * 3 * 2));

  // Selecting the band again shows the family and "HP".
  QTest::mouseClick(eq->panel(), Qt::LeftButton, {}, QPoint(3, 3));
  QVERIFY(eq->isTableShown());
  QTest::mouseClick(eq->panel(), Qt::LeftButton, {}, eq->panel()->markerCentre(9).toPoint());
  QCOMPARE(eq->selectedBand(), 9);
  QCOMPARE(list->currentText(), QString("LinkwitzRiely 48dB"));
  QVERIFY(list->isVisible());
  QVERIFY(eq->bandEditor()->typeRadio(2)->isChecked());
  QCOMPARE(eq->table()->text(9, EqTable::kTypeColumn), QString("HP"));
  // A linked channel shows the same when it becomes current.
  p.channelButton(6);
  QCOMPARE(eq->table()->text(9, EqTable::kTypeColumn), QString("HP"));
}

void OutputPageTest::eqBypassAndResetFollowTheLinks() {
  Out p(4);
  p.link(5);
  p.sent();
  QVERIFY(!p.page->IsEqBypassed());
  p.page->ToggleEqBypass();
  QVERIFY(p.page->IsEqBypassed());
  QVERIFY(p.page->eqEditor()->panel()->bypass());
  QCOMPARE(p.sent(), frames({"02 09 00 09 0F 01 00 00 00 01", "02 09 00 0A 0F 01 00 00 00 01"}));
  QCOMPARE(p.mem().pc.getInt(105 + 3), 0);

  for (int ch : {4, 5, 1}) {
    const auto packed = ax7::PackBandRecord(3, 0, 2500, 0.7f);
    p.mem().boxImage.copyIn(size_t(ax7::EqSetOffset(7 + ch) + 2 * ax7::kBandRecordSize),
                            packed.data(), packed.size());
  }
  p.page->ResetEq();
  QCOMPARE(p.record(4, 2).type, 1);
  QCOMPARE(p.record(5, 2).type, 1);
  QCOMPARE(p.record(5, 2).frequency, 125.0f);
  QCOMPARE(p.record(1, 2).type, 3);  // not linked
  QVERIFY(p.page->eqEditor()->isTableShown());
  QCOMPARE(p.page->eqEditor()->table()->text(2, EqTable::kTypeColumn), QString("PEQ"));
}

void OutputPageTest::compressorTextsAndSends() {
  Out p(0);
  p.mem().pc.setFloat(129, 4.0f);
  p.mem().pc.setFloat(137, 10.0f);
  p.mem().pc.setFloat(145, 200.0f);
  p.page->RefreshAll();
  p.sent();
  ValueRow* ratio = p.page->compressorRow(Field::Ratio);
  Out::move(ratio, 10);
  QCOMPARE(ratio->valueLabel()->text(), QString("1.0:1"));
  Out::move(ratio, 300);
  QCOMPARE(ratio->valueLabel()->text(), QString("30.0:1"));
  p.sent();
  Out::move(ratio, 40);
  p.sent();
  Out::move(p.page->compressorRow(Field::Threshold), -20);
  QCOMPARE(p.page->compressorRow(Field::Threshold)->valueLabel()->text(), QString("-20dB"));
  const std::string want =
      "02 09 00 05 1B 07 C1 A0 00 00 00 00 00 00 " + floatHex(float(1.0 - 1.0 / 4.0)) +
      " 41 A0 00 00 3D 4C CC CD " + floatHex(float(1.0 - std::exp(-1.0 / (10.0 * 48.0)))) + " " +
      floatHex(float(1.0 - std::exp(-1.0 / (200.0 * 48.0))));
  QCOMPARE(p.sent(), frames({want}));
  QCOMPARE(p.mem().pc.getFloat(121), -20.0f);
  QCOMPARE(p.mem().pc.getFloat(129), 4.0f);

  // The switch follows the links.
  p.link(1);
  p.page->compressorBox()->setChecked(true);
  p.page->compressorBox()->click();
  QCOMPARE(p.mem().pc.getInt(113), 1);
  QCOMPARE(p.mem().pc.getInt(114), 1);
  QCOMPARE(p.sent(), frames({"02 09 00 05 1C 01 00 00 00 01", "02 09 00 06 1C 01 00 00 00 01"}));
}

void OutputPageTest::compressorSendsWhatItShows_data() {
  QTest::addColumn<float>("threshold");
  QTest::addColumn<float>("ratio");
  QTest::addColumn<float>("attack");
  QTest::addColumn<float>("release");
  QTest::addColumn<float>("sentRatio");
  QTest::addColumn<float>("sentAttack");
  QTest::addColumn<float>("sentRelease");
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  QTest::newRow("zeros") << 0.f << 0.f << 0.f << 0.f << 1.f << 1.f << 1.f;
  QTest::newRow("not numbers") << nan << nan << nan << nan << 1.f << 1.f << 1.f;
  QTest::newRow("beyond the sliders") << 7.f << 90.f << -inf << 5000.f << 30.f << 1.f << 1000.f;
  QTest::newRow("in range stays") << -5.f << 2.5f << 20.f << 300.f << 2.5f << 20.f << 300.f;
}

void OutputPageTest::compressorSendsWhatItShows() {
  QFETCH(float, threshold);
  QFETCH(float, ratio);
  QFETCH(float, attack);
  QFETCH(float, release);
  QFETCH(float, sentRatio);
  QFETCH(float, sentAttack);
  QFETCH(float, sentRelease);
  // A box opened without a synchronisation: memory holds what it was given.
  Out p(2, Language::English, false);
  QVERIFY(p.ctx.core().link.OpenUsbDevice(nullptr));
  p.mem().pc.setFloat(121 + 2, threshold);
  p.mem().pc.setFloat(129 + 2, ratio);
  p.mem().pc.setFloat(137 + 2, attack);
  p.mem().pc.setFloat(145 + 2, release);
  p.page->RefreshAll();
  p.sent();
  Out::move(p.page->compressorRow(Field::Threshold), -30);
  QCOMPARE(p.mem().pc.getFloat(129 + 2), sentRatio);
  QCOMPARE(p.mem().pc.getFloat(137 + 2), sentAttack);
  QCOMPARE(p.mem().pc.getFloat(145 + 2), sentRelease);
  QCOMPARE(p.page->compressorRow(Field::Ratio)->valueLabel()->text(),
           QString::asprintf("%.1f:1", sentRatio));
  const auto sent = p.sent();
  QCOMPARE(sent.size(), size_t(1));
  const ax7::Report r = ax7::test::parseFrame(sent.front());
  QCOMPARE(int(r[4]), 0x1B);
  for (int w = 0; w < 7; ++w) {
    const uint32_t u = uint32_t(r[size_t(6 + 4 * w)]) << 24 | uint32_t(r[size_t(7 + 4 * w)]) << 16 |
                       uint32_t(r[size_t(8 + 4 * w)]) << 8 | r[size_t(9 + 4 * w)];
    QVERIFY2(std::isfinite(std::bit_cast<float>(u)), qPrintable(QString("word %1").arg(w)));
  }
}

void OutputPageTest::languageKeepsSelectionsAndNavigation() {
  Out p(1, Language::Chinese);
  QComboBox* list = p.page->sourceList(2);
  list->setCurrentIndex(5);
  emit list->activated(5);
  QCOMPARE(list->currentText(), QString::fromUtf8("中置"));
  // Delay and Comp are reachable from here, in both languages.
  QPushButton* delay = p.page->navRow()->button(OutputNavRow::kDelay);
  QPushButton* comp = p.page->navRow()->button(OutputNavRow::kCompressor);
  QVERIFY(delay->isVisible() && comp->isVisible());
  QCOMPARE(delay->text(), QString::fromUtf8("延时"));
  p.ctx.setLanguage(Language::English);
  p.page->ApplyLanguage();
  QCOMPARE(list->currentText(), QString("CH-CEN"));
  QCOMPARE(delay->text(), QString("Delay"));
  QCOMPARE(comp->text(), QString("Comp"));
  QCOMPARE(p.page->muteBox(0)->text(), QString("Mute"));
  QCOMPARE(p.page->phaseBox(0)->text(), QString::fromUtf8("Phase 180°"));
  QCOMPARE(p.page->compressorRow(Field::Ratio)->title()->text(), QString("Decay ratio"));
  p.ctx.setLanguage(Language::Chinese);
  p.page->ApplyLanguage();
  QCOMPARE(delay->text(), QString::fromUtf8("延时"));
  QCOMPARE(comp->text(), QString::fromUtf8("压限"));
  QCOMPARE(p.page->compressorRow(Field::Threshold)->title()->text(), QString::fromUtf8("阀(阈)"));
  QCOMPARE(p.page->linkBox(0)->text(), QString::fromUtf8("齐调"));

  QSignalSpy spy(p.page.get(), &ax7::ui::Page::showPageRequested);
  comp->click();
  QCOMPARE(spy.size(), 1);
  QCOMPARE(spy.front().at(0).value<PageKind>(), PageKind::Compressor);
}

void OutputPageTest::wheelGoesToTheFocusedSlider() {
  Out p(0);
  p.page->activateWindow();
  StepSlider* release = p.page->compressorRow(Field::Release)->slider();
  release->setFocus();
  QCoreApplication::processEvents();
  if (QApplication::focusWidget() != release) QSKIP("no focus on this platform");
  const int before = release->value();
  QWidget* over = p.page->mixRow(0)->slider();  // not focused
  const int mixBefore = p.page->mixRow(0)->position();
  const QPoint at = over->rect().center();
  QWheelEvent wheel(at, over->mapToGlobal(at), {}, QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(over, &wheel);
  QCOMPARE(release->value(), before + 1);
  QCOMPARE(p.page->mixRow(0)->position(), mixBefore);
  QCOMPARE(p.mem().pc.getFloat(145), float(before + 1));
}

void OutputPageTest::screenshots() {
  for (Language language : {Language::Chinese, Language::English}) {
    Out p(0, language);
    p.page->resize(1024, 560);
    p.channelButton(2);
    p.link(1);
    p.link(5);
    EqEditor* eq = p.page->eqEditor();
    QTest::mouseClick(eq->panel(), Qt::LeftButton, {}, eq->panel()->markerCentre(9).toPoint());
    eq->bandEditor()->typeRadio(2)->click();  // HP
    QLineEdit* hz = eq->bandEditor()->frequencyEdit();
    hz->setText("80");
    QTest::keyClick(hz, Qt::Key_Return);
    QComboBox* list = eq->crossoverList();
    const int entry = list->findText("LinkwitzRiely 24dB");
    list->setCurrentIndex(entry);
    emit list->activated(entry);
    p.page->delayBox()->setChecked(false);
    p.page->delayBox()->click();
    p.page->channelDelayRadio()->click();
    Out::move(p.page->delayRow(), 125);
    Out::move(p.page->compressorRow(Field::Threshold), -20);
    Out::move(p.page->compressorRow(Field::Ratio), 40);
    Out::move(p.page->compressorRow(Field::Attack), 10);
    Out::move(p.page->compressorRow(Field::Release), 200);
    Out::move(p.page->mixRow(3), 80);
    save(*p.page, QString("output_page_") + (language == Language::Chinese ? "zh" : "en"));
    // What was set above: the high-pass at 80 Hz with its crossover, the channel delay, the
    // compressor, and the captions of every area in the language.
    AX7_VERIFY_SHOWN(*p.page, "80Hz", "LinkwitzRiely 24dB", "12.5ms", "-20dB", "4.0:1", "10ms",
                     "200ms", "80%");
    if (language == Language::Chinese)
      AX7_VERIFY_SHOWN(*p.page, "前置左", "齐调", "混音", "高通", "延时开关", "通道延时", "压限启用");
    else
      AX7_VERIFY_SHOWN(*p.page, "CH-L", "Linked", "Mix", "HP", "Delay Switch", "Channel delay",
                       "Compressor Switch");
  }
}

QTEST_MAIN(OutputPageTest)
#include "pages_output_qtest.moc"
