#include <QElapsedTimer>
#include <QtTest>

#include "extlib/crc16.h"
#include "extlib/transport_error.h"
#include "tests/support/sim_link_factory.h"
#include "tests/sim/frames.h"

using namespace vmk;
using vmk::test::request;

class TestSimBusLink : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void answersWhatIsWrittenEvenInPieces() {
    sim::Bus bus({1, 2});
    sim::BusLink link(bus);
    QVERIFY(link.open());
    const QByteArray frame = request("020300000009");
    link.write(frame.left(3));
    QVERIFY(bus.requests().isEmpty());
    link.write(frame.mid(3));
    const QByteArray reply = link.read(100);
    QCOMPARE(reply.size(), 23);
    QVERIFY(wire::hasValidCrc(reply));
    QCOMPARE(link.requests(), QList<QByteArray>{frame});

    // What has arrived and was not read is gone after discardInput.
    link.write(request("0207"));
    link.discardInput();
    QElapsedTimer t;
    t.start();
    QVERIFY(link.read(30).isEmpty());
    QVERIFY(t.elapsed() >= 25);
  }

  void faultsChangeTheReply_data() {
    QTest::addColumn<double>("drop");
    QTest::addColumn<double>("corrupt");
    QTest::addColumn<double>("truncate");
    QTest::addColumn<QString>("expect");
    QTest::newRow("drop") << 1.0 << 0.0 << 0.0 << "silence";
    QTest::newRow("corrupt") << 0.0 << 1.0 << 0.0 << "bad crc";
    QTest::newRow("truncate") << 0.0 << 0.0 << 1.0 << "short";
  }
  void faultsChangeTheReply() {
    QFETCH(double, drop);
    QFETCH(double, corrupt);
    QFETCH(double, truncate);
    QFETCH(QString, expect);
    sim::Bus bus({1});
    sim::FaultPlan plan;
    plan.drop = drop;
    plan.corrupt = corrupt;
    plan.truncate = truncate;
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
      plan.seed = seed;
      sim::BusLink link(bus, plan);
      link.open();
      link.write(request("010300000009"));
      const QByteArray reply = link.read(20);
      if (expect == "silence") QVERIFY(reply.isEmpty());
      if (expect == "bad crc") {
        QCOMPARE(reply.size(), 23);
        QVERIFY(!wire::hasValidCrc(reply));
      }
      if (expect == "short") QVERIFY(reply.size() >= 1 && reply.size() < 23);
    }
  }

  void silentAfterAndDelay() {
    sim::Bus bus({1});
    sim::FaultPlan plan;
    plan.silentAfter = 2;
    plan.delayMs = 40;
    sim::BusLink link(bus, plan);
    link.open();
    link.write(request("0107"));
    QVERIFY(link.read(10).isEmpty());  // not there yet
    QCOMPARE(link.read(100).size(), 5);
    link.write(request("0107"));
    QCOMPARE(link.read(100).size(), 5);
    link.write(request("0107"));
    QVERIFY(link.read(60).isEmpty());
  }

  void goneOrClosedPortThrows() {
    sim::Bus bus({1});
    sim::BusLink link(bus);
    QVERIFY_THROWS_EXCEPTION(TransportError, link.write(request("0107")));
    QVERIFY(link.open());
    link.setGone(true);
    QVERIFY_THROWS_EXCEPTION(TransportError, link.write(request("0107")));
    QVERIFY_THROWS_EXCEPTION(TransportError, link.read(10));
    link.close();
    QVERIFY(!link.open());
    QVERIFY(!link.errorString().isEmpty());
  }

  void factoryMakesLinksToTheBus() {
    sim::Bus bus({3});
    sim::BusLink* made = nullptr;
    auto factory = test::busLinkFactory(bus, {}, [&made](sim::BusLink& l) { made = &l; });
    PortSettings settings;
    settings.baudRate = 9600;
    auto link = factory(settings);
    QCOMPARE(link.get(), static_cast<SerialLink*>(made));
    QCOMPARE(link->byteTimeUs(), 1041);
    QVERIFY(link->open());
    link->write(request("0307"));
    QCOMPARE(link->read(50).size(), 5);
  }
};

QTEST_GUILESS_MAIN(TestSimBusLink)
#include "test_sim_bus_link.moc"
