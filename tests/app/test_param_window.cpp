// The parameter and setting grids in the real window: the catalogue laid
// out at start, the group buttons, the double-click road to the value editor
// and the change-password window.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include "app/change_pass_dialog.h"
#include "app/pass_form.h"
#include "params/catalogue.h"
#include "tests/app/app_fixture.h"

using namespace vmk;

namespace {

// A mouse click on a row of a grid shown on its page.
void clickRow(test::AppFixture& app, const char* gridName, int page, int row) {
  app.window->pages()->setCurrentIndex(page);
  auto* view = app.window->findChild<QTableView*>(QLatin1String(gridName));
  QVERIFY(view && view->isVisible());
  view->scrollTo(view->model()->index(row, 0));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                    view->visualRect(view->model()->index(row, 0)).center());
}

}  // namespace

class TestParamWindow : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void catalogueAtStart();
  void groupButtonsRebuildTheSettingGrid();
  void doubleClickWithoutTheLibrary();
  void selectingATextThatIsNoValueSaysNothing();
  void changePasswordKeyFilter();
  void changePasswordAnswers();
  void columnsStartAtTheirDesignWidths_data();
  void columnsStartAtTheirDesignWidths();
  void selectingTheCurrentRowAgainRunsTheSelection();
  void passwordEditsShowAStarPerLetter();
  void thePortPanelShowsItsWholeTextAsATooltip();
};

void TestParamWindow::catalogueAtStart() {
  test::AppFixture app;
  QCOMPARE(app.ws().parameters.Grid1.cell(grid::kCaption, 61), QStringLiteral("Логический канал осциллографа 16"));
  QCOMPARE(app.ws().parameters.Grid1.cell(grid::kRegister, 2), QStringLiteral("65535"));
  QCOMPARE(app.ws().parameters.grdSett.cell(grid::kRegister, 8), QStringLiteral("262"));
}

void TestParamWindow::groupButtonsRebuildTheSettingGrid() {
  test::AppFixture app;
  app.ws().parameters.params.setMarked(2, 8, true);
  auto* group2 = app.window->findChild<QRadioButton*>(QStringLiteral("rbGroup2"));
  auto* group1 = app.window->findChild<QRadioButton*>(QStringLiteral("rbGroup1"));
  QVERIFY(group1 && group2);
  group2->click();
  QCOMPARE(app.ws().parameters.SettingGroup, 2);
  QCOMPARE(app.ws().parameters.grdSett.cell(grid::kRegister, 8), QStringLiteral("518"));
  QVERIFY(app.ws().parameters.grdSett.cell(grid::kMark, 8).isEmpty());
  group1->click();
  QCOMPARE(app.ws().parameters.grdSett.cell(grid::kRegister, 8), QStringLiteral("262"));
}

