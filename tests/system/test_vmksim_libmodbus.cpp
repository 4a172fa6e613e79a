// vmksim against independent Modbus masters: libmodbus and mbpoll read and
// write its registers over a real pseudo-terminal, and read the identity
// block of vmksim --mbap, a Modbus TCP gateway, with their TCP clients.

#include <modbus.h>

#include <QStandardPaths>
#include <QtTest>
#include <cerrno>

#include "extlib/charset.h"
#include "tests/system/sim_process.h"

namespace {

struct Client {
  // A pseudo-terminal's path, or "HOST:PORT" of a Modbus TCP server.
  explicit Client(const QString& path, int slave) {
    ctx = path.startsWith(QLatin1Char('/'))
              ? modbus_new_rtu(path.toLocal8Bit().constData(), 9600, 'N', 8, 1)
              : modbus_new_tcp(path.section(QLatin1Char(':'), 0, 0).toLatin1().constData(),
                               path.section(QLatin1Char(':'), 1).toInt());
    if (!ctx) return;
    modbus_set_slave(ctx, slave);
    modbus_set_response_timeout(ctx, 1, 0);
    connected = modbus_connect(ctx) == 0;
  }
  ~Client() {
    if (!ctx) return;
    modbus_close(ctx);
    modbus_free(ctx);
  }
  modbus_t* ctx = nullptr;
  bool connected = false;
};

}  // namespace

class TestVmksimLibmodbus : public QObject {
  Q_OBJECT
  vmk::test::SimProcess m_sim;
  vmk::test::SimProcess m_gateway;  // the same bus as a Modbus TCP gateway

 private Q_SLOTS:
  void initTestCase() {
    const QStringList bus{"--addresses", "1,2,3:3", "--seed", "5"};
    QVERIFY2(m_sim.start(bus), m_sim.errors().constData());
    QVERIFY2(m_gateway.startTcp(bus + QStringList{"--mbap"}), m_gateway.errors().constData());
  }
  void cleanupTestCase() {
    QVERIFY(m_sim.stop());
    QVERIFY(m_gateway.stop());
  }

  void readsTheIdentityBlock_data() {
    QTest::addColumn<bool>("overTcp");
    QTest::addColumn<int>("slave");
    QTest::addColumn<QString>("name");
    for (bool tcp : {false, true}) {
      const char* link = tcp ? "Modbus TCP" : "RTU";
      QTest::addRow("%s / variant 1", link) << tcp << 1 << QStringLiteral("ВМК-01.01 ");
      QTest::addRow("%s / variant 3", link) << tcp << 3 << QStringLiteral("ВМК-03.01 ");
    }
  }
  void readsTheIdentityBlock() {
    QFETCH(bool, overTcp);
    QFETCH(int, slave);
    QFETCH(QString, name);
    Client c((overTcp ? m_gateway : m_sim).path(), slave);
    QVERIFY(c.connected);
    std::uint16_t regs[9] = {};
    QCOMPARE(modbus_read_registers(c.ctx, 0, 9, regs), 9);
    QByteArray bytes;
    for (int i = 0; i < 5; ++i) bytes.append(char(regs[i] >> 8)).append(char(regs[i] & 0xFF));
    QCOMPARE(vmk::cp1251::decode(bytes), name);
    QCOMPARE(regs[5], std::uint16_t(0x5491));
    QCOMPARE(regs[8], std::uint16_t(1));
  }

  void writesAreKeptAndRefusalsAreExceptions() {
    Client c(m_sim.path(), 2);
    QVERIFY(c.connected);
    QCOMPARE(modbus_write_register(c.ctx, 512 + 6, 25), 1);
    std::uint16_t v = 0;
    QCOMPARE(modbus_read_registers(c.ctx, 512 + 6, 1, &v), 1);
    QCOMPARE(v, std::uint16_t(25));

    QCOMPARE(modbus_write_register(c.ctx, 150, 0), -1);
    QCOMPARE(errno, EMBXILADD);
    std::uint16_t many[20];
    QCOMPARE(modbus_read_registers(c.ctx, 760, 20, many), -1);
    QCOMPARE(errno, EMBXILADD);

    // The clock: function 16 on 84..86 only, valid dates only.
    const std::uint16_t clock[3] = {0x1012, 0x2413, 0x4500};
    QCOMPARE(modbus_write_registers(c.ctx, 84, 3, clock), 3);
    std::uint16_t back[2] = {};
    QCOMPARE(modbus_read_registers(c.ctx, 84, 2, back), 2);
    QCOMPARE(back[0], std::uint16_t(0x1012));
    QCOMPARE(back[1], std::uint16_t(0x2413));
    const std::uint16_t bad[3] = {0x1013, 0x2413, 0x4500};
    QCOMPARE(modbus_write_registers(c.ctx, 84, 3, bad), -1);
    QCOMPARE(errno, EMBXILVAL);

    // A remote command is a coil written with 0xFF00.
    QCOMPARE(modbus_write_bit(c.ctx, 0x3000, 1), 1);
    QCOMPARE(modbus_write_bit(c.ctx, 0x2FFF, 1), -1);
    QCOMPARE(errno, EMBXILADD);
  }

  void absentAddressIsSilent() {
    Client c(m_sim.path(), 9);
    QVERIFY(c.connected);
    std::uint16_t v = 0;
    QCOMPARE(modbus_read_registers(c.ctx, 0, 1, &v), -1);
    QCOMPARE(errno, ETIMEDOUT);
    // The line is still good for the next request.
    modbus_set_slave(c.ctx, 1);
    QCOMPARE(modbus_read_registers(c.ctx, 64, 1, &v), 1);
    QCOMPARE(v, std::uint16_t(1));
  }

  void mbpollShowsTheIdentityRegisters_data() {
    QTest::addColumn<bool>("overTcp");
    QTest::newRow("RTU") << false;
    QTest::newRow("Modbus TCP") << true;
  }
  void mbpollShowsTheIdentityRegisters() {
    QFETCH(bool, overTcp);
    const QString mbpoll = QStandardPaths::findExecutable(QStringLiteral("mbpoll"));
    if (mbpoll.isEmpty()) QSKIP("mbpoll is not installed (scripts/deps.sh installs it)");
    const QStringList read{"-a", "1", "-t", "4", "-r", "1", "-c", "9", "-1", "-o", "1"};
    const QStringList link = overTcp ? QStringList{"-m", "tcp", "-p", QString::number(m_gateway.port()), "127.0.0.1"}
                                     : QStringList{"-m", "rtu", "-b", "9600", "-P", "none", m_sim.path()};
    QProcess p;
    p.start(mbpoll, link.mid(0, link.size() - 1) + read + link.mid(link.size() - 1));
    QVERIFY(p.waitForFinished(15000));
    const QByteArray out = p.readAllStandardOutput();
    QCOMPARE(p.exitCode(), 0);
    QVERIFY2(out.contains("[6]: \t21649"), out.constData());  // the version word
    QVERIFY2(out.contains("[9]: \t1"), out.constData());      // language
  }
};

QTEST_GUILESS_MAIN(TestVmksimLibmodbus)
#include "test_vmksim_libmodbus.moc"
