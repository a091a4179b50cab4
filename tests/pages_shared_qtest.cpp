// The pieces every page builds with: the output navigation row, the value row, radio groups
// that can show none, the pictures drawn in code, and a page against a small fake context.
// Screenshots of each piece in both languages go to the build's screenshots folder.
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "core/core.h"
#include "pages/dialog_texts.h"
#include "pages/output_nav_row.h"
#include "pages/page_factory.h"
#include "pages/pictures.h"
#include "pages/placeholder_page.h"
#include "pages/radio_group.h"
#include "pages/value_row.h"
#include "pages_fixture.h"

using namespace ax7::ui;

namespace {

using ax7::test::save;
using ax7::test::tag;

}  // namespace

class SharedPiecesTest : public QObject {
  Q_OBJECT

 private slots:
  void navRowRequestsPagesAndTakesEachPagesTexts();
  void valueRowShowsAndReports();
  void valueRowPlacesDamagedWordsSafely();
  void radioGroupCanShowNone();
  void picturesDrawAtTheirSizes();
  void factoryMakesEveryKindAndPagesFollowTheLanguage();
};

void SharedPiecesTest::navRowRequestsPagesAndTakesEachPagesTexts() {
  OutputNavRow row;
  QSignalSpy spy(&row, &OutputNavRow::pageRequested);
  struct Case {
    int id;
    PageKind kind;
    int argument;
  };
  const Case cases[] = {{1069, PageKind::Output, 0}, {1072, PageKind::Output, 1},
                        {1070, PageKind::Output, 2}, {1071, PageKind::Output, 3},
                        {1076, PageKind::Output, 4}, {1079, PageKind::Output, 7},
                        {1073, PageKind::Room, 0},   {1074, PageKind::Delay, 0},
                        {1075, PageKind::Compressor, 0}};
  row.setPressed(1074);
  for (const Case& c : cases) {
    QTest::mouseClick(row.button(c.id), Qt::LeftButton);
    const QList<QVariant> args = spy.takeFirst();
    QCOMPARE(args.at(0).value<PageKind>(), c.kind);
    QCOMPARE(args.at(1).toInt(), c.argument);
    // The pressed look is the page's: a click does not move it.
    QVERIFY(row.button(1074)->isChecked());
    QCOMPARE(row.button(c.id)->isChecked(), c.id == 1074);
  }
  row.setHidden({1074, 1075});
  row.show();
  QVERIFY(!row.button(1074)->isVisible() && !row.button(1075)->isVisible());
  QVERIFY(row.button(1073)->isVisible());

  // Texts from each page's own table; a key without a value keeps the text it has.
  row.setHidden({});
  const auto& en = EmbeddedLanguageTable(Language::English);
  const auto& zh = EmbeddedLanguageTable(Language::Chinese);
  row.ApplyLanguage(zh, 385);
  QCOMPARE(row.button(1072)->text(), QString::fromUtf8("通道2"));
  QCOMPARE(row.button(1074)->text(), QString::fromUtf8("延时"));
  save(row, "nav_row_output_zh");
  row.ApplyLanguage(en, 385);
  QCOMPARE(row.button(1072)->text(), QString("CH 2"));
  QCOMPARE(row.button(1075)->text(), QString("Comp"));
  save(row, "nav_row_output_en");
  OutputNavRow comp;
  comp.ApplyLanguage(en, 346);
  QCOMPARE(comp.button(1069)->text(), QString("Main"));
  QCOMPARE(comp.button(1077)->text(), QString::fromUtf8("通道6"));
}

void SharedPiecesTest::valueRowShowsAndReports() {
  for (Language l : {Language::Chinese, Language::English}) {
    ValueRow row(1123, 1041, 1127, 0, 100, [](int p) { return QString::asprintf("%d%%", p); });
    row.setTitle(Pick(l, "直达声音量", "Direct"));
    row.resize(320, row.sizeHint().height());
    QSignalSpy spy(&row, &ValueRow::userMoved);
    row.setPosition(40);
    QCOMPARE(row.valueLabel()->text(), QString("40%"));
    QCOMPARE(spy.count(), 0);  // set from memory: nothing reported
    row.show();
    QTest::keyClick(row.slider(), Qt::Key_Right);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.takeFirst().at(0).toInt(), 41);
    QCOMPARE(row.valueLabel()->text(), QString("41%"));
    QCOMPARE(row.slider()->property("ax7Id").toInt(), 1041);
    save(row, "value_row_" + tag(l));
  }
  ValueRow vertical(0, 1019, 0, 16, 1000, [](int p) { return QString::asprintf("%.1fms", p / 10.0); },
                    Qt::Vertical);
  vertical.setPosition(5000);
  QCOMPARE(vertical.position(), 1000);
  QCOMPARE(vertical.valueLabel()->text(), QString("100.0ms"));
}

