// The ribbon: its elements, what it swallows (wheel, context menu, double clicks), the
// commands it reports, keyboard reach, and screenshots for review.
#include <QtTest/qtestspontaneevent.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFontDatabase>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "params/memory.h"
#include "shell/language_button.h"
#include "shell/master_labels.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "pages/step_slider.h"
#include "support/qt_text.h"

using namespace ax7::ui;

namespace {

constexpr int kZh = 0;
constexpr int kEn = 1;

// The ribbon as the program shows it, element by element, Input id and Output id.
struct Expected {
  const char* kind;
  int input;
  int output;
  int panel;
  const char* zh;
  const char* en;
  int width;
  int minimum;
  int maximum;
};

const Expected kElements[] = {
    {"label", 32832, 32857, 0, "话筒音量:100", "Mic    Vol: 100", 0, 0, 0},
    {"slider", 32829, 32858, 0, "", "", 90, 0, 99},
    {"check", 32847, 32859, 0, "静音", "Mute", 0, 0, 0},
    {"label", 32833, 32860, 1, "效果总音量:100", "Effect    Vol:100", 0, 0, 0},
    {"slider", 32830, 32861, 1, "", "", 90, 0, 99},
    {"label", 32920, 32921, 2, "混响音量:  100", "Reverb Vol:100", 0, 0, 0},
    {"slider", 32918, 32919, 2, "", "", 90, 0, 99},
    {"check", 32848, 32862, 2, "静音", "Mute", 0, 0, 0},
    {"label", 32837, 32863, 3, "回声音量:100", "Echo Vol:100", 0, 0, 0},
    {"slider", 32806, 32864, 3, "", "", 90, 0, 99},
    {"check", 32849, 32865, 3, "静音", "Mute", 0, 0, 0},
    {"label", 32834, 32866, 4, "音乐音量:100", "Music Vol:100", 0, 0, 0},
    {"slider", 32831, 32867, 4, "", "", 90, 0, 99},
    {"check", 32850, 32868, 4, "静音", "Mute", 0, 0, 0},
    {"label", 32842, 32878, 5, "音乐噪声门:100", "Noisegate:    100", 0, 0, 0},
    {"slider", 32846, 32879, 5, "", "", 100, 0, 100},
    {"slider", 32841, 32880, 5, "", "", 100, -5, 5},
    {"loadmenu", 32815, 32900, 6, "载入模式", "LoadMode", 0, 0, 0},
    {"button", 32827, 32881, 6, "载入文件", "LoadFile", 0, 0, 0},
    {"savemenu", 32819, 32904, 7, "保存模式", "SaveMode", 0, 0, 0},
    {"button", 32828, 32882, 7, "保存文件", "SaveFile", 0, 0, 0},
    {"label", 32926, 32932, 8, "RF:■■■■■ AF:■■■■■", "RF:■■■■■ AF:■■■■■", 0, 0, 0},
    {"label", 32927, 32933, 8, "频率:660.00MHz", "Freq660.00MHz", 0, 0, 0},
    {"label", 32928, 32934, 8, "电   量:■■■■■", "Battary:■■■■■", 0, 0, 0},
    {"label", 32929, 32935, 9, "RF:■■■■■ AF:■■■■■", "RF:■■■■■ AF:■■■■■", 0, 0, 0},
    {"label", 32930, 32936, 9, "频率:660.00MHz", "Freq660.00MHz", 0, 0, 0},
    {"label", 32931, 32937, 9, "电   量:■■■■■", "Battary:■■■■■", 0, 0, 0},
};

// Panel texts of a ribbon built in each language (a switch writes other English ones).
const std::pair<const char*, const char*> kBuiltPanels[] = {{"话筒音量", "Mic Vol"},
                                                            {"效果总音量", "Efx Vol"},
                                                            {"混响音量", "Reverb Vol"},
                                                            {"回声音量", "Echo Vol"},
                                                            {"音乐音量", "Music Vol"},
                                                            {"音乐变调", "Music pitch"},
                                                            {"调用", "Load"},
                                                            {"保存", "Save"},
                                                            {"话筒1状态", "Mic 1 Status"},
                                                            {"话筒2状态", "Mic 2 Status"}};

struct TabRowButton {
  int id;
  const char* zh;
  const char* en;
};
const TabRowButton kTabRow[] = {{32922, "输入源", "Input Source"},
                                {32908, "音乐AGC", "Music AGC"},
                                {32811, "机器复位", "Reset"},
                                {32812, "遥控学习", "Remote control"},
                                {32883, "自动超低", "Auto SUB"},
                                {32805, "中/EN", "中/EN"},
                                {57664, "", ""}};

using ax7::test::TextOf;
using ax7::test::U;

// A window holding just the ribbon, 1240 pixels wide; it records what reaches it from the
// ribbon (wheel events, context-menu requests).
class Host : public QWidget {
 public:
  explicit Host(int language) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ribbon = new Ribbon(this);
    if (language >= 0) BuildAx7Ribbon(*ribbon, language);
    layout->addWidget(ribbon);
    layout->addStretch(1);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this] { ++contextMenus; });
    resize(1240, ribbon->sizeHint().height());
  }
  Ribbon* ribbon = nullptr;
  int wheels = 0;
  int contextMenus = 0;

 protected:
  void wheelEvent(QWheelEvent* event) override {
    ++wheels;
    event->accept();
  }
};

