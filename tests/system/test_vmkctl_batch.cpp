// vmkctl batch against vmksim with three devices (one of variant 3, one
// answering with faults): the folder tree and the index, a second run after
// an interruption in the middle of an oscillogram, and the files read back
// by independent readers (Python's configparser and csv module, the tests'
// COMTRADE 1999 checker).

#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "tests/journals/comtrade_checker.h"
#include "tests/system/sim_process.h"

using vmk::test::Run;
using vmk::test::SimProcess;
using vmk::test::run;

namespace {

// A batch over a paced bus takes minutes under the sanitizers.
constexpr int kBatchTimeoutMs = 240000;

QStringList on(const SimProcess& sim, const QStringList& rest) {
  return QStringList{"--port", sim.path(), "--connector", "rear", "--baud", "115200", "--timeout", "5"} + rest;
}

QJsonObject readJson(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QJsonDocument::fromJson(f.readAll()).object();
}

QJsonObject deviceAt(const QJsonObject& index, int address) {
  for (const QJsonValue& d : index.value("devices").toArray())
    if (d.toObject().value("address").toInt() == address) return d.toObject();
  return {};
}

// state of each item by file (or by part for those without a file)
QMap<QString, QString> states(const QJsonObject& device) {
  QMap<QString, QString> out;
  for (const QJsonValue& v : device.value("items").toArray()) {
    const QJsonObject i = v.toObject();
    out.insert(i.value("file").isNull() ? i.value("part").toString() : i.value("file").toString(),
               i.value("state").toString());
  }
  return out;
}

QStringList filesUnder(const QString& dir) {
  QStringList out;
  QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) out << QDir(dir).relativeFilePath(it.next());
  out.sort();
  return out;
}

const char kReadBack[] =
    "import configparser, csv, json, sys\n"
    "out = {}\n"
    "for path in sys.argv[1:]:\n"
    "    if path.endswith('.ust'):\n"
    "        p = configparser.ConfigParser(interpolation=None)\n"
    "        p.optionxform = str\n"
    "        p.read(path, encoding='cp1251')\n"
    "        out[path] = {s: len(p[s]) for s in p.sections()}\n"
    "    else:\n"
    "        with open(path, newline='', encoding='utf-8-sig') as f:\n"
    "            out[path] = len(list(csv.reader(f)))\n"
    "print(json.dumps(out))\n";

}  // namespace

class TestVmkctlBatch : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void collectsEveryDeviceAndResumes() {
    SimProcess sim;
    // 1 and 3 of variant 1, 2 of variant 3; the replies of 3 are spoilt.
    // Paced at 115200 bit/s an oscillogram takes some seconds: room to
    // interrupt one.
    QVERIFY(sim.start({"--addresses", "1,2:3,3", "--faulty", "3", "--corrupt", "0.6", "--seed", "5",
                       "--pace", "--baud", "115200"}));
    QTemporaryDir dir;
    const QString out = dir.filePath("сбор");

    // The first run stops in the middle of the second oscillogram of 1.
    QProcess first;
    first.setProcessChannelMode(QProcess::SeparateChannels);
    first.start(QStringLiteral(VMKCTL_PATH), on(sim, {"batch", "-o", out, "--standard"}));
    QVERIFY(first.waitForStarted());
    first.setReadChannel(QProcess::StandardError);
    QByteArray err;
    int oscLines = 0;
    QElapsedTimer t;
    t.start();
    while (oscLines < 2 && t.elapsed() < 120000 && first.state() == QProcess::Running) {
      first.waitForReadyRead(1000);
      const QByteArray more = first.readAllStandardError();
      err += more;
      oscLines = QString::fromUtf8(err).count(QStringLiteral("1: осциллограмма"));
    }
    QCOMPARE(oscLines, 2);
    QTest::qWait(1000);  // some blocks of it
    ::kill(pid_t(first.processId()), SIGINT);
    QVERIFY(first.waitForFinished(60000));
    QCOMPARE(first.exitCode(), 1);

    const QJsonObject cut = readJson(out + "/index.json");
    QCOMPARE(cut.value("cancelled").toBool(), true);
    const QJsonObject one = deviceAt(cut, 1);
    const QString folder = one.value("folder").toString();
    QVERIFY(folder.startsWith("1-"));
    QStringList complete;  // the pairs the first run finished
    for (const QString& f : filesUnder(out + "/" + folder))
      if (f.endsWith(".cfg")) complete << f;
    QCOMPARE(complete.size(), 1);
    // Nothing half-written stands beside them.
    for (const QString& f : filesUnder(out))
      QVERIFY2(!f.contains(QLatin1Char('~')) && !f.contains(".tmp") && !f.contains(".new"), qPrintable(f));
    const QDateTime before = QFileInfo(out + "/" + folder + "/" + complete[0]).lastModified();

