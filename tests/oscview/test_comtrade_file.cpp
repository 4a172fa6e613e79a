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

using namespace vmk;
using namespace vmk::oscview;

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
  h.station = osc::StationLine(QStringLiteral("ВМК-01.01"), 77, QStringLiteral("v9.1 от 31.06.2009"));
  h.phaseRatio = 120;
  h.earthRatio = 50;
  h.alarmTime = QDateTime(QDate(2010, 12, 24), QTime(13, 45));
  h.channelNames[1] = QStringLiteral("Пуск МТЗ-2");
  return osc::ComtradeCfgFile(h);
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
  return osc::StandardCfgFile(h, table());
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

}  // namespace

class TestComtradeFile : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void readsTheMakersForm() {
    const LoadResult r = ParseComtrade(makersCfg(), osc::DataFile(table()));
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
    QCOMPARE(rec.timeMs.first(), -500.0);
    QCOMPARE(rec.timeMs[800], 0.0);
    QCOMPARE(rec.timeMs.last(), 5999 * 0.625 - 500);
    // A value in the file (sample × 1.5) times ratio / 100: primary amperes.
    const int raw = std::int16_t(table()[400].analog[0]);
    QCOMPARE(rec.values[0][400], (raw + raw / 2) * 1.2);
    QCOMPARE(int(rec.states[1][799]), 0);
    QCOMPARE(int(rec.states[1][800]), 1);
  }

  void readsTheStandardFormToTheSameValues() {
    const LoadResult a = ParseComtrade(makersCfg(), osc::DataFile(table()));
    const LoadResult b = ParseComtrade(standardCfg(), osc::StandardDataFile(table()));
    QVERIFY2(b.ok(), qPrintable(b.error));
    QCOMPARE(b.recording.revision, 1999);
    QCOMPARE(b.recording.station, QStringLiteral("VMK-01.01"));
    QCOMPARE(b.recording.analog[0].id, QStringLiteral("IA"));
    QCOMPARE(b.recording.digital[1].id, QStringLiteral("Pusk MTZ-2"));
    QCOMPARE(b.recording.timeMs, a.recording.timeMs);
    QCOMPARE(b.recording.values, a.recording.values);
    QCOMPARE(b.recording.states, a.recording.states);
  }

  void readsAForeignPairFromDisk() {
    QTemporaryDir dir;
    QFile cfg(dir.filePath("rec.CFG")), dat(dir.filePath("rec.DAT"));
    QVERIFY(cfg.open(QIODevice::WriteOnly) && dat.open(QIODevice::WriteOnly));
    cfg.write(foreignCfg());
    dat.write(foreignDat());
    cfg.close();
    dat.close();
    const LoadResult r = LoadComtrade(dir.filePath("rec.CFG"));
    QVERIFY2(r.ok(), qPrintable(r.error));
    const Recording& rec = r.recording;
    QCOMPARE(rec.station, QStringLiteral("Substation North"));
    QCOMPARE(rec.device, QStringLiteral("Relay 7"));
    QCOMPARE(rec.sampleCount(), 200);
    QCOMPARE(rec.timeMs[20], 0.0);  // trigger 20 ms after the first sample
    QCOMPARE(rec.timeMs[21], 1.0);
    // Secondary values turned primary: 500 × 0.1 × 200 / 5 at the crest.
    QCOMPARE(rec.values[0][5], 2000.0);
  }

  void withoutARateTheStampsGiveTheTimes() {
    // Stamps of 1 ms, with a time multiplier of 2.
    QByteArray cfg = foreignCfg().replace("1000,200", "0,200");
    cfg.replace("ASCII\r\n1\r\n", "ASCII\r\n2\r\n");
    const LoadResult r = ParseComtrade(cfg, foreignDat());
    QVERIFY2(r.ok(), qPrintable(r.error));
    QCOMPARE(r.recording.timeMs[0], -20.0);
    QCOMPARE(r.recording.timeMs[10], 0.0);
    QCOMPARE(r.recording.timeMs[199], 378.0);
  }

  void readsWindows1251AndUtf8Names() {
    const QByteArray utf8 = cp1251::decode(makersCfg()).toUtf8();
    for (const QByteArray& cfg : {makersCfg(), utf8}) {
      const LoadResult r = ParseComtrade(cfg, osc::DataFile(table()));
      QVERIFY2(r.ok(), qPrintable(r.error));
      QCOMPARE(r.recording.analog[0].id, QStringLiteral("Ток Ia"));
    }
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
    QTest::newRow("binary") << foreignCfg("BINARY") << dat << "Двоичный файл данных";
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
  }
  void refusesWhatDoesNotFit() {
    QFETCH(QByteArray, cfg);
    QFETCH(QByteArray, dat);
    QFETCH(QString, says);
    const LoadResult r = ParseComtrade(cfg, dat);
    QVERIFY(!r.ok());
    QVERIFY2(r.error.contains(says), qPrintable(r.error));
    QCOMPARE(r.recording.sampleCount(), 0);
  }

  // Spoilt copies of good pairs (bytes changed, lines cut, commas added or
  // taken away) are read or refused; none crashes or reads out of bounds.
  void spoiltPairsAreReadOrRefused() {
    QRandomGenerator rng(20101224);
    const QByteArray pairs[][2] = {{foreignCfg(), foreignDat()}, {standardCfg(), osc::StandardDataFile(table()).left(20000)}};
    const char noise[] = {',', '\n', '\r', '-', '.', '9', 'e', '/', ':', ' ', '\xff', '\0'};
    int refused = 0;
    for (int i = 0; i < 1500; ++i) {
      QByteArray cfg = pairs[i % 2][0];
      QByteArray dat = pairs[i % 2][1];
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
      const LoadResult r = ParseComtrade(cfg, dat);
      if (!r.ok()) {
        ++refused;
        QVERIFY(!r.error.isEmpty());
        continue;
      }
      const Recording& rec = r.recording;
      QCOMPARE(rec.values.size(), rec.analog.size());
      QCOMPARE(rec.states.size(), rec.digital.size());
      for (const QVector<double>& v : rec.values) QCOMPARE(v.size(), rec.timeMs.size());
      for (const QByteArray& s : rec.states) QCOMPARE(s.size(), rec.timeMs.size());
    }
    QVERIFY(refused > 100);
  }

  void refusesMissingAndOversizedFiles() {
    QTemporaryDir dir;
    QVERIFY(LoadComtrade(dir.filePath("none.cfg")).error.startsWith(QStringLiteral("Не удалось открыть файл")));
    QFile cfg(dir.filePath("big.cfg"));
    QVERIFY(cfg.open(QIODevice::WriteOnly));
    cfg.write(foreignCfg());
    cfg.close();
    // No data file beside it.
    QVERIFY(LoadComtrade(dir.filePath("big.cfg")).error.contains(QStringLiteral("big.dat")));
    QFile dat(dir.filePath("big.dat"));
    QVERIFY(dat.open(QIODevice::WriteOnly));
    QVERIFY(dat.resize(kMaxDatBytes + 1));
    dat.close();
    QVERIFY(LoadComtrade(dir.filePath("big.cfg")).error.contains(QStringLiteral("слишком велик")));
  }
};

QTEST_GUILESS_MAIN(TestComtradeFile)
#include "test_comtrade_file.moc"
