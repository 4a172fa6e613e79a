// Polling and connection against the in-process simulated bus, with
// scripted prompts and a link that can spoil chosen exchanges.

#include <QtTest>
#include <memory>

#include "device/connection.h"
#include "device/polling.h"
#include "shell/workspace.h"
#include "extlib/transport_error.h"
#include "shell/command_table.h"
#include "shell/page_rules.h"
#include "sim/bus.h"
#include "sim/bus_link.h"
#include "tests/support/fault_link.h"
#include "tests/support/scripted_prompts.h"

using namespace vmk;
using vmk::test::Fault;

namespace {

const QDateTime kDeviceTime(QDate(2011, 5, 20), QTime(9, 30, 15));
const QString kLinkError = QStringLiteral("Ошибка связи с устройством!");
const QString kNotConnected = QStringLiteral("Устройство не подключено");
const QString kBadClock =
    QStringLiteral("Некорректные дата и время!\rПроверьте правильность установки даты и времени.");

bool isRead(const QByteArray& request, int first) {
  return request.size() >= 4 && std::uint8_t(request[1]) == 3 &&
         (std::uint8_t(request[2]) << 8 | std::uint8_t(request[3])) == first;
}

bool isStatusRequest(const QByteArray& request, int address) {
  return request.size() >= 2 && std::uint8_t(request[0]) == address && std::uint8_t(request[1]) == 7;
}

// One workspace on a simulated bus, as the data module leaves it at start.
struct Bench {
  sim::Bus bus;
  test::LinkPlan plan;
  Session session{[this](const PortSettings&) {
    return std::make_unique<test::FaultLink>(std::make_unique<sim::BusLink>(bus), plan);
  }};
  test::ScriptedPrompts prompts;
  FixedClock clock{QDateTime(QDate(2011, 5, 20), QTime(10, 0))};
  Workspace ws{session, prompts, clock};

  // What the window showed each time polling dispatched its messages.
  QList<int> gaugeAtEvents;
  QList<bool> windowEnabledAtEvents;

  explicit Bench(bool rear = false) {
    session.modbus.SetTry(1);  // silent addresses cost 10 ms, not 100
    applyCommandTable(ws.pages);
    ws.pages.setChecked(QStringLiteral("actFrontPort"), !rear);
    ws.pages.setChecked(QStringLiteral("actReaPort"), rear);
    BlockTabSheet(ws, true);
    ws.processEvents = [this] {
      gaugeAtEvents << ws.Gauge1.position();
      windowEnabledAtEvents << ws.pages.isWindowEnabled();
    };
  }

  sim::Device& add(int address, int variant = 1, std::uint8_t status = 1) {
    sim::Device& d = bus.addDevice(address, variant, 7, [] { return kDeviceTime; });
    d.setStatus(status);
    return d;
  }

  bool devicePagesShown() const { return ws.pages.isTabVisible(kPageDinamic); }
  bool journalPagesShown() const {
    return ws.pages.isTabVisible(kPageEvents) && ws.pages.isTabVisible(kPageStatistic) &&
           ws.pages.isTabVisible(kPageAlarm);
  }

  void select(int address) {
    while (ws.lbRelay.count() < address) ws.lbRelay.append(QStringLiteral("line"));
    ws.lbRelay.setSelected(address - 1);
  }
};

QStringList reportOf(const sim::Device& d, int address, const QString& speed) {
  return {QStringLiteral("Устройство: ВМК-01.01 "),
          QStringLiteral("Заводской №%1, Версия ПО v10 от 18.4.2011").arg(d.factoryNumber()),
          QStringLiteral("Сетевой адрес устройства %1").arg(address),
          QStringLiteral("Активная группа уставок 1"),
          QStringLiteral("Дата и время устройства: 20.05.2011 09:30:15"),
          QStringLiteral("Язык интерфейса: русский"),
          QStringLiteral("Параметры интерфейса:"),
          speed,
          QStringLiteral("Без бита паритета"),
          QStringLiteral("8 бит данных"),
          QStringLiteral("1 стоп-бит")};
}

}  // namespace

