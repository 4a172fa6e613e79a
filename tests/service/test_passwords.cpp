#include <QtTest>

#include "service/change_password.h"
#include "service/password_check.h"
#include "shell/service_commands.h"
#include "tests/params/param_sample.h"

using namespace vmk;

Q_DECLARE_METATYPE(PasswordForm)
Q_DECLARE_METATYPE(Outcome)

namespace {
const QString kWrong = QStringLiteral("Ошибка ввода пароля!");
const QString kNotConfirmed = QStringLiteral("Не подтвержден новый пароль!");
const QString kDone = QStringLiteral("Пароль был успешно изменен!");
const QString kLink = QStringLiteral("Ошибка связи с устройством!");
}  // namespace

class TestPasswords : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void keyFilter_data();
  void keyFilter();
  void checkPassword_data();
  void checkPassword();
  void changePassword_data();
  void changePassword();
  void letterOrderInRegisters();
  void changePasswordOutcome_data();
  void changePasswordOutcome();
};

void TestPasswords::keyFilter_data() {
  QTest::addColumn<int>("key");
  QTest::addColumn<bool>("allowed");
  QTest::newRow("A") << int('A') << true;
  QTest::newRow("Z") << int('Z') << true;
  QTest::newRow("backspace") << 8 << true;
  QTest::newRow("digit") << int('7') << false;
  QTest::newRow("lower case") << int('a') << false;
  QTest::newRow("Cyrillic А") << int(0x0410) << false;
  QTest::newRow("Cyrillic я") << int(0x044F) << false;
  QTest::newRow("blank") << int(' ') << false;
  QTest::newRow("@ before A") << int('@') << false;
  QTest::newRow("[ after Z") << int('[') << false;
}

void TestPasswords::keyFilter() {
  QFETCH(int, key);
  QFETCH(bool, allowed);
  QCOMPARE(passwordKeyAllowed(char16_t(key)), allowed);
}

void TestPasswords::checkPassword_data() {
  QTest::addColumn<PasswordForm>("form");
  QTest::addColumn<QString>("devicePassword");
  QTest::addColumn<std::optional<QString>>("entry");
  QTest::addColumn<bool>("passes");
  QTest::addColumn<QStringList>("boxes");
  QTest::addColumn<Outcome>("outcome");
  const auto strict = PasswordForm::Strict;
  const auto command = PasswordForm::Command;
  const std::optional<QString> cancel;
  const std::optional<QString> empty = QString();
  QTest::newRow("strict equal") << strict << "ABCD" << std::optional<QString>("ABCD") << true << QStringList{} << Outcome::Done;
  QTest::newRow("strict wrong") << strict << "ABCD" << std::optional<QString>("ABCE") << false << QStringList{kWrong} << Outcome::WrongPassword;
  QTest::newRow("strict shorter") << strict << "ABCD" << std::optional<QString>("ABC") << false << QStringList{kWrong} << Outcome::WrongPassword;
  QTest::newRow("strict cancel") << strict << "ABCD" << cancel << false << QStringList{} << Outcome::Cancelled;
  QTest::newRow("strict empty") << strict << "ABCD" << empty << false << QStringList{} << Outcome::Cancelled;
  QTest::newRow("strict before connection") << strict << "" << std::optional<QString>("ABCD") << false << QStringList{kWrong} << Outcome::WrongPassword;
  QTest::newRow("command empty refused") << command << "ABCD" << empty << false << QStringList{kWrong} << Outcome::WrongPassword;
  QTest::newRow("command empty, none read") << command << "" << empty << true << QStringList{} << Outcome::Done;
  QTest::newRow("command equal") << command << "ABCD" << std::optional<QString>("ABCD") << true << QStringList{} << Outcome::Done;
  QTest::newRow("command cancel") << command << "ABCD" << cancel << false << QStringList{} << Outcome::Cancelled;
}

void TestPasswords::checkPassword() {
  QFETCH(PasswordForm, form);
  QFETCH(QString, devicePassword);
  QFETCH(std::optional<QString>, entry);
  QFETCH(bool, passes);
  QFETCH(QStringList, boxes);
  QFETCH(Outcome, outcome);
  test::ScriptedPrompts prompts;
  prompts.answerPassword(entry);
  const Result<QString> got = CheckPassword(prompts, devicePassword, form);
  QCOMPARE(got.ok(), passes);
  if (passes) QCOMPARE(got.value, *entry);
  QCOMPARE(got.outcome, outcome);
  QCOMPARE(prompts.boxTexts(), boxes);
  if (!boxes.isEmpty()) QCOMPARE(prompts.asked().last().icon, BoxIcon::Error);
}

