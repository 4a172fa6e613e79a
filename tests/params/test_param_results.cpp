// What reading and writing give back besides the grids: per row the
// caption, the text, the register(s) and the words, and how the run ended.

#include <QtTest>

#include "extlib/transport_error.h"
#include "params/catalogue.h"
#include "params/range_check.h"
#include "params/read_params.h"
#include "params/write_params.h"
#include "tests/params/param_sample.h"

using namespace vmk;

Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(RowWrite)

namespace {

using Words = QVector<std::uint16_t>;
using Registers = QVector<int>;

const ParamRow* findRow(const QVector<ParamRow>& rows, int row) {
  for (const ParamRow& r : rows)
    if (r.row == row) return &r;
  return nullptr;
}

const RowWriteResult* findWrite(const ParamWriteResult& result, int grid, int row) {
  for (const RowWriteResult& r : result.rows)
    if (r.row.grid == grid && r.row.row == row) return &r;
  return nullptr;
}

ParamReadResult read(test::ParamFixture& f, int group = 1) {
  return readParameters(f.session, group, f.ws.parameters.params, f.session.vmk.setup, QLocale::c());
}

ParamWriteResult write(test::ParamFixture& f, Result<QString> password = Result<QString>::done(
                                                  QStringLiteral("ABCD")),
                       const RangeQuestion& ask = {}) {
  return writeParameters(f.session, password, f.ws.parameters.params, f.session.vmk.setup, QLocale::c(),
                         ask);
}

const RangeQuestion writeAnyway = [](const QVector<RangeViolation>&) { return true; };

// The registers the device was asked to write, in order.
QList<int> writtenRegisters(const test::ParamFixture& f) {
  QList<int> out;
  for (const test::Request& r : f.registerRequests())
    if (r.function == 6) out << r.reg;
  return out;
}

// A text put into a row of the window's set as an edit puts it, marked.
void mark(test::ParamFixture& f, int grid, int row, const QString& text) {
  putRowText(f.ws.parameters.params, grid, row, text);
  f.ws.parameters.params.setMarked(grid, row, true);
}

}  // namespace

class TestParamResults : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void readGivesEveryDataRow_data();
  void readGivesEveryDataRow();
  void readStopsWithTheClientsOutcome_data();
  void readStopsWithTheClientsOutcome();
  void readPortFailureClosesThePort();

  void writeReportsEachRow();
  void writeRefusedRowsSayWhyAndNothingIsSent();
  void writeWithoutThePasswordSendsNothing_data();
  void writeWithoutThePasswordSendsNothing();
  void writePortFailureLeavesTheRestUnsent();

  void rowsStandingForNoValueAreKept_data();
  void rowsStandingForNoValueAreKept();
  void anUnknownCharacteristicIsStillRefused();
  void rangesAreCheckedOnTheWordsSent_data();
  void rangesAreCheckedOnTheWordsSent();
  void valuesOutsideTheirRangesAreAskedAbout_data();
  void valuesOutsideTheirRangesAreAskedAbout();
  void aDevicesOwnValueIsNeverAsked_data();
  void aDevicesOwnValueIsNeverAsked();
};

void TestParamResults::readGivesEveryDataRow_data() {
  QTest::addColumn<int>("grid");
  QTest::addColumn<int>("row");
  QTest::addColumn<QString>("text");
  QTest::addColumn<Registers>("registers");
  QTest::addColumn<Words>("words");
  QTest::newRow("address: low byte") << 1 << 1 << "5" << Registers{64} << Words{261};
  QTest::newRow("password kept out") << 1 << 2 << "*****" << Registers{} << Words{};
  QTest::newRow("group mode") << 1 << 4 << "Динамическое измен." << Registers{69} << Words{0xFFFF};
  QTest::newRow("indicator 1, two registers")
      << 1 << 10 << "100001" "1000000000000001" << Registers{96, 97} << Words{0x8001, 0x0021};
  QTest::newRow("input delay") << 1 << 25 << "250" << Registers{134} << Words{25};
  QTest::newRow("pre-trigger") << 1 << 44 << "1.50" << Registers{140} << Words{15};
  QTest::newRow("channel 16") << 1 << 61 << "1000000000000000" "0000000000000001"
                              << Registers{222, 223} << Words{1, 0x8000};
  QTest::newRow("МТЗ-1 time") << 2 << 8 << "0.250" << Registers{262} << Words{25};
  QTest::newRow("characteristic 6: no text") << 2 << 17 << "" << Registers{276} << Words{6};
}

