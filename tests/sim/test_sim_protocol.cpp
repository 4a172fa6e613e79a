// The protocol library against the simulated bus in-process: what the
// connection, journals and service operations decode from real frames,
// and what every kind of misbehaviour leaves for the caller.

#include <QElapsedTimer>
#include <QtTest>

#include "device/codecs.h"
#include "extlib/modbus_library.h"
#include "extlib/transport_error.h"
#include "sim/bus_link.h"

using namespace vmk;

namespace {

const QDateTime kNow(QDate(2024, 11, 5), QTime(14, 30, 15));

struct Rig {
  explicit Rig(QList<int> addresses = {1, 2}, int variant = 1)
      : bus(addresses, variant, 11, [] { return kNow; }), link(bus) {
    link.open();
  }
  sim::Bus bus;
  sim::BusLink link;
  ModbusLibrary modbus;
};

}  // namespace

class TestSimProtocol : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void identityAndSetupDecodeToTheRecord_data() {
    QTest::addColumn<int>("variant");
    QTest::newRow("variant 1") << 1;
    QTest::newRow("variant 2") << 2;
    QTest::newRow("variant 3") << 3;
  }
  void identityAndSetupDecodeToTheRecord() {
    QFETCH(int, variant);
    Rig rig({2}, variant);
    ReplyFrame reply;
    rig.modbus.SetQuery(rig.link, 2, 3, 0, 9, reply);
    QCOMPARE(reply.length(), expectedReplyLength(9));
    const TVMK vmk = DecodeIdentity(reply);
    QCOMPARE(vmk.Name, QStringLiteral("ВМК-0%1.01 ").arg(variant));
    QCOMPARE(vmk.DeviceVariant, std::int16_t(variant));
    QCOMPARE(vmk.SerialNumber, rig.bus.device(2)->factoryNumber());
    QCOMPARE(vmk.Language, QStringLiteral("русский"));
    QCOMPARE(VersionText(vmk.VersionWord), QStringLiteral("v10 от 18.4.2011"));

    rig.modbus.SetQuery(rig.link, 2, 3, 64, 23, reply);
    QCOMPARE(reply.length(), 51);
    SetupFields expected;
    expected.NetAddress = 2;
    expected.InterfaceWord = 0x0004;
    expected.DevicePassword = QStringLiteral("AAAA");
    expected.ActiveGroup = 1;
    expected.GroupChangeMode = 0;
    expected.CtPrimary = 600;
    expected.CtSecondary = 5;
    expected.EarthCtPrimary = 50;
    expected.EarthCtSecondary = 1;
    expected.ClockYear = 24;
    expected.ClockMonth = 11;
    expected.ClockDay = 5;
    expected.ClockHour = 14;
    expected.ClockMinute = 30;
    expected.ClockSecond = 15;
    QCOMPARE(DecodeSetup(reply), expected);
    QCOMPARE(MakeDeviceDateTime(DecodeSetup(reply), kNow.date()), kNow);
    QCOMPARE(PhaseRatio(expected), std::optional<int>(120));
    QCOMPARE(EarthRatio(expected), std::optional<int>(50));
  }

  void alarmListAndBlocks() {
    Rig rig;
    ReplyFrame list;
    rig.modbus.Getinterruption(rig.link, 1, list);
    QCOMPARE(list.length(), 157);
    QCOMPARE(list.frameByte(4), std::uint8_t(150));
    const AlarmEntry first = DecodeAlarmEntry(list, 0, kNow.date());
    QVERIFY(first.valid);
    QCOMPARE(first.when, rig.bus.device(1)->recorder().when(0));
    QVERIFY(!DecodeAlarmEntry(list, 2, kNow.date()).valid);  // erased: 0xFF throughout
    QVERIFY(!DecodeAlarmEntry(list, 12, kNow.date()).valid);

    ReplyFrame block;
    rig.modbus.GetBLockInterruption(rig.link, 1, 0, 125, block);
    QCOMPARE(block.length(), 247);
    QCOMPARE(GetRegWord(block, 0), std::uint16_t(125));
    const auto& samples = rig.bus.device(1)->recorder().samples(0);
    for (int i = 0; i < 24; ++i) {
      const sim::OscSample& s = samples[std::size_t(125 * 24 + i)];
      QCOMPARE(GetRegWord(block, 5 * i + 1), std::uint16_t(s.ia));
      QCOMPARE(GetRegWord(block, 5 * i + 2), std::uint16_t(s.ib));
      QCOMPARE(GetRegWord(block, 5 * i + 3), std::uint16_t(s.ic));
      QCOMPARE(GetRegWord(block, 5 * i + 4), std::uint16_t(s.io));
      QCOMPARE(GetRegWord(block, 5 * i + 5), s.digital);
      // Word k lies at frame bytes 3 + 2k and 4 + 2k.
      const int k = 5 * i + 1;
      QCOMPARE(std::uint16_t(block.frameByte(3 + 2 * k) << 8 | block.frameByte(4 + 2 * k)), std::uint16_t(s.ia));
    }
  }

  void eventRecordsAndVariant3Journals() {
    Rig rig({1, 3});
    rig.bus.addDevice(3, 3, 11, [] { return kNow; });
    ReplyFrame r;
    rig.modbus.GetEvent(rig.link, 1, 0, r);
    QCOMPARE(r.length(), 20);
    QCOMPARE(r.frameByte(10), std::uint8_t(1));  // power-up
    rig.modbus.GetEvent(rig.link, 3, 0, r);
    QCOMPARE(r.length(), 5);
    QCOMPARE(r.frameByte(1), std::uint8_t(0xC1));
    QCOMPARE(r.frameByte(2), std::uint8_t(1));
    rig.modbus.Getinterruption(rig.link, 3, r);
    QVERIFY(r.length() != 157);
  }

  void serviceRefusesAWrongCodeAndHandsOutANewNonce() {
    Rig rig;
    sim::Device& dev = *rig.bus.device(1);
    ReplyFrame r;
    rig.modbus.func18h(rig.link, 1, 1, 0, 0, r);  // as the connection does
    QCOMPARE(r.length(), 7);
    QCOMPARE(r.frameByte(4), std::uint8_t(255));
    const std::uint16_t nonce = std::uint16_t(r.frameByte(2) << 8 | r.frameByte(3));
    QCOMPARE(nonce, dev.nonce());

    const std::uint16_t right = std::uint16_t(((nonce ^ dev.factoryNumber()) | 0x4141) + 0x5A);
    rig.modbus.func18h(rig.link, 1, 3, std::uint16_t(right ^ 0x0100), 0, r);
    QCOMPARE(r.frameByte(4), std::uint8_t(255));
    const std::uint16_t next = std::uint16_t(r.frameByte(2) << 8 | r.frameByte(3));
    QVERIFY(next != nonce);
    QVERIFY(!dev.journal().record(0).erased);

    rig.modbus.func18h(rig.link, 1, 3, sim::Device::accessCode(next, dev.factoryNumber(), 0x4141), 0, r);
    QCOMPARE(r.frameByte(4), std::uint8_t(0));
    QVERIFY(dev.journal().record(0).erased);
  }

  void commandsClockAndWrites() {
    Rig rig;
    ReplyFrame r;
    rig.modbus.SendCommand(rig.link, 1, 0x3002, r);
    QCOMPARE(r.frameByte(0), std::uint8_t(1));
    QCOMPARE(r.frameByte(1), std::uint8_t(5));
    QCOMPARE(r.frameByte(2), std::uint8_t(0x30));
    QCOMPARE(r.frameByte(4), std::uint8_t(255));
    QVERIFY(rig.modbus.SetRealDateTime(rig.link, 1, QDateTime(QDate(2011, 2, 1), QTime(13, 5, 7))));
    QCOMPARE(rig.bus.device(1)->clock(), QDateTime(QDate(2011, 2, 1), QTime(13, 5, 7)));
    rig.modbus.WriteWord(rig.link, 1, 518, 25, r);
    QVERIFY(!r.isEmpty());
    QCOMPARE(rig.bus.device(1)->registerValue(518), std::uint16_t(25));
    rig.modbus.WriteWord(rig.link, 1, 150, 0, r);  // statistics are read only
    QVERIFY(r.isEmpty());
    QCOMPARE(rig.modbus.GetF07(rig.link, 1), 1);
    rig.bus.device(1)->setStatus(3);
    QCOMPARE(rig.modbus.GetF07(rig.link, 1), 3);
  }

  void faultsReachTheCallerAsTheirOutcome_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QList<int>>("statuses");  // acceptable ReplyStatus values
    const auto s = [](std::initializer_list<ReplyStatus> l) {
      QList<int> out;
      for (ReplyStatus x : l) out.append(int(x));
      return out;
    };
    QTest::newRow("absent address") << "absent" << s({ReplyStatus::NoAnswer});
    QTest::newRow("dropped") << "drop" << s({ReplyStatus::NoAnswer});
    QTest::newRow("silent after 0") << "silent" << s({ReplyStatus::NoAnswer});
    QTest::newRow("delayed past the time-out") << "delay" << s({ReplyStatus::NoAnswer});
    QTest::newRow("corrupted") << "corrupt"
                               << s({ReplyStatus::BadCrc, ReplyStatus::WrongAddress,
                                     ReplyStatus::WrongFunction, ReplyStatus::Truncated,
                                     ReplyStatus::NoAnswer});
    QTest::newRow("truncated") << "truncate" << s({ReplyStatus::Truncated, ReplyStatus::NoAnswer});
  }
  void faultsReachTheCallerAsTheirOutcome() {
    QFETCH(QString, fault);
    QFETCH(QList<int>, statuses);
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {
      sim::FaultPlan plan;
      plan.seed = seed;
      if (fault == "drop") plan.drop = 1;
      if (fault == "silent") plan.silentAfter = 0;
      if (fault == "delay") plan.delayMs = 150;
      if (fault == "corrupt") plan.corrupt = 1;
      if (fault == "truncate") plan.truncate = 1;
      Rig rig;
      rig.link.setFaults(plan);
      const std::uint8_t address = fault == "absent" ? 9 : 1;
      ReplyFrame r;
      QElapsedTimer t;
      t.start();
      rig.modbus.SetQuery(rig.link, address, 3, 64, 23, r);
      const qint64 took = t.elapsed();
      QVERIFY2(r.isEmpty(), qPrintable(r.frame().toHex()));
      QVERIFY2(statuses.contains(int(rig.modbus.lastStatus())), qPrintable(QString::number(int(rig.modbus.lastStatus()))));
      // The time-out (100 ms) plus the margin for the rest of a reply; the
      // bound leaves room for a loaded machine but not for a hang.
      QVERIFY2(took < 1500, qPrintable(QString::number(took)));
      if (fault != "corrupt" && fault != "truncate")
        QCOMPARE(rig.modbus.GetF07(rig.link, address), ModbusLibrary::kNoAnswer);
    }
  }

  void lateReplyIsNotTakenForTheNextOne() {
    Rig rig;
    sim::FaultPlan plan;
    plan.delayMs = 130;
    plan.silentAfter = 1;  // only the first, late, reply is sent
    rig.link.setFaults(plan);
    ReplyFrame r;
    rig.modbus.SetQuery(rig.link, 1, 3, 0, 9, r);
    QVERIFY(r.isEmpty());
    // The late identity reply arrives while the master waits for the setup
    // block; it is not that reply.
    rig.modbus.SetQuery(rig.link, 1, 3, 64, 23, r);
    QVERIFY(r.isEmpty());
    QVERIFY(rig.modbus.lastStatus() != ReplyStatus::Ok);
  }

  void portGoneIsATransportError() {
    Rig rig;
    rig.link.setGone(true);
    ReplyFrame r;
    QVERIFY_THROWS_EXCEPTION(TransportError, rig.modbus.SetQuery(rig.link, 1, 3, 0, 9, r));
    QVERIFY_THROWS_EXCEPTION(TransportError, rig.modbus.GetF07(rig.link, 1));
  }
};

QTEST_GUILESS_MAIN(TestSimProtocol)
#include "test_sim_protocol.moc"
