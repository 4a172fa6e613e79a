// The service menu's operations against the simulated device: the access
// code and its nonce chain, the password step, the four requests with
// their device effects and memo lines, and the calibration bracket.

#include <QtTest>

#include "extlib/crc16.h"
#include "extlib/registers.h"
#include "extlib/transport_error.h"
#include "extlib/wire_table.h"
#include "service/service_menu.h"
#include "sim/device.h"
#include "tests/support/device_fixture.h"

using namespace vmk;
using namespace vmk::test;

Q_DECLARE_METATYPE(vmk::Outcome)
Q_DECLARE_METATYPE(vmk::ServiceErase)

namespace {

const QString kWrong = QStringLiteral("Ошибка ввода пароля!");

struct Fixture : DeviceFixture {
  explicit Fixture(int variant = 1) {
    add(1, variant);
    connectTo(1);
  }
  ServiceContext context() { return {session, prompts, ws.monitor.mmMess, clock}; }
  sim::Device& dev() { return device(1); }
  // Service requests written to the line: sub-function, code, argument.
  struct Sent { int sub; int code; int argument; };
  QList<Sent> sent() const {
    QList<Sent> out;
    for (const QByteArray& r : plan.requestsOf(wire::kService))
      out.append({std::uint8_t(r[2]), wire::wordAt(r, 3), wire::wordAt(r, 5)});
    return out;
  }
};

}  // namespace