void TestParamResults::readGivesEveryDataRow() {
  QFETCH(int, grid);
  QFETCH(int, row);
  QFETCH(QString, text);
  QFETCH(Registers, registers);
  QFETCH(Words, words);
  test::ParamFixture f;
  test::loadSample(f.dev);
  const ParamReadResult r = read(f);
  QCOMPARE(r.outcome, Outcome::Done);
  QVERIFY(r.setupRead);
  QCOMPARE(r.parameters.size(), 57);  // 62 rows, 5 headings
  QCOMPARE(r.settings.size(), 24);    // 32 rows, 8 headings
  const ParamRow* got = findRow(grid == 1 ? r.parameters : r.settings, row);
  QVERIFY(got);
  QCOMPARE(got->grid, grid);
  QCOMPARE(got->caption, rowsOf(grid)[row].caption);
  QCOMPARE(got->text, text);
  QCOMPARE(got->registers, registers);
  QCOMPARE(got->words, words);
  // The grid shows the same text.
  QCOMPARE((grid == 1 ? f.ws.parameters.Grid1 : f.ws.parameters.grdSett).cell(grid::kValue, row), text);
}

void TestParamResults::readStopsWithTheClientsOutcome_data() {
  QTest::addColumn<int>("answered");  // requests answered before the fault
  QTest::addColumn<int>("fault");     // test::Fault
  QTest::addColumn<Outcome>("outcome");
  QTest::addColumn<int>("parameters");
  QTest::addColumn<bool>("setupRead");
  const int silence = int(test::Fault::Silence), cut = int(test::Fault::Truncate);
  QTest::newRow("silent at once") << 0 << silence << Outcome::NoAnswer << 0 << false;
  QTest::newRow("silent at the recorder times") << 2 << silence << Outcome::NoAnswer << 39 << true;
  QTest::newRow("settings cut short") << 4 << cut << Outcome::NoAnswer << 57 << true;
}

void TestParamResults::readStopsWithTheClientsOutcome() {
  QFETCH(int, answered);
  QFETCH(int, fault);
  QFETCH(Outcome, outcome);
  QFETCH(int, parameters);
  QFETCH(bool, setupRead);
  test::ParamFixture f;
  test::loadSample(f.dev);
  f.plan.fault = [&f, answered, fault](const QByteArray&) {
    return f.plan.requests.size() > answered ? test::Fault(fault) : test::Fault::None;
  };
  const ParamReadResult r = read(f, 2);
  QCOMPARE(r.outcome, outcome);
  QCOMPARE(r.group, 2);
  QCOMPARE(r.parameters.size(), parameters);
  QVERIFY(r.settings.isEmpty());
  QCOMPARE(r.setupRead, setupRead);
  QCOMPARE(f.registerRequests().size(), answered + 1);
  QVERIFY(!f.portOpen());
}

void TestParamResults::readPortFailureClosesThePort() {
  test::ParamFixture f;
  test::loadSample(f.dev);
  f.plan.fault = [&f](const QByteArray&) {
    return f.plan.requests.size() == 2 ? test::Fault::Throw : test::Fault::None;
  };
  QVERIFY_THROWS_EXCEPTION(TransportError, read(f));
  QVERIFY(!f.portOpen());
  QCOMPARE(f.session.vmk.setup.DevicePassword, QStringLiteral("ABCD"));  // the first block stays
}

