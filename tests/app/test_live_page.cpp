#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

#include "app_fixture.h"
#include "shell/page_rules.h"
#include "sim/bus.h"
#include "tests/support/sim_link_factory.h"

using namespace vmk;
using namespace vmk::test;

namespace {

// The window on page 1, connected to one simulated device at address 1.
struct LivePage {
  AppFixture f;
  sim::Bus bus{{1}, 1, 3, [this] { return f.clock.now(); }};

  LivePage() {
    f.ws().session.Port1.setLinkFactory(test::busLinkFactory(bus));
    Session& s = f.ws().session;
    s.DeviceAddress = 1;
    s.vmk.setup.DevicePassword = QStringLiteral("AAAA");
    s.vmk.setup.CtPrimary = 100;
    s.vmk.setup.CtSecondary = 5;
    s.vmk.setup.EarthCtPrimary = 1;
    s.vmk.setup.EarthCtSecondary = 1;
    for (int reg = 17; reg <= 21; ++reg) bus.device(1)->setRegister(reg, 0);
    BlockTabSheet(f.ws(), false);
    f.window->pages()->setCurrentIndex(kPageDinamic);
  }
  template <typename W>
  W* widget(const char* name) {
    W* w = f.window->findChild<W*>(QString::fromLatin1(name));
    Q_ASSERT(w);
    return w;
  }
};

}  // namespace

class TestLivePage : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void refreshFillsTheWidgets() {
    LivePage p;
    QCOMPARE(p.widget<QLabel>("lblKoefTT")->text(), QStringLiteral("Ктт = 100/5"));
    p.bus.device(1)->setRegister(16, 0b000010);
    p.bus.device(1)->setRegister(32, 250);
    p.f.dm->action("actrefresh")->trigger();
    QCOMPARE(p.widget<QLabel>("lblCurrA")->text(), QStringLiteral("Ia = 50.0 A"));
    QVERIFY(p.widget<QFrame>("shpInput2")->styleSheet().contains(QStringLiteral("#008000")));
    QVERIFY(!p.widget<QFrame>("shpInput1")->styleSheet().contains(QStringLiteral("#008000")));

