// vmkctl's "live" and "command" as registered commands, run on the
// operation fixture: what a script reads and which outcome (exit code) it
// gets.

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

#include "ctl/exit_code.h"
#include "extlib/crc16.h"
#include "extlib/memory_link.h"
#include "extlib/registers.h"
#include "extlib/wire_table.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "tests/support/device_fixture.h"

using namespace vmk;
using namespace vmk::test;

Q_DECLARE_METATYPE(vmk::Outcome)

namespace {

// A device at address 1 on the front connector with transformers 200/5 and
// 30/10 and the password ABCD, and a vmkctl call on it.
struct CliFixture : DeviceFixture {
  CliCall call{session, prompts, clock, ws.jobs};

  CliFixture() : DeviceFixture(QDateTime(QDate(2011, 3, 14), QTime(9, 26, 53))) {
    sim::Device& d = add(1);
    d.setRegister(reg::kCtPrimary, 200);
    d.setRegister(reg::kCtSecondary, 5);
    d.setRegister(reg::kEarthCtPrimary, 30);
    d.setRegister(reg::kEarthCtSecondary, 10);
    d.setRegister(reg::kPassword, 'A' << 8 | 'B');
    d.setRegister(reg::kPasswordLow, 'C' << 8 | 'D');
    for (int r = reg::kStageFlags; r <= reg::kReclosingFlag; ++r) d.setRegister(r, 0);
    call.address = 1;
  }

  // Runs "vmkctl WORDS" with the given options and flags.
  Outcome run(const QStringList& words, const QHash<QString, QString>& options = {},
              const QSet<QString>& flags = {}) {
    const CliCommand* c = commandRegistry().findCli(words);
    if (!c) qFatal("no such command");
    call.args = words.mid(c->verb.size());
    // vmkctl answers the password prompt with --password.
    if (options.contains(QStringLiteral("--password")))
      prompts.answerPassword(options.value(QStringLiteral("--password")));
    call.options = options;
    call.flags = flags;
    return c->run(call);
  }

  QList<QByteArray> commandsSent() const { return plan.requestsOf(wire::kWriteCoil); }
};

const QHash<QString, QString> kPassword{{QStringLiteral("--password"), QStringLiteral("ABCD")}};

}  // namespace

