// The speaker placement page: the trims that positions give, the order in which a move reaches
// the box, the clamps of typed and stepped positions and room sizes, Center, Reset, Locate and
// the levels, and a damaged room block.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <cmath>
#include <memory>

#include "graphs/ss_volume_panel.h"
#include "pages/output_nav_row.h"
#include "pages/page_factory.h"
#include "pages/room_page.h"
#include "pages/spin_buttons.h"
#include "pages/step_slider.h"
#include "pages_fixture.h"
#include "params/room.h"

using ax7::Describe;
using ax7::Param;
using ax7::test::frames;
using ax7::test::PageFixture;
using ax7::ui::CSSVolumePanel;
using ax7::ui::Language;
using ax7::ui::OutputNavRow;
using ax7::ui::RoomPage;

namespace {

constexpr int kListener = 0;
constexpr int kSpeakerL = 1, kSpeakerCen = 2, kSpeakerSub = 5;

// What left for the box since the last call, as the targets a test cares about: "room" (the
// room block), "trim N" (output N's trim words). The trim block's memory copy that goes with
// every trim is left out.
std::vector<std::string> drainTargets(PageFixture& f) {
  f.core().queue.waitIdle();
  std::vector<std::string> out;
  for (const std::string& hex : f.sent()) {
    const ax7::Report r = ax7::test::parseFrame(hex);
    if (r[1] == 0x85 && r[2] == 0x04 && r[3] == 0xFE) {
      if (out.empty() || out.back() != "room") out.push_back("room");
    } else if (r[1] == 0x09 && r[4] == 29) {
      out.push_back("trim " + std::to_string(r[3] - 5));
    } else if (!(r[1] == 0x85 && r[2] == 0x04 && r[3] == 0xDE)) {
      out.push_back(hex);
    }
  }
  f.trace.clear();
  return out;
}

// Output k carries speaker code k: L, R, SBL, SBR, SUB, CEN, SL, SR.
void assignInOrder(PageFixture& f) {
  for (int k = 0; k < 8; ++k)
    f.mem().pc.setInt(size_t(Describe(Param::SpeakerAssign).wordOf(k)), k);
}

void place(PageFixture& f, int row, float x, float y) {
  f.mem().room.setCoord(2 + 2 * row, x);
  f.mem().room.setCoord(3 + 2 * row, y);
}

float trimOf(PageFixture& f, int channel) {
  return ax7::RoomTrimDb(f.mem(), channel);
}

void enter(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, text);
  QTest::keyClick(edit, Qt::Key_Return);
}

std::unique_ptr<RoomPage> openPage(PageFixture& f) {
  auto page =
      std::unique_ptr<RoomPage>(static_cast<RoomPage*>(ax7::ui::CreateRoomPage(f, 0, nullptr)));
  page->resize(1100, 640);
  page->show();
  QApplication::setActiveWindow(page.get());
  return page;
}

}  // namespace

class RoomPageTest : public QObject {
  Q_OBJECT
 private slots:
  void distanceGivesTheTrim_data();
  void distanceGivesTheTrim();
  void trimGoesToTheFirstChannelWithTheCode();
  void movesReachTheBoxInOrder();
  void typedAndSteppedPositionsStayInTheRoom();
  void roomSizeKeepsPositionsOutside();
  void centerAndReset();
  void locateTicksOneAtMost();
  void levelsAndAssignments();
  void damagedRoomBlockOpens();
  void wheelWorksTheFocusedControl();
  void screenshots();
};

void RoomPageTest::distanceGivesTheTrim_data() {
  QTest::addColumn<QString>("x");
  QTest::addColumn<QString>("y");
  QTest::addColumn<float>("trim");
  QTest::newRow("on the listener") << "0"
                                   << "0" << 3.0f;
  QTest::newRow("one metre") << "1"
                             << "0" << 0.0f;
  QTest::newRow("three metres") << "0"
                                << "-1.5" << -1.5f;  // -1.5 m in y: 1.5 m away
  QTest::newRow("diagonal") << "-1.0"
                            << "+1.0" << 3.0f - 3.0f * std::sqrt(2.0f);
}

