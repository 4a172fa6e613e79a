// A port that fails under a call of the device client: by default the
// TransportError goes on; a client built with PortFailures::AsOutcome ends
// the call with Outcome::PortFailure and keeps the failure's text. A call
// that changes the device is handed to the change log once with
// PortFailure either way, and the next request is carried again.

#include <QtTest>
#include <functional>

#include "device/device_client.h"
#include "device/session.h"
#include "extlib/registers.h"
#include "extlib/transport_error.h"
#include "tests/support/device_fixture.h"

using namespace vmk;

namespace {

struct Call {
  const char* name;
  int failingRequest;  // 1-based: 2 strikes the read-back of a verified write
  bool changes;
  std::function<Outcome(DeviceClient&)> run;
};

const QList<Call>& calls() {
  static const QList<Call> list{
      {"status", 1, false, [](DeviceClient& d) { return d.readStatus().outcome; }},
      {"registers", 1, false, [](DeviceClient& d) { return d.readRegisters(reg::kSetup).outcome; }},
      {"identity", 1, false, [](DeviceClient& d) { return d.readIdentity().outcome; }},
      {"setup", 1, false, [](DeviceClient& d) { return d.readSetup().outcome; }},
      {"write", 1, true, [](DeviceClient& d) { return d.writeWord(262, 40); }},
      {"verified write", 1, true, [](DeviceClient& d) { return d.writeWordVerified(262, 40).outcome; }},
      {"read-back", 2, true, [](DeviceClient& d) { return d.writeWordVerified(262, 40).outcome; }},
      {"command", 1, true, [](DeviceClient& d) { return d.sendCommand(reg::kCommandAcknowledge); }},
      {"clock", 1, true,
       [](DeviceClient& d) { return d.setClock(QDateTime(QDate(2012, 3, 4), QTime(5, 6, 7))); }},
      {"service", 1, true,
       [](DeviceClient& d) { return d.service(reg::kServiceClearStats, 1234, 0).outcome; }},
      {"calibration measure", 1, false,
       [](DeviceClient& d) { return d.calibration(2, 4, 8, 1, 0, 0).outcome; }},
      {"calibration write", 1, true,
       [](DeviceClient& d) { return d.calibration(3, 3, 7, 2, 120, 0).outcome; }},
      {"calibration slot", 1, true, [](DeviceClient& d) { return d.calibrationSlot(2, 120).outcome; }},
      {"event record", 1, false, [](DeviceClient& d) { return d.readEventRecord(0).outcome; }},
      {"alarm list", 1, false, [](DeviceClient& d) { return d.readAlarmList().outcome; }},
      {"oscillogram block", 1, false, [](DeviceClient& d) { return d.readOscillogramBlock(0, 0).outcome; }},
  };
  return list;
}

}  // namespace

class TestDeviceClient : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void aPortFailureEndsTheCallOnce_data() {
    QTest::addColumn<int>("call");
    QTest::addColumn<bool>("asOutcome");
    for (int i = 0; i < calls().size(); ++i) {
      QTest::addRow("%s, thrown", calls()[i].name) << i << false;
      QTest::addRow("%s, as outcome", calls()[i].name) << i << true;
    }
  }
  void aPortFailureEndsTheCallOnce() {
    QFETCH(int, call);
    QFETCH(bool, asOutcome);
    const Call& c = calls()[call];
    test::DeviceFixture f;
    f.add(1);
    f.connectTo(1);
    QList<DeviceChange> notes;
    f.session.changes = [&notes](const DeviceChange& ch) { notes << ch; };
    const int failing = c.failingRequest;
    f.plan.fault = [&f, failing](const QByteArray&) {
      return f.plan.requests.size() == failing ? test::Fault::Throw : test::Fault::None;
    };

    PortBracket port(f.session);
    DeviceClient device(f.session, asOutcome ? PortFailures::AsOutcome : PortFailures::Throw);
    if (asOutcome) {
      QCOMPARE(c.run(device), Outcome::PortFailure);
      QCOMPARE(device.lastPortError(), QStringLiteral("write failed"));
    } else {
      QVERIFY_THROWS_EXCEPTION(TransportError, c.run(device));
    }
    QCOMPARE(f.requests().size(), failing);
    QCOMPARE(notes.size(), c.changes ? 1 : 0);
    if (c.changes) QCOMPARE(notes[0].outcome, Outcome::PortFailure);

    // The failure was that request's: the next one is carried.
    QCOMPARE(device.readStatus().outcome, Outcome::Done);
    QVERIFY(device.lastPortError().isEmpty());
  }
};

QTEST_GUILESS_MAIN(TestDeviceClient)
#include "test_device_client.moc"
