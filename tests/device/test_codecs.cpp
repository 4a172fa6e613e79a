#include <QtTest>

#include "device/codecs.h"
#include "extlib/charset.h"
#include "extlib/crc16.h"
#include "extlib/transport_error.h"

using namespace vmk;

namespace {

// A good register-read reply from address 1 holding `words`.
ReplyFrame readReply(const QList<std::uint16_t>& words) {
  QByteArray f = QByteArray::fromHex("0103");
  f.append(char(words.size() * 2));
  for (std::uint16_t w : words) wire::appendWord(f, w);
  ReplyFrame r;
  r.assign(wire::withCrc(f));
  return r;
}

// Identity words for a name of 10 Windows-1251 characters.
QList<std::uint16_t> identityWords(const QString& name, std::uint16_t language) {
  const QByteArray n = cp1251::encode(name);
  QList<std::uint16_t> w;
  for (int k = 0; k < 5; ++k) w << std::uint16_t(std::uint8_t(n[2 * k]) << 8 | std::uint8_t(n[2 * k + 1]));
  w << 0x5069 << 1234 << 0 << language;
  return w;
}

QList<std::uint16_t> setupWords(std::uint16_t w20, std::uint16_t w21, std::uint16_t w22) {
  QList<std::uint16_t> w(23, 0);
  w[0] = 0x0105;  // address 5 in the low byte
  w[1] = 0x0004;
  w[2] = 0x6162;  // "ab"
  w[3] = 0x6364;  // "cd"
  w[4] = 0x0003;  // bit 0 set: group 2
  w[5] = 0x0002;  // bit 0 clear: static
  w[16] = 600; w[17] = 5; w[18] = 100; w[19] = 0;
  w[20] = w20; w[21] = w21; w[22] = w22;
  return w;
}

const QDate kToday(2026, 6, 1);

}  // namespace

