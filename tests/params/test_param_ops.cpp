// Reading, editing and writing parameters and settings against a register
// image on the simulated device.

#include <QtTest>

#include "extlib/registers.h"
#include "extlib/transport_error.h"
#include "model/messages.h"
#include "params/catalogue.h"
#include "params/grid_editing.h"
#include "params/settings_file.h"
#include "shell/params_commands.h"
#include "tests/params/param_sample.h"
#include "tests/params/scripted_editor.h"

using namespace vmk;
using test::Request;

namespace {

const QString kLink = QStringLiteral("Ошибка связи с устройством!");

QString g1(test::ParamFixture& b, int row, int col = grid::kValue) { return b.ws.parameters.Grid1.cell(col, row); }
QString gs(test::ParamFixture& b, int row, int col = grid::kValue) { return b.ws.parameters.grdSett.cell(col, row); }

QList<Request> writesOf(const test::ParamFixture& b) {
  QList<Request> out;
  for (const Request& r : b.registerRequests())
    if (r.function == 6) out << r;
  return out;
}

}  // namespace

class TestParamOps : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void readFillsBothGrids();
  void readCommaLocale();
  void readGroup2();
  void readFailure_data();
  void readFailure();

  void toggleTwiceKeepsMark();
  void editorRoundTrip();
  void unchangedEditorAnswerLeavesNoMark();
  void headingAndEmptyRowsNeverEdit();
  void editorNamesWhatTheRowHolds();
  void passwordRowOpensChangePassword();

  void writeGroup2Time();
  void writeTwoRegisterRow();
  void writeInputDelay();
  void writeNothingMarked();
  void writeSilentFinalReadKeepsFlag();
  void writeUnansweredRowKeepsMark();
  void writeRefusesBadValuesBeforeSending_data();
  void writeRefusesBadValuesBeforeSending();
  void writeNeedsPassword_data();
  void writeNeedsPassword();
  void writeFollowsTheDeviceToItsNewAddress_data();
  void writeFollowsTheDeviceToItsNewAddress();
};

void TestParamOps::readFillsBothGrids() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  b.ws.parameters.params.clearParameters();
  b.ws.parameters.params.clearSettings(b.ws.parameters.SettingGroup);
  b.ws.parameters.params.setMarked(1, 5, true);
  b.ws.parameters.params.setMarked(2, 8, true);
  b.ws.parameters.ParamsModified = true;
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  QCOMPARE(b.registerRequests(),
           (QList<Request>{{3, 64, 20}, {3, 96, 44}, {3, 140, 4}, {3, 192, 32}, {3, 256, 38}}));
  QCOMPARE(g1(b, 1), QStringLiteral("5"));
  QCOMPARE(g1(b, 2), QStringLiteral("*****"));
  QCOMPARE(g1(b, 2, grid::kRegister), QStringLiteral("65535"));
  QCOMPARE(g1(b, 3), QStringLiteral("1"));
  QCOMPARE(g1(b, 4), QStringLiteral("Динамическое измен."));
  QCOMPARE(g1(b, 5), QStringLiteral("600"));
  QCOMPARE(g1(b, 10), QStringLiteral("100001" "1000000000000001"));
  QCOMPARE(g1(b, 25), QStringLiteral("250"));
  QCOMPARE(g1(b, 44), QStringLiteral("1.50"));
  QCOMPARE(g1(b, 45), QStringLiteral("Работа МТЗ/ЗНЗ"));
  QCOMPARE(g1(b, 45, grid::kRegister), QStringLiteral("142"));
  QCOMPARE(g1(b, 61), QStringLiteral("1000000000000000" "0000000000000001"));
  QCOMPARE(gs(b, 8), QStringLiteral("0.250"));
  QCOMPARE(gs(b, 17), QString());
  QCOMPARE(gs(b, 17, grid::kRegister), QStringLiteral("276"));
  QCOMPARE(gs(b, 26), QStringLiteral("1.25"));
  QVERIFY(g1(b, 5, grid::kMark).isEmpty());
  QVERIFY(gs(b, 8, grid::kMark).isEmpty());
  QVERIFY(b.ws.parameters.ParamsModified);
  const SetupFields& s = b.session.vmk.setup;
  QCOMPARE(s.NetAddress, 5);
  QCOMPARE(s.InterfaceWord, 4);
  QCOMPARE(s.DevicePassword, QStringLiteral("ABCD"));
  QCOMPARE(s.ActiveGroup, 1);
  QCOMPARE(s.GroupChangeMode, 1);
  QCOMPARE(s.EarthCtSecondary, 1);
  QVERIFY(!b.session.Port1.isOpen());
  QVERIFY(b.prompts.asked().isEmpty());
}

