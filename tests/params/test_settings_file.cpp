#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "extlib/charset.h"
#include "params/catalogue.h"
#include "params/settings_file.h"
#include "shell/page_rules.h"
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

void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray readBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The register writes the device was asked for, in order.
QList<test::Request> writes(const test::ParamFixture& f) {
  QList<test::Request> out;
  for (const test::Request& r : f.registerRequests())
    if (r.function == 6) out << r;
  return out;
}

// A device of the factory image (its values lie inside their ranges), read
// into the window's grids; `group` is the setting group shown.
void readFactoryDevice(test::ParamFixture& f, int group = 1) {
  if (group == 2) rbGroup2Click(f.ws.parameters, 2);
  QVERIFY(ActGetParSetExecute(f.ws, f.ws.parameters, QLocale::c()));
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

  void aCharacteristicWithoutNameIsKept();
  void valuesOutsideTheirRangesAreAsked();
  void filesFromOtherEditors_data();
  void filesFromOtherEditors();
  void windows1251TextIsNeverTakenForUtf8();
  void theCloseQuestionFollowsEditsNotWritten();

 private:
  QTemporaryDir m_dir;
};

void TestSettingsFile::roundTripMarksEveryDataRow() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  const QStringList params = texts(b.ws.parameters.Grid1, grid::kValue);
  const QStringList settings = texts(b.ws.parameters.grdSett, grid::kValue);
  const QString path = m_dir.filePath(QStringLiteral("round.ust"));
  b.prompts.answerSave(path);
  QVERIFY(ActSaveFileExecute(b.ws, b.ws.parameters));
  QCOMPARE(b.prompts.asked().last().text, QStringLiteral("Файл параметров и уставок (*.ust)|*.ust"));
  QCOMPARE(marks(b.ws.parameters.Grid1), 0);

  b.ws.parameters.params.clearParameters();
  b.ws.parameters.params.clearSettings(b.ws.parameters.SettingGroup);
  b.prompts.answerOpen(path);
  QVERIFY(ActOpenFileExecute(b.ws, b.ws.parameters));
  QStringList expected = params;
  expected[2].clear();  // the password is not stored
  QCOMPARE(texts(b.ws.parameters.Grid1, grid::kValue), expected);
  QCOMPARE(texts(b.ws.parameters.grdSett, grid::kValue), settings);
  QCOMPARE(marks(b.ws.parameters.Grid1), 56);
  QCOMPARE(marks(b.ws.parameters.grdSett), 24);
  QCOMPARE(b.ws.parameters.Grid1.cell(grid::kMark, 61), QStringLiteral("*"));
  QVERIFY(b.ws.parameters.Grid1.cell(grid::kMark, 2).isEmpty());
  QVERIFY(!b.ws.parameters.ParamsModified);
  QVERIFY(b.registerRequests().size() == 5);  // no device exchange by the file
}

void TestSettingsFile::independentParserReadsKeysInOrder() {
  test::ParamFixture b;
  b.ws.parameters.params.clearParameters();
  b.ws.parameters.params.clearSettings(b.ws.parameters.SettingGroup);
  putRowText(b.ws.parameters.params, 1, 45, QStringLiteral("Пуск МТЗ/ЗНЗ"));
  putRowText(b.ws.parameters.params, 2, 26, QStringLiteral("1,25"));
  const QString path = m_dir.filePath(QStringLiteral("python.ust"));
  b.prompts.answerSave(path);
  QVERIFY(ActSaveFileExecute(b.ws, b.ws.parameters));

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
  for (const RowSpec& r : paramRows())
    if (!r.fileKey.isEmpty()) paramKeys << r.fileKey;
  for (const RowSpec& r : settingRows())
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
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  b.prompts.answerSave(path);
  QVERIFY(ActSaveFileExecute(b.ws, b.ws.parameters));
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
  b.ws.parameters.params.clearParameters();
  b.prompts.answerOpen(path);
  QVERIFY(!ActOpenFileExecute(b.ws, b.ws.parameters));
  QVERIFY(b.ws.parameters.Grid1.cell(grid::kValue, 1).isEmpty());
  QCOMPARE(marks(b.ws.parameters.Grid1), 0);
  QCOMPARE(b.prompts.boxTexts(), QStringList());
}

