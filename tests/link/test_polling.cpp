// Polling and connection as the window runs them, against the in-process
// simulated bus, with scripted prompts and a link that can spoil chosen
// exchanges.

#include <QtTest>
#include <memory>

#include "extlib/transport_error.h"
#include "link/connection.h"
#include "link/polling.h"
#include "shell/command_table.h"
#include "shell/link_commands.h"
#include "shell/page_rules.h"
#include "tests/support/device_fixture.h"

using namespace vmk;
using vmk::test::Fault;

namespace {

const QDateTime kPcTime(QDate(2011, 5, 20), QTime(10, 0));
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

// What the window showed each time polling dispatched its messages.
struct Shown {
  QList<int> gauge;
  QList<bool> windowEnabled;
};

// The fixture on the chosen connector, the devices' clocks frozen at
// kDeviceTime; `shown`, when given, records each dispatch.
std::unique_ptr<test::DeviceFixture> fixture(bool rear = false, Shown* shown = nullptr) {
  auto f = std::make_unique<test::DeviceFixture>(kPcTime, kDeviceTime);
  f->chooseRear(rear);
  if (shown) {
    f->atStep = [shown, ws = &f->ws](int) {
      shown->gauge << ws->link.Gauge1.position();
      shown->windowEnabled << ws->pages.isWindowEnabled();
    };
  }
  return f;
}

bool devicePagesShown(const test::DeviceFixture& f) { return f.ws.pages.isTabVisible(kPageDinamic); }
bool journalPagesShown(const test::DeviceFixture& f) {
  return f.ws.pages.isTabVisible(kPageEvents) && f.ws.pages.isTabVisible(kPageStatistic) &&
         f.ws.pages.isTabVisible(kPageAlarm);
}

// The user selects the list line of `address`.
void select(test::DeviceFixture& f, int address) {
  while (f.ws.link.lbRelay.count() < address) f.ws.link.lbRelay.append(QStringLiteral("line"));
  f.ws.link.lbRelay.setSelected(address - 1);
}

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
    QCOMPARE(pollingLine(status, 7), line);
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
    Shown shown;
    auto f = fixture(false, &shown);
    if (status >= 0) f->add(1, 1, std::uint8_t(status));
    f->add(2);  // never asked on the front connector
    f->ws.link.Memo1.append(QStringLiteral("old report"));
    f->ws.status.setText(2, QStringLiteral("Выбрано устройство №9"));
    f->session.DeviceAddress = 9;

    actPollingExecute(f->ws, f->ws.link);

