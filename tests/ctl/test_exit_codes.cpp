// vmkctl's registered commands against the in-process bus: the exit code
// comes from what the device and the line did, and the port is closed
// after every command.

#include <QTemporaryDir>
#include <QtTest>

#include "ctl/cli.h"
#include "device/session.h"
#include "extlib/wire_table.h"
#include "shell/command_registry.h"
#include "tests/support/device_fixture.h"

using namespace vmk;
using namespace vmk::ctl;

namespace {

enum class Line { Sound, RefuseCommands, SilentFromThird };

}  // namespace

Q_DECLARE_METATYPE(Line)

class TestExitCodes : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void exitCodesFromWhatHappened_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<Line>("line");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("box");
    const QStringList relay{"command", "relay", "3", "--password", "AAAA"};
    QTest::newRow("carried out") << relay << Line::Sound << 0 << QString();
    QTest::newRow("nobody at the address")
        << QStringList{"--connector", "rear", "--address", "7", "info"} << Line::Sound << 1
        << QStringLiteral("Error: Связи с устройством №7 нет");
    QTest::newRow("the line goes silent") << QStringList{"live"} << Line::SilentFromThird << 1
                                          << QStringLiteral("Error: ");
    QTest::newRow("the device refuses the command") << relay << Line::RefuseCommands << 1
                                                    << QStringLiteral("Error: ");
    QTest::newRow("wrong password") << QStringList{"command", "ack", "--password", "ABCD"}
                                    << Line::Sound << 3
                                    << QStringLiteral("Error: Ошибка ввода пароля!");
  }
  void exitCodesFromWhatHappened() {
    QFETCH(QStringList, args);
    QFETCH(Line, line);
    QFETCH(int, code);
    QFETCH(QString, box);
    test::DeviceFixture devices;
    devices.add(1);
    if (line == Line::RefuseCommands)
      devices.plan.fault = [](const QByteArray& r) {
        return r.size() > 1 && std::uint8_t(r[1]) == wire::kWriteCoil ? test::Fault::Refuse
                                                                       : test::Fault::None;
      };
    if (line == Line::SilentFromThird) devices.plan.fault = test::silentFrom(3, devices.plan);
    QTemporaryDir dir;
    QString out, err;
    CliStreams streams;
    streams.out = [&out](const QString& t) { out += t + QLatin1Char('\n'); };
    streams.err = [&err](const QString& t) { err += t + QLatin1Char('\n'); };
    CliSetup setup;
    setup.linkFactory = devices.linkFactory();
    setup.programDir = dir.path() + QLatin1Char('/');
    setup.clock = &devices.clock;
    Cli cli(commandRegistry(), streams, setup);

    QCOMPARE(cli.run(QStringList{"--timeout", "1"} + args), code);
    if (box.isEmpty())
      QVERIFY2(err.isEmpty(), qPrintable(err));
    else
      QVERIFY2(err.contains(box), qPrintable(err));
    QVERIFY(cli.lastSession() && !cli.lastSession()->Port1.isOpen());
    if (code == 3) QVERIFY(devices.plan.requestsOf(wire::kWriteCoil).isEmpty());
    if (line == Line::RefuseCommands) QCOMPARE(devices.plan.requestsOf(wire::kWriteCoil).size(), 1);
  }
};

QTEST_GUILESS_MAIN(TestExitCodes)
#include "test_exit_codes.moc"