void TestParamWindow::doubleClickWithoutTheLibrary() {
  test::AppFixture app;  // its program folder has no viewer library
  app.dm->run(QStringLiteral("Grid1DblClick"), Trigger{1, 0});  // heading row: nothing
  putRowText(app.ws().parameters.params, 1, 5, QStringLiteral("600"));
  app.dm->run(QStringLiteral("Grid1DblClick"), Trigger{1, 5});
  QCOMPARE(app.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка загрзки библиотеки!")});
  QCOMPARE(app.prompts.asked().last().buttons, QList<Button>{Button::Abort});
  QVERIFY(app.ws().parameters.Grid1.cell(grid::kMark, 5).isEmpty());
  QVERIFY(!app.ws().parameters.ParamsModified);
  QCOMPARE(app.ws().status.text(3), QStringLiteral("Первичный ток ТТ, A"));
}

void TestParamWindow::selectingATextThatIsNoValueSaysNothing() {
  // Loading named it already; moving through the grid opens no box.
  test::AppFixture app;
  putRowText(app.ws().parameters.params, 1, 25, QStringLiteral("abc"));
  app.ws().parameters.Grid1.setCurrentRow(25);
  QVERIFY(app.prompts.boxTexts().isEmpty());
  QCOMPARE(app.ws().status.text(3), app.ws().parameters.Grid1.cell(grid::kCaption, 25));
}

void TestParamWindow::changePasswordKeyFilter() {
  TChangePassFrm form;
  form.show();
  for (QLineEdit* edit : {form.meOldPass(), form.meNewPass(), form.meConfirm()}) {
    QCOMPARE(edit->echoMode(), QLineEdit::Password);
    QTest::keyClicks(edit, QStringLiteral("Ab1 -Z"));
    QKeyEvent cyrillic(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("Я"));
    QApplication::sendEvent(edit, &cyrillic);
    QCOMPARE(edit->text(), QStringLiteral("AZ"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("A"));
  }
  QCOMPARE(form.windowTitle(), QStringLiteral("Смена пароля"));
}

void TestParamWindow::changePasswordAnswers() {
  QTimer::singleShot(0, this, [] {
    auto* form = qobject_cast<TChangePassFrm*>(QApplication::activeModalWidget());
    QVERIFY(form);
    QTest::keyClicks(form->meOldPass(), QStringLiteral("ABCD"));
    QTest::keyClicks(form->meNewPass(), QStringLiteral("WXYZ"));
    QTest::keyClicks(form->meConfirm(), QStringLiteral("WXYZ"));
    form->findChild<QPushButton*>(QStringLiteral("btnOk"))->click();
  });
  const auto entries = TChangePassFrm::ask(nullptr);
  QVERIFY(entries);
  QCOMPARE(entries->oldPassword, QStringLiteral("ABCD"));
  QCOMPARE(entries->newPassword, QStringLiteral("WXYZ"));
  QCOMPARE(entries->confirm, QStringLiteral("WXYZ"));

  QTimer::singleShot(0, this, [] {
    auto* form = qobject_cast<TChangePassFrm*>(QApplication::activeModalWidget());
    QVERIFY(form);
    form->findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
  });
  QVERIFY(!TChangePassFrm::ask(nullptr));
}

void TestParamWindow::columnsStartAtTheirDesignWidths_data() {
  QTest::addColumn<QString>("grid");
  QTest::addColumn<QList<int>>("widths");
  QTest::newRow("Grid1") << "Grid1" << QList<int>{222, 198, 116, 0, 0};
  QTest::newRow("grdSett") << "grdSett" << QList<int>{222, 152, 116, 0, 0};
}

void TestParamWindow::columnsStartAtTheirDesignWidths() {
  QFETCH(QString, grid);
  QFETCH(QList<int>, widths);
  test::AppFixture app;
  auto* view = app.window->findChild<QTableView*>(grid);
  QVERIFY(view);
  QList<int> shown;
  for (int c = 0; c < 5; ++c) shown << view->columnWidth(c);
  QCOMPARE(shown, widths);
}

void TestParamWindow::selectingTheCurrentRowAgainRunsTheSelection() {
  test::AppFixture app;
  app.window->show();
  QVERIFY(QTest::qWaitForWindowExposed(app.window.get()));
  Workspace& ws = app.ws();
  putRowText(ws.parameters.params, 1, 5, QStringLiteral("600"));
  putRowText(ws.parameters.params, 2, 8, QStringLiteral("0.250"));

  clickRow(app, "Grid1", kPageParam, 5);
  QCOMPARE(ws.status.text(3), QStringLiteral("Первичный ток ТТ, A"));
  clickRow(app, "grdSett", kPageSettings, 8);
  QCOMPARE(ws.status.text(3), QStringLiteral("Время МТЗ-1, с"));
  QCOMPARE(int(ws.parameters.paramEditing.CurRegister()), 262);

  // Back to the parameter grid, where row 5 is still the current one.
  clickRow(app, "Grid1", kPageParam, 5);
  QCOMPARE(ws.status.text(3), QStringLiteral("Первичный ток ТТ, A"));
  QCOMPARE(int(ws.parameters.paramEditing.CurRegister()), 80);
  QCOMPARE(ws.parameters.paramEditing.CurValue(), 600);

  // A read changes the value under the current row; selecting it again
  // takes the new value.
  ws.status.setText(3, QString());
  putRowText(ws.parameters.params, 1, 5, QStringLiteral("750"));
  clickRow(app, "Grid1", kPageParam, 5);
  QCOMPARE(ws.parameters.paramEditing.CurValue(), 750);
  QCOMPARE(ws.status.text(3), QStringLiteral("Первичный ток ТТ, A"));
  QCOMPARE(app.prompts.boxTexts(), QStringList());
}

void TestParamWindow::passwordEditsShowAStarPerLetter() {
  TPassFrm prompt;
  TChangePassFrm form;
  prompt.show();
  form.show();
  for (QLineEdit* edit : {prompt.meOldPass(), form.meOldPass(), form.meNewPass(), form.meConfirm()}) {
    QTest::keyClicks(edit, QStringLiteral("ABC"));
    QCOMPARE(edit->text(), QStringLiteral("ABC"));
    QCOMPARE(edit->displayText(), QStringLiteral("***"));
  }
}

void TestParamWindow::thePortPanelShowsItsWholeTextAsATooltip() {
  test::AppFixture app;
  auto* panel = app.window->findChild<QLabel*>(QStringLiteral("SBarPanel0"));
  QVERIFY(panel);
  QCOMPARE(panel->toolTip(), app.ws().status.text(0));
  const QString longName = QStringLiteral("/tmp/test_vmksim_serial-rFgFSo/bus открыт");
  app.ws().status.setText(0, longName);
  QCOMPARE(panel->text(), longName);
  QCOMPARE(panel->toolTip(), longName);
  // So does panel 1, with a server's long host name.
  auto* connector = app.window->findChild<QLabel*>(QStringLiteral("SBarPanel1"));
  const QString server = QStringLiteral("Задний порт: relay-gateway.substation-7.local:4001");
  app.ws().status.setText(1, server);
  QCOMPARE(connector->text(), server);
  QCOMPARE(connector->toolTip(), server);
}

QTEST_MAIN(TestParamWindow)
#include "test_param_window.moc"
