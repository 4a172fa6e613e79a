// Our protocol library talks to vmksim over a real pseudo-terminal through
// QSerialPort, as the configurator does with a device.

#include <QElapsedTimer>
#include <QtTest>

#include "device/codecs.h"
#include "extlib/modbus_library.h"
#include "extlib/qserial_link.h"
#include "extlib/transport_error.h"
#include "sim/device.h"
#include "tests/system/sim_process.h"

using namespace vmk;

namespace {

QSerialLinkSettings settingsFor(const QString& path) {
  QSerialLinkSettings s;
  s.portName = path;
  s.baudRate = 9600;
  return s;
}

}  // namespace

class TestVmksimSerial : public QObject {
  Q_OBJECT
  test::SimProcess m_sim;

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY2(m_sim.start({"--addresses", "1,2,3:3", "--seed", "5"}), m_sim.errors().constData());
  }
  void cleanupTestCase() { QVERIFY(m_sim.stop()); }

  void pollsAndConnects() {
    QSerialLink link(settingsFor(m_sim.path()));
    QVERIFY2(link.open(), qPrintable(link.errorString()));
    ModbusLibrary modbus;
    QList<int> statuses;
    for (int a = 1; a <= 4; ++a) statuses.append(modbus.GetF07(link, std::uint8_t(a)));
    QCOMPARE(statuses, (QList<int>{1, 1, 1, ModbusLibrary::kNoAnswer}));

    ReplyFrame r;
    modbus.SetQuery(link, 1, 3, 0, 9, r);
    QCOMPARE(r.length(), 23);
    const TVMK one = DecodeIdentity(r);
    QCOMPARE(one.Name, QStringLiteral("ВМК-01.01 "));
    QCOMPARE(one.DeviceVariant, std::int16_t(1));
    modbus.SetQuery(link, 3, 3, 0, 9, r);
    QCOMPARE(DecodeIdentity(r).DeviceVariant, std::int16_t(3));

    modbus.SetQuery(link, 1, 3, 64, 23, r);
    QCOMPARE(r.length(), 51);
    const SetupFields setup = DecodeSetup(r);
    QCOMPARE(setup.DevicePassword, QStringLiteral("AAAA"));
    QCOMPARE(setup.NetAddress, std::uint8_t(1));
    QVERIFY(MakeDeviceDateTime(setup).isValid());

    // The connection's service request: refused, with a nonce; a wrong
    // code after it: refused, with a new nonce.
    modbus.func18h(link, 1, 1, 0, 0, r);
    QCOMPARE(r.frameByte(4), std::uint8_t(255));
    const std::uint16_t nonce = std::uint16_t(r.frameByte(2) << 8 | r.frameByte(3));
    const std::uint16_t right = sim::Device::accessCode(nonce, one.SerialNumber, 0x4141);
    modbus.func18h(link, 1, 1, std::uint16_t(right + 1), 0, r);
    QCOMPARE(r.frameByte(4), std::uint8_t(255));
    QVERIFY(std::uint16_t(r.frameByte(2) << 8 | r.frameByte(3)) != nonce);
  }

  void downloadsAWholeOscillogram() {
    QSerialLink link(settingsFor(m_sim.path()));
    QVERIFY(link.open());
    ModbusLibrary modbus;
    ReplyFrame r;
    modbus.Getinterruption(link, 2, r);
    QCOMPARE(r.length(), 157);
    QVERIFY(DecodeAlarmEntry(r, 0).valid);
    QVERIFY(!DecodeAlarmEntry(r, 2).valid);
    // The same device in-process makes the same oscillogram.
    sim::Device twin(2, 1, 5);
    const auto& samples = twin.recorder().samples(0);
    for (int b = 0; b < 250; ++b) {
      modbus.GetBLockInterruption(link, 2, 0, std::uint16_t(b), r);
      QCOMPARE(r.length(), 247);
      QCOMPARE(GetRegWord(r, 0), std::uint16_t(b));
      for (int i = 0; i < 24; i += 23) {
        const sim::OscSample& s = samples[std::size_t(24 * b + i)];
        QCOMPARE(GetRegWord(r, 5 * i + 1), std::uint16_t(s.ia));
        QCOMPARE(GetRegWord(r, 5 * i + 5), s.digital);
      }
    }
  }

  void faultsOverTheLine_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("answersFirst");
    QTest::newRow("dropped") << QStringList{"--drop", "1"} << false;
    QTest::newRow("corrupted") << QStringList{"--corrupt", "1"} << false;
    QTest::newRow("truncated") << QStringList{"--truncate", "1"} << false;
    QTest::newRow("delayed") << QStringList{"--delay-ms", "200"} << false;
    QTest::newRow("silent after 1") << QStringList{"--silent-after", "1"} << true;
  }
  void faultsOverTheLine() {
    QFETCH(QStringList, args);
    QFETCH(bool, answersFirst);
    test::SimProcess sim;
    QVERIFY2(sim.start(args), sim.errors().constData());
    QSerialLink link(settingsFor(sim.path()));
    QVERIFY(link.open());
    ModbusLibrary modbus;
    ReplyFrame r;
    modbus.SetQuery(link, 1, 3, 0, 9, r);
    QCOMPARE(r.length(), answersFirst ? 23 : 0);
    QElapsedTimer t;
    t.start();
    modbus.SetQuery(link, 1, 3, 64, 23, r);
    QVERIFY(r.isEmpty());
    QVERIFY(modbus.lastStatus() != ReplyStatus::Ok);
    QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(modbus.GetF07(link, 1), ModbusLibrary::kNoAnswer);
    QVERIFY(sim.stop());
  }

  void driverErrorsFailTheLineOnce_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("fails");
    // A pseudo-terminal whose other side closed gives a read error at every
    // poll, a pulled adapter a resource error.
    QTest::newRow("read error") << int(QSerialPort::ReadError) << true;
    QTest::newRow("resource error") << int(QSerialPort::ResourceError) << true;
    QTest::newRow("write error") << int(QSerialPort::WriteError) << true;
    QTest::newRow("time-out") << int(QSerialPort::TimeoutError) << false;
  }
  void driverErrorsFailTheLineOnce() {
    QFETCH(int, error);
    QFETCH(bool, fails);
    QSerialLink link(settingsFor(m_sim.path()));
    QVERIFY(link.open());
    int reports = 0;
    link.setLineErrorHandler([&reports](int) { ++reports; });
    for (int i = 0; i < 100; ++i) link.driverError(QSerialPort::SerialPortError(error));
    QCOMPARE(reports, fails ? 1 : 0);
    QCOMPARE(link.failed(), fails);
    if (fails) QVERIFY_THROWS_EXCEPTION(TransportError, link.read(10));
    link.close();
    QVERIFY(link.open());  // opened again, the line is tried afresh
    QVERIFY(!link.failed());
  }

  void simulatorGoneIsATransportErrorOrSilence() {
    test::SimProcess sim;
    QVERIFY(sim.start({}));
    QSerialLink link(settingsFor(sim.path()));
    QVERIFY(link.open());
    ModbusLibrary modbus;
    QCOMPARE(modbus.GetF07(link, 1), 1);
    QVERIFY(sim.stop());
    // The other end of the line is gone: a port failure, never a hang or
    // an answer.
    QElapsedTimer t;
    t.start();
    int status = 0;
    try {
      status = modbus.GetF07(link, 1);
    } catch (const TransportError&) {
      status = -1;
    }
    QVERIFY(status == -1 || status == ModbusLibrary::kNoAnswer);
    QVERIFY(t.elapsed() < 2000);
  }
};

QTEST_GUILESS_MAIN(TestVmksimSerial)
#include "test_vmksim_serial.moc"
