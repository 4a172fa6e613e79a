// The viewer's reader: our pair in both forms as the download writes it, a
// 1999 pair of another tool written here, and files that do not fit,
// refused with a text that says where, never a crash.

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "extlib/charset.h"
#include "journals/comtrade_cfg.h"
#include "journals/comtrade_standard.h"
#include "journals/osc_samples.h"
#include "oscview/comtrade_file.h"
#include "tests/oscview/comtrade_gen.h"

using namespace vmk;
using namespace vmk::oscview;
using vmk::testgen::Gen;
using vmk::testgen::Rate;

namespace {

// A sample table: Ia a 50 Hz sine of amplitude 1000 (device units), the
// other currents 0, channel 2 on from sample 800.
osc::SampleTable table() {
  osc::SampleTable t(osc::kSamples);
  for (int s = 0; s < osc::kSamples; ++s) {
    const int v = int(std::lround(1000 * std::sin(2 * M_PI * 50 * s / 1600.0)));
    t[std::size_t(s)].analog[0] = std::uint16_t(v);
    if (s >= 800) t[std::size_t(s)].digital = 0x0002;
  }
  return t;
}

QByteArray makersCfg() {
  osc::CfgHeader h;
  h.station = osc::stationLine(QStringLiteral("ВМК-01.01"), 77, QStringLiteral("v9.1 от 31.06.2009"));
  h.phaseRatio = 120;
  h.earthRatio = 50;
  h.alarmTime = QDateTime(QDate(2010, 12, 24), QTime(13, 45));
  h.channelNames[1] = QStringLiteral("Пуск МТЗ-2");
  return osc::comtradeCfgFile(h);
}

QByteArray standardCfg() {
  osc::StandardHeader h;
  h.deviceName = QStringLiteral("ВМК-01.01");
  h.serialNumber = 77;
  h.versionText = QStringLiteral("v9.1");
  h.phaseRatio = 120;
  h.earthRatio = 50;
  h.setup.CtPrimary = 600;
  h.setup.CtSecondary = 5;
  h.alarmTime = QDateTime(QDate(2010, 12, 24), QTime(13, 45));
  h.channelNames[1] = QStringLiteral("Пуск МТЗ-2");
  return osc::standardCfgFile(h, table());
}

// Another tool's 1999 pair: one current in secondary amperes (PS = S,
// 200/5), one digital channel, 1000 Hz, stamps in the data file.
QByteArray foreignCfg(const QByteArray& ft = "ASCII") {
  return "Substation North,Relay 7,1999\r\n"
         "2,1A,1D\r\n"
         "1,IL1,A,,A,0.1,0,0,-999,999,200,5,S\r\n"
         "1,Trip,,,0\r\n"
         "50\r\n"
         "1\r\n"
         "1000,200\r\n"
         "01/02/2012,10:00:00.000000\r\n"
         "01/02/2012,10:00:00.020000\r\n" +
         ft + "\r\n1\r\n";
}
QByteArray foreignDat(int samples = 200) {
  QByteArray out;
  for (int s = 0; s < samples; ++s) {
    const int v = int(std::lround(500 * std::sin(2 * M_PI * 50 * s / 1000.0)));
    out += QByteArray::number(s + 1) + ',' + QByteArray::number(s * 1000) + ',' + QByteArray::number(v) + ',' +
           (s >= 20 ? "1" : "0") + "\r\n";
  }
  return out;
}

// Same times, values (NaN where missing) and states, sample by sample.
bool sameSamples(const Recording& a, const Recording& b) {
  if (a.sampleCount() != b.sampleCount() || a.values.size() != b.values.size() || a.states.size() != b.states.size())
    return false;
  for (int s = 0; s < a.sampleCount(); ++s) {
    if (a.timeMs(s) != b.timeMs(s)) return false;
    for (int c = 0; c < a.values.size(); ++c)
      if (a.value(c, s) != b.value(c, s) && !(std::isnan(a.value(c, s)) && std::isnan(b.value(c, s)))) return false;
    for (int c = 0; c < a.states.size(); ++c)
      if (a.state(c, s) != b.state(c, s)) return false;
  }
  return true;
}

}  // namespace

