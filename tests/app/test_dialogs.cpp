#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include "app/input_serial.h"
#include "app/pass_form.h"
#include "app/port_settings_dialog.h"
#include "app/qt_prompts.h"
#include "oscview/qt_translation.h"

using namespace vmk;

namespace {

// Runs `act` on the next modal dialog once it is shown.
void onNextModal(std::function<void(QWidget*)> act) {
  QTimer::singleShot(0, qApp, [act = std::move(act)] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal)
      act(modal);
    else
      onNextModal(act);
  });
}

// Types each character as one key press carrying its text (QTest's key
// clicks know only ASCII).
void typeText(QWidget* widget, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &release);
  }
}

}  // namespace

class TestDialogs : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void passwordTakesOnlyCapitalLatinLetters() {
    TPassFrm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Введите пароль"));
    QLineEdit* edit = form.meOldPass();
    QCOMPARE(edit->echoMode(), QLineEdit::Password);
    typeText(edit, QStringLiteral("a1Bж-CDEF"));
    QCOMPARE(edit->text(), QStringLiteral("BCDE"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("BCD"));
  }

  void numberDialogTakesDigitsUpToItsLength() {
    TInputSerial form;
    form.prepare({QStringLiteral("Ввод значения таймаута"), QStringLiteral("Таймаут [1..255]:"),
                  QStringLiteral("10"), 5});
    QCOMPARE(form.windowTitle(), QStringLiteral("Ввод значения таймаута"));
    QLineEdit* edit = form.edit();
    edit->end(false);
    QTest::keyClicks(edit, QStringLiteral("x2,3 4567"));
    QCOMPARE(form.text(), QStringLiteral("10234"));
  }

  void fileFiltersBecomeQtNameFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("text and pattern")
        << "Файл параметров и уставок|*.ust" << QStringList{"Файл параметров и уставок (*.ust)"};
    QTest::newRow("pattern already shown")
        << "Файл параметров и уставок (*.ust)|*.ust"
        << QStringList{"Файл параметров и уставок (*.ust)"};
    QTest::newRow("two kinds, two patterns")
        << "Книга Excel|*.xls;*.xlsx|Все файлы|*.*"
        << QStringList{"Книга Excel (*.xls *.xlsx)", "Все файлы (*.*)"};
    QTest::newRow("empty") << "" << QStringList{};
  }
  void fileFiltersBecomeQtNameFilters() {
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(QtPrompts::nameFilters(filter), expected);
  }

  // A save dialog's check box starts as asked and hands back its tick; a
  // dialog that asks for none has none.
  void saveDialogHandsBackItsCheckBox() {
    QtPrompts prompts;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.xlsx"));
    bool ticked = false;
    FileDialog dialog;
    dialog.filter = QStringLiteral("Excel File|*.xlsx");
    dialog.checkBox = QStringLiteral("Включить пароль устройства в отчёт");
    dialog.ticked = &ticked;
    QString shown;
    onNextModal([&](QWidget* w) {
      auto* box = w->findChild<QCheckBox*>(QStringLiteral("chkFileDialogOption"));
      QVERIFY(box && box->isVisible() && !box->isChecked());
      shown = box->text();
      box->click();
      // The name typed in the dialog's folder, and Save.
      auto* fd = qobject_cast<QFileDialog*>(w);
      fd->setDirectory(dir.path());
      fd->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("report.xlsx"));
      static_cast<QDialog*>(fd)->accept();
    });
    QCOMPARE(prompts.saveFile(dialog), std::optional<QString>(path));
    QCOMPARE(shown, dialog.checkBox);
    QVERIFY(ticked);

    int boxes = -1;
    onNextModal([&](QWidget* w) {
      boxes = int(w->findChildren<QCheckBox*>(QStringLiteral("chkFileDialogOption")).size());
      w->close();
    });
    QCOMPARE(prompts.saveFile(FileDialog{}), std::nullopt);
    QCOMPARE(boxes, 0);
  }

  void boxShowsTheButtonsAndReturnsTheOnePressed() {
    QtPrompts prompts;
    QString caption, text;
    QStringList buttons;
    onNextModal([&](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      QVERIFY(box);
      caption = box->windowTitle();
      text = box->text();
      for (QAbstractButton* b : box->buttons()) buttons << b->text();
      for (QAbstractButton* b : box->buttons())
        if (b->text() == QStringLiteral("OK")) b->click();
    });
    const Button answer = prompts.warning(QStringLiteral("Первая строка.\rВторая строка?"),
                                          {Button::No, Button::Ok});
    QCOMPARE(answer, Button::Ok);
    QCOMPARE(caption, QStringLiteral("Warning"));
    QCOMPARE(text, QStringLiteral("Первая строка.\nВторая строка?"));
    buttons.sort();
    QCOMPARE(buttons, (QStringList{"&No", "OK"}));
  }

  void boxClosedWithoutAnswerGivesTheFirstButton() {
    QtPrompts prompts;
    onNextModal([](QWidget* w) { w->close(); });
    QCOMPARE(prompts.error(QStringLiteral("Ошибка загрузки библиотеки"), {Button::Abort}),
             Button::Abort);
  }

  // With Qt's translation, as the programs install it, Qt's own dialogs
  // speak Russian; the boxes keep their fixed captions and buttons.
  void qtDialogsInRussianBoxesAsFixed() {
    QTranslator* translator = oscview::installQtTranslation(*qApp);
    QVERIFY(translator);
    const auto uninstall = qScopeGuard([translator] {
      QCoreApplication::removeTranslator(translator);
      delete translator;
    });
    QtPrompts prompts;
    QStringList texts;
    const auto seeAndClose = [&texts](QWidget* w) {
      texts << w->windowTitle();
      QStringList buttons;
      for (auto* row : w->findChildren<QDialogButtonBox*>())
        for (QAbstractButton* b : row->buttons()) buttons << b->text();
      buttons.sort();
      texts << buttons;
      w->close();
    };

    onNextModal(seeAndClose);
    QCOMPARE(prompts.saveFile({QStringLiteral("Файл параметров и уставок|*.ust"), QStringLiteral("ust")}),
             std::nullopt);
    QCOMPARE(texts, (QStringList{"Сохранить как", "&Сохранить", "Отмена"}));

    texts.clear();
    onNextModal(seeAndClose);
    prompts.confirm(QStringLiteral("Записать?"), {Button::Yes, Button::No, Button::Cancel});
    QCOMPARE(texts, (QStringList{"Confirm", "&No", "&Yes", "Cancel"}));
  }

  void passwordPromptStartsEmpty() {
    QtPrompts prompts;
    onNextModal([](QWidget* w) {
      auto* edit = w->findChild<QLineEdit*>("meOldPass");
      QTest::keyClicks(edit, QStringLiteral("ABCD"));
      w->findChild<QPushButton*>("btnOk")->click();
    });
    QCOMPARE(prompts.password(), std::optional<QString>(QStringLiteral("ABCD")));
    onNextModal([](QWidget* w) {
      QVERIFY(w->findChild<QLineEdit*>("meOldPass")->text().isEmpty());
      w->findChild<QPushButton*>("btnCancel")->click();
    });
    QCOMPARE(prompts.password(), std::nullopt);
  }

  void portDialogKeepsATypedNameAndACustomRate() {
    PortSettings s;
    s.portName = QStringLiteral("/dev/pts/7");
    s.baudRate = 0;
    s.customBaudRate = 31250;
    PortSettingsDialog dialog(s);
    QCOMPARE(dialog.settings(), s);
    dialog.findChild<QComboBox*>("cbPort")->setCurrentText(QStringLiteral("/tmp/vmk-bus"));
    auto* baud = dialog.findChild<QComboBox*>("cbBaudRate");
    baud->setCurrentIndex(baud->findText(QStringLiteral("19200")));
    dialog.findChild<QComboBox*>("cbParity")->setCurrentText(QStringLiteral("Even"));
    const PortSettings out = dialog.settings();
    QCOMPARE(out.portName, QStringLiteral("/tmp/vmk-bus"));
    QCOMPARE(out.baudRate, 19200);
    QCOMPARE(out.customBaudRate, 31250);
    QCOMPARE(out.parity, PortSettings::Parity::Even);
    QVERIFY(!dialog.findChild<QSpinBox*>("seCustomBaudRate")->isEnabled());
  }

  // "Сеть (TCP)" takes the host, the TCP port and the mode; the serial
  // line's own fields rest (the rate stays: the RS485 line behind the
  // server), and "OK" without a host keeps the dialog open.
  void portDialogChoosesTheNetwork_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("linkName");
    QTest::newRow("serial device server") << int(PortSettings::TcpMode::RtuOverTcp)
                                          << QStringLiteral("tcp://192.168.0.10:4001");
    QTest::newRow("Modbus TCP gateway") << int(PortSettings::TcpMode::ModbusTcp)
                                        << QStringLiteral("mbtcp://192.168.0.10:4001");
  }
  void portDialogChoosesTheNetwork() {
    QFETCH(int, mode);
    QFETCH(QString, linkName);
    PortSettings s;
    s.portName = QStringLiteral("COM3");
    PortSettingsDialog dialog(s);
    auto* host = dialog.findChild<QLineEdit*>("edHost");
    QVERIFY(!host->isEnabled());
    dialog.findChild<QRadioButton*>("rbNetwork")->setChecked(true);
    QVERIFY(host->isEnabled());
    QVERIFY(!dialog.findChild<QComboBox*>("cbPort")->isEnabled());
    QVERIFY(!dialog.findChild<QComboBox*>("cbParity")->isEnabled());
    QVERIFY(dialog.findChild<QComboBox*>("cbBaudRate")->isEnabled());
    dialog.show();
    dialog.accept();
    QVERIFY2(dialog.isVisible(), "no host: the dialog stays");
    host->setText(QStringLiteral(" 192.168.0.10 "));
    dialog.findChild<QSpinBox*>("seTcpPort")->setValue(4001);
    dialog.findChild<QComboBox*>("cbTcpMode")->setCurrentIndex(mode);
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const PortSettings out = dialog.settings();
    QCOMPARE(out.linkName(), linkName);
    QCOMPARE(out.portName, QStringLiteral("COM3"));  // kept for the way back
    // Opened again, it shows the network chosen.
    PortSettingsDialog again(out);
    QVERIFY(again.findChild<QRadioButton*>("rbNetwork")->isChecked());
    QVERIFY(again.settings() == out);
  }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