// Counts the wheel events an outside filter on the ribbon sees (where the master controls
// would step their sliders).
class WheelCounter : public QObject {
 public:
  int count = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Wheel) ++count;
    return false;
  }
};

// As from a real mouse: Qt passes only such wheel events on to the parents.
void SendWheel(QWidget* target, QPoint pos, int delta) {
  QWheelEvent event(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QSpontaneKeyEvent::setSpontaneous(&event);
  qApp->notify(target, &event);  // sendEvent would clear the spontaneous mark
}

}  // namespace

class RibbonTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void elements_data();
  void elements();
  void elementOrder();
  void categoriesPanelsAndMenus();
  void tabRowAndApplicationMenu();
  void languageButtonLooksAsTheFontDrawsIt();
  void wheelOverRibbonMovesNothing_data();
  void wheelOverRibbonMovesNothing();
  void noContextMenu();
  void doubleClickOnTabOnlySelects();
  void commands_data();
  void commands();
  void keyboardReachesEveryControl();
  void screenshots();
};

void RibbonTest::initTestCase() {
  QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));
}

void RibbonTest::elements_data() {
  QTest::addColumn<int>("index");
  QTest::addColumn<int>("category");
  for (int i = 0; i < int(std::size(kElements)); ++i) {
    for (int category : {0, 1}) {
      const Expected& e = kElements[i];
      QTest::addRow("%s %d", e.kind, category == 0 ? e.input : e.output) << i << category;
    }
  }
}

void RibbonTest::elements() {
  QFETCH(int, index);
  QFETCH(int, category);
  const Expected& e = kElements[index];
  const int id = category == 0 ? e.input : e.output;
  QCOMPARE(InputTwin(id), e.input);
  QCOMPARE(TwinIn(category, e.input), id);

  for (int language : {kZh, kEn}) {
    Host host(language);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    Ribbon& ribbon = *host.ribbon;
    ribbon.setCurrentCategory(category);
    QWidget* w = ribbon.control(id);
    QVERIFY2(w, qPrintable(QString::number(id)));
    QCOMPARE(w->property(kIdProperty).toInt(), id);
    QCOMPARE(TextOf(w), U(language == kZh ? e.zh : e.en));

    const QString kind = QString::fromLatin1(e.kind);
    if (kind == "label") {
      QVERIFY(qobject_cast<QLabel*>(w));
    } else if (kind == "check") {
      QVERIFY(qobject_cast<QCheckBox*>(w));
    } else if (kind == "slider") {
      auto* slider = qobject_cast<StepSlider*>(w);
      QVERIFY(slider);
      QCOMPARE(slider->width(), e.width);
      QCOMPARE(slider->minimum(), e.minimum);
      QCOMPARE(slider->maximum(), e.maximum);
      QCOMPARE(slider->orientation(), Qt::Horizontal);
    } else if (kind == "button") {
      auto* button = qobject_cast<QToolButton*>(w);
      QVERIFY(button);
      QVERIFY(!button->menu());
      QVERIFY(!button->icon().isNull());
    } else {
      auto* button = qobject_cast<QToolButton*>(w);
      QVERIFY(button && button->menu());
      const int first = kind == "loadmenu" ? 32910 : 32914;
      const QList<QAction*> items = button->menu()->actions();
      QCOMPARE(items.size(), 4);
      for (int k = 0; k < 4; ++k) {
        QCOMPARE(items[k]->property(kIdProperty).toInt(), first + k);
        QCOMPARE(items[k]->text(), QStringLiteral("M%1").arg(k + 1));
        QCOMPARE(ribbon.action(first + k), items[k]);  // shared by both categories
      }
    }
    const QRect rect(w->mapTo(&ribbon, QPoint(0, 0)), w->size());
    QVERIFY2(ribbon.panelRect(category, e.panel).contains(rect),
             qPrintable(QStringLiteral("id %1 outside panel %2").arg(id).arg(e.panel)));
    QVERIFY(w->isVisible());
  }
}

