#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "extlib/charset.h"
#include "params/catalogue.h"
#include "params/settings_file.h"
#include "shell/params_commands.h"
#include "tests/params/param_sample.h"

using namespace vmk;

namespace {

QStringList texts(const TextGrid& g, int column) {
  QStringList out;
  for (int r = 0; r < g.rowCount(); ++r) out << g.cell(column, r);
  return out;
}

int marks(const TextGrid& g) {
  int n = 0;
  for (int r = 0; r < g.rowCount(); ++r) n += g.cell(grid::kMark, r) == QLatin1String("*");
  return n;
}

void writeFile(const QString& path, const QString& text) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(cp1251::encode(text));
}

QString readFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return cp1251::decode(f.readAll());
}

}  // namespace

class TestSettingsFile : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void roundTripMarksEveryDataRow();
  void independentParserReadsKeysInOrder();
  void foreignSectionsSurvive();
  void extensionIsCaseSensitive();
  void onlySettingsSection();
  void group1FileWritesToGroup2();
  void badFileValuesRefusedBeforeWriting_data();
  void badFileValuesRefusedBeforeWriting();
  void loadGivesTheEntriesFound();
  void unusableFilesAreRefused();

 private:
  QTemporaryDir m_dir;
};

void TestSettingsFile::roundTripMarksEveryDataRow() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  QVERIFY(ActGetParSetExecute(b.ws, QLocale::c()));
  const QStringList params = texts(b.ws.Grid1, grid::kValue);
  const QStringList settings = texts(b.ws.grdSett, grid::kValue);
  const QString path = m_dir.filePath(QStringLiteral("round.ust"));
  b.prompts.answerSave(path);
  QVERIFY(ActSaveFileExecute(b.ws));
  QCOMPARE(b.prompts.asked().last().text, QStringLiteral("Файл параметров и уставок (*.ust)|*.ust"));
  QCOMPARE(marks(b.ws.Grid1), 0);

  FillParamList(b.ws.Grid1);
  FillUstList(b.ws.grdSett, b.ws.SettingGroup);
  b.prompts.answerOpen(path);
  QVERIFY(ActOpenFileExecute(b.ws));
  QStringList expected = params;
  expected[2].clear();  // the password is not stored
  QCOMPARE(texts(b.ws.Grid1, grid::kValue), expected);
  QCOMPARE(texts(b.ws.grdSett, grid::kValue), settings);
  QCOMPARE(marks(b.ws.Grid1), 56);
  QCOMPARE(marks(b.ws.grdSett), 24);
  QCOMPARE(b.ws.Grid1.cell(grid::kMark, 61), QStringLiteral("*"));
  QVERIFY(b.ws.Grid1.cell(grid::kMark, 2).isEmpty());
  QVERIFY(!b.ws.ParamsModified);
  QVERIFY(b.registerRequests().size() == 5);  // no device exchange by the file
}

void TestSettingsFile::independentParserReadsKeysInOrder() {
  test::ParamFixture b;
  FillParamList(b.ws.Grid1);
  FillUstList(b.ws.grdSett, b.ws.SettingGroup);
  b.ws.Grid1.setCell(grid::kValue, 45, QStringLiteral("Пуск МТЗ/ЗНЗ"));
  b.ws.grdSett.setCell(grid::kValue, 26, QStringLiteral("1,25"));
  const QString path = m_dir.filePath(QStringLiteral("python.ust"));
  b.prompts.answerSave(path);
  QVERIFY(ActSaveFileExecute(b.ws));

  const char* script =
      "import configparser, json, sys\n"
      "p = configparser.RawConfigParser(delimiters=('=',))\n"
      "p.optionxform = str\n"
      "p.read(sys.argv[1], encoding='cp1251')\n"
      "print(json.dumps([[s, [[k, v] for k, v in p.items(s)]] for s in p.sections()],"
      " ensure_ascii=False))\n";
  QProcess py;
  py.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script), path});
  QVERIFY(py.waitForFinished(30000));
  QCOMPARE(py.exitCode(), 0);
  const QJsonArray sections = QJsonDocument::fromJson(py.readAllStandardOutput()).array();
  QCOMPARE(sections.size(), 2);
  QCOMPARE(sections[0].toArray()[0].toString(), QStringLiteral("Параметры"));
  QCOMPARE(sections[1].toArray()[0].toString(), QStringLiteral("Уставки"));
  auto keysOf = [](const QJsonValue& section, QStringList* values = nullptr) {
    QStringList keys;
    for (const QJsonValue& kv : section.toArray()[1].toArray()) {
      keys << kv.toArray()[0].toString();
      if (values) *values << kv.toArray()[1].toString();
    }
    return keys;
  };
  QStringList paramKeys, settingKeys;
  for (const RowSpec& r : ParamRows())
    if (!r.fileKey.isEmpty()) paramKeys << r.fileKey;
  for (const RowSpec& r : SettingRows())
    if (!r.fileKey.isEmpty()) settingKeys << r.fileKey;
  QStringList paramValues, settingValues;
  QCOMPARE(keysOf(sections[0], &paramValues), paramKeys);
  QCOMPARE(keysOf(sections[1], &settingValues), settingKeys);
  QCOMPARE(paramValues[paramKeys.indexOf(QStringLiteral("Источник запуска осциллографа"))],
           QStringLiteral("Пуск МТЗ/ЗНЗ"));
  QCOMPARE(settingValues[settingKeys.indexOf(QStringLiteral("Время АПВ 1й ступени"))],
           QStringLiteral("1,25"));
  QCOMPARE(paramValues[0], QString());  // nothing read yet: empty values
}

