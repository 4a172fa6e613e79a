// Page 0 in the real window: polling and connecting through the actions and
// the list, against the in-process simulated bus.

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "app/job_cancel.h"
#include "app_fixture.h"
#include "shell/page_rules.h"
#include "sim/bus.h"
#include "tests/support/sim_link_factory.h"

using namespace vmk;
using namespace vmk::test;

namespace {

struct PollingPage {
  AppFixture f;
  sim::Bus bus{{1, 2, 3}, 1, 3, [this] { return f.clock.now(); }};
  QList<bool> windowEnabledAtEvents;

  PollingPage() {
    f.ws().session.Port1.setLinkFactory(test::busLinkFactory(bus));
    f.ws().session.modbus.SetTry(1);
    f.ws().jobs.processEvents = [this] { windowEnabledAtEvents << f.window->isEnabled(); };
    f.dm->action(QStringLiteral("actReaPort"))->trigger();
  }
  QListWidget* list() { return f.window->findChild<QListWidget*>(QStringLiteral("lbRelay")); }
  QPlainTextEdit* memo() { return f.window->findChild<QPlainTextEdit*>(QStringLiteral("Memo1")); }
};

}  // namespace

class TestPollingPage : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void pollingListsTheBusAndConnects() {
    PollingPage p;
    p.f.dm->action(QStringLiteral("actPolling"))->trigger();

    QCOMPARE(p.list()->count(), 32);
    QCOMPARE(p.list()->item(2)->text(), QStringLiteral("Устройство №3 в сети"));
    QCOMPARE(p.list()->currentRow(), 0);
    QCOMPARE(p.windowEnabledAtEvents, QList<bool>(32, false));
    QVERIFY(p.f.window->isEnabled());
    QVERIFY(p.memo()->toPlainText().startsWith(QStringLiteral("Устройство: ВМК-01.01 \n")));
    QVERIFY(p.f.window->pages()->isTabVisible(kPageDinamic));
    QVERIFY(p.f.dm->action(QStringLiteral("actPrint"))->isEnabled());
    QVERIFY(!p.f.ws().session.Port1.isOpen());
  }

  void doubleClickConnectsToThatLine() {
    PollingPage p;
    p.f.dm->action(QStringLiteral("actPolling"))->trigger();
    p.list()->setCurrentRow(2);
    Q_EMIT p.list()->itemDoubleClicked(p.list()->item(2));
    QCOMPARE(p.f.ws().session.DeviceAddress, std::uint8_t(3));
    QVERIFY(p.memo()->toPlainText().contains(QStringLiteral("Сетевой адрес устройства 3")));

    // The port is gone: the connection from the list reports it its own way.
    p.f.ws().session.Port1.setLinkFactory(
        test::busLinkFactory(p.bus, {}, [](sim::BusLink& link) { link.setGone(true); }));
    p.f.prompts.forget();
    Q_EMIT p.list()->itemDoubleClicked(p.list()->item(2));
    QCOMPARE(p.f.prompts.boxTexts(), QStringList{QStringLiteral("Устройство не подключено")});
    QVERIFY(!p.f.window->pages()->isTabVisible(kPageDinamic));
    QVERIFY(!p.f.ws().session.Port1.isOpen());
  }

  // The window takes no input while it polls, but Esc and the "Прервать"
  // button still reach the job: polling stops after address 5 and keeps
  // its lines.
  void escOrTheCancelButtonStopsPolling_data() {
    QTest::addColumn<bool>("button");
    QTest::newRow("Esc") << false;
    QTest::newRow("Прервать") << true;
  }
  void escOrTheCancelButtonStopsPolling() {
    QFETCH(bool, button);
    PollingPage p;
    QWidget* panel = p.f.window->jobCancel()->panel();
    QPushButton* cancel = p.f.window->jobCancel()->button();
    QCOMPARE(cancel->text(), QStringLiteral("Прервать"));
    QVERIFY(!panel->isVisible());
    QList<bool> cancelReachable;
    p.f.ws().jobs.processEvents = [&] {
      p.windowEnabledAtEvents << p.f.window->isEnabled();
      cancelReachable << (panel->isVisible() && cancel->isEnabled());
      if (p.windowEnabledAtEvents.size() < 6) return;
      if (button)
        QTest::mouseClick(cancel, Qt::LeftButton);
      else
        QTest::keyClick(p.f.window.get(), Qt::Key_Escape);
    };

    p.f.dm->action(QStringLiteral("actPolling"))->trigger();

    QCOMPARE(p.list()->count(), 5);
    QCOMPARE(p.windowEnabledAtEvents, QList<bool>(6, false));
    QCOMPARE(cancelReachable, QList<bool>(6, true));
    QVERIFY(p.f.window->isEnabled());
    QVERIFY(!panel->isVisible());
    QCOMPARE(p.f.window->findChild<QLabel*>(QStringLiteral("SBarPanel3"))->text(),
             QStringLiteral("Операция прервана"));
    QVERIFY(p.memo()->toPlainText().isEmpty());
    QVERIFY(!p.f.window->pages()->isTabVisible(kPageDinamic));
    QVERIFY(!p.f.ws().session.Port1.isOpen());

    // Esc between jobs asks nothing of the next one.
    QTest::keyClick(p.f.window.get(), Qt::Key_Escape);
    p.windowEnabledAtEvents.clear();
    p.f.ws().jobs.processEvents = [&] { p.windowEnabledAtEvents << p.f.window->isEnabled(); };
    p.f.dm->action(QStringLiteral("actPolling"))->trigger();
    QCOMPARE(p.list()->count(), 32);
    QVERIFY(p.f.window->pages()->isTabVisible(kPageDinamic));
  }
};

QTEST_MAIN(TestPollingPage)
#include "test_polling_page.moc"
