#include <QStringDecoder>
#include <QStringEncoder>
#include <QtTest>

#include "extlib/charset.h"
#include "extlib/crc16.h"
#include "extlib/reply_frame.h"

using namespace vmk;

class TestWire : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void crcOfKnownFrames_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("framed");
    // Read 9 holding registers from 0 at address 1.
    QTest::newRow("read identity") << QByteArray::fromHex("010300000009")
                                   << QByteArray::fromHex("01030000000985cc");
    QTest::newRow("exception status") << QByteArray::fromHex("0107")
                                      << QByteArray::fromHex("010741e2");
  }
  void crcOfKnownFrames() {
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, framed);
    QCOMPARE(wire::withCrc(body).toHex(), framed.toHex());
    QVERIFY(wire::hasValidCrc(framed));
    QByteArray bad = framed;
    bad[2] = char(bad[2] ^ 1);
    QVERIFY(!wire::hasValidCrc(bad));
  }

  void replyFrameNeverReadsPastWhatArrived() {
    ReplyFrame r;
    r.assign(QByteArray::fromHex("0103020102"));
    QCOMPARE(r.length(), 5);
    QCOMPARE(r.frameByte(3), std::uint8_t(1));
    QCOMPARE(r.frameByte(5), std::uint8_t(0));
    QCOMPARE(r.frameByte(300), std::uint8_t(0));
    r.assign(QByteArray(400, 'x'));
    QCOMPARE(r.length(), 255);
  }

  void cp1251RoundTripsDeviceAndFileTexts_data() {
    QTest::addColumn<QString>("text");
    for (const char* s : {"ВМК-01.03 ", "Параметры", "Уставки", "Активные Ступени",
                          "Время ускорения МТЗ-1", "Ток Ia", "ёЁ№ — «»", "Статическое измен."})
      QTest::newRow(s) << QString::fromUtf8(s);
  }
  void cp1251RoundTripsDeviceAndFileTexts() {
    QFETCH(QString, text);
    const QByteArray bytes = cp1251::encode(text);
    QCOMPARE(bytes.size(), text.size());
    QCOMPARE(cp1251::decode(bytes), text);
  }

  void cp1251MarksUnmappableCharacters() {
    QCOMPARE(cp1251::encode(QString::fromUtf8("a中b")), QByteArray("a?b"));
  }

  // The table (the Windows build has no converter) must read every byte as
  // Qt's converter reads it where there is one.
  void cp1251DecodesEveryByteAsTheConverterDoes() {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all += char(b);
    QStringDecoder decoder("windows-1251");
    QVERIFY(decoder.isValid());
    QCOMPARE(cp1251::decode(all), decoder(all));
    for (int b = 0; b < 256; ++b) QCOMPARE(cp1251::decodeChar(std::uint8_t(b)), QString(decoder(all.mid(b, 1))));
  }

  // And it must give, for every character, the byte the converter gives.
  void cp1251EncodesEveryCharacterAsTheConverterDoes() {
    QStringEncoder encoder("windows-1251", QStringConverter::Flag::ConvertInvalidToNull);
    QString all;
    QByteArray expected;
    for (int u = 0; u < 0x10000; ++u) {
      const QChar ch = QChar(char16_t(u));
      if (ch.isSurrogate()) continue;
      const QByteArray b = encoder(QString(ch));
      all += ch;
      expected += b.size() == 1 && !(b[0] == '\0' && u != 0) ? b : QByteArray("?");
    }
    QCOMPARE(cp1251::encode(all), expected);
  }

  void lengthPrefixedTextIsCutTo255() {
    const QByteArray lp = cp1251::toLengthPrefixed(QString(300, QChar(0x0416)));
    QCOMPARE(lp.size(), 256);
    QCOMPARE(std::uint8_t(lp[0]), std::uint8_t(255));
    const unsigned char shortBuf[3] = {200, 0xC0, 0xC1};  // claims 200, holds 2
    QCOMPARE(cp1251::fromLengthPrefixed(shortBuf, 3), QString::fromUtf8("АБ"));
  }
};

QTEST_GUILESS_MAIN(TestWire)
#include "test_wire.moc"
