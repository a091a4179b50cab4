// The delay page: what typed delays, the spin, the graph, the on box, the mode radios and the
// split slider store and send, and which controls each row enables.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <memory>

#include "graphs/delay_panel.h"
#include "pages/delay_page.h"
#include "pages/output_nav_row.h"
#include "pages/page_factory.h"
#include "pages/spin_buttons.h"
#include "pages/step_slider.h"
#include "pages_fixture.h"
#include "params/band_record.h"

using ax7::Describe;
using ax7::Param;
using ax7::test::frames;
using ax7::test::PageFixture;
using ax7::ui::CDelayPanel;
using ax7::ui::DelayPage;
using ax7::ui::Language;
using ax7::ui::OutputNavRow;

namespace {

void putDelay(PageFixture& f, int channel, float ms) {
  f.mem().pc.setFloat(size_t(Describe(Param::ChannelDelay).wordOf(channel)), ms);
}
void putMode(PageFixture& f, int channel, int mode) {
  f.mem().pc.setInt(size_t(Describe(Param::DelayMode).wordOf(channel)), mode);
}
float storedDelay(PageFixture& f, int channel) {
  return f.mem().pc.getFloat(size_t(Describe(Param::ChannelDelay).wordOf(channel)));
}

void type(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, text);
  QTest::keyClick(edit, Qt::Key_Return);
}

ax7::BandRecord splitRecord(PageFixture& f, int channel, int band) {
  return ax7::LoadBandRecord(f.mem(), 5 + channel, band);
}

QLabel* rowLabel(DelayPage& page, int channel) {
  for (QLabel* l : page.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (l->property("ax7Id").toInt() == DelayPage::kRowLabelId + channel) return l;
  }
  return nullptr;
}

std::unique_ptr<DelayPage> openPage(PageFixture& f) {
  auto page =
      std::unique_ptr<DelayPage>(static_cast<DelayPage*>(ax7::ui::CreateDelayPage(f, 0, nullptr)));
  page->resize(1100, 460);
  page->show();
  QApplication::setActiveWindow(page.get());
  return page;
}

}  // namespace

class DelayPageTest : public QObject {
  Q_OBJECT
 private slots:
  void typedDelaysAreClampedAndSentOnce_data();
  void typedDelaysAreClampedAndSentOnce();
  void spinStepsInTenths();
  void graphDragStoresTheExactValue();
  void modeRadiosRewriteTheSplitFilters();
  void onBoxSwitchesTheRow();
  void splitSliderChoosesTheSplitFrequency();
  void opensFromMemoryAndFollowsTheLanguage();
  void wheelWorksTheFocusedEdit();
  void screenshots();
};

void DelayPageTest::typedDelaysAreClampedAndSentOnce_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<float>("stored");
  QTest::addColumn<QString>("frame");
  QTest::newRow("below the minimum") << "0.5" << 1.5f << "02 09 00 05 12 01 00 00 00 48";
  QTest::newRow("above the maximum") << "250" << 100.0f << "02 09 00 05 12 01 00 00 12 C0";
  QTest::newRow("with its unit") << "12.5ms" << 12.5f << "02 09 00 05 12 01 00 00 02 58";
  QTest::newRow("not a number") << "abc" << 1.5f << "02 09 00 05 12 01 00 00 00 48";
  QTest::newRow("nan is no number") << "nan" << 1.5f << "02 09 00 05 12 01 00 00 00 48";
}

void DelayPageTest::typedDelaysAreClampedAndSentOnce() {
  QFETCH(QString, typed);
  QFETCH(float, stored);
  QFETCH(QString, frame);
  PageFixture f;
  putDelay(f, 0, 10.0f);
  auto page = openPage(f);
  type(page->edit(0), typed);
  QCOMPARE(storedDelay(f, 0), stored);
  QCOMPARE(drain(f), frames({frame.toStdString()}));
  QCOMPARE(page->edit(0)->text(), QString::asprintf("%.1fms", double(stored)));
  QCOMPARE(page->panel()->delay(0), stored);
  QCOMPARE(page->spin(0)->position(), std::max(16, int(stored * 10)));
  // The same value again sends nothing.
  type(page->edit(0), typed);
  QVERIFY(drain(f).empty());
}

