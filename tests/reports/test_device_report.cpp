// "Печать" on the operation fixture: the page rule, the device report's
// reads and every named value in the written workbook, the journal
// reports from the grids as they stand, and each way it can fail.

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "device/codecs.h"
#include "extlib/view_loader.h"
#include "journals/journal_kinds.h"
#include "link/connection.h"
#include "model/messages.h"
#include "reports/device_report.h"
#include "reports/messages.h"
#include "params/param_grid_view.h"
#include "shell/params_commands.h"
#include "shell/report_commands.h"
#include "tests/reports/workbook_support.h"
#include "tests/support/device_fixture.h"
#include "tests/support/windows_double.h"

using namespace vmk;
using namespace vmk::test;

namespace {

QString programDir() { return QCoreApplication::applicationDirPath() + QLatin1Char('/'); }

// The names the viewer library gives, asked of it on its own.
QString nm(int kind, int index) {
  static ViewLoader loader(programDir());
  return loader.funcName(kind, index).name;
}
QString names(int kind, std::initializer_list<int> items) {
  QStringList out;
  for (int i : items) out << nm(kind, i);
  return out.join(QLatin1Char('\n'));
}

struct ReportFixture : DeviceFixture {
  QTemporaryDir dir;
  QString file = dir.filePath(QStringLiteral("report.xlsx"));
  QStringList opened;
  WindowsDouble windows{ws};
  const QLocale russian{QLocale::Russian};

  ReportFixture() {
    add(1);
    connectTo(1);
    ws.ProgramDir = programDir();
    windows.onOpenDocument = [this](const QString& path) { opened << path; };
  }
  void print(int page) {
    ws.pages.setActivePage(page);
    actPrintExecute(ws, ws.journals, russian);
  }
  // The written workbook's named values, by name.
  QMap<QString, QString> written(const QString& templateName = kDeviceTemplate) const {
    const auto tpl = xlsx::readZip(readFile(programDir() + templateName));
    const auto out = xlsx::readZip(readFile(file));
    QMap<QString, QString> values;
    if (!tpl || !out) return values;
    const QByteArray sheet = part(*out, QStringLiteral("xl/worksheets/sheet1.xml"));
    const QMap<QString, QString> cells = namedCells(*tpl);
    for (auto it = cells.constBegin(); it != cells.constEnd(); ++it)
      values.insert(it.key(), writtenText(cellOf(sheet, it.value()).value_or(xlsx::XmlNode())));
    return values;
  }
  void set(int r, std::uint16_t v) { device().setRegister(r, v); }
};

}  // namespace

class TestDeviceReport : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void pagesOfConnectionAndLiveValuesOnlyOpenAndClose();
  void cancellingTheDialogReadsNothing();
  void theDeviceReportReadsItsFiveBlocksAndAsks();
  void everyParameterValue();
  void thePasswordCellIsMaskedUnlessAsked_data();
  void thePasswordCellIsMaskedUnlessAsked();
  void everySettingValueOfBothGroups();
  void theHeaderAndTheRecordsSetupFields();
  void yesOpensTheFileAndAnExistingOneIsReplaced();
  void missingViewerLibraryOrFunction();
  void aFailedReadAtEachStepWritesNothing();
  void aDamagedTemplateGivesTheEnginesMessage();
  void journalReportsTakeTheGridsAsTheyStand();
  void theFileSheetTakesTheOpenedFileWithItsEdits();
};

void TestDeviceReport::pagesOfConnectionAndLiveValuesOnlyOpenAndClose() {
  for (int page : {kPagePolling, kPageDinamic}) {
    ReportFixture f;
    const int opens = f.opens();
    f.print(page);
    QCOMPARE(f.opens(), opens + 1);
    QVERIFY(f.requests().isEmpty());
    QVERIFY(f.prompts.asked().isEmpty());
    QVERIFY(!f.portOpen());
  }
}

void TestDeviceReport::cancellingTheDialogReadsNothing() {
  for (int page : {kPageParam, kPageSettings, kPageEvents}) {
    ReportFixture f;
    f.prompts.answerSave(std::nullopt);
    f.print(page);
    QVERIFY(f.requests().isEmpty());
    QCOMPARE(f.prompts.asked().size(), 1);
    QCOMPARE(f.prompts.asked()[0].kind, QStringLiteral("save"));
    QVERIFY(!f.portOpen());
    QVERIFY(QDir(f.dir.path()).isEmpty());
  }
}

