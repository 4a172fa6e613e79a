// The link's operations and its vmkctl commands: what polling and the
// connection return, a polling stopped half-way, and `poll` / `info` as a
// command sees them (no device list in between).

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

#include "link/connection.h"
#include "link/polling.h"
#include "model/text_list.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "shell/cli_connect.h"
#include "shell/link_commands.h"
#include "shell/page_rules.h"
#include "tests/support/device_fixture.h"

using namespace vmk;
using vmk::test::Fault;

namespace {

const QDateTime kPcTime(QDate(2011, 5, 20), QTime(10, 0));
const QDateTime kDeviceTime(QDate(2011, 5, 20), QTime(9, 30, 15));
const QString kCancelled = QStringLiteral("Операция прервана");

bool isRead(const QByteArray& request, int first) {
  return request.size() >= 4 && std::uint8_t(request[1]) == 3 &&
         (std::uint8_t(request[2]) << 8 | std::uint8_t(request[3])) == first;
}

// A vmkctl command on the fixture's session.
struct Command {
  explicit Command(test::DeviceFixture& f, bool rear = false, int address = 1)
      : call(f.session, f.prompts, f.clock, f.ws.jobs) {
    call.rear = rear;
    call.address = std::uint8_t(address);
  }
  Outcome run(const QString& verb) {
    const CliCommand* c = commandRegistry().findCli({verb});
    if (!c) return Outcome::InputRefused;
    return c->run(call);
  }
  CliCall call;
};

}  // namespace

