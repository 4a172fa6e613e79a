// The comparison and the change log in the real window: the menu items
// open their windows; the device's groups compared, the differences taken
// over and written; a register held back reported; the log of the write
// shown and filtered; a bit row compared and logged in the names of its
// bits, its values shown whole.

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "app/change_log_window.h"
#include "app/compare_window.h"
#include "changelog/change_log.h"
#include "params/catalogue.h"
#include "shell/changelog_commands.h"
#include "shell/command_table.h"
#include "sim/device.h"
#include "tests/app/app_fixture.h"
#include "tests/support/setting_row.h"

using namespace vmk;
using test::settingRow;
using namespace vmk::test;

namespace {

// With VMK_SHOTS set (scripts/screenshot_compare.sh, under xvfb-run), the
// windows are saved as pictures there.
void shoot(QWidget& w, const QString& name) {
  const QString dir = qEnvironmentVariable("VMK_SHOTS");
  if (dir.isEmpty()) return;
  w.show();
  QTest::qWait(200);
  QVERIFY(w.grab().save(dir + QLatin1Char('/') + name));
}

QAction* programItem(AppFixture& f, const QString& name) {
  for (QAction* a : f.dm->menus()[kMenuProgram]->actions())
    if (a->objectName() == name) return a;
  return nullptr;
}

// Triggers a menu item whose window is modal, and closes the window that
// opened; gives its object name.
QString openAndClose(QAction* item) {
  QString seen;
  QTimer::singleShot(0, [&seen] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      seen = w->objectName();
      w->close();
    }
  });
  item->trigger();
  return seen;
}

struct Connected : AppFixture {
  sim::Device& dev;
  Connected() : dev(devices.add(1)) {
    // Both groups equal but for two settings.
    for (int k = 0; k < 38; ++k) dev.setRegister(512 + k, dev.registerValue(256 + k));
    dev.setRegister(256 + 6, 25);
    dev.setRegister(512 + 6, 60);
    dev.setRegister(256 + 29, 125);
    dev.setRegister(512 + 29, 150);
    dev.setRegister(256 + 20, 1);
    dev.setRegister(512 + 20, 1);
    dm->action(QStringLiteral("actPolling"))->trigger();
  }
};

}  // namespace