void TestParamOps::readCommaLocale() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale(QLocale::Russian, QLocale::Russia)));
  QCOMPARE(g1(b, 44), QStringLiteral("1,50"));
  QCOMPARE(gs(b, 26), QStringLiteral("1,25"));
}

void TestParamOps::readGroup2() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  rbGroup2Click(b.ws.parameters, 2);
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  QCOMPARE(b.registerRequests().last(), (Request{3, 512, 38}));
  QCOMPARE(gs(b, 8, grid::kRegister), QStringLiteral("518"));
  QCOMPARE(gs(b, 8), QStringLiteral("0.770"));
  QCOMPARE(gs(b, 17), QStringLiteral("нормально инверсная характеристика"));
}

void TestParamOps::readFailure_data() {
  QTest::addColumn<int>("answered");      // requests answered before silence
  QTest::addColumn<int>("filledRows");    // Grid1 rows 0..filledRows-1 filled
  QTest::newRow("step 1") << 0 << 0;
  QTest::newRow("step 2") << 1 << 9;
  QTest::newRow("step 3") << 2 << 44;
  QTest::newRow("step 4") << 3 << 46;
  QTest::newRow("step 5") << 4 << 62;
}

void TestParamOps::readFailure() {
  QFETCH(int, answered);
  QFETCH(int, filledRows);
  test::ParamFixture b;
  test::loadSample(b.dev);
  b.ws.parameters.params.clearParameters();
  b.ws.parameters.params.clearSettings(b.ws.parameters.SettingGroup);
  putRowText(b.ws.parameters.params, 1, 30, QStringLiteral("old"));
  putRowText(b.ws.parameters.params, 2, 8, QStringLiteral("old"));
  b.ws.parameters.params.setMarked(2, 8, true);
  b.plan.fault = test::silentFrom(answered + 1, b.plan);
  QVERIFY(!ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  QCOMPARE(b.prompts.boxTexts(), QStringList{kLink});
  QCOMPARE(b.prompts.asked().first().icon, BoxIcon::Error);
  QCOMPARE(b.registerRequests().size(), answered + 1);  // nothing after the failure
  QVERIFY(!b.session.Port1.isOpen());
  if (answered == 0) {
    QCOMPARE(g1(b, 30), QStringLiteral("old"));
    QVERIFY(b.session.vmk.setup.DevicePassword.isEmpty());
  } else {
    QCOMPARE(b.session.vmk.setup.DevicePassword, QStringLiteral("ABCD"));
    QVERIFY(!g1(b, filledRows - 1, grid::kCaption).isEmpty());
    // Only the rows of the blocks read change; the rest keep their layout
    // and what they showed.
    for (int r = filledRows; r < 62; ++r) {
      QVERIFY(!g1(b, r, grid::kCaption).isEmpty());
      QVERIFY(!g1(b, r, grid::kRegister).isEmpty());
      QCOMPARE(g1(b, r), r == 30 ? QStringLiteral("old") : QString());
    }
  }
  // The setting grid is untouched by any failure.
  QCOMPARE(gs(b, 8), QStringLiteral("old"));
  QCOMPARE(gs(b, 8, grid::kMark), QStringLiteral("*"));
}

void TestParamOps::toggleTwiceKeepsMark() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  test::ScriptedEditor editor;
  GridEditing e(editModels(b.ws, b.ws.parameters), &editor, QLocale::c());
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  e.Grid1SelectCell(1, 4);
  QCOMPARE(b.ws.status.text(3), QStringLiteral("Способ изменения группы уставок"));
  e.Grid1DblClick(1);
  QCOMPARE(g1(b, 4), QStringLiteral("Статическое измен."));
  QCOMPARE(g1(b, 4, grid::kMark), QStringLiteral("*"));
  QVERIFY(b.ws.parameters.ParamsModified);
  e.Grid1DblClick(1);
  QCOMPARE(g1(b, 4), QStringLiteral("Динамическое измен."));
  QCOMPARE(g1(b, 4, grid::kMark), QStringLiteral("*"));
  e.Grid1SelectCell(1, 45);
  e.Grid1DblClick(1);
  QCOMPARE(g1(b, 45), QStringLiteral("Пуск МТЗ/ЗНЗ"));
  QVERIFY(editor.shown.isEmpty());
}

