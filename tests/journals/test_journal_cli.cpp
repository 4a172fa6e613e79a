// vmkctl's "events", "stats" and "alarms" on the operation fixture: the
// lines a script reads, the typed JSON fields, the CSV file, the device
// variant without journals, and what a reading that stops leaves.

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "tests/journals/journal_support.h"

using namespace vmk;
using namespace vmk::test;

Q_DECLARE_METATYPE(vmk::Outcome)

namespace {

const QString kCsv = QStringLiteral("--csv");

struct CliFixture : DeviceFixture {
  CliCall call{session, prompts, clock, ws.jobs};

  explicit CliFixture(int variant = 1) {
    add(1, variant);
    call.address = 1;
  }
  Outcome run(const QString& verb, const QHash<QString, QString>& options = {},
              const QStringList& args = {}) {
    const CliCommand* c = commandRegistry().findCli({verb});
    if (!c) qFatal("no such command");
    call.args = args;
    call.options = options;
    return c->run(call);
  }
  QJsonObject item(const QString& key, int i) const { return call.data[key].toArray()[i].toObject(); }
};

QStringList csvLines(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  QByteArray bytes = f.readAll();
  if (!bytes.startsWith("\xEF\xBB\xBF")) return {QStringLiteral("no byte-order mark")};
  QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
  if (lines.last().isEmpty()) lines.removeLast();
  return lines;
}

}  // namespace

