// Messages from the reader thread to the view: a sent message is answered by the view's
// handler on the UI thread, and one on its way when the view goes away returns instead of
// hanging the reader (and with it the closing program).
#include <QCoreApplication>
#include <QTest>
#include <atomic>
#include <thread>

#include "shell/qt_view_notifier.h"

using ax7::ui::QtViewNotifier;

class NotifierTest : public QObject {
  Q_OBJECT
 private slots:
  void sentMessageIsAnsweredOnTheUiThread() {
    QtViewNotifier notifier;
    Qt::HANDLE uiThread = QThread::currentThreadId();
    Qt::HANDLE ranOn = nullptr;
    notifier.setHandlers({{},
                          [&](int message, intptr_t wParam, intptr_t) -> intptr_t {
                            ranOn = QThread::currentThreadId();
                            return message + wParam;
                          },
                          {}});
    std::atomic<intptr_t> answer{-1};
    std::thread reader([&] { answer = notifier.send(1001, 7, 0); });
    QTRY_COMPARE(answer.load(), intptr_t(1008));
    reader.join();
    QCOMPARE(ranOn, uiThread);
  }

  void detachingReleasesAMessageOnItsWay() {
    QtViewNotifier notifier;
    bool handled = false;
    notifier.setHandlers({{},
                          [&](int, intptr_t, intptr_t) -> intptr_t {
                            handled = true;
                            return 1;
                          },
                          {}});
    std::atomic<intptr_t> answer{-1};
    std::thread reader([&] { answer = notifier.send(1001, 7, 0); });
    // The UI thread is busy closing and does not run its event loop.
    QTest::qSleep(100);
    notifier.detach();
    reader.join();
    QCOMPARE(answer.load(), intptr_t(0));
    QCoreApplication::processEvents();
    QVERIFY(!handled);
  }
};

QTEST_MAIN(NotifierTest)
#include "shell_notifier_qtest.moc"
