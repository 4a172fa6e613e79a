#include <QtTest>

#include "extlib/crc16.h"
#include "extlib/memory_link.h"
#include "monitor/remote_control.h"
#include "shell/monitor_commands.h"
#include "shell/page_rules.h"
#include "tests/support/device_fixture.h"

using namespace vmk;
using namespace vmk::test;

Q_DECLARE_METATYPE(vmk::Outcome)

namespace {

// Page 1 with a device at address 1 as a connection leaves it, the device
// password ABCD.
struct CommandPage : DeviceFixture {
  CommandPage() : DeviceFixture(QDateTime(QDate(2011, 3, 14), QTime(9, 26, 53))) {
    add(1);
    session.DeviceAddress = 1;
    session.vmk.setup.DevicePassword = QStringLiteral("ABCD");
    BlockTabSheet(ws, false);
    ws.pages.setActivePage(kPageDinamic);
  }
  LiveView& view() { return ws.monitor.view; }
};

}  // namespace

class TestRemoteControl : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void confirmedCommandsLogOneLine_data() {
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("line");
    QTest::newRow("relay 1") << 1 << "09:26:53 Команда управления реле 1";
    QTest::newRow("relay 3") << 3 << "09:26:53 Команда управления реле 3";
    QTest::newRow("relay 5") << 5 << "09:26:53 Команда управления реле 5";
    QTest::newRow("acknowledge") << 6 << "09:26:53 Квитирование аварий";
    QTest::newRow("recorder") << 7 << "09:26:53 Удаленный пуск регистратора";
  }

  void confirmedCommandsLogOneLine() {
    QFETCH(int, tag);
    QFETCH(QString, line);
    CommandPage rig;
    rig.prompts.answerPassword(QStringLiteral("ABCD"));
    SetCommand(rig.ws, rig.ws.monitor, tag);
    QCOMPARE(rig.ws.monitor.mmMess.lines(), QStringList{line});
    QVERIFY(rig.prompts.boxTexts().isEmpty());
    QCOMPARE(rig.bus.requests().size(), 1);
    QCOMPARE(rig.bus.requests().first().left(4),
             QByteArray::fromHex("0105") + QByteArray::fromHex(QByteArray::number(0x3000 + tag - 1, 16)));
    QVERIFY(!rig.session.Port1.isOpen());
  }

  void relayThreeOperatesTheSimulatedRelay() {
    CommandPage rig;
    rig.device().setRegister(125, 50);  // relay 3 contact time, 0.5 s
    QCOMPARE(rig.device().outputs() & 0x04, 0);
    rig.prompts.answerPassword(QStringLiteral("ABCD"));
    SetCommand(rig.ws, rig.ws.monitor, 3);
    QCOMPARE(rig.device().outputs(), std::uint8_t(0x04));
  }

  void unconfirmedCommandIsSilent_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("byte 4 is 0") << QByteArray::fromHex("0105300200");
    QTest::newRow("other address") << QByteArray::fromHex("02053002ff");
    QTest::newRow("exception") << QByteArray::fromHex("018502");
    QTest::newRow("silence") << QByteArray();
  }

  void unconfirmedCommandIsSilent() {
    QFETCH(QByteArray, reply);
    CommandPage rig;
    // The port closes its link at the end of the command: count here.
    int requests = 0;
    rig.session.Port1.setLinkFactory([&](const PortSettings&) {
      return std::make_unique<MemoryLink>([reply, &requests](const QByteArray&) {
        ++requests;
        if (reply.isEmpty()) return QByteArray();
        QByteArray frame = reply;
        if (frame.size() == 5) frame += QByteArray::fromHex("00");  // value low byte
        return wire::withCrc(frame);
      });
    });
    rig.prompts.answerPassword(QStringLiteral("ABCD"));
    SetCommand(rig.ws, rig.ws.monitor, 3);
    QCOMPARE(requests, 1);
    QVERIFY(rig.ws.monitor.mmMess.lines().isEmpty());
    QVERIFY(rig.prompts.boxTexts().isEmpty());
    QVERIFY(!rig.session.Port1.isOpen());
  }

  // What each way of answering a command gives, for every command.
  void commandOutcomes_data() {
    QTest::addColumn<QByteArray>("reply");  // without its CRC; empty = silence
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("confirmed") << QByteArray::fromHex("01053002ff00") << Outcome::Done;
    QTest::newRow("byte 4 is 0") << QByteArray::fromHex("010530020000") << Outcome::DeviceRefused;
    QTest::newRow("exception") << QByteArray::fromHex("018502") << Outcome::DeviceRefused;
    QTest::newRow("other address") << QByteArray::fromHex("02053002ff00") << Outcome::BadReply;
    QTest::newRow("silence") << QByteArray() << Outcome::NoAnswer;
  }

  void commandOutcomes() {
    QFETCH(QByteArray, reply);
    QFETCH(Outcome, outcome);
    CommandPage rig;
    QList<QByteArray> sent;
    rig.session.Port1.setLinkFactory([&](const PortSettings&) {
      return std::make_unique<MemoryLink>([reply, &sent](const QByteArray& request) {
        sent << request;
        if (reply.isEmpty()) return QByteArray();
        return wire::withCrc(reply);
      });
    });
    for (int relay = 1; relay <= 5; ++relay)
      QCOMPARE(sendRemoteCommand(rig.session, *relayCommand(relay)), outcome);
    QCOMPARE(sendRemoteCommand(rig.session, RemoteCommand::Acknowledge), outcome);
    QCOMPARE(sendRemoteCommand(rig.session, RemoteCommand::RecorderStart), outcome);
    QCOMPARE(sent.size(), 7);
    QCOMPARE(sent[2].left(4), QByteArray::fromHex("01053002"));
    QCOMPARE(sent[5].left(4), QByteArray::fromHex("01053005"));
    QCOMPARE(sent[6].left(4), QByteArray::fromHex("01053006"));
    QVERIFY(!rig.session.Port1.isOpen());
    QVERIFY(rig.ws.monitor.mmMess.lines().isEmpty());
  }

  void clockOutcomes() {
    CommandPage rig;
    const QDateTime moment(QDate(2011, 2, 1), QTime(13, 5, 7));
    QCOMPARE(sendRemoteCommand(rig.session, RemoteCommand::ClockSet, moment), Outcome::Done);
    QCOMPARE(rig.device().clock(), moment);
    // An invalid moment is refused before anything is sent.
    rig.forgetRequests();
    QCOMPARE(sendRemoteCommand(rig.session, RemoteCommand::ClockSet, QDateTime()),
             Outcome::InputRefused);
    QVERIFY(rig.requests().isEmpty());
    rig.device().setPowered(false);
    QCOMPARE(sendRemoteCommand(rig.session, RemoteCommand::ClockSet, moment), Outcome::NoAnswer);
    QVERIFY(!rig.session.Port1.isOpen());
  }

  void tagsAndRelays() {
    QCOMPARE(commandOfTag(3), std::optional(RemoteCommand::Relay3));
    QCOMPARE(commandOfTag(8), std::optional(RemoteCommand::ClockSet));
    QVERIFY(!commandOfTag(0) && !commandOfTag(9));
    QCOMPARE(relayCommand(5), std::optional(RemoteCommand::Relay5));
    QVERIFY(!relayCommand(0) && !relayCommand(6));
  }

  void passwordGuardsEveryCommand_data() {
    QTest::addColumn<QString>("devicePassword");
    QTest::addColumn<QVariant>("entry");  // invalid = prompt cancelled
    QTest::addColumn<bool>("refused");    // "Ошибка ввода пароля!" shown
    QTest::newRow("wrong") << "ABCD" << QVariant(QStringLiteral("ABCE")) << true;
    QTest::newRow("prefix") << "ABCD" << QVariant(QStringLiteral("ABC")) << true;
    QTest::newRow("empty once a password was read") << "ABCD" << QVariant(QString()) << true;
    QTest::newRow("any entry before a password was read") << "" << QVariant(QStringLiteral("ABCD")) << true;
    QTest::newRow("cancelled") << "ABCD" << QVariant() << false;
  }

  void passwordGuardsEveryCommand() {
    QFETCH(QString, devicePassword);
    QFETCH(QVariant, entry);
    QFETCH(bool, refused);
    for (int tag = 1; tag <= 8; ++tag) {
      CommandPage rig;
      rig.session.vmk.setup.DevicePassword = devicePassword;
      rig.prompts.answerPassword(entry.isValid() ? std::optional<QString>(entry.toString())
                                                 : std::nullopt);
      SetCommand(rig.ws, rig.ws.monitor, tag);
      QCOMPARE(rig.prompts.boxTexts(),
               refused ? QStringList{QStringLiteral("Ошибка ввода пароля!")} : QStringList());
      QCOMPARE(rig.opens(), 0);
      QVERIFY(rig.bus.requests().isEmpty());
      QVERIFY(rig.ws.monitor.mmMess.lines().isEmpty());
    }
  }

  void emptyEntryPassesBeforeAPasswordWasRead() {
    CommandPage rig;
    rig.session.vmk.setup.DevicePassword.clear();
    rig.prompts.answerPassword(QString());
    SetCommand(rig.ws, rig.ws.monitor, 6);
    QCOMPARE(rig.ws.monitor.mmMess.lines(), QStringList{QStringLiteral("09:26:53 Квитирование аварий")});
  }

  void clockFromThePickers() {
    CommandPage rig;
    rig.view().setManualClock(true);
    rbAutoTimeClick(rig.ws, rig.ws.monitor);
    QVERIFY(rig.view().pickersVisible());
    rig.view().setPickerDate(QDate(2011, 2, 1));
    rig.view().setPickerTime(QTime(13, 5, 7, 450));
    rig.prompts.answerPassword(QStringLiteral("ABCD"));
    SetCommand(rig.ws, rig.ws.monitor, 8);

    QCOMPARE(rig.ws.monitor.mmMess.lines(),
             QStringList{QStringLiteral("09.26.53 Синхронизация времени. Установлено 01.02.2011 13.05.07")});
    QCOMPARE(rig.bus.requests().size(), 1);
    QCOMPARE(rig.bus.requests().first().mid(7, 6), QByteArray::fromHex("110201130507"));
    QCOMPARE(rig.device().clock(), QDateTime(QDate(2011, 2, 1), QTime(13, 5, 7)));
  }

  void clockFromThePcAfterThePasswordStep() {
    CommandPage rig;
    // The PC clock moves on while the password prompt is open.
    rig.prompts.answerPassword(QStringLiteral("ABCD"));
    rig.clock.set(QDateTime(QDate(2011, 3, 14), QTime(0, 0, 0)));
    SetCommand(rig.ws, rig.ws.monitor, 8);
    QCOMPARE(rig.ws.monitor.mmMess.lines(),
             QStringList{QStringLiteral("00.00.00 Синхронизация времени. Установлено 14.03.2011")});
    QCOMPARE(rig.device().clock(), QDateTime(QDate(2011, 3, 14), QTime(0, 0, 0)));
  }

  void refusedClock() {
    CommandPage rig;
    rig.device().setPowered(false);
    rig.prompts.answerPassword(QStringLiteral("ABCD"));
    SetCommand(rig.ws, rig.ws.monitor, 8);
    QCOMPARE(rig.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка установки даты и времени")});
    QVERIFY(rig.ws.monitor.mmMess.lines().isEmpty());
    QVERIFY(!rig.session.Port1.isOpen());
  }

  void radioClickResetsBothPickers() {
    CommandPage rig;
    rig.view().setPickerDate(QDate(2001, 1, 1));
    rig.view().setPickerTime(QTime(1, 1, 1));
    rig.view().setManualClock(true);
    rbAutoTimeClick(rig.ws, rig.ws.monitor);
    QCOMPARE(rig.view().pickerDate(), QDate(2011, 3, 14));
    QCOMPARE(rig.view().pickerTime(), QTime(9, 26, 53));
    QVERIFY(rig.view().pickersVisible());
    rig.view().setManualClock(false);
    rbAutoTimeClick(rig.ws, rig.ws.monitor);
    QVERIFY(!rig.view().pickersVisible());
  }

  void unknownTagDoesNothing() {
    CommandPage rig;
    SetCommand(rig.ws, rig.ws.monitor, 0);
    SetCommand(rig.ws, rig.ws.monitor, 9);
    QVERIFY(rig.prompts.asked().isEmpty());
    QCOMPARE(rig.opens(), 0);
  }
};

QTEST_GUILESS_MAIN(TestRemoteControl)
#include "test_remote_control.moc"
