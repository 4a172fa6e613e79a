// The change log: one record per change with its fields, from every
// operation that changes a device and from none that only reads; a log
// that cannot be written is said and the operation keeps its outcome; a
// torn last line; a log per device name and number; each record shown in
// the grids' captions, values, units and bit names; vmkctl log.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include "changelog/change_log.h"
#include "ctl/cli.h"
#include "device/device_client.h"
#include "device/session.h"
#include "extlib/registers.h"
#include "model/text_grid.h"
#include "monitor/remote_control.h"
#include "params/catalogue.h"
#include "service/change_password.h"
#include "service/service_menu.h"
#include "shell/changelog_commands.h"
#include "shell/command_registry.h"
#include "shell/params_commands.h"
#include "tests/params/param_sample.h"
#include "tests/support/setting_row.h"
#include "viewer/signal_names.h"

using namespace vmk;
using test::settingRow;

namespace {

struct Bench : test::ParamFixture {
  QTemporaryDir dir;
  ChangeLog log{dir.filePath("changes")};
  Bench() {
    test::loadSample(dev);
    dev.setRegister(reg::kFactoryNumber, 4321);
    connectTo(1);
    log.attach(session, clock);
    ws.parameters.params.clearParameters();
    ws.parameters.params.clearSettings(1);
    ws.changeLog = &log;
  }
  QString file() const { return log.fileOf(session.vmk.Name, 4321); }
  QVector<ChangeRecord> records() { return readChangeLog(file()).records; }
  QString password() { return test::passwordOf(dev); }
  // vmkctl in-process on this bench's bus, clock and log.
  ctl::CliSetup cliSetup() {
    ctl::CliSetup setup;
    setup.linkFactory = linkFactory();
    setup.programDir = dir.path() + QLatin1Char('/');
    setup.clock = &clock;
    setup.changeLogFolder = log.folder();
    return setup;
  }
};

}  // namespace