class TestPolling : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void listLineForEachStatus_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("line");
    QTest::newRow("in service") << 1 << QStringLiteral("Устройство №7 в сети");
    QTest::newRow("notice") << 3 << QStringLiteral("Устройство №7 в сети (+)");
    QTest::newRow("faulty 0") << 0 << QStringLiteral("Устройство неисправно");
    QTest::newRow("faulty 2") << 2 << QStringLiteral("Устройство неисправно");
    QTest::newRow("status 4") << 4 << QStringLiteral("Связи с устройством №7 нет");
    QTest::newRow("silent") << int(ModbusLibrary::kNoAnswer)
                            << QStringLiteral("Связи с устройством №7 нет");
    QTest::newRow("error") << kNoPollingStatus << QStringLiteral("Связи с устройством №7 нет");
  }
  void listLineForEachStatus() {
    QFETCH(int, status);
    QFETCH(QString, line);
    QCOMPARE(PollingLine(status, 7), line);
  }

  void speedLineKeepsTheHighestBitSet_data() {
    QTest::addColumn<int>("word");
    QTest::addColumn<QString>("line");
    QTest::newRow("bit 1") << 0x0002 << QStringLiteral("Скорость 4800 бит/с");
    QTest::newRow("bit 2") << 0x0004 << QStringLiteral("Скорость 9600 бит/с");
    QTest::newRow("bit 3") << 0x0008 << QStringLiteral("Скорость 19200 бит/с");
    QTest::newRow("bits 2 and 4") << 0x0014 << QStringLiteral("Скорость 38400 бит/с");
    QTest::newRow("bits 1 to 4") << 0x001E << QStringLiteral("Скорость 38400 бит/с");
    QTest::newRow("none") << 0x0000 << QString();
    QTest::newRow("only bits 0 and 5") << 0x0021 << QString();
  }
  void speedLineKeepsTheHighestBitSet() {
    QFETCH(int, word);
    QFETCH(QString, line);
    MessageLog memo;
    AppendInterfaceParams(memo, std::uint16_t(word));
    QCOMPARE(memo.lines(), QStringList({line, QStringLiteral("Без бита паритета"),
                                        QStringLiteral("8 бит данных"),
                                        QStringLiteral("1 стоп-бит")}));
  }

  // Front connector: one address; statuses 1 and 3 connect at once.
  void frontConnectorPollsAddressOne_data() {
    QTest::addColumn<int>("status");  // -1: nobody answers
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("connects");
    QTest::newRow("in service") << 1 << QStringLiteral("Устройство №1 в сети") << true;
    QTest::newRow("notice") << 3 << QStringLiteral("Устройство №1 в сети (+)") << true;
    QTest::newRow("faulty 0") << 0 << QStringLiteral("Устройство неисправно") << false;
    QTest::newRow("faulty 2") << 2 << QStringLiteral("Устройство неисправно") << false;
    QTest::newRow("silent") << -1 << QStringLiteral("Связи с устройством №1 нет") << false;
  }
  void frontConnectorPollsAddressOne() {
    QFETCH(int, status);
    QFETCH(QString, line);
    QFETCH(bool, connects);
    Bench b;
    if (status >= 0) b.add(1, 1, std::uint8_t(status));
    b.add(2);  // never asked on the front connector
    b.ws.Memo1.append(QStringLiteral("old report"));
    b.ws.status.setText(2, QStringLiteral("Выбрано устройство №9"));
    b.session.DeviceAddress = 9;

    actPollingExecute(b.ws);

    QCOMPARE(b.ws.lbRelay.lines(), QStringList{line});
    QCOMPARE(b.ws.lbRelay.selected(), 0);
    // The connection asks the status once more.
    QCOMPARE(b.plan.requestsOf(7).size(), connects ? 2 : 1);
    for (const QByteArray& r : b.plan.requests) QCOMPARE(int(r[0]), 1);
    QCOMPARE(b.windowEnabledAtEvents, QList<bool>{false});
    QVERIFY(b.ws.pages.isWindowEnabled());
    QVERIFY(!b.ws.Gauge1.isVisible());
    QVERIFY(!b.session.Port1.isOpen());
    QCOMPARE(b.devicePagesShown(), connects);
    QCOMPARE(b.ws.Memo1.lines().isEmpty(), !connects);
    QCOMPARE(b.session.DeviceAddress, std::uint8_t(connects ? 1 : 0));
    QCOMPARE(b.ws.status.text(2),
             connects ? QStringLiteral("Выбрано устройство №1") : QString());
    QVERIFY(b.prompts.boxTexts().isEmpty());
  }

  // A faulty device is listed without connecting, but the user may still
  // connect to it by hand.
  void faultyDeviceConnectsByHand() {
    Bench b;
    sim::Device& d = b.add(1, 1, 2);
    actPollingExecute(b.ws);
    QVERIFY(b.ws.Memo1.lines().isEmpty());

    actGetStartInfoExecute(b.ws);

    QCOMPARE(b.ws.Memo1.lines(), reportOf(d, 1, QStringLiteral("Скорость 9600 бит/с")));
    QVERIFY(b.devicePagesShown());
    QVERIFY(!b.session.Port1.isOpen());
  }

  // Rear connector: 32 lines whatever answers, the gauge advancing, the
  // window disabled while messages are dispatched once per address.
  void rearConnectorListsEveryAddress() {
    Bench b(true);
    b.add(1, 1, 1);
    b.add(5, 1, 3);
    b.add(7, 1, 2);
    b.add(32, 1, 1);

    actPollingExecute(b.ws);

    const QStringList& lines = b.ws.lbRelay.lines();
    QCOMPARE(lines.size(), 32);
    QCOMPARE(lines[0], QStringLiteral("Устройство №1 в сети"));
    QCOMPARE(lines[1], QStringLiteral("Связи с устройством №2 нет"));
    QCOMPARE(lines[4], QStringLiteral("Устройство №5 в сети (+)"));
    QCOMPARE(lines[6], QStringLiteral("Устройство неисправно"));
    QCOMPARE(lines[30], QStringLiteral("Связи с устройством №31 нет"));
    QCOMPARE(lines[31], QStringLiteral("Устройство №32 в сети"));

    // At the messages of address a the gauge shows a - 1 (1 before the
    // first); after address 32 it stays full at 31.
    QList<int> expected{1};
    for (int a = 2; a <= 32; ++a) expected << a - 1;
    QCOMPARE(b.gaugeAtEvents, expected);
    QCOMPARE(b.ws.Gauge1.position(), 31);
    QCOMPARE(b.windowEnabledAtEvents, QList<bool>(32, false));
    QVERIFY(b.ws.pages.isWindowEnabled());
    QVERIFY(!b.ws.Gauge1.isVisible());
    QVERIFY(!b.session.Port1.isOpen());

    // Address 1 answered 1: connected to it at once.
    QCOMPARE(b.session.DeviceAddress, std::uint8_t(1));
    QCOMPARE(b.ws.status.text(2), QStringLiteral("Выбрано устройство №1"));
  }

  // A port failure while asking one address: the port is reopened and the
  // next addresses are still polled.
  void errorForOneAddressDoesNotStopPolling() {
    Bench b(true);
    b.add(3);
    b.add(4, 1, 3);
    b.plan.fault = [](const QByteArray& r) {
      return isStatusRequest(r, 3) ? Fault::Throw : Fault::None;
    };

    actPollingExecute(b.ws);

    QCOMPARE(b.ws.lbRelay.count(), 32);
    QCOMPARE(b.ws.lbRelay.lines()[2], QStringLiteral("Связи с устройством №3 нет"));
    QCOMPARE(b.ws.lbRelay.lines()[3], QStringLiteral("Устройство №4 в сети (+)"));
    QCOMPARE(b.plan.requestsOf(7).size(), 32);
    QCOMPARE(b.plan.opens, 2);
    QVERIFY(!b.session.Port1.isOpen());
    QVERIFY(b.ws.pages.isWindowEnabled());
    QVERIFY(b.ws.Memo1.lines().isEmpty());  // address 1 silent: no connection
  }

  // An error of the automatic connection ends polling, but the window is
  // usable again and the port closed.
  void failedAutomaticConnectionLeavesWindowEnabled() {
    Bench b(true);
    b.add(1);
    b.plan.fault = [](const QByteArray& r) { return isRead(r, 0) ? Fault::Throw : Fault::None; };

    QVERIFY_THROWS_EXCEPTION(TransportError, actPollingExecute(b.ws));

    QCOMPARE(b.ws.lbRelay.count(), 32);
    QVERIFY(b.ws.pages.isWindowEnabled());
    QVERIFY(!b.ws.Gauge1.isVisible());
    QVERIFY(!b.session.Port1.isOpen());
    QVERIFY(!b.devicePagesShown());
  }

  // The connection report and what connecting leaves behind.
  void connectionReportsTheDevice() {
    Bench b(true);
    b.add(1);
    sim::Device& d = b.add(4);
    d.setRegister(65, 0x0014);  // bits 2 and 4
    d.setRegister(68, 1);       // group 2
    const std::uint16_t statistics = d.registerValue(144);
    b.select(4);

    actGetStartInfoExecute(b.ws);

    QStringList expected = reportOf(d, 4, QStringLiteral("Скорость 38400 бит/с"));
    expected[3] = QStringLiteral("Активная группа уставок 2");
    QCOMPARE(b.ws.Memo1.lines(), expected);
    QCOMPARE(b.ws.status.text(2), QStringLiteral("Выбрано устройство №4"));
    QCOMPARE(b.session.DeviceAddress, std::uint8_t(4));
    QVERIFY(b.devicePagesShown());
    QVERIFY(b.journalPagesShown());
    QVERIFY(b.ws.pages.isEnabled(QStringLiteral("actPrint")));
    QVERIFY(!b.session.Port1.isOpen());
    QVERIFY(b.prompts.boxTexts().isEmpty());

    // The record: identity and setup as read, the nonce of the service reply.
    const TVMK& v = b.session.vmk;
    QCOMPARE(v.Name, QStringLiteral("ВМК-01.01 "));
    QCOMPARE(v.SerialNumber, d.factoryNumber());
    QCOMPARE(v.DeviceVariant, std::int16_t(1));
    QCOMPARE(v.setup.NetAddress, std::uint8_t(4));
    QCOMPARE(v.setup.DevicePassword, QStringLiteral("AAAA"));
    QCOMPARE(v.setup.CtPrimary, std::uint16_t(600));
    QCOMPARE(v.ServiceNonce, d.nonce());
    QVERIFY(d.nonce() != 0);

    // One service request: sub-function 1, access code 0, argument 0. The
    // device refuses it, so the statistics stay.
    const QList<QByteArray> service = b.plan.requestsOf(0x18);
    QCOMPARE(service.size(), 1);
    QCOMPARE(service[0].left(7), QByteArray::fromHex("04180100000000"));
    QCOMPARE(d.registerValue(144), statistics);
  }

  void variantThreeHasNoGroupNorDate() {
    Bench b;
    sim::Device& d = b.add(1, 3);
    b.select(1);

    actGetStartInfoExecute(b.ws);

    QCOMPARE(b.ws.Memo1.lines(),
             QStringList({QStringLiteral("Устройство: ВМК-03.01 "),
                          QStringLiteral("Заводской №%1, Версия ПО v10 от 18.4.2011")
                              .arg(d.factoryNumber()),
                          QStringLiteral("Сетевой адрес устройства 1"), QString(), QString(),
                          QStringLiteral("Язык интерфейса: русский"),
                          QStringLiteral("Параметры интерфейса:"),
                          QStringLiteral("Скорость 9600 бит/с"),
                          QStringLiteral("Без бита паритета"), QStringLiteral("8 бит данных"),
                          QStringLiteral("1 стоп-бит")}));
    QCOMPARE(b.ws.status.text(2), QString());
    QVERIFY(b.devicePagesShown());
    QVERIFY(!b.ws.pages.isTabVisible(kPageEvents));
    QVERIFY(!b.ws.pages.isTabVisible(kPageAlarm));
    QVERIFY(b.prompts.boxTexts().isEmpty());
    QCOMPARE(b.session.vmk.ServiceNonce, d.nonce());
  }

  void invalidClockIsReportedButConnects() {
    Bench b;
    sim::Device& d = b.add(1);
    d.setRegister(84, 0xFFFF);  // erased clock: not BCD
    b.select(1);

    actGetStartInfoExecute(b.ws);

    QCOMPARE(b.prompts.boxTexts(), QStringList{kBadClock});
    QCOMPARE(b.ws.Memo1.lines().size(), 11);
    QCOMPARE(b.ws.Memo1.lines()[4], QStringLiteral("Дата и время устройства: Неопределены."));
    QCOMPARE(b.ws.status.text(2), QString());
    QVERIFY(b.devicePagesShown());
    QVERIFY(b.journalPagesShown());
    QCOMPARE(b.session.vmk.ServiceNonce, d.nonce());
    QVERIFY(!b.session.Port1.isOpen());
  }

  void shortIdentityReplyKeepsTheRecord() {
    Bench b;
    b.add(1);
    TVMK before;
    before.Name = QStringLiteral("ВМК-02.01 ");
    before.SerialNumber = 4321;
    before.DeviceVariant = 2;
    before.setup.DevicePassword = QStringLiteral("BBBB");
    before.setup.ClockMonth = 5;
    before.ServiceNonce = 77;
    b.session.vmk = before;
    b.session.DeviceAddress = 7;
    BlockTabSheet(b.ws, false);
    b.plan.fault = [](const QByteArray& r) { return isRead(r, 0) ? Fault::Truncate : Fault::None; };
    b.select(1);

    actGetStartInfoExecute(b.ws);

    QCOMPARE(b.prompts.boxTexts(), QStringList{kLinkError});
    QVERIFY(b.session.vmk == before);
    // The pages still show the device at address 7: so does the address.
    QCOMPARE(b.session.DeviceAddress, std::uint8_t(7));
    QCOMPARE(b.plan.requestsOf(3).size(), 1);  // the setup block is not asked for
    QVERIFY(b.plan.requestsOf(0x18).isEmpty());
    QVERIFY(b.ws.Memo1.lines().isEmpty());
    QVERIFY(b.devicePagesShown());  // as they were
    QVERIFY(!b.session.Port1.isOpen());
  }

  void shortSetupReplyKeepsOnlyTheNewIdentity() {
    Bench b;
    sim::Device& d = b.add(1);
    b.session.vmk.setup.DevicePassword = QStringLiteral("BBBB");
    b.session.vmk.setup.CtPrimary = 300;
    b.session.vmk.ServiceNonce = 77;
    b.plan.fault = [](const QByteArray& r) { return isRead(r, 64) ? Fault::Truncate : Fault::None; };
    b.select(1);

    actGetStartInfoExecute(b.ws);

    QCOMPARE(b.prompts.boxTexts(), QStringList{kLinkError});
    QCOMPARE(b.session.vmk.Name, QStringLiteral("ВМК-01.01 "));
    QCOMPARE(b.session.vmk.SerialNumber, d.factoryNumber());
    QVERIFY(b.session.vmk.setup == SetupFields{});
    QCOMPARE(b.session.vmk.ServiceNonce, std::uint16_t(0));
    QVERIFY(b.plan.requestsOf(0x18).isEmpty());
    QVERIFY(!b.devicePagesShown());  // as they were
    QVERIFY(!b.session.Port1.isOpen());
  }

  // An error raised while connecting from the list hides the device pages;
  // from the toolbar it goes to the caller. The port is closed either way.
  void errorWhileConnectingFromTheList() {
    Bench b;
    b.add(1);
    BlockTabSheet(b.ws, false);
    b.plan.fault = [](const QByteArray& r) { return isRead(r, 0) ? Fault::Throw : Fault::None; };
    b.select(1);

    lbRelayDblClick(b.ws);

    QCOMPARE(b.prompts.boxTexts(), QStringList{kNotConnected});
    QVERIFY(!b.devicePagesShown());
    QVERIFY(!b.ws.pages.isTabVisible(kPageEvents));
    QVERIFY(!b.session.Port1.isOpen());

    BlockTabSheet(b.ws, false);
    QVERIFY_THROWS_EXCEPTION(TransportError, actGetStartInfoExecute(b.ws));
    QVERIFY(!b.session.Port1.isOpen());
    QVERIFY(b.devicePagesShown());
  }

  void nameWithoutVariantDigitIsNotConnected() {
    Bench b;
    sim::Device& d = b.add(1);
    d.setRegister(2, 0x3058);  // "0X": no digit where the variant is
    b.select(1);

    lbRelayDblClick(b.ws);

    QCOMPARE(b.prompts.boxTexts(), QStringList{kNotConnected});
    QVERIFY(b.session.vmk == TVMK{});
    QVERIFY(!b.devicePagesShown());
    QVERIFY(!b.session.Port1.isOpen());
  }

  void noSelectionOnlyEmptiesTheReport() {
    Bench b;
    b.add(1);
    b.ws.lbRelay.append(QStringLiteral("Устройство №1 в сети"));
    b.ws.Memo1.append(QStringLiteral("old report"));
    b.ws.status.setText(2, QStringLiteral("Выбрано устройство №1"));
    b.session.DeviceAddress = 1;

    actGetStartInfoExecute(b.ws);

    QVERIFY(b.ws.Memo1.lines().isEmpty());
    QCOMPARE(b.ws.status.text(2), QString());
    QCOMPARE(b.session.DeviceAddress, std::uint8_t(0));
    QVERIFY(b.plan.requests.isEmpty());
    QVERIFY(!b.session.Port1.isOpen());
  }

  // A listed device that no longer answers the status request: nothing is
  // read and nothing reported.
  void silentDeviceIsLeftQuietly() {
    Bench b;
    b.add(1).setPowered(false);
    b.ws.Memo1.append(QStringLiteral("old report"));
    b.session.DeviceAddress = 4;
    b.select(1);

    actGetStartInfoExecute(b.ws);

    QVERIFY(b.ws.Memo1.lines().isEmpty());
    QCOMPARE(b.plan.requests.size(), 1);
    QVERIFY(b.prompts.boxTexts().isEmpty());
    // Nothing was read: the address stays with the record and pages shown.
    QCOMPARE(b.session.DeviceAddress, std::uint8_t(4));
    QVERIFY(!b.session.Port1.isOpen());
  }
};

QTEST_GUILESS_MAIN(TestPolling)
#include "test_polling.moc"