// Within a panel the elements fill columns top to bottom; the columns and the panels run left
// to right, so the table order is the order of (x, y).
void RibbonTest::elementOrder() {
  Host host(kZh);
  host.show();
  QVERIFY(QTest::qWaitForWindowExposed(&host));
  for (int category : {0, 1}) {
    host.ribbon->setCurrentCategory(category);
    QPoint previous(-1, -1);
    for (const Expected& e : kElements) {
      QWidget* w = host.ribbon->control(category == 0 ? e.input : e.output);
      const QPoint at = w->mapTo(host.ribbon, QPoint(0, 0));
      QVERIFY2(at.x() > previous.x() || (at.x() == previous.x() && at.y() > previous.y()),
               qPrintable(QString::number(e.input)));
      previous = at;
    }
    // Panels do not overlap and run left to right.
    for (int panel = 1; panel < 10; ++panel) {
      QVERIFY(host.ribbon->panelRect(category, panel).left() >
              host.ribbon->panelRect(category, panel - 1).right());
    }
    QVERIFY(host.ribbon->panelRect(category, 9).right() < host.ribbon->width());
  }
}

void RibbonTest::categoriesPanelsAndMenus() {
  for (int language : {kZh, kEn}) {
    Host host(language);
    Ribbon& ribbon = *host.ribbon;
    QCOMPARE(ribbon.categoryCount(), 2);
    QCOMPARE(ribbon.categoryText(0), language == kZh ? U("输入控制") : U("Input"));
    QCOMPARE(ribbon.categoryText(1), language == kZh ? U("输出调节") : U("Output"));
    for (int category : {0, 1}) {
      for (int panel = 0; panel < 10; ++panel) {
        const auto& [zh, en] = kBuiltPanels[panel];
        QCOMPARE(ribbon.panelText(category, panel), U(language == kZh ? zh : en));
      }
    }
  }
}

void RibbonTest::tabRowAndApplicationMenu() {
  for (int language : {kZh, kEn}) {
    Host host(language);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    Ribbon& ribbon = *host.ribbon;
    auto* tabs = ribbon.findChild<QTabBar*>();
    const int tabsRight = tabs->mapTo(&ribbon, tabs->tabRect(1).topRight()).x();
    int previousX = tabsRight;
    for (const TabRowButton& b : kTabRow) {
      auto* button = ribbon.controlAs<QToolButton>(b.id);
      QVERIFY(button);
      QCOMPARE(button->text(), U(language == kZh ? b.zh : b.en));
      const int x = button->mapTo(&ribbon, QPoint(0, 0)).x();
      QVERIFY2(x > previousX, qPrintable(QString::number(b.id)));  // right of the tabs, in order
      previousX = x;
    }
    QVERIFY(!ribbon.controlAs<QToolButton>(ID_APP_ABOUT)->icon().isNull());
    QVERIFY(ribbon.controlAs<QToolButton>(ID_APP_ABOUT)->geometry().right() <
            ribbon.controlAs<QToolButton>(ID_APP_ABOUT)->parentWidget()->width());

    const QList<QAction*> items = ribbon.applicationMenu()->actions();
    QStringList seen;
    for (QAction* a : items) {
      if (a->isSeparator()) continue;
      if (a->menu()) {
        QCOMPARE(a->menu()->objectName(), QString::fromLatin1(kRecentFilesMenuName));
        seen << QStringLiteral("list:") + a->text();
      } else {
        seen << QStringLiteral("%1:%2").arg(a->property(kIdProperty).toInt()).arg(a->text());
      }
    }
    const QStringList expected =
        language == kZh
            ? QStringList{U("57601:打开(&O)"), U("57603:保存(&S)"),
                          U("list:最近的文档(Last documents)"), U("57670:远程控制(&R)..."),
                          U("57665:退出(&X)")}
            : QStringList{U("57601:Open(&O)"), U("57603:Save(&S)"),
                          U("list:Last documents(最近的文档)"), U("57670:Remote access(&R)..."),
                          U("57665:Exit(&X)")};
    QCOMPARE(seen, expected);
  }
}