class TestJournalCli : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void eventsPrintTheGridRows() {
    CliFixture f;
    QCOMPARE(f.run(QStringLiteral("events")), Outcome::Done);
    QCOMPARE(f.call.text.size(), 34);
    QCOMPARE(f.call.text[7], QStringLiteral("8.\t16/03/2024 11:18:10.370\tПуск МТЗ 2 ступени\t"
                                            "Повреждение фазы A C , Iперв = 1480.800 A\t"
                                            "0\t0\t0\t0\t0\t0\t0\t0\t0\t1\t0\t1"));
    QCOMPARE(f.call.text[33], QStringLiteral("34.\tНет события") + QString(14, QLatin1Char('\t')));
    QCOMPARE(f.plan.requestsOf(0x41).size(), 34);
    QVERIFY(f.prompts.boxTexts().isEmpty());
    QVERIFY(!f.portOpen());
  }

  void eventsGiveTypedFields() {
    CliFixture f;
    f.call.json = true;
    QCOMPARE(f.run(QStringLiteral("events")), Outcome::Done);
    const QString key = QStringLiteral("events");
    QCOMPARE(f.call.data[key].toArray().size(), 34);
    QVERIFY(f.call.data[QStringLiteral("complete")].toBool());

    const QJsonObject pickup = f.item(key, 7);
    QCOMPARE(pickup["record"].toInt(), 7);
    QCOMPARE(pickup["code"].toInt(), 17);
    QCOMPARE(pickup["noEvent"].toBool(), false);
    QCOMPARE(pickup["time"].toString(), QStringLiteral("2024-03-16T11:18:10.37"));
    QCOMPARE(pickup["event"].toString(), QStringLiteral("Пуск МТЗ 2 ступени"));
    QCOMPARE(pickup["subCode"].toInt(), 5);
    QCOMPARE(pickup["value"].toInt(), 1234);
    QCOMPARE(pickup["primaryCurrent"].toDouble(), 1480.8);
    QCOMPARE(pickup["beyondRange"].toBool(), false);
    QCOMPARE(pickup["outputs"].toObject(),
             (QJsonObject{{"WDT", false}, {"Dout5", false}, {"Dout4", false}, {"Dout3", false},
                          {"Dout2", false}, {"Dout1", false}}));
    QCOMPARE(pickup["inputs"].toObject(),
             (QJsonObject{{"Din6", false}, {"Din5", false}, {"Din4", false}, {"Din3", true},
                          {"Din2", false}, {"Din1", true}}));
    QCOMPARE(pickup["cells"].toArray().size(), 16);

    const QJsonObject beyond = f.item(key, 16);
    QCOMPARE(beyond["primaryCurrent"].toDouble(), 24000.0);
    QCOMPARE(beyond["beyondRange"].toBool(), true);
    QCOMPARE(beyond["outputs"].toObject()["Dout1"].toBool(), true);
    // No fault current for other codes; no time for a stamp that is no date.
    QVERIFY(f.item(key, 0)["primaryCurrent"].isNull());
    QVERIFY(f.item(key, 31)["time"].isNull());
    QCOMPARE(f.item(key, 31)["info"].toString(), QStringLiteral("Управление реле 3"));
    QCOMPARE(f.item(key, 28)["time"].toString(), QStringLiteral("2024-03-26T00:00:00.25"));
    const QJsonObject none = f.item(key, 33);
    QCOMPARE(none["noEvent"].toBool(), true);
    QVERIFY(none["time"].isNull());
    QVERIFY(none["event"].isNull());
    QVERIFY(none["outputs"].isNull());
  }

  void statsGiveNumbers() {
    CliFixture f;
    QCOMPARE(f.run(QStringLiteral("stats")), Outcome::Done);
    QCOMPARE(f.call.text.size(), 22);
    QCOMPARE(f.call.text[9], QStringLiteral("10\tКоличество переходов состояний  входа 2\t65535"));
    const QJsonObject c = f.item(QStringLiteral("counters"), 9);
    QCOMPARE(c["number"].toInt(), 10);
    QCOMPARE(c["name"].toString(), QStringLiteral("Количество переходов состояний  входа 2"));
    QVERIFY(c["value"].isDouble());
    QCOMPARE(c["value"].toInt(), 65535);
  }

  void alarmsGiveEntriesAndRatios() {
    CliFixture f;
    QCOMPARE(f.run(QStringLiteral("alarms")), Outcome::Done);
    QCOMPARE(f.call.text.size(), 13);
    QCOMPARE(f.call.text[0], QStringLiteral("16.03.2024 11:18:10\tЗапись аварии 1\t0\t120\t50"));
    QCOMPARE(f.call.text[2], QStringLiteral("Нет данных\t\t-1\t\t"));
    const QString key = QStringLiteral("alarms");
    const QJsonObject first = f.item(key, 0);
    QCOMPARE(first["entry"].toInt(), 0);
    QCOMPARE(first["recorded"].toBool(), true);
    QCOMPARE(first["time"].toString(), QStringLiteral("2024-03-16T11:18:10"));
    QCOMPARE(first["phaseRatio"].toInt(), 120);
    QCOMPARE(first["earthRatio"].toInt(), 50);
    const QJsonObject erased = f.item(key, 2);
    QCOMPARE(erased["recorded"].toBool(), false);
    QVERIFY(erased["time"].isNull());
    QVERIFY(erased["phaseRatio"].isNull());
  }

  void csvFileWithAHeaderRow_data() {
    QTest::addColumn<QString>("verb");
    QTest::addColumn<QString>("header");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("line");
    QTest::newRow("events") << "events"
                            << "Номер,Дата и время,Событие,Информация,WDT,Dout5,Dout4,Dout3,Dout2,Dout1,"
                               "Din6,Din5,Din4,Din3,Din2,Din1"
                            << 34 << 8
                            << "8.,16/03/2024 11:18:10.370,Пуск МТЗ 2 ступени,"
                               "\"Повреждение фазы A C , Iперв = 1480.800 A\",0,0,0,0,0,0,0,0,0,1,0,1";
    QTest::newRow("stats") << "stats" << "№,Параметр,Значение" << 22 << 22
                           << "22,\"Счётчик ресурса, ч\",23871";
    QTest::newRow("alarms") << "alarms" << "Дата и время,Авария,Запись,Ктт,КттЗНЗ" << 13 << 3
                            << "Нет данных,,-1,,";
  }
  void csvFileWithAHeaderRow() {
    QFETCH(QString, verb);
    QFETCH(QString, header);
    QFETCH(int, rows);
    QFETCH(int, row);
    QFETCH(QString, line);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("journal.csv"));
    CliFixture f;
    QCOMPARE(f.run(verb, {{kCsv, path}}), Outcome::Done);
    QCOMPARE(f.call.text, QStringList{path});
    QCOMPARE(f.call.data[QStringLiteral("file")].toString(), path);
    const QStringList lines = csvLines(path);
    QCOMPARE(lines.size(), rows + 1);
    QCOMPARE(lines[0], header);
    QCOMPARE(lines[row], line);
  }

  void variant3HasNoJournals_data() {
    QTest::addColumn<QString>("verb");
    QTest::newRow("events") << "events";
    QTest::newRow("stats") << "stats";
    QTest::newRow("alarms") << "alarms";
  }
  void variant3HasNoJournals() {
    QFETCH(QString, verb);
    CliFixture f(3);
    QCOMPARE(f.run(verb), Outcome::InputRefused);
    QCOMPARE(f.prompts.boxTexts(), QStringList{QStringLiteral("У устройства исполнения 3 нет журналов")});
    QVERIFY(f.plan.requestsOf(0x41).isEmpty());
    QVERIFY(f.plan.requestsOf(0x42).isEmpty());
    QCOMPARE(f.registerRequests().size(), 2);  // the identity and setup blocks only
    QVERIFY(f.call.text.isEmpty());
    QVERIFY(!f.portOpen());
  }

  // A reading that stops prints what it read and fails; the CSV file is
  // not written, so a file left from before stays as it was.
  void aReadingThatStopsWritesNoFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("events.csv"));
    {
      QFile old(path);
      QVERIFY(old.open(QIODevice::WriteOnly));
      old.write("from before\r\n");
    }
    CliFixture f;
    f.plan.fault = [](const QByteArray& request) {
      return eventIndexOf(request) == 20 ? Fault::Silence : Fault::None;
    };
    QCOMPARE(f.run(QStringLiteral("events"), {{kCsv, path}}), Outcome::NoAnswer);
    QCOMPARE(f.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка связи с устройством!")});
    QCOMPARE(f.call.text.size(), 20);
    QCOMPARE(f.call.data[QStringLiteral("complete")].toBool(), false);
    QCOMPARE(csvLines(path), QStringList{QStringLiteral("no byte-order mark")});
    QVERIFY(!f.portOpen());
  }

  void theAlarmListsReceiveError() {
    CliFixture f;
    f.plan.fault = [](const QByteArray& request) {
      return std::uint8_t(request[1]) == 0x42 ? Fault::Silence : Fault::None;
    };
    QCOMPARE(f.run(QStringLiteral("alarms")), Outcome::NoAnswer);
    QCOMPARE(f.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка приема данных 0|0")});
    QVERIFY(f.call.text.isEmpty());
  }

  void anUnwritableFileIsRefused() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no such folder/stats.csv"));
    CliFixture f;
    QCOMPARE(f.run(QStringLiteral("stats"), {{kCsv, path}}), Outcome::InputRefused);
    QCOMPARE(f.prompts.boxTexts().size(), 1);
    QVERIFY(f.prompts.boxTexts()[0].startsWith(QStringLiteral("Не удалось записать файл ") + path));
    QVERIFY(!QFile::exists(path));
  }

  void usage_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("csv");
    QTest::newRow("an argument") << QStringList{"all"} << "x.csv";
    QTest::newRow("--csv without a name") << QStringList{} << "";
  }
  void usage() {
    QFETCH(QStringList, args);
    QFETCH(QString, csv);
    CliFixture f;
    bool refused = false;
    try {
      f.run(QStringLiteral("events"), {{kCsv, csv}}, args);
    } catch (const UsageError&) {
      refused = true;
    }
    QVERIFY(refused);
    QVERIFY(f.requests().isEmpty());
  }
};

QTEST_GUILESS_MAIN(TestJournalCli)
#include "test_journal_cli.moc"
