#include <QtTest>

#include "params/catalogue.h"
#include "params/param_set.h"
#include "shell/params_commands.h"
#include "tests/params/param_sample.h"

using namespace vmk;

namespace {

const QLocale kC = QLocale::c();
const QLocale kRu = QLocale(QLocale::Russian, QLocale::Russia);

int paramRowOf(const QString& caption) {
  for (int i = 0; i < paramRows().size(); ++i)
    if (paramRows()[i].caption == caption) return i;
  return -1;
}
// The data row when a heading has the same caption ("Ускорение МТЗ").
int settingRowOf(const QString& caption) {
  for (int i = int(settingRows().size()) - 1; i >= 0; --i)
    if (settingRows()[i].caption == caption) return i;
  return -1;
}
// "P:" caption in Grid1, "S:" in grdSett.
const RowSpec& spec(const QString& where) {
  const QString caption = where.mid(2);
  if (where.startsWith(u'P')) return paramRows()[paramRowOf(caption)];
  return settingRows()[settingRowOf(caption)];
}

}  // namespace

class TestCatalogue : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void layoutAfterStart();
  void groupSwitchDiscardsValuesAndMarks();
  void aCopiedSetKeepsItsRows();
  void fileKeys();
  void textFromWords_data();
  void textFromWords();
  void editorValue_data();
  void editorValue();
  void textAfterEdit_data();
  void textAfterEdit();
  void wordsFromText_data();
  void wordsFromText();
  void wordsOfReadAreTheWordsOfTheTextShown_data();
  void wordsOfReadAreTheWordsOfTheTextShown();
};

void TestCatalogue::layoutAfterStart() {
  test::ParamFixture b;
  b.ws.parameters.params.clearParameters();
  b.ws.parameters.params.clearSettings(b.ws.parameters.SettingGroup);
  QCOMPARE(paramRows().size(), 62);
  QCOMPARE(settingRows().size(), 32);
  int headings = 0;
  for (int i = 0; i < 62; ++i) {
    QVERIFY(!b.ws.parameters.Grid1.cell(grid::kCaption, i).isEmpty());
    QVERIFY(b.ws.parameters.Grid1.cell(grid::kValue, i).isEmpty());
    if (b.ws.parameters.Grid1.cell(grid::kRegister, i) == QLatin1String("-1")) ++headings;
  }
  QCOMPARE(headings, 5);
  QCOMPARE(b.ws.parameters.Grid1.cell(grid::kCaption, 2), QStringLiteral("Пароль"));
  QCOMPARE(b.ws.parameters.Grid1.cell(grid::kRegister, 2), QStringLiteral("65535"));
  QCOMPARE(b.ws.parameters.Grid1.cell(grid::kRegister, 10), QStringLiteral("96"));
  QCOMPARE(b.ws.parameters.Grid1.cell(grid::kRegister, 38), QStringLiteral("124"));
  QCOMPARE(b.ws.parameters.Grid1.cell(grid::kRegister, 42), QStringLiteral("123"));
  QCOMPARE(b.ws.parameters.Grid1.cell(grid::kCaption, 61), QStringLiteral("Логический канал осциллографа 16"));
  QCOMPARE(b.ws.parameters.Grid1.cell(grid::kRegister, 61), QStringLiteral("222"));
  QCOMPARE(b.ws.parameters.grdSett.cell(grid::kRegister, 0), QStringLiteral("-1"));
  QCOMPARE(b.ws.parameters.grdSett.cell(grid::kRegister, 8), QStringLiteral("262"));
  QCOMPARE(b.ws.parameters.grdSett.cell(grid::kRegister, 31), QStringLiteral("292"));
}

