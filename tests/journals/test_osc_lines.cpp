// The lines of the oscillogram pair in the maker's form, checked against
// the examples its users know: data lines, the glitch filter, the
// configuration file's 28 lines, the channel names and the file names.

#include <QtTest>

#include "device/codecs.h"
#include "device/device_client.h"
#include "extlib/charset.h"
#include "extlib/registers.h"
#include "journals/comtrade_cfg.h"
#include "journals/journal_rows.h"
#include "journals/osc_download.h"
#include "journals/osc_samples.h"

using namespace vmk;
using namespace vmk::osc;

namespace {

SampleTable withChannel(int n, const QList<int>& values, int from) {
  SampleTable t(kSamples);
  for (int i = 0; i < values.size(); ++i)
    if (values[i]) t[std::size_t(from + i)].digital |= std::uint16_t(1u << (n - 1));
  return t;
}

QList<int> channelOf(const SampleTable& t, int n, int from, int count) {
  QList<int> out;
  for (int i = 0; i < count; ++i) out << t[std::size_t(from + i)].channel(n);
  return out;
}

CfgHeader header() {
  CfgHeader h;
  h.station = stationLine(QStringLiteral("ВМК-01.01"), 1234, QStringLiteral("v9.1 от 31.06.2009"));
  h.phaseRatio = 120;
  h.earthRatio = 50;
  h.alarmTime = QDateTime(QDate(2010, 12, 24), QTime(13, 45, 0));
  h.channelNames[0] = QStringLiteral("Пуск МТЗ-1");
  h.channelNames[1] = QStringLiteral("Пуск МТЗ-2+Пуск МТЗ-3");
  return h;
}

}  // namespace

class TestOscLines : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void dataLinesNumberSamplesAndScaleCurrents() {
    Sample s;
    s.analog = {1234, 0xFF9C, 0, 0x8000};
    s.digital = 0x8001;  // channels 1 and 16
    QCOMPARE(dataLine(0, s),
             QByteArray("00000001,-000000000,00001851,-0000150,-0000000,00049152,"
                        "1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1"));
    const QByteArray last = dataLine(kSamples - 1, Sample{});
    QVERIFY(last.startsWith("00006000,0003749375,-0000000,"));
    QCOMPARE(last.count(','), 21);