void TestParamResults::writeReportsEachRow() {
  test::ParamFixture f;
  test::loadSample(f.dev);
  QVERIFY(read(f).ok());
  mark(f, 1, 1, QStringLiteral("40"));  // the device takes addresses 1..32 only
  mark(f, 1, 5, QStringLiteral("800"));
  mark(f, 1, 10, QStringLiteral("000000" "0000000000000001"));
  mark(f, 2, 8, QStringLiteral("0.30"));
  f.plan.fault = test::silentWritesOf({97});
  f.forgetRequests();
  const ParamWriteResult r = write(f, Result<QString>::done(QStringLiteral("ABCD")), writeAnyway);
  QCOMPARE(r.outcome, Outcome::Done);
  QCOMPARE(r.rows.size(), 4);
  QCOMPARE(r.count(RowWrite::Written), 2);
  QCOMPARE(r.count(RowWrite::Unanswered), 2);

  const RowWriteResult* address = findWrite(r, 1, 1);
  QCOMPARE(address->state, RowWrite::Unanswered);
  QCOMPARE(address->outcome, Outcome::DeviceRefused);
  const RowWriteResult* ct = findWrite(r, 1, 5);
  QCOMPARE(ct->state, RowWrite::Written);
  QCOMPARE(ct->row.caption, QStringLiteral("Первичный ток ТТ, A"));
  QCOMPARE(ct->row.registers, Registers{80});
  QCOMPARE(ct->row.words, Words{800});
  const RowWriteResult* indicator = findWrite(r, 1, 10);
  QCOMPARE(indicator->state, RowWrite::Unanswered);
  QCOMPARE(indicator->outcome, Outcome::NoAnswer);
  QCOMPARE(indicator->row.registers, (Registers{96, 97}));
  QCOMPARE(indicator->row.words, (Words{1, 0}));
  const RowWriteResult* time = findWrite(r, 2, 8);
  QCOMPARE(time->state, RowWrite::Written);
  QCOMPARE(time->row.registers, Registers{262});
  QCOMPARE(time->row.words, Words{30});

  // Only the rows written lose their marks; the setup block was read back.
  QCOMPARE(f.ws.parameters.Grid1.cell(grid::kMark, 1), QStringLiteral("*"));
  QVERIFY(f.ws.parameters.Grid1.cell(grid::kMark, 5).isEmpty());
  QCOMPARE(f.ws.parameters.Grid1.cell(grid::kMark, 10), QStringLiteral("*"));
  QVERIFY(f.ws.parameters.grdSett.cell(grid::kMark, 8).isEmpty());
  QCOMPARE(f.session.vmk.setup.CtPrimary, 800);
  QCOMPARE(f.registerRequests().last(), (test::Request{3, 64, 23}));
}

void TestParamResults::writeRefusedRowsSayWhyAndNothingIsSent() {
  test::ParamFixture f;
  test::loadSample(f.dev);
  QVERIFY(read(f).ok());
  mark(f, 1, 5, QStringLiteral("800"));
  mark(f, 2, 7, QStringLiteral("150.00"));
  mark(f, 2, 17, QStringLiteral("кривая 7"));
  const int opens = f.opens();
  f.forgetRequests();
  const ParamWriteResult r = write(f);
  QCOMPARE(r.outcome, Outcome::InputRefused);
  QCOMPARE(r.count(RowWrite::Refused), 2);
  QCOMPARE(findWrite(r, 1, 5)->state, RowWrite::NotSent);
  QVERIFY(findWrite(r, 2, 7)->why.contains(QStringLiteral("65535")));
  QVERIFY(!findWrite(r, 2, 17)->why.isEmpty());
  QVERIFY(f.requests().isEmpty());
  QCOMPARE(f.opens(), opens);
  const QString box = refusalMessage(r);
  QVERIFY(box.startsWith(QStringLiteral("Запись отменена, в устройство ничего не записано.")));
  QVERIFY(box.contains(QStringLiteral("«Ток МТЗ-1, кратность In (A)» = «150.00»")));
  QVERIFY(!box.contains(QStringLiteral("Первичный ток ТТ")));
}

void TestParamResults::writeWithoutThePasswordSendsNothing_data() {
  QTest::addColumn<Outcome>("password");
  QTest::newRow("cancelled") << Outcome::Cancelled;
  QTest::newRow("wrong") << Outcome::WrongPassword;
}

void TestParamResults::writeWithoutThePasswordSendsNothing() {
  QFETCH(Outcome, password);
  test::ParamFixture f;
  test::loadSample(f.dev);
  QVERIFY(read(f).ok());
  mark(f, 1, 5, QStringLiteral("800"));
  const int opens = f.opens();
  f.forgetRequests();
  const ParamWriteResult r = write(f, Result<QString>::failed(password));
  QCOMPARE(r.outcome, password);
  QVERIFY(r.rows.isEmpty());
  QVERIFY(f.requests().isEmpty());
  QCOMPARE(f.opens(), opens);
  QCOMPARE(f.ws.parameters.Grid1.cell(grid::kMark, 5), QStringLiteral("*"));
}

