// Our master against libmodbus's RTU server over a pseudo-terminal, or with
// VMK_INTEROP_LINK=mbtcp in the gateway mode against libmodbus's Modbus TCP
// server (the standard functions only: libmodbus serves no function 7).

#include <QProcess>
#include <QtTest>

#include "extlib/modbus_library.h"
#include "device/serial_port.h"
#include "device/system_link.h"
#include "extlib/transport_error.h"

using namespace vmk;

class TestModbusInterop : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() {
    m_tcp = qgetenv("VMK_INTEROP_LINK") == "mbtcp";
    m_server.setProgram(QStringLiteral(VMK_MODBUS_SERVER));
    if (m_tcp) m_server.setArguments({QStringLiteral("--tcp")});
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start();
    QVERIFY2(m_server.waitForStarted(5000), qPrintable(m_server.errorString()));
    QByteArray line;
    while (!line.endsWith('\n')) {
      QVERIFY2(m_server.waitForReadyRead(10000), "the server never said it was ready");
      line += m_server.readLine();
    }
    QVERIFY2(line.startsWith(m_tcp ? "ready 127.0.0.1:" : "ready /"), line.constData());
    // The port as the program opens it, with the default settings (software
    // flow control among them): the 0x11 and 0x13 bytes of the frames must
    // get through.
    PortSettings settings;
    const QString where = QString::fromLocal8Bit(line.mid(6).trimmed());
    QVERIFY(setLinkName(settings, m_tcp ? QStringLiteral("mbtcp://") + where : where));
    m_link = makeLink(settings);
    QVERIFY2(m_link->open(), qPrintable(m_link->errorString()));
  }

  void cleanupTestCase() {
    m_link.reset();
    if (m_server.state() != QProcess::NotRunning) {
      m_server.kill();  // by its own pid
      m_server.waitForFinished(5000);
    }
  }

  void readsRegisters() {
    ReplyFrame r;
    m_lib.SetQuery(*m_link, 1, 3, 64, 23, r);
    QCOMPARE(m_lib.lastStatus(), ReplyStatus::Ok);
    QCOMPARE(r.length(), expectedReplyLength(23));
    QCOMPARE(int(r.frameByte(3)), 0x01);
    QCOMPARE(int(r.frameByte(4)), 64);
    QCOMPARE(int(r.frameByte(3 + 2 * 22)), 0x01);
    QCOMPARE(int(r.frameByte(4 + 2 * 22)), 86);

    m_lib.SetQuery(*m_link, 1, 3, 0, 125, r);  // the longest read
    QCOMPARE(r.length(), 255);
    QCOMPARE(int(r.frameByte(4 + 2 * 0x11)), 0x11);  // XON
    QCOMPARE(int(r.frameByte(4 + 2 * 0x13)), 0x13);  // XOFF
  }

  void writesARegister() {
    ReplyFrame r;
    m_lib.WriteWord(*m_link, 1, 100, 0xBEEF, r);
    QCOMPARE(r.frame().toHex(), QByteArray::fromHex("01060064beef").toHex() + r.frame().right(2).toHex());
    m_lib.SetQuery(*m_link, 1, 3, 100, 1, r);
    QCOMPARE(int(r.frameByte(3)), 0xBE);
    QCOMPARE(int(r.frameByte(4)), 0xEF);
  }

  void setsTheClockRegisters() {
    QVERIFY(m_lib.SetRealDateTime(*m_link, 1, QDateTime(QDate(2010, 12, 24), QTime(13, 45, 7))));
    ReplyFrame r;
    m_lib.SetQuery(*m_link, 1, 3, 84, 3, r);
    QCOMPARE(r.frame().mid(3, 6).toHex(), QByteArray("101224134507"));
  }

  void sendsACoilCommand() {
    ReplyFrame r;
    m_lib.SendCommand(*m_link, 1, 0x3002, r);
    QCOMPARE(r.length(), 8);
    QCOMPARE(int(r.frameByte(1)), 5);
    QCOMPARE(int(r.frameByte(2)), 0x30);
    QCOMPARE(int(r.frameByte(4)), 255);
  }

  void readsTheExceptionStatus() {
    if (m_tcp) QSKIP("libmodbus's TCP server does not serve function 7");
    QCOMPARE(m_lib.GetF07(*m_link, 1), 1);
  }

  void passesExceptionReplies() {
    ReplyFrame r;
    m_lib.SetQuery(*m_link, 1, 3, 760, 10, r);  // past the register image
    QCOMPARE(m_lib.lastStatus(), ReplyStatus::Exception);
    QCOMPARE(r.length(), 5);
    QCOMPARE(int(r.frameByte(1)), 0x83);
    QCOMPARE(int(r.frameByte(2)), 2);
  }

  void otherAddressesAreSilent() {  // late: see below
    if (m_tcp) QSKIP("a Modbus TCP server answers every unit id");
    m_lib.SetTry(5);
    QCOMPARE(m_lib.GetF07(*m_link, 2), int(ModbusLibrary::kNoAnswer));
    QCOMPARE(m_lib.lastStatus(), ReplyStatus::NoAnswer);
    m_lib.SetTry(ModbusLibrary::kDefaultTry);
    // Kept last: libmodbus then waits for the other device's reply and takes
    // our next request for it, so the server is out of step for a while.
  }

  void aVanishedPortIsATransportError() {  // after the server is gone
    int reports = 0;
    m_link->setLineErrorHandler([&reports](int) { ++reports; });
    m_server.kill();
    QVERIFY(m_server.waitForFinished(5000));
    QVERIFY_THROWS_EXCEPTION(TransportError, {
      for (int i = 0; i < 3; ++i) m_lib.GetF07(*m_link, 1);
    });
    QVERIFY(reports <= 1);
  }

 private:
  QProcess m_server;
  bool m_tcp = false;
  std::unique_ptr<SerialLink> m_link;
  ModbusLibrary m_lib;
};

QTEST_GUILESS_MAIN(TestModbusInterop)
#include "test_modbus_interop.moc"
