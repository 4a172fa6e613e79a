// The event journal: the texts of every event code, the fault texts with
// their phase marks and scalings, the time-stamp column, the row a record
// goes to, and the reading of all 34 records from the simulated device
// with its failures, its cancel and its progress.

#include <QtTest>

#include "device/session.h"
#include "journals/event_journal.h"
#include "journals/journal_rows.h"
#include "model/progress.h"
#include "model/text_grid.h"
#include "tests/journals/journal_support.h"

using namespace vmk;
using namespace vmk::test;

Q_DECLARE_METATYPE(vmk::Outcome)
Q_DECLARE_METATYPE(vmk::test::Fault)
Q_DECLARE_METATYPE(vmk::ReplyFrame)

namespace {

const QDate kToday(2011, 5, 20);

// CT 600/5 (ratio 120), earth CT 50/1 (ratio 50), as the simulated device.
SetupFields transformers(int phaseSecondary = 5, int earthSecondary = 1) {
  SetupFields s;
  s.CtPrimary = 600;
  s.CtSecondary = std::uint16_t(phaseSecondary);
  s.EarthCtPrimary = 50;
  s.EarthCtSecondary = std::uint16_t(earthSecondary);
  return s;
}

QStringList rowOf(const TextGrid& grid, int row) {
  QStringList cells;
  for (int c = 0; c < grid.columnCount(); ++c) cells << grid.cell(c, row);
  return cells;
}

void fill(TextGrid& grid, const QString& text) {
  for (int r = 0; r < grid.rowCount(); ++r)
    for (int c = 0; c < grid.columnCount(); ++c) grid.setCell(c, r, text);
}

struct Reading : DeviceFixture {
  Reading() {
    add(1);
    connectTo(1);
  }
  EventReadResult read() {
    return readEventJournal(session, ws.jobs, &ws.status.progress(), clock.now().date(), QLocale::c(),
                            [this](const EventEntry& e) { showRow(ws.journals.GrdEvent, eventRow(e)); });
  }
};

}  // namespace