// A copy (the comparison's sides, the set as a file left it) shares its
// rows only until either set changes one.
void TestCatalogue::aCopiedSetKeepsItsRows() {
  ParamSet set(1);
  set.setValue(1, 5, RowValue::read(750));
  const ParamSet copy(set);
  ParamSet assigned;
  assigned = set;
  set.setValue(1, 5, RowValue::read(5));
  set.setMarked(2, 3, true);
  for (const ParamSet* other : {&copy, static_cast<const ParamSet*>(&assigned)}) {
    QCOMPARE(other->value(1, 5), RowValue::read(750));
    QVERIFY(!other->marked(2, 3));
  }
}

void TestCatalogue::groupSwitchDiscardsValuesAndMarks() {
  test::ParamFixture b;
  b.ws.parameters.params.clearSettings(b.ws.parameters.SettingGroup);
  putRowText(b.ws.parameters.params, 2, 8, QStringLiteral("0.25"));
  b.ws.parameters.params.setMarked(2, 8, true);
  rbGroup2Click(b.ws.parameters, 2);
  QCOMPARE(b.ws.parameters.SettingGroup, 2);
  QCOMPARE(b.ws.parameters.grdSett.cell(grid::kRegister, 8), QStringLiteral("518"));
  QCOMPARE(b.ws.parameters.grdSett.cell(grid::kRegister, 1), QStringLiteral("512"));
  QCOMPARE(b.ws.parameters.grdSett.cell(grid::kCaption, 8), QStringLiteral("Время МТЗ-1, с"));
  QVERIFY(b.ws.parameters.grdSett.cell(grid::kValue, 8).isEmpty());
  QVERIFY(b.ws.parameters.grdSett.cell(grid::kMark, 8).isEmpty());
  b.ws.parameters.params.setMarked(2, 8, true);
  rbGroup2Click(b.ws.parameters, 1);
  QCOMPARE(b.ws.parameters.grdSett.cell(grid::kRegister, 8), QStringLiteral("262"));
  QVERIFY(b.ws.parameters.grdSett.cell(grid::kMark, 8).isEmpty());
}

void TestCatalogue::fileKeys() {
  int params = 0, settings = 0;
  QSet<QString> keys;
  for (const RowSpec& r : paramRows())
    if (!r.fileKey.isEmpty()) { ++params; keys.insert(r.fileKey); }
  for (const RowSpec& r : settingRows())
    if (!r.fileKey.isEmpty()) ++settings;
  QCOMPARE(params, 56);
  QCOMPARE(settings, 24);
  QCOMPARE(keys.size(), 56);
  QCOMPARE(paramRows()[44].fileKey, QStringLiteral("Время записи доаварийного процесса"));
  QCOMPARE(paramRows()[37].fileKey, QStringLiteral("Время замкнутого контакта - 1 реле"));
  QCOMPARE(settingRows()[1].fileKey, QStringLiteral("Активные Ступени"));
  QCOMPARE(settingRows()[2].fileKey, QStringLiteral("Разрешение внешнего блокирования"));
}