    // The second run finishes it.
    const Run second = run(QStringLiteral(VMKCTL_PATH), on(sim, {"batch", "-o", out, "--standard"}), kBatchTimeoutMs);
    QVERIFY2(second.exitCode == 0 || second.exitCode == 1, qPrintable(second.err));
    QVERIFY2(second.err.contains("batch: 1: подключение"), qPrintable(second.err));
    const QJsonObject index = readJson(out + "/index.json");
    QCOMPARE(index.value("cancelled").toBool(), false);
    QCOMPARE(index.value("standard").toBool(), true);

    const QMap<QString, QString> s1 = states(deviceAt(index, 1));
    QCOMPARE(s1.value(complete[0]), QStringLiteral("skipped"));
    QCOMPARE(QFileInfo(out + "/" + folder + "/" + complete[0]).lastModified(), before);
    QCOMPARE(s1.value("info.txt"), QStringLiteral("skipped"));
    QCOMPARE(s1.value("group1.ust"), QStringLiteral("skipped"));
    int oscWritten = 0;
    for (auto it = s1.begin(); it != s1.end(); ++it) {
      QVERIFY2(it.value() == "written" || it.value() == "skipped", qPrintable(it.key()));
      if (it.key().startsWith("osc-") && it.value() == "written") ++oscWritten;
    }
    QCOMPARE(oscWritten, 4);  // five recorded, one done before
    QCOMPARE(deviceAt(index, 1).value("failed").toBool(), false);

    // The device of variant 3: no journals, the rest written.
    const QJsonObject two = deviceAt(index, 2);
    QCOMPARE(two.value("variant").toInt(), 3);
    const QMap<QString, QString> s2 = states(two);
    QCOMPARE(s2.value("events"), QStringLiteral("not available"));
    QCOMPARE(s2.value("osc"), QStringLiteral("not available"));
    QVERIFY(s2.value("group2.ust") == "written" || s2.value("group2.ust") == "skipped");

    // The faulty device: silent in polling or recorded as failed, and the
    // batch went on past it.
    const QJsonObject three = deviceAt(index, 3);
    const bool silent = index.value("silent").toArray().contains(3);
    QVERIFY2(silent || three.value("failed").toBool(), qPrintable(QJsonDocument(index).toJson()));

    // The folder tree.
    const QStringList tree = filesUnder(out);
    QVERIFY(tree.contains("index.json"));
    QVERIFY(tree.contains("index.txt"));
    for (const char* f : {"info.txt", "group1.ust", "group2.ust", "events.csv", "events.json",
                             "stats.csv", "stats.json", "alarms.csv", "alarms.json"})
      QVERIFY2(tree.contains(folder + "/" + f), f);
    QFile txt(out + "/index.txt");
    QVERIFY(txt.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(txt.readAll());
    QVERIFY(text.contains(QStringLiteral("Адрес 1: ")));
    QVERIFY(text.contains(QStringLiteral("Адрес 2: ")));

    // Read back: settings by configparser, CSV by csv, the pairs by the
    // COMTRADE 1999 checker.
    const QString folder2 = two.value("folder").toString();
    QStringList paths{out + "/" + folder + "/group1.ust", out + "/" + folder + "/group2.ust",
                      out + "/" + folder2 + "/group1.ust", out + "/" + folder + "/events.csv",
                      out + "/" + folder + "/stats.csv", out + "/" + folder + "/alarms.csv"};
    const Run py = run("/usr/bin/python3", QStringList{"-c", QString::fromLatin1(kReadBack)} + paths, kBatchTimeoutMs);
    QCOMPARE(py.exitCode, 0);
    const QJsonObject back = QJsonDocument::fromJson(py.out.toUtf8()).object();
    const QJsonObject ust = back.value(paths[0]).toObject();
    QVERIFY2(ust.value(QStringLiteral("Параметры")).toInt() > 20, qPrintable(py.out));
    QVERIFY2(ust.value(QStringLiteral("Уставки")).toInt() > 20, qPrintable(py.out));
    QCOMPARE(back.value(paths[4]).toInt(), 1 + 22);  // header + the counters
    QCOMPARE(back.value(paths[5]).toInt(), 1 + 13);
    QVERIFY(back.value(paths[3]).toInt() > 1);

    int checked = 0;
    for (const QString& f : filesUnder(out + "/" + folder)) {
      if (!f.endsWith(".cfg")) continue;
      const QString base = out + "/" + folder + "/" + f.chopped(4);
      QFile cfg(base + ".cfg"), dat(base + ".dat");
      QVERIFY(cfg.open(QIODevice::ReadOnly) && dat.open(QIODevice::ReadOnly));
      const QStringList problems = vmk::test::ComtradeChecker().check(cfg.readAll(), dat.readAll());
      QVERIFY2(problems.isEmpty(), qPrintable(f + ": " + problems.join("\n")));
      ++checked;
    }
    QCOMPARE(checked, 5);
    QVERIFY(sim.stop());
  }
};

QTEST_GUILESS_MAIN(TestVmkctlBatch)
#include "test_vmkctl_batch.moc"