void TestParamResults::writePortFailureLeavesTheRestUnsent() {
  test::ParamFixture f;
  test::loadSample(f.dev);
  QVERIFY(read(f).ok());
  const SetupFields before = f.session.vmk.setup;
  mark(f, 1, 5, QStringLiteral("800"));
  mark(f, 1, 6, QStringLiteral("1"));
  mark(f, 1, 7, QStringLiteral("200"));
  f.plan.fault = [](const QByteArray& request) {
    return request.size() > 3 && std::uint8_t(request[3]) == 81 ? test::Fault::Throw
                                                                 : test::Fault::None;
  };
  const ParamWriteResult r = write(f);
  QCOMPARE(r.outcome, Outcome::PortFailure);
  // Row 5 was written but its block not yet read back: not proven.
  QCOMPARE(findWrite(r, 1, 5)->state, RowWrite::NotHeld);
  QCOMPARE(findWrite(r, 1, 5)->readBack, QVector<ReadBack>{ReadBack::NotRead});
  QCOMPARE(findWrite(r, 1, 6)->state, RowWrite::Unanswered);
  QCOMPARE(findWrite(r, 1, 6)->outcome, Outcome::PortFailure);
  QCOMPARE(findWrite(r, 1, 7)->state, RowWrite::NotSent);
  QCOMPARE(f.ws.parameters.Grid1.cell(grid::kMark, 5), QStringLiteral("*"));
  QCOMPARE(f.ws.parameters.Grid1.cell(grid::kMark, 6), QStringLiteral("*"));
  QCOMPARE(f.ws.parameters.Grid1.cell(grid::kMark, 7), QStringLiteral("*"));
  QCOMPARE(f.session.vmk.setup, before);
  QVERIFY(!f.portOpen());
}

void TestParamResults::rowsStandingForNoValueAreKept_data() {
  QTest::addColumn<int>("grid");
  QTest::addColumn<int>("row");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("reg");
  QTest::newRow("characteristic read as empty") << 2 << 17 << "" << 276;
  QTest::newRow("characteristic of blanks") << 2 << 17 << "  " << 276;
  QTest::newRow("group mode, neither letter") << 1 << 4 << "Ручное измен." << 69;
  QTest::newRow("recorder source, empty") << 1 << 45 << "" << 142;
}

void TestParamResults::rowsStandingForNoValueAreKept() {
  QFETCH(int, grid);
  QFETCH(int, row);
  QFETCH(QString, text);
  QFETCH(int, reg);
  test::ParamFixture f;
  test::loadSample(f.dev);
  QVERIFY(read(f).ok());
  const std::uint16_t before = f.dev.registerValue(reg);
  TextGrid& g = grid == 1 ? f.ws.parameters.Grid1 : f.ws.parameters.grdSett;
  mark(f, grid, row, text);
  mark(f, 1, 5, QStringLiteral("800"));
  mark(f, 2, 26, QStringLiteral("1.5"));
  f.forgetRequests();
  const ParamWriteResult r = write(f);
  QCOMPARE(r.outcome, Outcome::Done);
  const RowWriteResult* kept = findWrite(r, grid, row);
  QVERIFY(kept);
  QCOMPARE(kept->state, RowWrite::Kept);
  QCOMPARE(kept->why, QStringLiteral("не записано, в устройстве сохранено прежнее значение"));
  QCOMPARE(kept->row.registers, Registers{reg});
  QVERIFY(kept->row.words.isEmpty());
  // The rows around it are written; the kept register is never sent.
  QCOMPARE(writtenRegisters(f), (QList<int>{80, 256 + 29}));
  QCOMPARE(f.dev.registerValue(reg), before);
  QCOMPARE(f.dev.registerValue(256 + 29), 150);
  QVERIFY(g.cell(grid::kMark, row).isEmpty());
  QVERIFY(g.cell(grid::kValue, row).trimmed().isEmpty());  // a toggle text is emptied
  QCOMPARE(doneReport(r), QStringLiteral("Запись в устройство завершена.\n"
                                         "Записано и проверено чтением: 2\n"
                                         "Оставлено прежнее значение: 1\n"
                                         "«%1»: не записано, "
                                         "в устройстве сохранено прежнее значение")
                              .arg(rowsOf(grid)[row].caption));
}