// In English the 中 of "中/EN" is filled from its outline so that the CJK font stays unloaded; the
// face must match what the font draws, in every state the button shows, and still read "中/EN".
void RibbonTest::languageButtonLooksAsTheFontDrawsIt() {
  // The outline is that of WenQuanYi Micro Hei; another CJK font draws its own 中.
  if (!QFontDatabase::families().contains(QStringLiteral("WenQuanYi Micro Hei")))
    QSKIP("WenQuanYi Micro Hei is not installed");
  Host host(kEn);
  host.show();
  QVERIFY(QTest::qWaitForWindowExposed(&host));
  auto* button = host.ribbon->controlAs<LanguageButton>(ID_BTN_LANGUAGE);
  QVERIFY(button);
  QVERIFY(button->outlinedHan());
  QCOMPARE(button->text(), U("中/EN"));
  QCOMPARE(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name), U("中/EN"));

  const auto face = [&](bool outlined) {
    button->setOutlinedHan(outlined);
    // Over the ribbon's background: the button itself is transparent.
    const QRect area(button->mapTo(host.ribbon, QPoint(0, 0)), button->size());
    return std::pair{button->sizeHint(), host.ribbon->grab(area).toImage()};
  };
  struct State {
    const char* name;
    bool down;
    bool enabled;
  };
  for (const State& state : {State{"up", false, true}, State{"pressed", true, true},
                             State{"disabled", false, false}}) {
    button->setDown(state.down);
    button->setEnabled(state.enabled);
    const auto [drawnSize, drawn] = face(true);
    const auto [fontSize, font] = face(false);
    QCOMPARE(drawnSize, fontSize);
    QCOMPARE(drawn.size(), font.size());
    // Anti-aliased edges may differ a little; a stroke one pixel off would differ by most of
    // the ink, and a missing glyph by all of it.
    int worst = 0;
    long ink = 0;
    long difference = 0;
    for (int y = 0; y < font.height(); ++y) {
      for (int x = 0; x < font.width(); ++x) {
        const int a = qGray(drawn.pixel(x, y));
        const int b = qGray(font.pixel(x, y));
        worst = std::max(worst, std::abs(a - b));
        difference += std::abs(a - b);
        ink += std::abs(b - qGray(font.pixel(3, font.height() / 2)));
      }
    }
    QVERIFY2(worst <= 64, qPrintable(QStringLiteral("%1: %2").arg(state.name).arg(worst)));
    QVERIFY2(difference * 10 < ink,
             qPrintable(QStringLiteral("%1: %2 of %3").arg(state.name).arg(difference).arg(ink)));
  }
  button->setDown(false);
  button->setEnabled(true);

  // Switching languages relabels it: Chinese draws with the font.
  ax7::ParameterMemory memory;
  RelabelRibbon(*host.ribbon, memory, kZh);
  QVERIFY(!button->outlinedHan());
  RelabelRibbon(*host.ribbon, memory, kEn);
  QVERIFY(button->outlinedHan());
}

void RibbonTest::wheelOverRibbonMovesNothing_data() {
  QTest::addColumn<QString>("target");
  QTest::newRow("microphone slider") << "32829";
  QTest::newRow("pitch slider") << "32841";
  QTest::newRow("noise gate slider") << "32846";
  QTest::newRow("mute box") << "32847";
  QTest::newRow("value label") << "32832";
  QTest::newRow("file button") << "32827";
  QTest::newRow("tab bar") << "tabs";
  QTest::newRow("ribbon itself") << "ribbon";
}