class TestChangeLog : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void aWriteLeavesOneRecordPerRegister() {
    Bench b;
    QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
    QVERIFY(b.records().isEmpty());  // reading changes nothing
    putRowText(b.ws.parameters.params, 2, settingRow(6), QStringLiteral("0.40"));
    b.ws.parameters.params.setMarked(2, settingRow(6), true);
    putRowText(b.ws.parameters.params, 1, 10, QStringLiteral("0110001000000000000011"));
    b.ws.parameters.params.setMarked(1, 10, true);
    b.dev.holdBack(97);
    b.prompts.answerPassword(b.password());
    actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c());

    const QVector<ChangeRecord> r = b.records();
    QCOMPARE(r.size(), 3);
    for (const ChangeRecord& c : r) {
      QCOMPARE(c.time, b.clock.now());
      QVERIFY(!c.user.isEmpty());
      QCOMPARE(c.device, b.session.vmk.Name);
      QVERIFY(!c.device.isEmpty());
      QCOMPARE(c.serial, 4321);
      QCOMPARE(c.change.address, 1);
      QCOMPARE(c.change.operation, QStringLiteral("Запись параметров и уставок"));
      QCOMPARE(c.change.function, 6);
      QCOMPARE(c.change.outcome, Outcome::Done);
    }
    // Grid1 first: indicator 1 low then high, then the setting.
    QCOMPARE(r[0].change.reg, std::optional<int>(96));
    QCOMPARE(r[0].change.before, std::optional<std::uint16_t>(0x8001));
    QCOMPARE(r[0].change.after, QString::number(0x8003));
    QCOMPARE(r[0].change.readBack, ReadBack::Holds);
    QCOMPARE(r[1].change.reg, std::optional<int>(97));
    QCOMPARE(r[1].change.before, std::optional<std::uint16_t>(33));
    QCOMPARE(r[1].change.after, QStringLiteral("24"));
    QCOMPARE(r[1].change.readBack, ReadBack::Differs);
    QCOMPARE(r[1].change.readValue, std::optional<std::uint16_t>(33));
    QCOMPARE(r[2].change.reg, std::optional<int>(262));
    QCOMPARE(r[2].change.before, std::optional<std::uint16_t>(25));
    QCOMPARE(r[2].change.after, QStringLiteral("40"));
    QCOMPARE(r[2].change.readValue, std::optional<std::uint16_t>(40));

    // The next write knows the value before from the read-back.
    putRowText(b.ws.parameters.params, 2, settingRow(6), QStringLiteral("0.45"));
    b.ws.parameters.params.setMarked(2, settingRow(6), true);
    b.ws.parameters.params.setMarked(1, 10, false);
    b.prompts.answerPassword(b.password());
    QVERIFY(actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
    QCOMPARE(b.records().size(), 4);
    QCOMPARE(b.records().last().change.before, std::optional<std::uint16_t>(40));
  }

  void everyOperationThatChangesTheDeviceIsLogged() {
    Bench b;
    QDateTime moment(QDate(2012, 3, 4), QTime(5, 6, 7));
    QCOMPARE(sendRemoteCommand(b.session, RemoteCommand::Relay2), Outcome::Done);
    QCOMPARE(sendRemoteCommand(b.session, RemoteCommand::Acknowledge), Outcome::Done);
    QCOMPARE(sendRemoteCommand(b.session, RemoteCommand::RecorderStart), Outcome::Done);
    QCOMPARE(sendRemoteCommand(b.session, RemoteCommand::ClockSet, moment), Outcome::Done);
    {
      PortBracket port(b.session);
      QCOMPARE(SendServiceCommand(b.session, b.password(), reg::kServiceEraseEvents, 0),
               Outcome::Done);
    }
    b.prompts.answerChangePassword(PasswordChange{b.password(), "WXYZ", "WXYZ"});
    QCOMPARE(changePassword(b.session, b.prompts, b.password()), Outcome::Done);
    {
      PortBracket port(b.session);
      DeviceClient(b.session).calibration(3, 3, 7, 2, 120, 0);
    }
    const QVector<ChangeRecord> r = b.records();
    QStringList operations;
    for (const ChangeRecord& c : r) operations << c.change.operation;
    QCOMPARE(operations, (QStringList{"Команда реле 2", "Квитирование", "Пуск осциллографа",
                                      "Установка часов", "Стирание событий", "Смена пароля",
                                      "Смена пароля", "Запись коэффициента калибровки"}));
    QCOMPARE(r[3].change.after, QStringLiteral("04.03.2012 05:06:07"));
    QCOMPARE(r[1].change.reg, std::optional<int>(reg::kCommandAcknowledge));
    // The password stays out of the log.
    for (int i : {5, 6}) {
      QCOMPARE(r[i].change.after, QStringLiteral("*****"));
      QVERIFY(!r[i].change.before);
    }
    QCOMPARE(r[7].change.reg, std::optional<int>(2));
    QCOMPARE(r[7].change.after, QStringLiteral("120"));
  }

  void readingAndConnectingLogNothing() {
    Bench b;
    b.connectTo(1);
    {
      PortBracket port(b.session);
      DeviceClient d(b.session);
      // The first nonce of a connection: access code 0, which no device takes.
      d.service(reg::kServiceClearStats, 0, 0);
      d.readRegisters(reg::kSetup);
      d.calibration(2, 4, 8, 1, 0, 0);
    }
    QVERIFY(b.records().isEmpty());
  }

  void aRefusedOrUnansweredChangeIsLoggedWithItsOutcome() {
    Bench b;
    b.plan.fault = [](const QByteArray&) { return test::Fault::Silence; };
    b.session.modbus.SetTry(1);
    QCOMPARE(sendRemoteCommand(b.session, RemoteCommand::Acknowledge), Outcome::NoAnswer);
    b.plan.fault = [](const QByteArray&) { return test::Fault::Throw; };
    QVERIFY_THROWS_EXCEPTION(std::exception, sendRemoteCommand(b.session, RemoteCommand::Relay1));
    const QVector<ChangeRecord> r = b.records();
    QCOMPARE(r.size(), 2);
    QCOMPARE(r[0].change.outcome, Outcome::NoAnswer);
    QCOMPARE(r[1].change.outcome, Outcome::PortFailure);
  }

  void aLogThatCannotBeWrittenIsSaid() {
    Bench b;
    // A file where the log's folder belongs.
    QFile blocker(b.dir.filePath("changes"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QCOMPARE(sendRemoteCommand(b.session, RemoteCommand::Acknowledge), Outcome::Done);
    QCOMPARE(sendRemoteCommand(b.session, RemoteCommand::Relay1), Outcome::Done);
    reportChangeLogFailure(&b.log, b.prompts);
    QCOMPARE(b.prompts.boxTexts().size(), 1);
    QVERIFY2(b.prompts.boxTexts().first().startsWith(QStringLiteral("Не удалось записать журнал изменений")),
             qPrintable(b.prompts.boxTexts().first()));
    reportChangeLogFailure(&b.log, b.prompts);
    QCOMPARE(b.prompts.boxTexts().size(), 1);

    // vmkctl: the command's own exit code, and the message.
    QString out, err;
    ctl::CliStreams streams;
    streams.out = [&out](const QString& t) { out += t + QLatin1Char('\n'); };
    streams.err = [&err](const QString& t) { err += t + QLatin1Char('\n'); };
    ctl::Cli cli(commandRegistry(), streams, b.cliSetup());
    QCOMPARE(cli.run({"command", "ack", "--password", b.password()}), 0);
    QVERIFY2(err.contains(QStringLiteral("Не удалось записать журнал изменений")), qPrintable(err));
  }

  void aTornLastLineIsPassedOver() {
    Bench b;
    QCOMPARE(sendRemoteCommand(b.session, RemoteCommand::Acknowledge), Outcome::Done);
    QCOMPARE(sendRemoteCommand(b.session, RemoteCommand::Relay1), Outcome::Done);
    QFile f(b.file());
    QVERIFY(f.open(QIODevice::Append));
    f.write("{\"time\":\"2011-05-20 10:00:00.000\",\"us");
    f.close();
    const ChangeLogReading reading = readChangeLog(b.file());
    QCOMPARE(reading.records.size(), 2);
    QCOMPARE(reading.damaged, 1);
    // The next record starts a line of its own: the torn one does not take
    // it down with it.
    QCOMPARE(sendRemoteCommand(b.session, RemoteCommand::Relay2), Outcome::Done);
    const ChangeLogReading after = readChangeLog(b.file());
    QCOMPARE(after.records.size(), 3);
    QCOMPARE(after.damaged, 1);
    QCOMPARE(after.records.last().change.operation, QStringLiteral("Команда реле 2"));
  }

  void theFilterLooksAtEveryField() {
    Bench b;
    QCOMPARE(sendRemoteCommand(b.session, RemoteCommand::Acknowledge), Outcome::Done);
    QCOMPARE(sendRemoteCommand(b.session, RemoteCommand::Relay3), Outcome::Done);
    const QVector<ChangeRecord> all = b.records();
    QCOMPARE(filterRecords(all, QStringLiteral("квитир")).size(), 1);
    QCOMPARE(filterRecords(all, QStringLiteral("4321")).size(), 2);
    QCOMPARE(filterRecords(all, QString()).size(), 2);
    QCOMPARE(filterRecords(all, QStringLiteral("нет такого")).size(), 0);
  }

  // Devices of two kinds with one factory number keep their own logs: a
  // file per name and number. The records of the log of an older version
  // (by number alone, every name in it) show for the device they name.
  void devicesOfTwoKindsWithOneNumberKeepTheirOwnLogs() {
    Bench b;
    const QString own = b.session.vmk.Name;
    const QString other = QStringLiteral("ВМК-02/01 ");
    QVERIFY(!own.isEmpty() && own.trimmed() != other.trimmed());
    const auto record = [](const QString& device, const char* operation, QTime at) {
      ChangeRecord r;
      r.time = QDateTime(QDate(2011, 5, 20), at);
      r.user = QStringLiteral("u");
      r.device = device;
      r.serial = 4321;
      r.change.operation = QString::fromUtf8(operation);
      return r;
    };
    {
      QVERIFY(QDir().mkpath(b.log.folder()));
      QFile old(b.log.oldFileOf(4321));
      QVERIFY(old.open(QIODevice::WriteOnly));
      for (const ChangeRecord& r : {record(own, "старая своя", QTime(8, 0)), record(other, "старая чужая", QTime(8, 30))})
        old.write(QJsonDocument(toJson(r)).toJson(QJsonDocument::Compact) + '\n');
    }
    QCOMPARE(sendRemoteCommand(b.session, RemoteCommand::Acknowledge), Outcome::Done);
    QVERIFY(b.log.append(record(other, "новая чужая", QTime(11, 0))));

    QVERIFY2(b.file().endsWith(QStringLiteral("/ВМК-01.01_4321.jsonl")), qPrintable(b.file()));
    QVERIFY2(b.log.fileOf(other, 4321).endsWith(QStringLiteral("/ВМК-02_01_4321.jsonl")),
             qPrintable(b.log.fileOf(other, 4321)));
    const auto operations = [](const ChangeLogReading& reading) {
      QStringList out;
      for (const ChangeRecord& r : reading.records) out << r.change.operation;
      return out;
    };
    QCOMPARE(operations(readDeviceLog(b.log, own, 4321)), (QStringList{"старая своя", "Квитирование"}));
    QCOMPARE(operations(readDeviceLog(b.log, other, 4321)), (QStringList{"старая чужая", "новая чужая"}));
    QCOMPARE(operations(readNumberLog(b.log, 4321)),
             (QStringList{"старая своя", "старая чужая", "Квитирование", "новая чужая"}));

    // vmkctl: the connected device's own, every name of a number, one name.
    QString out;
    ctl::CliStreams streams;
    streams.out = [&out](const QString& t) { out += t + QLatin1Char('\n'); };
    streams.err = [](const QString&) {};
    ctl::Cli cli(commandRegistry(), streams, b.cliSetup());
    const auto printed = [&](const QStringList& args) {
      out.clear();
      if (cli.run(args) != 0) return QStringList{QStringLiteral("failed")};
      QStringList ops;
      for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) ops << line.section(QLatin1Char('\t'), 5, 5);
      return ops;
    };
    QCOMPARE(printed({"log"}), (QStringList{"старая своя", "Квитирование"}));
    QCOMPARE(printed({"log", "--serial", "4321"}),
             (QStringList{"старая своя", "старая чужая", "Квитирование", "новая чужая"}));
    QCOMPARE(printed({"log", "--serial", "4321", "--name", other.trimmed()}),
             (QStringList{"старая чужая", "новая чужая"}));
  }

  // A record reads as the grids show its row: the caption (a setting with
  // its group), the values with the unit, the bits named, the register and
  // raw words as detail; a change no row shows reads plainly.
  void aRecordIsShownInTheGridsTerms_data() {
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("before");  // -1: not known
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("readValue");  // -1: read back as sent
    QTest::addColumn<QStringList>("shown");  // caption, before, after, bits, read-back, detail
    QTest::newRow("scaled setting")
        << 6 << 261 << 20000 << "11250" << 11000
        << QStringList{"Группа 1: Ток МТЗ-1, кратность In (A)", "40,00 In", "22,50 In", "",
                       "не совпадает: прочитано 22,00 In", "функция 6, регистр 261: 20000 → 11250"};
    QTest::newRow("bit setting")
        << 6 << 512 << 0b1001 << "3" << -1
        << QStringList{"Группа 2: Активные ступени", "000000000001001", "000000000000011",
                       "+ МТЗ-2, − ЗНЗ", "совпадает", "функция 6, регистр 512: 9 → 3"};
    QTest::newRow("high part, before not known")
        << 6 << 97 << -1 << "2" << -1
        << QStringList{"Индикатор 1 (старшее слово)", "", "000010", "+ Ускорение МТЗ", "совпадает",
                       "функция 6, регистр 97: — → 2"};
    QTest::newRow("register without a row")
        << 6 << 65 << 3 << "4" << -1
        << QStringList{"Регистр 65", "3", "4", "", "совпадает", "функция 6, регистр 65: 3 → 4"};
    QTest::newRow("command")
        << 5 << 0x3005 << -1 << "0xff00" << -1
        << QStringList{"Команда 0x3005", "", "0xff00", "", "совпадает",
                       "функция 5, код 0x3005: — → 0xff00"};
  }
  void aRecordIsShownInTheGridsTerms() {
    QFETCH(int, function);
    QFETCH(int, reg);
    QFETCH(int, before);
    QFETCH(QString, after);
    QFETCH(int, readValue);
    QFETCH(QStringList, shown);
    ChangeRecord r;
    r.time = QDateTime(QDate(2013, 1, 15), QTime(10, 0));
    r.user = QStringLiteral("u");
    DeviceChange& c = r.change;
    c.function = function;
    c.reg = reg;
    if (before >= 0) c.before = std::uint16_t(before);
    c.after = after;
    c.readBack = readValue >= 0 ? ReadBack::Differs : ReadBack::Holds;
    if (readValue >= 0) c.readValue = std::uint16_t(readValue);
    const QStringList cells = recordCells(r, view::signalName, QLocale(QLocale::Russian));
    QCOMPARE(cells.size(), changeLogColumns().size());
    using namespace change_column;
    QCOMPARE((QStringList{cells[kCaption], cells[kBefore], cells[kAfter], cells[kBits],
                          cells[kReadBack], cells[kDetail]}),
             shown);
  }

  void vmkctlLogPrintsTheDevicesLog() {
    Bench b;
    QCOMPARE(sendRemoteCommand(b.session, RemoteCommand::Acknowledge), Outcome::Done);
    QString out, err;
    ctl::CliStreams streams;
    streams.out = [&out](const QString& t) { out += t + QLatin1Char('\n'); };
    streams.err = [&err](const QString& t) { err += t + QLatin1Char('\n'); };
    ctl::Cli cli(commandRegistry(), streams, b.cliSetup());
    QCOMPARE(cli.run({"log", "--serial", "4321"}), 0);
    QCOMPARE(out.count(QLatin1Char('\n')), 1);
    QVERIFY2(out.contains(QStringLiteral("\t4321\t1\tКвитирование\tКоманда 0x3005\t\t0xff00\t")),
             qPrintable(out));
    // Without --serial it asks the device; vmkctl's own changes go there too.
    QCOMPARE(cli.run({"command", "relay", "2", "--password", b.password()}), 0);
    out.clear();
    QCOMPARE(cli.run({"--json", "log"}), 0);
    const QJsonObject o = QJsonDocument::fromJson(out.toUtf8()).object();
    QCOMPARE(o.value("serial").toInt(), 4321);
    const QJsonArray records = o.value("records").toArray();
    QCOMPARE(records.size(), 2);
    QCOMPARE(records[1].toObject().value("operation").toString(), QStringLiteral("Команда реле 2"));
    QCOMPARE(records[1].toObject().value("register").toInt(), reg::kCommandRelay1 + 1);
    QCOMPARE(records[1].toObject().value("caption").toString(), QStringLiteral("Команда 0x3001"));
    QCOMPARE(cli.run({"log", "--serial", "x"}), 2);
    out.clear();
    QCOMPARE(cli.run({"log", "--serial", "77"}), 0);
    QCOMPARE(out, QString());
  }
};

QTEST_GUILESS_MAIN(TestChangeLog)
#include "test_change_log.moc"