void TestSettingsFile::foreignSectionsSurvive() {
  const QString path = m_dir.filePath(QStringLiteral("foreign.ust"));
  writeFile(path, QStringLiteral("[Заметки]\nОбъект=ПС Северная, яч. 7\n"
                                 "[Параметры]\nАдрес устройства=9\nСвой ключ=1\n"));
  test::ParamFixture b;
  test::loadSample(b.dev);
  QVERIFY(ActGetParSetExecute(b.ws, QLocale::c()));
  b.prompts.answerSave(path);
  QVERIFY(ActSaveFileExecute(b.ws));
  const QString text = readFile(path);
  QVERIFY2(text.contains(QStringLiteral("Объект=ПС Северная, яч. 7")), qPrintable(text));
  QVERIFY(text.contains(QStringLiteral("Свой ключ=1")));
  QVERIFY(text.contains(QStringLiteral("Адрес устройства=5")));
  QVERIFY(!text.contains(QStringLiteral("Адрес устройства=9")));
  QVERIFY(text.contains(QStringLiteral("[Уставки]")));
  QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("foreign*")}, QDir::Files).size(), 1);
}

void TestSettingsFile::extensionIsCaseSensitive() {
  const QString path = m_dir.filePath(QStringLiteral("upper.UST"));
  writeFile(path, QStringLiteral("[Параметры]\nАдрес устройства=9\n"));
  test::ParamFixture b;
  FillParamList(b.ws.Grid1);
  b.prompts.answerOpen(path);
  QVERIFY(!ActOpenFileExecute(b.ws));
  QVERIFY(b.ws.Grid1.cell(grid::kValue, 1).isEmpty());
  QCOMPARE(marks(b.ws.Grid1), 0);
  QCOMPARE(b.prompts.boxTexts(), QStringList());
}

void TestSettingsFile::onlySettingsSection() {
  const QString path = m_dir.filePath(QStringLiteral("only.ust"));
  writeFile(path, QStringLiteral("[Уставки]\nВремя МТЗ-1=0.30\n"));
  test::ParamFixture b;
  test::loadSample(b.dev);
  QVERIFY(ActGetParSetExecute(b.ws, QLocale::c()));
  const QStringList params = texts(b.ws.Grid1, grid::kValue);
  b.ws.ParamsModified = true;
  b.prompts.answerOpen(path);
  QVERIFY(ActOpenFileExecute(b.ws));
  QCOMPARE(texts(b.ws.Grid1, grid::kValue), params);
  QCOMPARE(marks(b.ws.Grid1), 56);
  QCOMPARE(b.ws.grdSett.cell(grid::kValue, 8), QStringLiteral("0.30"));
  QCOMPARE(b.ws.grdSett.cell(grid::kValue, 7), QStringLiteral("0.00"));  // kept
  QCOMPARE(marks(b.ws.grdSett), 24);
  QVERIFY(b.ws.ParamsModified);  // untouched
}

void TestSettingsFile::group1FileWritesToGroup2() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  b.dev.setRegister(256 + 20, 2);  // an empty characteristic would be refused
  QVERIFY(ActGetParSetExecute(b.ws, QLocale::c()));
  const QString path = m_dir.filePath(QStringLiteral("group1.ust"));
  b.prompts.answerSave(path);
  QVERIFY(ActSaveFileExecute(b.ws));
  rbGroup2Click(b.ws, 2);
  b.prompts.answerOpen(path);
  QVERIFY(ActOpenFileExecute(b.ws));
  b.prompts.answerPassword(QStringLiteral("ABCD"));
  b.forgetRequests();
  const bool written = actSetParametrExecute(b.ws, QLocale::c());
  QVERIFY2(written, qPrintable(b.prompts.boxTexts().join(u'|')));
  QList<int> settingRegs;
  for (const test::Request& r : b.registerRequests())
    if (r.function == 6 && r.reg >= 256) settingRegs << r.reg;
  QCOMPARE(settingRegs.size(), 24);
  for (int reg : settingRegs) QVERIFY2(reg >= 512 && reg <= 549, qPrintable(QString::number(reg)));
  QCOMPARE(b.dev.registerValue(518), 25);  // group 1's 0.250 s
  QCOMPARE(b.dev.registerValue(256 + 6), 25);
  QCOMPARE(marks(b.ws.Grid1) + marks(b.ws.grdSett), 0);
}

