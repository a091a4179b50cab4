// The output and compressor pages in the main window: the Output category opens the output
// page on the channel shown last, and its "Delay" and "Comp" buttons lead to those pages.
#include <QPushButton>
#include <QTest>

#include "pages/compressor_page.h"
#include "pages/output_nav_row.h"
#include "pages/output_page.h"
#include "shell/page_host.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "shell_fixture.h"

using namespace ax7::ui;
using namespace ax7::test;

class OutputPagesInWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void outputCategoryReopensTheLastChannel();
  void delayAndCompressorAreReachable();
};

void OutputPagesInWindowTest::outputCategoryReopensTheLastChannel() {
  Shell s(ShellOptions().noConnect());
  s.window->ribbon().setCurrentCategory(kOutputCategory);
  auto* page = qobject_cast<OutputPage*>(s.window->pages().currentPage());
  QVERIFY(page);
  QCOMPARE(page->channel(), 0);
  page->navRow()->button(1076)->click();  // CH 5
  QTRY_COMPARE(page->channel(), 4);
  QCOMPARE(s.state->outputChannel, 4);

  s.window->ribbon().setCurrentCategory(kInputCategory);
  s.window->ribbon().setCurrentCategory(kOutputCategory);
  page = qobject_cast<OutputPage*>(s.window->pages().currentPage());
  QVERIFY(page);
  QCOMPARE(page->channel(), 4);
}

void OutputPagesInWindowTest::delayAndCompressorAreReachable() {
  Shell s(ShellOptions().lang(1).noConnect());
  s.window->ShowPage(PageKind::Output, 2);
  auto* page = qobject_cast<OutputPage*>(s.window->pages().currentPage());
  QVERIFY(page);
  QPushButton* comp = page->navRow()->button(OutputNavRow::kCompressor);
  QVERIFY(comp->isVisible());
  comp->click();
  QTRY_VERIFY(qobject_cast<CompressorPage*>(s.window->pages().currentPage()));
  auto* compressor = qobject_cast<CompressorPage*>(s.window->pages().currentPage());
  // Back to an output channel from the compressor page's row ("Top" is CH 5).
  compressor->navRow()->button(1076)->click();
  QTRY_VERIFY(qobject_cast<OutputPage*>(s.window->pages().currentPage()));
  QCOMPARE(qobject_cast<OutputPage*>(s.window->pages().currentPage())->channel(), 4);
  QCOMPARE(s.state->outputChannel, 4);

  page = qobject_cast<OutputPage*>(s.window->pages().currentPage());
  QPushButton* delay = page->navRow()->button(OutputNavRow::kDelay);
  QVERIFY(delay->isVisible());
  delay->click();
  QTRY_COMPARE(s.window->pages().currentPage()->kind(), PageKind::Delay);
}

QTEST_MAIN(OutputPagesInWindowTest)
#include "shell_outputpages_qtest.moc"
