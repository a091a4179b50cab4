// The output delays table: a typed delay stores and sends what the delay page sends for the
// same entry, and the table shows memory and both languages.
#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <cmath>
#include <memory>

#include "pages/delay_page.h"
#include "pages/output_delays_page.h"
#include "pages/page_factory.h"
#include "pages_fixture.h"

using ax7::Describe;
using ax7::Param;
using ax7::test::drain;
using ax7::test::PageFixture;
using ax7::ui::DelayPage;
using ax7::ui::Language;
using ax7::ui::OutputDelaysPage;

namespace {

size_t delayWord(int channel) {
  return size_t(Describe(Param::ChannelDelay).wordOf(channel));
}

template <typename P>
std::unique_ptr<P> open(PageFixture& f, ax7::ui::Page* (*create)(ax7::ui::PageContext&, int,
                                                                  QWidget*)) {
  auto page = std::unique_ptr<P>(static_cast<P*>(create(f, 0, nullptr)));
  page->resize(1100, 460);
  page->show();
  QApplication::setActiveWindow(page.get());
  return page;
}

QString cell(OutputDelaysPage& page, int row, int column) {
  return page.table()->item(row, column)->text();
}

}  // namespace

class OutputDelaysPageTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { ax7::test::InstallQuietSizeHints(); }
  void editsSendWhatTheDelayPageSends_data();
  void editsSendWhatTheDelayPageSends();
  void showsMemoryInBothLanguages();
};

void OutputDelaysPageTest::editsSendWhatTheDelayPageSends_data() {
  QTest::addColumn<int>("channel");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("shown");
  QTest::newRow("a value") << 0 << "12.5" << "12.5";
  QTest::newRow("with its unit") << 5 << "42.34ms" << "42.3";
  QTest::newRow("below the minimum") << 2 << "0.5" << "1.5";
  QTest::newRow("above the maximum") << 7 << "250" << "100.0";
  QTest::newRow("not a number") << 3 << "abc" << "1.5";
}

void OutputDelaysPageTest::editsSendWhatTheDelayPageSends() {
  QFETCH(int, channel);
  QFETCH(QString, typed);
  QFETCH(QString, shown);

  // The same entry on the delay page, typed as a person does.
  PageFixture byDelayPage;
  byDelayPage.mem().pc.setFloat(delayWord(channel), 10.0f);
  auto delay = open<DelayPage>(byDelayPage, &ax7::ui::CreateDelayPage);
  QLineEdit* edit = delay->edit(channel);
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, typed);
  QTest::keyClick(edit, Qt::Key_Return);
  const std::vector<std::string> expected = drain(byDelayPage);
  QVERIFY(!expected.empty());

  PageFixture f;
  f.mem().pc.setFloat(delayWord(channel), 10.0f);
  auto page = open<OutputDelaysPage>(f, &ax7::ui::CreateOutputDelaysPage);
  QVERIFY(drain(f).empty());  // opening sends nothing
  page->table()->item(channel, OutputDelaysPage::kDelayColumn)->setText(typed);
  QCOMPARE(drain(f), expected);
  QCOMPARE(f.mem().pc.getFloat(delayWord(channel)),
           byDelayPage.mem().pc.getFloat(delayWord(channel)));
  QCOMPARE(cell(*page, channel, OutputDelaysPage::kDelayColumn), shown);
  // The same value again, and an edit of the name column, send nothing.
  page->table()->item(channel, OutputDelaysPage::kDelayColumn)->setText(typed);
  page->table()->item(channel, 0)->setText("x");
  QVERIFY(drain(f).empty());
}

void OutputDelaysPageTest::showsMemoryInBothLanguages() {
  for (Language language : {Language::Chinese, Language::English}) {
    PageFixture f(language);
    const float delays[8] = {3.0f, 12.5f, 25.0f, 38.0f, 0.0f, 64.0f, 80.2f, 97.0f};
    for (int k = 0; k < 8; ++k) f.mem().pc.setFloat(delayWord(k), delays[k]);
    f.mem().pc.setRaw(delayWord(4), 0x7FC00000u);  // a damaged word shows the floor
    auto page = open<OutputDelaysPage>(f, &ax7::ui::CreateOutputDelaysPage);
    QVERIFY(drain(f).empty());
    const QStringList values = {"3.0", "12.5", "25.0", "38.0", "1.5", "64.0", "80.2", "97.0"};
    for (int k = 0; k < 8; ++k) QCOMPARE(cell(*page, k, 1), values[k]);
    ax7::test::save(*page, "output_delays_page_" + ax7::test::tag(language));

    const bool zh = language == Language::Chinese;
    AX7_VERIFY_SHOWN(*page, zh ? QString::fromUtf8("输出延时") : QString("Output delays"));
    QCOMPARE(cell(*page, 0, 0), zh ? QString::fromUtf8("通道(CH)1") : QString("CH 1"));
    QCOMPARE(cell(*page, 7, 0), zh ? QString::fromUtf8("通道(CH)8") : QString("CH 8"));
    QCOMPARE(page->table()->horizontalHeaderItem(1)->text(),
             zh ? QString::fromUtf8("延时(ms)") : QString("Delay (ms)"));

    // A synchronisation refreshes the table without sending anything back.
    f.mem().pc.setFloat(delayWord(6), 55.5f);
    page->RefreshAll();
    QCOMPARE(cell(*page, 6, 1), QString("55.5"));
    QVERIFY(drain(f).empty());
  }
}

QTEST_MAIN(OutputDelaysPageTest)
#include "pages_outputdelays_qtest.moc"
