// What reading and writing give back besides the grids: per row the
// caption, the text, the register(s) and the words, and how the run ended.

#include <QtTest>

#include "extlib/transport_error.h"
#include "params/catalogue.h"
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
  return readParameters(f.session, group, f.ws.Grid1, f.ws.grdSett, f.session.vmk.setup,
                        QLocale::c());
}

ParamWriteResult write(test::ParamFixture& f, Result<QString> password = Result<QString>::done(
                                                  QStringLiteral("ABCD"))) {
  return writeParameters(f.session, password, f.ws.Grid1, f.ws.grdSett, f.session.vmk.setup,
                         QLocale::c());
}

void mark(TextGrid& grid, int row, const QString& text) {
  grid.setCell(grid::kValue, row, text);
  grid.setCell(grid::kMark, row, QStringLiteral("*"));
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
  QCOMPARE(got->caption, RowsOf(grid)[row].caption);
  QCOMPARE(got->text, text);
  QCOMPARE(got->registers, registers);
  QCOMPARE(got->words, words);
  // The grid shows the same text.
  QCOMPARE((grid == 1 ? f.ws.Grid1 : f.ws.grdSett).cell(grid::kValue, row), text);
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
  mark(f.ws.Grid1, 1, QStringLiteral("40"));  // the device takes addresses 1..32 only
  mark(f.ws.Grid1, 5, QStringLiteral("800"));
  mark(f.ws.Grid1, 10, QStringLiteral("000000" "0000000000000001"));
  mark(f.ws.grdSett, 8, QStringLiteral("0.30"));
  f.plan.fault = test::silentWritesOf({97});
  f.forgetRequests();
  const ParamWriteResult r = write(f);
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
  QCOMPARE(f.ws.Grid1.cell(grid::kMark, 1), QStringLiteral("*"));
  QVERIFY(f.ws.Grid1.cell(grid::kMark, 5).isEmpty());
  QCOMPARE(f.ws.Grid1.cell(grid::kMark, 10), QStringLiteral("*"));
  QVERIFY(f.ws.grdSett.cell(grid::kMark, 8).isEmpty());
  QCOMPARE(f.session.vmk.setup.CtPrimary, 800);
  QCOMPARE(f.registerRequests().last(), (test::Request{3, 64, 23}));
}

void TestParamResults::writeRefusedRowsSayWhyAndNothingIsSent() {
  test::ParamFixture f;
  test::loadSample(f.dev);
  QVERIFY(read(f).ok());
  mark(f.ws.Grid1, 5, QStringLiteral("800"));
  mark(f.ws.grdSett, 7, QStringLiteral("150.00"));
  mark(f.ws.grdSett, 17, QString());
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
  mark(f.ws.Grid1, 5, QStringLiteral("800"));
  const int opens = f.opens();
  f.forgetRequests();
  const ParamWriteResult r = write(f, Result<QString>::failed(password));
  QCOMPARE(r.outcome, password);
  QVERIFY(r.rows.isEmpty());
  QVERIFY(f.requests().isEmpty());
  QCOMPARE(f.opens(), opens);
  QCOMPARE(f.ws.Grid1.cell(grid::kMark, 5), QStringLiteral("*"));
}

void TestParamResults::writePortFailureLeavesTheRestUnsent() {
  test::ParamFixture f;
  test::loadSample(f.dev);
  QVERIFY(read(f).ok());
  const SetupFields before = f.session.vmk.setup;
  mark(f.ws.Grid1, 5, QStringLiteral("800"));
  mark(f.ws.Grid1, 6, QStringLiteral("1"));
  mark(f.ws.Grid1, 7, QStringLiteral("200"));
  f.plan.fault = [](const QByteArray& request) {
    return request.size() > 3 && std::uint8_t(request[3]) == 81 ? test::Fault::Throw
                                                                 : test::Fault::None;
  };
  const ParamWriteResult r = write(f);
  QCOMPARE(r.outcome, Outcome::PortFailure);
  QCOMPARE(findWrite(r, 1, 5)->state, RowWrite::Written);
  QCOMPARE(findWrite(r, 1, 6)->state, RowWrite::Unanswered);
  QCOMPARE(findWrite(r, 1, 6)->outcome, Outcome::PortFailure);
  QCOMPARE(findWrite(r, 1, 7)->state, RowWrite::NotSent);
  QVERIFY(f.ws.Grid1.cell(grid::kMark, 5).isEmpty());
  QCOMPARE(f.ws.Grid1.cell(grid::kMark, 6), QStringLiteral("*"));
  QCOMPARE(f.ws.Grid1.cell(grid::kMark, 7), QStringLiteral("*"));
  QCOMPARE(f.session.vmk.setup, before);
  QVERIFY(!f.portOpen());
}

QTEST_GUILESS_MAIN(TestParamResults)
#include "test_param_results.moc"
