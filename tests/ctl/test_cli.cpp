// vmkctl's dispatch in-process, over a registry of stand-in commands: what
// a command sees of the command line, how its outcome becomes the exit
// code, its output in both forms, help, progress and cancel.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include "ctl/cli.h"
#include "device/device_client.h"
#include "device/port_settings.h"
#include "device/session.h"
#include "extlib/transport_error.h"
#include "model/prompts.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "tests/support/device_fixture.h"

using namespace vmk;
using namespace vmk::ctl;

Q_DECLARE_METATYPE(vmk::Outcome)

namespace {

// A registry of one command "probe" whose body the test gives, beside
// "params" and "params get" for the verb match.
struct Probe {
  CommandRegistry registry;
  std::function<Outcome(CliCall&)> body = [](CliCall&) { return Outcome::Done; };
  QString ran;  // usage of the command that ran
  QStringList args;
  QString out, err;
  QStringList progress;
  test::DeviceFixture devices;
  QTemporaryDir dir;
  std::unique_ptr<Cli> cli;

  Probe() {
    auto add = [this](QStringList verb, QString usage, QString summary, QString help) {
      registry.add(CliCommand{verb, usage, summary, help, [this, usage](CliCall& call) {
                                ran = usage;
                                args = call.args;
                                return body(call);
                              }});
    };
    add({"probe"}, "probe [--level N]", "looks at the call", "vmkctl probe: the whole help.\n");
    add({"params"}, "params WHAT", "the bare verb", "");
    add({"params", "get"}, "params get", "the longer verb", "params get: reads.\n");
    CliStreams streams;
    streams.out = [this](const QString& t) { out += t + QLatin1Char('\n'); };
    streams.err = [this](const QString& t) { err += t + QLatin1Char('\n'); };
    streams.progress = [this](const QString& t) { progress << t; };
    CliSetup setup;
    setup.linkFactory = devices.linkFactory();
    setup.programDir = dir.path() + QLatin1Char('/');
    setup.clock = &devices.clock;
    cli = std::make_unique<Cli>(registry, streams, setup);
  }
  int run(const QStringList& args) { return cli->run(args); }
  QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
};

}  // namespace