void RibbonTest::wheelOverRibbonMovesNothing() {
  QFETCH(QString, target);
  Host host(kZh);
  host.show();
  QVERIFY(QTest::qWaitForWindowExposed(&host));
  Ribbon& ribbon = *host.ribbon;
  for (int id : {ID_SLIDER_MICVOL, ID_SLIDER_PITCH, ID_SLIDER_NOISEGATE})
    ribbon.controlAs<StepSlider>(id)->setValue(0);
  WheelCounter counter;
  ribbon.installEventFilter(&counter);
  QSignalSpy moved(&ribbon, &Ribbon::sliderMoved);
  QSignalSpy categories(&ribbon, &Ribbon::categoryChanged);

  QWidget* w = target == "tabs"     ? ribbon.findChild<QTabBar*>()
               : target == "ribbon" ? static_cast<QWidget*>(&ribbon)
                                    : ribbon.control(target.toInt());
  QVERIFY(w);
  for (int delta : {120, 120, -120}) SendWheel(w, w->rect().center(), delta);

  QCOMPARE(moved.count(), 0);
  QCOMPARE(categories.count(), 0);
  QCOMPARE(ribbon.currentCategory(), 0);
  for (int id : {ID_SLIDER_MICVOL, ID_SLIDER_PITCH, ID_SLIDER_NOISEGATE})
    QCOMPARE(ribbon.controlAs<StepSlider>(id)->value(), 0);
  QCOMPARE(counter.count, 3);  // a filter on the ribbon still sees every notch
  QCOMPARE(host.wheels, 0);    // and nothing goes past the ribbon
}

void RibbonTest::noContextMenu() {
  Host host(kEn);
  host.show();
  QVERIFY(QTest::qWaitForWindowExposed(&host));
  Ribbon& ribbon = *host.ribbon;
  QSignalSpy commands(&ribbon, &Ribbon::commandTriggered);
  const QList<QWidget*> targets = {&ribbon,
                                   ribbon.findChild<QTabBar*>(),
                                   ribbon.control(ID_LABEL_MICVOL),
                                   ribbon.control(ID_SLIDER_MICVOL),
                                   ribbon.control(ID_CHK_MUTE1),
                                   ribbon.control(IDC_FILE_OPEN),
                                   ribbon.control(ID_BTN_RESET)};
  for (QWidget* w : targets) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, w->rect().center(),
                            w->mapToGlobal(w->rect().center()));
    QApplication::sendEvent(w, &event);
    QTest::mouseClick(w, Qt::RightButton, Qt::NoModifier, w->rect().center());
  }
  QCOMPARE(host.contextMenus, 0);
  QCOMPARE(commands.count(), 0);  // a right click is no click
  QVERIFY(!ribbon.controlAs<QCheckBox>(ID_CHK_MUTE1)->isChecked());
  QVERIFY(!QApplication::activePopupWidget());
}