class TestMonitorCli : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void livePrintsThePageTexts_data() {
    QTest::addColumn<bool>("secondary");
    QTest::addColumn<QString>("ia");
    QTest::addColumn<QString>("io");
    QTest::newRow("primary") << false << "Ia = 100.0 A" << "Io = 111 mA";
    QTest::newRow("secondary") << true << "Ia = 2.50 A" << "Io = 37 mA";
  }

  void livePrintsThePageTexts() {
    QFETCH(bool, secondary);
    QFETCH(QString, ia);
    QFETCH(QString, io);
    CliFixture f;
    sim::Device& d = f.device();
    d.setRegister(reg::kInputs, 0b000011);
    d.setRegister(reg::kIa, 250);
    d.setRegister(reg::kIo, 37);
    d.setRegister(reg::kStageFlags, 1);
    QSet<QString> flags;
    if (secondary) flags << QStringLiteral("--secondary");
    QCOMPARE(f.run({QStringLiteral("live")}, {}, flags), Outcome::Done);

    const QStringList& t = f.call.text;
    QCOMPARE(t.size(), 11);
    QCOMPARE(t[0], ia);
    QCOMPARE(t[3], io);
    QCOMPARE(t[6], QStringLiteral("Ктт = 200/5"));
    QCOMPARE(t[7], QStringLiteral("КттЗНЗ (mA)= 30/10"));
    QCOMPARE(t[8], QStringLiteral("Вход 1: 1  Вход 2: 1  Вход 3: 0  Вход 4: 0  Вход 5: 0  Вход 6: 0"));
    QCOMPARE(t[9], QStringLiteral("МТЗ 1 ступень Работа защиты. "));
    QCOMPARE(t[10], QStringLiteral("09:26:53 Обновление информации"));
    QVERIFY(f.prompts.boxTexts().isEmpty());
    QVERIFY(!f.portOpen());
  }

  void liveJsonGivesNumbersBesideTheTexts() {
    CliFixture f;
    f.device().setRegister(reg::kIa, 250);
    f.device().setRegister(reg::kIo, 37);
    f.device().setRegister(reg::kInputs, 0b100000);
    f.device().setRegister(reg::kReclosingFlag, 1);
    f.call.json = true;
    QCOMPARE(f.run({QStringLiteral("live")}), Outcome::Done);

    const QJsonObject& o = f.call.data;
    QCOMPARE(o[QStringLiteral("values")].toString(), QStringLiteral("primary"));
    const QJsonObject ia = o[QStringLiteral("currents")][QStringLiteral("Ia")].toObject();
    QCOMPARE(ia[QStringLiteral("unit")].toString(), QStringLiteral("A"));
    QCOMPARE(ia[QStringLiteral("secondary")].toDouble(), 2.5);
    QCOMPARE(ia[QStringLiteral("primary")].toDouble(), 100.0);
    QCOMPARE(ia[QStringLiteral("text")].toString(), QStringLiteral("Ia = 100.0 A"));
    const QJsonObject ioJson = o[QStringLiteral("currents")][QStringLiteral("Io")].toObject();
    QCOMPARE(ioJson[QStringLiteral("secondary")].toDouble(), 0.037);
    QCOMPARE(ioJson[QStringLiteral("primary")].toDouble(), 0.111);
    QCOMPARE(o[QStringLiteral("ratios")][QStringLiteral("phase")].toInt(), 40);
    QCOMPARE(o[QStringLiteral("inputs")].toArray(),
             (QJsonArray{false, false, false, false, false, true}));
    QCOMPARE(o[QStringLiteral("stages")][0][QStringLiteral("name")].toString(),
             QStringLiteral("МТЗ 1 ступень"));
    QCOMPARE(o[QStringLiteral("stages")][0][QStringLiteral("operated")].toBool(), false);
    QCOMPARE(o[QStringLiteral("reclosing")].toBool(), true);
    QCOMPARE(o[QStringLiteral("labels")][QStringLiteral("lblCurrN")].toString(),
             QStringLiteral("Io = 111 mA"));
    QCOMPARE(o[QStringLiteral("memo")].toArray().last().toString(),
             QStringLiteral("09:26:53 Обновление информации"));
  }

  // A zero secondary: zeros and the page's error, a null primary in JSON,
  // and a failure for the script; secondary values do not need the ratio.
  void liveWithoutRatios() {
    CliFixture f;
    f.device().setRegister(reg::kEarthCtSecondary, 0);
    f.device().setRegister(reg::kIa, 250);
    QCOMPARE(f.run({QStringLiteral("live")}), Outcome::BadReply);
    QCOMPARE(f.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка чтения измерения")});
    QCOMPARE(f.call.text.first(), QStringLiteral("Ia = 0.000 A"));
    QVERIFY(f.call.data[QStringLiteral("currents")][QStringLiteral("Ia")][QStringLiteral("primary")]
                .isNull());
    QVERIFY(f.call.data[QStringLiteral("ratios")].isNull());

    CliFixture g;
    g.device().setRegister(reg::kEarthCtSecondary, 0);
    QCOMPARE(g.run({QStringLiteral("live")}, {}, {QStringLiteral("--secondary")}), Outcome::Done);
    QVERIFY(g.prompts.boxTexts().isEmpty());
  }

  void liveLinkFailure() {
    CliFixture f;
    // The connection answers; the live block does not.
    f.plan.fault = [](const QByteArray& r) {
      const bool live = std::uint8_t(r[1]) == wire::kReadHolding && wire::wordAt(r, 2) == reg::kLive.first;
      return live ? Fault::Silence : Fault::None;
    };
    const Outcome o = f.run({QStringLiteral("live")});
    QCOMPARE(o, Outcome::NoAnswer);
    QCOMPARE(ctl::exitCodeOf(o), ctl::kDeviceFailure);
    QCOMPARE(f.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка связи с устройством!")});
    QVERIFY(f.call.text.isEmpty());
    QVERIFY(!f.portOpen());
  }

  void silentDeviceIsNotRefreshed() {
    CliFixture f;
    f.device().setPowered(false);
    QVERIFY(f.run({QStringLiteral("live")}) != Outcome::Done);
    QVERIFY(f.plan.requestsOf(wire::kReadHolding).isEmpty());
  }

  void confirmedCommands_data() {
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("line");
    QTest::newRow("relay 3") << QStringList{"command", "relay", "3"} << "09:26:53 Команда управления реле 3";
    QTest::newRow("ack") << QStringList{"command", "ack"} << "09:26:53 Квитирование аварий";
    QTest::newRow("recorder") << QStringList{"command", "start-recorder"}
                              << "09:26:53 Удаленный пуск регистратора";
  }

  void confirmedCommands() {
    QFETCH(QStringList, words);
    QFETCH(QString, line);
    CliFixture f;
    QCOMPARE(f.run(words, kPassword), Outcome::Done);
    QCOMPARE(f.call.text, QStringList{line});
    QCOMPARE(f.call.data[QStringLiteral("memo")].toArray(), QJsonArray{line});
    QCOMPARE(f.commandsSent().size(), 1);
    QVERIFY(!f.portOpen());
  }

  void syncAtAGivenMoment() {
    CliFixture f;
    QCOMPARE(f.run({QStringLiteral("command"), QStringLiteral("sync")},
                   {{QStringLiteral("--password"), QStringLiteral("ABCD")},
                    {QStringLiteral("--at"), QStringLiteral("01.02.2011 13:05:07")}}),
             Outcome::Done);
    QCOMPARE(f.call.text,
             QStringList{QStringLiteral("09.26.53 Синхронизация времени. Установлено 01.02.2011 13.05.07")});
    QCOMPARE(f.device().clock(), QDateTime(QDate(2011, 2, 1), QTime(13, 5, 7)));
  }

  // What a script's exit code comes from: a wrong password is refused
  // before anything is sent; a command the device does not confirm is a
  // device failure and says so.
  void refusedCommands_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("answers");  // the device answers the command
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");
    QTest::newRow("wrong password") << "ABCE" << true << Outcome::WrongPassword << 3
                                    << "Ошибка ввода пароля!";
    QTest::newRow("not confirmed") << "ABCD" << false << Outcome::DeviceRefused << 1
                                   << "Устройство не подтвердило команду";
  }

  void refusedCommands() {
    QFETCH(QString, password);
    QFETCH(bool, answers);
    QFETCH(Outcome, outcome);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    CliFixture f;
    int links = 0;
    if (!answers) {
      // The connection's link goes to the bus; the command's gets an echo
      // whose value byte does not confirm it.
      f.session.Port1.setLinkFactory([&f, &links](const PortSettings&) -> std::unique_ptr<SerialLink> {
        if (links++ == 0) return std::make_unique<FaultLink>(std::make_unique<sim::BusLink>(f.bus), f.plan);
        return std::make_unique<MemoryLink>([](const QByteArray& request) {
          return wire::withCrc(request.left(4) + QByteArray::fromHex("0000"));
        });
      });
    }
    const Outcome o = f.run({QStringLiteral("command"), QStringLiteral("ack")},
                            {{QStringLiteral("--password"), password}});
    QCOMPARE(o, outcome);
    QCOMPARE(int(ctl::exitCodeOf(o)), exitCode);
    QCOMPARE(f.prompts.boxTexts(), QStringList{error});
    QVERIFY(f.call.text.isEmpty());
    if (answers) QVERIFY(f.commandsSent().isEmpty());
    QVERIFY(!f.portOpen());
  }

  void usageErrors_data() {
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QStringList>("options");  // name, value, name, value ...
    const QStringList password{"--password", "ABCD"};
    QTest::newRow("relay 6") << QStringList{"command", "relay", "6"} << password;
    QTest::newRow("relay x") << QStringList{"command", "relay", "x"} << password;
    QTest::newRow("no command") << QStringList{"command"} << password;
    QTest::newRow("unknown") << QStringList{"command", "reset"} << password;
    QTest::newRow("no password") << QStringList{"command", "ack"} << QStringList();
    QTest::newRow("--at of a relay") << QStringList{"command", "relay", "1"}
                                     << (password + QStringList{"--at", "01.02.2011 13:05:07"});
    QTest::newRow("--at unreadable") << QStringList{"command", "sync"}
                                     << (password + QStringList{"--at", "2011-02-01 13:05"});
    QTest::newRow("live with words") << QStringList{"live", "now"} << QStringList();
  }

  void usageErrors() {
    QFETCH(QStringList, words);
    QFETCH(QStringList, options);
    CliFixture f;
    QHash<QString, QString> o;
    for (int k = 0; k + 1 < options.size(); k += 2) o.insert(options[k], options[k + 1]);
    QVERIFY_THROWS_EXCEPTION(UsageError, f.run(words, o));
    QCOMPARE(f.opens(), 0);
  }
};

QTEST_GUILESS_MAIN(TestMonitorCli)
#include "test_monitor_cli.moc"