void DelayPageTest::spinStepsInTenths() {
  PageFixture f;
  putDelay(f, 2, 10.0f);
  putDelay(f, 3, 1.6f);
  auto page = openPage(f);
  page->spin(2)->upButton()->click();
  QCOMPARE(storedDelay(f, 2), 10.1f);
  // 10.1 ms is 484.8 samples: the nearest whole sample goes out.
  QCOMPARE(drain(f), frames({"02 09 00 07 12 01 00 00 01 E5"}));
  QCOMPARE(page->edit(2)->text(), QString("10.1ms"));
  QCOMPARE(page->spin(2)->position(), 101);

  // Down from 1.6 ms reaches the floor once; a second step has nothing new to send.
  QTest::keyClick(page->edit(3), Qt::Key_Down);
  QCOMPARE(storedDelay(f, 3), 1.5f);
  QCOMPARE(drain(f), frames({"02 09 00 08 12 01 00 00 00 48"}));
  QTest::keyClick(page->edit(3), Qt::Key_Down);
  QVERIFY(drain(f).empty());
  QCOMPARE(page->edit(3)->text(), QString("1.5ms"));
}

void DelayPageTest::graphDragStoresTheExactValue() {
  PageFixture f;
  putDelay(f, 1, 20.0f);
  auto page = openPage(f);
  CDelayPanel* panel = page->panel();
  const QPoint from = panel->hitCentre(1);
  QTest::mousePress(panel, Qt::LeftButton, {}, from);
  QTest::mouseMove(panel, from + QPoint(37, 3));
  QTest::mouseRelease(panel, Qt::LeftButton, {}, from + QPoint(37, 3));
  const float ms = panel->delay(1);
  QVERIFY(ms > 20.0f);
  // Not rounded to a tenth: memory holds what the graph reports.
  QCOMPARE(storedDelay(f, 1), ms);
  QCOMPARE(page->edit(1)->text(), QString::asprintf("%.1fms", double(ms)));
  QVERIFY(page->edit(1)->hasFocus());
  QCOMPARE(page->spin(1)->position(), int(std::lround(ms * 10)));
  QCOMPARE(drain(f).size(), size_t(1));

  // Dragged far past either end the delay stops at 1.5 and 100 ms.
  QTest::mousePress(panel, Qt::LeftButton, {}, panel->hitCentre(1));
  QTest::mouseMove(panel, QPoint(panel->width() + 200, from.y()));
  QCOMPARE(storedDelay(f, 1), 100.0f);
  QTest::mouseMove(panel, QPoint(-200, from.y()));
  QCOMPARE(storedDelay(f, 1), 1.5f);
  QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(-200, from.y()));
}

void DelayPageTest::modeRadiosRewriteTheSplitFilters() {
  PageFixture f;
  auto page = openPage(f);
  page->split(0)->setValue(5);
  f.core().uiEq.SetHighFreqSplit(0, 5);  // 1000 Hz / 1500 Hz
  drain(f);

  page->wholeChannel(0)->click();
  std::vector<std::string> sent = drain(f);
  QVERIFY(!sent.empty());
  QCOMPARE(sent.front(), frames({"02 09 00 05 11 02 3F 80 00 00 00 00 00 00"}).front());
  QCOMPARE(f.mem().pc.getInt(size_t(Describe(Param::DelayMode).wordOf(0))), 1);
  const int kPeq = 1, kLowPass = 2, kHighPass = 3;
  QCOMPARE(splitRecord(f, 0, 13).type, kPeq);
  QCOMPARE(splitRecord(f, 0, 13).frequency, 1000.0f);
  QCOMPARE(splitRecord(f, 0, 14).type, kPeq);
  QCOMPARE(splitRecord(f, 0, 14).frequency, 1500.0f);
  QCOMPARE(splitRecord(f, 0, 14).gainDb, 0.0f);
  QVERIFY(!page->split(0)->isEnabled());
  QVERIFY(!page->splitLabel(0)->isEnabled());
  QVERIFY(page->edit(0)->isEnabled());

  page->highFreq(0)->click();
  sent = drain(f);
  QCOMPARE(sent.front(), frames({"02 09 00 05 11 02 3F 80 00 00 3F 80 00 00"}).front());
  QCOMPARE(f.mem().pc.getInt(size_t(Describe(Param::DelayMode).wordOf(0))), 0);
  QCOMPARE(splitRecord(f, 0, 13).type, kHighPass);
  QCOMPARE(splitRecord(f, 0, 13).frequency, 1000.0f);
  QCOMPARE(splitRecord(f, 0, 14).type, kLowPass);
  QCOMPARE(splitRecord(f, 0, 14).frequency, 1500.0f);
  QVERIFY(page->split(0)->isEnabled());
}

