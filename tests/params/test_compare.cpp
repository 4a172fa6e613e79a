// Comparing parameters and settings: the device's two groups, the device
// against a file, two files, and taking the differences over into the
// grids; a difference in the names of its bits and with its unit; vmkctl's
// params diff and its exit codes.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include "ctl/cli.h"
#include "extlib/ini_file.h"
#include "model/text_grid.h"
#include "params/catalogue.h"
#include "params/compare.h"
#include "params/read_params.h"
#include "params/settings_file.h"
#include "ranges/value_ranges.h"
#include "shell/command_registry.h"
#include "shell/compare_commands.h"
#include "shell/params_commands.h"
#include "tests/params/param_sample.h"
#include "tests/support/setting_row.h"
#include "viewer/editor_spec.h"
#include "viewer/signal_names.h"

using namespace vmk;
using test::settingRow;

namespace {

// The setting row of a register offset.
int paramRow(const QString& key) {
  const QVector<RowSpec>& rows = paramRows();
  for (int i = 0; i < rows.size(); ++i)
    if (rows[i].fileKey == key) return i;
  return -1;
}

// (grid, row) -> state of every row compared.
QHash<int, RowCompare> states(const Comparison& c) {
  QHash<int, RowCompare> s;
  for (const CompareRow& r : c.rows) s.insert(CompareSide::rowKey(r.grid, r.row), r.state);
  return s;
}

QHash<int, RowCompare> differing(const Comparison& c) {
  QHash<int, RowCompare> s = states(c);
  s.removeIf([](const auto& it) { return it.value() == RowCompare::Equal; });
  return s;
}

int key(int grid, int row) { return CompareSide::rowKey(grid, row); }

// The sample device, its grids read into the workspace.
struct Bench : test::ParamFixture {
  QTemporaryDir dir;
  Bench() {
    test::loadSample(dev);
    ws.parameters.params.clearParameters();
    ws.parameters.params.clearSettings(1);
    ws.pages.setTabVisible(kPageDinamic, true);
  }
  QString path(const QString& name) const { return dir.filePath(name); }
  // A settings file of the device as read, changed by `edit`.
  QString fileOfDevice(const QString& name, const std::function<void(IniFile&)>& edit = {}) {
    ParamSet set(1);
    SetupFields setup;
    readParameters(session, 1, set, setup, QLocale::c());
    const QString file = path(name);
    if (!saveSettingsFile(file, set).ok()) return {};
    if (edit) {
      IniFile ini(IniCodec::Windows1251);
      ini.load(file);
      edit(ini);
      ini.save(file);
    }
    return file;
  }
};

const QString kSettings = QStringLiteral("Уставки");
const QString kParams = QStringLiteral("Параметры");

}  // namespace

