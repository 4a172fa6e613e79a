#include <QtTest>
#include <cmath>

#include "extlib/charset.h"
#include "extlib/crc16.h"
#include "extlib/registers.h"
#include "extlib/wire_table.h"
#include "sim/bcd.h"
#include "sim/bus.h"
#include "tests/sim/frames.h"

using namespace vmk;
using vmk::test::byteOf;
using vmk::test::request;
using vmk::test::wordOf;

namespace {

const QDateTime kNow(QDate(2024, 11, 5), QTime(14, 30, 15));

sim::Device::ClockSource fixedClock() {
  return [] { return kNow; };
}

QByteArray ask(sim::Bus& bus, const char* hex) { return bus.handle(request(hex)); }

bool isException(const QByteArray& reply, std::uint8_t function, std::uint8_t code) {
  return reply.size() == 5 && byteOf(reply, 1) == (function | 0x80) && byteOf(reply, 2) == code &&
         wire::hasValidCrc(reply);
}

double rms(const std::vector<sim::OscSample>& s, int from, int to) {
  double sum = 0;
  for (int i = from; i < to; ++i) sum += double(s[std::size_t(i)].ia) * s[std::size_t(i)].ia;
  return std::sqrt(sum / (to - from));
}

}  // namespace

class TestSimDevice : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void silenceForWhatNoDeviceTakes_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("absent address") << request("050300000009");
    QTest::newRow("address 0") << request("000300000009");
    QTest::newRow("bad crc") << QByteArray::fromHex("01030000000985cd");
    QTest::newRow("too short") << QByteArray::fromHex("0103");
    QTest::newRow("read one byte short") << request("0103000009");
    QTest::newRow("status with data") << request("010700");
  }
  void silenceForWhatNoDeviceTakes() {
    QFETCH(QByteArray, frame);
    sim::Bus bus({1, 2}, 1, 7, fixedClock());
    QVERIFY(bus.handle(frame).isEmpty());
  }

  void aDeviceMovedOntoAnotherCollidesWithIt() {
    sim::Bus bus({1, 2}, 1, 7, fixedClock());
    QCOMPARE(ask(bus, "020600400001").toHex(), request("020600400001").toHex());
    QCOMPARE(bus.addresses(), (QList<int>{1, 1}));
    QVERIFY(ask(bus, "0207").isEmpty());
    // Both answer the identity read (their factory numbers differ): the
    // line carries neither frame.
    const QByteArray collided = ask(bus, "010300000009");
    QCOMPARE(collided.size(), 23);
    QVERIFY(!wire::hasValidCrc(collided));
  }

  void exceptionReplies_data() {
    QTest::addColumn<int>("variant");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("code");
    QTest::newRow("read past 767") << 1 << request("010302f00011") << 2;
    QTest::newRow("read of 0 registers") << 1 << request("010300000000") << 3;
    QTest::newRow("read of 126 registers") << 1 << request("01030000007e") << 3;
    QTest::newRow("write identity") << 1 << request("010600060001") << 2;
    QTest::newRow("write statistics") << 1 << request("010600900000") << 2;
    QTest::newRow("write clock word") << 1 << request("010600551200") << 2;
    QTest::newRow("write past group 1") << 1 << request("010601260001") << 2;
    QTest::newRow("write address 0") << 1 << request("010600400000") << 3;
    QTest::newRow("write address 33") << 1 << request("010600400021") << 3;
    QTest::newRow("unknown command") << 1 << request("01052fffff00") << 2;
    QTest::newRow("command value 0") << 1 << request("010530000000") << 3;
    QTest::newRow("clock elsewhere") << 1 << request("01100040000306120101000000") << 2;
    QTest::newRow("clock month 13") << 1 << request("01100054000306241301000000") << 3;
    QTest::newRow("clock not bcd") << 1 << request("011000540003062412010a0000") << 3;
    QTest::newRow("unknown function") << 1 << request("010400000001") << 1;
    QTest::newRow("event 34") << 1 << request("014122") << 2;
    QTest::newRow("block of erased entry") << 1 << request("014302000a") << 2;
    QTest::newRow("block 250") << 1 << request("01430000fa") << 2;
    QTest::newRow("entry 15") << 1 << request("01430f0000") << 2;
    QTest::newRow("variant 3 event") << 3 << request("014100") << 1;
    QTest::newRow("variant 3 alarm list") << 3 << request("0142") << 1;
    QTest::newRow("variant 3 block") << 3 << request("0143000000") << 1;
  }
  void exceptionReplies() {
    QFETCH(int, variant);
    QFETCH(QByteArray, frame);
    QFETCH(int, code);
    sim::Bus bus({1}, variant, 7, fixedClock());
    const QByteArray reply = bus.handle(frame);
    QVERIFY2(isException(reply, std::uint8_t(frame[1]), std::uint8_t(code)), reply.toHex().constData());
  }

  // Every reply the device builds has the length the wire table gives for
  // its request, or is an exception reply; a request of every function and
  // sub-form the device knows, then one of every function code. Each
  // function with a good reply in the table answers well at least once.
  void everyReplyHasTheLengthOfTheTable_data() {
    QTest::addColumn<int>("variant");
    QTest::newRow("variant 1") << 1;
    QTest::newRow("variant 2") << 2;
    QTest::newRow("variant 3") << 3;
  }
  void everyReplyHasTheLengthOfTheTable() {
    QFETCH(int, variant);
    sim::Bus bus({1}, variant, 7, fixedClock());
    sim::Device& dev = *bus.device(1);
    struct Step {
      QByteArray body;           // without the CRC
      bool accessCode = false;   // frame bytes 3..4 take the code the device expects
    };
    QList<Step> walk;
    auto add = [&walk](const char* hex, bool code = false) { walk.append({QByteArray::fromHex(hex), code}); };
    // Reads: each block, the most at once, too many, past the image.
    for (const char* hex : {"010300000009", "010300100016", "010300400017", "010300600030", "010300900016",
                            "010300c00020", "010301000026", "010302000026", "010300540003", "01030000007d",
                            "01030000007e", "010300000000", "010302f00011"})
      add(hex);
    // Commands: relays, acknowledge, recorder start, an unknown code, a wrong value.
    for (const char* hex : {"01053000ff00", "01053004ff00", "01053005ff00", "01053006ff00", "01052fffff00",
                            "010530000000"})
      add(hex);
    // Writes: a setting, the address, identity, a bad address value.
    for (const char* hex : {"010601060019", "010600400001", "010600060001", "010600400021"}) add(hex);
    add("0107");
    // The clock: set, elsewhere, another count, not BCD.
    for (const char* hex : {"01100054000306241105143015", "01100040000306120101000000",
                            "0110005400020412110500", "011000540003062412010a0000"})
      add(hex);
    // Journals: records, the alarm list, blocks in and out of range.
    for (const char* hex : {"014100", "014121", "014122", "0142", "0143000000", "01430000f9", "01430000fa",
                            "01430f0000", "014302000a"})
      add(hex);
    // Service: a wrong code, every sub with the right one, an unknown sub.
    add("01180100000000");
    for (const char* hex : {"01180000001234", "01180100000000", "01180200000000", "01180300000000",
                            "01180400000005", "01180500000000", "01180400000000"})
      add(hex, true);
    // Calibration, in calibration mode: every sub-form, then outside it.
    for (const char* hex : {"0119010177000000", "0119020408020000", "0119040177020000", "011903030702c700",
                            "0119030700670000", "0119010077000000", "0119050000000000"})
      add(hex);
    add("011804ffffffff", true);
    add("0119010177000000");
    // One request of every function code, as long as the table says.
    QSet<int> expectGood;
    for (int code = 0; code < 256; ++code) {
      QByteArray head = QByteArray::fromHex("01000000000102") + QByteArray(16, char(0));
      head[1] = char(code);
      const int length = wire::requestLength(head);
      const QByteArray body = head.left(length > 0 ? length - 2 : 2);
      if (wire::replyLength(wire::withCrc(body)) > 0) expectGood.insert(code);
      walk.append({body, false});
    }
    if (variant == 3) expectGood -= QSet<int>{0x41, 0x42, 0x43};

    QSet<int> good;
    for (Step step : walk) {
      if (step.accessCode) {
        const std::uint16_t code = dev.expectedAccessCode();
        step.body[3] = char(code >> 8);
        step.body[4] = char(code & 0xFF);
      }
      const QByteArray frame = wire::withCrc(step.body);
      const QByteArray reply = bus.handle(frame);
      const std::uint8_t function = byteOf(frame, 1);
      const QByteArray what = frame.toHex() + " -> " + reply.toHex();
      QVERIFY2(!reply.isEmpty() && wire::hasValidCrc(reply), what.constData());
      if (byteOf(reply, 1) == (function | 0x80)) {
        QVERIFY2(reply.size() == 5, what.constData());
      } else {
        QVERIFY2(byteOf(reply, 1) == function, what.constData());
        QVERIFY2(reply.size() == wire::replyLength(frame), what.constData());
        good.insert(function);
      }
    }
    QCOMPARE(good, expectGood);
  }

  void identityBlockNamesTheVariant_data() {
    QTest::addColumn<int>("variant");
    QTest::newRow("1") << 1;
    QTest::newRow("2") << 2;
    QTest::newRow("3") << 3;
  }
  void identityBlockNamesTheVariant() {
    QFETCH(int, variant);
    sim::Bus bus({4}, variant, 7, fixedClock());
    const QByteArray reply = ask(bus, "040300000009");
    QCOMPARE(reply.size(), 23);
    QVERIFY(wire::hasValidCrc(reply));
    QCOMPARE(byteOf(reply, 2), std::uint8_t(18));
    const QString name = cp1251::decode(reply.mid(3, 10));
    QCOMPARE(name, QStringLiteral("ВМК-0%1.01 ").arg(variant));
    QCOMPARE(byteOf(reply, 3 + 2 * 2 + 1), std::uint8_t('0' + variant));  // register 2, low byte
    QCOMPARE(wordOf(reply, 5), std::uint16_t(0x5491));                     // v10 of 18.4.2011
    QCOMPARE(wordOf(reply, 8), std::uint16_t(1));                          // Russian
  }

  void setupBlockHoldsTheCommissioningValues() {
    sim::Bus bus({3}, 1, 7, fixedClock());
    const QByteArray reply = ask(bus, "030300400017");
    QCOMPARE(reply.size(), 51);
    QCOMPARE(wordOf(reply, 0), std::uint16_t(3));
    QCOMPARE(wordOf(reply, 1), std::uint16_t(0x0004));  // 9600 bit/s
    QCOMPARE(reply.mid(3 + 4, 4), QByteArray("AAAA"));
    QCOMPARE(wordOf(reply, 16), std::uint16_t(600));
    QCOMPARE(wordOf(reply, 17), std::uint16_t(5));
    QCOMPARE(wordOf(reply, 18), std::uint16_t(50));
    QCOMPARE(wordOf(reply, 19), std::uint16_t(1));
    QCOMPARE(reply.mid(3 + 40, 6).toHex(), QByteArray("241105143015"));
  }

  void clockRunsFromItsSourceAndCanBeSet() {
    QDateTime now = kNow;
    sim::Bus bus({1}, 1, 7, [&now] { return now; });
    const QByteArray echo = ask(bus, "01100054000306101224134500");
    QCOMPARE(echo.toHex(), request("011000540003").toHex());
    now = now.addSecs(61);
    QCOMPARE(ask(bus, "010300540003").mid(3, 6).toHex(), QByteArray("101224134601"));
    // A test can show an undefined clock; it then stands still.
    bus.device(1)->setRegister(reg::kClock + 1, 0xFFFF);
    now = now.addSecs(5);
    QCOMPARE(ask(bus, "010300540003").mid(3, 6).toHex(), QByteArray("1012ffff4601"));
  }

  void writesPersistAndCommandsAct() {
    sim::Bus bus({1}, 1, 7, fixedClock());
    sim::Device& dev = *bus.device(1);
    QCOMPARE(ask(bus, "010602060019").toHex(), request("010602060019").toHex());
    QCOMPARE(wordOf(ask(bus, "010302060001"), 0), std::uint16_t(25));
    QCOMPARE(dev.registerValue(518), std::uint16_t(25));

    // Relay 3 closes and is counted; acknowledging clears the latched flags.
    const std::uint16_t before = dev.registerValue(reg::kStatistics.first + 18);
    QCOMPARE(ask(bus, "01053002ff00").toHex(), request("01053002ff00").toHex());
    QCOMPARE(dev.outputs(), std::uint8_t(0x04));
    QCOMPARE(dev.registerValue(reg::kStatistics.first + 18), std::uint16_t(before + 1));
    QCOMPARE(dev.registerValue(reg::kStageFlags), std::uint16_t(1));
    ask(bus, "01053005ff00");
    QCOMPARE(dev.registerValue(reg::kStageFlags), std::uint16_t(0));
    QCOMPARE(dev.registerValue(reg::kReclosingFlag), std::uint16_t(0));

    // A new address: answered from the old one, then the device is there.
    QCOMPARE(ask(bus, "010600400007").toHex(), request("010600400007").toHex());
    QVERIFY(!bus.device(1));
    QCOMPARE(bus.device(7), &dev);
    QVERIFY(ask(bus, "0107").isEmpty());
    QCOMPARE(byteOf(ask(bus, "0707"), 0), std::uint8_t(7));
    dev.restart();  // and stays there
    QCOMPARE(bus.device(7), &dev);
  }

  void statusByteIsSettable_data() {
    QTest::addColumn<int>("status");
    for (int s : {0, 1, 2, 3}) QTest::newRow(qPrintable(QString::number(s))) << s;
  }
  void statusByteIsSettable() {
    QFETCH(int, status);
    sim::Bus bus({2}, 1, 7, fixedClock());
    bus.device(2)->setStatus(std::uint8_t(status));
    QCOMPARE(ask(bus, "0207").toHex(), wire::withCrc(QByteArray::fromHex("0207") + char(status)).toHex());
  }

  void liveBlockVariesPlausibly() {
    sim::Bus bus({1}, 1, 7, fixedClock());
    QSet<std::uint16_t> seen;
    for (int i = 0; i < 20; ++i) {
      const QByteArray r = ask(bus, "010300100016");
      QCOMPARE(r.size(), 49);
      for (int k = 16; k <= 18; ++k) {
        QVERIFY2(wordOf(r, k) > 200 && wordOf(r, k) < 300, qPrintable(QString::number(wordOf(r, k))));
      }
      QVERIFY(wordOf(r, 19) < 40);
      seen.insert(wordOf(r, 16));
    }
    QVERIFY(seen.size() > 3);
    bus.device(1)->setRegister(reg::kIa, 10001);
    QCOMPARE(wordOf(ask(bus, "010300200001"), 0), std::uint16_t(10001));
  }

  void sameSeedSameDevice() {
    sim::Bus a({1}, 1, 42, fixedClock()), b({1}, 1, 42, fixedClock()), c({1}, 1, 43, fixedClock());
    for (const char* hex : {"010300000009", "010300100016", "01180100000000", "0142"}) {
      const QByteArray frame = request(hex);
      QCOMPARE(a.handle(frame), b.handle(frame));
    }
    QVERIFY(ask(a, "01180100000000") != ask(c, "01180100000000") ||
            ask(a, "010300060001") != ask(c, "010300060001"));
  }

  void serviceRequestChecksTheAccessCode() {
    sim::Bus bus({1}, 1, 7, fixedClock());
    sim::Device& dev = *bus.device(1);
    const std::uint16_t factory = dev.factoryNumber();
    QVERIFY(dev.registerValue(reg::kStatistics.first) != 0);

    // Code 0, as the connection sends it: refused, and a nonce all the same.
    QByteArray r = ask(bus, "01180100000000");
    QCOMPARE(r.size(), 7);
    QCOMPARE(byteOf(r, 4), std::uint8_t(255));
    const std::uint16_t nonce1 = wire::wordAt(r, 2);
    QVERIFY(nonce1 != 0);
    QVERIFY(dev.registerValue(reg::kStatistics.first) != 0);

    // A wrong code: refused, a new nonce.
    const std::uint16_t good = std::uint16_t(((nonce1 ^ factory) | 0x4141) + 0x5A);
    QByteArray wrong = QByteArray::fromHex("011801");
    wire::appendWord(wrong, std::uint16_t(good + 1));
    wire::appendWord(wrong, 0);
    r = bus.handle(wire::withCrc(wrong));
    QCOMPARE(byteOf(r, 4), std::uint8_t(255));
    const std::uint16_t nonce2 = wire::wordAt(r, 2);
    QVERIFY(nonce2 != nonce1);

    // The right code from the latest nonce clears the statistics but not
    // the hours in service.
    QByteArray right = QByteArray::fromHex("011801");
    wire::appendWord(right, std::uint16_t(((nonce2 ^ factory) | 0x4141) + 0x5A));
    wire::appendWord(right, 0);
    r = bus.handle(wire::withCrc(right));
    QCOMPARE(byteOf(r, 4), std::uint8_t(0));
    QVERIFY(wire::wordAt(r, 2) != nonce2);
    for (int i = 0; i < 21; ++i) QCOMPARE(dev.registerValue(reg::kStatistics.first + i), std::uint16_t(0));
    QCOMPARE(dev.registerValue(reg::kStatistics.first + 21), std::uint16_t(23871));

    // A new factory number, then the code must use it.
    QByteArray change = QByteArray::fromHex("011800");
    wire::appendWord(change, dev.expectedAccessCode());
    wire::appendWord(change, 4321);
    QCOMPARE(byteOf(bus.handle(wire::withCrc(change)), 4), std::uint8_t(0));
    QCOMPARE(dev.factoryNumber(), std::uint16_t(4321));
    QCOMPARE(dev.expectedAccessCode(), sim::Device::accessCode(dev.nonce(), 4321, 0x4141));
  }

  void calibrationChangesWhatIsMeasured() {
    sim::Bus bus({1}, 1, 7, fixedClock());
    sim::Device& dev = *bus.device(1);
    auto cal = [&](const char* hex) { return ask(bus, hex); };
    // Outside calibration mode nothing is carried out.
    QCOMPARE(byteOf(cal("0119010177000000"), 14), std::uint8_t(0));
    dev.calibration().setGain(2, 1.03);
    QByteArray enter = QByteArray::fromHex("011804");
    wire::appendWord(enter, dev.expectedAccessCode());
    wire::appendWord(enter, 0);
    QCOMPARE(byteOf(bus.handle(wire::withCrc(enter)), 4), std::uint8_t(0));
    QVERIFY(dev.calibration().calibrationMode());

    QByteArray r = cal("0119010177000000");
    QCOMPARE(r.size(), 20);
    QCOMPARE(byteOf(r, 3), std::uint8_t(0x0E));
    QCOMPARE(byteOf(r, 14), std::uint8_t(119));
    r = cal("0119020408020000");
    QCOMPARE(byteOf(r, 14), std::uint8_t(119));
    QCOMPARE(byteOf(r, 15), std::uint8_t(2));
    const int value = byteOf(r, 16) | byteOf(r, 17) << 8;
    QCOMPARE(value, 515);  // 500 x 1.03
    // Confirming another value fails, the value read succeeds.
    QCOMPARE(byteOf(cal("0119040177020000"), 4), std::uint8_t(0));
    QByteArray confirm = QByteArray::fromHex("0119040177020000");
    confirm[6] = char(value & 0xFF);
    confirm[7] = char(value >> 8);
    r = bus.handle(wire::withCrc(confirm));
    QCOMPARE(byteOf(r, 4), std::uint8_t(119));
    QCOMPARE(byteOf(r, 14), std::uint8_t(119));
    // Coefficient 500 x 205 / 515 = 199 brings the point to the reference.
    QCOMPARE(byteOf(cal("011903030702c700"), 14), std::uint8_t(119));
    QCOMPARE(dev.calibration().coefficient(2), 199);
    r = cal("0119020408020000");
    QCOMPARE(byteOf(r, 16) | byteOf(r, 17) << 8, 500);
    QCOMPARE(byteOf(cal("0119010077000000"), 14), std::uint8_t(119));
    QCOMPARE(dev.calibration().stores(), 1);
    // Coefficient 0 is not one.
    QCOMPARE(byteOf(cal("0119030307020000"), 14), std::uint8_t(0));
  }

  void variant3CalibratesPhasesAandConly() {
    sim::Bus bus({1}, 3, 7, fixedClock());
    sim::Device& dev = *bus.device(1);
    dev.calibration().setGain(1, 0.97);
    QByteArray enter = QByteArray::fromHex("011804");
    wire::appendWord(enter, dev.expectedAccessCode());
    wire::appendWord(enter, 0);
    bus.handle(wire::withCrc(enter));
    QCOMPARE(wordOf(ask(bus, "010300100015"), 16), std::uint16_t(485));  // 500 x 0.97
    // Slot 0 (phase A, lower range) takes coefficient 103.
    QCOMPARE(byteOf(ask(bus, "0119030700670000"), 14), std::uint8_t(119));
    QCOMPARE(wordOf(ask(bus, "010300100015"), 16), std::uint16_t(500));
    // Phase B and the point form are not there.
    QCOMPARE(byteOf(ask(bus, "0119030702670000"), 14), std::uint8_t(0));
    QCOMPARE(byteOf(ask(bus, "0119020408020000"), 14), std::uint8_t(0));
    QVERIFY(!dev.calibration().hasPoint(2));
  }

  // One record of every kind a journal reader tells apart: each event code
  // (a code of each unnamed range too), each form of the sub-code, a stamp
  // byte that is not BCD, a stamp that is no date, and one erased slot.
  void eventJournalHasEveryKindOfRecord() {
    sim::Bus bus({1}, 1, 7, fixedClock());
    QSet<int> codes;
    QSet<QPair<int, int>> subCodes;
    int erased = 0, notBcd = 0, noDate = 0;
    for (int i = 0; i < 34; ++i) {
      const QByteArray r = bus.handle(request(QByteArray("0141" + QByteArray::number(i, 16).rightJustified(2, '0')).constData()));
      QCOMPARE(r.size(), 20);
      QCOMPARE(byteOf(r, 2), std::uint8_t(i));
      if (byteOf(r, 10) == 0xFF) {
        ++erased;
        QCOMPARE(r.mid(4, 6), QByteArray(6, char(0xFF)));
        continue;
      }
      codes.insert(byteOf(r, 10));
      subCodes.insert({byteOf(r, 10), byteOf(r, 12)});
      QVERIFY(byteOf(r, 11) < 100);
      const auto stamp = sim::fromBcdStamp(r.mid(4, 6));
      bool bcd = true;
      for (int k = 4; k < 10; ++k) bcd = bcd && sim::fromBcd(byteOf(r, k));
      if (!bcd) ++notBcd;
      else if (!stamp) ++noDate;
      else QCOMPARE(stamp->date().year(), 2024);
    }
    QCOMPARE(erased, 1);
    QCOMPARE(notBcd, 1);
    QCOMPARE(noDate, 1);
    for (int code : {0, 1, 2, 3, 4, 5, 6, 7, 8, 16, 17, 18, 19, 20, 21, 22, 23, 24, 32, 48, 49})
      QVERIFY2(codes.contains(code), qPrintable(QString::number(code)));
    auto within = [&codes](int from, int to) {
      for (int c = from; c <= to; ++c)
        if (codes.contains(c)) return true;
      return false;
    };
    QVERIFY(within(9, 15));
    QVERIFY(within(25, 31));
    QVERIFY(within(33, 47));
    for (int sub : {0, 1, 2}) QVERIFY(subCodes.contains({4, sub}));
    for (int sub : {0, 1, 2, 3, 4}) QVERIFY(subCodes.contains({5, sub}));
    QVERIFY(subCodes.contains({16, 0}));   // a phase stage without a phase mark
    QVERIFY(subCodes.contains({19, 7}));   // all three phases
    // The МТЗ-2 trip on phases A and C at 12.34 A.
    const QByteArray trip = ask(bus, "014108");
    QCOMPARE(byteOf(trip, 10), std::uint8_t(20));
    QCOMPARE(byteOf(trip, 12), std::uint8_t(5));
    QCOMPARE(wire::wordAt(trip, 13), std::uint16_t(1234));
    QCOMPARE(byteOf(trip, 16), std::uint8_t(0x01));
  }

  void remoteCommandsAndErasureReachTheJournals() {
    sim::Bus bus({1}, 1, 7, fixedClock());
    sim::Device& dev = *bus.device(1);
    const int slot = dev.journal().nextSlot();
    ask(bus, "01053001ff00");
    const QByteArray r = bus.handle(request(QByteArray("0141" + QByteArray::number(slot, 16).rightJustified(2, '0')).constData()));
    QCOMPARE(byteOf(r, 10), std::uint8_t(6));
    QCOMPARE(byteOf(r, 12), std::uint8_t(2));
    QCOMPARE(r.mid(4, 6).toHex(), QByteArray("241105143015"));

    // The recorder started remotely fills the first erased entry.
    ask(bus, "01053006ff00");
    QCOMPARE(ask(bus, "0142").mid(5 + 20, 6).toHex(), QByteArray("241105143015"));

    QByteArray erase = QByteArray::fromHex("011802");
    wire::appendWord(erase, dev.expectedAccessCode());
    wire::appendWord(erase, 0);
    QCOMPARE(byteOf(bus.handle(wire::withCrc(erase)), 4), std::uint8_t(0));
    QCOMPARE(ask(bus, "0142").mid(5, 150), QByteArray(150, char(0xFF)));
    QVERIFY(isException(ask(bus, "0143000000"), 0x43, 2));
  }

  void alarmListAndOscillogramBlocks() {
    sim::Bus bus({1}, 1, 7, fixedClock());
    const QByteArray list = ask(bus, "0142");
    QCOMPARE(list.size(), 157);
    QCOMPARE(byteOf(list, 3), std::uint8_t(15));
    QCOMPARE(byteOf(list, 4), std::uint8_t(150));
    QCOMPARE(list.mid(5 + 20, 10), QByteArray(10, char(0xFF)));  // entry 2 erased
    QCOMPARE(wire::wordAt(list, 5 + 6), std::uint16_t(800));
    int recorded = 0;
    for (int n = 0; n < 15; ++n) recorded += sim::fromBcdStamp(list.mid(5 + 10 * n, 6)).has_value();
    QCOMPARE(recorded, 5);
    QCOMPARE(list.mid(5 + 60, 10), QByteArray(10, char(0)));  // entry 6: zeros, no date

    const QByteArray block = ask(bus, "01430000a0");  // entry 0, block 160
    QCOMPARE(block.size(), 247);
    QCOMPARE(byteOf(block, 2), std::uint8_t(0xF2));
    QCOMPARE(wordOf(block, 0), std::uint16_t(160));
    sim::Device& dev = *bus.device(1);
    const auto& samples = dev.recorder().samples(0);
    QCOMPARE(int(samples.size()), 6000);
    for (int i = 0; i < 24; ++i) {
      const sim::OscSample& s = samples[std::size_t(160 * 24 + i)];
      QCOMPARE(wordOf(block, 5 * i + 1), std::uint16_t(s.ia));
      QCOMPARE(wordOf(block, 5 * i + 4), std::uint16_t(s.io));
      QCOMPARE(wordOf(block, 5 * i + 5), s.digital);
    }
  }

  void oscillogramShowsTheFaultFromTheTrigger() {
    sim::Bus bus({1}, 1, 7, fixedClock());
    sim::Recorder& rec = bus.device(1)->recorder();
    const auto& s = rec.samples(0);  // МТЗ-2, phases A and C, 12.34 A
    const double before = rms(s, 100, 792);
    const double during = rms(s, 808, 1400);
    QVERIFY2(before > 200 && before < 300, qPrintable(QString::number(before)));
    QVERIFY2(during > 1000, qPrintable(QString::number(during)));
    const auto bit = [&](int sample, int ch) { return (s[std::size_t(sample)].digital >> ch) & 1; };
    QCOMPARE(bit(790, sim::channel::kMtz2Pickup), 0);
    QCOMPARE(bit(810, sim::channel::kMtz2Pickup), 1);
    QCOMPARE(bit(790, sim::channel::kBreakerClosed), 1);
    QCOMPARE(bit(1700, sim::channel::kBreakerClosed), 0);
    // One-sample glitches on channels 1..12 only.
    const auto glitches = rec.glitches(0);
    QVERIFY(!glitches.empty());
    for (int g : glitches) {
      const std::uint16_t diff = (s[std::size_t(g)].digital ^ s[std::size_t(g - 1)].digital) &
                                 (s[std::size_t(g)].digital ^ s[std::size_t(g + 1)].digital);
      QVERIFY(diff != 0);
      QVERIFY((diff & 0xF000) == 0);
    }
  }
};

QTEST_GUILESS_MAIN(TestSimDevice)
#include "test_sim_device.moc"
