// The statistics counters and the alarm list against the simulated device:
// what each row shows, the progress, the failures that stop a reading and
// the rows they leave, and the texts of an alarm list that is not whole.

#include <QtTest>

#include "device/session.h"
#include "extlib/registers.h"
#include "journals/alarm_list.h"
#include "journals/journal_rows.h"
#include "journals/statistics.h"
#include "model/progress.h"
#include "model/text_grid.h"
#include "tests/journals/journal_support.h"

using namespace vmk;
using namespace vmk::test;

Q_DECLARE_METATYPE(vmk::Outcome)

namespace {

QStringList rowOf(const TextGrid& grid, int row) {
  QStringList cells;
  for (int c = 0; c < grid.columnCount(); ++c) cells << grid.cell(c, row);
  return cells;
}

void fill(TextGrid& grid, const QString& text) {
  for (int r = 0; r < grid.rowCount(); ++r)
    for (int c = 0; c < grid.columnCount(); ++c) grid.setCell(c, r, text);
}

QList<int> upTo(int last) {
  QList<int> out;
  for (int i = 0; i <= last; ++i) out << i;
  return out;
}

// A device at address 1, connected; `prepare` changes it first.
struct Reading : DeviceFixture {
  explicit Reading(const std::function<void(sim::Device&)>& prepare = {}) {
    sim::Device& d = add(1);
    if (prepare) prepare(d);
    connectTo(1);
  }
  StatReadResult stats() {
    return readStatistics(session, ws.jobs, &ws.status.progress(),
                          [this](const StatCounter& c) { showRow(ws.journals.grdStat, counterRow(c)); });
  }
  AlarmReadResult alarms() {
    return readAlarmList(session, ws.jobs, &ws.status.progress(), clock.now().date(),
                         [this](const AlarmRow& a) { showRow(ws.journals.grdAlarm, alarmRow(a)); });
  }
};

bool readsRegister(const QByteArray& request, int reg) {
  return request.size() == 8 && std::uint8_t(request[1]) == 3 && wire::wordAt(request, 2) == reg;
}

}  // namespace

class TestStatisticsAlarms : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void statisticsAreOneReadPerCounter() {
    Reading f;
    Progress& bar = f.ws.status.progress();
    QList<bool> shown;
    f.atStep = [&](int) { shown << (bar.isVisible() && bar.maximum() == 21); };

    const StatReadResult r = f.stats();

