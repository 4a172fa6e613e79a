// vmkctl over the network against vmksim --tcp, as a serial device server
// (tcp://) and as a Modbus TCP gateway (mbtcp://): the rear network polled,
// a traced identity read, a batch of every device - each run a client of
// its own, served one after another by one vmksim - and a refused
// connection reported as the port that would not open.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/support/net_server.h"
#include "tests/system/sim_process.h"

using vmk::test::Run;
using vmk::test::SimProcess;
using vmk::test::run;

class TestVmkctlTcp : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void pollsTracesAndCollects_data() {
    QTest::addColumn<QString>("scheme");
    QTest::newRow("RTU over TCP") << QStringLiteral("tcp");
    QTest::newRow("Modbus TCP") << QStringLiteral("mbtcp");
  }
  void pollsTracesAndCollects() {
    QFETCH(QString, scheme);
    SimProcess sim;
    QStringList args{"--addresses", "1,2,3:3", "--seed", "3"};
    if (scheme == QLatin1String("mbtcp")) args << "--mbap";
    QVERIFY2(sim.startTcp(args), sim.errors().constData());
    const QStringList rear{"--port", scheme + "://" + sim.path(), "--connector", "rear", "--timeout", "5"};

    const Run poll = run(QStringLiteral(VMKCTL_PATH), rear + QStringList{"poll"});
    QCOMPARE(poll.exitCode, 0);
    const QStringList lines = poll.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 32);
    for (int a = 1; a <= 3; ++a) QCOMPARE(lines[a - 1], QStringLiteral("Устройство №%1 в сети").arg(a));
    QCOMPARE(lines[3], QStringLiteral("Связи с устройством №4 нет"));

    // The trace shows the frames as RTU frames, the gateway's too.
    const Run info = run(QStringLiteral(VMKCTL_PATH), rear + QStringList{"--address", "2", "--trace", "info"});
    QCOMPARE(info.exitCode, 0);
    QVERIFY2(info.err.contains(QStringLiteral("-> 02 03 00 00 00 09 85 ff")), qPrintable(info.err));
    QVERIFY2(info.err.contains(QStringLiteral("<- 02 03 12 ")), qPrintable(info.err));

    QTemporaryDir dir;
    const Run batch = run(QStringLiteral(VMKCTL_PATH), rear + QStringList{"batch", "-o", dir.path()}, 240000);
    QVERIFY2(batch.exitCode == 0, qPrintable(batch.err));
    QFile f(dir.filePath(QStringLiteral("index.json")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QJsonObject index = QJsonDocument::fromJson(f.readAll()).object();
    QCOMPARE(index.value(QStringLiteral("complete")).toBool(), true);
    const QJsonArray devices = index.value(QStringLiteral("devices")).toArray();
    QCOMPARE(devices.size(), 3);
    for (const QJsonValue& d : devices) QCOMPARE(d.toObject().value(QStringLiteral("failed")).toBool(), false);
    QVERIFY(sim.stop());
  }

  void aRefusedConnectionIsThePortThatWouldNotOpen() {
    const QString port = QStringLiteral("tcp://127.0.0.1:%1").arg(vmk::test::refusingPort());
    const Run r = run(QStringLiteral(VMKCTL_PATH), {"--port", port, "info"});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(QStringLiteral("Ошибка открытия порта %1: сервер отказал в соединении").arg(port)),
             qPrintable(r.err));
  }

  void aBadNetworkNameIsAUsageError() {
    const Run r = run(QStringLiteral(VMKCTL_PATH), {"--port", "mbtcp://127.0.0.1", "info"});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(QStringLiteral("mbtcp://HOST:PORT")), qPrintable(r.err));
  }
};

QTEST_GUILESS_MAIN(TestVmkctlTcp)
#include "test_vmkctl_tcp.moc"