class TestServiceMenu : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void accessCode_data() {
    QTest::addColumn<int>("nonce");
    QTest::addColumn<int>("serial");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("code");
    // (0x1234 ^ 0x0F0F) | 0x4142 = 0x5D7B, + 0x5A
    QTest::newRow("plain") << 0x1234 << 0x0F0F << "ABCD" << 0x5DD5;
    // Letters 3 and 4 take no part.
    QTest::newRow("letters 3, 4") << 0x1234 << 0x0F0F << "ABZZ" << 0x5DD5;
    // 0xFFFF + 0x5A wraps round.
    QTest::newRow("wrap-around") << 0xFFFF << 0 << "ZZZZ" << 0x0059;
    QTest::newRow("nonce equals serial") << 0x4321 << 0x4321 << "AA" << 0x419B;
  }
  void accessCode() {
    QFETCH(int, nonce);
    QFETCH(int, serial);
    QFETCH(QString, password);
    QFETCH(int, code);
    QCOMPARE(int(serviceAccessCode(std::uint16_t(nonce), std::uint16_t(serial), password)), code);
    // The firmware's side (the simulated device) agrees.
    const std::uint16_t word = std::uint16_t(password.at(0).unicode() << 8 | password.at(1).unicode());
    QCOMPARE(int(sim::Device::accessCode(std::uint16_t(nonce), std::uint16_t(serial), word)), code);
  }

  void serialEntry_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("serial");  // -1: none
    QTest::newRow("65535 as it is") << "65535" << 65535;
    QTest::newRow("65536 held") << "65536" << 65535;
    QTest::newRow("99999 held") << "99999" << 65535;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("leading zeros") << "00042" << 42;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("six digits") << "123456" << -1;
    QTest::newRow("letter") << "12a" << -1;
    QTest::newRow("minus") << "-1" << -1;
  }
  void serialEntry() {
    QFETCH(QString, text);
    QFETCH(int, serial);
    const std::optional<std::uint16_t> s = serialFromEntry(text);
    QCOMPARE(s ? int(*s) : -1, serial);
  }

  void serialKeys() {
    for (char16_t k = u'0'; k <= u'9'; ++k) QVERIFY(serialKeyAllowed(k));
    QVERIFY(serialKeyAllowed(8));
    for (char16_t k : {u'a', u'Z', u'-', u' ', u'.', char16_t(0x0431), char16_t(u'/'), char16_t(u':')})
      QVERIFY2(!serialKeyAllowed(k), qPrintable(QString(QChar(k))));
  }

  // Cancel, an empty entry or a wrong one: no port opened, nothing sent.
  void passwordStopsEveryOperation_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<std::optional<QString>>("entry");
    QTest::addColumn<QStringList>("afterWarning");
    QTest::addColumn<Outcome>("outcome");
    const std::optional<QString> cancel;
    const std::optional<QString> empty = QString();
    const std::optional<QString> wrong = QStringLiteral("ABCD");
    for (const char* item : {"N9", "N10", "N11", "N12", "N13"}) {
      QTest::addRow("%s cancel", item) << item << cancel << QStringList{} << Outcome::Cancelled;
      QTest::addRow("%s empty", item) << item << empty << QStringList{} << Outcome::Cancelled;
      QTest::addRow("%s wrong", item) << item << wrong << QStringList{kWrong} << Outcome::WrongPassword;
    }
  }
  void passwordStopsEveryOperation() {
    QFETCH(QString, item);
    QFETCH(std::optional<QString>, entry);
    QFETCH(QStringList, afterWarning);
    QFETCH(Outcome, outcome);
    Fixture f;
    const int opens = f.opens();
    f.prompts.answerNumber(QStringLiteral("123"));
    f.prompts.answerPassword(entry);
    bool windowRan = false;
    Outcome o = Outcome::Done;
    if (item == QLatin1String("N9")) o = N9Click(f.context());
    else if (item == QLatin1String("N10")) o = runServiceErase(f.context(), ServiceErase::ClearStats);
    else if (item == QLatin1String("N11")) o = runServiceErase(f.context(), ServiceErase::EraseOsc);
    else if (item == QLatin1String("N12")) o = runServiceErase(f.context(), ServiceErase::EraseEvents);
    else o = N13Click(f.context(), [&] { windowRan = true; });
    QCOMPARE(o, outcome);
    QCOMPARE(f.opens(), opens);
    QVERIFY(f.requests().isEmpty());
    QVERIFY(!windowRan);
    QVERIFY(f.ws.monitor.mmMess.lines().isEmpty());
    QStringList boxes = f.prompts.boxTexts();
    // The erasing items and the number change warn first; calibration does not.
    if (item != QLatin1String("N13")) QVERIFY(boxes.takeFirst().startsWith(QStringLiteral("Внимание!")));
    QCOMPARE(boxes, afterWarning);
  }

  void erasing_data() {
    QTest::addColumn<ServiceErase>("what");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("line");
    QTest::newRow("statistics") << ServiceErase::ClearStats
        << "Внимание! При правильном вводе пароля произойдёт стирание статистики устройства!"
        << "10:00:00 Статистика обнулена.";
    QTest::newRow("oscillograms") << ServiceErase::EraseOsc
        << "Внимание! При правильном вводе пароля произойдёт стирание журнала осцилограмм и "
           "стирание флэш-памяти устройства!"
        << "10:00:00 Стёрт журнал осцилограмм.";
    QTest::newRow("events") << ServiceErase::EraseEvents
        << "Внимание! При правильном вводе пароля произойдёт стирание журнала событий устройства!"
        << "10:00:00 Стёрт журнал событий.";
  }
  void erasing() {
    QFETCH(ServiceErase, what);
    QFETCH(QString, warning);
    QFETCH(QString, line);
    Fixture f;
    sim::Device& d = f.dev();
    d.setRegister(reg::kStatistics.first, 7);
    QVERIFY(d.recorder().isValid(0));
    QVERIFY(!d.journal().record(0).erased);
    f.prompts.answerPassword(QStringLiteral("AAAA"));
    QCOMPARE(runServiceErase(f.context(), what), Outcome::Done);
    QCOMPARE(f.prompts.asked()[0].icon, BoxIcon::Error);
    QCOMPARE(f.prompts.boxTexts(), QStringList{warning});
    QCOMPARE(f.ws.monitor.mmMess.lines(), QStringList{line});
    QCOMPARE(f.sent().size(), 1);
    QCOMPARE(f.sent()[0].sub, int(what));
    QCOMPARE(f.sent()[0].argument, 0);
    QCOMPARE(d.registerValue(reg::kStatistics.first) == 0, what == ServiceErase::ClearStats);
    QCOMPARE(!d.recorder().isValid(0), what == ServiceErase::EraseOsc);
    if (what == ServiceErase::EraseEvents) QVERIFY(d.journal().record(0).erased);
    QCOMPARE(f.session.vmk.ServiceNonce, d.nonce());
    QVERIFY(!f.portOpen());
  }

  // A refused request shows nothing; its reply's nonce still keys the next
  // request, which the device then carries out.
  void nonceChainsThroughARefusal() {
    Fixture f;
    f.dev().setNonce(0x3333);  // the session still holds 0: a wrong code
    f.prompts.answerPassword(QStringLiteral("AAAA"));
    QCOMPARE(runServiceErase(f.context(), ServiceErase::ClearStats), Outcome::DeviceRefused);
    QVERIFY(f.ws.monitor.mmMess.lines().isEmpty());
    QCOMPARE(f.prompts.boxTexts().size(), 1);  // the warning only
    QVERIFY(!f.portOpen());
    const std::uint16_t nonce = f.dev().nonce();
    QCOMPARE(f.session.vmk.ServiceNonce, nonce);

    f.prompts.answerPassword(QStringLiteral("AAAA"));
    QCOMPARE(runServiceErase(f.context(), ServiceErase::EraseEvents), Outcome::Done);
    QCOMPARE(f.sent().size(), 2);
    QCOMPARE(f.sent()[1].code, int(serviceAccessCode(nonce, f.session.vmk.SerialNumber, "AAAA")));
    QCOMPARE(f.ws.monitor.mmMess.lines(), QStringList{"10:00:00 Стёрт журнал событий."});
  }

  void serialChange_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("sent");
    QTest::newRow("12345") << "12345" << 12345;
    QTest::newRow("65535") << "65535" << 65535;
    QTest::newRow("65536 as 65535") << "65536" << 65535;
    QTest::newRow("99999 as 65535") << "99999" << 65535;
  }
  void serialChange() {
    QFETCH(QString, entry);
    QFETCH(int, sent);
    Fixture f;
    f.prompts.answerNumber(entry);
    f.prompts.answerPassword(QStringLiteral("AAAA"));
    QCOMPARE(N9Click(f.context()), Outcome::Done);
    QCOMPARE(f.prompts.asked()[0].kind, QStringLiteral("number"));
    QCOMPARE(f.prompts.asked()[0].caption, QStringLiteral("Ввод серийного номера"));
    QCOMPARE(f.prompts.asked()[0].text, QStringLiteral("Серийный номер:"));
    QCOMPARE(f.prompts.boxTexts(),
             QStringList{"Внимание! При правильном вводе пароля произойдёт смена серийного номера устройства!"});
    QCOMPARE(f.sent()[0].sub, 0);
    QCOMPARE(f.sent()[0].argument, sent);
    QCOMPARE(int(f.dev().factoryNumber()), sent);
    QCOMPARE(int(f.session.vmk.SerialNumber), sent);
    QCOMPARE(f.ws.monitor.mmMess.lines(), QStringList{"10:00:00 Изменён серийный номер устройства."});

    // The next code is made with the new number: the device carries it out.
    const std::uint16_t nonce = f.session.vmk.ServiceNonce;
    f.prompts.answerPassword(QStringLiteral("AAAA"));
    QCOMPARE(runServiceErase(f.context(), ServiceErase::ClearStats), Outcome::Done);
    QCOMPARE(f.sent()[1].code, int(serviceAccessCode(nonce, std::uint16_t(sent), "AAAA")));
  }

  void serialEntryCancelledOrEmpty() {
    for (const std::optional<QString>& entry : {std::optional<QString>(), std::optional<QString>(QString())}) {
      Fixture f;
      f.prompts.answerNumber(entry);
      QCOMPARE(N9Click(f.context()), Outcome::Cancelled);
      QCOMPARE(f.prompts.asked().size(), 1);  // the dialog only: no warning, no password
      QVERIFY(f.requests().isEmpty());
    }
  }

  // The number is taken as soon as the device answers, carried out or not;
  // without an answer it stays.
  void serialTakenOnAnyAnswer() {
    Fixture f;
    const std::uint16_t before = f.session.vmk.SerialNumber;
    f.dev().setNonce(0x1111);
    f.prompts.answerPassword(QStringLiteral("AAAA"));
    QCOMPARE(changeSerialNumber(f.context(), 4242), Outcome::DeviceRefused);
    QCOMPARE(int(f.session.vmk.SerialNumber), 4242);
    QCOMPARE(f.dev().factoryNumber(), before);
    QVERIFY(f.ws.monitor.mmMess.lines().isEmpty());

    Fixture g;
    const std::uint16_t kept = g.session.vmk.SerialNumber;
    g.plan.fault = [](const QByteArray&) { return Fault::Silence; };
    g.prompts.answerPassword(QStringLiteral("AAAA"));
    QCOMPARE(changeSerialNumber(g.context(), 4242), Outcome::NoAnswer);
    QCOMPARE(g.session.vmk.SerialNumber, kept);
    QCOMPARE(g.prompts.boxTexts().size(), 1);  // the warning; silence shows nothing
    QVERIFY(!g.portOpen());
  }

  void calibrationBracket() {
    Fixture f;
    f.prompts.answerPassword(QStringLiteral("AAAA"));
    bool inside = false;
    const Outcome o = N13Click(f.context(), [&] {
      inside = true;
      QVERIFY(!f.portOpen());
      QVERIFY(f.dev().calibration().calibrationMode());
      QCOMPARE(f.ws.monitor.mmMess.lines(), QStringList{"10:00:00 Начало калибровки."});
    });
    QCOMPARE(o, Outcome::Done);
    QVERIFY(inside);
    QVERIFY(!f.dev().calibration().calibrationMode());
    QCOMPARE(f.ws.monitor.mmMess.lines(),
             (QStringList{"10:00:00 Начало калибровки.", "10:00:00 Конец калибровки."}));
    const auto s = f.sent();
    QCOMPARE(s.size(), 2);
    QCOMPARE(s[0].sub, 4);
    QCOMPARE(s[0].argument, 0);
    QCOMPARE(s[1].argument, 0xFFFF);
    QVERIFY(s[1].code != s[0].code);  // a new nonce in between
    QVERIFY(f.prompts.boxTexts().isEmpty());
    QVERIFY(!f.portOpen());
  }

  void calibrationRefusedOpensNoWindow() {
    Fixture f;
    f.dev().setNonce(0x2222);
    f.prompts.answerPassword(QStringLiteral("AAAA"));
    bool ran = false;
    QCOMPARE(N13Click(f.context(), [&] { ran = true; }), Outcome::DeviceRefused);
    QVERIFY(!ran);
    QCOMPARE(f.sent().size(), 1);
    QVERIFY(f.ws.monitor.mmMess.lines().isEmpty());
    QVERIFY(f.prompts.boxTexts().isEmpty());
    QVERIFY(!f.portOpen());
  }

  // A device that does not answer the request to leave calibration mode
  // stays in it: unlike the other service requests, that is said.
  void calibrationNotLeftIsReported() {
    Fixture f;
    f.prompts.answerPassword(QStringLiteral("AAAA"));
    const Outcome o = N13Click(f.context(), [&] {
      f.plan.fault = [](const QByteArray&) { return Fault::Silence; };
    });
    QCOMPARE(o, Outcome::NoAnswer);
    QVERIFY(f.dev().calibration().calibrationMode());
    QCOMPARE(f.ws.monitor.mmMess.lines(), QStringList{"10:00:00 Начало калибровки."});
    QCOMPARE(f.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка связи с устройством!")});
    QVERIFY(!f.portOpen());
  }

  // A window that fails still leaves the device out of calibration mode.
  void calibrationLeftWhenTheWindowFails() {
    Fixture f;
    f.prompts.answerPassword(QStringLiteral("AAAA"));
    bool thrown = false;
    try {
      N13Click(f.context(), [] { throw Error(QStringLiteral("порт пропал")); });
    } catch (const Error&) {
      thrown = true;
    }
    QVERIFY(thrown);
    QVERIFY(!f.dev().calibration().calibrationMode());
    QCOMPARE(f.sent().size(), 2);
    QVERIFY(!f.portOpen());
  }
};

QTEST_GUILESS_MAIN(TestServiceMenu)
#include "test_service_menu.moc"