void DelayPageTest::onBoxSwitchesTheRow() {
  PageFixture f;
  putMode(f, 0, 0);
  auto page = openPage(f);
  QVERIFY(page->onBox(0)->isChecked());
  page->onBox(0)->click();
  QCOMPARE(drain(f), frames({"02 09 00 05 13 01 00 00 00 01"}));
  QCOMPARE(f.mem().pc.getInt(size_t(Describe(Param::DelayOn).wordOf(0))), 1);
  for (QWidget* w : std::initializer_list<QWidget*>{page->highFreq(0), page->wholeChannel(0),
                                                    page->edit(0), page->spin(0), page->split(0),
                                                    page->splitLabel(0), rowLabel(*page, 0)}) {
    QVERIFY2(!w->isEnabled(), qPrintable(w->metaObject()->className()));
  }
  QVERIFY(page->onBox(0)->isEnabled());
  // A disabled spin sends nothing.
  page->spin(0)->upButton()->click();
  QVERIFY(drain(f).empty());
  // Other rows are untouched.
  QVERIFY(page->edit(1)->isEnabled());

  page->onBox(0)->click();
  QCOMPARE(drain(f), frames({"02 09 00 05 13 01"}));
  QVERIFY(page->edit(0)->isEnabled());
  QVERIFY(page->split(0)->isEnabled());
}

void DelayPageTest::splitSliderChoosesTheSplitFrequency() {
  PageFixture f;
  putMode(f, 4, 0);
  auto page = openPage(f);
  const struct {
    int position, highPass, lowPass;
  } cases[] = {{25, 3000, 3500}, {0, 500, 1000}, {7, 1200, 1700}};
  for (const auto& c : cases) {
    page->split(4)->setFocus();
    page->split(4)->setValue(c.position == 0 ? 1 : c.position - 1);
    QTest::keyClick(page->split(4), c.position == 0 ? Qt::Key_Left : Qt::Key_Right);
    QCOMPARE(splitRecord(f, 4, 13).frequency, float(c.highPass));
    QCOMPARE(splitRecord(f, 4, 14).frequency, float(c.lowPass));
    QCOMPARE(page->splitLabel(4)->text(), QString("%1Hz").arg(c.highPass));
    QCOMPARE(f.core().uiEq.FindHighFreqSplit(4), c.position);
  }
}