void RoomPageTest::distanceGivesTheTrim() {
  QFETCH(QString, x);
  QFETCH(QString, y);
  QFETCH(float, trim);
  PageFixture f;
  assignInOrder(f);
  place(f, kListener, 0.0f, 0.0f);
  auto page = openPage(f);
  page->xEdit(kSpeakerL)->setText(x);
  enter(page->yEdit(kSpeakerL), y);
  QCOMPARE(trimOf(f, 0), trim);
  QCOMPARE(drainTargets(f), (std::vector<std::string>{"room", "trim 0"}));
}

void RoomPageTest::trimGoesToTheFirstChannelWithTheCode() {
  PageFixture f;
  assignInOrder(f);
  place(f, kListener, 0.0f, 0.0f);
  // Three metres away from a listener moved to the back: -6 dB.
  auto page = openPage(f);
  enter(page->yEdit(kListener), "-2");
  drainTargets(f);
  enter(page->yEdit(kSpeakerCen), "1");
  QCOMPARE(trimOf(f, 5), -6.0f);
  QCOMPARE(drainTargets(f), (std::vector<std::string>{"room", "trim 5"}));

  // Two channels carry CEN: only the first is trimmed.
  f.mem().pc.setInt(size_t(Describe(Param::SpeakerAssign).wordOf(2)), 5);
  enter(page->yEdit(kSpeakerCen), "0");
  QCOMPARE(drainTargets(f), (std::vector<std::string>{"room", "trim 2"}));

  // No channel carries SUB: moving it writes the room and nothing else.
  f.mem().pc.setInt(size_t(Describe(Param::SpeakerAssign).wordOf(4)), 7);
  enter(page->xEdit(kSpeakerSub), "1.2");
  QCOMPARE(drainTargets(f), (std::vector<std::string>{"room"}));
}

void RoomPageTest::movesReachTheBoxInOrder() {
  PageFixture f;
  assignInOrder(f);
  auto page = openPage(f);
  CSSVolumePanel* picture = page->picture();
  // A speaker dragged: its trim before the room block, on the pick and on every move.
  const QPoint cen = picture->itemPixel(kSpeakerCen);
  QTest::mousePress(picture, Qt::LeftButton, {}, cen);
  QCOMPARE(drainTargets(f), (std::vector<std::string>{"trim 5", "room"}));
  QTest::mouseMove(picture, cen + QPoint(9, 17));
  QCOMPARE(drainTargets(f), (std::vector<std::string>{"trim 5", "room"}));
  QTest::mouseRelease(picture, Qt::LeftButton, {}, cen + QPoint(9, 17));
  const QPointF moved = picture->itemMetres(kSpeakerCen);
  // The picture's value is kept unrounded; the edits show it to a tenth.
  QCOMPARE(f.mem().room.coord(2 + 2 * kSpeakerCen), float(moved.x()));
  QCOMPARE(page->xEdit(kSpeakerCen)->text(), QString::asprintf("%+-.1fm", moved.x()));
  QCOMPARE(page->ySpin(kSpeakerCen)->position(), int(std::lround(moved.y() * 10)));

  // The listener: the room block, then every speaker's trim in picture order.
  const QPoint listener = picture->itemPixel(kListener);
  QTest::mousePress(picture, Qt::LeftButton, {}, listener);
  QTest::mouseMove(picture, listener + QPoint(-20, 6));
  QTest::mouseRelease(picture, Qt::LeftButton, {}, listener + QPoint(-20, 6));
  const std::vector<std::string> listenerMove = {"room",   "trim 0", "trim 5", "trim 1", "trim 2",
                                                 "trim 4", "trim 3", "trim 6", "trim 7"};
  std::vector<std::string> sent = drainTargets(f);
  QCOMPARE(std::vector<std::string>(sent.begin(), sent.begin() + 9), listenerMove);

  // Typed: the room block, then the trim.
  enter(page->xEdit(kSpeakerCen), "0.4");
  QCOMPARE(drainTargets(f), (std::vector<std::string>{"room", "trim 5"}));
}

