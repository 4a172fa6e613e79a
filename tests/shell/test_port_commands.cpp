#include <QTemporaryDir>
#include <QtTest>

#include "shell/port_commands.h"
#include "extlib/memory_link.h"
#include "extlib/transport_error.h"
#include "tests/support/scripted_prompts.h"

using namespace vmk;

namespace {

// The common part of the workspace (all the port commands need) over
// in-memory links, with ProgramDir in a fresh folder.
struct Fixture {
  Fixture() {
    session.Port1.setLinkFactory([this](const PortSettings& s) -> std::unique_ptr<SerialLink> {
      openedWith = s;
      auto link = std::make_unique<MemoryLink>();
      if (!portPresent) link->setOpenError(QStringLiteral("Нет такого порта"));
      last = link.get();
      return link;
    });
    ws.ProgramDir = dir.path() + QLatin1Char('/');
  }
  QString file(const char* name) const { return dir.filePath(QLatin1String(name)); }

  QTemporaryDir dir;
  Session session;
  test::ScriptedPrompts prompts;
  FixedClock clock{QDateTime(QDate(2011, 4, 18), QTime(10, 0))};
  ShellContext ws{session, prompts, clock};
  PortBinder binder{ws};
  bool portPresent = true;
  MemoryLink* last = nullptr;
  PortSettings openedWith;
};

bool writeAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

const QString kOC = QStringLiteral("ActOCPort");

}  // namespace