class TestCodecs : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void regWordReadsOnlyReceivedData_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("word");
    const QByteArray two = wire::withCrc(QByteArray::fromHex("010304123480ff"));
    QTest::newRow("word 0") << two << 0 << 0x1234;
    QTest::newRow("word 1") << two << 1 << 0x80FF;
    QTest::newRow("CRC is no word") << two << 2 << 0;
    QTest::newRow("far beyond") << two << 255 << 0;
    QTest::newRow("negative") << two << -1 << 0;
    QTest::newRow("exception frame") << wire::withCrc(QByteArray::fromHex("018302")) << 0 << 0;
    QTest::newRow("empty") << QByteArray() << 0 << 0;
  }
  void regWordReadsOnlyReceivedData() {
    QFETCH(QByteArray, frame);
    QFETCH(int, k);
    QFETCH(int, word);
    ReplyFrame r;
    r.assign(frame);
    QCOMPARE(int(GetRegWord(r, k)), word);
  }

  void bitTexts() {
    QCOMPARE(IntToBitStr(0), QString(32, QLatin1Char('0')));
    QCOMPARE(IntToBitStr(-1), QString(32, QLatin1Char('1')));
    QCOMPARE(IntToBitStr(std::int32_t(0x80000001)), QLatin1Char('1') + QString(30, QLatin1Char('0')) + QLatin1Char('1'));
    QCOMPARE(LowBitsStr(5, 6), QStringLiteral("000101"));
    QCOMPARE(LowBitsStr(0x8000, 16), QLatin1Char('1') + QString(15, QLatin1Char('0')));
    QCOMPARE(LowBitsStr(-1, 32), QString(32, QLatin1Char('1')));
  }

  void bitStrToInt_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("value");
    QTest::newRow("1x1") << "1x1" << 5u;
    QTest::newRow("empty") << "" << 0u;
    QTest::newRow("leading zeros") << "000101" << 5u;
    QTest::newRow("32 ones") << QString(32, QLatin1Char('1')) << 0xFFFFFFFFu;
    QTest::newRow("bits above 31 dropped") << QStringLiteral("11") + QString(32, QLatin1Char('0')) << 0u;
    QTest::newRow("255 chars") << QString(254, QLatin1Char('1')) + QLatin1Char('0') << 0xFFFFFFFEu;
  }
  void bitStrToInt() {
    QFETCH(QString, text);
    QFETCH(quint32, value);
    QCOMPARE(BitStrToInt(text), value);
    QCOMPARE(BitStrToInt(LowBitsStr(std::int32_t(value), 32)), value);
  }

  void bitsAndFlags() {
    QCOMPARE(GetBit(0x0004, 2), 1);
    QCOMPARE(GetBit(0x0004, 1), 0);
    QCOMPARE(GetBit(0x8000, 15), 1);
    QCOMPARE(GetBit(0xFFFF, 16), 0);
    QCOMPARE(DecodeStageFlag(0xFFFE), 0);
    QCOMPARE(DecodeStageFlag(0x0003), 1);
    QCOMPARE(DecodeApvFlag(0x0001), 1);
  }

  void bcd_data() {
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("value");  // -1 = fails
    QTest::newRow("59") << 0x59 << 59;
    QTest::newRow("00") << 0x00 << 0;
    QTest::newRow("99") << 0x99 << 99;
    QTest::newRow("5A") << 0x5A << -1;
    QTest::newRow("A0") << 0xA0 << -1;
    QTest::newRow("erased") << 0xFF << -1;
  }
  void bcd() {
    QFETCH(int, byte);
    QFETCH(int, value);
    const std::optional<int> got = DecodeBcd(std::uint8_t(byte));
    QCOMPARE(got.value_or(-1), value);
  }

  void identity_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("languageText");
    QTest::addColumn<int>("variant");
    QTest::newRow("variant 2, russian") << QStringLiteral("ВМК-02    ") << 1 << QStringLiteral("русский") << 2;
    QTest::newRow("variant 3, ukrainian") << QStringLiteral("ВМК-03 01 ") << 0 << QStringLiteral("украинский") << 3;
    QTest::newRow("english") << QStringLiteral("VMK-01ABCD") << 2 << QStringLiteral("английский") << 1;
    QTest::newRow("unknown language") << QStringLiteral("ВМК-01....") << 3 << QString() << 1;
  }
  void identity() {
    QFETCH(QString, name);
    QFETCH(int, language);
    QFETCH(QString, languageText);
    QFETCH(int, variant);
    const TVMK r = DecodeIdentity(readReply(identityWords(name, std::uint16_t(language))));
    QCOMPARE(r.Name, name);  // stored as received, blanks kept
    QCOMPARE(int(r.VersionWord), 0x5069);
    QCOMPARE(int(r.SerialNumber), 1234);
    QCOMPARE(r.Language, languageText);
    QCOMPARE(int(r.DeviceVariant), variant);
  }

  void identityRejectsNonDigitVariant() {
    try {
      DecodeIdentity(readReply(identityWords(QStringLiteral("ВМК-0Ж    "), 1)));
      QFAIL("no error");
    } catch (const Error& e) {
      QVERIFY2(e.message().contains(QStringLiteral("\"Ж\"")), qPrintable(e.message()));
    }
    // A short reply has no variant digit either.
    QVERIFY_THROWS_EXCEPTION(Error, DecodeIdentity(ReplyFrame{}));
  }

  void setup() {
    const SetupFields s = DecodeSetup(readReply(setupWords(0x1012, 0x2413, 0x4500)));
    QCOMPARE(int(s.NetAddress), 5);
    QCOMPARE(int(s.InterfaceWord), 4);
    QCOMPARE(s.DevicePassword, QStringLiteral("abcd"));
    QCOMPARE(int(s.ActiveGroup), 2);
    QCOMPARE(int(s.GroupChangeMode), 0);
    QCOMPARE(PhaseRatio(s), std::optional<int>(120));
    QCOMPARE(EarthRatio(s), std::optional<int>());
    QCOMPARE(MakeDeviceDateTime(s, kToday), QDateTime(QDate(2010, 12, 24), QTime(13, 45, 0)));
  }

  void setupClock_data() {
    QTest::addColumn<int>("w20");
    QTest::addColumn<int>("w21");
    QTest::addColumn<int>("w22");
    QTest::addColumn<QDateTime>("when");
    QTest::newRow("24.12.2010") << 0x1012 << 0x2413 << 0x4500 << QDateTime(QDate(2010, 12, 24), QTime(13, 45));
    QTest::newRow("month 13 is BCD, no date") << 0x1013 << 0x2413 << 0x4500 << QDateTime();
    QTest::newRow("erased clock") << 0xFFFF << 0xFFFF << 0xFFFF << QDateTime();
    QTest::newRow("one bad nibble") << 0x1012 << 0x2413 << 0x450A << QDateTime();
    QTest::newRow("all zero") << 0 << 0 << 0 << QDateTime();
  }
  void setupClock() {
    QFETCH(int, w20);
    QFETCH(int, w21);
    QFETCH(int, w22);
    QFETCH(QDateTime, when);
    const SetupFields s = DecodeSetup(readReply(setupWords(std::uint16_t(w20), std::uint16_t(w21), std::uint16_t(w22))));
    QCOMPARE(MakeDeviceDateTime(s, kToday), when);
  }

  void deviceDateTime_data() {
    QTest::addColumn<QList<int>>("yMdhms");
    QTest::addColumn<QDateTime>("when");
    QTest::newRow("year 10") << QList<int>{10, 12, 24, 13, 45, 0} << QDateTime(QDate(2010, 12, 24), QTime(13, 45));
    QTest::newRow("window start") << QList<int>{76, 1, 1, 0, 0, 0} << QDateTime(QDate(1976, 1, 1), QTime(0, 0));
    QTest::newRow("window end") << QList<int>{75, 1, 1, 0, 0, 0} << QDateTime(QDate(2075, 1, 1), QTime(0, 0));
    QTest::newRow("low byte of year") << QList<int>{0x10A, 3, 4, 5, 6, 7} << QDateTime(QDate(2010, 3, 4), QTime(5, 6, 7));
    QTest::newRow("leap day") << QList<int>{12, 2, 29, 0, 0, 0} << QDateTime(QDate(2012, 2, 29), QTime(0, 0));
    QTest::newRow("no leap day") << QList<int>{11, 2, 29, 0, 0, 0} << QDateTime();
    QTest::newRow("month 0") << QList<int>{10, 0, 1, 0, 0, 0} << QDateTime();
    QTest::newRow("month 13") << QList<int>{10, 13, 1, 0, 0, 0} << QDateTime();
    QTest::newRow("day 31 of April") << QList<int>{10, 4, 31, 0, 0, 0} << QDateTime();
    QTest::newRow("hour 24") << QList<int>{10, 4, 1, 24, 0, 0} << QDateTime();
    QTest::newRow("minute 60") << QList<int>{10, 4, 1, 0, 60, 0} << QDateTime();
    QTest::newRow("second 60") << QList<int>{10, 4, 1, 0, 0, 60} << QDateTime();
    QTest::newRow("year 255") << QList<int>{255, 4, 1, 0, 0, 0} << QDateTime();
  }
  void deviceDateTime() {
    QFETCH(QList<int>, yMdhms);
    QFETCH(QDateTime, when);
    QCOMPARE(MakeDeviceDateTime(yMdhms[0], yMdhms[1], yMdhms[2], yMdhms[3], yMdhms[4], yMdhms[5], kToday), when);
  }

  void alarmEntries() {
    QByteArray f = QByteArray::fromHex("0142000f96");
    QByteArray entries(150, char(0xFF));
    const QByteArray good = QByteArray::fromHex("1012241345000bb80000");
    const QByteArray notADate = QByteArray::fromHex("1013241345000bb80000");
    entries.replace(0, 10, good);
    entries.replace(20, 10, notADate);
    entries.replace(120, 10, good);
    f += entries;
    ReplyFrame r;
    r.assign(wire::withCrc(f));
    QCOMPARE(r.length(), 157);

    AlarmEntry e = DecodeAlarmEntry(r, 0, kToday);
    QVERIFY(e.valid);
    QCOMPARE(e.when, QDateTime(QDate(2010, 12, 24), QTime(13, 45)));
    QVERIFY(!DecodeAlarmEntry(r, 1, kToday).valid);  // erased
    e = DecodeAlarmEntry(r, 2, kToday);
    QVERIFY(e.valid);
    QVERIFY(!e.when.isValid());
    QVERIFY(DecodeAlarmEntry(r, 12, kToday).valid);
    QVERIFY(!DecodeAlarmEntry(r, 13, kToday).valid);

    ReplyFrame shortReply;
    shortReply.assign(f.left(12));  // entry 0 cut inside its stamp
    QVERIFY(!DecodeAlarmEntry(shortReply, 0, kToday).valid);
  }

  void versionText_data() {
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << 10 << 18 << 4 << 1 << QStringLiteral("v10 от 18.4.2011");
    QTest::newRow("31.6 any version") << 3 << 31 << 6 << 2 << QStringLiteral("v9.1 от 31.06.2009");
    QTest::newRow("31.6 max bits") << 31 << 31 << 6 << 3 << QStringLiteral("v9.1 от 31.06.2009");
    QTest::newRow("10.6") << 0 << 10 << 6 << 0 << QStringLiteral("v9.2 от 10.06.2010");
    QTest::newRow("zero") << 0 << 0 << 0 << 0 << QStringLiteral("v0 от 0.0.2010");
    QTest::newRow("1.6 is not 31.6") << 12 << 1 << 6 << 3 << QStringLiteral("v12 от 1.6.2013");
  }
  void versionText() {
    QFETCH(int, version);
    QFETCH(int, day);
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(QString, text);
    QCOMPARE(VersionText(std::uint16_t(version << 11 | day << 6 | month << 2 | year)), text);
  }

  void statCounterNames() {
    QCOMPARE(StatCounterName(0), QStringLiteral("Количество пусков МТЗ 1 ступени"));
    QCOMPARE(StatCounterName(8), QStringLiteral("Количество переходов состояний  входа 1"));
    QCOMPARE(StatCounterName(21), QStringLiteral("Счётчик ресурса, ч"));
    QCOMPARE(StatCounterName(22), QString());
    QCOMPARE(StatCounterName(-1), QString());
  }

  void samples_data() {
    QTest::addColumn<bool>("wide");
    QTest::addColumn<quint32>("value");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("text");
    QTest::newRow("16: 1234") << false << 1234u << 8 << "00001851";
    QTest::newRow("16: -100") << false << 0xFF9Cu << 8 << "-0000150";
    QTest::newRow("16: zero") << false << 0u << 8 << "-0000000";
    QTest::newRow("16: 3") << false << 3u << 8 << "00000004";
    QTest::newRow("16: -3") << false << 0xFFFDu << 8 << "-0000004";
    QTest::newRow("16: 0x8000 positive") << false << 0x8000u << 8 << "00049152";
    QTest::newRow("16: 0x8001") << false << 0x8001u << 8 << "-0049150";
    QTest::newRow("16: wider than field") << false << 0x8000u << 3 << "49152";
    QTest::newRow("16: negative wider") << false << 0x8001u << 3 << "-49150";
    QTest::newRow("32: 15000") << true << 15000u << 10 << "0000015000";
    QTest::newRow("32: zero") << true << 0u << 10 << "-000000000";
    QTest::newRow("32: one") << true << 1u << 8 << "00000001";
    QTest::newRow("32: max") << true << 0xFFFFFFFFu << 8 << "4294967295";
  }
  void samples() {
    QFETCH(bool, wide);
    QFETCH(quint32, value);
    QFETCH(int, width);
    QFETCH(QString, text);
    QCOMPARE(wide ? FormatSample32(value, width) : FormatSample16(std::uint16_t(value), width), text);
  }

  void dateTimeText() {
    QCOMPARE(FormatDateTime(QDateTime(QDate(2010, 12, 24), QTime(0, 0))), QStringLiteral("24.12.2010"));
    QCOMPARE(FormatDateTime(QDateTime(QDate(2010, 12, 24), QTime(0, 0, 1))), QStringLiteral("24.12.2010 00:00:01"));
    QCOMPARE(FormatDateTime(QDateTime(QDate(2010, 1, 2), QTime(13, 45))), QStringLiteral("02.01.2010 13:45:00"));
    QCOMPARE(FormatDateTime(QDateTime()), QString());
  }
};

QTEST_GUILESS_MAIN(TestCodecs)
#include "test_codecs.moc"