    p.widget<QRadioButton>("rbSecond")->click();
    QVERIFY(!p.f.dm->liveView().primaryValues());
    p.f.dm->action("actrefresh")->trigger();
    QCOMPARE(p.widget<QLabel>("lblCurrA")->text(), QStringLiteral("Ia = 2.50 A"));
  }

  void tickWaitsForTheRunningOperation() {
    LivePage p;
    p.f.prompts.answerInput(QStringLiteral("0.05"));
    p.f.dm->action("actSetTimerRefresh")->trigger();
    QVERIFY(p.f.dm->RefreshTimer.isActive());
    QCOMPARE(p.f.dm->RefreshTimer.interval(), 50);
    QSignalSpy ticks(&p.f.dm->RefreshTimer, &QTimer::timeout);
    {
      BusyGuard other(p.f.ws().session);
      QVERIFY(ticks.wait(5000));
      QVERIFY(p.bus.requests().isEmpty());
    }
    QVERIFY(ticks.wait(5000));
    QVERIFY(!p.bus.requests().isEmpty());

    // Leaving page 1 stops the timer and says so.
    p.f.window->pages()->setCurrentIndex(kPagePolling);
    QVERIFY(!p.f.dm->RefreshTimer.isActive());
    QCOMPARE(p.f.window->findChild<QLabel*>("SBarPanel3")->text(),
             QStringLiteral("Автообновления нет"));
  }

  void ticksShowTheMeasurementErrorOnce() {
    LivePage p;
    Session& s = p.f.ws().session;
    s.vmk.setup.CtSecondary = 0;
    p.f.prompts.answerInput(QStringLiteral("60"));
    p.f.dm->action("actSetTimerRefresh")->trigger();
    p.f.prompts.forget();
    const QString error = QStringLiteral("Ошибка чтения измерения");
    for (int i = 0; i < 3; ++i) QVERIFY(p.f.dm->run(QStringLiteral("RefreshTimerTimer")));
    QCOMPARE(p.f.prompts.boxTexts(), QStringList{error});
    QCOMPARE(p.f.ws().monitor.mmMess.lines().size(), 3);

    // Valid ratios again, then a secondary of 0 again: one more box.
    s.vmk.setup.CtSecondary = 5;
    p.f.dm->run(QStringLiteral("RefreshTimerTimer"));
    s.vmk.setup.CtSecondary = 0;
    p.f.dm->run(QStringLiteral("RefreshTimerTimer"));
    p.f.dm->run(QStringLiteral("RefreshTimerTimer"));
    QCOMPARE(p.f.prompts.boxTexts(), QStringList(2, error));

    // Switching the auto-refresh off and on shows it again; so does F5.
    p.f.dm->action("actSetTimerRefresh")->trigger();
    p.f.prompts.answerInput(QStringLiteral("60"));
    p.f.dm->action("actSetTimerRefresh")->trigger();
    p.f.dm->run(QStringLiteral("RefreshTimerTimer"));
    QCOMPARE(p.f.prompts.boxTexts(), QStringList(3, error));
    p.f.dm->action("actrefresh")->trigger();
    QCOMPARE(p.f.prompts.boxTexts(), QStringList(4, error));
  }

  void noTickStartsWhileABoxOfATickIsOpen() {
    LivePage p;
    p.f.ws().session.vmk.setup.CtSecondary = 0;
    p.f.prompts.answerInput(QStringLiteral("60"));
    p.f.dm->action("actSetTimerRefresh")->trigger();
    int nested = 0;
    qsizetype requestsWhileOpen = -1;
    p.f.prompts.whileBoxOpen = [&](const MessageBox&) {
      const qsizetype before = p.bus.requests().size();
      // The timer fires twice while the box waits for its "OK".
      if (!p.f.dm->run(QStringLiteral("RefreshTimerTimer"))) ++nested;
      if (!p.f.dm->run(QStringLiteral("RefreshTimerTimer"))) ++nested;
      requestsWhileOpen = p.bus.requests().size() - before;
    };
    p.f.dm->run(QStringLiteral("RefreshTimerTimer"));
    QCOMPARE(nested, 2);
    QCOMPARE(requestsWhileOpen, 0);
    QCOMPARE(p.f.prompts.boxTexts().size(), 1);

    // A failed tick's own box ("Неудается получить данные") holds the
    // ticks back the same way, and the auto-refresh is off by then.
    p.f.prompts.forget();
    p.f.ws().session.vmk.setup.CtSecondary = 5;
    // The fixture's own bus has no device: every request goes unanswered.
    p.f.ws().session.Port1.setLinkFactory(p.f.devices.linkFactory());
    nested = 0;
    p.f.prompts.whileBoxOpen = [&](const MessageBox&) {
      if (!p.f.dm->run(QStringLiteral("RefreshTimerTimer"))) ++nested;
    };
    p.f.dm->run(QStringLiteral("RefreshTimerTimer"));
    QCOMPARE(nested, 1);
    QVERIFY(!p.f.ws().monitor.AutoRefreshOn);
    QVERIFY(!p.f.dm->RefreshTimer.isActive());
  }

  void commandButtonsAndClockSource() {
    LivePage p;
    p.f.prompts.answerPassword(QStringLiteral("AAAA"));
    p.widget<QPushButton>("tmOutPut3")->click();
    QCOMPARE(p.f.ws().monitor.mmMess.lines(), QStringList{QStringLiteral("10:00:00 Команда управления реле 3")});

    QVERIFY(p.widget<QDateEdit>("dtpDate")->isHidden());
    p.widget<QRadioButton>("rbSetDate")->click();
    QVERIFY(!p.widget<QDateEdit>("dtpDate")->isHidden());
    QCOMPARE(p.widget<QDateEdit>("dtpDate")->date(), QDate(2013, 1, 15));
    p.widget<QDateEdit>("dtpDate")->setDate(QDate(2012, 6, 30));
    QCOMPARE(p.f.dm->liveView().pickerDate(), QDate(2012, 6, 30));
    p.widget<QRadioButton>("rbAutoTime")->click();
    QVERIFY(p.widget<QDateEdit>("dtpDate")->isHidden());
  }
};

QTEST_MAIN(TestLivePage)
#include "test_live_page.moc"