void DelayPageTest::opensFromMemoryAndFollowsTheLanguage() {
  PageFixture f;
  auto& pc = f.mem().pc;
  putDelay(f, 5, 42.34f);
  pc.setInt(size_t(Describe(Param::DelayOn).wordOf(6)), 1);
  putMode(f, 7, 1);
  putMode(f, 0, 0);
  // A split frequency that is not in the table shows the first entry.
  const ax7::PackedBand odd = ax7::PackBandRecord(3, 0.0f, 777.0f, 0.707f);
  ax7::PutBandRecord(f.mem(), 5 + 2, 13, odd);
  // A damaged delay word shows the floor.
  pc.setRaw(size_t(Describe(Param::ChannelDelay).wordOf(4)), 0x7FC00000u);
  auto page = openPage(f);
  QVERIFY(drain(f).empty());
  QCOMPARE(page->edit(5)->text(), QString("42.3ms"));
  QCOMPARE(page->panel()->delay(5), 42.34f);
  QCOMPARE(page->edit(4)->text(), QString("1.5ms"));
  QVERIFY(!page->onBox(6)->isChecked());
  QVERIFY(!page->edit(6)->isEnabled());
  QVERIFY(page->wholeChannel(7)->isChecked());
  QVERIFY(!page->split(7)->isEnabled());
  QVERIFY(page->highFreq(0)->isChecked());
  QCOMPARE(page->splitLabel(2)->text(), QString("500Hz"));
  QCOMPARE(page->navRow()->pressed(), OutputNavRow::kDelay);

  QCOMPARE(page->highFreq(0)->text(), QString::fromUtf8("高频延时"));
  QCOMPARE(rowLabel(*page, 2)->text(), QString::fromUtf8("中置"));
  QCOMPARE(page->onBox(3)->text(), QString::fromUtf8("开关"));
  f.setLanguage(Language::English);
  page->ApplyLanguage();
  QCOMPARE(page->highFreq(0)->text(), QString("High Freq "));
  QCOMPARE(page->wholeChannel(7)->text(), QString("Channel"));
  QCOMPARE(page->onBox(3)->text(), QString("ON"));
  QCOMPARE(rowLabel(*page, 2)->text(), QString("CH 3"));

  // Asking for another page goes through the page host.
  QSignalSpy asked(page.get(), &ax7::ui::Page::showPageRequested);
  page->navRow()->button(OutputNavRow::kLocation)->click();
  QCOMPARE(asked.size(), 1);
}

void DelayPageTest::wheelWorksTheFocusedEdit() {
  PageFixture f;
  putDelay(f, 0, 5.0f);
  auto page = openPage(f);
  page->edit(0)->setFocus();
  QApplication::setActiveWindow(page.get());
  QWheelEvent up(QPointF(5, 5), page->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, 240), Qt::NoButton,
                 {}, Qt::NoScrollPhase, false);
  QApplication::sendEvent(page.get(), &up);
  if (QApplication::focusWidget() != page->edit(0)) QSKIP("no focus on this platform");
  QCOMPARE(storedDelay(f, 0), 5.2f);
}

void DelayPageTest::screenshots() {
  for (Language language : {Language::Chinese, Language::English}) {
    PageFixture f(language);
    const float delays[8] = {3.0f, 12.5f, 25.0f, 38.0f, 51.5f, 64.0f, 80.2f, 97.0f};
    for (int k = 0; k < 8; ++k) {
      putDelay(f, k, delays[k]);
      putMode(f, k, 0);
      f.core().cmd.SetParam(Param::DelayMode, k, 0);
      f.core().eq.SetHighFreqSplit(k, 3 * k);
    }
    f.mem().pc.setInt(size_t(Describe(Param::DelayOn).wordOf(3)), 1);
    f.mem().pc.setInt(size_t(Describe(Param::DelayMode).wordOf(5)), 1);
    auto page = openPage(f);
    ax7::test::save(*page, "delay_page_" + ax7::test::tag(language));
    // Every channel's row: its name, the delay and split frequency it holds.
    AX7_VERIFY_SHOWN(*page, "3.0ms", "12.5ms", "25.0ms", "38.0ms", "51.5ms", "64.0ms", "80.2ms",
                     "97.0ms", "500Hz", "1400Hz", "2600Hz");
    if (language == Language::Chinese)
      AX7_VERIFY_SHOWN(*page, "前置左", "顶置右", "开关", "高频延时", "通道延时");
    else
      AX7_VERIFY_SHOWN(*page, "CH 1", "CH 8", "ON", "High Freq ", "Channel");
  }
}

QTEST_MAIN(DelayPageTest)
#include "pages_delay_qtest.moc"