    const QByteArray file = dataFile(SampleTable(kSamples));
    QCOMPARE(file.count("\r\n"), kSamples);
    QVERIFY(file.startsWith("00000001,-000000000,"));
    QVERIFY(file.contains("\r\n00006000,0003749375,"));
    QVERIFY(file.endsWith(",0\r\n"));
  }

  // The data file makes its fields itself; they are the codecs' fields for
  // every 16-bit sample and for numbers of every length.
  void dataFieldsAreTheCodecsFields() {
    for (int v = 0; v <= 0xFFFF; ++v) {
      Sample s;
      s.analog = {std::uint16_t(v), 0, 0, 0};
      const QByteArray field = dataLine(0, s).split(',')[2];
      if (field != FormatSample16(std::uint16_t(v), 8).toLatin1())
        QFAIL(qPrintable(QStringLiteral("sample %1: %2").arg(v).arg(QString::fromLatin1(field))));
    }
    for (int s : {0, 1, 9, 10, 99, 1599, 5999}) {
      const QList<QByteArray> f = dataLine(s, Sample{}).split(',');
      QCOMPARE(f[0], FormatSample32(std::uint32_t(s + 1), 8).toLatin1());
      QCOMPARE(f[1], FormatSample32(std::uint32_t(s) * 625, 10).toLatin1());
    }
  }

  void glitchFilter_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("from");
    QTest::addColumn<QList<int>>("before");
    QTest::addColumn<QList<int>>("after");
    QTest::newRow("0,1,0 at 4..6") << 1 << 4 << QList<int>{0, 1, 0} << QList<int>{0, 0, 0};
    QTest::newRow("0,1,1 kept") << 1 << 4 << QList<int>{0, 1, 1} << QList<int>{0, 1, 1};
    QTest::newRow("1,0,1 filled") << 12 << 10 << QList<int>{1, 1, 0, 1, 1} << QList<int>{1, 1, 1, 1, 1};
    // The previous value is taken as already filtered: 0,1,0,1,0 loses
    // both single ones.
    QTest::newRow("alternating") << 5 << 100 << QList<int>{0, 1, 0, 1, 0} << QList<int>{0, 0, 0, 0, 0};
    QTest::newRow("channel 13 kept") << 13 << 4 << QList<int>{0, 1, 0} << QList<int>{0, 1, 0};
    QTest::newRow("first sample kept") << 2 << 0 << QList<int>{1, 0, 0} << QList<int>{1, 0, 0};
    QTest::newRow("last sample kept") << 2 << kSamples - 3 << QList<int>{0, 0, 1} << QList<int>{0, 0, 1};
  }
  void glitchFilter() {
    QFETCH(int, channel);
    QFETCH(int, from);
    QFETCH(QList<int>, before);
    QFETCH(QList<int>, after);
    SampleTable t = withChannel(channel, before, from);
    GlitchFilter(t);
    QCOMPARE(channelOf(t, channel, from, int(after.size())), after);
  }

  void blocksFillTheirRows() {
    RegisterWords w;
    w.first = 0;
    w.words.resize(121);
    w.words[0] = 7;
    for (int i = 0; i < kSamplesPerBlock; ++i)
      for (int k = 1; k <= 5; ++k) w.words[5 * i + k] = std::uint16_t(i * 10 + k);
    SampleTable t(kSamples);
    putBlock(t, 7, w);
    QCOMPARE(t[168].analog[0], std::uint16_t(1));
    QCOMPARE(t[168].digital, std::uint16_t(5));
    QCOMPARE(t[191].analog[3], std::uint16_t(234));
    QCOMPARE(t[192].analog[0], std::uint16_t(0));
    // A block beyond the table writes nothing.
    putBlock(t, kBlocks, w);
    QCOMPARE(int(t.size()), kSamples);
  }

  void configurationLines() {
    const QStringList l = comtradeCfgLines(header());
    QCOMPARE(l.size(), 28);
    QCOMPARE(l[0], QStringLiteral("ВМК-01.01, заводской №1234, версия ПО v9.1 от 31.06.2009"));
    QCOMPARE(l[1], QStringLiteral("20,4A,16D"));
    QCOMPARE(l[2], QStringLiteral("01,Ток Ia,,,A,1.200000,0.000000,0,-32768,32767"));
    QCOMPARE(l[3], QStringLiteral("02,Ток Ib,,,A,1.200000,0.000000,0,-32768,32767"));
    QCOMPARE(l[4], QStringLiteral("03,Ток Ic,,,A,1.200000,0.000000,0,-32768,32767"));
    QCOMPARE(l[5], QStringLiteral("04,Ток Io,,,A,0.050000,0.000000,0,-32768,32767"));
    QCOMPARE(l[6], QStringLiteral("1,Пуск МТЗ-1,0"));
    QCOMPARE(l[7], QStringLiteral("2,Пуск МТЗ-2+Пуск МТЗ-3,0"));
    QCOMPARE(l[8], QStringLiteral("3,,0"));
    QCOMPARE(l[21], QStringLiteral("16,,0"));
    QCOMPARE(l.mid(22, 3), (QStringList{"50", "1", "1600,6000"}));
    QCOMPARE(l[25], QStringLiteral("24/12/10,13:45:00.000000"));
    QCOMPARE(l[26], QStringLiteral("24/12/10,13:45:00.500000"));
    QCOMPARE(l[27], QStringLiteral("ASCII"));
    // "Ток" is Cyrillic, the channel ids and the unit Latin.
    QVERIFY(l[2].contains(QStringLiteral("\u0422\u043e\u043a Ia")));
  }

  void configurationFileIsWindows1251WithCrLf() {
    const QByteArray file = comtradeCfgFile(header());
    QCOMPARE(file.count("\r\n"), 28);
    QVERIFY(file.endsWith("ASCII\r\n"));
    QVERIFY(file.startsWith(cp1251::encode(QStringLiteral("ВМК-01.01, заводской №1234"))));
    QVERIFY(file.contains("\xd2\xee\xea Ia"));  // "Ток" in Windows-1251
    QVERIFY(!file.contains("\xd0"));            // no UTF-8 lead bytes of Cyrillic
  }

  void functionBitsAndChannelWords() {
    QCOMPARE(functionBit(0), 16);
    QCOMPARE(functionBit(10), 26);
    QCOMPARE(functionBit(11), 0);
    QCOMPARE(functionBit(26), 15);
    QCOMPARE(functionBit(27), 27);
    QCOMPARE(functionBit(31), 31);
    QCOMPARE(assignedFunctions(0), QList<int>{});
    QCOMPARE(assignedFunctions((1u << 16) | 1u | (1u << 31)), (QList<int>{0, 11, 31}));

    RegisterWords w;
    w.first = std::uint16_t(reg::kChannels.first);
    w.words.resize(reg::kChannels.count);
    w.words[2] = 0x0001;   // channel 2 low
    w.words[3] = 0x8002;   // channel 2 high
    QCOMPARE(channelAssignment(w, 2), 0x80020001u);
    QCOMPARE(channelAssignment(w, 1), 0u);
  }

  void fileNames_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("base");
    QTest::newRow("no extension") << "/tmp/osc" << "/tmp/osc";
    QTest::newRow(".cfg") << "/tmp/osc.cfg" << "/tmp/osc";
    QTest::newRow(".CFG") << "/tmp/osc.CFG" << "/tmp/osc";
    // Another extension goes whole; the name before it stays.
    QTest::newRow(".2011") << "/tmp/fault.2011" << "/tmp/fault";
    QTest::newRow(".d") << "/tmp/fault.d" << "/tmp/fault";
    QTest::newRow("dotted folder") << "/tmp/a.b/osc" << "/tmp/a.b/osc";
  }
  void fileNames() {
    QFETCH(QString, chosen);
    QFETCH(QString, base);
    QCOMPARE(baseName(chosen), base);
  }

  // The download takes the entry's own time, which the row shows to the
  // second (the date alone at midnight); an entry without a fault shows
  // no time.
  void alarmTimeShownAndTaken_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("when");
    QTest::newRow("time") << "24.12.2010 13:45:00" << QDateTime(QDate(2010, 12, 24), QTime(13, 45));
    QTest::newRow("midnight: date alone") << "31.12.2010" << QDateTime(QDate(2010, 12, 31), QTime(0, 0));
    QTest::newRow("other text") << "Нет данных" << QDateTime();
  }
  void alarmTimeShownAndTaken() {
    QFETCH(QString, text);
    QFETCH(QDateTime, when);
    AlarmRow alarm;
    alarm.entry = 4;
    alarm.valid = when.isValid();
    alarm.when = when;
    alarm.phaseRatio = 120;
    alarm.earthRatio = 10;
    QCOMPARE(alarmRow(alarm).cells.first(), text);
    const Target t = targetOf(alarm, QStringLiteral("/tmp/osc"), Form::Standard);
    QCOMPARE(t.alarmTime, when);
    QCOMPARE(QList<int>({t.entry, t.phaseRatio, t.earthRatio}), QList<int>({4, 120, 10}));
  }
};

QTEST_GUILESS_MAIN(TestOscLines)
#include "test_osc_lines.moc"