void TestSettingsFile::onlySettingsSection() {
  const QString path = m_dir.filePath(QStringLiteral("only.ust"));
  writeFile(path, QStringLiteral("[Уставки]\nВремя МТЗ-1=0.30\n"));
  test::ParamFixture b;
  test::loadSample(b.dev);
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  const QStringList params = texts(b.ws.parameters.Grid1, grid::kValue);
  b.ws.parameters.ParamsModified = true;
  b.prompts.answerOpen(path);
  QVERIFY(ActOpenFileExecute(b.ws, b.ws.parameters));
  QCOMPARE(texts(b.ws.parameters.Grid1, grid::kValue), params);
  QCOMPARE(marks(b.ws.parameters.Grid1), 56);
  QCOMPARE(b.ws.parameters.grdSett.cell(grid::kValue, 8), QStringLiteral("0.30"));
  QCOMPARE(b.ws.parameters.grdSett.cell(grid::kValue, 7), QStringLiteral("0.00"));  // kept
  QCOMPARE(marks(b.ws.parameters.grdSett), 24);
  QVERIFY(b.ws.parameters.ParamsModified);  // untouched
}

void TestSettingsFile::group1FileWritesToGroup2() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  b.dev.setRegister(256 + 20, 2);  // an empty characteristic would be refused
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  const QString path = m_dir.filePath(QStringLiteral("group1.ust"));
  b.prompts.answerSave(path);
  QVERIFY(ActSaveFileExecute(b.ws, b.ws.parameters));
  rbGroup2Click(b.ws.parameters, 2);
  b.prompts.answerOpen(path);
  QVERIFY(ActOpenFileExecute(b.ws, b.ws.parameters));
  b.prompts.answerPassword(QStringLiteral("ABCD"));
  b.prompts.answerBox(Button::Yes);  // the sample's zero currents lie outside their ranges
  b.forgetRequests();
  const bool written = actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c());
  QVERIFY2(written, qPrintable(b.prompts.boxTexts().join(u'|')));
  QList<int> settingRegs;
  for (const test::Request& r : b.registerRequests())
    if (r.function == 6 && r.reg >= 256) settingRegs << r.reg;
  QCOMPARE(settingRegs.size(), 24);
  for (int reg : settingRegs) QVERIFY2(reg >= 512 && reg <= 549, qPrintable(QString::number(reg)));
  QCOMPARE(b.dev.registerValue(518), 25);  // group 1's 0.250 s
  QCOMPARE(b.dev.registerValue(256 + 6), 25);
  QCOMPARE(marks(b.ws.parameters.Grid1) + marks(b.ws.parameters.grdSett), 0);
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
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  const QString path = m_dir.filePath(QStringLiteral("bad.ust"));
  writeFile(path, QStringLiteral("[Уставки]\n") + line + u'\n');
  b.prompts.answerOpen(path);
  QVERIFY(ActOpenFileExecute(b.ws, b.ws.parameters));
  // Loading names the row at once, with the file.
  QCOMPARE(b.prompts.boxTexts().size(), 1);
  QCOMPARE(b.prompts.asked().last().icon, BoxIcon::Warning);
  const QString loadBox = b.prompts.boxTexts()[0];
  QVERIFY2(loadBox.contains(QStringLiteral("bad.ust")) && loadBox.contains(line.section(u'=', 0, 0)) &&
               loadBox.contains(line.section(u'=', 1)),
           qPrintable(loadBox));
  b.prompts.answerPassword(QStringLiteral("ABCD"));
  b.forgetRequests();
  QVERIFY(!actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
  QVERIFY(b.registerRequests().isEmpty());
  QCOMPARE(b.prompts.boxTexts().size(), 2);
  QVERIFY(b.prompts.boxTexts()[1].contains(named));
  QCOMPARE(marks(b.ws.parameters.Grid1), 56);
  QVERIFY(!b.session.Port1.isOpen());
}