class TestCompareWindow : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void theMenuItemsOpenTheirWindows() {
    AppFixture f;
    QAction* compare = programItem(f, QStringLiteral("miCompare"));
    QAction* log = programItem(f, QStringLiteral("miChangeLog"));
    QVERIFY(compare && log);
    QCOMPARE(compare->text(), QStringLiteral("Сравнить уставки..."));
    QCOMPARE(log->text(), QStringLiteral("Журнал изменений..."));
    QCOMPARE(openAndClose(compare), QStringLiteral("CompareWindow"));
    QCOMPARE(openAndClose(log), QStringLiteral("ChangeLogWindow"));
  }

  void withoutADeviceOnlyFilesCompare() {
    AppFixture f;
    CompareWindow w(f.ws(), f.ws().parameters);
    QVERIFY(!w.findChild<QWidget*>(QStringLiteral("rbCompareGroups"))->isEnabled());
    QVERIFY(!w.findChild<QWidget*>(QStringLiteral("rbCompareDeviceFile"))->isEnabled());
    QVERIFY(!w.findChild<QPushButton*>(QStringLiteral("btnTakeLeft"))->isEnabled());
  }

  void groupsComparedTakenOverAndWritten() {
    Connected f;
    QVERIFY(f.ws().pages.isTabVisible(kPageDinamic));
    // The grids show group 2, read fresh.
    f.dm->run(QStringLiteral("rbGroup2Click"), Trigger{2});
    f.dm->action(QStringLiteral("ActGetParSet"))->trigger();
    CompareWindow w(f.ws(), f.ws().parameters);
    w.compare();
    QVERIFY(w.comparison());
    QCOMPARE(w.comparison()->differing(), 2);
    auto* table = w.findChild<QTableWidget*>(QStringLiteral("tblCompare"));
    QCOMPARE(table->rowCount(), 1 + 24);  // a heading and every setting
    QCOMPARE(table->horizontalHeaderItem(1)->text(), QStringLiteral("Группа 1"));
    shoot(w, QStringLiteral("compare-groups.png"));
    w.findChild<QCheckBox*>(QStringLiteral("cbOnlyDiffering"))->setChecked(true);
    QCOMPARE(table->rowCount(), 1 + 2);

    // Group 1's values into the group-2 grid, then written.
    w.takeOver(false);
    QCOMPARE(f.ws().parameters.grdSett.cell(grid::kMark, settingRow(6)), QStringLiteral("*"));
    QCOMPARE(f.ws().parameters.grdSett.cell(grid::kMark, settingRow(29)), QStringLiteral("*"));
    int marked = 0;
    for (int i = 0; i < f.ws().parameters.grdSett.rowCount(); ++i)
      marked += f.ws().parameters.grdSett.cell(grid::kMark, i) == QStringLiteral("*");
    QCOMPARE(marked, 2);
    QVERIFY(f.ws().parameters.ParamsModified);

    f.dev.holdBack(512 + 29);
    const std::uint16_t high = f.dev.registerValue(66), low = f.dev.registerValue(67);
    f.prompts.answerPassword(QString(QChar(high >> 8)) + QChar(high & 0xFF) + QChar(low >> 8) +
                             QChar(low & 0xFF));
    f.dm->action(QStringLiteral("actSetParametr"))->trigger();
    QCOMPARE(f.dev.registerValue(512 + 6), 25);
    QCOMPARE(f.dev.registerValue(512 + 29), 150);
    QVERIFY(f.prompts.boxTexts().last().startsWith(QStringLiteral("Устройство не сохранило значения: ")));
    QCOMPARE(f.ws().parameters.grdSett.cell(grid::kMark, settingRow(6)), QString());
    QCOMPARE(f.ws().parameters.grdSett.cell(grid::kMark, settingRow(29)), QStringLiteral("*"));

    // The log window shows the two writes of this device.
    ChangeLogWindow log(f.ws());
    QCOMPARE(log.shownRows(), 2);
    shoot(log, QStringLiteral("change-log.png"));
    log.setFilter(QStringLiteral("не совпадает"));
    QCOMPARE(log.shownRows(), 1);
    log.setFilter(QStringLiteral("%1").arg(512 + 6));
    QCOMPARE(log.shownRows(), 1);
  }

  void aBitRowIsComparedAndLoggedInNamesAndShownWhole() {
    Connected f;
    f.ws().ProgramDir = QFileInfo(QStringLiteral(VIEW_LIBRARY)).absolutePath() + QLatin1Char('/');
    // Logical recorder channel 1 and the current of МТЗ-1 differ.
    const int channel = 46, current = settingRow(5);
    CompareSide a{QStringLiteral("Файл А"), ParamSet(1)}, b{QStringLiteral("Файл Б"), ParamSet(1)};
    a.values.setValue(1, channel, RowValue::read(0x0001, 0x0000));
    b.values.setValue(1, channel, RowValue::read(0x0003, 0x0801));
    a.values.setValue(2, current, RowValue::read(20000));
    b.values.setValue(2, current, RowValue::read(11250));
    CompareWindow w(f.ws(), f.ws().parameters);
    w.showComparison(compareSides(a, b));
    w.resize(1180, 400);
    w.show();
    auto* table = w.findChild<QTableWidget*>(QStringLiteral("tblCompare"));
    QCOMPARE(table->rowCount(), 4);  // two headings, two rows
    QCOMPARE(table->item(1, 0)->text(), QStringLiteral("Логический канал осциллографа 1"));
    QCOMPARE(table->item(1, 2)->text(), QStringLiteral("00001000000000010000000000000011"));
    QVERIFY2(table->item(1, 3)->text().endsWith(
                 QStringLiteral("в «Файл Б»: + Дискретный вход 2, + Пуск МТЗ-1, + Блокировка АПВ")),
             qPrintable(table->item(1, 3)->text()));
    QVERIFY(table->item(3, 2)->text().endsWith(QStringLiteral(" In")));
    // No value is cut: each fits its column, the result wraps in its row.
    for (int row = 0; row < table->rowCount(); ++row)
      for (int col : {0, 1, 2}) {
        const QTableWidgetItem* item = table->item(row, col);
        if (!item) continue;
        const int needed = table->fontMetrics().horizontalAdvance(item->text());
        QVERIFY2(table->columnWidth(col) > needed, qPrintable(item->text()));
        if (col > 0) QCOMPARE(item->toolTip(), item->text());
      }
    const QRect result = table->visualItemRect(table->item(1, 3));
    QVERIFY(table->fontMetrics()
                .boundingRect(result, Qt::TextWordWrap, table->item(1, 3)->text())
                .height() <= result.height());
    shoot(w, QStringLiteral("compare-bits.png"));

    // The change log of a channel write and a command: the row's caption,
    // the bits named, the register and words as detail.
    DeviceChange write;
    write.function = 6;
    write.reg = 193;
    write.before = 0;
    write.after = QStringLiteral("2049");
    write.operation = QStringLiteral("Запись параметров и уставок");
    write.readBack = ReadBack::Holds;
    DeviceChange command;
    command.function = 5;
    command.reg = 0x3005;
    command.after = QStringLiteral("0xff00");
    command.operation = QStringLiteral("Квитирование");
    for (const DeviceChange& c : {write, command}) {
      ChangeRecord r;
      r.time = f.clock.now();
      r.user = QStringLiteral("наладчик");
      r.device = f.ws().session.vmk.Name;
      r.serial = f.ws().session.vmk.SerialNumber;
      r.change = c;
      QVERIFY(f.ws().changeLog->append(r));
    }
    ChangeLogWindow log(f.ws());
    auto* rows = log.findChild<QTableWidget*>(QStringLiteral("tblChangeLog"));
    QCOMPARE(rows->rowCount(), 2);
    QCOMPARE(rows->item(1, change_column::kCaption)->text(), QStringLiteral("Команда 0x3005"));
    QCOMPARE(rows->item(0, change_column::kCaption)->text(), QStringLiteral("Логический канал осциллографа 1 (старшее слово)"));
    QCOMPARE(rows->item(0, change_column::kBits)->text(), QStringLiteral("+ Пуск МТЗ-1, + Блокировка АПВ"));
    QCOMPARE(rows->item(0, change_column::kDetail)->text(), QStringLiteral("функция 6, регистр 193: 0 → 2049"));
    log.resize(1280, 300);
    shoot(log, QStringLiteral("change-log-bits.png"));
  }

  // The compare button runs in a slot: a port pulled out while it reads
  // (or that will not open again) is said in a box, the window stays, the
  // port is closed; with the adapter back the same button compares.
  void aPortThatFailsDuringTheComparisonIsShownInTheWindow() {
    Connected f;
    CompareWindow w(f.ws(), f.ws().parameters);
    auto* compare = w.findChild<QPushButton*>(QStringLiteral("btnCompare"));
    QVERIFY(compare);
    f.prompts.forget();
    f.devices.plan.fault = [](const QByteArray&) { return Fault::Vanish; };
    compare->click();
    QCOMPARE(f.prompts.boxTexts(), QStringList{QStringLiteral("Порт недоступен")});
    QVERIFY(!w.comparison());
    QVERIFY(!f.dm->session().Port1.isOpen());
    // Still gone: the port does not open.
    f.prompts.forget();
    compare->click();
    QCOMPARE(f.prompts.boxTexts().size(), 1);
    QVERIFY2(f.prompts.boxTexts().first().startsWith(QStringLiteral("Ошибка открытия порта")),
             qPrintable(f.prompts.boxTexts().first()));
    QVERIFY(!f.dm->session().Port1.isOpen());

    f.devices.plan.fault = {};
    f.devices.plan.gone = false;
    f.prompts.forget();
    compare->click();
    QVERIFY(f.prompts.boxTexts().isEmpty());
    QVERIFY(w.comparison());
    QCOMPARE(w.comparison()->differing(), 2);
    QVERIFY(!f.dm->session().Port1.isOpen());
  }
};

QTEST_MAIN(TestCompareWindow)
#include "test_compare_window.moc"
