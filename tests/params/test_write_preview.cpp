// The write shows what it will change before anything is written: the rows
// with the device's value now and the new one; "Отмена" sends nothing,
// "Записать" writes; afterwards a line per outcome.

#include <QtTest>

#include "model/message_log.h"
#include "params/catalogue.h"
#include "params/write_params.h"
#include "shell/params_commands.h"
#include "tests/params/param_sample.h"
#include "tests/support/setting_row.h"
#include "tests/support/windows_double.h"

using namespace vmk;
using test::settingRow;

namespace {

void edit(test::ParamFixture& f, int grid, int row, const QString& text) {
  putRowText(f.ws.parameters.params, grid, row, text);
  f.ws.parameters.params.setMarked(grid, row, true);
  f.ws.parameters.ParamsModified = true;
}

bool anyWrite(const QList<test::Request>& requests) {
  return std::any_of(requests.begin(), requests.end(),
                     [](const test::Request& r) { return r.function == 6; });
}

}  // namespace

class TestWritePreview : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void previewThenWriteOrCancel_data() {
    QTest::addColumn<bool>("write");
    QTest::newRow("Отмена") << false;
    QTest::newRow("Записать") << true;
  }
  void previewThenWriteOrCancel() {
    QFETCH(bool, write);
    test::ParamFixture f;
    test::loadSample(f.dev);
    QVERIFY(ActGetParSetExecute(f.ws, f.ws.parameters, QLocale::c()));
    const QString before = f.ws.parameters.params.text(2, settingRow(6));
    edit(f, 2, settingRow(6), QStringLiteral("0.40"));         // a time, changed
    edit(f, 2, settingRow(29), f.ws.parameters.params.text(2, settingRow(29)));  // as held
    edit(f, 1, 10, QStringLiteral("0110001000000000000011"));  // a bit row, changed
    test::WindowsDouble windows(f.ws);
    QVector<WritePreview> shown;
    windows.onConfirmWrite = [&](const WritePreview& p) {
      shown << p;
      return write;
    };
    MessageLog memo;
    f.forgetRequests();
    f.prompts.answerPassword(test::passwordOf(f.dev));
    QCOMPARE(actSetParametrExecute(f.ws, f.ws.parameters, QLocale::c(), &memo), write);

    QCOMPARE(shown.size(), 1);
    const QVector<PreviewRow>& rows = shown[0].rows;
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0].row.caption, paramRows()[10].caption);
    QCOMPARE(rows[0].page, QStringLiteral("Параметры"));
    QCOMPARE(rows[0].section, QStringLiteral("Конфигурация индикаторов"));
    QCOMPARE(rows[0].row.text, QStringLiteral("0110001000000000000011"));
    QVERIFY(!rows[0].unchanged);
    // Its bits by name (without the viewer library: by number).
    QCOMPARE(*rows[0].deviceText, QStringLiteral("1000011000000000000001"));
    QCOMPARE(previewBits(rows[0], {}), QStringLiteral("+ бит 1, + бит 19, + бит 20, − бит 16, − бит 21"));
    QCOMPARE(rows[1].page, QStringLiteral("Уставки, группа 1"));
    QCOMPARE(rows[1].row.caption, QStringLiteral("Время МТЗ-1, с"));
    QCOMPARE(rows[1].deviceText, std::optional<QString>(before));
    QCOMPARE(rows[1].row.text, QStringLiteral("0.40"));
    QCOMPARE(rows[1].unit, QStringLiteral("с"));
    QVERIFY(!rows[1].unchanged);
    QVERIFY(rows[2].unchanged);
    QCOMPARE(shown[0].changing(), 2);

    QCOMPARE(anyWrite(f.registerRequests()), write);
    QCOMPARE(f.dev.registerValue(256 + 6), write ? 40 : 25);
    QCOMPARE(f.ws.parameters.grdSett.cell(grid::kMark, settingRow(6)),
             write ? QString() : QStringLiteral("*"));
    QCOMPARE(f.ws.parameters.ParamsModified, !write);
    const QStringList summary{QStringLiteral("Записано и проверено чтением: 3")};
    QCOMPARE(memo.lines(), write ? summary : QStringList());
    QCOMPARE(f.prompts.boxTexts(),
             write ? QStringList{QStringLiteral("Запись в устройство завершена.\n") + summary[0]}
                   : QStringList());
    QVERIFY(!f.session.Port1.isOpen());
  }

  // A row the device leaves unanswered: the line's box, and the lines say
  // what was written and what was not.
  void summaryAfterAWriteWithAFailedRow() {
    test::ParamFixture f;
    test::loadSample(f.dev);
    QVERIFY(ActGetParSetExecute(f.ws, f.ws.parameters, QLocale::c()));
    edit(f, 2, settingRow(6), QStringLiteral("0.40"));
    edit(f, 2, settingRow(29), QStringLiteral("1.50"));
    f.plan.fault = test::silentWritesOf({256 + 29});
    test::WindowsDouble windows(f.ws);
    windows.onConfirmWrite = [](const WritePreview&) { return true; };
    MessageLog memo;
    f.prompts.answerPassword(test::passwordOf(f.dev));
    // (The setup block was read back: the handler's own result is true.)
    QVERIFY(actSetParametrExecute(f.ws, f.ws.parameters, QLocale::c(), &memo));
    QCOMPARE(memo.lines(), (QStringList{QStringLiteral("Записано и проверено чтением: 1"),
                                        QStringLiteral("Не записано или не подтверждено: 1")}));
    QCOMPARE(f.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка связи с устройством!")});
    QCOMPARE(f.ws.parameters.grdSett.cell(grid::kMark, settingRow(29)), QStringLiteral("*"));
  }

  // Without the preview (the user's choice), the write goes on unasked.
  void previewSwitchedOffAsksNothing() {
    test::ParamFixture f;
    test::loadSample(f.dev);
    QVERIFY(ActGetParSetExecute(f.ws, f.ws.parameters, QLocale::c()));
    edit(f, 2, settingRow(6), QStringLiteral("0.40"));
    f.ws.parameters.previewBeforeWrite = false;
    test::WindowsDouble windows(f.ws);
    bool asked = false;
    windows.onConfirmWrite = [&asked](const WritePreview&) { return asked = true; };
    f.prompts.answerPassword(test::passwordOf(f.dev));
    QVERIFY(actSetParametrExecute(f.ws, f.ws.parameters, QLocale::c()));
    QVERIFY(!asked);
    QCOMPARE(f.dev.registerValue(256 + 6), 40);
  }
};

QTEST_GUILESS_MAIN(TestWritePreview)
#include "test_write_preview.moc"