void TestCatalogue::textFromWords_data() {
  QTest::addColumn<QString>("row");
  QTest::addColumn<int>("word");
  QTest::addColumn<int>("next");
  QTest::addColumn<bool>("russian");
  QTest::addColumn<QString>("text");
  QTest::newRow("address low byte") << "P:Адрес устройства" << 261 << 0 << false << "5";
  QTest::newRow("active group bit 0") << "P:Активная группа уставок" << 0xFFFE << 0 << false << "1";
  QTest::newRow("active group 2") << "P:Активная группа уставок" << 3 << 0 << false << "2";
  QTest::newRow("group mode bit 0 only") << "P:Способ изменения группы уставок" << 0xFFFE << 0
                                         << false << "Статическое измен.";
  QTest::newRow("group mode dynamic") << "P:Способ изменения группы уставок" << 1 << 0 << false
                                      << "Динамическое измен.";
  QTest::newRow("recorder source bit 0") << "P:Источник запуска осциллографа" << 0x0003 << 0
                                         << false << "Пуск МТЗ/ЗНЗ";
  QTest::newRow("recorder source work") << "P:Источник запуска осциллографа" << 0x0002 << 0
                                        << false << "Работа МТЗ/ЗНЗ";
  QTest::newRow("input delay x10") << "P:Время выдержки входа - 3, мс" << 25 << 0 << false << "250";
  QTest::newRow("pre-trigger dot") << "P:Время до старта осциллографа, с" << 15 << 0 << false << "1.50";
  QTest::newRow("pre-trigger comma") << "P:Время до старта осциллографа, с" << 15 << 0 << true << "1,50";
  QTest::newRow("indicator 22 bits") << "P:Индикатор 1" << 0x8001 << 0x0061 << false
                                     << "100001" "1000000000000001";
  QTest::newRow("relay 18 bits") << "P:Выходное реле 5" << 0x0002 << 0x0003 << false
                                 << "11" "0000000000000010";
  QTest::newRow("input 15 bits") << "P:Дискретный вход 1" << 0xFFFF << 0 << false
                                 << "111111111111111";
  QTest::newRow("no thousands separator") << "S:Ток МТЗ-1, кратность In (A)" << 65535 << 0 << true
                                          << "131,07";
  QTest::newRow("current /500") << "S:Ток МТЗ-2, кратность In (A)" << 625 << 0 << false << "1.25";
  QTest::newRow("earth current /1000") << "S:Ток ЗНЗ, кратность In (A)" << 5 << 0 << false << "0.005";
  QTest::newRow("time %.3f") << "S:Время МТЗ-1, с" << 25 << 0 << false << "0.250";
  QTest::newRow("characteristic 5") << "S:Тип характеристики" << 5 << 0 << false << "пологая (РТ-80)";
  QTest::newRow("characteristic 6 empty") << "S:Тип характеристики" << 6 << 0 << false << "";
  QTest::newRow("acceleration decimal") << "S:Ускорение МТЗ" << 5 << 0 << false << "5";
  QTest::newRow("apv current 1 bit") << "S:Блокировка АПВ по току" << 3 << 0 << false << "1";
}

void TestCatalogue::textFromWords() {
  QFETCH(QString, row);
  QFETCH(int, word);
  QFETCH(int, next);
  QFETCH(bool, russian);
  QFETCH(QString, text);
  QCOMPARE(vmk::textFromWords(spec(row), std::uint16_t(word), std::uint16_t(next), russian ? kRu : kC),
           text);
}

void TestCatalogue::editorValue_data() {
  QTest::addColumn<QString>("row");
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("russian");
  QTest::addColumn<bool>("converts");
  QTest::addColumn<int>("value");
  QTest::newRow("tenths half to even down") << "S:Время АПВ 1й ступени, с" << "1.25" << false << true << 12;
  QTest::newRow("tenths half to even up") << "S:Время АПВ 1й ступени, с" << "1.35" << false << true << 14;
  QTest::newRow("hundredths of In half even") << "S:Ток МТЗ-1, кратность In (A)" << "0.125" << false << true << 12;
  QTest::newRow("comma locale") << "S:Время АПВ 1й ступени, с" << "1,25" << true << true << 12;
  // Either separator, whatever the locale: "4,5" typed under C.UTF-8 is 4.5.
  QTest::newRow("comma in dot locale") << "S:Время АПВ 1й ступени, с" << "1,25" << false << true << 12;
  QTest::newRow("dot in comma locale") << "S:Ток МТЗ-1, кратность In (A)" << "4.5" << true << true << 450;
  QTest::newRow("two separators") << "S:Ток МТЗ-1, кратность In (A)" << "4,5.1" << false << false << 0;
  QTest::newRow("pre-trigger x10") << "P:Время до старта осциллографа, с" << "1.50" << false << true << 15;
  QTest::newRow("active group - 1") << "P:Активная группа уставок" << "2" << false << true << 1;
  QTest::newRow("millis as is") << "P:Время выдержки входа - 1, мс" << "250" << false << true << 250;
  QTest::newRow("not a number") << "P:Первичный ток ТТ, A" << "abc" << false << false << 0;
  QTest::newRow("bits never fail") << "S:Активные ступени" << "1x1" << false << true << 5;
  QTest::newRow("32 bits all set") << "P:Логический канал осциллографа 1"
                                   << "11111111111111111111111111111111" << false << true << -1;
  QTest::newRow("characteristic index") << "S:Тип характеристики" << "крутая (РТВ-1)" << false << true << 4;
  QTest::newRow("characteristic none") << "S:Тип характеристики" << "что-то" << false << true << 255;
}

