// vmkctl's journals as a process against vmksim on a pseudo-terminal: the
// JSON a script reads, and the CSV file read back by Python's csv module
// (Debian's /usr/bin/python3) with the same rows as the plain output.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/system/sim_process.h"

using vmk::test::Run;
using vmk::test::SimProcess;
using vmk::test::run;

namespace {

Run vmkctl(const SimProcess& sim, const QStringList& rest, int address = 1) {
  return run(QStringLiteral(VMKCTL_PATH),
             QStringList{"--port", sim.path(), "--connector", "rear", "--address",
                         QString::number(address), "--timeout", "30"} + rest);
}

// The rows of a CSV file as Python's csv module reads them, as JSON.
const char kReadCsv[] =
    "import csv, json, sys\n"
    "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
    "    print(json.dumps(list(csv.reader(f)), ensure_ascii=False))\n";

QList<QStringList> pythonRows(const QString& path) {
  const Run r = run(QStringLiteral("/usr/bin/python3"), {"-c", QString::fromLatin1(kReadCsv), path});
  QList<QStringList> rows;
  if (r.exitCode != 0) return rows;
  for (const QJsonValue& row : QJsonDocument::fromJson(r.out.toUtf8()).array()) {
    QStringList cells;
    for (const QJsonValue& c : row.toArray()) cells << c.toString();
    rows << cells;
  }
  return rows;
}

QList<QStringList> tabRows(const QString& out) {
  QList<QStringList> rows;
  for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
    rows << line.split(QLatin1Char('\t'));
  return rows;
}

}  // namespace

class TestVmkctlJournals : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() { m_ready = m_sim.start({"--addresses", "1,2:3"}); }
  void cleanupTestCase() { QVERIFY(m_sim.stop()); }

  void eventsAsJson() {
    QVERIFY(m_ready);
    const Run r = vmkctl(m_sim, {"--json", "events"});
    QCOMPARE(r.exitCode, 0);
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    QCOMPARE(o["exit"].toInt(), 0);
    QCOMPARE(o["complete"].toBool(), true);
    const QJsonArray events = o["events"].toArray();
    QCOMPARE(events.size(), 34);
    const QJsonObject trip = events[8].toObject();
    QCOMPARE(trip["code"].toInt(), 20);
    QCOMPARE(trip["event"].toString(), QStringLiteral("Работа МТЗ 2 ступени"));
    QCOMPARE(trip["time"].toString(), QStringLiteral("2024-03-16T11:18:10.87"));
    QCOMPARE(trip["primaryCurrent"].toDouble(), 1480.8);
    QCOMPARE(trip["outputs"].toObject()["Dout1"].toBool(), true);
    QCOMPARE(trip["inputs"].toObject()["Din1"].toBool(), true);
    QVERIFY(events[31].toObject()["time"].isNull());
    QCOMPARE(events[33].toObject()["noEvent"].toBool(), true);
  }

  void csvReadBackByPython_data() {
    QTest::addColumn<QString>("verb");
    QTest::addColumn<int>("rows");
    QTest::newRow("events") << "events" << 34;
    QTest::newRow("stats") << "stats" << 22;
    QTest::newRow("alarms") << "alarms" << 13;
  }
  void csvReadBackByPython() {
    QFETCH(QString, verb);
    QFETCH(int, rows);
    QVERIFY(m_ready);
    QTemporaryDir dir;
    const QString path = dir.filePath(verb + QStringLiteral(".csv"));
    const Run written = vmkctl(m_sim, {verb, "--csv", path});
    QCOMPARE(written.exitCode, 0);
    QCOMPARE(written.out.trimmed(), path);
    const Run plain = vmkctl(m_sim, {verb});
    QCOMPARE(plain.exitCode, 0);

    const QList<QStringList> fromPython = pythonRows(path);
    QCOMPARE(fromPython.size(), rows + 1);
    QCOMPARE(fromPython.first().first(), verb == "events"  ? QStringLiteral("Номер")
                                         : verb == "stats" ? QStringLiteral("№")
                                                           : QStringLiteral("Дата и время"));
    QCOMPARE(fromPython.mid(1), tabRows(plain.out));
  }

  void aDeviceWithoutJournalsIsRefused() {
    QVERIFY(m_ready);
    const Run r = vmkctl(m_sim, {"events"}, 2);
    QCOMPARE(r.exitCode, 3);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.contains(QStringLiteral("У устройства исполнения 3 нет журналов")), qPrintable(r.err));
  }

 private:
  SimProcess m_sim;
  bool m_ready = false;
};

QTEST_GUILESS_MAIN(TestVmkctlJournals)
#include "test_vmkctl_journals.moc"