void TestSettingsFile::loadGivesTheEntriesFound() {
  const QString path = m_dir.filePath(QStringLiteral("entries.ust"));
  writeFile(path, QStringLiteral("[Параметры]\nАдрес устройства=7\n"
                                 "[Уставки]\nВремя МТЗ-1=0.30\nЧужой ключ=1\n"));
  ParamSet set(1);
  TextGrid grid1{62, 5}, sett{32, 5};
  const ParamGridView view(set, grid1, sett);
  const SettingsFileResult r = loadSettingsFile(path, set);
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
  ParamSet set(1);
  TextGrid grid1{62, 5}, sett{32, 5};
  const ParamGridView view(set, grid1, sett);
  // Not ".ust": refused without a message (the window ignores it).
  const SettingsFileResult upper = loadSettingsFile(m_dir.filePath(QStringLiteral("a.UST")), set);
  QCOMPARE(upper.outcome, Outcome::InputRefused);
  QVERIFY(upper.message.isEmpty());
  const QString missing = m_dir.filePath(QStringLiteral("missing.ust"));
  const SettingsFileResult notThere = loadSettingsFile(missing, set);
  QCOMPARE(notThere.outcome, Outcome::InputRefused);
  QVERIFY2(notThere.message.startsWith(QStringLiteral("Не удалось прочитать файл ") + missing),
           qPrintable(notThere.message));
  // A folder cannot be written as a file.
  const SettingsFileResult folder = saveSettingsFile(m_dir.path() + QStringLiteral("/"), set);
  QCOMPARE(folder.outcome, Outcome::InputRefused);
  QVERIFY(!folder.message.isEmpty());
  QCOMPARE(marks(grid1) + marks(sett), 0);
}