void TestCatalogue::editorValue() {
  QFETCH(QString, row);
  QFETCH(QString, text);
  QFETCH(bool, russian);
  QFETCH(bool, converts);
  QFETCH(int, value);
  const auto v = vmk::editorValue(spec(row), text, russian ? kRu : kC);
  QCOMPARE(v.has_value(), converts);
  if (converts) QCOMPARE(*v, value);
}

void TestCatalogue::textAfterEdit_data() {
  QTest::addColumn<QString>("row");
  QTest::addColumn<int>("value");
  QTest::addColumn<QString>("text");
  QTest::newRow("tenths") << "S:Время АПВ 1й ступени, с" << 15 << "1.5";
  QTest::newRow("hundredths") << "S:Время МТЗ-1, с" << 25 << "0.25";
  QTest::newRow("thousandths") << "S:Ток ЗНЗ, кратность In (A)" << 5 << "0.005";
  QTest::newRow("group + 1") << "P:Активная группа уставок" << 1 << "2";
  QTest::newRow("pre-trigger %.2f") << "P:Время до старта осциллографа, с" << 15 << "1.50";
  QTest::newRow("bits full width") << "S:Блокировки" << 3 << "00011";
  QTest::newRow("wide bits") << "P:Выходное реле 1" << 0x10001 << "01" "0000000000000001";
  QTest::newRow("characteristic beyond") << "S:Тип характеристики" << 6 << "";
  QTest::newRow("characteristic") << "S:Тип характеристики" << 0 << "независимая характеристика";
}

void TestCatalogue::textAfterEdit() {
  QFETCH(QString, row);
  QFETCH(int, value);
  QFETCH(QString, text);
  QCOMPARE(vmk::textAfterEdit(spec(row), value, kC), text);
}

void TestCatalogue::wordsFromText_data() {
  QTest::addColumn<QString>("row");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QList<int>>("words");  // empty: refused
  using L = QList<int>;
  QTest::newRow("time x100") << "S:Время МТЗ-1, с" << "0.25" << L{25};
  QTest::newRow("tenths shown time x100") << "S:Время АПВ 1й ступени, с" << "1.5" << L{150};
  QTest::newRow("exact decimal half even") << "S:Время МТЗ-1, с" << "1.005" << L{100};
  QTest::newRow("current x500") << "S:Ток МТЗ-1, кратность In (A)" << "1.25" << L{625};
  QTest::newRow("current too large") << "S:Ток МТЗ-1, кратность In (A)" << "150.00" << L{};
  QTest::newRow("not a number") << "S:Время МТЗ-1, с" << "abc" << L{};
  QTest::newRow("empty") << "S:Время МТЗ-1, с" << "" << L{};
  QTest::newRow("negative") << "P:Первичный ток ТТ, A" << "-1" << L{};
  QTest::newRow("integer max") << "P:Первичный ток ТТ, A" << "65535" << L{65535};
  QTest::newRow("integer beyond") << "P:Первичный ток ТТ, A" << "65536" << L{};
  QTest::newRow("millis div 10") << "P:Время выдержки входа - 3, мс" << "255" << L{25};
  QTest::newRow("active group") << "P:Активная группа уставок" << "2" << L{1};
  QTest::newRow("active group 3") << "P:Активная группа уставок" << "3" << L{};
  QTest::newRow("address byte") << "P:Адрес устройства" << "300" << L{};
  QTest::newRow("toggle С") << "P:Способ изменения группы уставок" << "Статическое измен." << L{0};
  QTest::newRow("toggle Д") << "P:Способ изменения группы уставок" << "Динамическое" << L{1};
  QTest::newRow("toggle П") << "P:Источник запуска осциллографа" << "Пуск МТЗ/ЗНЗ" << L{1};
  // L{-1}: kept, the row stands for no value and is not written.
  QTest::newRow("toggle other") << "P:Источник запуска осциллографа" << "Старт" << L{-1};
  QTest::newRow("toggle empty") << "P:Способ изменения группы уставок" << "" << L{-1};
  QTest::newRow("indicator low then high") << "P:Индикатор 2" << "100001" "1000000000000001"
                                           << L{0x8001, 0x21};
  QTest::newRow("bits with garbage") << "S:Активные ступени" << "1x1" << L{};
  QTest::newRow("bits too long") << "S:Блокировки" << "111111" << L{};
  QTest::newRow("characteristic") << "S:Тип характеристики" << "сильно инверсная характеристика" << L{2};
  QTest::newRow("characteristic empty") << "S:Тип характеристики" << "" << L{-1};
  QTest::newRow("characteristic unknown") << "S:Тип характеристики" << "кривая 7" << L{};
}

