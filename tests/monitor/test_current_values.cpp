#include <QtTest>

#include "extlib/crc16.h"
#include "extlib/memory_link.h"
#include "extlib/registers.h"
#include "extlib/transport_error.h"
#include "monitor/live_values.h"
#include "shell/monitor_commands.h"
#include "shell/page_rules.h"
#include "tests/support/device_fixture.h"
#include "tests/support/fake_interval_timer.h"

using namespace vmk;
using namespace vmk::test;

Q_DECLARE_METATYPE(vmk::Outcome)

namespace {

// Page 1 with a device at address 1 as a connection leaves it (transformers
// 200/5 and 30/10), no protection stage operated, the auto-refresh on a
// timer the test ticks by hand.
struct LivePage : DeviceFixture {
  FakeIntervalTimer timer;

  explicit LivePage(const QLocale& locale = QLocale::c())
      : DeviceFixture(QDateTime(QDate(2011, 3, 14), QTime(9, 26, 53))) {
    add(1);
    session.DeviceAddress = 1;
    SetupFields& s = session.vmk.setup;
    s.DevicePassword = QStringLiteral("ABCD");
    s.CtPrimary = 200;
    s.CtSecondary = 5;
    s.EarthCtPrimary = 30;
    s.EarthCtSecondary = 10;
    BlockTabSheet(ws, false);
    ws.pages.setActivePage(kPageDinamic);
    for (int reg = 17; reg <= 21; ++reg) device().setRegister(reg, 0);
    attachMonitorPage(ws, timer);
    ws.monitor.locale = locale;
  }

  LiveView& view() { return ws.monitor.view; }
  QString label(const char* name) const { return ws.monitor.labels.text(QString::fromLatin1(name)); }
};

const QString kLost = QStringLiteral("Неудается получить данные.\rВозможно пропала связь с устройством.");

// Live registers 32..37 of the simulated device.
void setCurrents(sim::Device& d, int ia, int io, int lastIm = 0, int lastIz = 0) {
  d.setRegister(32, std::uint16_t(ia));
  d.setRegister(33, std::uint16_t(ia));
  d.setRegister(34, std::uint16_t(ia));
  d.setRegister(35, std::uint16_t(io));
  d.setRegister(36, std::uint16_t(lastIm));
  d.setRegister(37, std::uint16_t(lastIz));
}

}  // namespace

class TestCurrentValues : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void scalesAndFormats_data() {
    QTest::addColumn<bool>("russian");
    QTest::addColumn<bool>("primary");
    QTest::addColumn<int>("ctPrimary");
    QTest::addColumn<int>("ctSecondary");
    QTest::addColumn<int>("ia");
    QTest::addColumn<int>("io");
    QTest::addColumn<QString>("labelA");
    QTest::addColumn<QString>("labelN");