void TestPasswords::changePassword_data() {
  QTest::addColumn<std::optional<PasswordChange>>("entry");
  QTest::addColumn<int>("silentAfter");
  QTest::addColumn<QString>("box");
  QTest::addColumn<QString>("caption");
  QTest::addColumn<int>("writes");
  using C = std::optional<PasswordChange>;
  QTest::newRow("cancelled") << C() << -1 << QString() << QString() << 0;
  QTest::newRow("wrong old") << C({"ABCE", "WXYZ", "WXYZ"}) << -1 << kWrong << "Ошибка" << 0;
  QTest::newRow("three letters") << C({"ABCD", "XYZ", "XYZ"}) << -1 << kNotConfirmed << "Ошибка" << 0;
  QTest::newRow("five letters") << C({"ABCD", "VWXYZ", "VWXYZ"}) << -1 << kNotConfirmed << "Ошибка" << 0;
  QTest::newRow("not confirmed") << C({"ABCD", "WXYZ", "WXYY"}) << -1 << kNotConfirmed << "Ошибка" << 0;
  QTest::newRow("not letters") << C({"ABCD", "wx12", "wx12"}) << -1 << kNotConfirmed << "Ошибка" << 0;
  QTest::newRow("changed") << C({"ABCD", "WXYZ", "WXYZ"}) << -1 << kDone << "Сообщение" << 2;
  QTest::newRow("silent device") << C({"ABCD", "WXYZ", "WXYZ"}) << 0 << kLink << "Error" << 1;
  QTest::newRow("second write silent") << C({"ABCD", "WXYZ", "WXYZ"}) << 1 << kLink << "Error" << 2;
}

void TestPasswords::changePassword() {
  QFETCH(std::optional<PasswordChange>, entry);
  QFETCH(int, silentAfter);
  QFETCH(QString, box);
  QFETCH(QString, caption);
  QFETCH(int, writes);
  test::ParamFixture b;
  b.session.vmk.setup.DevicePassword = QStringLiteral("ABCD");
  test::setPassword(b.dev, QStringLiteral("ABCD"));
  if (silentAfter >= 0) b.plan.fault = test::silentFrom(silentAfter + 1, b.plan);
  b.prompts.answerChangePassword(entry);
  QCOMPARE(actChangePassExecute(b.ws), box == kDone);
  QCOMPARE(b.registerRequests().size(), writes);
  if (box.isEmpty()) {
    QVERIFY(b.prompts.boxTexts().isEmpty());
  } else {
    QCOMPARE(b.prompts.boxTexts(), QStringList{box});
    QCOMPARE(b.prompts.asked().last().caption, caption);
  }
  QCOMPARE(b.session.vmk.setup.DevicePassword, QStringLiteral("ABCD"));  // read again later
  QVERIFY(!b.session.Port1.isOpen());
}

void TestPasswords::letterOrderInRegisters() {
  test::ParamFixture b;
  b.session.vmk.setup.DevicePassword = QStringLiteral("ABCD");
  b.prompts.answerChangePassword(PasswordChange{"ABCD", "WXYZ", "WXYZ"});
  QVERIFY(actChangePassExecute(b.ws));
  QCOMPARE(b.registerRequests(),
           (QList<test::Request>{{6, 66, ('W' << 8) | 'X'}, {6, 67, ('Y' << 8) | 'Z'}}));
  QCOMPARE(b.prompts.asked().last().icon, BoxIcon::Information);
}

void TestPasswords::changePasswordOutcome_data() {
  QTest::addColumn<std::optional<PasswordChange>>("entry");
  QTest::addColumn<int>("silentAfter");
  QTest::addColumn<Outcome>("outcome");
  using C = std::optional<PasswordChange>;
  QTest::newRow("cancelled") << C() << -1 << Outcome::Cancelled;
  QTest::newRow("wrong old") << C({"ABCE", "WXYZ", "WXYZ"}) << -1 << Outcome::WrongPassword;
  QTest::newRow("not confirmed") << C({"ABCD", "WXYZ", "WXYY"}) << -1 << Outcome::InputRefused;
  QTest::newRow("changed") << C({"ABCD", "WXYZ", "WXYZ"}) << -1 << Outcome::Done;
  QTest::newRow("second write silent") << C({"ABCD", "WXYZ", "WXYZ"}) << 1 << Outcome::NoAnswer;
}

void TestPasswords::changePasswordOutcome() {
  QFETCH(std::optional<PasswordChange>, entry);
  QFETCH(int, silentAfter);
  QFETCH(Outcome, outcome);
  test::ParamFixture b;
  if (silentAfter >= 0) b.plan.fault = test::silentFrom(silentAfter + 1, b.plan);
  b.prompts.answerChangePassword(entry);
  QCOMPARE(vmk::changePassword(b.session, b.prompts, QStringLiteral("ABCD")), outcome);
  // The link error is the caller's box; the operation shows none for it.
  if (outcome == Outcome::NoAnswer) QVERIFY(b.prompts.boxTexts().isEmpty());
  QVERIFY(!b.session.Port1.isOpen());
}

QTEST_GUILESS_MAIN(TestPasswords)
#include "test_passwords.moc"