class TestLinkCommands : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  // Each address gives its status byte, or none when it is silent or the
  // port failed for it.
  void pollingReturnsWhatEachAddressGave() {
    test::DeviceFixture f(kPcTime, kDeviceTime);
    f.add(1, 1, 1);
    f.add(3, 1, 3);
    f.add(4, 1, 2);
    f.add(6, 1, 7);
    f.add(5);
    f.plan.fault = [](const QByteArray& r) {
      return std::uint8_t(r[0]) == 5 ? Fault::Throw : Fault::None;
    };
    TextList list;
    list.append(QStringLiteral("from before"));

    const PollResult r = pollNetwork(f.session, Connector::Rear, list, nullptr, f.ws.jobs);

    QCOMPARE(r.outcome, Outcome::Done);
    QCOMPARE(r.addresses.size(), 32);
    const QList<std::optional<int>> expected{1, std::nullopt, 3, 2, std::nullopt, 7};
    for (int k = 0; k < expected.size(); ++k) {
      QCOMPARE(r.addresses[k].address, k + 1);
      QCOMPARE(r.addresses[k].status, expected[k]);
      QCOMPARE(r.addresses[k].line, list.lines()[k]);
    }
    QCOMPARE(list.count(), 32);  // emptied first
    QCOMPARE(list.lines()[5], QStringLiteral("Связи с устройством №6 нет"));
    QCOMPARE(r.firstStatus(), 1);
    QVERIFY(r.firstAnswers());
    QVERIFY(!f.portOpen());
    QCOMPARE(f.steps.size(), 32);
    QCOMPARE(f.steps.first(), 0);
    QCOMPARE(f.steps.last(), 31);
  }

  void pollingKeepsAPortItWasGivenOpen() {
    test::DeviceFixture f;
    f.add(1);
    TextList list;
    f.session.openPort();
    pollNetwork(f.session, Connector::Front, list, nullptr, f.ws.jobs);
    QVERIFY(f.portOpen());
    QCOMPARE(f.opens(), 1);
    f.session.closePort();
  }

  // The user stops polling after address 5: the five lines stay, nothing
  // is connected, the port is closed and the window usable again.
  void cancelledPollingKeepsTheLinesSoFar() {
    test::DeviceFixture f(kPcTime, kDeviceTime);
    f.chooseRear(true);
    f.add(1);
    f.add(7);
    QList<bool> windowEnabled;
    f.atStep = [&f, &windowEnabled](int position) {
      windowEnabled << f.ws.pages.isWindowEnabled();
      if (position == 5) f.ws.jobs.requestCancel();
    };

    actPollingExecute(f.ws, f.ws.link);

    QCOMPARE(f.ws.link.lbRelay.count(), 5);
    QCOMPARE(f.ws.link.lbRelay.lines()[0], QStringLiteral("Устройство №1 в сети"));
    QCOMPARE(f.ws.link.lbRelay.lines()[4], QStringLiteral("Связи с устройством №5 нет"));
    QCOMPARE(f.plan.requestsOf(7).size(), 5);
    QVERIFY(f.plan.requestsOf(3).isEmpty());  // no connection to address 1
    QCOMPARE(f.steps, QList<int>({0, 1, 2, 3, 4, 5}));
    QCOMPARE(windowEnabled, QList<bool>(6, false));
    QVERIFY(!f.portOpen());
    QVERIFY(f.ws.pages.isWindowEnabled());
    QVERIFY(!f.ws.link.Gauge1.isVisible());
    QCOMPARE(f.ws.status.text(3), kCancelled);
    QVERIFY(!f.ws.pages.isTabVisible(kPageDinamic));
    QVERIFY(f.ws.link.Memo1.lines().isEmpty());
    QVERIFY(f.prompts.boxTexts().isEmpty());
    QVERIFY(!f.ws.jobs.isRunning());
    QVERIFY(!f.ws.jobs.cancelRequested());  // the next job starts afresh

    // The next polling runs to its end.
    f.atStep = {};
    actPollingExecute(f.ws, f.ws.link);
    QCOMPARE(f.ws.link.lbRelay.count(), 32);
    QCOMPARE(f.ws.status.text(2), QStringLiteral("Выбрано устройство №1"));
  }

  void connectionReturnsTheRecord() {
    test::DeviceFixture f(kPcTime, kDeviceTime);
    sim::Device& d = f.add(4);
    d.setRegister(65, 0x0008);
    d.setRegister(68, 1);
    f.session.DeviceAddress = 9;

    const Connection c = connectDevice(f.session, 4, kPcTime.date());

    QCOMPARE(c.outcome, Outcome::Done);
    QCOMPARE(c.failedStep, ConnectStep::None);
    QCOMPARE(c.address, std::uint8_t(4));
    QCOMPARE(c.status, 1);
    QVERIFY(c.hasClock);
    QCOMPARE(c.deviceTime, kDeviceTime);
    QVERIFY(!c.clockUndefined());
    QCOMPARE(c.record.SerialNumber, d.factoryNumber());
    QCOMPARE(c.record.setup.NetAddress, std::uint8_t(4));
    QCOMPARE(c.record.setup.ActiveGroup, std::uint8_t(2));
    QCOMPARE(c.record.setup.InterfaceWord, std::uint16_t(0x0008));
    QCOMPARE(c.record.ServiceNonce, d.nonce());
    QVERIFY(c.record == f.session.vmk);
    QCOMPARE(f.session.DeviceAddress, std::uint8_t(4));
    QCOMPARE(c.report.size(), 11);
    QCOMPARE(c.report[3], QStringLiteral("Активная группа уставок 2"));
    QCOMPARE(c.report[7], QStringLiteral("Скорость 19200 бит/с"));
    QCOMPARE(chosenDeviceText(c), QStringLiteral("Выбрано устройство №4"));
    QVERIFY(!f.portOpen());
  }

  // Which step failed, and what the session keeps: the previous address
  // until the new identity is read.
  void connectionFailures_data() {
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("spoiledRead");  // -1: none; else the first register
    QTest::addColumn<bool>("powered");
    QTest::addColumn<ConnectStep>("step");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<int>("addressAfter");
    QTest::newRow("no address") << 0 << -1 << true << ConnectStep::Address << Outcome::InputRefused
                                << 0;
    QTest::newRow("silent") << 2 << -1 << false << ConnectStep::Status << Outcome::NoAnswer << 9;
    QTest::newRow("identity") << 2 << 0 << true << ConnectStep::Identity << Outcome::NoAnswer << 9;
    QTest::newRow("setup") << 2 << 64 << true << ConnectStep::Setup << Outcome::NoAnswer << 2;
  }
  void connectionFailures() {
    QFETCH(int, address);
    QFETCH(int, spoiledRead);
    QFETCH(bool, powered);
    QFETCH(ConnectStep, step);
    QFETCH(Outcome, outcome);
    QFETCH(int, addressAfter);
    test::DeviceFixture f;
    f.add(2).setPowered(powered);
    f.session.DeviceAddress = 9;
    f.plan.fault = [spoiledRead](const QByteArray& r) {
      return spoiledRead >= 0 && isRead(r, spoiledRead) ? Fault::Truncate : Fault::None;
    };

    const Connection c = connectDevice(f.session, std::uint8_t(address), kPcTime.date());

    QCOMPARE(c.failedStep, step);
    QCOMPARE(c.outcome, outcome);
    QCOMPARE(c.readFailed(), step == ConnectStep::Identity || step == ConnectStep::Setup);
    QVERIFY(c.report.isEmpty());
    QCOMPARE(chosenDeviceText(c), QString());
    QCOMPARE(int(f.session.DeviceAddress), addressAfter);
    QVERIFY(f.plan.requestsOf(0x18).isEmpty());
    QVERIFY(!f.portOpen());
  }

  // vmkctl info talks to the address of its option: no device list.
  void infoConnectsToTheAddressGiven() {
    test::DeviceFixture f(kPcTime, kDeviceTime);
    f.add(1);
    sim::Device& d = f.add(4);
    d.setRegister(80, 750);
    Command cmd(f, true, 4);

    QCOMPARE(cmd.run(QStringLiteral("info")), Outcome::Done);

    QCOMPARE(cmd.call.text.size(), 11);
    QCOMPARE(cmd.call.text[2], QStringLiteral("Сетевой адрес устройства 4"));
    QCOMPARE(cmd.call.text[4], QStringLiteral("Дата и время устройства: 20.05.2011 09:30:15"));
    for (const QByteArray& r : f.requests()) QCOMPARE(int(r[0]), 4);
    QVERIFY(f.ws.link.lbRelay.lines().isEmpty());
    QCOMPARE(f.session.DeviceAddress, std::uint8_t(4));
    QVERIFY(f.prompts.boxTexts().isEmpty());
    QVERIFY(!f.portOpen());

    const QJsonObject& data = cmd.call.data;
    QCOMPARE(data[QStringLiteral("memo")].toArray().size(), 11);
    QCOMPARE(data[QStringLiteral("status")].toString(), QStringLiteral("Выбрано устройство №4"));
    const QJsonObject dev = data[QStringLiteral("device")].toObject();
    QCOMPARE(dev[QStringLiteral("address")].toInt(), 4);
    QCOMPARE(dev[QStringLiteral("netAddress")].toInt(), 4);
    QCOMPARE(dev[QStringLiteral("name")].toString(), QStringLiteral("ВМК-01.01 "));
    QCOMPARE(dev[QStringLiteral("factoryNumber")].toInt(), int(d.factoryNumber()));
    QCOMPARE(dev[QStringLiteral("versionWord")].toInt(), int(d.registerValue(5)));
    QCOMPARE(dev[QStringLiteral("version")].toString(), QStringLiteral("v10 от 18.4.2011"));
    QCOMPARE(dev[QStringLiteral("language")].toString(), QStringLiteral("русский"));
    QCOMPARE(dev[QStringLiteral("variant")].toInt(), 1);
    QCOMPARE(dev[QStringLiteral("activeGroup")].toInt(), 1);
    QCOMPARE(dev[QStringLiteral("interfaceWord")].toInt(), int(d.registerValue(65)));
    QCOMPARE(dev[QStringLiteral("ct")].toObject()[QStringLiteral("phasePrimary")].toInt(), 750);
    QCOMPARE(dev[QStringLiteral("clock")].toString(), QStringLiteral("2011-05-20T09:30:15"));
    QCOMPARE(dev[QStringLiteral("nonce")].toInt(), int(d.nonce()));
    QVERIFY(!dev.contains(QStringLiteral("password")));
  }

  // What a command that connects first is told, with the texts the window
  // would show: failures as errors; an undefined clock as a warning, the
  // command going on.
  void connectingForACommand_data() {
    QTest::addColumn<bool>("rear");
    QTest::addColumn<int>("address");
    QTest::addColumn<bool>("badClock");
    QTest::addColumn<int>("spoiledRead");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<int>("reportLines");
    const QString badClock = QStringLiteral(
        "Некорректные дата и время!\rПроверьте правильность установки даты и времени.");
    QTest::newRow("front uses address 1") << false << 7 << false << -1 << Outcome::Done
                                          << QStringList() << 11;
    QTest::newRow("silent address") << true << 7 << false << -1 << Outcome::NoAnswer
                                    << QStringList{QStringLiteral("Связи с устройством №7 нет")} << 0;
    QTest::newRow("short setup reply") << true << 1 << false << 64 << Outcome::NoAnswer
                                       << QStringList{QStringLiteral("Ошибка связи с устройством!")} << 0;
    QTest::newRow("undefined clock") << true << 1 << true << -1 << Outcome::Done
                                     << QStringList{badClock} << 11;
  }
  void connectingForACommand() {
    QFETCH(bool, rear);
    QFETCH(int, address);
    QFETCH(bool, badClock);
    QFETCH(int, spoiledRead);
    QFETCH(Outcome, outcome);
    QFETCH(QStringList, boxes);
    QFETCH(int, reportLines);
    test::DeviceFixture f;
    sim::Device& d = f.add(1);
    if (badClock) d.setRegister(84, 0xFFFF);
    f.plan.fault = [spoiledRead](const QByteArray& r) {
      return spoiledRead >= 0 && isRead(r, spoiledRead) ? Fault::Truncate : Fault::None;
    };
    Command cmd(f, rear, address);

    Connection c;
    QCOMPARE(connectForCommand(cmd.call, &c), outcome);

    QCOMPARE(f.prompts.boxTexts(), boxes);
    for (const test::Asked& box : f.prompts.asked())
      QCOMPARE(box.icon, badClock ? BoxIcon::Warning : BoxIcon::Error);
    QCOMPARE(c.report.size(), reportLines);
    QVERIFY(!f.portOpen());

    // info prints the report it has, and the clock as null when undefined.
    f.prompts.forget();
    QCOMPARE(cmd.run(QStringLiteral("info")), outcome);
    QCOMPARE(cmd.call.text.size(), reportLines);
    const QJsonObject dev = cmd.call.data[QStringLiteral("device")].toObject();
    QCOMPARE(dev.isEmpty(), reportLines == 0);
    if (badClock) QVERIFY(dev[QStringLiteral("clock")].isNull());
  }

  void pollCommandListsTypedStatuses() {
    test::DeviceFixture f(kPcTime, kDeviceTime);
    f.add(1);
    f.add(2, 1, 3);
    Command cmd(f, true);

    QCOMPARE(cmd.run(QStringLiteral("poll")), Outcome::Done);

    QCOMPARE(cmd.call.text.size(), 32);
    QCOMPARE(cmd.call.text[1], QStringLiteral("Устройство №2 в сети (+)"));
    const QJsonArray devices = cmd.call.data[QStringLiteral("devices")].toArray();
    QCOMPARE(devices.size(), 32);
    const QJsonObject second = devices[1].toObject();
    QCOMPARE(second[QStringLiteral("address")].toInt(), 2);
    QCOMPARE(second[QStringLiteral("status")].toInt(), 3);
    QCOMPARE(second[QStringLiteral("line")].toString(), QStringLiteral("Устройство №2 в сети (+)"));
    QVERIFY(devices[2].toObject()[QStringLiteral("status")].isNull());
    // Address 1 in service: connected at once, as the window does.
    QCOMPARE(f.plan.requestsOf(0x18).size(), 1);
    QVERIFY(!f.portOpen());
  }

  // An interrupted poll prints what it found and reports the cancel.
  void interruptedPollCommand() {
    test::DeviceFixture f;
    f.add(1);
    f.atStep = [&f](int position) {
      if (position == 3) f.ws.jobs.requestCancel();
    };
    Command cmd(f, true);

    QCOMPARE(cmd.run(QStringLiteral("poll")), Outcome::Cancelled);

    QCOMPARE(cmd.call.text.size(), 3);
    QCOMPARE(cmd.call.data[QStringLiteral("devices")].toArray().size(), 3);
    QVERIFY(f.plan.requestsOf(3).isEmpty());
    QVERIFY(!f.portOpen());
  }
};

QTEST_GUILESS_MAIN(TestLinkCommands)
#include "test_link_commands.moc"