    QCOMPARE(f->ws.link.lbRelay.lines(), QStringList{line});
    QCOMPARE(f->ws.link.lbRelay.selected(), 0);
    // The connection asks the status once more.
    QCOMPARE(f->plan.requestsOf(7).size(), connects ? 2 : 1);
    for (const QByteArray& r : f->plan.requests) QCOMPARE(int(r[0]), 1);
    QCOMPARE(shown.windowEnabled, QList<bool>{false});
    QVERIFY(f->ws.pages.isWindowEnabled());
    QVERIFY(!f->ws.link.Gauge1.isVisible());
    QVERIFY(!f->session.Port1.isOpen());
    QCOMPARE(devicePagesShown(*f), connects);
    QCOMPARE(f->ws.link.Memo1.lines().isEmpty(), !connects);
    QCOMPARE(f->session.DeviceAddress, std::uint8_t(connects ? 1 : 0));
    QCOMPARE(f->ws.status.text(2),
             connects ? QStringLiteral("Выбрано устройство №1") : QString());
    QVERIFY(f->prompts.boxTexts().isEmpty());
  }

  // A faulty device is listed without connecting, but the user may still
  // connect to it by hand.
  void faultyDeviceConnectsByHand() {
    auto f = fixture();
    sim::Device& d = f->add(1, 1, 2);
    actPollingExecute(f->ws, f->ws.link);
    QVERIFY(f->ws.link.Memo1.lines().isEmpty());

    actGetStartInfoExecute(f->ws, f->ws.link);

    QCOMPARE(f->ws.link.Memo1.lines(), reportOf(d, 1, QStringLiteral("Скорость 9600 бит/с")));
    QVERIFY(devicePagesShown(*f));
    QVERIFY(!f->session.Port1.isOpen());
  }

  // Rear connector: 32 lines whatever answers, the gauge advancing, the
  // window disabled while messages are dispatched once per address.
  void rearConnectorListsEveryAddress() {
    Shown shown;
    auto f = fixture(true, &shown);
    f->add(1, 1, 1);
    f->add(5, 1, 3);
    f->add(7, 1, 2);
    f->add(32, 1, 1);

    actPollingExecute(f->ws, f->ws.link);

    const QStringList& lines = f->ws.link.lbRelay.lines();
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
    QCOMPARE(shown.gauge, expected);
    QCOMPARE(f->ws.link.Gauge1.position(), 31);
    QCOMPARE(shown.windowEnabled, QList<bool>(32, false));
    QVERIFY(f->ws.pages.isWindowEnabled());
    QVERIFY(!f->ws.link.Gauge1.isVisible());
    QVERIFY(!f->session.Port1.isOpen());

    // Address 1 answered 1: connected to it at once.
    QCOMPARE(f->session.DeviceAddress, std::uint8_t(1));
    QCOMPARE(f->ws.status.text(2), QStringLiteral("Выбрано устройство №1"));
  }

  // A port failure while asking one address: the port is reopened and the
  // next addresses are still polled.
  void errorForOneAddressDoesNotStopPolling() {
    auto f = fixture(true);
    f->add(3);
    f->add(4, 1, 3);
    f->plan.fault = [](const QByteArray& r) {
      return isStatusRequest(r, 3) ? Fault::Throw : Fault::None;
    };

    actPollingExecute(f->ws, f->ws.link);

    QCOMPARE(f->ws.link.lbRelay.count(), 32);
    QCOMPARE(f->ws.link.lbRelay.lines()[2], QStringLiteral("Связи с устройством №3 нет"));
    QCOMPARE(f->ws.link.lbRelay.lines()[3], QStringLiteral("Устройство №4 в сети (+)"));
    QCOMPARE(f->plan.requestsOf(7).size(), 32);
    QCOMPARE(f->plan.opens, 2);
    QVERIFY(!f->session.Port1.isOpen());
    QVERIFY(f->ws.pages.isWindowEnabled());
    QVERIFY(f->ws.link.Memo1.lines().isEmpty());  // address 1 silent: no connection
  }

  // An error of the automatic connection ends polling, but the window is
  // usable again and the port closed.
  void failedAutomaticConnectionLeavesWindowEnabled() {
    auto f = fixture(true);
    f->add(1);
    f->plan.fault = [](const QByteArray& r) { return isRead(r, 0) ? Fault::Throw : Fault::None; };

    QVERIFY_THROWS_EXCEPTION(TransportError, actPollingExecute(f->ws, f->ws.link));

    QCOMPARE(f->ws.link.lbRelay.count(), 32);
    QVERIFY(f->ws.pages.isWindowEnabled());
    QVERIFY(!f->ws.link.Gauge1.isVisible());
    QVERIFY(!f->session.Port1.isOpen());
    QVERIFY(!devicePagesShown(*f));
  }

  // The connection report and what connecting leaves behind.
  void connectionReportsTheDevice() {
    auto f = fixture(true);
    f->add(1);
    sim::Device& d = f->add(4);
    d.setRegister(65, 0x0014);  // bits 2 and 4
    d.setRegister(68, 1);       // group 2
    const std::uint16_t statistics = d.registerValue(144);
    select(*f, 4);

    actGetStartInfoExecute(f->ws, f->ws.link);

    QStringList expected = reportOf(d, 4, QStringLiteral("Скорость 38400 бит/с"));
    expected[3] = QStringLiteral("Активная группа уставок 2");
    QCOMPARE(f->ws.link.Memo1.lines(), expected);
    QCOMPARE(f->ws.status.text(2), QStringLiteral("Выбрано устройство №4"));
    QCOMPARE(f->session.DeviceAddress, std::uint8_t(4));
    QVERIFY(devicePagesShown(*f));
    QVERIFY(journalPagesShown(*f));
    QVERIFY(f->ws.pages.isEnabled(QStringLiteral("actPrint")));
    QVERIFY(!f->session.Port1.isOpen());
    QVERIFY(f->prompts.boxTexts().isEmpty());

    // The record: identity and setup as read, the nonce of the service reply.
    const TVMK& v = f->session.vmk;
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
    const QList<QByteArray> service = f->plan.requestsOf(0x18);
    QCOMPARE(service.size(), 1);
    QCOMPARE(service[0].left(7), QByteArray::fromHex("04180100000000"));
    QCOMPARE(d.registerValue(144), statistics);
  }

  void variantThreeHasNoGroupNorDate() {
    auto f = fixture();
    sim::Device& d = f->add(1, 3);
    select(*f, 1);

    actGetStartInfoExecute(f->ws, f->ws.link);

    QCOMPARE(f->ws.link.Memo1.lines(),
             QStringList({QStringLiteral("Устройство: ВМК-03.01 "),
                          QStringLiteral("Заводской №%1, Версия ПО v10 от 18.4.2011")
                              .arg(d.factoryNumber()),
                          QStringLiteral("Сетевой адрес устройства 1"), QString(), QString(),
                          QStringLiteral("Язык интерфейса: русский"),
                          QStringLiteral("Параметры интерфейса:"),
                          QStringLiteral("Скорость 9600 бит/с"),
                          QStringLiteral("Без бита паритета"), QStringLiteral("8 бит данных"),
                          QStringLiteral("1 стоп-бит")}));
    QCOMPARE(f->ws.status.text(2), QString());
    QVERIFY(devicePagesShown(*f));
    QVERIFY(!f->ws.pages.isTabVisible(kPageEvents));
    QVERIFY(!f->ws.pages.isTabVisible(kPageAlarm));
    QVERIFY(f->prompts.boxTexts().isEmpty());
    QCOMPARE(f->session.vmk.ServiceNonce, d.nonce());
  }

  void invalidClockIsReportedButConnects() {
    auto f = fixture();
    sim::Device& d = f->add(1);
    d.setRegister(84, 0xFFFF);  // erased clock: not BCD
    select(*f, 1);

    actGetStartInfoExecute(f->ws, f->ws.link);

    QCOMPARE(f->prompts.boxTexts(), QStringList{kBadClock});
    QCOMPARE(f->ws.link.Memo1.lines().size(), 11);
    QCOMPARE(f->ws.link.Memo1.lines()[4], QStringLiteral("Дата и время устройства: Неопределены."));
    QCOMPARE(f->ws.status.text(2), QString());
    QVERIFY(devicePagesShown(*f));
    QVERIFY(journalPagesShown(*f));
    QCOMPARE(f->session.vmk.ServiceNonce, d.nonce());
    QVERIFY(!f->session.Port1.isOpen());
  }

  void shortIdentityReplyKeepsTheRecord() {
    auto f = fixture();
    f->add(1);
    TVMK before;
    before.Name = QStringLiteral("ВМК-02.01 ");
    before.SerialNumber = 4321;
    before.DeviceVariant = 2;
    before.setup.DevicePassword = QStringLiteral("BBBB");
    before.setup.ClockMonth = 5;
    before.ServiceNonce = 77;
    f->session.vmk = before;
    f->session.DeviceAddress = 7;
    BlockTabSheet(f->ws, false);
    f->plan.fault = [](const QByteArray& r) { return isRead(r, 0) ? Fault::Truncate : Fault::None; };
    select(*f, 1);

    actGetStartInfoExecute(f->ws, f->ws.link);

    QCOMPARE(f->prompts.boxTexts(), QStringList{kLinkError});
    QVERIFY(f->session.vmk == before);
    // The pages still show the device at address 7: so does the address.
    QCOMPARE(f->session.DeviceAddress, std::uint8_t(7));
    QCOMPARE(f->plan.requestsOf(3).size(), 1);  // the setup block is not asked for
    QVERIFY(f->plan.requestsOf(0x18).isEmpty());
    QVERIFY(f->ws.link.Memo1.lines().isEmpty());
    QVERIFY(devicePagesShown(*f));  // as they were
    QVERIFY(!f->session.Port1.isOpen());
  }

  void shortSetupReplyKeepsOnlyTheNewIdentity() {
    auto f = fixture();
    sim::Device& d = f->add(1);
    f->session.vmk.setup.DevicePassword = QStringLiteral("BBBB");
    f->session.vmk.setup.CtPrimary = 300;
    f->session.vmk.ServiceNonce = 77;
    f->plan.fault = [](const QByteArray& r) { return isRead(r, 64) ? Fault::Truncate : Fault::None; };
    select(*f, 1);

    actGetStartInfoExecute(f->ws, f->ws.link);

    QCOMPARE(f->prompts.boxTexts(), QStringList{kLinkError});
    QCOMPARE(f->session.vmk.Name, QStringLiteral("ВМК-01.01 "));
    QCOMPARE(f->session.vmk.SerialNumber, d.factoryNumber());
    QVERIFY(f->session.vmk.setup == SetupFields{});
    QCOMPARE(f->session.vmk.ServiceNonce, std::uint16_t(0));
    QVERIFY(f->plan.requestsOf(0x18).isEmpty());
    QVERIFY(!devicePagesShown(*f));  // as they were
    QVERIFY(!f->session.Port1.isOpen());
  }

  // An error raised while connecting from the list hides the device pages;
  // from the toolbar it goes to the caller. The port is closed either way.
  void errorWhileConnectingFromTheList() {
    auto f = fixture();
    f->add(1);
    BlockTabSheet(f->ws, false);
    f->plan.fault = [](const QByteArray& r) { return isRead(r, 0) ? Fault::Throw : Fault::None; };
    select(*f, 1);

    lbRelayDblClick(f->ws, f->ws.link);

    QCOMPARE(f->prompts.boxTexts(), QStringList{kNotConnected});
    QVERIFY(!devicePagesShown(*f));
    QVERIFY(!f->ws.pages.isTabVisible(kPageEvents));
    QVERIFY(!f->session.Port1.isOpen());

    BlockTabSheet(f->ws, false);
    QVERIFY_THROWS_EXCEPTION(TransportError, actGetStartInfoExecute(f->ws, f->ws.link));
    QVERIFY(!f->session.Port1.isOpen());
    QVERIFY(devicePagesShown(*f));
  }

  void nameWithoutVariantDigitIsNotConnected() {
    auto f = fixture();
    sim::Device& d = f->add(1);
    d.setRegister(2, 0x3058);  // "0X": no digit where the variant is
    select(*f, 1);

    lbRelayDblClick(f->ws, f->ws.link);

    QCOMPARE(f->prompts.boxTexts(), QStringList{kNotConnected});
    QVERIFY(f->session.vmk == TVMK{});
    QVERIFY(!devicePagesShown(*f));
    QVERIFY(!f->session.Port1.isOpen());
  }

  void noSelectionOnlyEmptiesTheReport() {
    auto f = fixture();
    f->add(1);
    f->ws.link.lbRelay.append(QStringLiteral("Устройство №1 в сети"));
    f->ws.link.Memo1.append(QStringLiteral("old report"));
    f->ws.status.setText(2, QStringLiteral("Выбрано устройство №1"));
    f->session.DeviceAddress = 1;

    actGetStartInfoExecute(f->ws, f->ws.link);

    QVERIFY(f->ws.link.Memo1.lines().isEmpty());
    QCOMPARE(f->ws.status.text(2), QString());
    QCOMPARE(f->session.DeviceAddress, std::uint8_t(0));
    QVERIFY(f->plan.requests.isEmpty());
    QVERIFY(!f->session.Port1.isOpen());
  }

  // A listed device that no longer answers the status request: nothing is
  // read and nothing reported.
  void silentDeviceIsLeftQuietly() {
    auto f = fixture();
    f->add(1).setPowered(false);
    f->ws.link.Memo1.append(QStringLiteral("old report"));
    f->session.DeviceAddress = 4;
    select(*f, 1);

    actGetStartInfoExecute(f->ws, f->ws.link);

    QVERIFY(f->ws.link.Memo1.lines().isEmpty());
    QCOMPARE(f->plan.requests.size(), 1);
    QVERIFY(f->prompts.boxTexts().isEmpty());
    // Nothing was read: the address stays with the record and pages shown.
    QCOMPARE(f->session.DeviceAddress, std::uint8_t(4));
    QVERIFY(!f->session.Port1.isOpen());
  }
};

QTEST_GUILESS_MAIN(TestPolling)
#include "test_polling.moc"
