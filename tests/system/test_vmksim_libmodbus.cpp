// vmksim against independent Modbus masters: libmodbus and mbpoll read and
// write its registers over a real pseudo-terminal.

#include <modbus.h>

#include <QStandardPaths>
#include <QtTest>
#include <cerrno>

#include "extlib/charset.h"
#include "tests/system/sim_process.h"

namespace {

struct Client {
  explicit Client(const QString& path, int slave) {
    ctx = modbus_new_rtu(path.toLocal8Bit().constData(), 9600, 'N', 8, 1);
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

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY2(m_sim.start({"--addresses", "1,2,3:3", "--seed", "5"}), m_sim.errors().constData());
  }
  void cleanupTestCase() { QVERIFY(m_sim.stop()); }

  void readsTheIdentityBlock_data() {
    QTest::addColumn<int>("slave");
    QTest::addColumn<QString>("name");
    QTest::newRow("variant 1") << 1 << QStringLiteral("ВМК-01.01 ");
    QTest::newRow("variant 3") << 3 << QStringLiteral("ВМК-03.01 ");
  }
  void readsTheIdentityBlock() {
    QFETCH(int, slave);
    QFETCH(QString, name);
    Client c(m_sim.path(), slave);
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

  void mbpollShowsTheIdentityRegisters() {
    const QString mbpoll = QStandardPaths::findExecutable(QStringLiteral("mbpoll"));
    if (mbpoll.isEmpty()) QSKIP("mbpoll is not installed (scripts/deps.sh installs it)");
    QProcess p;
    p.start(mbpoll, {"-m", "rtu", "-a", "1", "-b", "9600", "-P", "none", "-t", "4", "-r", "1", "-c", "9",
                     "-1", "-o", "1", m_sim.path()});
    QVERIFY(p.waitForFinished(15000));
    const QByteArray out = p.readAllStandardOutput();
    QCOMPARE(p.exitCode(), 0);
    QVERIFY2(out.contains("[6]: \t21649"), out.constData());  // the version word
    QVERIFY2(out.contains("[9]: \t1"), out.constData());      // language
  }
};

QTEST_GUILESS_MAIN(TestVmksimLibmodbus)
#include "test_vmksim_libmodbus.moc"
