// The service menu in the real window: hidden at start, revealed by its key
// combination for the rest of the run, enabled while a device is connected
// (a variant-3 device too, which has no journal pages), its items in order
// and bound to their operations; the number dialog's edit and beep rule.

#include <QLineEdit>
#include <QMenuBar>
#include <QtTest>

#include "app/calibration_form.h"
#include "app/input_serial.h"
#include <QPushButton>
#include <QSpinBox>
#include "sim/device.h"
#include "extlib/wire_table.h"
#include "shell/command_table.h"
#include "tests/app/app_fixture.h"

using namespace vmk;
using namespace vmk::test;

namespace {

void pressReveal(AppFixture& f) {
  f.window->show();
  f.window->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
  QTest::keyClick(f.window.get(), Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier);
}

QMenu* serviceMenu(AppFixture& f) { return f.dm->menus()[kMenuService]; }

void connectDevice(AppFixture& f, int variant) {
  f.devices.add(1, variant);
  f.dm->action(QStringLiteral("actPolling"))->trigger();
}

}  // namespace

class TestServiceWindow : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void itemsInOrder() {
    AppFixture f;
    QStringList captions, names;
    for (QAction* a : serviceMenu(f)->actions()) {
      captions << a->text();
      names << a->objectName();
    }
    QCOMPARE(captions, (QStringList{"Калибровка", "Изменить серийный номер", "Обнуление статистики",
                                    "Стирание осцилограмм", "Стирание событий"}));
    QCOMPARE(names, (QStringList{"N13", "N9", "N10", "N11", "N12"}));
  }

  void revealedByTheKeysAndEnabledWhileConnected() {
    AppFixture f;
    QVERIFY(!serviceMenu(f)->menuAction()->isVisible());
    pressReveal(f);
    QVERIFY(serviceMenu(f)->menuAction()->isVisible());
    QVERIFY(!serviceMenu(f)->menuAction()->isEnabled());  // nothing connected yet
    connectDevice(f, 3);
    QVERIFY(f.ws().pages.isTabVisible(kPageDinamic));
    QVERIFY(!f.ws().pages.isTabVisible(kPageEvents));  // variant 3: no journal pages
    QVERIFY(serviceMenu(f)->menuAction()->isEnabled());
    // A second press changes nothing.
    pressReveal(f);
    QVERIFY(serviceMenu(f)->menuAction()->isVisible());
    QVERIFY(serviceMenu(f)->menuAction()->isEnabled());
  }

  void revealedAfterConnecting() {
    AppFixture f;
    connectDevice(f, 1);
    QVERIFY(!serviceMenu(f)->menuAction()->isVisible());
    pressReveal(f);
    QVERIFY(serviceMenu(f)->menuAction()->isEnabled());
  }

  // An item runs its operation: clearing the statistics of the connected device.
  void itemRunsItsOperation() {
    AppFixture f;
    connectDevice(f, 1);
    f.devices.forgetRequests();
    f.prompts.forget();
    f.prompts.answerPassword(QStringLiteral("AAAA"));
    serviceMenu(f)->actions()[2]->trigger();
    QCOMPARE(f.devices.plan.requestsOf(wire::kService).size(), 1);
    QCOMPARE(f.ws().monitor.mmMess.lines().size(), 1);
    QVERIFY(f.ws().monitor.mmMess.lines()[0].endsWith(QStringLiteral(" Статистика обнулена.")));
    QVERIFY(!f.ws().session.Port1.isOpen());
  }

  // "Калибровка" of the menu: calibration mode around the window, the port
  // closed while it is open.
  void calibrationItem() {
    AppFixture f;
    connectDevice(f, 1);
    bool shown = false;
    test::WindowsDouble windows(f.ws());
    windows.onCalibration = [&] {
      shown = true;
      QVERIFY(!f.ws().session.Port1.isOpen());
      QVERIFY(f.devices.device(1).calibration().calibrationMode());
    };
    f.prompts.answerPassword(QStringLiteral("AAAA"));
    serviceMenu(f)->actions()[0]->trigger();
    QVERIFY(shown);
    QVERIFY(!f.devices.device(1).calibration().calibrationMode());
    QVERIFY(f.ws().monitor.mmMess.lines().last().endsWith(QStringLiteral(" Конец калибровки.")));
  }

  void calibrationWindow_data() {
    QTest::addColumn<int>("variant");
    QTest::newRow("variant 1") << 1;
    QTest::newRow("variant 3") << 3;
  }
  void calibrationWindow() {
    QFETCH(int, variant);
    AppFixture f;
    connectDevice(f, variant);
    CalibrationModel model(f.ws().session, f.prompts, f.dm->calibrationOptions());
    TMainForm form(model);
    QCOMPARE(form.windowTitle(), QStringLiteral("Calibr"));
    QCOMPARE(form.size(), QSize(584, 488));
    for (const char* n : {"Button1", "btConnect", "btDisconnect", "seTimeOut", "seK", "rgMode", "m"})
      QVERIFY2(form.findChild<QWidget*>(QString::fromLatin1(n)), n);
    form.show();
    for (int p = 1; p <= 8; ++p) {
      const QString two = QStringLiteral("%1").arg(p, 2, 10, QLatin1Char('0'));
      for (const char* kind : {"btr", "e", "se", "k", "btw"}) {
        QWidget* w = form.findChild<QWidget*>(QString::fromLatin1(kind) + two);
        QVERIFY(w);
        QCOMPARE(w->isVisible(), variant != 3 || p % 2 == 1);
      }
    }
    QCOMPARE(form.findChild<QSpinBox*>("seTimeOut")->value(), 50);
    QCOMPARE(form.findChild<QSpinBox*>("seK")->value(), 205);
    auto* connectButton = form.findChild<QPushButton*>("btConnect");
    QVERIFY(connectButton->isEnabled());
    QVERIFY(!form.findChild<QPushButton*>("btDisconnect")->isEnabled());
    QVERIFY(!form.findChild<QPushButton*>("btr01")->isEnabled());
    f.devices.device(1).calibration().setCalibrationMode(true);
    connectButton->click();
    QVERIFY(form.findChild<QPushButton*>("btr01")->isEnabled());
    QVERIFY(form.findChild<QPushButton*>("btDisconnect")->isEnabled());
    form.findChild<QPushButton*>("btDisconnect")->click();
  }

  void numberDialog() {
    TInputSerial form;
    QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
    QLineEdit* edit = form.findChild<QLineEdit*>(QStringLiteral("meOldSerial"));
    QVERIFY(edit);
    form.prepare({QStringLiteral("Ввод серийного номера"), QStringLiteral("Серийный номер:"), QString(), 5});
    QTest::keyClicks(edit, QStringLiteral("12a34567"));
    QCOMPARE(edit->text(), QStringLiteral("12345"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("1234"));
  }
};

QTEST_MAIN(TestServiceWindow)
#include "test_service_window.moc"