void TestDeviceReport::theDeviceReportReadsItsFiveBlocksAndAsks() {
  ReportFixture f;
  f.prompts.answerSave(f.file);
  f.prompts.answerBox(Button::No);
  f.print(kPageSettings);
  const QList<Request> expected{{3, 64, 20}, {3, 96, 44}, {3, 140, 4},
                                {3, 192, 32}, {3, 256, 38}, {3, 512, 38}};
  QCOMPARE(f.registerRequests(), expected);
  QCOMPARE(f.requests().size(), expected.size());
  QVERIFY(!f.portOpen());
  QCOMPARE(f.prompts.asked().size(), 2);
  const Asked& dialog = f.prompts.asked()[0];
  QCOMPARE(dialog.kind, QStringLiteral("save"));
  QCOMPARE(dialog.text, QStringLiteral("Excel File|*.xlsx"));
  QCOMPARE(reportDialog().defaultExt, QStringLiteral("xlsx"));
  QVERIFY(reportDialog().overwritePrompt);
  const Asked& question = f.prompts.asked()[1];
  QCOMPARE(question.icon, BoxIcon::Confirm);
  QCOMPARE(question.buttons, (QList<Button>{Button::Yes, Button::No}));
  QCOMPARE(question.text, QStringLiteral("Формирование файла завершено\rФайл: \"%1\"\rОткрыть файл?").arg(f.file));
  QVERIFY(f.opened.isEmpty());
  QVERIFY(xlsx::readZip(readFile(f.file)));
  // The dialog keeps the last name for the next report.
  QCOMPARE(f.ws.reportFileName, f.file);
}

