// The table of functions on the line against the lengths the protocol
// description gives, on whole frames as they cross the line.

#include <QtTest>

#include "extlib/crc16.h"
#include "extlib/wire_table.h"

using namespace vmk;

class TestWireTable : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void lengthsOfEveryFunction_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("requestLength");
    QTest::addColumn<int>("replyLength");
    // The device's functions; a read of n registers is answered with 2n + 5.
    QTest::newRow("read identity") << hex("01030000000985cc") << 8 << 23;
    QTest::newRow("read one register") << hex("01030040000185de") << 8 << 7;
    QTest::newRow("read 125 registers") << hex("01030000007d85eb") << 8 << 255;
    QTest::newRow("remote command") << hex("01053000ff00833a") << 8 << 8;
    QTest::newRow("write register") << hex("010600400005481d") << 8 << 8;
    QTest::newRow("status") << hex("010741e2") << 4 << 5;
    QTest::newRow("set clock") << hex("01100054000306241105143015cbf4") << 15 << 8;
    QTest::newRow("service") << hex("0118010000000035d8") << 9 << 7;
    QTest::newRow("calibration") << hex("01190101770000002ea3") << 10 << 20;
    QTest::newRow("event record") << hex("014105d053") << 5 << 20;
    QTest::newRow("alarm list") << hex("01428011") << 4 << 157;
    QTest::newRow("oscillogram block") << hex("01430000a00c3c") << 7 << 247;
    // Standard requests the devices refuse: their length is known, so the
    // line is framed, but there is no good reply.
    QTest::newRow("read coils") << hex("0101000000083dcc") << 8 << 0;
    QTest::newRow("read discrete inputs") << hex("01020000000879cc") << 8 << 0;
    QTest::newRow("read input registers") << hex("01040000000131ca") << 8 << 0;
    QTest::newRow("comm event counter") << hex("010b41e7") << 4 << 0;
    QTest::newRow("comm event log") << hex("010c0025") << 4 << 0;
    QTest::newRow("write multiple coils") << hex("010f0000000a02ff03e4c9") << 11 << 0;
    QTest::newRow("report server id") << hex("0111c02c") << 4 << 0;
    QTest::newRow("mask write register") << hex("01160040ff00000507de") << 10 << 0;
    QTest::newRow("read/write multiple") << hex("011700000001004000010200059a6d") << 15 << 0;
  }
  void lengthsOfEveryFunction() {
    QFETCH(QByteArray, frame);
    QFETCH(int, requestLength);
    QFETCH(int, replyLength);
    QVERIFY(wire::hasValidCrc(frame));
    QCOMPARE(int(frame.size()), requestLength);
    QVERIFY(wire::findFunction(std::uint8_t(frame[1])));
    QCOMPARE(wire::requestLength(frame), requestLength);
    QCOMPARE(wire::replyLength(frame), replyLength);
    // On a stream: a start of the frame either needs more bytes or already
    // tells the whole length, and the next frame does not change it.
    for (qsizetype n = 0; n < frame.size(); ++n) {
      const int length = wire::requestLength(frame.left(n));
      QVERIFY2(length == 0 || length == requestLength, qPrintable(QStringLiteral("%1 bytes: %2").arg(n).arg(length)));
    }
    QCOMPARE(wire::requestLength(frame + hex("010741e2")), requestLength);
  }

  void requestLengthFromTheFunction_data() {
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<int>("length");
    QTest::newRow("nothing") << QByteArray() << 0;
    QTest::newRow("address only") << QByteArray::fromHex("01") << 0;
    QTest::newRow("read") << QByteArray::fromHex("0103") << 8;
    QTest::newRow("status") << QByteArray::fromHex("0107") << 4;
    QTest::newRow("write many, no count yet") << QByteArray::fromHex("01100054") << 0;
    QTest::newRow("write many") << QByteArray::fromHex("01100054000306") << 15;
    QTest::newRow("service") << QByteArray::fromHex("0118") << 9;
    QTest::newRow("calibration") << QByteArray::fromHex("0119") << 10;
    QTest::newRow("event") << QByteArray::fromHex("0141") << 5;
    QTest::newRow("alarm list") << QByteArray::fromHex("0142") << 4;
    QTest::newRow("block") << QByteArray::fromHex("0143") << 7;
    QTest::newRow("unknown") << QByteArray::fromHex("0165") << -1;
  }
  void requestLengthFromTheFunction() {
    QFETCH(QByteArray, start);
    QFETCH(int, length);
    QCOMPARE(wire::requestLength(start), length);
  }

  void theTableHoldsTheDescribedCodesOnly() {
    // Every other code is not in the table: no length, so a frame of it
    // ends only at a gap on the line, and no reply length.
    const QList<int> described = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x0B, 0x0C, 0x0F,
                                  0x10, 0x11, 0x16, 0x17, 0x18, 0x19, 0x41, 0x42, 0x43};
    for (int code = 0; code < 256; ++code) {
      const QByteArray frame = wire::withCrc(QByteArray::fromHex("01") + char(code) + QByteArray(8, 0));
      const bool known = described.contains(code);
      QVERIFY2(bool(wire::findFunction(std::uint8_t(code))) == known, qPrintable(QString::number(code, 16)));
      if (known) continue;
      QCOMPARE(wire::requestLength(frame), -1);
      QCOMPARE(wire::replyLength(frame), -1);
    }
  }

 private:
  static QByteArray hex(const char* text) { return QByteArray::fromHex(text); }
};

QTEST_GUILESS_MAIN(TestWireTable)
#include "test_wire_table.moc"