void TestParamOps::editorRoundTrip() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  test::ScriptedEditor editor;
  GridEditing e(editModels(b.ws, b.ws.parameters), &editor, QLocale::c());
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  QCOMPARE(gs(b, 26), QStringLiteral("1.25"));
  e.Grid1SelectCell(2, 26);
  QCOMPARE(e.CurValue(), 12);  // 12.5 to the even neighbour
  QCOMPARE(e.CurRegister(), 285);
  editor.answer(15);
  e.Grid1DblClick(2);
  QCOMPARE(editor.shown.size(), 1);
  QCOMPARE(editor.shown[0].caption, QStringLiteral("Время АПВ 1й ступени, с"));
  QCOMPARE(editor.shown[0].reg, 285);
  QCOMPARE(editor.shown[0].value, 12);
  QCOMPARE(editor.shown[0].earthCtSecondary, 1);
  QCOMPARE(gs(b, 26), QStringLiteral("1.5"));
  QCOMPARE(gs(b, 26, grid::kMark), QStringLiteral("*"));
  QVERIFY(b.ws.parameters.ParamsModified);

  b.prompts.answerPassword(QStringLiteral("ABCD"));
  b.forgetRequests();
  QVERIFY(actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
  QCOMPARE(writesOf(b), (QList<Request>{{6, 285, 150}}));
  QVERIFY(gs(b, 26, grid::kMark).isEmpty());
  QVERIFY(!b.ws.parameters.ParamsModified);
}

void TestParamOps::unchangedEditorAnswerLeavesNoMark() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  test::ScriptedEditor editor;
  GridEditing e(editModels(b.ws, b.ws.parameters), &editor, QLocale::c());
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  e.Grid1SelectCell(1, 5);
  e.Grid1DblClick(1);  // no answer scripted: the value handed in comes back
  QCOMPARE(editor.shown.size(), 1);
  QCOMPARE(editor.shown[0].value, 600);
  QVERIFY(g1(b, 5, grid::kMark).isEmpty());
  QVERIFY(!b.ws.parameters.ParamsModified);
  QCOMPARE(g1(b, 5), QStringLiteral("600"));
}

void TestParamOps::headingAndEmptyRowsNeverEdit() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  test::ScriptedEditor editor;
  GridEditing e(editModels(b.ws, b.ws.parameters), &editor, QLocale::c());
  b.ws.parameters.params.clearParameters();
  b.ws.parameters.params.clearSettings(b.ws.parameters.SettingGroup);
  e.Grid1SelectCell(1, 5);  // before the first read: no value
  e.Grid1DblClick(1);
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  for (int row : {0, 9, 18, 31, 43}) {
    e.Grid1SelectCell(1, row);
    e.Grid1DblClick(1);
  }
  e.Grid1SelectCell(2, 17);  // characteristic 6: empty text
  e.Grid1DblClick(2);
  QVERIFY(editor.shown.isEmpty());
  QVERIFY(!b.ws.parameters.ParamsModified);
  for (int r = 0; r < 62; ++r) QVERIFY(g1(b, r, grid::kMark).isEmpty());
}