void RoomPageTest::typedAndSteppedPositionsStayInTheRoom() {
  PageFixture f;
  auto page = openPage(f);
  QCOMPARE(f.mem().room.width(), 4);
  const struct {
    const char* typed;
    float stored;
    const char* shown;
  } cases[] = {{"7.3", 2.0f, "+2.0m"},
               {"-9", -2.0f, "-2.0m"},
               {"1.24m", 1.24f, "+1.2m"},
               {"x", 0.0f, "+0.0m"},
               {"-0.7", -0.7f, "-0.7m"}};
  for (const auto& c : cases) {
    enter(page->xEdit(kSpeakerL), c.typed);
    QCOMPARE(f.mem().room.coord(2 + 2 * kSpeakerL), c.stored);
    QCOMPARE(page->xEdit(kSpeakerL)->text(), QString(c.shown));
    QCOMPARE(page->xSpin(kSpeakerL)->position(), int(std::lround(c.stored * 10)));
    QCOMPARE(page->picture()->itemMetres(kSpeakerL).x(), double(c.stored));
  }
  // The room block keeps tenths.
  QCOMPARE(f.mem().roomBlock.get(2 + 2 * kSpeakerL), ax7::EncodeRoomCoordinate(-0.7f));

  // The spin steps a tenth and stops at the wall.
  enter(page->yEdit(kSpeakerL), "1.9");
  page->ySpin(kSpeakerL)->upButton()->click();
  QCOMPARE(page->yEdit(kSpeakerL)->text(), QString("+2.0m"));
  QCOMPARE(f.mem().room.coord(3 + 2 * kSpeakerL), 2.0f);
  drainTargets(f);
  page->ySpin(kSpeakerL)->upButton()->click();
  QCOMPARE(page->ySpin(kSpeakerL)->position(), 20);
  QCOMPARE(f.mem().room.coord(3 + 2 * kSpeakerL), 2.0f);
  QTest::keyClick(page->yEdit(kSpeakerL), Qt::Key_Down);
  QCOMPARE(page->yEdit(kSpeakerL)->text(), QString("+1.9m"));
}

void RoomPageTest::roomSizeKeepsPositionsOutside() {
  PageFixture f;
  place(f, 3, 1.5f, -1.0f);
  auto page = openPage(f);
  drainTargets(f);
  page->widthSpin()->downButton()->click();
  page->widthSpin()->downButton()->click();
  QCOMPARE(f.mem().room.width(), 2);
  QCOMPARE(page->widthEdit()->text(), QString("2m"));
  QCOMPARE(page->picture()->roomWidth(), 2.0f);
  QCOMPARE(f.mem().roomBlock.get(0), uint8_t(2));
  QCOMPARE(f.mem().room.coord(2 + 2 * 3), 1.5f);
  QCOMPARE(page->xEdit(3)->text(), QString("+1.5m"));
  QCOMPARE(page->xSpin(3)->maximum(), 10);
  QCOMPARE(page->xSpin(3)->minimum(), -10);
  QCOMPARE(page->ySpin(3)->maximum(), 20);

  // Typed sizes read their leading digits and stay within 1..10 m on "Modify".
  const struct {
    const char* width;
    const char* length;
    int w, l;
  } cases[] = {{"5m", "7", 5, 7}, {"0", "99", 1, 10}, {"abc", "-3", 1, 1}};
  QPushButton* modify = nullptr;
  for (QPushButton* b : page->findChildren<QPushButton*>()) {
    if (b->property("ax7Id").toInt() == RoomPage::kModifyId) modify = b;
  }
  QVERIFY(modify);
  for (const auto& c : cases) {
    page->widthEdit()->setText(c.width);
    page->lengthEdit()->setText(c.length);
    modify->click();
    QCOMPARE(f.mem().room.width(), c.w);
    QCOMPARE(f.mem().room.length(), c.l);
    QCOMPARE(page->widthSpin()->position(), c.w);
    QCOMPARE(page->lengthEdit()->text(), QString("%1m").arg(c.l));
    QCOMPARE(page->ySpin(0)->maximum(), c.l * 5);
  }
}