void TestDeviceReport::everyParameterValue() {
  ReportFixture f;
  f.set(64, 0x0101);
  f.set(65, 0x0004);
  f.set(66, 0x3132);
  f.set(67, 0x3334);
  f.set(68, 1);
  f.set(69, 1);
  f.set(80, 600);
  f.set(81, 5);
  f.set(82, 100);
  f.set(83, 1);
  // Indicators: bits 0 and 16; none; bits 16..21 of a high word with
  // more set; all 22 (beyond the 255 characters).
  for (int r = 96; r <= 111; ++r) f.set(r, 0);
  f.set(96, 0x0001), f.set(97, 0x0001);
  f.set(100, 0), f.set(101, 0xFFFF);
  f.set(110, 0xFFFF), f.set(111, 0x003F);
  // Relays: bits 1, 16 and 17 (bit 18 of the high word is no relay bit).
  for (int r = 112; r <= 121; ++r) f.set(r, 0);
  f.set(112, 0x0002), f.set(113, 0x0007);
  const int contact[] = {10, 20, 30, 40, 50, 70};
  for (int i = 0; i < 6; ++i) f.set(122 + i, std::uint16_t(contact[i]));
  for (int i = 0; i < 6; ++i) f.set(128 + i, 0), f.set(134 + i, std::uint16_t(i * 5));
  f.set(128, 0x0005), f.set(129, 0x8000);
  f.set(140, 15), f.set(142, 1);
  for (int r = 192; r <= 223; ++r) f.set(r, 0);
  f.set(192, 0x0001);                      // channel 1: bit 0 of the low word
  f.set(195, 0x0001);                      // channel 2: bit 0 of the high word
  f.set(197, 0x0800);                      // channel 3: bit 27
  f.set(198, 0x8000), f.set(199, 0x0400);  // channel 4: bits 15 and 26
  f.prompts.answerSave(f.file);
  f.print(kPageParam);
  const QMap<QString, QString> v = f.written();

  QCOMPARE(v["p1"], QStringLiteral("257"));
  QCOMPARE(v["p2"], interfaceLines(0x0004).join(QLatin1Char('\n')));
  QVERIFY(v["p2"].startsWith(QStringLiteral("Скорость 9600")));
  QCOMPARE(v["p3"], QStringLiteral("****"));  // unless asked for: thePasswordCellIsMaskedUnlessAsked
  QCOMPARE(v["p4"], QStringLiteral("2"));
  QCOMPARE(v["p5"], QStringLiteral("Динамическое измен."));
  QCOMPARE(v["p6"], QStringLiteral("600"));
  QCOMPARE(v["p7"], QStringLiteral("5"));
  QCOMPARE(v["p8"], QStringLiteral("100"));
  QCOMPARE(v["p9"], QStringLiteral("1"));
  QCOMPARE(v["p11"], names(0, {0, 16}));
  QCOMPARE(v["p12"], QString());
  QCOMPARE(v["p13"], names(0, {16, 17, 18, 19, 20, 21}));
  for (int n : {14, 15, 16, 17}) QCOMPARE(v[QStringLiteral("p%1").arg(n)], QString());
  QString all;
  for (int i = 0; i < 22; ++i) all += nm(0, i) + QLatin1Char('\n');
  QVERIFY(all.size() > 256);
  QCOMPARE(v["p18"], all.left(254));
  QCOMPARE(v["p21"], names(2, {0, 2}));
  QCOMPARE(v["p22"], QString());
  for (int n = 1; n <= 6; ++n) QCOMPARE(v[QStringLiteral("p5%1").arg(n)], QString::number((n - 1) * 50));
  QCOMPARE(v["p31"], names(1, {1, 16, 17}));
  QCOMPARE(v["p32"], QString());
  QCOMPARE(v["p41"], QStringLiteral("100"));
  QCOMPARE(v["p40"], QStringLiteral("200"));
  QCOMPARE(v["p42"], QStringLiteral("300"));
  QCOMPARE(v["p43"], QStringLiteral("400"));
  QCOMPARE(v["p44"], QStringLiteral("500"));
  QCOMPARE(v["p45"], QStringLiteral("700"));
  QCOMPARE(v["p46"], QStringLiteral("1,50"));
  QCOMPARE(v["p5_0"], QStringLiteral("Пуск МТЗ/ЗНЗ"));
  QCOMPARE(v["p5_1"], nm(7, 11));
  QCOMPARE(v["p5_2"], nm(7, 0));
  QCOMPARE(v["p5_3"], nm(7, 27));
  QCOMPARE(v["p5_4"], names(7, {26, 10}));
  for (int n = 5; n <= 16; ++n) QCOMPARE(v[QStringLiteral("p5_%1").arg(n)], QString());

  // The other toggles.
  f.set(69, 0), f.set(142, 0), f.set(68, 0);
  f.prompts.answerSave(f.file);
  f.print(kPageParam);
  const QMap<QString, QString> w = f.written();
  QCOMPARE(w["p5"], QStringLiteral("Статическое измен."));
  QCOMPARE(w["p5_0"], QStringLiteral("Работа МТЗ/ЗНЗ"));
  QCOMPARE(w["p4"], QStringLiteral("1"));
}

// The device password is masked in the report as in the window; the
// device report's dialog (and only it) has the check box that asks for
// its letters.
void TestDeviceReport::thePasswordCellIsMaskedUnlessAsked_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<bool>("ticked");
  QTest::addColumn<QString>("cell");
  QTest::newRow("parameters, not ticked") << int(kPageParam) << false << "****";
  QTest::newRow("settings, ticked") << int(kPageSettings) << true << "ЖA1z";
}
void TestDeviceReport::thePasswordCellIsMaskedUnlessAsked() {
  QFETCH(int, page);
  QFETCH(bool, ticked);
  QFETCH(QString, cell);
  ReportFixture f;
  f.set(66, 0xC641);  // "ЖA" in Windows-1251
  f.set(67, 0x317A);  // "1z"
  f.prompts.answerSaveTicked(ticked);
  f.prompts.answerSave(f.file);
  f.print(page);
  QCOMPARE(f.prompts.asked().first().checkBox, msg::reports::kWithPassword);
  QCOMPARE(f.written()["p3"], cell);

  f.prompts.forget();
  f.prompts.answerSave(f.file);
  f.print(kPageEvents);
  QCOMPARE(f.prompts.asked().first().kind, QStringLiteral("save"));
  QCOMPARE(f.prompts.asked().first().checkBox, QString());
}

