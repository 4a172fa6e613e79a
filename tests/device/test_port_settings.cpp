#include <QTemporaryDir>
#include <QtTest>

#include "device/port_settings.h"
#include "device/program_dir.h"
#include "extlib/ini_file.h"

using namespace vmk;
using P = PortSettings;

Q_DECLARE_METATYPE(PortSettings)

namespace {

bool writeAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

PortSettings make(QString name, int baud, int custom, int data, P::Parity parity, P::StopBits stop,
                  P::FlowControl flow) {
  PortSettings s;
  s.portName = std::move(name);
  s.baudRate = baud;
  s.customBaudRate = custom;
  s.dataBits = data;
  s.parity = parity;
  s.stopBits = stop;
  s.flowControl = flow;
  return s;
}

// The same settings reached over the network.
PortSettings overNet(PortSettings s, QString host, int port, P::TcpMode mode) {
  s.link = P::Link::Tcp;
  s.host = std::move(host);
  s.tcpPort = port;
  s.tcpMode = mode;
  return s;
}

}  // namespace

class TestPortSettings : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void defaults() {
    const PortSettings s;
    QCOMPARE(s.portName, QStringLiteral("COM1"));
    QCOMPARE(s.effectiveBaudRate(), 9600);
    QCOMPARE(s.dataBits, 8);
    QCOMPARE(s.parity, P::Parity::None);
    QCOMPARE(s.stopBits, P::StopBits::One);
    QCOMPARE(s.flowControl, P::FlowControl::Software);
  }

  void readsTheKeys_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<PortSettings>("expected");
    QTest::newRow("all keys") << QByteArray("[Port1]\nPort=COM3\nBaudRate=19200\nStopBits=2\nDataBits=7\nParity=Even\nFlowControl=Hardware\n")
                              << make("COM3", 19200, 9600, 7, P::Parity::Even, P::StopBits::Two, P::FlowControl::Hardware);
    QTest::newRow("custom rate") << QByteArray("[Port1]\nBaudRate=Custom\nCustomBaudRate=31250\nStopBits=1.5\n")
                                 << make("COM1", 0, 31250, 8, P::Parity::None, P::StopBits::OneAndHalf, P::FlowControl::Software);
    QTest::newRow("custom without its rate") << QByteArray("[Port1]\nBaudRate=Custom\n")
                                             << make("COM1", 0, 9600, 8, P::Parity::None, P::StopBits::One, P::FlowControl::Software);
    QTest::newRow("missing keys keep the current") << QByteArray("[Port1]\nParity=Mark\n")
                                                   << make("COM1", 9600, 9600, 8, P::Parity::Mark, P::StopBits::One, P::FlowControl::Software);
    QTest::newRow("other section only") << QByteArray("[Port2]\nPort=COM9\n") << PortSettings();
    QTest::newRow("unknown values keep the current") << QByteArray("[Port1]\nBaudRate=4000\nDataBits=9\nParity=Odd1\nStopBits=3\nFlowControl=Both\n")
                                                     << PortSettings();
    QTest::newRow("a serial device server")
        << QByteArray("[Port1]\nPort=COM3\nLink=TCP\nHost=10.0.0.5\nTcpPort=4001\n")
        << overNet(make("COM3", 9600, 9600, 8, P::Parity::None, P::StopBits::One, P::FlowControl::Software),
                   "10.0.0.5", 4001, P::TcpMode::RtuOverTcp);
    QTest::newRow("a Modbus TCP gateway, names in any case")
        << QByteArray("[Port1]\nlink=tcp\nHost=gw.station.local\nTcpMode=modbustcp\nBaudRate=19200\n")
        << overNet(make("COM1", 19200, 9600, 8, P::Parity::None, P::StopBits::One, P::FlowControl::Software),
                   "gw.station.local", 502, P::TcpMode::ModbusTcp);
    QTest::newRow("a serial port with the network remembered")
        << QByteArray("[Port1]\nLink=COM\nHost=10.0.0.5\nTcpPort=4001\nTcpMode=ModbusTcp\n")
        << [] {
             PortSettings s = overNet(PortSettings(), "10.0.0.5", 4001, P::TcpMode::ModbusTcp);
             s.link = P::Link::Serial;
             return s;
           }();
    QTest::newRow("unknown network values keep the current")
        << QByteArray("[Port1]\nLink=UDP\nTcpPort=70000\nTcpMode=Ascii\nHost=\n") << PortSettings();
    QTest::newRow("a pseudo-terminal path") << QByteArray("[Port1]\nPort=/dev/pts/7\nFlowControl=None\n")
                                            << make("/dev/pts/7", 9600, 9600, 8, P::Parity::None, P::StopBits::One, P::FlowControl::None);
  }
  void readsTheKeys() {
    QFETCH(QByteArray, ini);
    QFETCH(PortSettings, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Front.ini"));
    QVERIFY(writeAll(path, ini));
    PortSettings s;
    QVERIFY(loadPortSettings(path, s));
    QCOMPARE(s.portName, expected.portName);
    QVERIFY(s == expected);
  }

  void missingFileKeepsEverything() {
    PortSettings s = make("COM5", 2400, 9600, 7, P::Parity::Odd, P::StopBits::Two, P::FlowControl::None);
    const PortSettings before = s;
    QVERIFY(!loadPortSettings(QStringLiteral("/nonexistent/Front.ini"), s));
    QVERIFY(s == before);
  }

  void writtenSettingsReadBackIdentically_data() {
    QTest::addColumn<PortSettings>("settings");
    QTest::newRow("defaults") << PortSettings();
    QTest::newRow("rear network") << make("COM2", 38400, 9600, 8, P::Parity::Even, P::StopBits::One, P::FlowControl::None);
    QTest::newRow("custom") << make("ttyUSB0", 0, 250000, 5, P::Parity::Space, P::StopBits::OneAndHalf, P::FlowControl::Custom);
    QTest::newRow("fastest") << make("/dev/pts/3", 256000, 9600, 6, P::Parity::Mark, P::StopBits::Two, P::FlowControl::Hardware);
    QTest::newRow("gateway") << overNet(make("COM2", 19200, 9600, 8, P::Parity::Even, P::StopBits::One, P::FlowControl::None),
                                        "192.168.10.20", 502, P::TcpMode::ModbusTcp);
    QTest::newRow("device server, IPv6") << overNet(PortSettings(), "fd00::17", 4001, P::TcpMode::RtuOverTcp);
  }
  void writtenSettingsReadBackIdentically() {
    QFETCH(PortSettings, settings);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Rear.ini"));
    QVERIFY(writeAll(path, "[Viewer]\nLast=1\n[Port1]\nPort=COM9\nMyKey=mine\n"));
    QVERIFY(savePortSettings(path, settings));
    PortSettings back = make("X", 1200, 1, 5, P::Parity::Odd, P::StopBits::Two, P::FlowControl::Hardware);
    back.customBaudRate = settings.customBaudRate;  // written only for "Custom"
    QVERIFY(loadPortSettings(path, back));
    QVERIFY(back == settings);

    IniFile ini;
    QVERIFY(ini.load(path));
    QCOMPARE(ini.value(QStringLiteral("Viewer"), QStringLiteral("Last")), QStringLiteral("1"));
    QCOMPARE(ini.value(QStringLiteral("Port1"), QStringLiteral("MyKey")), QStringLiteral("mine"));
    QCOMPARE(ini.contains(QStringLiteral("Port1"), QStringLiteral("CustomBaudRate")), settings.baudRate == 0);
  }

  void writesTheNamesTheComponentReads() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Front.ini"));
    QVERIFY(savePortSettings(path, make("COM1", 0, 31250, 8, P::Parity::None, P::StopBits::OneAndHalf, P::FlowControl::Software)));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("[Port1]\nPort=COM1\nBaudRate=Custom\nCustomBaudRate=31250\n"
                                     "StopBits=1.5\nDataBits=8\nParity=None\nFlowControl=Software\n"));
  }

  // A serial port's file stays as it always was; a file that names the
  // network keeps its keys current, so that going back to the serial port
  // remembers the server.
  void networkKeysOnlyWhereTheyBelong() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Rear.ini"));
    IniFile ini;
    PortSettings s;
    QVERIFY(savePortSettings(path, s));
    QVERIFY(ini.load(path));
    QCOMPARE(ini.keys(QStringLiteral("Port1")).size(), 6);
    s = overNet(s, "10.1.1.1", 4001, P::TcpMode::RtuOverTcp);
    QVERIFY(savePortSettings(path, s));
    s.link = P::Link::Serial;
    QVERIFY(savePortSettings(path, s));
    QVERIFY(ini.load(path));
    QCOMPARE(ini.value(QStringLiteral("Port1"), QStringLiteral("Link")), QStringLiteral("COM"));
    QCOMPARE(ini.value(QStringLiteral("Port1"), QStringLiteral("Host")), QStringLiteral("10.1.1.1"));
    PortSettings back;
    QVERIFY(loadPortSettings(path, back));
    QVERIFY(back == s);

    // A file of today over settings of the network: a serial port, the
    // server remembered.
    const QString old = dir.filePath(QStringLiteral("Front.ini"));
    QVERIFY(writeAll(old, "[Port1]\nPort=COM4\n"));
    PortSettings over = overNet(PortSettings(), "10.1.1.1", 4001, P::TcpMode::ModbusTcp);
    QVERIFY(loadPortSettings(old, over));
    QCOMPARE(over.linkName(), QStringLiteral("COM4"));
    QCOMPARE(over.hostAndPort(), QStringLiteral("10.1.1.1:4001"));
  }

  void linkNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("linkName");  // as the settings give it back
    QTest::addColumn<QString>("hostAndPort");
    const auto row = [](const char* tag, const char* name, bool taken, const char* back, const char* hostPort) {
      QTest::newRow(tag) << QString::fromUtf8(name) << taken << QString::fromUtf8(back)
                         << QString::fromUtf8(hostPort);
    };
    row("serial device", "/dev/ttyUSB0", true, "/dev/ttyUSB0", "");
    row("windows port", "COM3", true, "COM3", "");
    row("device server", "tcp://127.0.0.1:5020", true, "tcp://127.0.0.1:5020", "127.0.0.1:5020");
    row("gateway by name", "mbtcp://gw.station.local:502", true, "mbtcp://gw.station.local:502",
        "gw.station.local:502");
    row("scheme in capitals", "TCP://10.0.0.1:4001", true, "tcp://10.0.0.1:4001", "10.0.0.1:4001");
    row("IPv6", "tcp://[fd00::17]:4001", true, "tcp://[fd00::17]:4001", "[fd00::17]:4001");
    row("no port", "tcp://127.0.0.1", false, "COM1", "");
    row("port 0", "tcp://127.0.0.1:0", false, "COM1", "");
    row("port too big", "mbtcp://127.0.0.1:65536", false, "COM1", "");
    row("no host", "tcp://:502", false, "COM1", "");
    row("a path after", "tcp://127.0.0.1:502/1", false, "COM1", "");
    row("a user", "tcp://me@127.0.0.1:502", false, "COM1", "");
  }
  void linkNames() {
    QFETCH(QString, name);
    QFETCH(bool, taken);
    QFETCH(QString, linkName);
    QFETCH(QString, hostAndPort);
    PortSettings s;
    QCOMPARE(setLinkName(s, name), taken);
    QCOMPARE(s.linkName(), linkName);
    QCOMPARE(s.link == P::Link::Tcp, !hostAndPort.isEmpty());
    if (!hostAndPort.isEmpty()) QCOMPARE(s.hostAndPort(), hostAndPort);
    // What it names, it takes back unchanged.
    PortSettings again;
    QVERIFY(setLinkName(again, s.linkName()));
    QVERIFY(again == s);
  }

  void settingsFilesLieBesideAWritableProgram() {
    QTemporaryDir dir;
    QCOMPARE(writableSettingsPath(dir.path() + QLatin1Char('/'), QStringLiteral("Front.ini")),
             dir.filePath(QStringLiteral("Front.ini")));
    const QString elsewhere = writableSettingsPath(QStringLiteral("/nonexistent/bin/"), QStringLiteral("Rear.ini"));
    QVERIFY(elsewhere.endsWith(QLatin1String("/Rear.ini")));
    QVERIFY(!elsewhere.startsWith(QLatin1String("/nonexistent")));
  }
};

QTEST_GUILESS_MAIN(TestPortSettings)
#include "test_port_settings.moc"