class TestCli : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void theExitCodeComesFromTheOutcome_data() {
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<int>("code");
    QTest::newRow("done") << Outcome::Done << 0;
    QTest::newRow("no answer") << Outcome::NoAnswer << 1;
    QTest::newRow("bad reply") << Outcome::BadReply << 1;
    QTest::newRow("port failure") << Outcome::PortFailure << 1;
    QTest::newRow("refused by the device") << Outcome::DeviceRefused << 1;
    QTest::newRow("cancelled") << Outcome::Cancelled << 1;
    QTest::newRow("wrong password") << Outcome::WrongPassword << 3;
    QTest::newRow("input refused") << Outcome::InputRefused << 3;
  }
  void theExitCodeComesFromTheOutcome() {
    QFETCH(Outcome, outcome);
    QFETCH(int, code);
    Probe p;
    // A box says nothing about the exit code; the outcome does.
    p.body = [outcome](CliCall& call) {
      call.prompts.error(QStringLiteral("Ошибка связи с устройством!"));
      return outcome;
    };
    QCOMPARE(p.run({"probe"}), code);
    QCOMPARE(p.err, QStringLiteral("Error: Ошибка связи с устройством!\n"));
    p.out.clear();
    QCOMPARE(p.run({"--json", "probe"}), code);
    QCOMPARE(p.json().value("exit").toInt(), code);
  }

  void theCallCarriesTheCommandLine() {
    Probe p;
    PortSettings rear;
    rear.portName = QStringLiteral("/dev/ttyRear");
    rear.baudRate = 19200;
    QVERIFY(savePortSettings(p.dir.filePath("Rear.ini"), rear));
    struct Seen {
      PortSettings settings;
      int timeout = 0;
      int sessionAddress = 0, address = 0;
      bool rear = false, json = true, secondary = false;
      QStringList args;
      std::optional<QString> group, password;
      QString programDir;
      QDateTime now;
    } seen;
    p.body = [&seen](CliCall& call) {
      seen.settings = call.session.Port1.settings();
      seen.timeout = call.session.modbus.GetTry();
      seen.sessionAddress = call.session.DeviceAddress;
      seen.address = call.address;
      seen.rear = call.rear;
      seen.json = call.json;
      seen.secondary = call.flag(QStringLiteral("--secondary"));
      seen.args = call.args;
      seen.group = call.option(QStringLiteral("--group"));
      seen.password = call.prompts.password();
      seen.programDir = call.programDir;
      seen.now = call.clock.now();
      return Outcome::Done;
    };
    QCOMPARE(p.run({"--connector", "rear", "--address", "7", "--timeout", "12", "probe", "one",
                    "--group", "2", "--secondary", "--password", "AAAA"}),
             0);
    QCOMPARE(seen.settings.portName, QStringLiteral("/dev/ttyRear"));
    QCOMPARE(seen.settings.effectiveBaudRate(), 19200);
    QCOMPARE(seen.timeout, 12);
    QCOMPARE(seen.sessionAddress, 7);
    QCOMPARE(seen.address, 7);
    QVERIFY(seen.rear);
    QVERIFY(!seen.json);
    QVERIFY(seen.secondary);
    QCOMPARE(seen.args, QStringList{"one"});
    QCOMPARE(seen.group, std::optional<QString>("2"));
    QCOMPARE(seen.password, std::optional<QString>("AAAA"));
    QCOMPARE(seen.programDir, p.dir.path() + QLatin1Char('/'));
    QCOMPARE(seen.now, p.devices.clock.now());

    // The options override the ini file; the front connector has one
    // device, at address 1.
    QCOMPARE(p.run({"--connector", "front", "--address", "7", "--port", "/dev/ttyX", "--baud",
                    "57600", "probe"}),
             0);
    QCOMPARE(seen.settings.portName, QStringLiteral("/dev/ttyX"));
    QCOMPARE(seen.settings.effectiveBaudRate(), 57600);
    QCOMPARE(seen.address, 1);
    QVERIFY(!seen.rear);
  }

  void theLongestVerbRuns() {
    Probe p;
    QCOMPARE(p.run({"params", "get", "x"}), 0);
    QCOMPARE(p.ran, QStringLiteral("params get"));
    QCOMPARE(p.args, QStringList{"x"});
    QCOMPARE(p.run({"params", "set"}), 0);
    QCOMPARE(p.ran, QStringLiteral("params WHAT"));
    QCOMPARE(p.args, QStringList{"set"});
  }

  void plainTextOrJsonWithTheBoxes() {
    Probe p;
    p.body = [](CliCall& call) {
      call.text << QStringLiteral("Ia = 50.0 A") << QStringLiteral("Ib = 0.0 A");
      call.data.insert(QStringLiteral("ia"), 50.0);
      call.prompts.box(MessageBox{QStringLiteral("Warning"), BoxIcon::Warning,
                                  QStringLiteral("Внимание"), {Button::Ok}});
      return Outcome::Done;
    };
    QCOMPARE(p.run({"probe"}), 0);
    QCOMPARE(p.out, QStringLiteral("Ia = 50.0 A\nIb = 0.0 A\n"));
    QCOMPARE(p.err, QStringLiteral("Warning: Внимание\n"));

    p.out.clear();
    p.err.clear();
    QCOMPARE(p.run({"--json", "probe"}), 0);
    const QJsonObject o = p.json();
    QCOMPARE(o.value("ia").toDouble(), 50.0);
    QCOMPARE(o.value("command").toString(), QStringLiteral("probe"));
    QCOMPARE(o.value("messages").toArray(), QJsonArray{QStringLiteral("Warning: Внимание")});
    QCOMPARE(o.value("exit").toInt(), 0);
    QVERIFY(p.err.isEmpty());
  }

  void usageErrorsExitTwoAndPrintNothing() {
    Probe p;
    p.body = [](CliCall&) -> Outcome { throw UsageError{QStringLiteral("--level is 1..3")}; };
    QCOMPARE(p.run({"probe", "--level", "9"}), 2);
    QVERIFY(p.out.isEmpty());
    QVERIFY(p.err.startsWith(QStringLiteral("vmkctl: --level is 1..3\n")));
    p.err.clear();
    QCOMPARE(p.run({"--address", "x", "probe"}), 2);
    QVERIFY(p.err.startsWith(QStringLiteral("vmkctl: --address needs a number")));
  }

  // --trace: each frame of the command on standard error, and only then.
  void traceShowsEveryFrameOnStandardError() {
    Probe p;
    p.devices.add(1);
    p.body = [](CliCall& call) {
      PortBracket bracket(call.session);
      return DeviceClient(call.session, 1).readStatus().outcome;
    };
    QCOMPARE(p.run({"--trace", "probe"}), 0);
    const QStringList lines = p.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} -> 01 07 41 e2  чтение статуса$"))
                 .match(lines[0]).hasMatch(), qPrintable(lines[0]));
    QVERIFY2(QRegularExpression(QStringLiteral("<- 01 07 01 [0-9a-f ]+ ok \\d+\\.\\d ms  статус 1$"))
                 .match(lines[1]).hasMatch(), qPrintable(lines[1]));
    p.err.clear();
    QCOMPARE(p.run({"probe"}), 0);
    QVERIFY(p.err.isEmpty());
  }

  void anUnhandledErrorIsShownAndThePortClosed() {
    Probe p;
    p.body = [](CliCall& call) -> Outcome {
      call.session.openPort();
      call.text << QStringLiteral("found so far");
      throw TransportError(QStringLiteral("Порт /dev/ttyX закрыт"));
    };
    QCOMPARE(p.run({"probe"}), 1);
    QCOMPARE(p.err, QStringLiteral("Error: Порт /dev/ttyX закрыт\n"));
    QCOMPARE(p.out, QStringLiteral("found so far\n"));
    QCOMPARE(p.devices.opens(), 1);
    QVERIFY(!p.cli->lastSession()->Port1.isOpen());
  }

  void helpListsTheRegisteredVerbs() {
    Probe p;
    QCOMPARE(p.run({"--help"}), 0);
    QVERIFY(p.out.contains(QStringLiteral("  probe [--level N]  looks at the call\n")));
    QVERIFY(p.out.contains(QStringLiteral("  params get         the longer verb\n")));
    p.out.clear();
    QCOMPARE(p.run({"probe", "--help"}), 0);
    QCOMPARE(p.out, QStringLiteral("vmkctl probe: the whole help.\n\n"));
    p.out.clear();
    // A word that begins several verbs: the help of each.
    QCOMPARE(p.run({"params", "--help"}), 0);
    QVERIFY(p.out.contains(QStringLiteral("params WHAT\n\nthe bare verb")));
    QVERIFY(p.out.contains(QStringLiteral("params get: reads.")));
    QVERIFY(p.ran.isEmpty());
    // No command: the general help on standard error.
    QCOMPARE(p.run({}), 2);
    QVERIFY(p.err.contains(QStringLiteral("Commands:")));
  }

  void aLongCommandShowsProgressAndStopsWhenAsked() {
    Probe p;
    p.body = [&p](CliCall& call) {
      Job job(call.jobs, 32);
      for (int address = 1; address <= 32; ++address) {
        // SIGINT arrives while address 5 is asked.
        if (address == 5) p.cli->jobs().requestCancel();
        if (!job.step(address - 1)) return Outcome::Cancelled;
        call.text << QStringLiteral("Устройство №%1").arg(address);
      }
      return Outcome::Done;
    };
    QCOMPARE(p.run({"probe"}), 1);
    QCOMPARE(p.out.count(QLatin1Char('\n')), 4);
    QVERIFY(p.out.endsWith(QStringLiteral("Устройство №4\n")));
    QCOMPARE(p.progress, (QStringList{"probe: 0/32", "probe: 1/32", "probe: 2/32", "probe: 3/32",
                                      "probe: 4/32", QString()}));
    // The request is forgotten: the next command runs to its end.
    p.out.clear();
    p.body = [](CliCall& call) {
      Job job(call.jobs, 2);
      return job.step(0) && job.step(1) ? Outcome::Done : Outcome::Cancelled;
    };
    QCOMPARE(p.run({"probe"}), 0);
  }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