void TestDeviceReport::everySettingValueOfBothGroups() {
  ReportFixture f;
  auto g1 = [&f](int w, std::uint16_t v) { f.set(256 + w, v); };
  auto g2 = [&f](int w, std::uint16_t v) { f.set(512 + w, v); };
  // Group 1: МТЗ-1..3, ЗНЗ, УРОВ and АПВ-2 without АПВ; accelerations of
  // МТЗ-1 and МТЗ-3.
  g1(0, 0x6F), g1(1, 0x21), g1(33, 0x5);
  g1(5, 625), g1(6, 150), g1(7, 35);
  g1(12, 1000), g1(13, 5), g1(14, 40);
  g1(18, 3), g1(19, 12345), g1(20, 25), g1(21, 100);
  g1(25, 1234), g1(26, 7);
  g1(29, 150), g1(30, 160), g1(31, 170), g1(32, 180);
  g1(34, 250), g1(8, 1), g1(28, 999), g1(35, 2500), g1(36, 1);
  // Group 2: both АПВ stages only, every acceleration on.
  for (int w = 0; w < 38; ++w) g2(w, 0);
  g2(0, 0x50), g2(33, 0x7), g2(20, 25), g2(29, 150), g2(30, 5), g2(31, 250), g2(32, 1);
  g2(36, 10);
  f.prompts.answerSave(f.file);
  f.print(kPageSettings);
  const QMap<QString, QString> v = f.written();

  QCOMPARE(v["g1_1"], names(3, {0, 1, 2, 3, 5, 6}));
  QCOMPARE(v["g1_2"], names(4, {0, 5}));
  QCOMPARE(v["g1_19"], names(5, {0, 2}));
  QCOMPARE(v["g1_3"], QStringLiteral("1,25"));
  QCOMPARE(v["g1_4"], QStringLiteral("1,500"));
  QCOMPARE(v["g1_5"], QStringLiteral("0,35"));
  QCOMPARE(v["g1_6"], QStringLiteral("2,00"));
  QCOMPARE(v["g1_7"], QStringLiteral("0,050"));
  QCOMPARE(v["g1_8"], QStringLiteral("Неактивно ускорение МТЗ-2"));
  QCOMPARE(v["g1_9"], QStringLiteral("0,01"));
  QCOMPARE(v["g1_10"], QStringLiteral("123,450"));
  QCOMPARE(v["g1_11"], nm(6, 19));
  QCOMPARE(v["g1_12"], QStringLiteral("1,00"));
  QCOMPARE(v["g1_13"], QStringLiteral("1,234"));
  QCOMPARE(v["g1_14"], QStringLiteral("0,070"));
  QCOMPARE(v["g1_15"], QStringLiteral("Неактивно АПВ"));
  QCOMPARE(v["g1_16"], QStringLiteral("Неактивно АПВ"));
  QCOMPARE(v["g1_17"], QStringLiteral("Неактивно АПВ-2"));
  QCOMPARE(v["g1_18"], QStringLiteral("Неактивно АПВ-2"));
  QCOMPARE(v["g1_20"], QStringLiteral("2,500"));
  QCOMPARE(v["g1_21"], QStringLiteral("0,01"));
  QCOMPARE(v["g1_22"], QStringLiteral("9,99"));
  QCOMPARE(v["g1_23"], QStringLiteral("5,00"));
  QCOMPARE(v["g1_24"], QStringLiteral("Активна"));

  QCOMPARE(v["g2_1"], names(3, {4, 6}));
  QCOMPARE(v["g2_2"], QString());
  QCOMPARE(v["g2_19"], names(5, {0, 1, 2}));
  for (int n : {3, 4, 5}) QCOMPARE(v[QStringLiteral("g2_%1").arg(n)], QStringLiteral("Неактивна МТЗ-1"));
  for (int n : {6, 7, 8}) QCOMPARE(v[QStringLiteral("g2_%1").arg(n)], QStringLiteral("Неактивна МТЗ-2"));
  for (int n : {9, 10, 11, 12}) QCOMPARE(v[QStringLiteral("g2_%1").arg(n)], QStringLiteral("Неактивна МТЗ-3"));
  for (int n : {13, 14}) QCOMPARE(v[QStringLiteral("g2_%1").arg(n)], QStringLiteral("Неактивна ЗНЗ"));
  QCOMPARE(v["g2_15"], QStringLiteral("1,50"));
  QCOMPARE(v["g2_16"], QStringLiteral("0,05"));
  QCOMPARE(v["g2_17"], QStringLiteral("2,50"));
  QCOMPARE(v["g2_18"], QStringLiteral("0,01"));
  QCOMPARE(v["g2_20"], QStringLiteral("Неактивно УРОВ"));
  QCOMPARE(v["g2_21"], QStringLiteral("0,00"));
  QCOMPARE(v["g2_23"], QStringLiteral("0,00"));
  // "Активна" when the word's decimal form begins with 1.
  QCOMPARE(v["g2_24"], QStringLiteral("Активна"));
  g2(36, 0);
  f.prompts.answerSave(f.file);
  f.print(kPageSettings);
  QCOMPARE(f.written()["g2_24"], QStringLiteral("Неактивна"));
  // The multi-line cells wrap; the single-line ones keep their style.
  const auto out = xlsx::readZip(readFile(f.file));
  const auto tpl = xlsx::readZip(readFile(programDir() + kDeviceTemplate));
  const QMap<QString, QString> cells = namedCells(*tpl);
  const QByteArray sheet = part(*out, QStringLiteral("xl/worksheets/sheet1.xml"));
  const QList<xlsx::XmlNode> formats = cellFormats(part(*out, QStringLiteral("xl/styles.xml")));
  const QList<xlsx::XmlNode> before = cellFormats(part(*tpl, QStringLiteral("xl/styles.xml")));
  const int multi = cellOf(sheet, cells["g1_1"])->attribute(QStringLiteral("s"))->toInt();
  const int single = cellOf(sheet, cells["g1_3"])->attribute(QStringLiteral("s"))->toInt();
  QVERIFY(multi >= before.size());
  QCOMPARE(formats[multi].child(QStringLiteral("alignment"))->attribute(QStringLiteral("wrapText")), QStringLiteral("1"));
  QVERIFY(single < before.size());
}

