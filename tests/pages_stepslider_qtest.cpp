// The step slider: one step per press beside the thumb, per key and per wheel notch, a report
// at every drag movement, and never a report for values set from code.
#include <QtTest/qtestspontaneevent.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include "pages/step_slider.h"

using namespace ax7::ui;

namespace {

// As from a real mouse: Qt passes only such wheel events on to the parents.
void SendWheel(QWidget* target, QPoint pos, int delta) {
  QWheelEvent event(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QSpontaneKeyEvent::setSpontaneous(&event);
  qApp->notify(target, &event);  // sendEvent would clear the spontaneous mark
}

QPoint ThumbCenter(StepSlider* slider) {
  return slider->handleRect().center();
}

}  // namespace

class StepSliderTest : public QObject {
  Q_OBJECT

 private slots:
  void trackPressMovesOneStep_data();
  void trackPressMovesOneStep();
  void dragReportsEveryMovement();
  void keysAndWheelStepOne_data();
  void keysAndWheelStepOne();
};

void StepSliderTest::trackPressMovesOneStep_data() {
  QTest::addColumn<Qt::Orientation>("orientation");
  QTest::addColumn<int>("start");
  QTest::addColumn<bool>("pressAfterThumb");  // right of, or below, the thumb
  QTest::addColumn<int>("expected");
  QTest::newRow("horizontal left") << Qt::Horizontal << 50 << false << 49;
  QTest::newRow("horizontal right") << Qt::Horizontal << 50 << true << 51;
  // A vertical slider has its maximum at the top.
  QTest::newRow("vertical above") << Qt::Vertical << 50 << false << 51;
  QTest::newRow("vertical below") << Qt::Vertical << 50 << true << 49;
  QTest::newRow("at minimum, toward it") << Qt::Horizontal << 0 << false << 0;
  QTest::newRow("at maximum, toward it") << Qt::Horizontal << 99 << true << 99;
}

void StepSliderTest::trackPressMovesOneStep() {
  QFETCH(Qt::Orientation, orientation);
  QFETCH(int, start);
  QFETCH(bool, pressAfterThumb);
  QFETCH(int, expected);
  // Shows whether a press armed the base class's repeat.
  struct HeldSlider : StepSlider {
    using StepSlider::StepSlider;
    using QAbstractSlider::repeatAction;
  } slider(orientation);
  slider.setRange(0, 99);
  slider.setValue(start);
  slider.resize(orientation == Qt::Horizontal ? QSize(200, 24) : QSize(24, 200));
  slider.show();
  QVERIFY(QTest::qWaitForWindowExposed(&slider));
  QSignalSpy moved(&slider, &StepSlider::userMoved);
  int valueWhenReported = -1;
  connect(&slider, &StepSlider::userMoved, this, [&] { valueWhenReported = slider.value(); });

  const QPoint thumb = ThumbCenter(&slider);
  const int offset = pressAfterThumb ? 40 : -40;
  QPoint pos = orientation == Qt::Horizontal ? QPoint(thumb.x() + offset, thumb.y())
                                             : QPoint(thumb.x(), thumb.y() + offset);
  if (start == 0 && !pressAfterThumb) pos = QPoint(1, thumb.y());  // the thumb sits at the end
  if (start == 99 && pressAfterThumb) pos = QPoint(slider.width() - 2, thumb.y());
  if (QRect(thumb - QPoint(4, 4), QSize(8, 8)).contains(pos)) QSKIP("no track beside the thumb");

  QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, pos);
  QCOMPARE(slider.value(), expected);
  QCOMPARE(moved.count(), expected == start ? 0 : 1);
  if (expected != start) {
    QCOMPARE(moved.at(0).at(0).toInt(), expected);
    QCOMPARE(valueWhenReported, expected);  // the value is in place when reported
  }
  // Holding the button does not repeat the step: the base class's repeat (500 ms, then every
  // 50 ms) only runs when a press sets a repeat action, and none is set.
  QCOMPARE(slider.repeatAction(), QAbstractSlider::SliderNoAction);
  QCoreApplication::processEvents();
  QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, pos);
  QCOMPARE(slider.value(), expected);
  QCOMPARE(moved.count(), expected == start ? 0 : 1);

  // Other buttons never move it.
  QTest::mouseClick(&slider, Qt::MiddleButton, Qt::NoModifier, pos);
  QTest::mouseClick(&slider, Qt::RightButton, Qt::NoModifier, pos);
  QCOMPARE(slider.value(), expected);
}