void TestParamOps::editorNamesWhatTheRowHolds() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  test::ScriptedEditor editor;
  GridEditing e(editModels(b.ws, b.ws.parameters), &editor, QLocale::c());
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  // A file put a text that is no value into "Время МТЗ-2" and a time
  // beyond the range into "Время МТЗ-1".
  putRowText(b.ws.parameters.params, 2, 12, QStringLiteral("abc"));
  putRowText(b.ws.parameters.params, 2, 8, QStringLiteral("600.00"));
  for (int row : {8, 12}) b.ws.parameters.params.setMarked(2, row, true);
  e.rowsLoaded(QStringLiteral("/tmp/relay/a.ust"),
               {{2, 8, QStringLiteral("Время МТЗ-1"), QStringLiteral("600.00"), {}},
                {2, 12, QStringLiteral("Время МТЗ-2"), QStringLiteral("abc"), {}}});

  e.Grid1SelectCell(1, 4);        // the group-mode toggle row
  e.Grid1SelectCell(2, 12);       // selecting the text says nothing
  QCOMPARE(e.CurRegister(), 269);
  e.Grid1DblClick(2);             // cancelled: the row stays as the file left it
  QCOMPARE(editor.shown.size(), 1);
  QCOMPARE(editor.shown[0].note.text,
           QStringLiteral("Значение в файле «a.ust» («abc») не является числом. Введите новое значение."));
  QVERIFY(editor.shown[0].note.startEmpty);
  QCOMPARE(editor.shown[0].value, -1);  // below the range: no answer equals it
  QCOMPARE(gs(b, 12), QStringLiteral("abc"));
  editor.answer(250);
  e.Grid1DblClick(2);
  QCOMPARE(gs(b, 12), QStringLiteral("2.50"));
  QVERIFY(b.ws.parameters.ParamsModified);

  e.Grid1SelectCell(2, 8);
  e.Grid1DblClick(2);
  QCOMPARE(editor.shown[2].value, 60000);
  QCOMPARE(editor.shown[2].note.text,
           QStringLiteral("Значение в файле «a.ust» (600.00 с) вне допустимого диапазона: "
                          "допустимо от 0.00 до 100.00 с."));
  QVERIFY(!editor.shown[2].note.startEmpty);
  // The same value read from the device is named as the device's.
  b.ws.parameters.params.setMarked(2, 8, false);
  e.Grid1DblClick(2);
  QVERIFY(editor.shown[3].note.text.startsWith(QStringLiteral("Значение в устройстве (600.00 с)")));
  // A value inside its range needs no note.
  e.Grid1SelectCell(2, 26);
  e.Grid1DblClick(2);
  QCOMPARE(editor.shown[4].note.text, QString());
}

void TestParamOps::passwordRowOpensChangePassword() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  test::ScriptedEditor editor;
  GridEditing e(editModels(b.ws, b.ws.parameters), &editor, QLocale::c());
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  b.forgetRequests();
  b.prompts.answerChangePassword(PasswordChange{"ABCD", "WXYZ", "WXYZ"});
  e.Grid1SelectCell(1, 2);
  QCOMPARE(e.CurRegister(), 65535);
  QCOMPARE(e.Grid1DblClick(1), EditAnswer::ChangePassword);
  // The window's double-click runs the change-password window for it.
  b.ws.parameters.paramEditing.setEditor(&editor);
  Grid1DblClick(b.ws, b.ws.parameters, 1, 2);
  QCOMPARE(b.registerRequests(), (QList<Request>{{6, 66, 0x5758}, {6, 67, 0x595A}}));
  QVERIFY(g1(b, 2, grid::kMark).isEmpty());
  QCOMPARE(g1(b, 2), QStringLiteral("*****"));
  QVERIFY(!b.ws.parameters.ParamsModified);
  QVERIFY(editor.shown.isEmpty());
}

void TestParamOps::writeGroup2Time() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  test::ScriptedEditor editor;
  GridEditing e(editModels(b.ws, b.ws.parameters), &editor, QLocale::c());
  rbGroup2Click(b.ws.parameters, 2);
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  e.Grid1SelectCell(2, 8);
  editor.answer(25);
  e.Grid1DblClick(2);
  QCOMPARE(gs(b, 8), QStringLiteral("0.25"));
  b.prompts.answerPassword(QStringLiteral("ABCD"));
  b.forgetRequests();
  QVERIFY(actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
  // The register is read before and read back after the write.
  QCOMPARE(b.registerRequests(), (QList<Request>{{3, 518, 1}, {6, 518, 25}, {3, 518, 1}, {3, 64, 23}}));
  QCOMPARE(b.dev.registerValue(518), 25);
  QCOMPARE(b.dev.registerValue(262), 25);  // group 1 untouched
}

void TestParamOps::writeTwoRegisterRow() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  // Indicator 3 (registers 100, 101) and recorder channel 16 (222, 223).
  putRowText(b.ws.parameters.params, 1, 12, QStringLiteral("101010" "0000000011111111"));
  b.ws.parameters.params.setMarked(1, 12, true);
  putRowText(b.ws.parameters.params, 1, 61, QStringLiteral("0000000000000011" "1000000000000000"));
  b.ws.parameters.params.setMarked(1, 61, true);
  b.prompts.answerPassword(QStringLiteral("ABCD"));
  b.forgetRequests();
  QVERIFY(actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
  QCOMPARE(writesOf(b),
           (QList<Request>{{6, 100, 0x00FF}, {6, 101, 0x2A}, {6, 222, 0x8000}, {6, 223, 3}}));
  QVERIFY(g1(b, 12, grid::kMark).isEmpty());
  QVERIFY(g1(b, 61, grid::kMark).isEmpty());
}