void TestDeviceReport::theHeaderAndTheRecordsSetupFields() {
  ReportFixture f;
  SetupFields& setup = f.session.vmk.setup;
  setup.NetAddress = 9;
  setup.CtPrimary = 1;
  setup.ClockYear = 10, setup.ClockMonth = 12, setup.ClockDay = 31;
  setup.ClockHour = 0, setup.ClockMinute = 0, setup.ClockSecond = 0;
  const SetupFields clockBefore = setup;
  f.set(80, 750);
  f.prompts.answerSave(f.file);
  f.print(kPageParam);
  QCOMPARE(setup.NetAddress, std::uint8_t(1));
  QCOMPARE(setup.CtPrimary, std::uint16_t(750));
  QCOMPARE(setup.ClockYear, clockBefore.ClockYear);
  QCOMPARE(setup.ClockDay, clockBefore.ClockDay);
  QCOMPARE(setup.ClockHour, clockBefore.ClockHour);

  const QMap<QString, QString> v = f.written();
  QCOMPARE(v["date"], QStringLiteral("20.05.2011 10:00:00"));
  QCOMPARE(v["pu1"], f.session.vmk.Name);
  QCOMPARE(v["pu2"], QString::number(f.session.vmk.SerialNumber));
  QCOMPARE(v["pu3"], VersionText(f.session.vmk.VersionWord));
  QCOMPARE(v["pu4"], QStringLiteral("31.12.2010"));  // midnight: no time
  QCOMPARE(v["pu5"], f.session.vmk.Language);
  QVERIFY(!v["pu1"].isEmpty() && !v["pu5"].isEmpty());
  // "pu2" is the one number of the report.
  const auto out = xlsx::readZip(readFile(f.file));
  const QString ref = namedCells(*xlsx::readZip(readFile(programDir() + kDeviceTemplate)))["pu2"];
  QCOMPARE(cellOf(part(*out, QStringLiteral("xl/worksheets/sheet1.xml")), ref)->attribute(QStringLiteral("t")),
           std::nullopt);

  setup.ClockMonth = 0;
  f.prompts.answerSave(f.file);
  f.print(kPageParam);
  QCOMPARE(f.written()["pu4"], QStringLiteral("Неопределены"));
}

void TestDeviceReport::yesOpensTheFileAndAnExistingOneIsReplaced() {
  ReportFixture f;
  QVERIFY(writeFile(f.file, "an old report"));
  f.prompts.answerSave(f.file);
  f.prompts.answerBox(Button::Yes);
  f.print(kPageParam);
  QCOMPARE(f.opened, QStringList{f.file});
  QVERIFY(xlsx::readZip(readFile(f.file)));
  QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"report.xlsx"});
}