void TestSettingsFile::badFileValuesRefusedBeforeWriting_data() {
  QTest::addColumn<QString>("line");
  QTest::addColumn<QString>("named");
  QTest::newRow("150 In does not fit") << "Ток МТЗ-1=150.00" << "Ток МТЗ-1, кратность In (A)";
  QTest::newRow("not a number") << "Время МТЗ-2=abc" << "Время МТЗ-2, с";
}

void TestSettingsFile::badFileValuesRefusedBeforeWriting() {
  QFETCH(QString, line);
  QFETCH(QString, named);
  test::ParamFixture b;
  test::loadSample(b.dev);
  QVERIFY(ActGetParSetExecute(b.ws, QLocale::c()));
  const QString path = m_dir.filePath(QStringLiteral("bad.ust"));
  writeFile(path, QStringLiteral("[Уставки]\n") + line + u'\n');
  b.prompts.answerOpen(path);
  QVERIFY(ActOpenFileExecute(b.ws));
  b.prompts.answerPassword(QStringLiteral("ABCD"));
  b.forgetRequests();
  QVERIFY(!actSetParametrExecute(b.ws, QLocale::c()));
  QVERIFY(b.registerRequests().isEmpty());
  QCOMPARE(b.prompts.boxTexts().size(), 1);
  QVERIFY(b.prompts.boxTexts()[0].contains(named));
  QCOMPARE(marks(b.ws.Grid1), 56);
  QVERIFY(!b.session.Port1.isOpen());
}

void TestSettingsFile::loadGivesTheEntriesFound() {
  const QString path = m_dir.filePath(QStringLiteral("entries.ust"));
  writeFile(path, QStringLiteral("[Параметры]\nАдрес устройства=7\n"
                                 "[Уставки]\nВремя МТЗ-1=0.30\nЧужой ключ=1\n"));
  TextGrid grid1{62, 5}, sett{32, 5};
  FillParamList(grid1);
  FillUstList(sett, 1);
  const SettingsFileResult r = loadSettingsFile(path, grid1, sett);
  QCOMPARE(r.outcome, Outcome::Done);
  QCOMPARE(r.entries.size(), 2);
  QCOMPARE(r.entries[0].grid, 1);
  QCOMPARE(r.entries[0].row, 1);
  QCOMPARE(r.entries[0].key, QStringLiteral("Адрес устройства"));
  QCOMPARE(r.entries[0].text, QStringLiteral("7"));
  QCOMPARE(r.entries[1].grid, 2);
  QCOMPARE(r.entries[1].row, 8);
  QCOMPARE(r.entries[1].text, QStringLiteral("0.30"));
  QCOMPARE(marks(grid1), 56);  // every data row all the same
  QCOMPARE(marks(sett), 24);
}

void TestSettingsFile::unusableFilesAreRefused() {
  TextGrid grid1{62, 5}, sett{32, 5};
  FillParamList(grid1);
  FillUstList(sett, 1);
  // Not ".ust": refused without a message (the window ignores it).
  const SettingsFileResult upper = loadSettingsFile(m_dir.filePath(QStringLiteral("a.UST")), grid1, sett);
  QCOMPARE(upper.outcome, Outcome::InputRefused);
  QVERIFY(upper.message.isEmpty());
  const QString missing = m_dir.filePath(QStringLiteral("missing.ust"));
  const SettingsFileResult notThere = loadSettingsFile(missing, grid1, sett);
  QCOMPARE(notThere.outcome, Outcome::InputRefused);
  QVERIFY2(notThere.message.startsWith(QStringLiteral("Не удалось прочитать файл ") + missing),
           qPrintable(notThere.message));
  // A folder cannot be written as a file.
  const SettingsFileResult folder = saveSettingsFile(m_dir.path() + QStringLiteral("/"), grid1, sett);
  QCOMPARE(folder.outcome, Outcome::InputRefused);
  QVERIFY(!folder.message.isEmpty());
  QCOMPARE(marks(grid1) + marks(sett), 0);
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