class TestCompare : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void groupOneAgainstGroupTwo() {
    Bench b;
    const std::optional<Comparison> c = compareGroups(b.ws, QLocale::c());
    QVERIFY(c);
    QCOMPARE(c->leftName, QStringLiteral("Группа 1"));
    QCOMPARE(c->rightName, QStringLiteral("Группа 2"));
    QCOMPARE(c->rows.size(), 24);  // the settings only
    const QHash<int, RowCompare> expected{
        {key(2, settingRow(6)), RowCompare::Differs},   // 0.25 s against 0.77 s
        {key(2, settingRow(29)), RowCompare::Differs},  // 1.25 s against 0
        // Characteristic word 6 in group 1 stands for no value: never equal.
        {key(2, settingRow(20)), RowCompare::Unconvertible}};
    QCOMPARE(differing(*c), expected);
    // Two register reads, nothing written.
    const QList<test::Request> reads{{3, 256, 38}, {3, 512, 38}};
    QCOMPARE(b.registerRequests(), reads);
    QVERIFY(!b.portOpen());
  }

  void silentDeviceGivesTheLinkError() {
    Bench b;
    b.plan.fault = test::silentFrom(2, b.plan);
    QVERIFY(!compareGroups(b.ws, QLocale::c()));
    QCOMPARE(b.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка связи с устройством!")});
    QVERIFY(!b.portOpen());
  }

  void deviceAgainstFile() {
    Bench b;
    const QString file = b.fileOfDevice("a.ust", [](IniFile& ini) {
      ini.setValue(QStringLiteral("Уставки"), QStringLiteral("Время МТЗ-1"), QStringLiteral("0.30"));
      ini.setValue(QStringLiteral("Параметры"), QStringLiteral("Первичный ток ТТ"), QStringLiteral("750"));
      ini.remove(QStringLiteral("Уставки"), QStringLiteral("Время УРОВ"));
      // The same value in another spelling is no difference.
      ini.setValue(QStringLiteral("Уставки"), QStringLiteral("Время АПВ 1й ступени"),
                   QStringLiteral("1.250"));
    });
    const std::optional<Comparison> c = compareDeviceWithFile(b.ws, b.ws.parameters, file, QLocale::c());
    QVERIFY(c);
    QCOMPARE(c->leftName, QStringLiteral("Устройство, группа 1"));
    QCOMPARE(c->rightName, QStringLiteral("a.ust"));
    QCOMPARE(c->rows.size(), 56 + 24);
    const int urov = [] {
      for (int i = 0; i < settingRows().size(); ++i)
        if (settingRows()[i].fileKey == QStringLiteral("Время УРОВ")) return i;
      return -1;
    }();
    const QHash<int, RowCompare> expected{
        {key(2, settingRow(6)), RowCompare::Differs},
        {key(1, paramRow(QStringLiteral("Первичный ток ТТ"))), RowCompare::Differs},
        {key(2, urov), RowCompare::OnlyLeft},
        {key(2, settingRow(20)), RowCompare::Unconvertible}};
    QCOMPARE(differing(*c), expected);
    // The window's grids are untouched by a comparison.
    QCOMPARE(b.ws.parameters.grdSett.cell(grid::kValue, settingRow(6)), QString());
  }

  void twoFiles() {
    Bench b;
    const QString left = b.fileOfDevice("left.ust");
    const QString right = b.fileOfDevice("right.ust", [](IniFile& ini) {
      ini.setValue(QStringLiteral("Уставки"), QStringLiteral("Тип характеристики"),
                   CharacteristicNames().at(2));
      ini.setValue(QStringLiteral("Уставки"), QStringLiteral("Ток ЗНЗ"), QStringLiteral("много"));
      ini.removeSection(QStringLiteral("Параметры"));
    });
    const std::optional<Comparison> c = compareFiles(b.ws, left, right);
    QVERIFY(c);
    const QHash<int, RowCompare> s = states(*c);
    // The right file has no parameters at all: each one is the left's only.
    for (int i = 0; i < paramRows().size(); ++i)
      if (!paramRows()[i].fileKey.isEmpty()) QCOMPARE(s.value(key(1, i)), RowCompare::OnlyLeft);
    // An empty characteristic on the left, a name on the right; a word on
    // the right where a number belongs.
    QCOMPARE(s.value(key(2, settingRow(20))), RowCompare::Unconvertible);
    QCOMPARE(s.value(key(2, settingRow(25))), RowCompare::Unconvertible);
    for (const CompareRow& r : c->rows)
      if (r.row == settingRow(25) && r.grid == 2)
        QVERIFY2(r.why.startsWith(QStringLiteral("right.ust: ")), qPrintable(r.why));
    QCOMPARE(s.value(key(2, settingRow(6))), RowCompare::Equal);

    // The same name in two folders: the paths tell them apart.
    QTemporaryDir other;
    const QString twin = other.filePath("left.ust");
    QVERIFY(QFile::copy(left, twin));
    const std::optional<Comparison> same = compareFiles(b.ws, left, twin);
    QVERIFY(same);
    QCOMPARE(same->rightName, twin);
    // Equal but for the rows that convert to nothing on both sides.
    QCOMPARE(differing(*same).keys(), QList<int>{key(2, settingRow(20))});
  }

  void aFileThatCannotBeUsedIsSaidSo() {
    Bench b;
    QFile empty(b.path("empty.ust"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    QVERIFY(!compareFiles(b.ws, b.path("empty.ust"), b.fileOfDevice("x.ust")));
    QCOMPARE(b.prompts.boxTexts().size(), 1);
    QVERIFY(b.prompts.boxTexts().first().contains(QStringLiteral("empty.ust")));
    // Asked by name, a file without .ust is refused with a reason.
    QVERIFY(!compareFiles(b.ws, b.fileOfDevice("y.ust"), b.path("y.txt")));
    QCOMPARE(b.prompts.boxTexts().size(), 2);
  }

  void takingOverMarksExactlyTheDifferingRows() {
    Bench b;
    QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
    const QString file = b.fileOfDevice("t.ust", [](IniFile& ini) {
      ini.setValue(QStringLiteral("Уставки"), QStringLiteral("Время МТЗ-1"), QStringLiteral("0.40"));
      ini.setValue(QStringLiteral("Параметры"), QStringLiteral("Вторичный ток ТТ"), QStringLiteral("1"));
      ini.remove(QStringLiteral("Уставки"), QStringLiteral("Время ЗНЗ"));
    });
    const std::optional<Comparison> c = compareDeviceWithFile(b.ws, b.ws.parameters, file, QLocale::c());
    QVERIFY(c);
    QVERIFY(!b.ws.parameters.ParamsModified);
    QCOMPARE(takeOverIntoGrids(b.ws.parameters, *c, true), 2);
    QVERIFY(b.ws.parameters.ParamsModified);
    QSet<int> marked;
    for (int tag : {1, 2}) {
      TextGrid& g = tag == 1 ? b.ws.parameters.Grid1 : b.ws.parameters.grdSett;
      for (int i = 0; i < g.rowCount(); ++i)
        if (g.cell(grid::kMark, i) == QStringLiteral("*")) marked << key(tag, i);
    }
    const int secondary = paramRow(QStringLiteral("Вторичный ток ТТ"));
    QCOMPARE(marked, (QSet<int>{key(2, settingRow(6)), key(1, secondary)}));
    QCOMPARE(b.ws.parameters.grdSett.cell(grid::kValue, settingRow(6)), QStringLiteral("0.40"));

    // The write sends exactly those rows, with its checks.
    b.forgetRequests();
    b.prompts.answerPassword(test::passwordOf(b.dev));
    QVERIFY(actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
    QCOMPARE(b.dev.registerValue(256 + 6), 40);
    QList<test::Request> writes;
    for (const test::Request& r : b.registerRequests())
      if (r.function == 6) writes << r;
    QCOMPARE(writes.size(), 2);

    // From the left (the device), the row the file lacks is not the
    // device's to give: only rows that differ are taken.
    const std::optional<Comparison> again = compareDeviceWithFile(b.ws, b.ws.parameters, file, QLocale::c());
    QVERIFY(again);
    QCOMPARE(takeOverIntoGrids(b.ws.parameters, *again, false), 1);
  }

  // A differing row reads as an engineer reads it: the texts as the grids
  // show them with the unit, the bits that differ named as the value
  // editor names them (a recorder channel's in the device's order, the
  // high part of a two-register row from register + 1).
  void aDifferenceReadsInNamesAndUnits_data() {
    QTest::addColumn<int>("grid");
    QTest::addColumn<int>("reg");  // a parameter's register, a setting's offset
    QTest::addColumn<QVector<std::uint16_t>>("left");
    QTest::addColumn<QVector<std::uint16_t>>("right");
    QTest::addColumn<QString>("rightText");
    QTest::addColumn<QString>("bits");
    using W = QVector<std::uint16_t>;
    QTest::newRow("scaled") << 2 << 5 << W{20000} << W{11250} << "22,50 In" << "";
    QTest::newRow("milliseconds") << 1 << 134 << W{5} << W{12} << "120 мс" << "";
    QTest::newRow("bits") << 2 << 0 << W{0b1001} << W{0b0011} << "000000000000011"
                          << "+ МТЗ-2, − ЗНЗ";
    QTest::newRow("high part") << 1 << 96 << W{1, 0} << W{1, 0b10} << "0000100000000000000001"
                               << "+ Ускорение МТЗ";
    QTest::newRow("recorder channel") << 1 << 192 << W{0, 0x0800} << W{1, 1}
                                      << "00000000000000010000000000000001"
                                      << "+ Дискретный вход 1, + Пуск МТЗ-1, − Блокировка АПВ";
    QTest::newRow("names of the table") << 2 << 36 << W{1} << W{0} << "0"
                                        << "− Блокировка АПВ по току";
  }
  void aDifferenceReadsInNamesAndUnits() {
    QFETCH(int, grid);
    QFETCH(int, reg);
    QFETCH(QVector<std::uint16_t>, left);
    QFETCH(QVector<std::uint16_t>, right);
    QFETCH(QString, rightText);
    QFETCH(QString, bits);
    const QVector<RowSpec>& rows = rowsOf(grid);
    int row = 0;
    while (!(rows[row].isData() && rows[row].reg == reg)) ++row;
    CompareSide a{QStringLiteral("А"), ParamSet(1)}, b{QStringLiteral("Б"), ParamSet(1)};
    a.values.setLocale(QLocale(QLocale::Russian));
    b.values.setLocale(QLocale(QLocale::Russian));
    a.values.setValue(grid, row, RowValue::read(left[0], left.value(1)));
    b.values.setValue(grid, row, RowValue::read(right[0], right.value(1)));
    const Comparison c = compareSides(a, b);
    QCOMPARE(c.rows.size(), 1);
    QCOMPARE(c.rows[0].state, RowCompare::Differs);
    QCOMPARE(shownText(c.rows[0], true), rightText);
    QCOMPARE(bitDifference(c.rows[0], view::signalName), bits);
  }

  // Every bit of every bit set is named as the value editor names it.
  void bitsAreNamedAsTheValueEditorNamesThem() {
    for (int grid : {1, 2})
      for (const RowSpec& row : rowsOf(grid)) {
        if (row.kind != RowKind::Bits && row.kind != RowKind::WideBits) continue;
        const int reg = grid == 2 ? groupBase(2) + row.reg : row.reg;
        const QStringList editor = view::specForRegister(std::uint16_t(reg)).bitNames;
        QCOMPARE(int(editor.size()), row.bitWidth());
        for (int bit = 0; bit < row.bitWidth(); ++bit) {
          const std::uint32_t set = 1u << bit;
          const QVector<std::uint16_t> words{std::uint16_t(set), std::uint16_t(set >> 16)};
          QCOMPARE(bitDifference(row, reg, {0, 0}, words, view::signalName),
                   QStringLiteral("+ ") + editor[bit]);
        }
      }
  }

  void paramsDiffOnTheCommandLine() {
    Bench b;
    QString out, err;
    ctl::CliStreams streams;
    streams.out = [&out](const QString& t) { out += t + QLatin1Char('\n'); };
    streams.err = [&err](const QString& t) { err += t + QLatin1Char('\n'); };
    ctl::CliSetup setup;
    setup.linkFactory = b.linkFactory();
    setup.programDir = b.dir.path() + QLatin1Char('/');
    setup.clock = &b.clock;
    ctl::Cli cli(commandRegistry(), streams, setup);
    const QString left = b.fileOfDevice("l.ust");
    const QString right = b.fileOfDevice("r.ust", [](IniFile& ini) {
      ini.setValue(QStringLiteral("Уставки"), QStringLiteral("Время МТЗ-1"), QStringLiteral("0.30"));
    });

    // An empty characteristic on both sides is never taken as equal.
    QCOMPARE(cli.run({"params", "diff", left, left}), 4);
    QVERIFY2(out.contains(QStringLiteral("\tunconvertible\t\n")), qPrintable(out));
    out.clear();
    b.dev.setRegister(256 + 20, 2);
    const QString l2 = b.fileOfDevice("l2.ust");
    QCOMPARE(cli.run({"params", "diff", l2, l2}), 0);
    QCOMPARE(out, QString());

    QCOMPARE(cli.run({"params", "diff", l2, right}), 4);
    QVERIFY2(out.contains(QStringLiteral("Уставки\tВремя МТЗ-1, с\t0.250 с\t0.30 с\tdiffers\t\n")),
             qPrintable(out));
    out.clear();
    QCOMPARE(cli.run({"--json", "params", "diff", l2, right}), 4);
    const QJsonObject o = QJsonDocument::fromJson(out.toUtf8()).object();
    QCOMPARE(o.value("exit").toInt(), 4);
    QCOMPARE(o.value("equal").toBool(), false);
    const QJsonArray rows = o.value("rows").toArray();
    QVERIFY(!rows.isEmpty());
    bool found = false;
    for (const QJsonValue& v : rows) {
      const QJsonObject r = v.toObject();
      if (r.value("caption").toString() != QStringLiteral("Время МТЗ-1, с")) continue;
      found = true;
      QCOMPARE(r.value("leftWords").toArray(), QJsonArray{25});
      QCOMPARE(r.value("rightWords").toArray(), QJsonArray{30});
    }
    QVERIFY(found);

    // The device's groups; the device against a file of its own.
    QCOMPARE(cli.run({"params", "diff"}), 4);
    for (int k = 0; k < 38; ++k) b.dev.setRegister(512 + k, b.dev.registerValue(256 + k));
    out.clear();
    QCOMPARE(cli.run({"params", "diff"}), 0);
    QCOMPARE(cli.run({"params", "diff", "--group", "2", l2}), 0);
    QCOMPARE(cli.run({"params", "diff", "--group", "1", right}), 4);

    QCOMPARE(cli.run({"params", "diff", "--group", "2"}), 2);
    QCOMPARE(cli.run({"params", "diff", left, right, left}), 2);
    QCOMPARE(cli.run({"params", "diff", b.path("none.ust"), right}), 3);
  }
};

QTEST_GUILESS_MAIN(TestCompare)
#include "test_compare.moc"