void RibbonTest::doubleClickOnTabOnlySelects() {
  Host host(kZh);
  host.show();
  QVERIFY(QTest::qWaitForWindowExposed(&host));
  Ribbon& ribbon = *host.ribbon;
  auto* tabs = ribbon.findChild<QTabBar*>();
  const int height = ribbon.height();
  QSignalSpy categories(&ribbon, &Ribbon::categoryChanged);
  for (int tab : {1, 1, 0}) {
    // What a real double click delivers: press, release, double click, release.
    const QPoint at = tabs->tabRect(tab).center();
    QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(tabs, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(tabs, Qt::LeftButton, Qt::NoModifier, at);
    QCoreApplication::processEvents();
    QCOMPARE(ribbon.currentCategory(), tab);
    QCOMPARE(ribbon.height(), height);
    QVERIFY(ribbon.control(tab == 0 ? ID_SLIDER_MICVOL : ID_SLIDER_MICVOL_OUT)->isVisible());
  }
  QCOMPARE(categories.count(), 2);
  QCOMPARE(categories.at(0).at(0).toInt(), 1);
  QCOMPARE(categories.at(1).at(0).toInt(), 0);
}

void RibbonTest::commands_data() {
  QTest::addColumn<int>("id");
  QTest::addColumn<QString>("how");
  QTest::addColumn<int>("category");
  QTest::addColumn<int>("reported");  // -1: nothing
  QTest::newRow("file button") << IDC_FILE_OPEN << "click" << 0 << IDC_FILE_OPEN;
  QTest::newRow("output file button") << IDC_FILE_SAVE_OUT << "click" << 1 << IDC_FILE_SAVE_OUT;
  QTest::newRow("mute box") << ID_CHK_MUTE3 << "click" << 0 << ID_CHK_MUTE3;
  QTest::newRow("output mute box") << ID_CHK_MUTE4_OUT << "click" << 1 << ID_CHK_MUTE4_OUT;
  QTest::newRow("mute box by space") << ID_CHK_MUTE2 << "space" << 0 << ID_CHK_MUTE2;
  QTest::newRow("tab-row button") << ID_BTN_RESET << "click" << 0 << ID_BTN_RESET;
  QTest::newRow("language by space") << ID_BTN_LANGUAGE << "space" << 0 << ID_BTN_LANGUAGE;
  QTest::newRow("about") << ID_APP_ABOUT << "click" << 0 << ID_APP_ABOUT;
  QTest::newRow("load M3, input menu") << ID_BTN_LOADMODE << "item2" << 0 << 32912;
  QTest::newRow("load M3, output menu") << ID_BTN_LOADMODE_OUT << "item2" << 1 << 32912;
  QTest::newRow("save M1, output menu") << ID_BTN_SAVEMODE_OUT << "item0" << 1 << 32914;
  QTest::newRow("save M4") << ID_BTN_SAVEMODE << "item3" << 0 << 32917;
  QTest::newRow("mode button face") << ID_BTN_LOADMODE << "click" << 0 << -1;
  QTest::newRow("menu open") << ID_FILE_OPEN << "app" << 0 << ID_FILE_OPEN;
  QTest::newRow("menu save") << ID_FILE_SAVE << "app" << 0 << ID_FILE_SAVE;
  QTest::newRow("menu exit") << ID_APP_EXIT << "app" << 0 << ID_APP_EXIT;
  QTest::newRow("value label") << ID_LABEL_MICVOL << "click" << 0 << -1;
}

void RibbonTest::commands() {
  QFETCH(int, id);
  QFETCH(QString, how);
  QFETCH(int, category);
  QFETCH(int, reported);
  Host host(kZh);
  host.show();
  QVERIFY(QTest::qWaitForWindowExposed(&host));
  Ribbon& ribbon = *host.ribbon;
  ribbon.setCurrentCategory(category);
  QSignalSpy commands(&ribbon, &Ribbon::commandTriggered);
  QSignalSpy moved(&ribbon, &Ribbon::sliderMoved);

  if (how == "app") {
    ribbon.action(id)->trigger();
  } else if (how.startsWith("item")) {
    QMenu* menu = ribbon.controlAs<QToolButton>(id)->menu();
    menu->actions().at(how.mid(4).toInt())->trigger();
  } else {
    QWidget* w = ribbon.control(id);
    QVERIFY(w && w->isVisible());
    // A face that opens a menu would wait in the menu: close it as soon as it shows.
    QTimer::singleShot(0, [] {
      if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    });
    if (how == "space") {
      w->setFocus();
      QTest::keyClick(w, Qt::Key_Space);
    } else {
      QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
    }
  }
  if (reported < 0) {
    QCOMPARE(commands.count(), 0);
  } else {
    QCOMPARE(commands.count(), 1);
    QCOMPARE(commands.at(0).at(0).toInt(), reported);
  }
  QCOMPARE(moved.count(), 0);
  if (auto* box = ribbon.controlAs<QCheckBox>(id)) QVERIFY(box->isChecked());  // a click toggles
}

void RibbonTest::keyboardReachesEveryControl() {
  Host host(kEn);
  host.show();
  QApplication::setActiveWindow(&host);
  QVERIFY(QTest::qWaitForWindowActive(&host));
  Ribbon& ribbon = *host.ribbon;
  QSet<int> wanted;
  for (const Expected& e : kElements) {
    if (QString::fromLatin1(e.kind) != "label") wanted << e.input;
  }
  for (const TabRowButton& b : kTabRow) wanted << b.id;

  QWidget* first = ribbon.findChild<QToolButton*>(QStringLiteral("ribbonAppButton"));
  first->setFocus();
  QSet<int> reached;
  bool tabsReached = false;
  for (int i = 0; i < 60 && QApplication::focusWidget(); ++i) {
    QWidget* focus = QApplication::focusWidget();
    if (focus->property(kIdProperty).isValid()) reached << focus->property(kIdProperty).toInt();
    if (qobject_cast<QTabBar*>(focus)) tabsReached = true;
    QTest::keyClick(focus, Qt::Key_Tab);
  }
  QVERIFY(tabsReached);
  for (int id : wanted) QVERIFY2(reached.contains(id), qPrintable(QString::number(id)));

  // The category tabs switch with the arrow keys, and the slider steps with them.
  auto* tabs = ribbon.findChild<QTabBar*>();
  tabs->setFocus();
  QTest::keyClick(tabs, Qt::Key_Right);
  QCOMPARE(ribbon.currentCategory(), 1);
  QSignalSpy moved(&ribbon, &Ribbon::sliderMoved);
  auto* slider = ribbon.controlAs<StepSlider>(ID_SLIDER_ECHOVOL_OUT);
  slider->setValue(40);
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Left);
  QCOMPARE(moved.count(), 1);
  QCOMPARE(moved.at(0).at(0).toInt(), ID_SLIDER_ECHOVOL_OUT);
  QCOMPARE(moved.at(0).at(1).toInt(), 39);
}