class TestEventJournal : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void faultText_data() {
    QTest::addColumn<int>("sub");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("phaseSecondary");
    QTest::addColumn<int>("earthSecondary");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("milliamps");
    QTest::addColumn<bool>("above");
    QTest::newRow("phases A and C") << 5 << 1234 << 5 << 1 << "C"
                                    << "Повреждение фазы A C , Iперв = 1480.800 A" << 1480800LL << false;
    QTest::newRow("the locale's separator") << 5 << 1234 << 5 << 1 << "ru_RU"
                                            << "Повреждение фазы A C , Iперв = 1480,800 A" << 1480800LL << false;
    QTest::newRow("earth fault") << 0 << 850 << 5 << 1 << "C"
                                 << "Повреждение фазы N , Iперв = 42.500 A" << 42500LL << false;
    QTest::newRow("beyond the range") << 7 << 20000 << 5 << 1 << "C"
                                      << "Повреждение фазы A B C , Iперв > 24000 A" << 24000000LL << true;
    QTest::newRow("just within the range") << 2 << 19999 << 5 << 1 << "C"
                                           << "Повреждение фазы B , Iперв = 23998.800 A" << 23998800LL << false;
    QTest::newRow("phase secondary 0: ratio 1") << 1 << 640 << 0 << 1 << "C"
                                                << "Повреждение фазы A , Iперв = 6.400 A" << 6400LL << false;
    QTest::newRow("earth secondary 0: ratio 1") << 0 << 870 << 5 << 0 << "C"
                                                << "Повреждение фазы N , Iперв = 0.870 A" << 870LL << false;
    QTest::newRow("beyond the range, ratio 1") << 4 << 65535 << 0 << 1 << "C"
                                               << "Повреждение фазы C , Iперв > 200 A" << 200000LL << true;
    QTest::newRow("bits above C mark no phase") << 8 << 100 << 5 << 1 << "C"
                                                << "Повреждение фазы N , Iперв = 5.000 A" << 5000LL << false;
    QTest::newRow("earth value from 20000 on") << 0 << 20000 << 5 << 1 << "C"
                                               << "Повреждение фазы N , Iперв = 1000.000 A" << 1000000LL << false;
  }
  void faultText() {
    QFETCH(int, sub);
    QFETCH(int, value);
    QFETCH(int, phaseSecondary);
    QFETCH(int, earthSecondary);
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(qint64, milliamps);
    QFETCH(bool, above);
    const EventTexts t = FaultText(sub, value, transformers(phaseSecondary, earthSecondary), QLocale(locale));
    QCOMPARE(t.info, text);
    QVERIFY(t.current);
    QCOMPARE(t.current->milliamps, milliamps);
    QCOMPARE(t.current->above, above);
  }

  void eventText_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("sub");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("info");
    auto row = [](const char* tag, int code, int sub, int value, const char* name, const char* info) {
      QTest::newRow(tag) << code << sub << value << QString::fromUtf8(name) << QString::fromUtf8(info);
    };
    row("1", 1, 0, 0, "Включение устройства", "");
    row("2", 2, 9, 0, "Включение устройства", "");
    row("3", 3, 1, 0, "Изменение группы уставок", "Группа уставок 2");
    row("4 local", 4, 0, 0, "Сброс статистики", "Местный сброс");
    row("4 remote", 4, 1, 0, "Сброс статистики", "Удаленный сброс");
    row("4 other", 4, 2, 0, "Сброс статистики", "");
    row("5 local", 5, 0, 0, "Квитирование реле", "Местное квитирование");
    row("5 RS485", 5, 1, 0, "Квитирование реле", "Квитирование по ТУ RS485");
    row("5 input", 5, 2, 0, "Квитирование реле", "Квитирование от ДВ");
    row("5 RS232", 5, 3, 0, "Квитирование реле", "Квитирование по ТУ RS232");
    row("5 other", 5, 4, 0, "Квитирование реле", "");
    row("6", 6, 3, 0, "Команда телеуправления", "Управление реле 3");
    row("7", 7, 0, 0, "Работа АПВ", "");
    row("8", 8, 0, 0, "Неуспешное АПВ", "");
    row("9", 9, 0, 0, "Резерв", "");
    row("15", 15, 0, 0, "Резерв", "");
    row("16", 16, 1, 4521, "Пуск МТЗ 1 ступени", "Повреждение фазы A , Iперв = 5425.200 A");
    row("16 without a phase: earth scaling", 16, 0, 120, "Пуск МТЗ 1 ступени",
        "Повреждение фазы N , Iперв = 6.000 A");
    row("17", 17, 5, 1234, "Пуск МТЗ 2 ступени", "Повреждение фазы A C , Iперв = 1480.800 A");
    row("18", 18, 2, 640, "Пуск МТЗ 3 ступени", "Повреждение фазы B , Iперв = 768.000 A");
    row("19", 19, 7, 20000, "Работа МТЗ 1 ступени", "Повреждение фазы A B C , Iперв > 24000 A");
    row("20", 20, 5, 1234, "Работа МТЗ 2 ступени", "Повреждение фазы A C , Iперв = 1480.800 A");
    row("21", 21, 2, 655, "Работа МТЗ 3 ступени", "Повреждение фазы B , Iперв = 786.000 A");
    row("22", 22, 0, 850, "Пуск ЗНЗ", "Повреждение фазы N , Iперв = 42.500 A");
    row("23", 23, 0, 870, "Работа ЗНЗ", "Повреждение фазы N , Iперв = 43.500 A");
    row("24", 24, 0, 0, "Работа УРОВ", "");
    row("25", 25, 0, 0, "", "");
    row("31", 31, 0, 0, "", "");
    row("32", 32, 0, 0, "Изменение уставок", "");
    row("33", 33, 0, 0, "", "");
    row("47", 47, 0, 0, "", "");
    row("48", 48, 0, 0, "Изменение дискретного входа", "");
    row("49", 49, 0, 0, "Изменение выходного реле", "");
  }
  void eventText() {
    QFETCH(int, code);
    QFETCH(int, sub);
    QFETCH(int, value);
    QFETCH(QString, name);
    QFETCH(QString, info);
    const EventTexts t = EventText(code, sub, value, transformers(), QLocale::c());
    QCOMPARE(t.name, name);
    QCOMPARE(t.info, info);
    QCOMPARE(bool(t.current), code >= 16 && code <= 23);
  }

  void stampText_data() {
    QTest::addColumn<QDateTime>("stamp");
    QTest::addColumn<int>("hundredths");
    QTest::addColumn<QString>("text");
    const QDate d(2024, 3, 15);
    QTest::newRow("time") << QDateTime(d, QTime(8, 14, 5)) << 37 << "15/03/2024 08:14:05.370";
    QTest::newRow("45 hundredths") << QDateTime(d, QTime(23, 59, 59)) << 45 << "15/03/2024 23:59:59.450";
    QTest::newRow("7 hundredths") << QDateTime(d, QTime(12, 0)) << 7 << "15/03/2024 12:00:00.070";
    QTest::newRow("midnight: no time") << QDateTime(d, QTime(0, 0)) << 25 << "15/03/2024.250";
    QTest::newRow("midnight, 0 hundredths") << QDateTime(d, QTime(0, 0)) << 0 << "15/03/2024.000";
    QTest::newRow("a second past midnight") << QDateTime(d, QTime(0, 0, 1)) << 0 << "15/03/2024 00:00:01.000";
    QTest::newRow("hundredths above 99") << QDateTime(d, QTime(1, 2, 3)) << 150 << "15/03/2024 01:02:03.500";
  }
  void stampText() {
    QFETCH(QDateTime, stamp);
    QFETCH(int, hundredths);
    QFETCH(QString, text);
    QCOMPARE(eventStampText(stamp, hundredths), text);
  }

  // Whole records into their rows: "|" separates the 16 cells.
  void decodeRecord_data() {
    QTest::addColumn<ReplyFrame>("reply");
    QTest::addColumn<QString>("cells");
    QTest::addColumn<bool>("defined");
    QTest::newRow("code 0 whatever its stamp")
        << eventReply(4, "240315081405", 0, 37, 0, 0, 0x3F, 0x3F) << "5.|Нет события||||||||||||||" << false;
    QTest::newRow("code 50") << eventReply(0, "240315081405", 50) << "1.|Нет события||||||||||||||" << false;
    ReplyFrame erased = eventReply(33, "ffffffffffff", 0xFF, 0xFF, 0xFF, 0xFFFF, 0xFF, 0xFF);
    QTest::newRow("erased slot") << erased << "34.|Нет события||||||||||||||" << false;
    QTest::newRow("code 27: stamp and states only")
        << eventReply(2, "240315081405", 27, 37, 0, 0, 0x21, 0x2A)
        << "3.|15/03/2024 08:14:05.370|||1|0|0|0|0|1|1|0|1|0|1|0" << true;
    QTest::newRow("midnight") << eventReply(28, "240326000000", 16, 25, 0, 120, 0, 0x05)
                              << "29.|26/03/2024.250|Пуск МТЗ 1 ступени|Повреждение фазы N , Iперв = 6.000 A"
                                 "|0|0|0|0|0|0|0|0|0|1|0|1"
                              << true;
    QTest::newRow("a stamp byte that is not BCD")
        << eventReply(31, "240331125a00", 6, 25, 3, 0, 0x04, 0x05)
        << "32.|Дата и время неопределены|Команда телеуправления|Управление реле 3|0|0|0|1|0|0|0|0|0|1|0|1"
        << false;
    QTest::newRow("year 25: a device clock past 2024") << eventReply(1, "250101120000", 32)
                             << "2.|01/01/2025 12:00:00.000|Изменение уставок||0|0|0|0|0|0|0|0|0|0|0|0"
                             << true;
    QTest::newRow("year 26") << eventReply(1, "261208093000", 32, 5)
                             << "2.|08/12/2026 09:30:00.050|Изменение уставок||0|0|0|0|0|0|0|0|0|0|0|0"
                             << true;
    QTest::newRow("year 24") << eventReply(1, "241231235959", 32, 99)
                             << "2.|31/12/2024 23:59:59.990|Изменение уставок||0|0|0|0|0|0|0|0|0|0|0|0"
                             << true;
    QTest::newRow("month 0") << eventReply(3, "240015081405", 7, 1, 0, 0, 0, 0x01)
                             << "4.|Дата и время неопределены|Работа АПВ||0|0|0|0|0|0|0|0|0|0|0|1" << false;
    QTest::newRow("31 February") << eventReply(32, "240231091500", 49)
                                 << "33.|Дата и время неопределены|Изменение выходного реле||0|0|0|0|0|0|0|0|0|0|0|0"
                                 << false;
    QTest::newRow("hour 24") << eventReply(5, "240315240000", 8)
                             << "6.|Дата и время неопределены|Неуспешное АПВ||0|0|0|0|0|0|0|0|0|0|0|0" << false;
  }
  void decodeRecord() {
    QFETCH(ReplyFrame, reply);
    QFETCH(QString, cells);
    QFETCH(bool, defined);
    const EventEntry e = DecodeEventRecord(reply, transformers(), kToday, QLocale::c());
    const JournalRow row = eventRow(e);
    QCOMPARE(row.cells.join(QLatin1Char('|')), cells);
    QCOMPARE(e.stamp.isValid(), defined);
    TextGrid grid(34, 16);
    QVERIFY(showRow(grid, row));
    QCOMPARE(rowOf(grid, e.record), row.cells);
  }

  void recordsFrom34OnAreNotShown() {
    TextGrid grid(34, 16);
    fill(grid, QStringLiteral("old"));
    const EventEntry e = DecodeEventRecord(eventReply(34, "240315081405", 1), transformers(), kToday,
                                           QLocale::c());
    QVERIFY(!showRow(grid, eventRow(e)));
    for (int r = 0; r < 34; ++r) QCOMPARE(rowOf(grid, r), QStringList(16, QStringLiteral("old")));
  }

  // ---- the reading, against the simulated device --------------------------

  void readsEveryRecordIntoItsRow() {
    Reading f;
    Progress& bar = f.ws.status.progress();
    QList<bool> shown;
    f.atStep = [&](int) { shown << (bar.isVisible() && bar.maximum() == 33); };

    const EventReadResult r = f.read();

    QCOMPARE(r.outcome, Outcome::Done);
    QCOMPARE(r.stoppedAt, -1);
    QCOMPARE(r.records.size(), 34);
    QList<QByteArray> expected;
    for (int i = 0; i < 34; ++i) expected << wire::withCrc(QByteArray::fromHex("0141") + char(i));
    QCOMPARE(f.plan.requestsOf(0x41), expected);
    QList<int> steps;
    for (int i = 0; i <= 33; ++i) steps << i;
    QCOMPARE(f.steps, steps);
    QCOMPARE(shown, QList<bool>(34, true));
    QVERIFY(!bar.isVisible());
    QVERIFY(!f.portOpen());

    const TextGrid& g = f.ws.journals.GrdEvent;
    QCOMPARE(rowOf(g, 0).mid(0, 4), QStringList({"1.", "12/03/2024 08:14:05.370", "Включение устройства", ""}));
    QCOMPARE(rowOf(g, 7).join('|'), QStringLiteral(
        "8.|16/03/2024 11:18:10.370|Пуск МТЗ 2 ступени|Повреждение фазы A C , Iперв = 1480.800 A"
        "|0|0|0|0|0|0|0|0|0|1|0|1"));
    QCOMPARE(rowOf(g, 16).mid(1, 3), QStringList({"23/03/2024 12:33:13.430", "Работа МТЗ 1 ступени",
                                                  "Повреждение фазы A B C , Iперв > 24000 A"}));
    QCOMPARE(rowOf(g, 28).mid(1, 3), QStringList({"26/03/2024.250", "Пуск МТЗ 1 ступени",
                                                  "Повреждение фазы N , Iперв = 6.000 A"}));
    QCOMPARE(rowOf(g, 30).mid(0, 3), QStringList({"31.", "Нет события", ""}));
    QCOMPARE(rowOf(g, 31).mid(1, 3), QStringList({"Дата и время неопределены", "Команда телеуправления",
                                                  "Управление реле 3"}));
    QCOMPARE(rowOf(g, 32).mid(1, 2), QStringList({"Дата и время неопределены", "Изменение выходного реле"}));
    QCOMPARE(rowOf(g, 33).join('|'), QStringLiteral("34.|Нет события||||||||||||||"));
  }

  // A record whose digits are no date does not stop the reading: its row
  // says so and is filled, the records after it are read, the port closes.
  void aRecordWithoutADateIsShownAndTheReadingGoesOn() {
    Reading f;
    sim::EventRecord spoilt = f.device().journal().record(3);
    spoilt.rawStamp = QByteArray::fromHex("240015081405");
    f.device().journal().setRecord(3, spoilt);

    const EventReadResult r = f.read();

    QCOMPARE(r.outcome, Outcome::Done);
    QCOMPARE(r.records.size(), 34);
    QCOMPARE(rowOf(f.ws.journals.GrdEvent, 3).mid(0, 4),
             QStringList({"4.", "Дата и время неопределены", "Сброс статистики", "Удаленный сброс"}));
    QVERIFY(!r.records[3].stamp.isValid());
    QVERIFY(!f.portOpen());
  }

  void aFailureAtRecord20KeepsRows0To19() {
    Reading f;
    fill(f.ws.journals.GrdEvent, QStringLiteral("old"));
    f.plan.fault = [](const QByteArray& request) {
      return eventIndexOf(request) == 20 ? Fault::Silence : Fault::None;
    };

    const EventReadResult r = f.read();

    QCOMPARE(r.outcome, Outcome::NoAnswer);
    QCOMPARE(r.stoppedAt, 20);
    QCOMPARE(r.records.size(), 20);
    QCOMPARE(f.plan.requestsOf(0x41).size(), 21);
    for (int row = 0; row < 20; ++row) QCOMPARE(f.ws.journals.GrdEvent.cell(0, row), QStringLiteral("%1.").arg(row + 1));
    for (int row = 20; row < 34; ++row) QCOMPARE(rowOf(f.ws.journals.GrdEvent, row), QStringList(16, "old"));
    QVERIFY(!f.portOpen());
    QVERIFY(!f.ws.status.progress().isVisible());
  }

  void failuresOfOneRecord_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("exception reply") << Fault::Refuse << Outcome::DeviceRefused;
    QTest::newRow("cut short") << Fault::Truncate << Outcome::NoAnswer;
    QTest::newRow("port failure") << Fault::Throw << Outcome::PortFailure;
  }
  void failuresOfOneRecord() {
    QFETCH(Fault, fault);
    QFETCH(Outcome, outcome);
    Reading f;
    f.plan.fault = [fault](const QByteArray& request) {
      return eventIndexOf(request) == 5 ? fault : Fault::None;
    };
    const EventReadResult r = f.read();
    QCOMPARE(r.outcome, outcome);
    QCOMPARE(r.stoppedAt, 5);
    QCOMPARE(r.records.size(), 5);
    QVERIFY(!f.portOpen());
    QVERIFY(!f.ws.status.progress().isVisible());
  }

  void aCancelKeepsTheRowsRead() {
    Reading f;
    fill(f.ws.journals.GrdEvent, QStringLiteral("old"));
    f.atStep = [&f](int position) {
      if (position == 10) f.ws.jobs.requestCancel();
    };
    const EventReadResult r = f.read();
    QCOMPARE(r.outcome, Outcome::Cancelled);
    QCOMPARE(r.stoppedAt, 10);
    QCOMPARE(f.plan.requestsOf(0x41).size(), 10);
    QCOMPARE(f.ws.journals.GrdEvent.cell(0, 9), QStringLiteral("10."));
    QCOMPARE(f.ws.journals.GrdEvent.cell(0, 10), QStringLiteral("old"));
    QVERIFY(!f.portOpen());
    QVERIFY(!f.ws.status.progress().isVisible());
    QVERIFY(!f.ws.jobs.isRunning());
  }

  // Rows follow the device's numbers: record 5 says it is number 3, record
  // 6 number 40; the later record naming row 3 wins, 40 is not shown and
  // rows 5 and 6 keep what they held.
  void rowsFollowTheDevicesNumbers() {
    Reading f;
    fill(f.ws.journals.GrdEvent, QStringLiteral("old"));
    rewriteReplies(f, [](const QByteArray& request, QByteArray& frame) {
      if (eventIndexOf(request) == 5) frame[2] = char(3);
      if (eventIndexOf(request) == 6) frame[2] = char(40);
    });
    const EventReadResult r = f.read();
    QCOMPARE(r.outcome, Outcome::Done);
    QCOMPARE(r.records.size(), 33);
    QCOMPARE(rowOf(f.ws.journals.GrdEvent, 3).mid(0, 3),
             QStringList({"4.", "13/03/2024 11:17:40.370", "Изменение дискретного входа"}));
    QCOMPARE(rowOf(f.ws.journals.GrdEvent, 5), QStringList(16, "old"));
    QCOMPARE(rowOf(f.ws.journals.GrdEvent, 6), QStringList(16, "old"));
    QCOMPARE(f.ws.journals.GrdEvent.cell(0, 7), QStringLiteral("8."));
  }
};

QTEST_GUILESS_MAIN(TestEventJournal)
#include "test_event_journal.moc"