void RoomPageTest::centerAndReset() {
  PageFixture f;
  assignInOrder(f);
  place(f, kListener, 1.0f, -1.0f);
  auto page = openPage(f);
  QPushButton* centre = nullptr;
  QPushButton* reset = nullptr;
  for (QPushButton* b : page->findChildren<QPushButton*>()) {
    if (b->property("ax7Id").toInt() == RoomPage::kCenterId) centre = b;
    if (b->property("ax7Id").toInt() == RoomPage::kResetId) reset = b;
  }
  QVERIFY(centre && reset);
  centre->click();
  QCOMPARE(f.mem().room.coord(2), 0.0f);
  QCOMPARE(f.mem().room.coord(3), 0.0f);
  QCOMPARE(page->xEdit(kListener)->text(), QString("+0.0m"));
  QCOMPARE(page->picture()->itemMetres(kListener), QPointF(0, 0));
  const std::vector<std::string> sent = drainTargets(f);
  QCOMPARE(sent.front(), std::string("room"));
  QCOMPARE(sent.size(), size_t(9));

  // Reset: default room, 0 dB everywhere, and no trims worked out from the new positions.
  enter(page->xEdit(kSpeakerL), "3");
  page->widthSpin()->upButton()->click();
  drainTargets(f);
  reset->click();
  for (int k = 0; k < 8; ++k) QCOMPARE(trimOf(f, k), 0.0f);
  // Zeros go back as signed-magnitude zeros (0x80), so compare what the bytes mean.
  for (int i = 0; i < ax7::kRoomBlockSize; ++i) {
    const uint8_t b = f.mem().roomBlock.get(size_t(i));
    if (i < 2) {
      QCOMPARE(b, ax7::kDefaultRoomBlock[size_t(i)]);
    } else {
      QCOMPARE(ax7::DecodeRoomCoordinate(b),
               ax7::DecodeRoomCoordinate(ax7::kDefaultRoomBlock[size_t(i)]));
    }
  }
  QCOMPARE(page->widthEdit()->text(), QString("4m"));
  QCOMPARE(
      page->xEdit(kSpeakerL)->text(),
      QString::asprintf("%+-.1fm", double(ax7::DecodeRoomCoordinate(ax7::kDefaultRoomBlock[4]))));
  QCOMPARE(page->picture()->roomWidth(), 4.0f);
  const std::vector<std::string> afterReset = drainTargets(f);
  QCOMPARE(afterReset.back(), std::string("room"));
  QCOMPARE(afterReset.size(), size_t(9));  // the eight zero trims, then the room
}

void RoomPageTest::locateTicksOneAtMost() {
  PageFixture f;
  assignInOrder(f);
  f.mem().pc.setInt(size_t(Describe(Param::SpeakerAssign).wordOf(2)), 5);  // output 3 is CEN
  auto page = openPage(f);
  drainTargets(f);
  page->locate(2)->click();
  QCOMPARE(drainTargets(f), frames({"02 09 00 04 1F 01 00 00 00 05"}));
  QCOMPARE(f.locate.button, 3);
  page->locate(6)->click();
  QCOMPARE(drainTargets(f), frames({"02 09 00 04 1F 01 00 00 00 06"}));
  for (int k = 0; k < 8; ++k) QCOMPARE(page->locate(k)->isChecked(), k == 6);
  page->locate(6)->click();
  QCOMPARE(drainTargets(f), frames({"02 09 00 04 1F 01 00 00 00 08"}));
  QCOMPARE(f.locate.button, 0);
  for (int k = 0; k < 8; ++k) QVERIFY(!page->locate(k)->isChecked());

  // The selection outlives the page.
  page->locate(4)->click();
  page.reset();
  page = openPage(f);
  QVERIFY(page->locate(4)->isChecked());
  QVERIFY(drainTargets(f).size() == 1);
}

void RoomPageTest::levelsAndAssignments() {
  PageFixture f;
  assignInOrder(f);
  f.mem().pc.setInt(size_t(Describe(Param::ChannelLevel).wordOf(1)), 64);
  f.mem().pc.setInt(size_t(Describe(Param::SpeakerAssign).wordOf(6)), 200);
  auto page = openPage(f);
  QCOMPARE(page->level(1)->value(), 64);
  QCOMPARE(page->levelText(1)->text(), QString("64%"));
  QCOMPARE(page->assignment(0)->text(), QString::fromUtf8("(前置左)"));
  QCOMPARE(page->assignment(5)->text(), QString::fromUtf8("(中置)"));
  // A code the page has no name for shows an empty name.
  QCOMPARE(page->assignment(6)->text(), QString("()"));

  QTest::keyClick(page->level(1), Qt::Key_Right);
  QCOMPARE(f.mem().pc.getInt(size_t(Describe(Param::ChannelLevel).wordOf(1))), 65);
  QCOMPARE(drainTargets(f), frames({"02 09 00 06 18 01 3F 26 66 66"}));
  QCOMPARE(page->levelText(1)->text(), QString("65%"));

  f.setLanguage(Language::English);
  page->ApplyLanguage();
  QCOMPARE(page->assignment(0)->text(), QString("(CH-L)"));
  QCOMPARE(page->locate(0)->text(), QString("Locate"));
  QCOMPARE(page->navRow()->pressed(), OutputNavRow::kLocation);
  QVERIFY(page->navRow()->button(OutputNavRow::kDelay)->isHidden());
  QVERIFY(page->navRow()->button(OutputNavRow::kCompressor)->isHidden());
}

