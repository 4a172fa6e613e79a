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