    QTest::newRow("secondary, comma") << true << false << 200 << 5 << 250 << 37 << "Ia = 2,50 A" << "Io = 37 mA";
    QTest::newRow("secondary, point") << false << false << 200 << 5 << 250 << 37 << "Ia = 2.50 A" << "Io = 37 mA";
    QTest::newRow("ratio 40, one decimal") << false << true << 200 << 5 << 250 << 37 << "Ia = 100.0 A" << "Io = 111 mA";
    QTest::newRow("ratio 1, none") << false << true << 5 << 5 << 10001 << 0 << "Ia = 100 A" << "Io = 0 mA";
    QTest::newRow("ratio truncated 75/10 -> 7") << false << true << 75 << 10 << 100 << 1 << "Ia = 7.00 A" << "Io = 3 mA";
  }

  void scalesAndFormats() {
    QFETCH(bool, russian);
    QFETCH(bool, primary);
    QFETCH(int, ctPrimary);
    QFETCH(int, ctSecondary);
    QFETCH(int, ia);
    QFETCH(int, io);
    QFETCH(QString, labelA);
    QFETCH(QString, labelN);

    LivePage rig(russian ? QLocale(QLocale::Russian, QLocale::Russia) : QLocale::c());
    rig.session.vmk.setup.CtPrimary = std::uint16_t(ctPrimary);
    rig.session.vmk.setup.CtSecondary = std::uint16_t(ctSecondary);
    rig.view().setPrimaryValues(primary);
    setCurrents(rig.device(), ia, io);
    actrefreshExecute(rig.ws, rig.ws.monitor);

    QCOMPARE(rig.label("lblCurrA"), labelA);
    QCOMPARE(rig.label("lblCurrC"), labelA.replace(QStringLiteral("Ia"), QStringLiteral("Ic")));
    QCOMPARE(rig.label("lblCurrN"), labelN);
    QVERIFY(rig.prompts.asked().isEmpty());
    QVERIFY(!rig.session.Port1.isOpen());
  }

  void lastFaultCurrents() {
    LivePage rig;
    setCurrents(rig.device(), 0, 0, 250, 37);  // МТЗ x 40, ЗНЗ x 3
    actrefreshExecute(rig.ws, rig.ws.monitor);
    QCOMPARE(rig.label("lblLastIM"), QStringLiteral("Ток последней аварии МТЗ: 100.0 A"));
    QCOMPARE(rig.label("lblLastIZ"), QStringLiteral("Ток последней аварии ЗНЗ: 0.111 A"));
  }

  void zeroSecondaryShowsErrorAndZeros() {
    LivePage rig;
    rig.session.vmk.setup.EarthCtSecondary = 0;
    setCurrents(rig.device(), 250, 37, 250, 37);
    actrefreshExecute(rig.ws, rig.ws.monitor);
    QCOMPARE(rig.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка чтения измерения")});
    QCOMPARE(rig.prompts.asked().first().caption, QStringLiteral("Error"));
    QCOMPARE(rig.label("lblCurrA"), QStringLiteral("Ia = 0.000 A"));
    QCOMPARE(rig.label("lblCurrN"), QStringLiteral("Io = 0 mA"));
    QCOMPARE(rig.label("lblLastIZ"), QStringLiteral("Ток последней аварии ЗНЗ: 0.000 A"));

    // Secondary values need no ratio and show no error.
    rig.prompts.forget();
    rig.view().setPrimaryValues(false);
    actrefreshExecute(rig.ws, rig.ws.monitor);
    QVERIFY(rig.prompts.asked().isEmpty());
    QCOMPARE(rig.label("lblCurrA"), QStringLiteral("Ia = 2.50 A"));
  }

  void stageLinesAndLamps() {
    LivePage rig;
    sim::Device& d = rig.device();
    d.setRegister(16, 0b100101);
    d.setRegister(17, 1);
    d.setRegister(18, 2);  // only bit 0 counts
    d.setRegister(19, 0);
    d.setRegister(20, 0x8001);
    d.setRegister(21, 1);
    actrefreshExecute(rig.ws, rig.ws.monitor);

    QCOMPARE(rig.ws.monitor.mmMess.lines(),
             (QStringList{QStringLiteral("МТЗ 1 ступень Работа защиты. "),
                          QStringLiteral("ЗНЗ Работа защиты. "), QStringLiteral("Работа АПВ. "),
                          QStringLiteral("09:26:53 Обновление информации")}));
    const bool lit[] = {true, false, true, false, false, true};
    for (int i = 1; i <= 6; ++i) QCOMPARE(rig.view().isInputLit(i), lit[i - 1]);

    d.setRegister(16, 0b011010);
    d.setRegister(17, 0);
    d.setRegister(20, 0);
    d.setRegister(21, 0);
    rig.ws.monitor.mmMess.clear();
    actrefreshExecute(rig.ws, rig.ws.monitor);
    QCOMPARE(rig.ws.monitor.mmMess.lines().size(), 1);
    for (int i = 1; i <= 6; ++i) QCOMPARE(rig.view().isInputLit(i), !lit[i - 1]);
  }

  void refreshOnlyOnPageOne() {
    LivePage rig;
    rig.ws.pages.setActivePage(kPageParam);
    actrefreshExecute(rig.ws, rig.ws.monitor);
    QCOMPARE(rig.opens(), 0);
    QVERIFY(rig.ws.monitor.mmMess.lines().isEmpty());
  }

  void silentDeviceFailsAndClosesPort() {
    LivePage rig;
    actrefreshExecute(rig.ws, rig.ws.monitor);
    const QString before = rig.label("lblCurrA");
    rig.device().setPowered(false);
    QVERIFY_THROWS_EXCEPTION(Error, actrefreshExecute(rig.ws, rig.ws.monitor));
    QVERIFY(!rig.session.Port1.isOpen());
    QCOMPARE(rig.label("lblCurrA"), before);
  }

  // A frame that is not a whole live block (here the device's exception
  // reply, 5 bytes with a good CRC) is a failed exchange, not zeros.
  void replyOfWrongLengthFails() {
    LivePage rig;
    rig.session.Port1.setLinkFactory([](const PortSettings&) {
      return std::make_unique<MemoryLink>(
          [](const QByteArray&) { return wire::withCrc(QByteArray::fromHex("018302")); });
    });
    rig.ws.monitor.labels.setText(QStringLiteral("lblCurrA"), QStringLiteral("Ia = 2.50 A"));
    QVERIFY_THROWS_EXCEPTION(Error, actrefreshExecute(rig.ws, rig.ws.monitor));
    QCOMPARE(rig.label("lblCurrA"), QStringLiteral("Ia = 2.50 A"));
    QVERIFY(rig.ws.monitor.mmMess.lines().isEmpty());
    QVERIFY(!rig.session.Port1.isOpen());
  }

  // The snapshot of one refresh: both kinds of value in amperes, whatever
  // the page shows.
  void snapshotInAmperes_data() {
    QTest::addColumn<int>("ctSecondary");
    QTest::addColumn<int>("earthSecondary");
    QTest::addColumn<bool>("ratios");
    QTest::addColumn<double>("primaryIa");
    QTest::addColumn<double>("primaryIo");
    QTest::addColumn<double>("primaryLastZnz");

    QTest::newRow("200/5 and 30/10: x40, x3") << 5 << 10 << true << 100.0 << 0.111 << 0.03;
    QTest::newRow("phase secondary 0") << 0 << 10 << false << 0.0 << 0.0 << 0.0;
    QTest::newRow("earth secondary 0") << 5 << 0 << false << 0.0 << 0.0 << 0.0;
  }

  void snapshotInAmperes() {
    QFETCH(int, ctSecondary);
    QFETCH(int, earthSecondary);
    QFETCH(bool, ratios);
    QFETCH(double, primaryIa);
    QFETCH(double, primaryIo);
    QFETCH(double, primaryLastZnz);
    LivePage rig;
    rig.session.vmk.setup.CtSecondary = std::uint16_t(ctSecondary);
    rig.session.vmk.setup.EarthCtSecondary = std::uint16_t(earthSecondary);
    setCurrents(rig.device(), 250, 37, 10001, 10);
    rig.device().setRegister(reg::kIb, 1);

    const Result<LiveSnapshot> live = readLiveValues(rig.session);
    QCOMPARE(live.outcome, Outcome::Done);
    const LiveSnapshot& s = live.value;
    QCOMPARE(s.secondary.ia.amperes(), 2.5);
    QCOMPARE(s.secondary.ib.amperes(), 0.01);
    QCOMPARE(s.secondary.io.amperes(), 0.037);
    QCOMPARE(s.secondary.lastMtz.amperes(), 100.01);
    QCOMPARE(s.secondary.lastZnz.amperes(), 0.01);
    QCOMPARE(s.ratios.has_value(), ratios);
    if (ratios) QCOMPARE(*s.ratios, (CurrentRatios{40, 3}));
    QCOMPARE(s.primary.ia.amperes(), primaryIa);
    QCOMPARE(s.primary.ic.amperes(), primaryIa);
    QCOMPARE(s.primary.io.amperes(), primaryIo);
    QCOMPARE(s.primary.lastZnz.amperes(), primaryLastZnz);
    QCOMPARE(&s.currents(true), &s.primary);
    // One read of the live block, nothing shown, the port closed.
    QCOMPARE(rig.registerRequests(), (QList<Request>{{3, reg::kLive.first, reg::kLive.count}}));
    QVERIFY(rig.prompts.asked().isEmpty());
    QVERIFY(rig.ws.monitor.labels.labels().isEmpty());
    QVERIFY(!rig.session.Port1.isOpen());
  }

  void snapshotInputsAndFlags() {
    LivePage rig;
    sim::Device& d = rig.device();
    d.setRegister(reg::kInputs, 0b110010);
    d.setRegister(reg::kStageFlags + 1, 3);       // МТЗ 2: bit 0 set
    d.setRegister(reg::kStageFlags + 2, 2);       // МТЗ 3: bit 0 clear
    d.setRegister(reg::kStageFlags + 3, 0x8001);  // ЗНЗ
    const Result<LiveSnapshot> live = readLiveValues(rig.session);
    QVERIFY(live.ok());
    QCOMPARE(live.value.inputs, (std::array<bool, 6>{false, true, false, false, true, true}));
    QCOMPARE(live.value.stages, (std::array<bool, 4>{false, true, false, true}));
    QVERIFY(!live.value.reclosing);
    d.setRegister(reg::kReclosingFlag, 1);
    QVERIFY(readLiveValues(rig.session).value.reclosing);
  }

  // Only a whole live block is a refresh; the page keeps what it showed.
  void snapshotOutcomes_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("silence") << int(Fault::Silence) << Outcome::NoAnswer;
    QTest::newRow("cut short") << int(Fault::Truncate) << Outcome::NoAnswer;
  }

  void snapshotOutcomes() {
    QFETCH(int, fault);
    QFETCH(Outcome, outcome);
    LivePage rig;
    actrefreshExecute(rig.ws, rig.ws.monitor);
    QVERIFY(rig.ws.monitor.last.has_value());
    const QString before = rig.label("lblCurrA");
    rig.plan.fault = [fault](const QByteArray&) { return Fault(fault); };
    QCOMPARE(readLiveValues(rig.session).outcome, outcome);
    QVERIFY(!rig.session.Port1.isOpen());
    QVERIFY_THROWS_EXCEPTION(Error, actrefreshExecute(rig.ws, rig.ws.monitor));
    QCOMPARE(rig.label("lblCurrA"), before);
  }

  void exceptionReplyIsABadReply() {
    LivePage rig;
    rig.session.Port1.setLinkFactory([](const PortSettings&) {
      return std::make_unique<MemoryLink>(
          [](const QByteArray&) { return wire::withCrc(QByteArray::fromHex("018302")); });
    });
    QCOMPARE(readLiveValues(rig.session).outcome, Outcome::BadReply);
  }

  void interval_data() {
    QTest::addColumn<bool>("russian");
    QTest::addColumn<QVariant>("entry");  // invalid = box cancelled
    QTest::addColumn<int>("ms");
    QTest::addColumn<QString>("status");

    QTest::newRow("half second, comma") << true << QVariant(QStringLiteral("0,5")) << 500 << "Автообновление 0,50 с";
    QTest::newRow("half second, point") << true << QVariant(QStringLiteral("0.5")) << 500 << "Автообновление 0,50 с";
    QTest::newRow("default") << true << QVariant(QStringLiteral("5")) << 5000 << "Автообновление 5,00 с";
    QTest::newRow("default, C") << false << QVariant(QStringLiteral("5")) << 5000 << "Автообновление 5.00 с";
    QTest::newRow("cancel takes the default") << false << QVariant() << 5000 << "Автообновление 5.00 с";
    QTest::newRow("60") << false << QVariant(QStringLiteral("60")) << 60000 << "Автообновление 60.00 с";
    QTest::newRow("above 60 runs at 60") << false << QVariant(QStringLiteral("90")) << 60000 << "Автообновление 60.00 с";
  }

  void interval() {
    QFETCH(bool, russian);
    QFETCH(QVariant, entry);
    QFETCH(int, ms);
    QFETCH(QString, status);
    LivePage rig(russian ? QLocale(QLocale::Russian, QLocale::Russia) : QLocale::c());
    rig.prompts.answerInput(entry.isValid() ? std::optional<QString>(entry.toString()) : std::nullopt);
    actSetTimerRefreshExecute(rig.ws, rig.ws.monitor);

    const Asked& asked = rig.prompts.asked().first();
    QCOMPARE(asked.caption, QStringLiteral("Интервал обновления"));
    QCOMPARE(asked.text, QStringLiteral("Введите время (1..60) с"));
    QVERIFY(rig.timer.isActive());
    QCOMPARE(rig.timer.interval(), ms);
    QVERIFY(rig.ws.monitor.AutoRefreshOn);
    QCOMPARE(rig.ws.status.text(3), status);
    QCOMPARE(rig.ws.pages.action(QStringLiteral("actSetTimerRefresh")).image, 3);
    QCOMPARE(rig.ws.pages.action(QStringLiteral("actSetTimerRefresh")).hint,
             QStringLiteral("Отключить автоматическое обновление"));

    // A second use switches off without asking.
    rig.prompts.forget();
    actSetTimerRefreshExecute(rig.ws, rig.ws.monitor);
    QVERIFY(rig.prompts.asked().isEmpty());
    QVERIFY(!rig.timer.isActive());
    QVERIFY(!rig.ws.monitor.AutoRefreshOn);
    QCOMPARE(rig.ws.status.text(3), QStringLiteral("Автообновления нет"));
    QCOMPARE(rig.ws.pages.action(QStringLiteral("actSetTimerRefresh")).image, 4);
    QCOMPARE(rig.ws.pages.action(QStringLiteral("actSetTimerRefresh")).hint,
             QStringLiteral("Включить автоматическое обновление"));
  }

  void badIntervalStartsNothing_data() {
    QTest::addColumn<QString>("entry");
    QTest::newRow("zero") << "0";
    QTest::newRow("negative") << "-5";
    QTest::newRow("not a number") << "пять";
    QTest::newRow("empty") << "";
    QTest::newRow("rounds to 0 ms") << "0,0001";
  }

  void badIntervalStartsNothing() {
    QFETCH(QString, entry);
    LivePage rig(QLocale(QLocale::Russian, QLocale::Russia));
    rig.ws.status.setText(3, QStringLiteral("Автообновления нет"));
    rig.prompts.answerInput(entry);
    actSetTimerRefreshExecute(rig.ws, rig.ws.monitor);
    QCOMPARE(rig.timer.starts(), 0);
    QVERIFY(!rig.ws.monitor.AutoRefreshOn);
    QCOMPARE(rig.ws.status.text(3), QStringLiteral("Автообновления нет"));
    QCOMPARE(rig.prompts.boxTexts().size(), 1);
    QVERIFY(rig.prompts.boxTexts().first().startsWith(QStringLiteral("Неверный интервал обновления")));
  }

  void tickRefreshesOnPageOneOnly() {
    LivePage rig;
    rig.prompts.answerInput(QStringLiteral("1"));
    actSetTimerRefreshExecute(rig.ws, rig.ws.monitor);
    RefreshTimerTimer(rig.ws);
    QCOMPARE(rig.ws.monitor.mmMess.lines().size(), 1);

    // Page 1 left and entered again through the page rule: the auto-refresh
    // is off and shown off, and ticks do nothing until it is switched on.
    pgcMainChange(rig.ws, kPageSettings);
    QVERIFY(!rig.timer.isActive());
    QVERIFY(!rig.ws.monitor.AutoRefreshOn);
    QCOMPARE(rig.ws.status.text(3), QStringLiteral("Автообновления нет"));
    QCOMPARE(rig.ws.pages.action(QStringLiteral("actSetTimerRefresh")).image, 4);
    RefreshTimerTimer(rig.ws);
    pgcMainChange(rig.ws, kPageDinamic);
    RefreshTimerTimer(rig.ws);
    QCOMPARE(rig.ws.monitor.mmMess.lines().size(), 1);
    QCOMPARE(rig.bus.requests().size(), 1);
  }

  void failedTickRunsFailureSequenceOnce() {
    LivePage rig;
    rig.prompts.answerInput(QStringLiteral("2"));
    actSetTimerRefreshExecute(rig.ws, rig.ws.monitor);
    rig.device().setPowered(false);
    RefreshTimerTimer(rig.ws);

    QVERIFY(!rig.timer.isActive());
    QVERIFY(!rig.ws.monitor.AutoRefreshOn);
    QCOMPARE(rig.ws.status.text(3), QStringLiteral("Автообновления нет"));
    QCOMPARE(rig.prompts.boxTexts(), QStringList{kLost});
    const Asked& box = rig.prompts.asked().last();
    QCOMPARE(box.caption, QStringLiteral("Ошибка"));
    QCOMPARE(box.icon, BoxIcon::Error);
    // Page 0 through the page rule, then polling of the front connector.
    QCOMPARE(rig.ws.pages.activePage(), int(kPagePolling));
    QVERIFY(rig.ws.pages.isEnabled(QStringLiteral("actPolling")));
    QVERIFY(!rig.ws.pages.isEnabled(QStringLiteral("actrefresh")));
    QCOMPARE(rig.ws.link.lbRelay.lines(), QStringList{QStringLiteral("Связи с устройством №1 нет")});
    QVERIFY(!rig.session.Port1.isOpen());

    // Later ticks find page 0 and the auto-refresh off: nothing more.
    RefreshTimerTimer(rig.ws);
    QCOMPARE(rig.prompts.boxTexts().size(), 1);
  }
};

QTEST_GUILESS_MAIN(TestCurrentValues)
#include "test_current_values.moc"
