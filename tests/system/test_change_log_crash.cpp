// The change log survives a crash: vmkctl killed in the middle of writing a
// settings file leaves every record it wrote before intact and readable.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "changelog/change_log.h"
#include "tests/system/sim_process.h"

using vmk::test::SimProcess;

namespace {

QStringList on(const SimProcess& sim, const QStringList& rest) {
  return QStringList{"--port", sim.path(), "--connector", "front", "--timeout", "50"} + rest;
}

QProcessEnvironment withData(const QString& folder) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_DATA_HOME"), folder);
  return env;
}

int run(const QStringList& args, const QString& data, QString* out = nullptr) {
  QProcess p;
  p.setProcessEnvironment(withData(data));
  p.start(QStringLiteral(VMKCTL_PATH), args);
  if (!p.waitForFinished(120000)) {
    p.kill();
    p.waitForFinished();
    return -1;
  }
  if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
  return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

}  // namespace

class TestChangeLogCrash : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void recordsBeforeAKillAreIntact() {
    SimProcess sim;
    // At 9600 bit/s on the wire, the eighty rows take some seconds.
    QVERIFY(sim.start({"--seed", "3", "--pace", "--baud", "9600"}));
    QTemporaryDir dir;
    const QString data = dir.filePath("data");
    const QString file = dir.filePath("a.ust");
    QString info;
    QCOMPARE(run(on(sim, {"--json", "info"}), data, &info), 0);
    const QJsonObject device = QJsonDocument::fromJson(info.toUtf8()).object().value("device").toObject();
    const int serial = device.value("factoryNumber").toInt(-1);
    const QString name = device.value("name").toString();
    QCOMPARE(run(on(sim, {"params", "get", "-o", file}), data), 0);

    QProcess writer;
    writer.setProcessEnvironment(withData(data));
    writer.start(QStringLiteral(VMKCTL_PATH),
                 on(sim, {"params", "set", file, "--password", "AAAA", "--allow-out-of-range"}));
    QVERIFY(writer.waitForStarted());
    // Wait for some records, then kill it where it stands.
    const QString folder = data + QStringLiteral("/vmk/changes");
    QString logFile;
    QElapsedTimer t;
    t.start();
    int lines = 0;
    while (t.elapsed() < 60000 && writer.state() == QProcess::Running) {
      const QStringList found = QDir(folder).entryList({"*.jsonl"}, QDir::Files);
      if (!found.isEmpty()) {
        logFile = folder + QLatin1Char('/') + found.first();
        QFile f(logFile);
        if (f.open(QIODevice::ReadOnly)) lines = int(f.readAll().count('\n'));
        if (lines >= 6) break;
      }
      QTest::qWait(20);
    }
    QVERIFY2(writer.state() == QProcess::Running, "the write ended before it could be killed");
    writer.kill();  // SIGKILL: no handler runs
    QVERIFY(writer.waitForFinished());
    QVERIFY(lines >= 6);
    QVERIFY(serial >= 0);
    QCOMPARE(logFile, vmk::ChangeLog(folder).fileOf(name, serial));
    QVERIFY2(QFileInfo(logFile).fileName().endsWith(QStringLiteral("_%1.jsonl").arg(serial)), qPrintable(logFile));

    // Every whole line is a record with every field.
    QFile f(logFile);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QList<QByteArray> whole = bytes.split('\n');
    whole.removeLast();  // after the last newline: nothing, or a torn line
    QVERIFY(whole.size() >= 6);
    for (const QByteArray& line : whole) {
      const QJsonObject o = QJsonDocument::fromJson(line).object();
      for (const char* field : {"time", "user", "device", "serial", "address", "operation",
                                "register", "before", "after", "outcome", "readBack"})
        QVERIFY2(o.contains(QLatin1String(field)), line.constData());
      QCOMPARE(o.value("operation").toString(), QStringLiteral("Запись параметров и уставок"));
      QVERIFY(vmk::recordFromJson(o));
    }
    const vmk::ChangeLogReading reading = vmk::readChangeLog(logFile);
    QCOMPARE(reading.records.size(), whole.size());
    QVERIFY(reading.damaged <= 1);

    // vmkctl reads it back too, and a next run appends after it.
    QString printed;
    QCOMPARE(run(on(sim, {"log", "--serial", QString::number(serial), "--name", name}), data, &printed), 0);
    QCOMPARE(int(printed.trimmed().split(QLatin1Char('\n')).size()), int(reading.records.size()));
  }
};

QTEST_GUILESS_MAIN(TestChangeLogCrash)
#include "test_change_log_crash.moc"