void TestParamOps::writeInputDelay() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  putRowText(b.ws.parameters.params, 1, 27, QStringLiteral("255"));
  b.ws.parameters.params.setMarked(1, 27, true);
  b.prompts.answerPassword(QStringLiteral("ABCD"));
  b.forgetRequests();
  QVERIFY(actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
  QCOMPARE(writesOf(b), (QList<Request>{{6, 136, 25}}));
  QCOMPARE(g1(b, 27), QStringLiteral("255"));  // the grid is not read back
}

void TestParamOps::writeNothingMarked() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  b.ws.parameters.ParamsModified = true;
  b.dev.setRegister(69, 0);
  b.prompts.answerPassword(QStringLiteral("ABCD"));
  b.forgetRequests();
  QVERIFY(actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
  QCOMPARE(b.registerRequests(), (QList<Request>{{3, 64, 23}}));
  QVERIFY(!b.ws.parameters.ParamsModified);
  QCOMPARE(b.session.vmk.setup.GroupChangeMode, 0);  // the setup block was decoded
  QVERIFY(!b.session.Port1.isOpen());
}

void TestParamOps::writeSilentFinalReadKeepsFlag() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  const TVMK before = b.session.vmk;
  putRowText(b.ws.parameters.params, 1, 5, QStringLiteral("800"));
  b.ws.parameters.params.setMarked(1, 5, true);
  b.ws.parameters.ParamsModified = true;
  b.prompts.answerPassword(QStringLiteral("ABCD"));
  b.forgetRequests();
  // The read before, the write and its read-back are answered, the setup
  // read is not.
  b.plan.fault = test::silentFrom(4, b.plan);
  QVERIFY(!actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
  QCOMPARE(b.prompts.boxTexts(), QStringList{kLink});
  QVERIFY(g1(b, 5, grid::kMark).isEmpty());
  QVERIFY(b.ws.parameters.ParamsModified);
  QCOMPARE(b.session.vmk, before);
  QVERIFY(!b.session.Port1.isOpen());
}

