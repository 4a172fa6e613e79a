// The parameter and setting grids in the real window: the catalogue laid
// out at start, the group buttons, the double-click road to the value editor
// and the change-password window.

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/change_pass_dialog.h"
#include "params/catalogue.h"
#include "tests/app/app_fixture.h"

using namespace vmk;

class TestParamWindow : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void catalogueAtStart();
  void groupButtonsRebuildTheSettingGrid();
  void doubleClickWithoutTheLibrary();
  void selectingABadNumberIsReported();
  void changePasswordKeyFilter();
  void changePasswordAnswers();
};

void TestParamWindow::catalogueAtStart() {
  test::AppFixture app;
  QCOMPARE(app.ws().Grid1.cell(grid::kCaption, 61), QStringLiteral("Логический канал осциллографа 16"));
  QCOMPARE(app.ws().Grid1.cell(grid::kRegister, 2), QStringLiteral("65535"));
  QCOMPARE(app.ws().grdSett.cell(grid::kRegister, 8), QStringLiteral("262"));
}

void TestParamWindow::groupButtonsRebuildTheSettingGrid() {
  test::AppFixture app;
  app.ws().grdSett.setCell(grid::kMark, 8, QStringLiteral("*"));
  auto* group2 = app.window->findChild<QRadioButton*>(QStringLiteral("rbGroup2"));
  auto* group1 = app.window->findChild<QRadioButton*>(QStringLiteral("rbGroup1"));
  QVERIFY(group1 && group2);
  group2->click();
  QCOMPARE(app.ws().SettingGroup, 2);
  QCOMPARE(app.ws().grdSett.cell(grid::kRegister, 8), QStringLiteral("518"));
  QVERIFY(app.ws().grdSett.cell(grid::kMark, 8).isEmpty());
  group1->click();
  QCOMPARE(app.ws().grdSett.cell(grid::kRegister, 8), QStringLiteral("262"));
}

void TestParamWindow::doubleClickWithoutTheLibrary() {
  test::AppFixture app;  // its program folder has no viewer library
  app.dm->run(QStringLiteral("Grid1DblClick"), Trigger{1, 0});  // heading row: nothing
  app.ws().Grid1.setCell(grid::kValue, 5, QStringLiteral("600"));
  app.dm->run(QStringLiteral("Grid1DblClick"), Trigger{1, 5});
  QCOMPARE(app.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка загрзки библиотеки!")});
  QCOMPARE(app.prompts.asked().last().buttons, QList<Button>{Button::Abort});
  QVERIFY(app.ws().Grid1.cell(grid::kMark, 5).isEmpty());
  QVERIFY(!app.ws().ParamsModified);
  QCOMPARE(app.ws().status.text(3), QStringLiteral("Первичный ток ТТ, A"));
}

void TestParamWindow::selectingABadNumberIsReported() {
  test::AppFixture app;
  app.ws().Grid1.setCell(grid::kValue, 25, QStringLiteral("abc"));
  app.ws().Grid1.setCurrentRow(25);
  QCOMPARE(app.prompts.boxTexts().size(), 1);
  QVERIFY(app.prompts.boxTexts().first().contains(QStringLiteral("abc")));
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

QTEST_MAIN(TestParamWindow)
#include "test_param_window.moc"