void TestDeviceReport::missingViewerLibraryOrFunction() {
  QTemporaryDir empty;
  const QList<std::pair<QString, QString>> cases{
      {empty.path(), QStringLiteral("Ошибка загрзки библиотеки!")},
      {QStringLiteral(VMK_BROKEN_VIEW_DIR), QStringLiteral("Ошибка загрзки функции!")}};
  for (const auto& [folder, message] : cases) {
    ReportFixture f;
    f.ws.ProgramDir = folder + QLatin1Char('/');
    f.prompts.answerSave(f.file);
    f.print(kPageParam);
    QCOMPARE(f.prompts.boxTexts(), QStringList{message});
    QCOMPARE(f.prompts.asked().size(), 1);  // no dialog
    QCOMPARE(f.prompts.asked()[0].buttons, QList<Button>{Button::Abort});
    QVERIFY(f.requests().isEmpty());
    QVERIFY(!f.portOpen());
    QVERIFY(!QFile::exists(f.file));
  }
}

void TestDeviceReport::aFailedReadAtEachStepWritesNothing() {
  for (int failing = 1; failing <= 6; ++failing) {
    ReportFixture f;
    QVERIFY(writeFile(f.file, "an old report"));
    f.session.vmk.setup.NetAddress = 9;
    f.plan.fault = silentFrom(failing, f.plan);
    f.prompts.answerSave(f.file);
    f.print(kPageSettings);
    QCOMPARE(f.requests().size(), failing);
    QCOMPARE(f.prompts.boxTexts(), QStringList{msg::kLinkError});
    QCOMPARE(f.prompts.asked().last().buttons, QList<Button>{Button::Ok});
    QVERIFY(!f.portOpen());
    QCOMPARE(readFile(f.file), QByteArray("an old report"));
    // The first block replaces the record's setup fields once it is read.
    QCOMPARE(f.session.vmk.setup.NetAddress, std::uint8_t(failing == 1 ? 9 : 1));
  }
}

void TestDeviceReport::aDamagedTemplateGivesTheEnginesMessage() {
  // A folder with the viewer library and a template that is no workbook.
  QTemporaryDir folder;
  const QString library = QStringLiteral("libView.so");
  QVERIFY(QFile::copy(programDir() + library, folder.filePath(library)));
  QVERIFY(writeFile(folder.filePath(kDeviceTemplate), "PK\x03\x04 no workbook"));
  ReportFixture f;
  f.ws.ProgramDir = folder.path() + QLatin1Char('/');
  f.prompts.answerSave(f.file);
  f.print(kPageParam);
  QCOMPARE(f.requests().size(), 6);
  QCOMPARE(f.prompts.boxTexts().size(), 1);
  QVERIFY(f.prompts.boxTexts()[0].startsWith(QStringLiteral("Шаблон отчёта")));
  QVERIFY(f.prompts.boxTexts()[0].contains(folder.filePath(kDeviceTemplate)));
  QVERIFY(!f.portOpen());
  QVERIFY(!QFile::exists(f.file));
  // A journal report without its template.
  f.prompts.forget();
  f.prompts.answerSave(f.file);
  f.print(kPageAlarm);
  QCOMPARE(f.prompts.boxTexts(), QStringList{msg::reports::kNoTemplate.arg(folder.filePath("template3.xlsx"))});
}