void TestSettingsFile::aCharacteristicWithoutNameIsKept() {
  // A relay whose characteristic word holds 6: the row reads empty, the
  // file keeps it empty, and writing the file back keeps the relay's word.
  test::ParamFixture b;
  b.dev.setRegister(512 + 20, 6);
  readFactoryDevice(b, 2);
  QVERIFY(b.ws.parameters.grdSett.cell(grid::kValue, 17).isEmpty());
  const QString path = m_dir.filePath(QStringLiteral("kept.ust"));
  b.prompts.answerSave(path);
  QVERIFY(ActSaveFileExecute(b.ws, b.ws.parameters));
  QVERIFY(readFile(path).contains(QStringLiteral("\nТип характеристики=\n")));
  b.prompts.answerOpen(path);
  QVERIFY(ActOpenFileExecute(b.ws, b.ws.parameters));
  b.prompts.answerPassword(QStringLiteral("AAAA"));
  b.forgetRequests();
  b.prompts.forget();
  QVERIFY(actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
  QList<int> settings;
  for (const test::Request& r : writes(b))
    if (r.reg >= 512) settings << r.reg;
  QCOMPARE(settings.size(), 23);  // every setting row but the characteristic
  QVERIFY(!settings.contains(532));
  QCOMPARE(writes(b).size(), 23 + 56 + 8 + 5 + 16);  // two-register rows: two writes
  QCOMPARE(b.dev.registerValue(532), 6);
  QCOMPARE(b.prompts.asked().size(), 2);  // the password, then the report
  QCOMPARE(b.prompts.asked().last().icon, BoxIcon::Information);
  const QStringList report = b.prompts.boxTexts().last().split(u'\n');
  QCOMPARE(report.first(), QStringLiteral("Запись в устройство завершена."));
  QCOMPARE(report.mid(2),
           (QStringList{QStringLiteral("Оставлено прежнее значение: 1"),
                        QStringLiteral("«Тип характеристики»: не записано, в "
                                       "устройстве сохранено прежнее значение")}));
  QCOMPARE(marks(b.ws.parameters.Grid1) + marks(b.ws.parameters.grdSett), 0);
  QVERIFY(!b.ws.parameters.ParamsModified);
}

void TestSettingsFile::valuesOutsideTheirRangesAreAsked() {
  test::ParamFixture b;
  readFactoryDevice(b);
  const QString path = m_dir.filePath(QStringLiteral("600s.ust"));
  writeFile(path, QStringLiteral("[Уставки]\nВремя МТЗ-1=600\n"));
  b.prompts.answerOpen(path);
  QVERIFY(ActOpenFileExecute(b.ws, b.ws.parameters));
  b.ws.parameters.ParamsModified = true;

  // The default answer writes nothing: the registers were only read, to
  // see whether 600 s is the device's own value.
  b.prompts.answerPassword(QStringLiteral("AAAA"));
  b.prompts.forget();
  b.forgetRequests();
  QVERIFY(!actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
  // (Loading the file marked every row: each block of rows read once.)
  QCOMPARE(b.registerRequests(), (QList<test::Request>{{3, 64, 20}, {3, 96, 44}, {3, 140, 3},
                                                       {3, 192, 32}, {3, 256, 37}}));
  QVERIFY(!b.portOpen());
  QCOMPARE(b.prompts.boxTexts().size(), 1);
  const test::Asked& box = b.prompts.asked().last();
  QCOMPARE(box.icon, BoxIcon::Warning);
  QCOMPARE(box.buttons, (QList<Button>{Button::No, Button::Yes}));
  QVERIFY2(box.text.contains(QStringLiteral("«Время МТЗ-1, с» = «600»: допустимо от 0.00 до 100.00 с")),
           qPrintable(box.text));
  QCOMPARE(marks(b.ws.parameters.grdSett), 24);
  QVERIFY(b.ws.parameters.ParamsModified);

  // "Yes" writes it.
  b.prompts.answerPassword(QStringLiteral("AAAA"));
  b.prompts.answerBox(Button::Yes);
  QVERIFY(actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
  QCOMPARE(b.dev.registerValue(256 + 6), 60000);
  QVERIFY(!b.ws.parameters.ParamsModified);
}

void TestSettingsFile::filesFromOtherEditors_data() {
  QTest::addColumn<QByteArray>("bytes");  // empty: the Windows-1251 file re-encoded
  QTest::addColumn<QString>("form");      // "cp1251", "utf8", "bom"; or "refused"
  QRandomGenerator random(1251);
  QByteArray noise(100 * 1024, '\0');
  for (char& c : noise) c = char(random.bounded(256));
  QTest::newRow("Windows-1251") << QByteArray() << "cp1251";
  QTest::newRow("UTF-8") << QByteArray() << "utf8";
  QTest::newRow("UTF-8 with a byte-order mark") << QByteArray() << "bom";
  QTest::newRow("empty file") << QByteArray("") << "refused";
  QTest::newRow("100 kB of random bytes") << noise << "refused";
  QTest::newRow("another program's ini") << QByteArray("[Port1]\r\nBaudRate=9600\r\n")
                                         << "refused";
  QTest::newRow("keys outside their sections")
      << cp1251::encode(QStringLiteral("[Настройки]\nВремя МТЗ-1=0.30\n")) << "refused";
}

void TestSettingsFile::filesFromOtherEditors() {
  QFETCH(QByteArray, bytes);
  QFETCH(QString, form);
  // The same settings in the program's own file, loaded and written.
  const QString own = m_dir.filePath(QStringLiteral("own.ust"));
  QList<test::Request> ownWrites;
  {
    test::ParamFixture b;
    readFactoryDevice(b);
    putRowText(b.ws.parameters.params, 2, 17, QStringLiteral("пологая (РТ-80)"));
    b.prompts.answerSave(own);
    QVERIFY(ActSaveFileExecute(b.ws, b.ws.parameters));
    b.prompts.answerOpen(own);
    QVERIFY(ActOpenFileExecute(b.ws, b.ws.parameters));
    b.prompts.answerPassword(QStringLiteral("AAAA"));
    b.forgetRequests();
    QVERIFY(actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
    ownWrites = writes(b);
    QCOMPARE(b.dev.registerValue(256 + 20), 5);
  }
  QVERIFY(readBytes(own).contains(cp1251::encode(QStringLiteral("пологая (РТ-80)"))));
  if (form == QLatin1String("utf8") || form == QLatin1String("bom"))
    bytes = (form == QLatin1String("bom") ? QByteArray("\xEF\xBB\xBF") : QByteArray()) +
            cp1251::decode(readBytes(own)).toUtf8();
  else if (form == QLatin1String("cp1251"))
    bytes = readBytes(own);
  const QString path = m_dir.filePath(QStringLiteral("other.ust"));
  writeBytes(path, bytes);

  test::ParamFixture b;
  readFactoryDevice(b);
  const QStringList params = texts(b.ws.parameters.Grid1, grid::kValue);
  const QStringList settings = texts(b.ws.parameters.grdSett, grid::kValue);
  b.prompts.forget();
  b.prompts.answerOpen(path);
  if (form == QLatin1String("refused")) {
    QVERIFY(!ActOpenFileExecute(b.ws, b.ws.parameters));
    QCOMPARE(b.prompts.boxTexts(),
             QStringList{QStringLiteral("Файл %1 не содержит ни параметров, ни уставок.").arg(path)});
    QCOMPARE(b.prompts.asked().last().icon, BoxIcon::Error);
    QCOMPARE(texts(b.ws.parameters.Grid1, grid::kValue), params);
    QCOMPARE(texts(b.ws.parameters.grdSett, grid::kValue), settings);
    QCOMPARE(marks(b.ws.parameters.Grid1) + marks(b.ws.parameters.grdSett), 0);
    return;
  }
  QVERIFY(ActOpenFileExecute(b.ws, b.ws.parameters));
  QCOMPARE(b.prompts.boxTexts(), QStringList());
  QCOMPARE(b.ws.parameters.grdSett.cell(grid::kValue, 17), QStringLiteral("пологая (РТ-80)"));
  QCOMPARE(b.ws.parameters.Grid1.cell(grid::kValue, 4), QStringLiteral("Статическое измен."));
  b.prompts.answerPassword(QStringLiteral("AAAA"));
  b.forgetRequests();
  QVERIFY(actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
  QCOMPARE(writes(b), ownWrites);
}

void TestSettingsFile::windows1251TextIsNeverTakenForUtf8() {
  // "РЁ" alone is valid UTF-8 ("Ш"), but a file of this program holds its
  // section names, whose letters side by side are not: the whole file is
  // read as Windows-1251 and the value comes back as written.
  const QString path = m_dir.filePath(QStringLiteral("letters.ust"));
  writeFile(path, QStringLiteral("[Уставки]\nТип характеристики=РЁ\n"));
  QCOMPARE(QString::fromUtf8(cp1251::encode(QStringLiteral("РЁ"))), QStringLiteral("Ш"));
  ParamSet set(1);
  TextGrid grid1{62, 5}, sett{32, 5};
  const ParamGridView view(set, grid1, sett);
  QVERIFY(loadSettingsFile(path, set).ok());
  QCOMPARE(sett.cell(grid::kValue, 17), QStringLiteral("РЁ"));
}

void TestSettingsFile::theCloseQuestionFollowsEditsNotWritten() {
  // The question is about edits not yet written to the device: saving
  // them into a file leaves it, loading a file (whose texts the file still
  // holds) does not raise it.
  test::ParamFixture b;
  test::loadSample(b.dev);
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  const QString path = m_dir.filePath(QStringLiteral("edited.ust"));
  Grid1DblClick(b.ws, b.ws.parameters, 1, 4);  // a toggle row: edited without the editor
  b.prompts.answerSave(path);
  QVERIFY(ActSaveFileExecute(b.ws, b.ws.parameters));
  b.prompts.answerBox(Button::No);
  QVERIFY(!FormCloseQuery(b.ws, b.ws.parameters));
  QCOMPARE(b.prompts.boxTexts().size(), 1);

  test::ParamFixture fresh;
  test::loadSample(fresh.dev);
  QVERIFY(ActGetParSetExecute(fresh.ws, fresh.ws.parameters, QLocale::c()));
  fresh.prompts.answerOpen(path);
  QVERIFY(ActOpenFileExecute(fresh.ws, fresh.ws.parameters));
  QVERIFY(FormCloseQuery(fresh.ws, fresh.ws.parameters));
  QVERIFY(fresh.prompts.boxTexts().isEmpty());
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