    QCOMPARE(r.outcome, Outcome::Done);
    QList<Request> expected;
    for (int i = 0; i < 22; ++i) expected.append({3, 144 + i, 1});
    QCOMPARE(f.registerRequests(), expected);
    QCOMPARE(f.steps, upTo(21));
    QCOMPARE(shown, QList<bool>(22, true));
    QVERIFY(!bar.isVisible());
    QVERIFY(!f.portOpen());
    QCOMPARE(r.counters.size(), 22);
    QCOMPARE(rowOf(f.ws.journals.grdStat, 0), QStringList({"1", "Количество пусков МТЗ 1 ступени", "12"}));
    QCOMPARE(rowOf(f.ws.journals.grdStat, 9),
             QStringList({"10", "Количество переходов состояний  входа 2", "65535"}));
    QCOMPARE(r.counters[9].value, std::uint16_t(65535));
    QCOMPARE(rowOf(f.ws.journals.grdStat, 21), QStringList({"22", "Счётчик ресурса, ч", "23871"}));
  }

  void aMissingCounterStopsTheReading() {
    Reading f;
    fill(f.ws.journals.grdStat, QStringLiteral("old"));
    f.plan.fault = [](const QByteArray& request) {
      return readsRegister(request, 149) ? Fault::Silence : Fault::None;
    };
    const StatReadResult r = f.stats();
    QCOMPARE(r.outcome, Outcome::NoAnswer);
    QCOMPARE(r.stoppedAt, 5);
    QCOMPARE(r.counters.size(), 5);
    QCOMPARE(f.ws.journals.grdStat.cell(0, 4), QStringLiteral("5"));
    for (int row = 5; row < 22; ++row) QCOMPARE(rowOf(f.ws.journals.grdStat, row), QStringList(3, "old"));
    QVERIFY(!f.portOpen());
    QVERIFY(!f.ws.status.progress().isVisible());
  }

  void aCancelStopsTheStatistics() {
    Reading f;
    f.atStep = [&f](int position) {
      if (position == 3) f.ws.jobs.requestCancel();
    };
    const StatReadResult r = f.stats();
    QCOMPARE(r.outcome, Outcome::Cancelled);
    QCOMPARE(r.counters.size(), 3);
    QCOMPARE(f.registerRequests().size(), 3);
    QVERIFY(!f.portOpen());
  }

  // ---- the alarm list ---------------------------------------------------------

  void theAlarmListFillsItsRows() {
    Reading f;
    fill(f.ws.journals.grdAlarm, QStringLiteral("old"));
    Progress& bar = f.ws.status.progress();
    QList<bool> shown;
    f.atStep = [&](int) { shown << (bar.isVisible() && bar.maximum() == 12); };

    const AlarmReadResult r = f.alarms();

    QCOMPARE(r.outcome, Outcome::Done);
    QVERIFY(r.error.isEmpty());
    QCOMPARE(f.plan.requestsOf(0x42).size(), 1);
    QCOMPARE(f.requests().size(), 1);
    QCOMPARE(f.steps, upTo(12));
    QCOMPARE(shown, QList<bool>(13, true));
    QVERIFY(!bar.isVisible());
    QVERIFY(!f.portOpen());
    const TextGrid& g = f.ws.journals.grdAlarm;
    QCOMPARE(rowOf(g, 0), QStringList({"16.03.2024 11:18:10", "Запись аварии 1", "0", "120", "50"}));
    QCOMPARE(rowOf(g, 1), QStringList({"21.03.2024 11:28:12", "Запись аварии 2", "1", "120", "50"}));
    // Erased: the ratios of the row stay as they were.
    QCOMPARE(rowOf(g, 2), QStringList({"Нет данных", "", "-1", "old", "old"}));
    QCOMPARE(rowOf(g, 4).mid(0, 3), QStringList({"24.03.2024 13:54:15", "Запись аварии 5", "4"}));
    // At midnight: the date alone.
    QCOMPARE(rowOf(g, 5).mid(0, 3), QStringList({"27.03.2024", "Запись аварии 6", "5"}));
    // Digits, all zero, but no date: no fault either.
    QCOMPARE(rowOf(g, 6), QStringList({"Нет данных", "", "-1", "old", "old"}));
    for (int row = 7; row < 13; ++row) QCOMPARE(g.cell(2, row), QStringLiteral("-1"));
    QCOMPARE(r.rows.size(), 13);
    QVERIFY(r.rows[0].valid);
    QVERIFY(!r.rows[6].valid);
  }

  void anErasedListHasNoFault() {
    Reading f([](sim::Device& d) { d.recorder().erase(); });
    const AlarmReadResult r = f.alarms();
    QCOMPARE(r.outcome, Outcome::Done);
    for (int row = 0; row < 13; ++row) {
      QCOMPARE(f.ws.journals.grdAlarm.cell(0, row), QStringLiteral("Нет данных"));
      QCOMPARE(f.ws.journals.grdAlarm.cell(1, row), QString());
      QCOMPARE(f.ws.journals.grdAlarm.cell(2, row), QStringLiteral("-1"));
    }
  }

  void aFaultAtMidnightShowsTheDateAlone() {
    Reading f([](sim::Device& d) {
      d.recorder().setEntry(3, QDateTime(QDate(2010, 12, 31), QTime(0, 0)), sim::FaultScenario{});
    });
    f.alarms();
    QCOMPARE(f.ws.journals.grdAlarm.cell(0, 3), QStringLiteral("31.12.2010"));
    QCOMPARE(f.ws.journals.grdAlarm.cell(1, 3), QStringLiteral("Запись аварии 4"));
  }

  // A transformer secondary of 0 gives the ratio 1, as in the fault texts,
  // and the list is shown.
  void aSecondaryOf0GivesTheRatio1_data() {
    QTest::addColumn<int>("reg");
    QTest::addColumn<QString>("phase");
    QTest::addColumn<QString>("earth");
    QTest::newRow("phase") << int(reg::kCtSecondary) << "1" << "50";
    QTest::newRow("earth") << int(reg::kEarthCtSecondary) << "120" << "1";
  }
  void aSecondaryOf0GivesTheRatio1() {
    QFETCH(int, reg);
    QFETCH(QString, phase);
    QFETCH(QString, earth);
    Reading f([reg](sim::Device& d) { d.setRegister(reg, 0); });
    const AlarmReadResult r = f.alarms();
    QCOMPARE(r.outcome, Outcome::Done);
    QCOMPARE(rowOf(f.ws.journals.grdAlarm, 0).mid(2), QStringList({"0", phase, earth}));
  }

  void aListThatIsNotWholeIsNotShown_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Outcome>("outcome");
    // The exception reply: address, 0xC2, code 4, CRC; frame byte 3 is the
    // CRC's low byte.
    const QByteArray exception = wire::withCrc(QByteArray::fromHex("01c204"));
    QTest::newRow("exception reply")
        << 0 << QStringLiteral("Ошибка приема данных 5|%1").arg(std::uint8_t(exception[3]))
        << Outcome::DeviceRefused;
    QTest::newRow("silence") << 1 << "Ошибка приема данных 0|0" << Outcome::NoAnswer;
    QTest::newRow("140 data bytes") << 2 << "Ошибка приема данных 157|15" << Outcome::BadReply;
  }
  void aListThatIsNotWholeIsNotShown() {
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(Outcome, outcome);
    Reading f;
    fill(f.ws.journals.grdAlarm, QStringLiteral("old"));
    if (kind == 2) {
      rewriteReplies(f, [](const QByteArray&, QByteArray& frame) { frame[4] = char(140); });
    } else {
      const Fault fault = kind == 0 ? Fault::Refuse : Fault::Silence;
      f.plan.fault = [fault](const QByteArray&) { return fault; };
    }
    const AlarmReadResult r = f.alarms();
    QCOMPARE(r.outcome, outcome);
    QCOMPARE(r.error, text);
    QVERIFY(r.rows.isEmpty());
    for (int row = 0; row < 13; ++row) QCOMPARE(rowOf(f.ws.journals.grdAlarm, row), QStringList(5, "old"));
    QVERIFY(f.steps.isEmpty());
    QVERIFY(!f.portOpen());
    QVERIFY(!f.ws.status.progress().isVisible());
  }

  void aPortFailureGivesNoReceiveText() {
    Reading f;
    f.plan.fault = [](const QByteArray&) { return Fault::Throw; };
    const AlarmReadResult r = f.alarms();
    QCOMPARE(r.outcome, Outcome::PortFailure);
    QVERIFY(r.error.isEmpty());
    QVERIFY(!f.portOpen());
  }

  void theReceiveErrorQuotesLengthAndByte3_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("text");
    QTest::newRow("5 bytes, byte 3 0x83") << QByteArray::fromHex("01c2048301") << "Ошибка приема данных 5|131";
    QTest::newRow("nothing") << QByteArray() << "Ошибка приема данных 0|0";
    QTest::newRow("3 bytes") << QByteArray::fromHex("01c204") << "Ошибка приема данных 3|0";
  }
  void theReceiveErrorQuotesLengthAndByte3() {
    QFETCH(QByteArray, frame);
    QFETCH(QString, text);
    ReplyFrame reply;
    reply.assign(frame);
    QCOMPARE(receiveErrorText(reply), text);
  }
};

QTEST_GUILESS_MAIN(TestStatisticsAlarms)
#include "test_statistics_alarms.moc"