class TestPortCommands : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  // Panels 0 and 1 name the link: the serial port, or the server's host
  // and port.
  void statusPanelsNameTheLink_data() {
    QTest::addColumn<QByteArray>("rearIni");
    QTest::addColumn<QString>("panel1");
    QTest::addColumn<QString>("panel0");
    QTest::newRow("serial port") << QByteArray("[Port1]\nPort=COM2\n")
                                 << QStringLiteral("Связь через задний порт") << QStringLiteral("Порт COM2 открыт");
    QTest::newRow("serial device server")
        << QByteArray("[Port1]\nPort=COM2\nLink=TCP\nHost=10.0.0.5\nTcpPort=4001\n")
        << QStringLiteral("Задний порт: 10.0.0.5:4001")
        << QStringLiteral("Порт tcp://10.0.0.5:4001 открыт");
    QTest::newRow("Modbus TCP gateway")
        << QByteArray("[Port1]\nLink=TCP\nHost=gw.local\nTcpMode=ModbusTcp\n")
        << QStringLiteral("Задний порт: gw.local:502")
        << QStringLiteral("Порт mbtcp://gw.local:502 открыт");
  }
  void statusPanelsNameTheLink() {
    QFETCH(QByteArray, rearIni);
    QFETCH(QString, panel1);
    QFETCH(QString, panel0);
    Fixture f;
    QVERIFY(writeAll(f.file("Rear.ini"), rearIni));
    portStartupCheck(f.ws);
    actPort(f.ws, kTagReaPort);
    QCOMPARE(f.ws.status.text(1), panel1);
    actPort(f.ws, kTagOpenPort);
    QCOMPARE(f.ws.status.text(0), panel0);
    // Loading the file again says it again.
    f.ws.status.setText(1, QString());
    actPort(f.ws, kTagLoadSetPort);
    QCOMPARE(f.ws.status.text(1), panel1);
    // The front connector's own file (of today) names a serial port.
    QVERIFY(writeAll(f.file("Front.ini"), "[Port1]\nPort=COM1\n"));
    actPort(f.ws, kTagFrontPort);
    QCOMPARE(f.ws.status.text(1), QStringLiteral("Связь через передний порт"));
  }

  void connectorChoice() {
    Fixture f;
    QVERIFY(writeAll(f.file("Front.ini"), "[Port1]\nPort=COM1\nBaudRate=9600\n"));
    QVERIFY(writeAll(f.file("Rear.ini"), "[Port1]\nPort=COM2\nBaudRate=19200\n"));
    portStartupCheck(f.ws);
    QVERIFY(!f.ws.pages.isMenuEnabled(3));
    QVERIFY(f.ws.pages.action(QStringLiteral("actFrontPort")).checked);

    f.session.DeviceAddress = 17;
    actPort(f.ws, kTagReaPort);
    QCOMPARE(int(f.session.DeviceAddress), 17);  // the rear keeps the chosen device
    QCOMPARE(f.ws.status.text(1), QStringLiteral("Связь через задний порт"));
    QCOMPARE(f.session.Port1.settings().portName, QStringLiteral("COM2"));
    QCOMPARE(f.session.Port1.settings().baudRate, 19200);
    QVERIFY(f.ws.pages.action(QStringLiteral("actReaPort")).checked);
    QVERIFY(!f.ws.pages.action(QStringLiteral("actFrontPort")).checked);
    QVERIFY(f.ws.pages.isMenuEnabled(3));

    // Opening and closing keep the menu as the connector has it.
    actPort(f.ws, kTagOpenPort);
    actPort(f.ws, kTagClosePort);
    QVERIFY(f.ws.pages.isMenuEnabled(3));

    actPort(f.ws, kTagFrontPort);
    QCOMPARE(int(f.session.DeviceAddress), 1);  // the front connector has one device
    QCOMPARE(f.ws.status.text(1), QStringLiteral("Связь через передний порт"));
    QCOMPARE(f.session.Port1.settings().portName, QStringLiteral("COM1"));
    QVERIFY(!f.ws.pages.action(QStringLiteral("actReaPort")).checked);
    QVERIFY(!f.ws.pages.isMenuEnabled(3));
  }

  void frontSetsAddressOneBeforeAnyPolling() {
    Fixture f;
    QCOMPARE(int(f.session.DeviceAddress), 0);
    actPort(f.ws, kTagFrontPort);
    QCOMPARE(int(f.session.DeviceAddress), 1);
  }

  void rearSettingsLoadAndSave() {
    Fixture f;
    QVERIFY(writeAll(f.file("Rear.ini"), "[Port1]\nPort=COM4\nUnknown=stays\n"));
    actPort(f.ws, kTagLoadSetPort);
    QCOMPARE(f.session.Port1.settings().portName, QStringLiteral("COM4"));

    f.prompts.answerPort(true);
    f.session.Port1.settings().baudRate = 38400;  // what the dialog would change
    actPort(f.ws, kTagSettingPort);
    QCOMPARE(f.prompts.asked().last().kind, QStringLiteral("port"));
    actPort(f.ws, kTagSaveSetPort);
    QVERIFY(f.prompts.boxTexts().isEmpty());

    PortSettings back;
    QVERIFY(loadPortSettings(f.file("Rear.ini"), back));
    QCOMPARE(back.baudRate, 38400);
    QCOMPARE(back.portName, QStringLiteral("COM4"));
    QFile file(f.file("Rear.ini"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("Unknown=stays"));
  }

  void settingsChangedWhileOpenTakeEffect() {
    Fixture f;
    QVERIFY(writeAll(f.file("Rear.ini"), "[Port1]\nPort=COM6\n"));
    ActOCPortExecute(f.ws);
    QVERIFY(f.session.Port1.isOpen());
    actPort(f.ws, kTagLoadSetPort);
    QVERIFY(f.session.Port1.isOpen());
    QCOMPARE(f.openedWith.portName, QStringLiteral("COM6"));
  }

  void portStateReports() {
    Fixture f;
    f.session.Port1.settings().portName = QStringLiteral("COM7");
    f.session.openPort();
    QCOMPARE(f.ws.status.text(0), QStringLiteral("Порт COM7 открыт"));
    QCOMPARE(f.ws.pages.action(kOC).image, kImagePortOpen);
    f.session.closePort();
    QCOMPARE(f.ws.status.text(0), QStringLiteral("Порт COM7 закрыт"));
    QCOMPARE(f.ws.pages.action(kOC).image, kImagePortClosed);
  }

  void lineErrorTexts_data() {
    QTest::addColumn<int>("errors");
    QTest::addColumn<QString>("text");
    QTest::newRow("transmit full alone") << 0x80 << QStringLiteral("Ошибка: ceTxFull");
    QTest::newRow("frame and break") << 0x09 << QStringLiteral("Ошибка: ceFrame, ceBreak, ");
    QTest::newRow("all") << 0xFF << QStringLiteral("Ошибка: ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull");
    QTest::newRow("parity, overrun") << 0x06 << QStringLiteral("Ошибка: ceRxParity, ceOverrun, ");
    QTest::newRow("I/O, mode, overflow") << 0x70 << QStringLiteral("Ошибка: ceIO, ceMode, ceRxOver, ");
    QTest::newRow("bits above 7 ignored") << 0x100 << QStringLiteral("Ошибка: ");
  }
  void lineErrorTexts() {
    QFETCH(int, errors);
    QFETCH(QString, text);
    Fixture f;
    f.session.openPort();
    f.last->reportLineErrors(errors);
    QVERIFY(f.prompts.boxTexts().isEmpty());  // not in the middle of an exchange
    QTRY_COMPARE(f.prompts.boxTexts(), QStringList{text});
    QCOMPARE(f.prompts.asked().first().icon, BoxIcon::Error);
  }

  void lineErrorsOfAFailedLineAreNotShown_data() {
    QTest::addColumn<bool>("closed");
    QTest::newRow("the port closed before the report arrived") << true;
    QTest::newRow("the line failed") << false;
  }
  void lineErrorsOfAFailedLineAreNotShown() {
    // The operation that met the failure shows its own box; a second one
    // for the same failure, or one after it, only stacks boxes.
    QFETCH(bool, closed);
    Fixture f;
    f.session.openPort();
    f.last->reportLineErrors(0x10);
    if (closed)
      f.session.closePort();
    else
      f.last->setBroken(true);
    QTest::qWait(50);
    QVERIFY(f.prompts.boxTexts().isEmpty());
  }

  void openCloseButton() {
    Fixture f;
    f.ws.pages.setEnabled(QStringLiteral("actPolling"), true);
    ActOCPortExecute(f.ws);
    QVERIFY(f.session.Port1.isOpen());
    QCOMPARE(f.ws.pages.action(kOC).image, kImagePortOpen);
    QCOMPARE(f.ws.pages.action(kOC).hint, QStringLiteral("Порт открыт"));
    QVERIFY(f.ws.pages.isEnabled(QStringLiteral("actPolling")));

    ActOCPortExecute(f.ws);
    QVERIFY(!f.session.Port1.isOpen());
    QCOMPARE(f.ws.pages.action(kOC).image, kImagePortClosed);
    QCOMPARE(f.ws.pages.action(kOC).hint, QStringLiteral("Порт закрыт"));
    QVERIFY(!f.ws.pages.isEnabled(QStringLiteral("actPolling")));

    // A port that will not open: no report, nothing changes but actPolling.
    f.portPresent = false;
    ActOCPortExecute(f.ws);
    QVERIFY(!f.session.Port1.isOpen());
    QCOMPARE(f.ws.pages.action(kOC).hint, QStringLiteral("Порт закрыт"));
    QVERIFY(!f.ws.pages.isEnabled(QStringLiteral("actPolling")));
    QVERIFY(f.prompts.asked().isEmpty());
  }

  void timeOutDialog_data() {
    QTest::addColumn<std::optional<QString>>("entry");
    QTest::addColumn<int>("result");
    QTest::newRow("0 -> 1") << std::optional<QString>(QStringLiteral("0")) << 1;
    QTest::newRow("999 -> 255") << std::optional<QString>(QStringLiteral("999")) << 255;
    QTest::newRow("99999 -> 255") << std::optional<QString>(QStringLiteral("99999")) << 255;
    QTest::newRow("37") << std::optional<QString>(QStringLiteral("37")) << 37;
    QTest::newRow("empty field") << std::optional<QString>(QString()) << 20;
    QTest::newRow("cancel") << std::optional<QString>() << 20;
  }
  void timeOutDialog() {
    QFETCH(std::optional<QString>, entry);
    QFETCH(int, result);
    Fixture f;
    f.session.modbus.SetTry(20);
    f.prompts.answerNumber(entry);
    ActSetTOExecute(f.ws);
    QCOMPARE(f.session.modbus.GetTry(), result);
    QCOMPARE(f.prompts.asked().size(), 1);
    QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Ввод значения таймаута"));
    QCOMPARE(f.prompts.asked().first().text, QStringLiteral("Таймаут [1..255]:"));
  }

  void startupWithAWorkingPort() {
    Fixture f;
    QVERIFY(writeAll(f.file("Front.ini"), "[Port1]\nPort=COM3\n"));
    QVERIFY(portStartupCheck(f.ws));
    QCOMPARE(f.openedWith.portName, QStringLiteral("COM3"));
    QVERIFY(!f.session.Port1.isOpen());
    QVERIFY(f.prompts.asked().isEmpty());
    QFile file(f.file("Front.ini"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[Port1]\nPort=COM3\n"));  // written only on failure
  }

  void startupWithoutAPort() {
    Fixture f;
    f.portPresent = false;
    f.prompts.answerPort(true);
    QVERIFY(!portStartupCheck(f.ws));
    QCOMPARE(f.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка открытия порта")});
    QCOMPARE(f.prompts.asked().last().kind, QStringLiteral("port"));
    QVERIFY(QFile::exists(f.file("Front.ini")));
    QVERIFY(!f.session.Port1.isOpen());
  }

  void shutdown() {
    Fixture f;
    f.session.openPort();
    QVERIFY(portShutdown(f.ws));
    QVERIFY(!f.session.Port1.isOpen());
    QVERIFY(f.prompts.asked().isEmpty());
  }

  void openPortFailureIsAnError() {
    Fixture f;
    f.portPresent = false;
    f.session.Port1.settings().portName = QStringLiteral("COM9");
    try {
      actPort(f.ws, kTagOpenPort);
      QFAIL("no error");
    } catch (const Error& e) {
      QVERIFY2(e.message().contains(QLatin1String("COM9")), qPrintable(e.message()));
      QVERIFY(e.message().contains(QStringLiteral("Нет такого порта")));
    }
  }

  void bracketClosesThePortOnEveryWayOut() {
    Fixture f;
    {
      PortBracket outer(f.session);
      {
        PortBracket inner(f.session);  // nested: opening an open port does nothing
        QCOMPARE(f.last->openCount(), 1);
      }
      QVERIFY(!f.session.Port1.isOpen());  // the inner operation closed it
    }
    try {
      PortBracket bracket(f.session);
      f.session.modbus.SetTry(1);
      f.last->setBroken(true);
      f.session.modbus.GetF07(f.session.link(), 1);
      QFAIL("no error");
    } catch (const TransportError&) {
    }
    QVERIFY(!f.session.Port1.isOpen());
    QVERIFY_THROWS_EXCEPTION(TransportError, f.session.link());
  }
};

QTEST_GUILESS_MAIN(TestPortCommands)
#include "test_port_commands.moc"