void TestDeviceReport::journalReportsTakeTheGridsAsTheyStand() {
  ReportFixture f;
  const int opens = f.opens();
  for (int row = 0; row < 34; ++row)
    for (int c = 0; c < 16; ++c) f.ws.journals.GrdEvent.setCell(c, row, QStringLiteral("e%1.%2").arg(row).arg(c));
  f.ws.journals.GrdEvent.setCell(4, 33, QString(300, QLatin1Char('1')));
  f.prompts.answerSave(f.file);
  f.print(kPageEvents);
  QVERIFY(f.requests().isEmpty());
  QCOMPARE(f.opens(), opens + 1);
  QMap<QString, QString> v = f.written(journalSpec(JournalKind::Events).reportTemplate);
  QCOMPARE(v.size(), 6 + 4 * 34);
  QCOMPARE(v["d1"], QStringLiteral("e0.1"));
  QCOMPARE(v["s1"], QStringLiteral("e0.2"));
  QCOMPARE(v["i1"], QStringLiteral("e0.3"));
  QString states;
  for (int c = 4; c < 16; ++c) states += QStringLiteral("e0.%1").arg(c);
  QCOMPARE(v["o1"], states);
  QCOMPARE(v["d34"], QStringLiteral("e33.1"));
  QCOMPARE(v["o34"], QString(255, QLatin1Char('1')));
  QCOMPARE(v["date"], QStringLiteral("20.05.2011 10:00:00"));

  for (int row = 0; row < 22; ++row)
    for (int c = 0; c < 3; ++c) f.ws.journals.grdStat.setCell(c, row, QStringLiteral("s%1.%2").arg(row).arg(c));
  f.prompts.answerSave(f.file);
  f.print(kPageStatistic);
  v = f.written(journalSpec(JournalKind::Stats).reportTemplate);
  QCOMPARE(v.size(), 6 + 2 * 22);
  QCOMPARE(v["d1"], QStringLiteral("s0.1"));
  QCOMPARE(v["s22"], QStringLiteral("s21.2"));

  for (int row = 0; row < 13; ++row)
    for (int c = 0; c < 5; ++c) f.ws.journals.grdAlarm.setCell(c, row, QStringLiteral("a%1.%2").arg(row).arg(c));
  f.prompts.answerSave(f.file);
  f.print(kPageAlarm);
  v = f.written(journalSpec(JournalKind::Alarms).reportTemplate);
  QCOMPARE(v.size(), 6 + 2 * 13);
  QCOMPARE(v["d1"], QStringLiteral("a0.0"));
  QCOMPARE(v["s13"], QStringLiteral("a12.1"));
  QVERIFY(f.requests().isEmpty());
}

// "Отчёт по файлу уставок...": the sheet of the file opened on the page as
// the page holds it now, an edit made since included; a value the device
// gave that the file did not replace stays out, and no device is asked.
void TestDeviceReport::theFileSheetTakesTheOpenedFileWithItsEdits() {
  ReportFixture f;
  f.set(80, 750), f.set(81, 5), f.set(82, 100), f.set(256, 0x1), f.set(256 + 5, 625);
  QVERIFY(ActGetParSetExecute(f.ws, f.ws.parameters, f.russian));
  const QString ust = f.dir.filePath(QStringLiteral("prepared.ust"));
  QVERIFY(writeFile(ust, QStringLiteral("[Параметры]\nВторичный ток ТТ=1\n"
                                        "[Уставки]\nТок МТЗ-1=0,5\n").toUtf8()));
  f.prompts.answerOpen(ust);
  QVERIFY(ActOpenFileExecute(f.ws, f.ws.parameters));
  putRowText(f.ws.parameters.params, 1, 7, QStringLiteral("200"));  // "Первичный ток ТТ ЗНЗ"
  const int requests = f.requests().size();
  f.ws.pages.setActivePage(kPagePolling);
  f.prompts.answerSave(f.file);
  actFileReportExecute(f.ws, f.ws.parameters, f.russian);
  QCOMPARE(f.requests().size(), requests);
  QMap<QString, QString> v = f.written();
  QCOMPARE(v["p7"], QStringLiteral("1"));      // the file's
  QCOMPARE(v["p8"], QStringLiteral("200"));    // edited since
  QCOMPARE(v["p6"], QString());                // the device's, not the file's
  QCOMPARE(v["g1_1"], QString());              // the stages too: МТЗ-1 undecided
  QCOMPARE(v["g1_3"], QString());
  QCOMPARE(v["pu1"], msg::reports::kFromFile.arg(QStringLiteral("prepared.ust")));

  // A read from the device forgets the file: the next sheet asks for one.
  QVERIFY(ActGetParSetExecute(f.ws, f.ws.parameters, f.russian));
  f.prompts.forget();
  f.prompts.answerOpen(ust);
  f.prompts.answerSave(f.file);
  actFileReportExecute(f.ws, f.ws.parameters, f.russian);
  QCOMPARE(f.prompts.asked().first().kind, QStringLiteral("open"));
  v = f.written();
  QCOMPARE(v["p8"], QString());
  QCOMPARE(v["p7"], QStringLiteral("1"));
}

QTEST_GUILESS_MAIN(TestDeviceReport)
#include "test_device_report.moc"
