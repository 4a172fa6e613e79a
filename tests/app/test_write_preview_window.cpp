// The write preview in the real window: the menu item keeps the user's
// choice, "Записать в устройство" opens the preview over the window with
// the rows to write, "Отмена" there sends nothing and "Записать" writes.

#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "app/write_preview_dialog.h"
#include "params/catalogue.h"
#include "shell/command_table.h"
#include "sim/device.h"
#include "tests/app/app_fixture.h"
#include "tests/support/setting_row.h"

using namespace vmk;
using test::settingRow;
using namespace vmk::test;

namespace {

QAction* programItem(AppFixture& f, const QString& name) {
  for (QAction* a : f.dm->menus()[kMenuProgram]->actions())
    if (a->objectName() == name) return a;
  return nullptr;
}

// The texts of the tree's leaves: caption, device, new, unit, state.
QList<QStringList> leaves(QTreeWidgetItem* item) {
  QList<QStringList> out;
  for (int i = 0; i < item->childCount(); ++i) {
    QTreeWidgetItem* c = item->child(i);
    if (c->childCount() > 0) {
      out << leaves(c);
      continue;
    }
    QStringList cells;
    for (int k = 0; k < c->columnCount(); ++k) cells << c->text(k);
    out << cells;
  }
  return out;
}

}  // namespace

class TestWritePreviewWindow : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void thePreviewAsksBeforeWriting_data() {
    QTest::addColumn<bool>("write");
    QTest::newRow("Отмена") << false;
    QTest::newRow("Записать") << true;
  }
  void thePreviewAsksBeforeWriting() {
    QFETCH(bool, write);
    AppFixture f;
    sim::Device& dev = f.devices.add(1);
    dev.setRegister(256 + 6, 25);
    f.dm->action(QStringLiteral("actPolling"))->trigger();
    f.dm->action(QStringLiteral("ActGetParSet"))->trigger();
    // The choice is the user's, and kept.
    QAction* item = programItem(f, QStringLiteral("miPreviewBeforeWrite"));
    QVERIFY(item && item->isCheckable() && !item->isChecked());
    item->trigger();
    QCOMPARE(f.previewStore.value, std::optional<bool>(true));

    const int row = settingRow(6);
    putRowText(f.ws().parameters.params, 2, row, QStringLiteral("0.40"));
    f.ws().parameters.params.setMarked(2, row, true);
    f.ws().parameters.ParamsModified = true;
    const std::uint16_t high = dev.registerValue(66), low = dev.registerValue(67);
    f.prompts.answerPassword(QString(QChar(high >> 8)) + QChar(high & 0xFF) + QChar(low >> 8) +
                             QChar(low & 0xFF));
    QList<QList<QStringList>> seen;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<WritePreviewDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      seen << leaves(dialog->tree()->invisibleRootItem());
      const QString dir = qEnvironmentVariable("VMK_SHOTS");
      if (!dir.isEmpty()) dialog->grab().save(dir + QStringLiteral("/write-preview.png"));
      (write ? dialog->writeButton() : dialog->cancelButton())->click();
    });
    f.dm->action(QStringLiteral("actSetParametr"))->trigger();

    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen[0], (QList<QStringList>{{QStringLiteral("Время МТЗ-1, с"), QStringLiteral("0.250"),
                                           QStringLiteral("0.40"), QStringLiteral("с"), QString()}}));
    QCOMPARE(dev.registerValue(256 + 6), write ? 40 : 25);
    QCOMPARE(f.ws().parameters.grdSett.cell(grid::kMark, row), write ? QString() : QStringLiteral("*"));
    QCOMPARE(f.prompts.boxTexts().size(), write ? 1 : 0);
  }

  // "Только изменяемые строки" hides the rows the device holds, and a
  // section left empty; unticked, every row shows again.
  void onlyTheChangingRows() {
    PreviewRow same, changed;
    same.row = ParamRow{2, 8, QStringLiteral("Время МТЗ-1, с"), QStringLiteral("0.40"), {262}, {40}};
    same.page = QStringLiteral("Уставки, группа 1");
    same.section = QStringLiteral("МТЗ-1");
    same.unchanged = true;
    changed = same;
    changed.row.caption = QStringLiteral("Время АПВ 1й ступени, с");
    changed.section = QStringLiteral("АПВ");
    changed.unchanged = false;
    WritePreviewDialog dialog(WritePreview{{same, changed}}, {});
    QTreeWidgetItem* page = dialog.tree()->topLevelItem(0);
    QCOMPARE(page->childCount(), 2);
    dialog.showOnlyChanging(true);
    QVERIFY(page->child(0)->isHidden());
    QVERIFY(!page->child(1)->isHidden());
    dialog.showOnlyChanging(false);
    QVERIFY(!page->child(0)->isHidden());
  }
};

QTEST_MAIN(TestWritePreviewWindow)
#include "test_write_preview_window.moc"