class TestComtradeFile : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void readsTheMakersForm() {
    const LoadResult r = parseComtrade(makersCfg(), osc::dataFile(table()));
    QVERIFY2(r.ok(), qPrintable(r.error));
    const Recording& rec = r.recording;
    QCOMPARE(rec.revision, 1991);
    QCOMPARE(rec.station, QStringLiteral("ВМК-01.01, заводской №77, версия ПО v9.1 от 31.06.2009"));
    QCOMPARE(rec.analog.size(), 4);
    QCOMPARE(rec.analog[0].id, QStringLiteral("Ток Ia"));
    QCOMPARE(rec.digital.size(), 16);
    QCOMPARE(rec.digital[1].id, QStringLiteral("Пуск МТЗ-2"));
    QCOMPARE(rec.sampleCount(), 6000);
    // The trigger 0.5 s after the first sample; 625 µs a sample.
    QCOMPARE(rec.triggerOffsetMs, 500.0);
    QCOMPARE(rec.timeMs(0), -500.0);
    QCOMPARE(rec.timeMs(800), 0.0);
    QCOMPARE(rec.timeMs(5999), 5999 * 0.625 - 500);
    // A value in the file (sample × 1.5) times ratio / 100: primary amperes.
    const int raw = std::int16_t(table()[400].analog[0]);
    QCOMPARE(rec.value(0, 400), (raw + raw / 2) * 1.2);
    QCOMPARE(rec.state(1, 799), false);
    QCOMPARE(rec.state(1, 800), true);
  }

  void readsTheStandardFormToTheSameValues() {
    const LoadResult a = parseComtrade(makersCfg(), osc::dataFile(table()));
    const LoadResult b = parseComtrade(standardCfg(), osc::standardDataFile(table()));
    QVERIFY2(b.ok(), qPrintable(b.error));
    QCOMPARE(b.recording.revision, 1999);
    QCOMPARE(b.recording.station, QStringLiteral("VMK-01.01"));
    QCOMPARE(b.recording.analog[0].id, QStringLiteral("IA"));
    QCOMPARE(b.recording.digital[1].id, QStringLiteral("Pusk MTZ-2"));
    QVERIFY(sameSamples(b.recording, a.recording));
  }

  void readsAForeignPairFromDisk() {
    QTemporaryDir dir;
    QFile cfg(dir.filePath("rec.CFG")), dat(dir.filePath("rec.DAT"));
    QVERIFY(cfg.open(QIODevice::WriteOnly) && dat.open(QIODevice::WriteOnly));
    cfg.write(foreignCfg());
    dat.write(foreignDat());
    cfg.close();
    dat.close();
    QFile hdr(dir.filePath("rec.HDR")), inf(dir.filePath("rec.inf"));
    QVERIFY(hdr.open(QIODevice::WriteOnly) && inf.open(QIODevice::WriteOnly));
    hdr.write("Отключение КЛ-2");
    inf.write("[Public Record]");
    hdr.close();
    inf.close();
    const LoadResult r = loadComtrade(dir.filePath("rec.CFG"));
    QVERIFY2(r.ok(), qPrintable(r.error));
    const Recording& rec = r.recording;
    QCOMPARE(rec.header, QStringLiteral("Отключение КЛ-2"));
    QCOMPARE(rec.information, QStringLiteral("[Public Record]"));
    QCOMPARE(rec.station, QStringLiteral("Substation North"));
    QCOMPARE(rec.device, QStringLiteral("Relay 7"));
    QCOMPARE(rec.sampleCount(), 200);
    QCOMPARE(rec.timeMs(20), 0.0);  // trigger 20 ms after the first sample
    QCOMPARE(rec.timeMs(21), 1.0);
    // Secondary values turned primary: 500 × 0.1 × 200 / 5 at the crest.
    QCOMPARE(rec.value(0, 5), 2000.0);
  }

  void withoutARateTheStampsGiveTheTimes() {
    // Stamps of 1 ms, with a time multiplier of 2.
    QByteArray cfg = foreignCfg().replace("1000,200", "0,200");
    cfg.replace("ASCII\r\n1\r\n", "ASCII\r\n2\r\n");
    const LoadResult r = parseComtrade(cfg, foreignDat());
    QVERIFY2(r.ok(), qPrintable(r.error));
    QCOMPARE(r.recording.timeMs(0), -20.0);
    QCOMPARE(r.recording.timeMs(10), 0.0);
    QCOMPARE(r.recording.timeMs(199), 378.0);
  }

  void readsWindows1251AndUtf8Names() {
    const QByteArray utf8 = cp1251::decode(makersCfg()).toUtf8();
    for (const QByteArray& cfg : {makersCfg(), utf8}) {
      const LoadResult r = parseComtrade(cfg, osc::dataFile(table()));
      QVERIFY2(r.ok(), qPrintable(r.error));
      QCOMPARE(r.recording.analog[0].id, QStringLiteral("Ток Ia"));
    }
  }

  // Every revision with its data forms, each in three rate layouts (one
  // rate, two rates, the samples' own stamps), as a pair and, of 2013, as
  // one .cff: every time, value, missing mark and state read back.
  void readsEveryRevisionFormAndLayout_data() {
    QTest::addColumn<int>("revision");
    QTest::addColumn<QByteArray>("form");
    QTest::addColumn<QList<Rate>>("rates");
    QTest::addColumn<bool>("single");
    const QList<std::pair<const char*, QList<Rate>>> layouts = {
        {"one rate", {{1000, 60}}}, {"two rates", {{4000, 25}, {1000, 60}}}, {"stamps", {}}};
    const QList<std::pair<int, QList<QByteArray>>> revisions = {
        {1991, {"ASCII", "BINARY"}}, {1999, {"ASCII", "BINARY"}}, {2013, {"ASCII", "BINARY", "BINARY32", "FLOAT32"}}};
    for (const auto& [revision, forms] : revisions)
      for (const QByteArray& form : forms)
        for (const auto& [layout, rates] : layouts)
          for (bool single : {false, true}) {
            if (single && revision != 2013) continue;
            QTest::addRow("%d %s %s%s", revision, form.constData(), layout, single ? " cff" : "")
                << revision << form << rates << single;
          }
  }
  void readsEveryRevisionFormAndLayout() {
    QFETCH(int, revision);
    QFETCH(QByteArray, form);
    QFETCH(QList<Rate>, rates);
    QFETCH(bool, single);
    Gen g;
    g.revision = revision;
    g.form = form;
    g.rates = rates;
    g.timemult = rates.isEmpty() && revision != 1991 ? 2 : 1;
    const LoadResult r = single ? parseCombined(g.cff()) : parseComtrade(g.cfg(), g.dat());
    QVERIFY2(r.ok(), qPrintable(r.error));
    const Recording& rec = r.recording;
    QCOMPARE(rec.revision, revision);
    QCOMPARE(rec.dataForm, QString::fromLatin1(form));
    QCOMPARE(rec.station, QStringLiteral("North"));
    QCOMPARE(rec.device, QStringLiteral("Rec 7"));
    QCOMPARE(rec.sampleCount(), g.count());
    QCOMPARE(rec.analog.size(), g.analog);
    QCOMPARE(rec.digital.size(), g.digital);
    QCOMPARE(rec.singleFile, single);
    if (single) QCOMPARE(rec.header, QStringLiteral("Fault on line 2\r\n"));
    int missing = 0;
    for (int s = 0; s < g.count(); ++s) {
      QVERIFY2(std::abs(rec.timeMs(s) - (g.timeMs(s) - 10)) < 1e-9, qPrintable(QString::number(s)));
      for (int c = 0; c < g.analog; ++c) {
        const double want = g.expected(c, s), got = rec.value(c, s);
        missing += std::isnan(want);
        QVERIFY2(std::isnan(want) ? std::isnan(got) : got == want,
                 qPrintable(QStringLiteral("sample %1 channel %2: %3, not %4").arg(s).arg(c).arg(got).arg(want)));
      }
      for (int c = 0; c < g.digital; ++c) QCOMPARE(rec.state(c, s), g.state(c, s));
    }
    QCOMPARE(missing > 0, g.hasMissingMark());
  }

  // The configuration's text: this family's Windows-1251, UTF-8 with a
  // byte-order mark, another tool's Latin-1, and upper case file names.
  // A line frequency no network runs at is taken as 50 Hz, as a missing one
  // is; the analysis cycle never spans the whole file.
  void takesAnUnknownLineFrequencyAs50_data() {
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<double>("taken");
    QTest::newRow("60 Hz") << QByteArray("60") << 60.0;
    QTest::newRow("railway") << QByteArray("16.7") << 16.7;
    QTest::newRow("not known") << QByteArray("0") << 50.0;
    QTest::newRow("negative") << QByteArray("-50") << 50.0;
    QTest::newRow("a hundredth") << QByteArray("0.01") << 50.0;
    QTest::newRow("a gigahertz") << QByteArray("1e9") << 50.0;
  }
  void takesAnUnknownLineFrequencyAs50() {
    QFETCH(QByteArray, written);
    QFETCH(double, taken);
    Gen g;
    g.lineHz = written;
    const LoadResult r = parseComtrade(g.cfg(), g.dat());
    QVERIFY2(r.ok(), qPrintable(r.error));
    QCOMPARE(r.recording.lineFrequency, taken);
  }

  void readsEachTextEncoding_data() {
    QTest::addColumn<QByteArray>("station");
    QTest::addColumn<QString>("reads");
    QTest::newRow("windows-1251") << QByteArray("\xcf\xd1 \xd1\xe5\xe2\xe5\xf0\xed\xe0\xff") << "ПС Северная";
    QTest::newRow("utf-8 with a mark") << QByteArray("\xEF\xBB\xBFПС Северная") << "ПС Северная";
    QTest::newRow("latin-1") << QByteArray("Umspannwerk S\xfc" "d") << "Umspannwerk Süd";
    QTest::newRow("utf-8") << QByteArray("Umspannwerk Süd") << "Umspannwerk Süd";
  }
  void readsEachTextEncoding() {
    QFETCH(QByteArray, station);
    QFETCH(QString, reads);
    Gen g;
    g.station = station;
    const LoadResult r = parseComtrade(g.cfg(), g.dat());
    QVERIFY2(r.ok(), qPrintable(r.error));
    QCOMPARE(r.recording.station, reads);
  }

  void refusesWhatDoesNotFit_data() {
    QTest::addColumn<QByteArray>("cfg");
    QTest::addColumn<QByteArray>("dat");
    QTest::addColumn<QString>("says");
    const QByteArray cfg = foreignCfg();
    const QByteArray dat = foreignDat();
    QTest::newRow("empty cfg") << QByteArray() << dat << "Файл конфигурации пуст";
    QTest::newRow("counts do not add up") << QByteArray(cfg).replace("2,1A,1D", "3,1A,1D") << dat
                                          << "строка 2: число каналов не сходится";
    QTest::newRow("too many channels") << QByteArray(cfg).replace("2,1A,1D", "2000,1000A,1000D") << dat
                                       << "строка 2";
    QTest::newRow("analog fields") << QByteArray(cfg).replace(",200,5,S", ",200,5") << dat
                                   << "строка 3: аналоговый канал: 12 полей";
    QTest::newRow("multiplier no number") << QByteArray(cfg).replace(",0.1,", ",x,") << dat
                                          << "строка 3: множитель «x» не число";
    QTest::newRow("multiplier inf") << QByteArray(cfg).replace(",0.1,", ",inf,") << dat << "строка 3";
    QTest::newRow("PS") << QByteArray(cfg).replace(",5,S", ",5,Q") << dat << "строка 3: ожидается P или S";
    QTest::newRow("secondary 0") << QByteArray(cfg).replace(",200,5,S", ",200,0,S") << dat << "строка 3";
    QTest::newRow("digital fields") << QByteArray(cfg).replace("1,Trip,,,0", "1,Trip,0,1") << dat
                                    << "строка 4: дискретный канал: 4 полей";
    QTest::newRow("cut short") << cfg.left(cfg.indexOf("1000,200")) << dat << "файл кончился";
    QTest::newRow("endsamp") << QByteArray(cfg).replace("1000,200", "1000,-1") << dat << "строка 7";
    QTest::newRow("huge endsamp") << QByteArray(cfg).replace("1000,200", "1000,99999999999") << dat << "строка 7";
    QTest::newRow("bad stamp") << QByteArray(cfg).replace("01/02/2012,10:00:00.020000", "31/31/2012,10:00")
                               << dat << "строка 9: неверные дата и время";
    QTest::newRow("year beyond four digits") << QByteArray(cfg).replace("01/02/2012,10:00:00.020000", "01/02/202222226,10:00:00")
                                             << dat << "строка 9: неверные дата и время";
    QTest::newRow("unknown data form") << foreignCfg("FLOAT64") << dat
                                       << "строка 10: форма данных «FLOAT64» неизвестна: ожидается ASCII, BINARY";
    QTest::newRow("fewer samples") << cfg << foreignDat(150) << "В файле данных 150 отсчётов, в файле конфигурации 200";
    QTest::newRow("no samples") << QByteArray(cfg).replace("1000,200", "1000,0") << QByteArray("\r\n")
                                << "В файле данных нет отсчётов";
    QTest::newRow("data field") << cfg << QByteArray(dat).replace("3,2000,", "3,2000,abc,") << "Файл данных, строка 3";
    QTest::newRow("data too many fields") << cfg << QByteArray(dat).replace("\r\n", ",0\r\n") << "Файл данных, строка 1: больше 4 полей";
    QTest::newRow("data too few fields") << cfg << QByteArray("1,0,5\r\n") << "Файл данных, строка 1: 3 полей вместо 4";
    QTest::newRow("digital not 0/1") << cfg << QByteArray(dat).replace(",0\r\n", ",2\r\n") << "Файл данных, строка 1";
    // Without a sampling rate the time stamps give the time axis.
    QTest::newRow("stamps going back") << QByteArray(cfg).replace("1000,200", "0,200")
                                       << QByteArray(dat).replace("5,4000,", "5,2000,") << "Файл данных, строка 5: метка времени";
    QTest::newRow("garbage") << QByteArray(4096, '\xff') << dat << "строка";

    Gen g;
    g.form = "BINARY";
    QTest::newRow("binary shorter than named") << g.cfg() << g.dat().chopped(1)
                                               << "Файл данных: 1079 байт, а 60 отсчётов по 18 байт требуют 1080 байт";
    QTest::newRow("unknown revision") << QByteArray(g.cfg()).replace(",1999\r\n", ",2020\r\n") << g.dat()
                                      << "строка 1: ревизия «2020» неизвестна: ожидается 1991, 1999 или 2013";
    Gen stamped = g;
    stamped.rates.clear();
    QByteArray noStamp = stamped.dat();
    noStamp.replace(18 * 4 + 4, 4, QByteArray(4, '\xff'));
    QTest::newRow("binary sample without a stamp") << stamped.cfg() << noStamp
                                                   << "Файл данных, отсчёт 5: нет метки времени";
    QByteArray back = stamped.dat();
    back.replace(18 * 4 + 4, 4, QByteArray(4, '\0'));
    QTest::newRow("binary stamps going back") << stamped.cfg() << back
                                              << "Файл данных, отсчёт 5: метка времени меньше предыдущей";
    Gen cff;
    cff.revision = 2013;
    QTest::newRow("a .cff as configuration") << cff.cff() << QByteArray()
                                             << "строка 1: это начало файла COMTRADE 2013 из одного файла (.cff)";
  }
  void refusesWhatDoesNotFit() {
    QFETCH(QByteArray, cfg);
    QFETCH(QByteArray, dat);
    QFETCH(QString, says);
    const LoadResult r = parseComtrade(cfg, dat);
    QVERIFY(!r.ok());
    QVERIFY2(r.error.contains(says), qPrintable(r.error));
    QCOMPARE(r.recording.sampleCount(), 0);
  }

  // The single 2013 file: its sections and the binary data's byte count.
  void refusesSingleFilesThatDoNotFit_data() {
    QTest::addColumn<QByteArray>("cff");
    QTest::addColumn<QString>("says");
    Gen g;
    g.revision = 2013;
    g.form = "BINARY";
    const QByteArray good = g.cff();
    const QByteArray marker = "--- file type: DAT BINARY: 1080 ---";
    QVERIFY(good.contains(marker));
    QTest::newRow("no data") << good.left(good.indexOf(marker)) << "Файл: нет раздела «--- file type: DAT ... ---»";
    QTest::newRow("no configuration") << good.mid(good.indexOf("--- file type: INF")) << "нет раздела «--- file type: CFG ---»";
    QTest::newRow("count beyond the file") << good.chopped(5)
                                           << "раздел DAT в 1080 байт длиннее остатка файла (1075 байт)";
    QTest::newRow("binary without a count") << QByteArray(good).replace(marker, "--- file type: DAT BINARY ---")
                                            << "у двоичных данных нет числа байт";
    QTest::newRow("forms differ") << QByteArray(good).replace(marker, "--- file type: DAT FLOAT32: 1080 ---")
                                  << "Файл, раздел DAT: данные «FLOAT32», а в конфигурации «BINARY»";
    QTest::newRow("unknown section") << QByteArray(good).replace("--- file type: INF ---", "--- file type: XYZ ---")
                                     << "раздел «XYZ» неизвестен: ожидается CFG, INF, HDR или DAT";
    QTest::newRow("no marker first") << "North,Rec 7,2013\r\n" + good << "строка 1: ожидается «--- file type: CFG ---»";
    QTest::newRow("configuration line") << QByteArray(good).replace("21,3A,18D", "21,3A,17D")
                                        << "Файл, раздел CFG, строка 2: число каналов не сходится";
  }
  void refusesSingleFilesThatDoNotFit() {
    QFETCH(QByteArray, cff);
    QFETCH(QString, says);
    const LoadResult r = parseCombined(cff);
    QVERIFY(!r.ok());
    QVERIFY2(r.error.contains(says), qPrintable(r.error));
  }

  // Spoilt copies of good pairs (bytes changed, lines cut, commas added or
  // taken away) are read or refused; none crashes or reads out of bounds.
  void spoiltPairsAreReadOrRefused() {
    QRandomGenerator rng(20101224);
    Gen binary;
    binary.form = "BINARY";
    binary.rates.clear();
    const QByteArray pairs[][2] = {{foreignCfg(), foreignDat()},
                                   {standardCfg(), osc::standardDataFile(table()).left(20000)},
                                   {binary.cfg(), binary.dat()}};
    const char noise[] = {',', '\n', '\r', '-', '.', '9', 'e', '/', ':', ' ', '\xff', '\0'};
    int refused = 0;
    for (int i = 0; i < 1500; ++i) {
      QByteArray cfg = pairs[i % 3][0];
      QByteArray dat = pairs[i % 3][1];
      QByteArray& target = rng.bounded(3) == 0 ? dat : cfg;
      for (int k = 0, n = 1 + int(rng.bounded(4)); k < n && !target.isEmpty(); ++k) {
        const int at = int(rng.bounded(quint32(target.size())));
        switch (rng.bounded(4)) {
          case 0: target[at] = noise[rng.bounded(quint32(sizeof noise))]; break;
          case 1: target.remove(at, 1 + int(rng.bounded(8u))); break;
          case 2: target.insert(at, noise[rng.bounded(quint32(sizeof noise))]); break;
          default: target.truncate(at); break;
        }
      }
      const LoadResult r = parseComtrade(cfg, dat);
      if (!r.ok()) {
        ++refused;
        QVERIFY(!r.error.isEmpty());
        continue;
      }
      const Recording& rec = r.recording;
      QCOMPARE(rec.values.size(), rec.analog.size());
      QCOMPARE(rec.states.size(), rec.digital.size());
      for (const AnalogSamples& v : rec.values) QCOMPARE(v.size(), qsizetype(rec.sampleCount()));
      for (const DigitalSamples& s : rec.states) QCOMPARE(s.size(), qsizetype(rec.sampleCount()));
    }
    QVERIFY(refused > 100);
  }

  // A .cff on disk (by its name, or by its first line under another name);
  // a refusal names the file it comes from.
  void readsASingleFileAndNamesFilesInRefusals() {
    QTemporaryDir dir;
    Gen g;
    g.revision = 2013;
    g.form = "FLOAT32";
    for (const char* name : {"rec.CFF", "rec.txt"}) {
      QFile f(dir.filePath(name));
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(g.cff());
      f.close();
      const LoadResult r = loadComtrade(f.fileName());
      QVERIFY2(r.ok(), qPrintable(r.error));
      QCOMPARE(r.recording.information, QStringLiteral("[Public Record]\r\n"));
      QCOMPARE(r.recording.sampleCount(), 60);
    }
    QFile cfg(dir.filePath("bad.cfg")), dat(dir.filePath("bad.DAT"));
    QVERIFY(cfg.open(QIODevice::WriteOnly) && dat.open(QIODevice::WriteOnly));
    cfg.write(Gen().cfg());
    dat.write(Gen().dat().replace("\r\n5,4000,", "\r\n5,4000,x"));
    cfg.close();
    dat.close();
    QCOMPARE(loadComtrade(cfg.fileName()).error.section(QLatin1Char(':'), 0, 0),
             QStringLiteral("Файл данных bad.DAT, строка 5"));
    QVERIFY(cfg.open(QIODevice::WriteOnly | QIODevice::Truncate));
    cfg.write(Gen().cfg().replace("21,3A,18D", "20,3A,18D"));
    cfg.close();
    QCOMPARE(loadComtrade(cfg.fileName()).error,
             QStringLiteral("Файл конфигурации bad.cfg, строка 2: число каналов не сходится"));
    // The viewer's "Отмена" while reading.
    QCOMPARE(loadComtrade(dir.filePath("rec.CFF"), [](int) { return false; }).error, QStringLiteral("Чтение прервано"));
  }

  void refusesMissingAndOversizedFiles() {
    QTemporaryDir dir;
    QVERIFY(loadComtrade(dir.filePath("none.cfg")).error.startsWith(QStringLiteral("Не удалось открыть файл")));
    QFile cfg(dir.filePath("big.cfg"));
    QVERIFY(cfg.open(QIODevice::WriteOnly));
    cfg.write(foreignCfg());
    cfg.close();
    // No data file beside it.
    QVERIFY(loadComtrade(dir.filePath("big.cfg")).error.contains(QStringLiteral("big.dat")));
    QFile dat(dir.filePath("big.dat"));
    QVERIFY(dat.open(QIODevice::WriteOnly));
    QVERIFY(dat.resize(kMaxDatBytes + 1));
    dat.close();
    QVERIFY(loadComtrade(dir.filePath("big.cfg")).error.contains(QStringLiteral("слишком велик")));
  }
};

QTEST_GUILESS_MAIN(TestComtradeFile)
#include "test_comtrade_file.moc"
