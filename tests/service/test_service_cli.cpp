// vmkctl's "service" and "calibrate" on the operation fixture: what a
// script reads, the exit outcomes, and the device left out of calibration
// mode whatever the adjustment gave.

#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include "extlib/wire_table.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "sim/device.h"
#include "tests/support/device_fixture.h"

using namespace vmk;
using namespace vmk::test;

Q_DECLARE_METATYPE(vmk::Outcome)

namespace {

struct CliFixture : DeviceFixture {
  QTemporaryDir dir;
  CliCall call{session, prompts, clock, ws.jobs};

  explicit CliFixture(int variant = 1) {
    add(1, variant);
    call.address = 1;
    call.programDir = dir.path() + QLatin1Char('/');
    for (int p = 1; p <= 8; ++p) device(1).calibration().setGain(p, 1.02);
  }
  Outcome run(const QString& verb, const QStringList& args, QHash<QString, QString> options,
              const QStringList& flags = {}) {
    const CliCommand* c = commandRegistry().findCli({verb});
    if (!c) qFatal("no such command");
    call.args = args;
    // vmkctl's prompts answer the password prompt with --password.
    if (options.contains(QStringLiteral("--password")))
      prompts.answerPassword(options.value(QStringLiteral("--password")));
    call.options = std::move(options);
    call.flags = QSet<QString>(flags.begin(), flags.end());
    return c->run(call);
  }
  Outcome service(const QStringList& args, const QString& password = QStringLiteral("AAAA")) {
    return run(QStringLiteral("service"), args, {{QStringLiteral("--password"), password}});
  }
  Outcome calibrate(QHash<QString, QString> options, const QStringList& flags = {}) {
    options.insert(QStringLiteral("--password"), QStringLiteral("AAAA"));
    return run(QStringLiteral("calibrate"), {}, options, flags);
  }
  bool usageError(const std::function<void()>& f) {
    try {
      f();
    } catch (const UsageError&) {
      return true;
    }
    return false;
  }
};

}  // namespace

class TestServiceCli : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void clearStatistics() {
    CliFixture f;
    QCOMPARE(f.service({"clear-stats"}), Outcome::Done);
    QCOMPARE(f.call.text, QStringList{"10:00:00 Статистика обнулена."});
    QVERIFY(f.call.data[QStringLiteral("carriedOut")].toBool());
    QVERIFY(!f.portOpen());
  }

  void serialNumberHeldAt65535() {
    CliFixture f;
    QCOMPARE(f.service({"serial", "70000"}), Outcome::Done);
    QCOMPARE(f.device(1).factoryNumber(), 65535);
    QCOMPARE(f.call.data[QStringLiteral("serialNumber")].toInt(), 65535);
  }

  void wrongUsage() {
    CliFixture f;
    QVERIFY(f.usageError([&] { f.service({"serial", "123456"}); }));
    QVERIFY(f.usageError([&] { f.service({"serial", "12x"}); }));
    QVERIFY(f.usageError([&] { f.service({"format"}); }));
    QVERIFY(f.usageError([&] { f.run("service", {"clear-stats"}, {}); }));
    QVERIFY(f.usageError([&] { f.calibrate({}); }));
    QVERIFY(f.usageError([&] { f.calibrate({{"--point", "9"}}); }));
    QVERIFY(f.usageError([&] { f.calibrate({{"--point", "1"}, {"--k", "0"}}); }));
    QVERIFY(f.requests().isEmpty());
  }

  void wrongPasswordSendsNothing() {
    CliFixture f;
    QCOMPARE(f.service({"erase-events"}, QStringLiteral("BBBB")), Outcome::WrongPassword);
    QVERIFY(f.plan.requestsOf(wire::kService).size() <= 1);  // the connection's nonce only
    QVERIFY(!f.device(1).journal().record(0).erased);
  }

  void automaticAdjustment() {
    CliFixture f;
    QCOMPARE(f.calibrate({{"--point", "3"}}, {"--auto"}), Outcome::Done);
    const QStringList& t = f.call.text;
    QCOMPARE(t.first(), QStringLiteral("10:00:00 Начало калибровки."));
    QVERIFY(t.contains(QStringLiteral("Режим юстировки - активирован.")));
    QVERIFY(t.contains(QStringLiteral("Автоматическая настройка успешно завершена! (Точка №3)")));
    QCOMPARE(t[t.size() - 2], QStringLiteral("10:00:00 Конец калибровки."));
    QVERIFY(t.last().startsWith(QStringLiteral("3\t")));
    QVERIFY(!f.device(1).calibration().calibrationMode());
    QVERIFY(f.call.data[QStringLiteral("calibration")].toObject()[QStringLiteral("adjusted")].toBool());
    QVERIFY(!f.portOpen());
  }

  void unreachableChannel() {
    CliFixture f;
    f.device(1).calibration().setGain(8, 0.5);
    QCOMPARE(f.calibrate({{"--point", "8"}}, {"--auto"}), Outcome::DeviceRefused);
    QVERIFY(f.call.text.contains(QStringLiteral("Не удалось настроить в автоматическом режиме! (Точка №8)")));
    QVERIFY(!f.device(1).calibration().calibrationMode());
  }

  void manualReadAndWrite() {
    CliFixture f;
    QCOMPARE(f.calibrate({{"--point", "2"}}), Outcome::Done);
    QCOMPARE(f.call.text.last(), QStringLiteral("2\t510\t0\t0"));  // read only
    CliFixture g;
    QCOMPARE(g.calibrate({{"--point", "2"}, {"--reference", "500"}}), Outcome::Done);
    QCOMPARE(g.call.text.last(), QStringLiteral("2\t510\t500\t201"));
    QCOMPARE(g.device(1).calibration().coefficient(2), 201);
    // A coefficient the device does not take is not written.
    CliFixture h;
    QCOMPARE(h.calibrate({{"--point", "2"}, {"--reference", "5000"}}), Outcome::InputRefused);
    QCOMPARE(h.device(1).calibration().coefficient(2), 205);
  }

  void variant3Points() {
    CliFixture f(3);
    QVERIFY(f.usageError([&] { f.calibrate({{"--point", "2"}}); }));
    CliFixture g(3);
    QCOMPARE(g.calibrate({{"--point", "1"}}, {"--auto"}), Outcome::Done);
  }
};

QTEST_GUILESS_MAIN(TestServiceCli)
#include "test_service_cli.moc"