void TestParamOps::writeUnansweredRowKeepsMark() {
  test::ParamFixture b;
  test::loadSample(b.dev);
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  putRowText(b.ws.parameters.params, 1, 10, QStringLiteral("000000" "0000000000000001"));
  b.ws.parameters.params.setMarked(1, 10, true);
  putRowText(b.ws.parameters.params, 1, 5, QStringLiteral("800"));
  b.ws.parameters.params.setMarked(1, 5, true);
  b.plan.fault = test::silentWritesOf({97});  // the high half of indicator 1
  b.prompts.answerPassword(QStringLiteral("ABCD"));
  b.ws.parameters.ParamsModified = true;
  QVERIFY(actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
  QCOMPARE(g1(b, 10, grid::kMark), QStringLiteral("*"));
  QVERIFY(g1(b, 5, grid::kMark).isEmpty());
  // Not written is not done: the box, and the edit still to be written.
  QCOMPARE(b.prompts.boxTexts(), QStringList{msg::kLinkError});
  QVERIFY(b.ws.parameters.ParamsModified);
}

void TestParamOps::writeRefusesBadValuesBeforeSending_data() {
  QTest::addColumn<int>("row");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("caption");
  QTest::newRow("current 150 In") << 7 << "150.00" << "Ток МТЗ-1, кратность In (A)";
  QTest::newRow("not a number") << 8 << "abc" << "Время МТЗ-1, с";
  QTest::newRow("two separators") << 26 << "1,5.0" << "Время АПВ 1й ступени, с";
  QTest::newRow("unknown characteristic") << 17 << "кривая 7" << "Тип характеристики";
}

void TestParamOps::writeRefusesBadValuesBeforeSending() {
  QFETCH(int, row);
  QFETCH(QString, text);
  QFETCH(QString, caption);
  test::ParamFixture b;
  test::loadSample(b.dev);
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  // A good row before the bad one must not be sent either.
  putRowText(b.ws.parameters.params, 1, 5, QStringLiteral("800"));
  b.ws.parameters.params.setMarked(1, 5, true);
  putRowText(b.ws.parameters.params, 2, row, text);
  b.ws.parameters.params.setMarked(2, row, true);
  b.ws.parameters.ParamsModified = true;
  b.prompts.answerPassword(QStringLiteral("ABCD"));
  b.forgetRequests();
  const int opensBefore = b.registerRequests().size();
  QVERIFY(!actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
  QCOMPARE(b.registerRequests().size(), opensBefore);
  QCOMPARE(b.prompts.boxTexts().size(), 1);
  const QString message = b.prompts.boxTexts().first();
  QVERIFY2(message.contains(caption), qPrintable(message));
  QVERIFY2(message.contains(QStringLiteral("«%1»").arg(text)), qPrintable(message));
  QVERIFY(!message.contains(QStringLiteral("Первичный ток ТТ")));
  QCOMPARE(g1(b, 5, grid::kMark), QStringLiteral("*"));
  QVERIFY(b.ws.parameters.ParamsModified);
  QVERIFY(!b.session.Port1.isOpen());
}

void TestParamOps::writeNeedsPassword_data() {
  QTest::addColumn<std::optional<QString>>("entry");
  QTest::addColumn<QStringList>("boxes");
  QTest::newRow("cancel") << std::optional<QString>() << QStringList{};
  QTest::newRow("empty") << std::optional<QString>(QString()) << QStringList{};
  QTest::newRow("wrong") << std::optional<QString>(QStringLiteral("ABCE"))
                         << QStringList{QStringLiteral("Ошибка ввода пароля!")};
}

void TestParamOps::writeNeedsPassword() {
  QFETCH(std::optional<QString>, entry);
  QFETCH(QStringList, boxes);
  test::ParamFixture b;
  test::loadSample(b.dev);
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  b.ws.parameters.params.setMarked(1, 5, true);
  b.prompts.answerPassword(entry);
  b.forgetRequests();
  QVERIFY(!actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
  QVERIFY(b.registerRequests().isEmpty());
  QCOMPARE(b.prompts.boxTexts(), boxes);
  QVERIFY(!b.session.Port1.isOpen());
}

void TestParamOps::writeFollowsTheDeviceToItsNewAddress_data() {
  QTest::addColumn<bool>("answered");
  QTest::newRow("the device answered the address") << true;
  QTest::newRow("the address went unanswered") << false;
}

void TestParamOps::writeFollowsTheDeviceToItsNewAddress() {
  QFETCH(bool, answered);
  test::ParamFixture b;
  b.dev.setRegister(reg::kAddress, 1);
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  b.ws.status.setText(2, QStringLiteral("Выбрано устройство №1"));
  putRowText(b.ws.parameters.params, 1, 1, QStringLiteral("7"));
  b.ws.parameters.params.setMarked(1, 1, true);
  putRowText(b.ws.parameters.params, 1, 5, QStringLiteral("800"));
  b.ws.parameters.params.setMarked(1, 5, true);
  if (!answered) b.plan.fault = test::silentWritesOf({reg::kAddress});
  b.prompts.answerPassword(QStringLiteral("AAAA"));
  b.forgetRequests();
  QVERIFY(actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));  // the setup read was answered
  // Each request's address byte: the read before and the address write go
  // to 1, the rest (the next write, the block's read-back, the setup read)
  // to wherever the device answers now.
  QList<int> addresses;
  for (const QByteArray& frame : b.requests()) addresses << std::uint8_t(frame[0]);
  const int now = answered ? 7 : 1;
  QCOMPARE(addresses, (QList<int>{1, 1, now, now, now}));
  QCOMPARE(int(b.session.DeviceAddress), now);
  QCOMPARE(b.dev.address(), now);
  QCOMPARE(b.dev.registerValue(reg::kCtPrimary), std::uint16_t(800));
  QCOMPARE(b.ws.status.text(2), QStringLiteral("Выбрано устройство №%1").arg(now));
  QVERIFY(g1(b, 5, grid::kMark).isEmpty());
  QCOMPARE(g1(b, 1, grid::kMark), answered ? QString() : QStringLiteral("*"));
  if (answered) QCOMPARE(int(b.session.vmk.setup.NetAddress), 7);
}

QTEST_GUILESS_MAIN(TestParamOps)
#include "test_param_ops.moc"