void TestCatalogue::wordsFromText() {
  QFETCH(QString, row);
  QFETCH(QString, text);
  QFETCH(QList<int>, words);
  const WriteWords w = vmk::wordsFromText(spec(row), text, kC);
  if (words == QList<int>{-1}) {
    QVERIFY(w.kept);
    QVERIFY(!w.ok());
    QVERIFY(w.words.isEmpty() && w.why.isEmpty());
    return;
  }
  QVERIFY(!w.kept);
  QCOMPARE(w.ok(), !words.isEmpty());
  if (!w.ok()) {
    QVERIFY(!w.why.isEmpty());
    return;
  }
  QList<int> got;
  for (auto x : w.words) got << x;
  QCOMPARE(got, words);
}

// A parameter set writes the words of a row read from the device without
// its text; they must be what the text the grid shows would write, for
// every word of every kind of row.
void TestCatalogue::wordsOfReadAreTheWordsOfTheTextShown_data() {
  QTest::addColumn<QString>("row");
  QSet<QString> shapes;
  for (const auto& [prefix, rows] : {std::pair{QStringLiteral("P:"), &paramRows()},
                                     std::pair{QStringLiteral("S:"), &settingRows()}})
    for (const RowSpec& r : *rows) {
      const QString shape = QStringLiteral("%1 %2 %3 %4 %5 %6")
                                .arg(int(r.kind))
                                .arg(r.bits)
                                .arg(r.readDivisor)
                                .arg(r.readDecimals)
                                .arg(r.writeScale)
                                .arg(r.offText + r.onText);
      if (!shapes.contains(shape)) {
        shapes.insert(shape);
        QTest::newRow(qPrintable(prefix + r.caption)) << prefix + r.caption;
      }
    }
}

void TestCatalogue::wordsOfReadAreTheWordsOfTheTextShown() {
  QFETCH(QString, row);
  const RowSpec& s = spec(row);
  for (int word = 0; word <= 0xFFFF; ++word)
    for (const int next : {0, 0xFFFF, word ^ 0x5A5A}) {
      const QString shown = vmk::textFromWords(s, std::uint16_t(word), std::uint16_t(next), kRu);
      const WriteWords fromText = vmk::wordsFromText(s, shown, kRu);
      const WriteWords ofRead = wordsOfRead(s, std::uint16_t(word), std::uint16_t(next));
      if (!(ofRead == fromText))
        QFAIL(qPrintable(QStringLiteral("words %1, %2 shown as «%3»").arg(word).arg(next).arg(shown)));
      if (!s.isTwoRegister()) break;  // `next` counts for two-register rows only
    }
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "test_catalogue.moc"
