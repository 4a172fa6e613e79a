// The network links of the master (RTU over TCP to a serial device server,
// Modbus TCP to a gateway) against the simulated bus served as `vmksim
// --tcp` serves it: the MBAP framing on golden frames, the very replies of
// the line for every function the devices speak, a gateway's timing, and
// each way a connection fails.

#include <QElapsedTimer>
#include <QtTest>
#include <functional>

#include "device/serial_port.h"
#include "extlib/mbap.h"
#include "extlib/modbus_library.h"
#include "extlib/tcp_link.h"
#include "extlib/transport_error.h"
#include "sim/bus_link.h"
#include "tests/support/net_server.h"

using namespace vmk;

Q_DECLARE_METATYPE(vmk::sim::FaultPlan)

namespace {

// One call of the protocol library and what it brings back: the reply
// frame, or for the calls that give a value, that value as one byte.
struct Call {
  const char* name;
  std::function<QByteArray(ModbusLibrary&, SerialLink&)> run;
};

QByteArray frameOf(const std::function<void(ReplyFrame&)>& call) {
  ReplyFrame r;
  call(r);
  return r.frame();
}

const QList<Call>& calls() {
  using L = ModbusLibrary;
  using S = SerialLink;
  static const QList<Call> list{
      {"status (7)", [](L& l, S& s) { return QByteArray(1, char(l.GetF07(s, 1))); }},
      {"identity (3)", [](L& l, S& s) { return frameOf([&](ReplyFrame& r) { l.SetQuery(s, 1, 3, 0, 9, r); }); }},
      {"longest read (3)", [](L& l, S& s) { return frameOf([&](ReplyFrame& r) { l.SetQuery(s, 1, 3, 0, 125, r); }); }},
      {"write (6)", [](L& l, S& s) { return frameOf([&](ReplyFrame& r) { l.WriteWord(s, 1, 100, 3, r); }); }},
      {"command (5)", [](L& l, S& s) { return frameOf([&](ReplyFrame& r) { l.SendCommand(s, 1, 0x3000, r); }); }},
      {"clock (16)",
       [](L& l, S& s) {
         return QByteArray(1, char(l.SetRealDateTime(s, 1, QDateTime(QDate(2012, 3, 4), QTime(5, 6, 7)))));
       }},
      {"service (0x18)", [](L& l, S& s) { return frameOf([&](ReplyFrame& r) { l.func18h(s, 1, 1, 0, 0, r); }); }},
      {"calibration (0x19)",
       [](L& l, S& s) { return frameOf([&](ReplyFrame& r) { l.func19h(s, 1, 1, 119, 0, 0, 0, 0, r); }); }},
      {"event record (0x41)", [](L& l, S& s) { return frameOf([&](ReplyFrame& r) { l.GetEvent(s, 1, 3, r); }); }},
      {"alarm list (0x42)", [](L& l, S& s) { return frameOf([&](ReplyFrame& r) { l.Getinterruption(s, 1, r); }); }},
      {"oscillogram block (0x43)",
       [](L& l, S& s) { return frameOf([&](ReplyFrame& r) { l.GetBLockInterruption(s, 1, 0, 1, r); }); }},
      {"exception (read past the image)",
       [](L& l, S& s) { return frameOf([&](ReplyFrame& r) { l.SetQuery(s, 1, 3, 760, 10, r); }); }},
      {"absent address", [](L& l, S& s) { return QByteArray(1, char(l.GetF07(s, 9))); }},
  };
  return list;
}

// How one identity read over a link ended.
QString identityRead(ModbusLibrary& lib, SerialLink& link) {
  try {
    ReplyFrame r;
    lib.SetQuery(link, 1, 3, 0, 9, r);
    return lib.lastStatus() == ReplyStatus::Ok ? QStringLiteral("ok") : QStringLiteral("silent");
  } catch (const TransportError& e) {
    return link.failed() && e.message().endsWith(tcp_reason::kClosed) ? QStringLiteral("gone")
                                                                      : e.message();
  }
}

}  // namespace

