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

#include "oscview/osc_analysis_panel.h"
#include "oscview/osc_math.h"
#include "oscview/osc_reduce.h"
#include "oscview/osc_window.h"
#include "oscview/phasor_diagram.h"
#include "oscview/qcustomplot_include.h"
#include "tests/oscview/comtrade_gen.h"

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
  Pair(const QByteArray& c = cfg(), const QByteArray& d = dat(), const QString& name = QStringLiteral("t")) {
    cfgPath = dir.filePath(name + ".cfg");
    QFile a(cfgPath), b(dir.filePath(name + ".dat"));
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
    QCOMPARE(w.windowTitle(),
             QStringLiteral("Просмотр осциллограммы - t.cfg - Test, Gen, 01/01/2020,00:00:00.000000"));
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
    QCOMPARE(cycleRms(rec, 0, 0), cycleRms(rec, 0, 20));
    QVERIFY(std::abs(cycleRms(rec, 0, 20) - 100 / std::sqrt(2.0)) < 1e-6);
    QVERIFY(std::isnan(cycleRms(rec, 1, 20)));
    QCOMPARE(cycles(rec, 20), 1.0);
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
    const Recording& rec = w.recording();
    QCOMPARE(rows[1], (QStringList{"-2.0000", QString::number(rec.value(0, 98), 'g', 10), "0", "0"}));
    QCOMPARE(rows[4], (QStringList{"1.0000", QString::number(rec.value(0, 101), 'g', 10), "1", "1"}));
    QVERIFY(std::abs(rec.value(0, 101) - sample(101)) < 1e-5);
  }

  // The PNG: a heading, the plot, then the cursor table (rows of text
  // below the plot's height); a long heading widens the picture rather
  // than running off its edge.
  void theViewSavesAsPng_data() {
    QTest::addColumn<QByteArray>("station");  // station and device
    QTest::addColumn<QString>("heading");
    QTest::newRow("short") << QByteArray("Test,Gen") << QStringLiteral("t.cfg - Test, Gen; первый отсчёт 01/01/2020");
    QTest::newRow("long") << QByteArray("Substation 110 kV North; line 2; bay 5; ").repeated(4) + ",Gen" << QString();
    QTest::newRow("nameless") << QByteArray(",") << QStringLiteral("t.cfg; первый отсчёт 01/01/2020");
  }
  void theViewSavesAsPng() {
    QFETCH(QByteArray, station);
    QFETCH(QString, heading);
    Pair p(QByteArray(cfg()).replace("Test,Gen,", station + ','));
    OscViewWindow w;
    w.open(p.cfgPath);
    if (!heading.isEmpty()) QVERIFY2(w.heading().startsWith(heading), qPrintable(w.heading()));
    w.resize(900, 600);
    const QString path = p.dir.filePath("view.png");
    QVERIFY(w.savePng(path));
    QImage image(path);
    QVERIFY(!image.isNull());
    QVERIFY(image.width() > 100);
    const int plotHeight = std::max(450, w.plot()->height());
    QVERIFY(image.height() > plotHeight + 3 * 20);
    auto inked = [&image](int from, int to) {
      for (int y = from; y < to; ++y)
        for (int x = 0; x < image.width(); ++x)
          if (image.pixel(x, y) != qRgb(255, 255, 255)) return true;
      return false;
    };
    QVERIFY(inked(0, 20));                                   // the heading
    QVERIFY(inked(image.height() - 60, image.height() - 1));  // the table's last rows
    for (int y = 0; y < 20; ++y)
      for (int x = image.width() - 8; x < image.width(); ++x) QCOMPARE(image.pixel(x, y), qRgb(255, 255, 255));
  }

  // Found by trying the viewer, on one recording, on 64 digital channels
  // that all change, and on two recordings, each with a side tab: the
  // window stays within the screen once the recording shows; lanes stay at
  // least 16 pixels apart; a double-click (press, release, press, double,
  // release) fits the view and leaves cursor 1 where it was, also after a
  // click that moved it and a drag; a single click still moves it.
  void firstUseMends_data() {
    QTest::addColumn<int>("lanes");  // digital channels of a binary recording; 0: the pair
    QTest::addColumn<bool>("two");
    QTest::addColumn<int>("tab");
    QTest::newRow("pair, values") << 0 << false << 0;
    QTest::newRow("pair, analysis") << 0 << false << 1;
    QTest::newRow("64 lanes, analysis") << 64 << false << 1;
    QTest::newRow("two recordings, values") << 0 << true << 0;
  }
  void firstUseMends() {
    QFETCH(int, lanes);
    QFETCH(bool, two);
    QFETCH(int, tab);
    vmk::testgen::Gen g;
    g.form = "BINARY";
    g.rates = {{1000, 300}};
    g.digital = lanes;
    Pair p = lanes ? Pair(g.cfg(), g.dat()) : Pair();
    Pair second(QByteArray(cfg()).replace("00:00:00.100000", "00:00:00.050000"), dat(), QStringLiteral("u"));
    OscViewWindow w;
    w.setShowErrors(false);
    const QRect screen = w.screen()->availableGeometry();
    QVERIFY(screen.contains(w.frameGeometry()));
    QCOMPARE(w.open(p.cfgPath), QString());
    if (two) QCOMPARE(w.openSecond(second.cfgPath), QString());
    w.tabs()->setCurrentIndex(tab);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCoreApplication::processEvents();
    QVERIFY2(screen.contains(w.frameGeometry()),
             qPrintable(QStringLiteral("%1x%2 on %3x%4").arg(w.frameGeometry().width()).arg(w.frameGeometry().height())
                            .arg(screen.width()).arg(screen.height())));

    QCPAxis* laneAxis = w.plot()->graph(int(w.recording().analog.size()))->valueAxis();
    QVERIFY(laneAxis->coordToPixel(0) - laneAxis->coordToPixel(1) >= 16);

    OscPlot* plot = w.plot();
    auto doubleClick = [plot](QPoint at) {
      QTest::mouseClick(plot, Qt::LeftButton, {}, at);
      QTest::mousePress(plot, Qt::LeftButton, {}, at);
      QTest::mouseDClick(plot, Qt::LeftButton, {}, at);
      QTest::mouseRelease(plot, Qt::LeftButton, {}, at);
    };
    auto fitted = [&w] {
      const QCPRange shown = w.plot()->timeAxis()->range();
      w.fitAll();
      return shown == w.plot()->timeAxis()->range();
    };
    w.setCursorTime(0, 30);
    w.zoomTime(0, 50);
    const QPoint at = plot->axisRect()->rect().center();
    doubleClick(at);
    QCOMPARE(w.cursorTime(0), 30.0);
    QVERIFY(fitted());
    QTest::mouseClick(plot, Qt::LeftButton, {}, at);
    const double clicked = w.cursorTime(0);
    QVERIFY(clicked != 30.0);  // a single click still moves it
    // A drag, then a double-click whose first click moved a little: the
    // cursor stays where the last click put it.
    w.zoomTime(0, 50);
    QTest::mousePress(plot, Qt::LeftButton, {}, at + QPoint(40, 0));
    QTest::mouseRelease(plot, Qt::LeftButton, {}, at + QPoint(50, 0));
    QTest::mousePress(plot, Qt::LeftButton, {}, at);
    QTest::mouseRelease(plot, Qt::LeftButton, {}, at + QPoint(5, 0));
    QTest::mousePress(plot, Qt::LeftButton, {}, at + QPoint(5, 0));
    QTest::mouseDClick(plot, Qt::LeftButton, {}, at + QPoint(5, 0));
    QTest::mouseRelease(plot, Qt::LeftButton, {}, at + QPoint(5, 0));
    QCOMPARE(w.cursorTime(0), clicked);
    QVERIFY(fitted());
  }

  // A second recording beside the first: its own rectangle and rows, its
  // trigger on the first's, then moved by the shift.
  void comparesTwoRecordings() {
    Pair first;
    Pair second(QByteArray(cfg()).replace("00:00:00.100000", "00:00:00.050000"), dat(), QStringLiteral("u"));
    OscViewWindow w;
    w.setShowErrors(false);
    QCOMPARE(w.open(first.cfgPath), QString());
    QCOMPARE(w.openSecond(second.cfgPath), QString());
    QCOMPARE(w.recordingCount(), 2);
    QCOMPARE(w.plot()->graphCount(), 6);
    QCOMPARE(w.valuesTable()->rowCount(), 6);
    QCOMPARE(cell(w, 3, 0), QStringLiteral("2: IA"));
    QVERIFY(w.windowTitle().contains(QStringLiteral("t.cfg - u.cfg")));
    // Each analog rectangle keys its own channels, inside it.
    for (int k = 0; k < 2; ++k)
      for (QCPAxisRect* rect : w.plot()->analogRects(k)) {
        QCPLegend* key = nullptr;
        for (int e = 0; e < rect->insetLayout()->elementCount(); ++e)
          if (auto* l = qobject_cast<QCPLegend*>(rect->insetLayout()->elementAt(e))) key = l;
        QVERIFY(key && key->visible());
        QCOMPARE(key->itemCount(), int(rect->graphs().size()));
        for (int i = 0; i < key->itemCount(); ++i) {
          auto* item = qobject_cast<QCPPlottableLegendItem*>(key->item(i));
          QVERIFY(item && item->plottable()->valueAxis() == rect->axis(QCPAxis::atLeft));
        }
      }
    // The second's trigger is its sample 50: at 30 ms its sample 80.
    w.setCursorTime(0, 30);
    QCOMPARE(cell(w, 3, 1), QString::number(sample(80), 'f', 2));
    w.setSecondShift(5);
    QCOMPARE(cell(w, 3, 1), QString::number(sample(75), 'f', 2));
    // Both fit: the second runs from -50 + 5 to 349 + 5 ms.
    w.fitAll();
    QCOMPARE(w.plot()->timeAxis()->range().upper, 354.0);
  }

  // The analysis tab of a binary three-phase recording: the group found by
  // the phases, the sequence table, the harmonics of the selected channel,
  // the diagram's arrows; angles from the reference.
  void analysisTabShowsTheGroup() {
    vmk::testgen::Gen g;
    g.form = "BINARY";
    g.rates = {{1600, 320}};
    g.digital = 2;
    // A balanced set of 500 A crests (each channel's a differs).
    g.custom = [&g](int c, int s) {
      return std::round(500 / g.a(c) * std::cos(2 * M_PI * 50 * s / 1600.0 - c * 2 * M_PI / 3));
    };
    Pair p(g.cfg(), g.dat());
    OscViewWindow w;
    w.setShowErrors(false);
    QCOMPARE(w.open(p.cfgPath), QString());
    w.tabs()->setCurrentIndex(1);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.setCursorTime(0, 100);
    AnalysisPanel* a = w.analysisPanel();
    QCOMPARE(a->sequenceTable()->rowCount(), 3);
    QCOMPARE(a->harmonicsTable()->rowCount(), kMaxHarmonic);
    QCOMPARE(a->diagram()->arrows().size(), 6);
    // The arrows' names apart: here I1 lies on IA and I2 and 3I0 are nil
    // at the centre; in a fault on phase A (as a recording showed it) 3I0
    // lies near IA and I2 near I1.
    const QList<DiagramArrow> fault{{"IA", std::polar(2965.0, 0.0), Qt::blue},
                                    {"IB", std::polar(450.0, -80 * M_PI / 180), Qt::green},
                                    {"IC", std::polar(450.0, 160 * M_PI / 180), Qt::red},
                                    {"I1", std::polar(1234.0, 9 * M_PI / 180), Qt::gray, true},
                                    {"I2", std::polar(879.0, -6.3 * M_PI / 180), Qt::gray, true},
                                    {"3I0", std::polar(2636.0, -6.3 * M_PI / 180), Qt::gray, true}};
    for (int set = 0; set < 2; ++set) {
      if (set == 1) a->diagram()->setArrows(fault);
      const QList<QRectF> labels = a->diagram()->labelRects();
      QCOMPARE(labels.size(), 6);
      for (int i = 0; i < labels.size(); ++i)
        for (int j = i + 1; j < labels.size(); ++j)
          QVERIFY2(!labels[i].intersects(labels[j]), qPrintable(QStringLiteral("set %1: %2 %3").arg(set).arg(i).arg(j)));
    }
    // IA: 500 A crest, 353.55 A RMS; IB 120° behind.
    const AnalysisAt& at = a->analysis();
    QVERIFY(std::abs(std::abs(at.channels[0].fundamental) - 500 / std::sqrt(2.0)) < 0.5);
    QVERIFY(std::abs(at.relativeDeg(at.channels[1].fundamental) + 120) < 0.1);
    QCOMPARE(a->channelTable()->item(0, 3)->text(), QStringLiteral("0.0"));
    a->selectChannel(2);
    QVERIFY(a->harmonicsTable()->horizontalHeaderItem(1)->text().startsWith(QStringLiteral("IC")));
    QVERIFY(w.saveAnalysisCsv(p.dir.filePath("a.csv")));
    QFile csv(p.dir.filePath("a.csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QVERIFY(csv.readAll().contains("Симметричные составляющие IA/IB/IC"));
  }

  // A long recording draws as each pixel column's min and max: no more
  // points than two a column, and the extremes of the samples kept.
  void aLongRecordingDrawsPerPixelColumn() {
    vmk::testgen::Gen g;
    g.revision = 2013;
    g.form = "BINARY32";
    g.rates = {{10000, 200000}};
    g.analog = 1;
    g.digital = 1;
    const LoadResult r = parseComtrade(g.cfg(), g.dat());
    QVERIFY2(r.ok(), qPrintable(r.error));
    const Recording& rec = r.recording;
    for (const auto& [from, to] : {std::pair{-10.0, 19989.9}, std::pair{1000.0, 1400.0}, std::pair{5.0, 9.0}}) {
      const Curve a = analogCurve(rec, 0, from, to, 500);
      const Curve d = digitalCurve(rec, 0, from, to, 500);
      QVERIFY(a.keys.size() <= 2 * 500 + 2 && d.keys.size() <= 2 * 500 + 2);
      double lo = 1e300, hi = -1e300;
      bool on = false, off = false;
      // The samples in view and one either side, that the line reaches the edges.
      const qsizetype first = std::max<qsizetype>(0, rec.times.lowerBound(from) - 1);
      const qsizetype last = std::min<qsizetype>(rec.sampleCount(), rec.times.lowerBound(to) + 1);
      for (qsizetype s = first; s < last; ++s) {
        const double v = rec.value(0, s);
        if (!std::isnan(v)) lo = std::min(lo, v), hi = std::max(hi, v);
        (rec.state(0, s) ? on : off) = true;
      }
      QCOMPARE(*std::min_element(a.values.begin(), a.values.end()), lo);
      QCOMPARE(*std::max_element(a.values.begin(), a.values.end()), hi);
      QCOMPARE(d.values.contains(1.0), on);
      QCOMPARE(d.values.contains(0.0), off);
    }
  }

  void vmkoscPrintsHelpAndInfo() {
    QProcess help;
    help.start(QStringLiteral(VMKOSC_PATH), {QStringLiteral("--help")});
    QVERIFY(help.waitForFinished(30000));
    QCOMPARE(help.exitCode(), 0);
    QVERIFY(help.readAllStandardOutput().contains("--info FILE"));

    Pair p;
    QProcess info;
    info.start(QStringLiteral(VMKOSC_PATH), {QStringLiteral("--info"), p.cfgPath, QStringLiteral("--at"), QStringLiteral("30")});
    QVERIFY(info.waitForFinished(30000));
    QCOMPARE(info.exitCode(), 0);
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    QVERIFY2(out.contains(QStringLiteral("Станция: Test")), qPrintable(out));
    QVERIFY(out.contains(QStringLiteral("Ревизия: 1999; данные: ASCII")));
    QVERIFY(out.contains(QStringLiteral("Отсчётов: 400")));
    QVERIFY(out.contains(QStringLiteral("Анализ: 30.000 мс от пуска")));
    // IA: 100 A amplitude, 70.711 A RMS.
    QVERIFY2(out.contains(QStringLiteral("\nIA\t")) && out.contains(QStringLiteral("\t70.71")), qPrintable(out));

    QProcess bad;
    bad.start(QStringLiteral(VMKOSC_PATH), {QStringLiteral("--bogus")});
    QVERIFY(bad.waitForFinished(30000));
    QCOMPARE(bad.exitCode(), 2);
  }
};

QTEST_MAIN(TestOscWindow)
#include "test_osc_window.moc"
