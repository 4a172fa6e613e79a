// The viewer window offscreen: a pair loads and is plotted, a file that
// does not fit leaves the view as it was, the cursors give the values and
// the RMS of the samples under them, and the CSV of the samples between.

#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "oscview/osc_math.h"
#include "oscview/osc_window.h"
#include "oscview/qcustomplot_include.h"

using namespace vmk::oscview;

namespace {

// 1 current (a sine of amplitude 100 A at 50 Hz, 1000 Hz sampling, a DC
// step of 10 A from sample 100) and 2 digital channels.
QByteArray cfg() {
  return "Test,Gen,1999\r\n3,1A,2D\r\n1,IA,A,,A,1,0,0,-200,200,1,1,P\r\n1,Start,,,0\r\n2,,,,0\r\n"
         "50\r\n1\r\n1000,400\r\n01/01/2020,00:00:00.000000\r\n01/01/2020,00:00:00.100000\r\nASCII\r\n1\r\n";
}
double sample(int s) { return 100 * std::sin(2 * M_PI * 50 * s / 1000.0) + (s >= 100 ? 10 : 0); }
QByteArray dat() {
  QByteArray out;
  for (int s = 0; s < 400; ++s)
    out += QByteArray::number(s + 1) + "," + QByteArray::number(s * 1000) + "," +
           QByteArray::number(sample(s), 'f', 6) + "," + (s >= 100 ? "1" : "0") + "," + (s % 2 ? "1" : "0") + "\r\n";
  return out;
}

struct Pair {
  QTemporaryDir dir;
  QString cfgPath = dir.filePath("t.cfg");
  Pair(const QByteArray& c = cfg(), const QByteArray& d = dat()) {
    QFile a(cfgPath), b(dir.filePath("t.dat"));
    a.open(QIODevice::WriteOnly);
    a.write(c);
    b.open(QIODevice::WriteOnly);
    b.write(d);
  }
};

QString cell(const OscViewWindow& w, int row, int column) {
  const QTableWidgetItem* item = w.valuesTable()->item(row, column);
  return item ? item->text() : QString();
}

}  // namespace

