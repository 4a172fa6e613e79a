// vmkctl's "report" as a process against vmksim, the workbooks read by an
// independent reader: openpyxl (Debian's /usr/bin/python3) reads each
// report and its template. Every named cell holds the value vmkctl says it
// wrote, as text or as the one integer (the device password "****" unless
// asked for); the cells with line feeds wrap; the
// template's other cells, its styles, merged cells, column widths, print
// titles and page setup are as they were. The sheets of a settings file
// (--from) are made with no device at all.

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "extlib/view_loader.h"
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

QString programDir() { return QFileInfo(QStringLiteral(VMKCTL_PATH)).absolutePath() + QLatin1Char('/'); }

// The names the viewer library gives, asked of it on its own.
QString names(int kind, std::initializer_list<int> items) {
  static vmk::ViewLoader loader(programDir());
  QStringList out;
  for (int i : items) out << loader.funcName(kind, i).name;
  return out.join(QLatin1Char('\n'));
}

}  // namespace

class TestVmkctlReport : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() { m_ready = m_sim.start({"--addresses", "1,2:3"}); }
  void cleanupTestCase() { QVERIFY(m_sim.stop()); }

  void readByOpenpyxl_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("templateName");
    QTest::addColumn<int>("named");  // named cells of the template
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("password");  // the "Пароль" cell; empty: none
    const int device = 6 + 9 + 8 + 12 + 5 + 6 + 2 + 16 + 48;
    QTest::newRow("device") << "device" << "template.xlsx" << device << QStringList{} << "****";
    QTest::newRow("device with password") << "device" << "template.xlsx" << device
                                          << QStringList{"--with-password"} << "AAAA";
    QTest::newRow("events") << "events" << "template1.xlsx" << 6 + 4 * 34 << QStringList{} << "";
    QTest::newRow("stats") << "stats" << "template2.xlsx" << 6 + 2 * 22 << QStringList{} << "";
    QTest::newRow("alarms") << "alarms" << "template3.xlsx" << 6 + 2 * 13 << QStringList{} << "";
  }
  void readByOpenpyxl() {
    QFETCH(QString, kind);
    QFETCH(QString, templateName);
    QFETCH(int, named);
    QFETCH(QStringList, options);
    QFETCH(QString, password);
    QVERIFY(m_ready);
    QTemporaryDir dir;
    const QString path = dir.filePath(kind + QStringLiteral(".xlsx"));
    const Run r = vmkctl(m_sim, QStringList{"--json", "report", "-o", path, "--kind", kind} + options);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    const QJsonObject written = QJsonDocument::fromJson(r.out.toUtf8()).object();
    QCOMPARE(written["file"].toString(), path);
    const QJsonObject values = written["values"].toObject();

    const Run read = run(QStringLiteral("/usr/bin/python3"),
                         {QStringLiteral(READ_REPORT_PY), programDir() + templateName, path});
    QVERIFY2(read.exitCode == 0, qPrintable(read.err));
    const QJsonObject both = QJsonDocument::fromJson(read.out.toUtf8()).object();
    const QJsonObject tpl = both["template"].toObject(), rep = both["report"].toObject();
    const QJsonObject tcells = tpl["cells"].toObject(), rcells = rep["cells"].toObject();

    static const QRegularExpression placeholder(QStringLiteral(R"(^\{\{([A-Za-z0-9_]+)\}\}$)"));
    int namedSeen = 0, wrapped = 0;
    QString passwordCell;
    for (auto it = tcells.constBegin(); it != tcells.constEnd(); ++it) {
      const QJsonObject t = it.value().toObject();
      const QJsonObject c = rcells[it.key()].toObject();
      const QRegularExpressionMatch m = placeholder.match(t["value"].toString());
      if (!m.hasMatch()) {
        QVERIFY2(c == t, qPrintable(it.key()));  // value, type and style as they were
        continue;
      }
      ++namedSeen;
      const QString name = m.captured(1);
      if (name == QLatin1String("p3")) passwordCell = c["value"].toString();
      QVERIFY2(values.contains(name), qPrintable(name));
      const QJsonValue expected = values[name];
      if (expected.isDouble()) {
        QCOMPARE(c["type"].toString(), QStringLiteral("n"));
        QCOMPARE(c["value"].toInt(), expected.toInt());
      } else if (expected.toString().isEmpty()) {
        QVERIFY2(c["value"].isNull(), qPrintable(name));
      } else {
        QCOMPARE(c["type"].toString(), QStringLiteral("s"));
        QCOMPARE(c["value"].toString(), expected.toString());
      }
      const bool lines = expected.toString().contains(QLatin1Char('\n'));
      QVERIFY2(c["wrap"].toBool() == (lines || t["wrap"].toBool()), qPrintable(name));
      wrapped += lines;
      QCOMPARE(c["style"].toObject(), t["style"].toObject());
    }
    QCOMPARE(namedSeen, named);
    QCOMPARE(values.size(), named);
    // The device password only when asked for (vmksim's is AAAA).
    QCOMPARE(passwordCell, password);
    // The interface lines, the signal lists of more than one name.
    if (kind == QLatin1String("device")) QVERIFY(wrapped >= 3 && values["p2"].toString().count(QLatin1Char('\n')) == 3);
    for (const char* key : {"sheets", "merged", "widths", "printTitles", "paper", "margins", "footer"})
      QVERIFY2(rep[key] == tpl[key], key);
    // The journal reports repeat their table's header on every page.
    if (kind != QLatin1String("device")) QVERIFY(rep["printTitles"].toString().contains(QLatin1Char(':')));
    QCOMPARE(rep["paper"].toArray()[0].toInt(), 9);  // A4

    // Values of the device as vmksim gives them.
    QVERIFY(values["pu1"].toString().startsWith(QStringLiteral("ВМК")));
    QVERIFY(values["pu2"].isDouble());
    if (kind == QLatin1String("stats")) QCOMPARE(values["d22"].toString(), QStringLiteral("Счётчик ресурса, ч"));
    if (kind == QLatin1String("alarms")) QCOMPARE(values["s1"].toString(), QStringLiteral("Запись аварии 1"));
  }

  // `report --from`: the device report's sheets of a settings file, with
  // no device and no port (no --port is given, no simulator asked). One
  // file: МТЗ-1 and ЗНЗ active, a current, a signal list, a text that is no
  // value; the ЗНЗ current, the МТЗ-1 time and the interface word lacking.
  void settingsSheetReadByOpenpyxl_data() {
    QTest::addColumn<QString>("group");     // --group
    QTest::addColumn<QString>("cell");      // the template's placeholder
    QTest::addColumn<QString>("expected");  // empty: an empty cell
    const QString dp = QLocale().decimalPoint();
    QTest::newRow("scaled") << "1" << "g1_3" << "1" + dp + "25";
    QTest::newRow("scaled, group 2") << "2" << "g2_3" << "1" + dp + "25";
    QTest::newRow("other group") << "2" << "g1_3" << "";
    QTest::newRow("bit list") << "1" << "p21" << names(2, {0, 2});
    QTest::newRow("stage off, value lacking") << "1" << "g1_6" << "Неактивна МТЗ-2";
    QTest::newRow("stage on, value lacking") << "1" << "g1_13" << "";
    QTest::newRow("row lacking") << "1" << "g1_4" << "";
    QTest::newRow("never in a file") << "1" << "p2" << "";
    QTest::newRow("password") << "1" << "p3" << "";
    QTest::newRow("no value") << "1" << "g1_14"
                              << "Нет значения: «abc» (значение не является числом)";
    QTest::newRow("header") << "1" << "pu2"
                            << "нет: отчёт по файлу уставок «prepared.ust», устройство не читалось";
  }
  void settingsSheetReadByOpenpyxl() {
    QFETCH(QString, group);
    QFETCH(QString, cell);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString ust = dir.filePath(QStringLiteral("prepared.ust"));
    QFile f(ust);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("[Параметры]\nДискретный вход 1=000000000000101\n"
                           "[Уставки]\nАктивные Ступени=000000000001001\nТок МТЗ-1=1,25\n"
                           "Время ЗНЗ=abc\n")
                .toUtf8());
    f.close();
    const Run r = run(QStringLiteral(VMKCTL_PATH),
                      {"--json", "report", "--from", ust, "--group", group});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    const QString path = dir.filePath(QStringLiteral("prepared.xlsx"));
    QCOMPARE(QJsonDocument::fromJson(r.out.toUtf8()).object()["file"].toString(), path);

    const Run read = run(QStringLiteral("/usr/bin/python3"),
                         {QStringLiteral(READ_REPORT_PY), programDir() + "template.xlsx", path});
    QVERIFY2(read.exitCode == 0, qPrintable(read.err));
    const QJsonObject both = QJsonDocument::fromJson(read.out.toUtf8()).object();
    const QJsonObject tcells = both["template"].toObject()["cells"].toObject();
    const QJsonObject rcells = both["report"].toObject()["cells"].toObject();
    QString at;
    for (auto it = tcells.constBegin(); it != tcells.constEnd(); ++it)
      if (it.value().toObject()["value"].toString() == "{{" + cell + "}}") at = it.key();
    QVERIFY2(!at.isEmpty(), qPrintable(cell));
    const QJsonObject c = rcells[at].toObject();
    if (expected.isEmpty()) {
      QVERIFY2(c["value"].isNull(), qPrintable(c["value"].toString()));
    } else {
      QCOMPARE(c["type"].toString(), QStringLiteral("s"));
      QCOMPARE(c["value"].toString(), expected);
    }
  }

  void failuresWriteNothing() {
    QVERIFY(m_ready);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.xlsx"));
    // Nobody at address 9: exit code 1, no file.
    Run r = vmkctl(m_sim, {"report", "-o", path}, 9);
    QCOMPARE(r.exitCode, 1);
    QVERIFY(!QFile::exists(path));
    // A device without journals has no journal report.
    r = vmkctl(m_sim, {"report", "-o", path, "--kind", "events"}, 2);
    QCOMPARE(r.exitCode, 3);
    QVERIFY(!QFile::exists(path));
    // The command line.
    QCOMPARE(vmkctl(m_sim, {"report"}).exitCode, 2);
    QCOMPARE(vmkctl(m_sim, {"report", "-o", path, "--kind", "osc"}).exitCode, 2);
    // A settings file that is not there; a workbook that would replace it.
    const QString ust = dir.filePath(QStringLiteral("s.ust"));
    QCOMPARE(run(QStringLiteral(VMKCTL_PATH), {"report", "--from", ust}).exitCode, 3);
    QVERIFY(QFile(ust).open(QIODevice::WriteOnly));
    QCOMPARE(run(QStringLiteral(VMKCTL_PATH), {"report", "--from", ust, "-o", ust}).exitCode, 2);
    QCOMPARE(QFileInfo(ust).size(), 0);
  }

 private:
  SimProcess m_sim;
  bool m_ready = false;
};

QTEST_GUILESS_MAIN(TestVmkctlReport)
#include "test_vmkctl_report.moc"