void TestParamResults::anUnknownCharacteristicIsStillRefused() {
  test::ParamFixture f;
  test::loadSample(f.dev);
  QVERIFY(read(f).ok());
  mark(f, 1, 5, QStringLiteral("800"));
  mark(f, 2, 17, QStringLiteral("зависимая"));  // a typo in a file
  const int opens = f.opens();
  f.forgetRequests();
  const ParamWriteResult r = write(f);
  QCOMPARE(r.outcome, Outcome::InputRefused);
  QCOMPARE(findWrite(r, 2, 17)->state, RowWrite::Refused);
  QCOMPARE(findWrite(r, 2, 17)->why, QStringLiteral("тип характеристики не распознан"));
  QVERIFY(f.requests().isEmpty());
  QCOMPARE(f.opens(), opens);
  QVERIFY(writeSummary(r).isEmpty());
}

void TestParamResults::rangesAreCheckedOnTheWordsSent_data() {
  QTest::addColumn<int>("grid");
  QTest::addColumn<int>("row");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("range");  // empty: inside
  const QString time = QStringLiteral("от 0.00 до 100.00 с");
  QTest::newRow("МТЗ-1 time 600 s") << 2 << 8 << "600.00" << time;
  QTest::newRow("МТЗ-1 time 100.00 s") << 2 << 8 << "100.00" << "";
  QTest::newRow("МТЗ-1 time 100.01 s") << 2 << 8 << "100.01" << time;
  // A stage switched off holds 0 as its current and time.
  QTest::newRow("МТЗ-1 current 0 (off)") << 2 << 7 << "0.00" << "";
  QTest::newRow("МТЗ-1 current 40.01") << 2 << 7 << "40.01" << "от 0.00 до 40.00 In";
  QTest::newRow("earth current 0 (off)") << 2 << 20 << "0.000" << "";
  QTest::newRow("earth current 2.001") << 2 << 20 << "2.001" << "от 0.000 до 2.000 In";
  QTest::newRow("acceleration brought in 60.1 s") << 2 << 5 << "60.1" << "от 0.0 до 60.0 с";
  QTest::newRow("acceleration bits 8") << 2 << 4 << "8" << "от 0 до 7";
  QTest::newRow("acceleration bits 7") << 2 << 4 << "7" << "";
  QTest::newRow("АПВ ready 0 s (off)") << 2 << 27 << "0.0" << "";
  QTest::newRow("АПВ ready 300.1 s") << 2 << 27 << "300.1" << "от 0.0 до 300.0 с";
  QTest::newRow("input delay 10005 ms: 10000 sent") << 1 << 25 << "10005" << "";
  QTest::newRow("input delay 10010 ms") << 1 << 25 << "10010" << "от 0 до 10000 мс";
  QTest::newRow("address 40") << 1 << 1 << "40" << "от 1 до 32";
  QTest::newRow("CT secondary 6 A") << 1 << 6 << "6" << "от 1 до 5 А";
  // Earth-fault transformers of 75/10 and 75/25 are in service.
  QTest::newRow("earth CT secondary 25 A") << 1 << 8 << "25" << "";
  QTest::newRow("earth CT secondary 101 A") << 1 << 8 << "101" << "от 1 до 100 А";
  QTest::newRow("pre-trigger 0.00 s") << 1 << 44 << "0.00" << "от 0.1 до 5.0 с";
  QTest::newRow("indicator, all 22 bits") << 1 << 10 << "1111111111111111111111" << "";
  QTest::newRow("active group 2") << 1 << 3 << "2" << "";
}

void TestParamResults::rangesAreCheckedOnTheWordsSent() {
  QFETCH(int, grid);
  QFETCH(int, row);
  QFETCH(QString, text);
  QFETCH(QString, range);
  const RowSpec& spec = rowsOf(grid)[row];
  const WriteWords w = wordsFromText(spec, text, QLocale::c());
  QVERIFY(w.ok());
  const int reg = (grid == 2 ? groupBase(1) : 0) + spec.reg;
  const std::optional<QString> outside = outOfRange(spec, reg, w.words, QLocale::c());
  QCOMPARE(outside.value_or(QString()), range);
  // Group 2 has the same ranges.
  if (grid == 2)
    QCOMPARE(outOfRange(spec, groupBase(2) + spec.reg, w.words, QLocale::c()).value_or(QString()),
             range);
}

void TestParamResults::valuesOutsideTheirRangesAreAskedAbout_data() {
  QTest::addColumn<int>("answer");  // -1 no question at all, 0 no, 1 yes
  QTest::newRow("nobody to ask") << -1;
  QTest::newRow("answered no") << 0;
  QTest::newRow("answered yes") << 1;
}