void RoomPageTest::damagedRoomBlockOpens() {
  PageFixture f;
  assignInOrder(f);
  const uint8_t damaged[2] = {0, 0};
  f.mem().roomBlock.copyIn(0, damaged, 2);
  ax7::DecodeRoomBlock(f.mem());
  auto page = openPage(f);
  page->grab();
  QCOMPARE(page->widthEdit()->text(), QString("1m"));
  QCOMPARE(page->lengthEdit()->text(), QString("1m"));
  QCOMPARE(page->picture()->roomWidth(), 1.0f);
  // A move writes the room the page shows, not the zero it was given.
  enter(page->xEdit(kSpeakerL), "3");
  QCOMPARE(f.mem().room.coord(4), 0.5f);
  QCOMPARE(f.mem().roomBlock.get(0), uint8_t(1));
  QCOMPARE(f.mem().roomBlock.get(1), uint8_t(1));
}

void RoomPageTest::wheelWorksTheFocusedControl() {
  PageFixture f;
  place(f, 4, -1.0f, 0.5f);
  f.mem().pc.setInt(size_t(Describe(Param::ChannelLevel).wordOf(3)), 40);
  auto page = openPage(f);
  auto notch = [&](int delta) {
    QWheelEvent wheel(QPointF(5, 5), page->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, delta),
                      Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(page.get(), &wheel);
  };
  page->yEdit(4)->setFocus();
  if (QApplication::focusWidget() != page->yEdit(4)) QSKIP("no focus on this platform");
  notch(120);
  QCOMPARE(f.mem().room.coord(3 + 2 * 4), 0.6f);
  QCOMPARE(page->yEdit(4)->text(), QString("+0.6m"));
  page->level(3)->setFocus();
  notch(-240);
  QCOMPARE(f.mem().pc.getInt(size_t(Describe(Param::ChannelLevel).wordOf(3))), 38);
  // Enter in a size box changes nothing until "Modify".
  page->widthEdit()->setText("6");
  drainTargets(f);
  QTest::keyClick(page->widthEdit(), Qt::Key_Return);
  QVERIFY(drainTargets(f).empty());
  QCOMPARE(f.mem().room.width(), 4);
}

void RoomPageTest::screenshots() {
  for (Language language : {Language::Chinese, Language::English}) {
    PageFixture f(language);
    assignInOrder(f);
    f.mem().roomBlock.copyIn(0, ax7::kDefaultRoomBlock.data(), ax7::kDefaultRoomBlock.size());
    ax7::DecodeRoomBlock(f.mem());
    for (int k = 0; k < 8; ++k) {
      f.mem().pc.setInt(size_t(Describe(Param::ChannelLevel).wordOf(k)), 50 + 6 * k);
    }
    f.locate.button = 2;
    auto page = openPage(f);
    ax7::test::save(*page, "room_page_" + ax7::test::tag(language));
    // The levels set above, the room, the default positions and the captions.
    AX7_VERIFY_SHOWN(*page, "50%", "74%", "92%", "4m", "+0.0m", "-1.0m", "+0.5m");
    if (language == Language::Chinese)
      AX7_VERIFY_SHOWN(*page, "定位", "(前置左)", "房间大小", "听众位置", "声源的位置", "全部复位",
                       "长度单位:米(m)");
    else
      AX7_VERIFY_SHOWN(*page, "Locate", "(CH-L)", "Room size", "Audience source", "Sound source",
                       "Reset", "Unit:m");
  }
}

QTEST_MAIN(RoomPageTest)
#include "pages_room_qtest.moc"
