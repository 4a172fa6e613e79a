// "Монитор обмена" offscreen: it observes while shown, shows the frames and
// the counts, saves through the prompts, and lets go of the library when
// closed.

#include <QCheckBox>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "app/traffic_window.h"
#include "extlib/memory_link.h"
#include "extlib/modbus_library.h"
#include "sim/bus.h"
#include "tests/support/scripted_prompts.h"

using namespace vmk;

class TestTrafficWindow : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void showsFramesAndCountsWhileOpen() {
    sim::Bus bus;
    bus.addDevice(1);
    MemoryLink link([&](const QByteArray& r) { return bus.handle(r); });
    QVERIFY(link.open());
    ModbusLibrary lib;
    lib.SetTry(1);
    test::ScriptedPrompts prompts;
    TrafficWindow w(lib, prompts);
    ReplyFrame r;
    lib.SetQuery(link, 1, 3, 0, 9, r);  // before the window: not seen
    w.show();
    QCOMPARE(w.windowTitle(), QStringLiteral("Монитор обмена"));
    lib.SetQuery(link, 1, 3, 0, 9, r);
    lib.SetQuery(link, 2, 3, 0, 9, r);
    w.refresh();
    auto* frames = w.findChild<QTableView*>(QStringLiteral("grdFrames"));
    auto* counts = w.findChild<QTableWidget*>(QStringLiteral("grdCounts"));
    QVERIFY(frames && counts);
    QCOMPARE(frames->model()->rowCount(), 4);
    QCOMPARE(frames->model()->index(0, 4).data().toString(), QStringLiteral("чтение 9 регистров с 0"));
    QCOMPARE(counts->rowCount(), 2);
    QCOMPARE(counts->item(1, 0)->text(), QStringLiteral("2"));
    QCOMPARE(counts->item(1, 3)->text(), QStringLiteral("1"));  // one silence

    w.findChild<QCheckBox*>(QStringLiteral("cbPause"))->setChecked(true);
    lib.SetQuery(link, 1, 3, 0, 9, r);
    w.refresh();
    QCOMPARE(frames->model()->rowCount(), 4);
    w.findChild<QCheckBox*>(QStringLiteral("cbPause"))->setChecked(false);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("monitor.txt"));
    prompts.answerSave(path);
    w.findChild<QPushButton*>(QStringLiteral("btnSave"))->click();
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll().count('\n'), 1 + 4 + 1 + 1 + 2 + 1);  // + the paused frames line

    w.findChild<QPushButton*>(QStringLiteral("btnClear"))->click();
    QCOMPARE(frames->model()->rowCount(), 0);
    QCOMPARE(counts->rowCount(), 0);

    w.close();
    lib.SetQuery(link, 1, 3, 0, 9, r);
    w.refresh();
    QCOMPARE(w.monitor().size(), 0);
  }
};

QTEST_MAIN(TestTrafficWindow)
#include "test_traffic_window.moc"