void TestParamResults::valuesOutsideTheirRangesAreAskedAbout() {
  QFETCH(int, answer);
  test::ParamFixture f;
  test::loadSample(f.dev);
  QVERIFY(read(f).ok());
  mark(f, 1, 5, QStringLiteral("800"));
  mark(f, 2, 8, QStringLiteral("600.00"));
  mark(f, 2, 17, QString());  // kept rows are not asked about
  const int opens = f.opens();
  f.forgetRequests();
  QVector<RangeViolation> asked;
  RangeQuestion ask;
  if (answer >= 0)
    ask = [&asked, answer](const QVector<RangeViolation>& rows) {
      asked = rows;
      return answer == 1;
    };
  const ParamWriteResult r = write(f, Result<QString>::done(QStringLiteral("ABCD")), ask);
  QCOMPARE(r.outOfRange.size(), 1);
  const RangeViolation& v = r.outOfRange.first();
  QCOMPARE(v.row.caption, QStringLiteral("Время МТЗ-1, с"));
  QCOMPARE(v.row.text, QStringLiteral("600.00"));
  QCOMPARE(v.row.registers, Registers{262});
  QCOMPARE(v.row.words, Words{60000});
  QCOMPARE(v.range, QStringLiteral("от 0.00 до 100.00 с"));
  if (answer >= 0) QCOMPARE(asked.size(), 1);
  QCOMPARE(rangeQuestion(r.outOfRange),
           QStringLiteral("Значения вне допустимого диапазона:\n«Время МТЗ-1, с» = «600.00»: "
                          "допустимо от 0.00 до 100.00 с\nЗаписать их в устройство?"));
  if (answer == 1) {
    QCOMPARE(r.outcome, Outcome::Done);
    QCOMPARE(f.dev.registerValue(262), 60000);
    QVERIFY(f.ws.parameters.grdSett.cell(grid::kMark, 8).isEmpty());
    return;
  }
  QCOMPARE(r.outcome, Outcome::Cancelled);
  // The rows' registers were read, to see whether the value is the
  // device's own; nothing was written.
  QCOMPARE(f.registerRequests(), (QList<test::Request>{{3, 80, 1}, {3, 262, 1}}));
  QCOMPARE(f.opens(), opens + 1);
  QCOMPARE(f.ws.parameters.grdSett.cell(grid::kMark, 8), QStringLiteral("*"));
  QCOMPARE(f.ws.parameters.grdSett.cell(grid::kMark, 17), QStringLiteral("*"));  // nothing passed over
  QCOMPARE(findWrite(r, 1, 5)->state, RowWrite::NotSent);
}

void TestParamResults::aDevicesOwnValueIsNeverAsked_data() {
  QTest::addColumn<int>("held");  // what register 262 holds before the write
  QTest::addColumn<bool>("asked");
  QTest::newRow("the device holds 600 s") << 60000 << false;
  QTest::newRow("the device holds 500 s") << 50000 << true;
}

void TestParamResults::aDevicesOwnValueIsNeverAsked() {
  // A copy of a relay's settings into itself must pass as it is, even with
  // values our ranges do not take.
  QFETCH(int, held);
  QFETCH(bool, asked);
  test::ParamFixture f;
  test::loadSample(f.dev);
  QVERIFY(read(f).ok());
  f.dev.setRegister(262, std::uint16_t(held));
  mark(f, 2, 8, QStringLiteral("600.00"));
  f.forgetRequests();
  bool question = false;
  const ParamWriteResult r = write(f, Result<QString>::done(QStringLiteral("ABCD")),
                                   [&question](const QVector<RangeViolation>&) {
                                     question = true;
                                     return false;
                                   });
  QCOMPARE(question, asked);
  QCOMPARE(r.outOfRange.isEmpty(), !asked);
  QCOMPARE(r.outcome, asked ? Outcome::Cancelled : Outcome::Done);
  const QList<test::Request> sent = f.registerRequests();
  QCOMPARE(sent.first(), (test::Request{3, 262, 1}));  // read once, before anything is written
  QCOMPARE(sent.count(test::Request{3, 262, 1}), asked ? 1 : 2);  // and read back after the write
  QCOMPARE(f.dev.registerValue(262), held);
}

QTEST_GUILESS_MAIN(TestParamResults)
#include "test_param_results.moc"