void SharedPiecesTest::valueRowPlacesDamagedWordsSafely() {
  ValueRow row(0, 0, 0, -600, 0, nullptr);
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    float word;
    double scale;
    int expected;
  } cases[] = {
      {-12.5f, 10.0, -125}, {3.0f, 10.0, 0},        {-1e30f, 10.0, -600},
      {NAN, 10.0, -600},    {inf, 10.0, -600},       {-inf, 10.0, -600},
      {-0.09f, 10.0, 0},
  };
  for (const auto& c : cases) {
    row.setPosition(-300);
    row.setFromWord(c.word, c.scale);
    QCOMPARE(row.position(), c.expected);
  }
}

void SharedPiecesTest::radioGroupCanShowNone() {
  QWidget box;
  auto* layout = new QVBoxLayout(&box);
  RadioGroup group;
  QSignalSpy spy(&group, &RadioGroup::idClicked);
  for (int id : {0, 1, 2}) {
    auto* r = new QRadioButton(QString("R%1").arg(id), &box);
    layout->addWidget(r);
    group.addButton(r, id);
  }
  box.show();
  group.setCheckedId(1);
  QCOMPARE(group.checkedId(), 1);
  group.setCheckedId(-1);
  QCOMPARE(group.checkedId(), -1);
  for (int id : {0, 1, 2}) QVERIFY(!group.button(id)->isChecked());
  group.setCheckedId(7);  // a value no button stands for
  QCOMPARE(group.checkedId(), -1);
  QCOMPARE(spy.count(), 0);
  // Still exclusive for the user.
  QTest::mouseClick(group.button(2), Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseClick(group.button(0), Qt::LeftButton, {}, QPoint(5, 5));
  QCOMPARE(group.checkedId(), 0);
  QVERIFY(!group.button(2)->isChecked());
  QCOMPARE(spy.count(), 2);
}

void SharedPiecesTest::picturesDrawAtTheirSizes() {
  using namespace pictures;
  for (Language l : {Language::Chinese, Language::English}) {
    // One sheet with every picture at its own size.
    QWidget sheet;
    sheet.setFixedSize(kRemoteSize.width() + kInstructionsSize.width() + 300, 560);
    QPixmap canvas(sheet.size());
    canvas.fill(QColor(0x20, 0x20, 0x20));
    {
      QPainter p(&canvas);
      PaintRemote(p, QRect(QPoint(10, 10), kRemoteSize));
      PaintInstructions(p, QRect(QPoint(205, 10), kInstructionsSize), l);
      const int x = 590;
      for (int k = 0; k < 2; ++k) {
        PaintChannel(p, QRect(QPoint(x, 10 + k * 45), kChannelSize), k * 5, l);
      }
      for (int m = 0; m < 4; ++m) {
        PaintEffectTitle(p, QRect(QPoint(x, 110 + m * 45), kEffectTitleSize), m, l);
      }
      PaintDelayMarker(p, QRect(QPoint(x, 300), kDelayMarkerSize), QColor(0xE3CF57));
      PaintListener(p, QRect(QPoint(x + 40, 300), kListenerSize));
      PaintSpeaker(p, QRect(QPoint(x + 90, 300), kSpeakerSize));
      int y = 350;
      for (FaceState s : {FaceState::Normal, FaceState::Hover, FaceState::Pressed,
                          FaceState::Disabled}) {
        PaintImageButtonFace(p, QRect(x, y, 110, 26), Pick(l, "载入参数", "Load file"), s);
        y += 32;
      }
    }
    QLabel label(&sheet);
    label.setPixmap(canvas);
    label.resize(sheet.size());
    save(sheet, "pictures_" + tag(l));

    // Each picture stays inside its rectangle and draws something there.
    const auto check = [](QSize size, const std::function<void(QPainter&, const QRect&)>& paint) {
      QImage whole(size + QSize(20, 20), QImage::Format_ARGB32);
      whole.fill(Qt::transparent);
      QPainter p(&whole);
      paint(p, QRect(QPoint(10, 10), size));
      p.end();
      int inside = 0;
      for (int y = 0; y < whole.height(); ++y) {
        for (int x = 0; x < whole.width(); ++x) {
          if (qAlpha(whole.pixel(x, y)) == 0) continue;
          const bool in = x >= 9 && y >= 9 && x <= size.width() + 10 && y <= size.height() + 10;
          if (!in) return false;
          ++inside;
        }
      }
      return inside > size.width() * size.height() / 20;
    };
    QVERIFY(check(kChannelSize, [l](QPainter& p, const QRect& r) { PaintChannel(p, r, 7, l); }));
    QVERIFY(check(kEffectTitleSize, [l](QPainter& p, const QRect& r) { PaintEffectTitle(p, r, 3, l); }));
    QVERIFY(check(kDelayMarkerSize, [](QPainter& p, const QRect& r) { PaintDelayMarker(p, r, Qt::red); }));
    QVERIFY(check(kListenerSize, [](QPainter& p, const QRect& r) { PaintListener(p, r); }));
    QVERIFY(check(kSpeakerSize, [](QPainter& p, const QRect& r) { PaintSpeaker(p, r); }));
    QVERIFY(check(kRemoteSize, [](QPainter& p, const QRect& r) { PaintRemote(p, r); }));
    QVERIFY(check(kInstructionsSize, [l](QPainter& p, const QRect& r) { PaintInstructions(p, r, l); }));
  }
  // The learnable keys lie on the remote, none overlapping another.
  const auto& keys = RemoteKeyAreas();
  const QRect remote(QPoint(0, 0), kRemoteSize);
  for (size_t i = 0; i < keys.size(); ++i) {
    QVERIFY(remote.contains(keys[i]));
    for (size_t j = i + 1; j < keys.size(); ++j) QVERIFY(!keys[i].intersects(keys[j]));
  }
  // The image button: a click is a click, the face follows the state.
  ImageButton button(QString::fromUtf8("应用参数"));
  QSignalSpy clicked(&button, &QAbstractButton::clicked);
  button.resize(button.sizeHint());
  button.show();
  QTest::mouseClick(&button, Qt::LeftButton);
  QCOMPARE(clicked.count(), 1);
  save(button, "image_button_zh");
}

void SharedPiecesTest::factoryMakesEveryKindAndPagesFollowTheLanguage() {
  ax7::test::PageFixture context;
  QWidget host;
  for (const PageFactoryEntry& e : PageFactories()) {
    std::unique_ptr<Page> page(CreatePage(context, e.kind, 1, &host));
    QVERIFY(page);
    QCOMPARE(page->kind(), e.kind);
  }
  QCOMPARE(PageFactories().size(), size_t(6));
  QVERIFY(CreatePage(context, PageKind(999), 0, &host) == nullptr);
  for (const ToolWindowFactoryEntry& e : ToolWindowFactories()) {
    std::unique_ptr<ToolWindow> w(CreateToolWindow(context, e.dialogId, &host));
    QVERIFY(w);
    QCOMPARE(w->dialogId(), e.dialogId);
    // Titles come from the table in the context's language and follow a switch.
    context.setLanguage(Language::Chinese);
    w->ApplyLanguage();
    const QString zh = QString::fromStdString(EmbeddedLanguageTable(Language::Chinese).title(e.dialogId));
    QCOMPARE(w->windowTitle(), zh);
    context.setLanguage(Language::English);
    w->ApplyLanguage();
    QVERIFY(w->windowTitle() != zh);
  }
  QCOMPARE(ToolWindowFactories().size(), size_t(5));

  // A page built in one language and relabelled in the other (a placeholder: its only label is
  // the title, whichever pages have landed).
  context.setLanguage(Language::Chinese);
  std::unique_ptr<Page> page(new PlaceholderPage(context, PageKind::Output, 2, &host));
  const QLabel* title = page->findChildren<QLabel*>().value(0);
  QVERIFY(title);
  QCOMPARE(title->text(), QString::fromUtf8("输出通道"));
  context.setLanguage(Language::English);
  page->ApplyLanguage();
  QCOMPARE(title->text(), QString("Output channels"));
  // The context is a real core over the simulated box: the page reads what the box holds.
  QVERIFY(context.core().link.deviceOpen());
  QVERIFY(context.sent().empty());
  context.SynchronizeFromBox();
  QCOMPARE(context.synchronisations, 1);
  QVERIFY(!context.sent().empty());
  // The context's shared state outlives pages.
  context.locate.button = 3;
  page.reset(CreatePage(context, PageKind::Room, 0, &host));
  QCOMPARE(page->context().locateSelection().button, 3);
}

QTEST_MAIN(SharedPiecesTest)
#include "pages_shared_qtest.moc"