void StepSliderTest::dragReportsEveryMovement() {
  StepSlider slider(Qt::Horizontal);
  slider.setRange(0, 99);
  slider.setValue(10);
  slider.resize(300, 24);
  slider.show();
  QVERIFY(QTest::qWaitForWindowExposed(&slider));
  QList<int> seen;  // the value the slider holds at each report
  connect(&slider, &StepSlider::userMoved, this, [&](int position) {
    QCOMPARE(slider.value(), position);
    seen << position;
  });

  QPoint pos = ThumbCenter(&slider);
  QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, pos);
  QVERIFY(slider.isSliderDown());
  QCOMPARE(slider.value(), 10);  // grabbing the thumb does not move it
  QList<int> expected;
  int last = slider.value();
  for (int dx : {15, 15, 40, -30, 60}) {
    pos.rx() += dx;
    QTest::mouseMove(&slider, pos);
    QVERIFY(slider.value() != last);
    last = slider.value();
    expected << last;
  }
  QCOMPARE(seen, expected);
  QVERIFY(expected[2] > expected[1] && expected[3] < expected[2]);
  QTest::mouseMove(&slider, pos + QPoint(0, 3));  // across the track only: no new value
  QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, pos);
  QCOMPARE(seen, expected);
  QVERIFY(!slider.isSliderDown());
  // After the release, moving the pointer no longer drags.
  QTest::mouseMove(&slider, pos + QPoint(50, 0));
  QCOMPARE(slider.value(), last);
}

void StepSliderTest::keysAndWheelStepOne_data() {
  QTest::addColumn<int>("start");
  QTest::addColumn<int>("key");  // 0: wheel
  QTest::addColumn<QList<int>>("wheelDeltas");
  QTest::addColumn<int>("expected");
  QTest::addColumn<int>("reports");
  QTest::newRow("right") << 0 << int(Qt::Key_Right) << QList<int>{} << 1 << 1;
  QTest::newRow("up") << 0 << int(Qt::Key_Up) << QList<int>{} << 1 << 1;
  QTest::newRow("left") << 0 << int(Qt::Key_Left) << QList<int>{} << -1 << 1;
  QTest::newRow("down") << 0 << int(Qt::Key_Down) << QList<int>{} << -1 << 1;
  QTest::newRow("left at minimum") << -5 << int(Qt::Key_Left) << QList<int>{} << -5 << 0;
  QTest::newRow("up at maximum") << 5 << int(Qt::Key_Up) << QList<int>{} << 5 << 0;
  QTest::newRow("one notch up") << 0 << 0 << QList<int>{120} << 1 << 1;
  QTest::newRow("two notches down") << 0 << 0 << QList<int>{-240} << -2 << 1;
  QTest::newRow("half notches") << 0 << 0 << QList<int>{60, 60, 60} << 1 << 1;
  QTest::newRow("notch past maximum") << 5 << 0 << QList<int>{120} << 5 << 0;
}

void StepSliderTest::keysAndWheelStepOne() {
  QFETCH(int, start);
  QFETCH(int, key);
  QFETCH(QList<int>, wheelDeltas);
  QFETCH(int, expected);
  QFETCH(int, reports);
  StepSlider slider(Qt::Horizontal);
  slider.setRange(-5, 5);  // the pitch slider's range
  slider.setValue(start);
  slider.resize(100, 24);
  QSignalSpy moved(&slider, &StepSlider::userMoved);
  if (key != 0) {
    QTest::keyClick(&slider, Qt::Key(key));
  } else {
    for (int delta : wheelDeltas) SendWheel(&slider, slider.rect().center(), delta);
  }
  QCOMPARE(slider.value(), expected);
  QCOMPARE(moved.count(), reports);
  // Values set from code are never reported.
  slider.setValue(0);
  QCOMPARE(moved.count(), reports);
}

QTEST_MAIN(StepSliderTest)
#include "pages_stepslider_qtest.moc"