class TestOscWindow : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void loadsAndPlotsAPair() {
    Pair p;
    OscViewWindow w;
    w.setShowErrors(false);
    QCOMPARE(w.open(p.cfgPath), QString());
    QVERIFY(w.windowTitle().endsWith(QStringLiteral("t.cfg")));
    QCOMPARE(w.plot()->graphCount(), 3);
    QCOMPARE(w.plot()->graph(0)->name(), QStringLiteral("IA"));
    QCOMPARE(w.plot()->graph(0)->pen().color(), QColor(0, 0, 128));
    QCOMPARE(w.plot()->graph(1)->lineStyle(), QCPGraph::lsStepLeft);
    QCOMPARE(w.plot()->graph(2)->name(), QStringLiteral("D2"));
    // Fit all: the whole time axis, ms from the trigger.
    const QCPRange x = w.plot()->axisRect()->axis(QCPAxis::atBottom)->range();
    QCOMPARE(x.lower, -100.0);
    QCOMPARE(x.upper, 299.0);
    w.zoomTime(0, 20);
    QCOMPARE(w.plot()->axisRect()->axis(QCPAxis::atBottom)->range().upper, 20.0);
    w.fitAll();
    QCOMPARE(w.plot()->axisRect()->axis(QCPAxis::atBottom)->range().upper, 299.0);
    QCOMPARE(w.valuesTable()->rowCount(), 3);
  }

  void aFileThatDoesNotFitLeavesTheView() {
    Pair good;
    Pair bad(QByteArray(cfg()).replace("3,1A,2D", "3,1A,1D"));
    OscViewWindow w;
    w.setShowErrors(false);
    QCOMPARE(w.open(good.cfgPath), QString());
    const QString error = w.open(bad.cfgPath);
    QVERIFY(error.contains(QStringLiteral("строка 2")));
    QCOMPARE(w.recording().sampleCount(), 400);
    QCOMPARE(w.plot()->graphCount(), 3);
  }

  void cursorsGiveValuesRmsAndDistance() {
    Pair p;
    OscViewWindow w;
    w.setShowErrors(false);
    w.open(p.cfgPath);
    // Cursor 1 on sample 130 (30 ms after the trigger), cursor 2 taken to
    // the nearest sample of 47.4 ms (sample 147).
    w.setCursorTime(0, 30);
    w.setCursorTime(1, 47.4);
    QCOMPARE(w.cursorTime(1), 47.0);
    QCOMPARE(cell(w, 0, 1), QString::number(sample(130), 'f', 2));
    QCOMPARE(cell(w, 0, 2), QString::number(sample(147), 'f', 2));
    // The cycle ending at the cursor: a sine of 100 plus 10 A of DC.
    QCOMPARE(cell(w, 0, 3), QString::number(std::sqrt(100.0 * 100 / 2 + 10 * 10), 'f', 2));
    QCOMPARE(cell(w, 1, 1), QStringLiteral("1"));
    QCOMPARE(cell(w, 2, 1), QStringLiteral("0"));  // sample 130 is even
    QCOMPARE(cell(w, 2, 2), QStringLiteral("1"));
    QVERIFY(w.cursorLabel()->text().contains(QStringLiteral("17.000 мс = 0.850 периода 50 Гц")));

    // Before the trigger, the first cycle (samples 1..20 are the sine alone).
    const Recording& rec = w.recording();
    QCOMPARE(CycleRms(rec, 0, 0), CycleRms(rec, 0, 20));
    QVERIFY(std::abs(CycleRms(rec, 0, 20) - 100 / std::sqrt(2.0)) < 1e-6);
    QVERIFY(std::isnan(CycleRms(rec, 1, 20)));
    QCOMPARE(Cycles(rec, 20), 1.0);
  }

  // The CSV of the samples between the cursors as Python's csv module
  // reads it: every row has the header's fields, the header's labels are
  // the channels' (one with a comma, one with quotes), the rows the samples.
  void csvHoldsTheSamplesBetweenTheCursors() {
    Pair p(QByteArray(cfg()).replace("1,Start,", "1,Start \"K1\","));
    OscViewWindow w;
    w.setShowErrors(false);
    QCOMPARE(w.open(p.cfgPath), QString());
    w.setCursorTime(1, -2);
    w.setCursorTime(0, 1);
    const QString path = p.dir.filePath("between.csv");
    QVERIFY(w.saveCsv(path));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().startsWith("\xEF\xBB\xBF"));

    const char* script =
        "import csv, json, sys\n"
        "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
        "    print(json.dumps(list(csv.reader(f)), ensure_ascii=False))\n";
    QProcess py;
    py.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script), path});
    QVERIFY(py.waitForFinished(30000));
    QVERIFY2(py.exitCode() == 0, py.readAllStandardError().constData());
    QList<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(py.readAllStandardOutput()).array()) {
      QStringList cells;
      for (const QJsonValue& c : row.toArray()) cells << c.toString();
      rows << cells;
    }
    QCOMPARE(rows.size(), 1 + 4);  // samples 98..101
    QCOMPARE(rows[0], (QStringList{"t, мс", "IA, A", "Start \"K1\"", "D2"}));
    for (const QStringList& row : rows) QCOMPARE(row.size(), rows[0].size());
    const QVector<double>& ia = w.recording().values[0];
    QCOMPARE(rows[1], (QStringList{"-2.0000", QString::number(ia[98], 'g', 10), "0", "0"}));
    QCOMPARE(rows[4], (QStringList{"1.0000", QString::number(ia[101], 'g', 10), "1", "1"}));
    QVERIFY(std::abs(ia[101] - sample(101)) < 1e-5);
  }

  void theViewSavesAsPng() {
    Pair p;
    OscViewWindow w;
    w.open(p.cfgPath);
    w.resize(900, 600);
    const QString path = p.dir.filePath("view.png");
    QVERIFY(w.savePng(path));
    QImage image(path);
    QVERIFY(!image.isNull());
    QVERIFY(image.width() > 100);
  }
};

QTEST_MAIN(TestOscWindow)
#include "test_osc_window.moc"