class TestTcpLink : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void mbapFraming_data() {
    QTest::addColumn<QByteArray>("rtu");
    QTest::addColumn<int>("transaction");
    QTest::addColumn<QByteArray>("mbap");
    QTest::newRow("read holding registers") << QByteArray::fromHex("01030000000985cc") << 1
                                            << QByteArray::fromHex("000100000006010300000009");
    QTest::newRow("read status") << QByteArray::fromHex("010741e2") << 0xBEEF
                                 << QByteArray::fromHex("beef000000020107");
    QTest::newRow("exception reply") << QByteArray::fromHex("018302c0f1") << 7
                                     << QByteArray::fromHex("000700000003018302");
    QTest::newRow("event record, function 0x41") << QByteArray::fromHex("01410a9057") << 0xFFFF
                                                 << QByteArray::fromHex("ffff0000000301410a");
  }
  void mbapFraming() {
    QFETCH(QByteArray, rtu);
    QFETCH(int, transaction);
    QFETCH(QByteArray, mbap);
    QCOMPARE(mbap::fromRtu(rtu, std::uint16_t(transaction)).toHex(), mbap.toHex());
    QCOMPARE(mbap::toRtu(mbap).toHex(), rtu.toHex());
    QCOMPARE(mbap::frameLength(mbap), int(mbap.size()));
    QCOMPARE(int(mbap::transactionId(mbap)), transaction);
  }

  void mbapHeaders_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("length");
    QTest::newRow("too short to tell") << QByteArray::fromHex("0001000000") << 0;
    QTest::newRow("shortest") << QByteArray::fromHex("000100000002") << 8;
    QTest::newRow("longest") << QByteArray::fromHex("0001000000fe") << 260;
    QTest::newRow("protocol not 0") << QByteArray::fromHex("000100010006") << -1;
    QTest::newRow("no PDU") << QByteArray::fromHex("000100000001") << -1;
    QTest::newRow("longer than a PDU can be") << QByteArray::fromHex("0001000000ff") << -1;
  }
  void mbapHeaders() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, length);
    QCOMPARE(mbap::frameLength(bytes), length);
    // A frame that is not whole or not one gives no RTU frame.
    QVERIFY(mbap::toRtu(bytes).isEmpty());
  }

  void sameRepliesAsOnTheLine_data() {
    QTest::addColumn<bool>("gateway");
    QTest::addColumn<int>("call");
    for (bool gateway : {false, true})
      for (int i = 0; i < calls().size(); ++i)
        QTest::addRow("%s / %s", gateway ? "Modbus TCP" : "RTU over TCP", calls()[i].name) << gateway << i;
  }
  void sameRepliesAsOnTheLine() {
    QFETCH(bool, gateway);
    QFETCH(int, call);
    // Two buses alike: one behind the server, one on the in-process line.
    sim::Bus overNet({1}, 1, 5);
    sim::Bus onLine({1}, 1, 5);
    test::NetServer server(overNet, gateway);
    const std::unique_ptr<SerialLink> net = makeLink(server.settings());
    QVERIFY2(net->open(), qPrintable(net->errorString()));
    sim::BusLink line(onLine);
    QVERIFY(line.open());
    ModbusLibrary lib;
    const QByteArray viaNet = calls()[call].run(lib, *net);
    const ReplyStatus netStatus = lib.lastStatus();
    const QByteArray viaLine = calls()[call].run(lib, line);
    QCOMPARE(viaNet.toHex(' '), viaLine.toHex(' '));
    QCOMPARE(int(netStatus), int(lib.lastStatus()));
    QCOMPARE(overNet.requests(), onLine.requests());
  }

  // A gateway passes a reply on once all of it has crossed its line: the
  // longest read at 9600 bit/s takes 265 ms there, well past the first-byte
  // time-out of 100 ms, and still arrives.
  void theLineBehindTimesTheReplies_data() {
    QTest::addColumn<bool>("gateway");
    QTest::newRow("RTU over TCP") << false;
    QTest::newRow("Modbus TCP") << true;
  }
  void theLineBehindTimesTheReplies() {
    QFETCH(bool, gateway);
    sim::Bus bus({1});
    sim::LineServer::Options paced;
    paced.pace = true;
    paced.turnaroundMs = 5;
    test::NetServer server(bus, gateway, paced);
    const std::unique_ptr<SerialLink> link = makeLink(server.settings());
    QVERIFY(link->open());
    QCOMPARE(link->byteTimeUs(), 1042);
    ModbusLibrary lib;
    QCOMPARE(lib.GetTry(), 10);
    for (int count : {125, 1, 125}) {
      ReplyFrame r;
      lib.SetQuery(*link, 1, 3, 0, std::uint16_t(count), r);
      QCOMPARE(lib.lastStatus(), ReplyStatus::Ok);
      QCOMPARE(r.length(), expectedReplyLength(count));
    }
  }

  // Each identity read's end ("ok", "silent" for no reply, "gone" for a
  // TransportError of a connection the server closed), then whether the
  // next operation's link connects again once the fault is over.
  void connectionFailures_data() {
    QTest::addColumn<bool>("gateway");
    QTest::addColumn<sim::FaultPlan>("plan");
    QTest::addColumn<int>("stopAfter");  // the server stops after this read (0: never)
    QTest::addColumn<QStringList>("reads");
    QTest::addColumn<QString>("nextOpen");
    const QStringList goneAfterOne{"ok", "gone", "gone"};
    for (bool gateway : {false, true}) {
      const char* kind = gateway ? "Modbus TCP" : "RTU over TCP";
      sim::FaultPlan reset;
      reset.resetAt = 2;
      QTest::addRow("%s / reset at the second request", kind) << gateway << reset << 0 << goneAfterOne << QStringLiteral("ok");
      QTest::addRow("%s / server goes after the first", kind)
          << gateway << sim::FaultPlan{} << 1 << goneAfterOne << tcp_reason::kRefused;
      sim::FaultPlan mute;
      mute.silentAfter = 0;
      QTest::addRow("%s / accepts and never answers", kind)
          << gateway << mute << 0 << QStringList{"silent", "silent"} << QStringLiteral("ok");
    }
    sim::FaultPlan wrongId;
    wrongId.wrongTransactionAt = 2;
    QTest::newRow("Modbus TCP / wrong transaction id") << true << wrongId << 0
                                                       << QStringList{"ok", "silent", "ok"} << QStringLiteral("ok");
  }
  void connectionFailures() {
    QFETCH(bool, gateway);
    QFETCH(sim::FaultPlan, plan);
    QFETCH(int, stopAfter);
    QFETCH(QStringList, reads);
    QFETCH(QString, nextOpen);
    sim::Bus bus({1});
    test::NetServer server(bus, gateway);
    server.setFaults(plan);
    std::unique_ptr<SerialLink> link = makeLink(server.settings());
    QVERIFY(link->open());
    ModbusLibrary lib;
    lib.SetTry(5);
    QStringList seen;
    QElapsedTimer clock;
    for (int i = 0; i < reads.size(); ++i) {
      clock.start();
      seen << identityRead(lib, *link);
      // Silence costs the whole time-out.
      if (seen.last() == QLatin1String("silent")) QVERIFY(clock.elapsed() >= 45);
      if (i + 1 == stopAfter) server.stop();
    }
    QCOMPARE(seen, reads);
    link->close();
    // The next operation, the server's fault over.
    server.setFaults({});
    link = makeLink(server.settings());
    const bool opened = link->open();
    QCOMPARE(opened ? QStringLiteral("ok") : link->errorString(), nextOpen);
    if (opened) QCOMPARE(identityRead(lib, *link), QStringLiteral("ok"));
  }

  void aRefusedConnectionFailsTheOpenAtOnce() {
    PortSettings s;
    QVERIFY(setLinkName(s, QStringLiteral("tcp://127.0.0.1:%1").arg(test::refusingPort())));
    const std::unique_ptr<SerialLink> link = makeLink(s);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!link->open());
    QCOMPARE(link->errorString(), tcp_reason::kRefused);
    QVERIFY(clock.elapsed() < timing::kConnectTimeoutMs);
    QVERIFY_THROWS_EXCEPTION(TransportError, link->write(QByteArray::fromHex("010741e2")));
  }
};

QTEST_GUILESS_MAIN(TestTcpLink)
#include "test_tcp_link.moc"