void RibbonTest::screenshots() {
  const QString dir = QStringLiteral(AX7_SCREENSHOT_DIR);
  QVERIFY(QDir().mkpath(dir));
  ax7::ParameterMemory memory;
  memory.pc.setInt(size_t(ax7::Describe(ax7::Param::MicMaster).word), 72);
  memory.pc.setInt(size_t(ax7::Describe(ax7::Param::EffectMaster).word), 50);
  memory.pc.setInt(size_t(ax7::Describe(ax7::Param::ReverbMaster).word), 35);
  memory.pc.setInt(size_t(ax7::Describe(ax7::Param::EchoMaster).word), 40);
  memory.pc.setInt(size_t(ax7::Describe(ax7::Param::MusicMaster).word), 80);
  memory.pc.setInt(size_t(ax7::Describe(ax7::Param::MusicNoiseGate).word), 7);
  memory.pc.setInt(size_t(ax7::Describe(ax7::Param::MusicPitch).word), -2);
  const struct {
    int build;
    int relabel;  // -1: as built
    int category;
    const char* file;
  } shots[] = {{kZh, -1, 0, "ribbon_zh.png"},
               {kEn, -1, 0, "ribbon_en.png"},
               {kZh, kEn, 1, "ribbon_zh_to_en_output.png"},
               {kEn, kZh, 0, "ribbon_en_to_zh.png"}};
  for (const auto& shot : shots) {
    Host host(shot.build);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    Ribbon& ribbon = *host.ribbon;
    ribbon.setCurrentCategory(shot.category);
    const int c = shot.category;
    ribbon.controlAs<StepSlider>(TwinIn(c, ID_SLIDER_MICVOL))->setValue(72);
    ribbon.controlAs<StepSlider>(TwinIn(c, ID_SLIDER_MUSICVOL))->setValue(80);
    ribbon.controlAs<StepSlider>(TwinIn(c, ID_SLIDER_PITCH))->setValue(-2);
    ribbon.controlAs<QCheckBox>(TwinIn(c, ID_CHK_MUTE3))->setChecked(true);
    if (shot.relabel >= 0) RelabelRibbon(ribbon, memory, shot.relabel);
    host.resize(1240, ribbon.sizeHint().height());
    QCoreApplication::processEvents();
    QVERIFY(host.grab().save(dir + QLatin1Char('/') + QLatin1String(shot.file)));
    // The ribbon fits the narrowest main window.
    QVERIFY(ribbon.minimumSizeHint().width() <= 1240);
  }
  // Where the keyboard is must show: the category tabs, then a file button.
  Host host(kZh);
  host.show();
  QApplication::setActiveWindow(&host);
  QVERIFY(QTest::qWaitForWindowActive(&host));
  host.ribbon->findChild<QTabBar*>()->setFocus();
  QVERIFY(host.grab().save(dir + QStringLiteral("/ribbon_focus_tabs.png")));
  host.ribbon->control(IDC_FILE_SAVE)->setFocus();
  QVERIFY(host.grab().save(dir + QStringLiteral("/ribbon_focus_button.png")));
  QMenu* menu = host.ribbon->applicationMenu();
  menu->popup(host.mapToGlobal(QPoint(0, 30)));
  QVERIFY(QTest::qWaitForWindowExposed(menu));
  QVERIFY(menu->grab().save(dir + QStringLiteral("/application_menu_zh.png")));
  menu->close();
}

QTEST_MAIN(RibbonTest)
#include "shell_ribbon_qtest.moc"
