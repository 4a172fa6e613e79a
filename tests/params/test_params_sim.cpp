// Parameters and settings end to end against the simulated device: read,
// edit, write, keep in a file and copy into the other group.

#include <QTemporaryDir>
#include <QtTest>

#include "params/catalogue.h"
#include "params/grid_editing.h"
#include "shell/params_commands.h"
#include "tests/params/param_sample.h"
#include "tests/params/scripted_editor.h"

using namespace vmk;

namespace {

// A device at address 3 with the factory image of seed 1.
struct SimBench : test::DeviceFixture {
  sim::Device& dev = add(3, 1, 1, 1);
  test::ScriptedEditor editor;
  GridEditing editing{editModels(ws, ws.parameters), &editor, QLocale::c()};
  SimBench() {
    session.DeviceAddress = 3;
    session.modbus.SetTry(2);
  }
  sim::Device& device() { return dev; }
  QString password() { return test::passwordOf(dev); }
};

}  // namespace

class TestParamsSim : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void readEditWrite();
  void copyGroupThroughFile();
  void readFailsAtStep2();
};

void TestParamsSim::readEditWrite() {
  SimBench b;
  b.device().setRegister(256 + 29, 125);  // АПВ 1: 1.25 s
  b.device().setRegister(69, 0);
  b.ws.parameters.params.clearParameters();
  b.ws.parameters.params.clearSettings(b.ws.parameters.SettingGroup);
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  QCOMPARE(b.session.vmk.setup.DevicePassword, b.password());
  QCOMPARE(b.ws.parameters.grdSett.cell(grid::kValue, 26), QStringLiteral("1.25"));

  b.editing.Grid1SelectCell(2, 26);
  b.editor.answer(15);
  b.editing.Grid1DblClick(2);
  b.editing.Grid1SelectCell(1, 4);
  b.editing.Grid1DblClick(1);
  QCOMPARE(b.ws.parameters.Grid1.cell(grid::kValue, 4), QStringLiteral("Динамическое измен."));
  QVERIFY(b.ws.parameters.ParamsModified);

  b.prompts.answerPassword(b.password());
  QVERIFY(actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
  QCOMPARE(b.device().registerValue(256 + 29), 150);
  QCOMPARE(b.device().registerValue(69) & 1, 1);
  QCOMPARE(b.session.vmk.setup.GroupChangeMode, 1);
  QVERIFY(!b.ws.parameters.ParamsModified);
  QCOMPARE(b.prompts.boxTexts(), QStringList{QStringLiteral("Запись в устройство завершена.\n"
                                                            "Записано и проверено чтением: 2")});
  QVERIFY(!b.session.Port1.isOpen());
}

void TestParamsSim::copyGroupThroughFile() {
  QTemporaryDir dir;
  SimBench b;
  b.device().setRegister(256 + 6, 25);
  b.device().setRegister(256 + 20, 3);
  QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  const QString path = dir.filePath(QStringLiteral("feeder.ust"));
  b.prompts.answerSave(path);
  QVERIFY(ActSaveFileExecute(b.ws, b.ws.parameters));

  rbGroup2Click(b.ws.parameters, 2);
  b.prompts.answerOpen(path);
  QVERIFY(ActOpenFileExecute(b.ws, b.ws.parameters));
  b.prompts.answerPassword(b.password());
  QVERIFY(actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
  QCOMPARE(b.device().registerValue(512 + 6), 25);
  QCOMPARE(b.device().registerValue(512 + 20), 3);
  for (int offset = 0; offset <= 37; ++offset) {
    const bool hasRow = std::any_of(settingRows().begin(), settingRows().end(), [&](const RowSpec& r) {
      return r.isData() && r.reg == offset;
    });
    if (hasRow)
      QCOMPARE(b.device().registerValue(512 + offset), b.device().registerValue(256 + offset));
  }
}

void TestParamsSim::readFailsAtStep2() {
  SimBench b;
  b.ws.parameters.params.clearParameters();
  b.ws.parameters.params.clearSettings(b.ws.parameters.SettingGroup);
  b.plan.fault = test::silentFrom(2, b.plan);
  QVERIFY(!ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
  QCOMPARE(b.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка связи с устройством!")});
  QVERIFY(!b.ws.parameters.Grid1.cell(grid::kValue, 1).isEmpty());
  // The rows after the failure keep their layout, without values.
  for (int r = 9; r < 62; ++r) {
    QVERIFY(!b.ws.parameters.Grid1.cell(grid::kCaption, r).isEmpty());
    QVERIFY(b.ws.parameters.Grid1.cell(grid::kValue, r).isEmpty());
  }
  QCOMPARE(b.ws.parameters.grdSett.cell(grid::kRegister, 8), QStringLiteral("262"));
  QVERIFY(b.ws.parameters.grdSett.cell(grid::kValue, 8).isEmpty());
  QCOMPARE(b.requests().size(), 2);
  QVERIFY(!b.session.Port1.isOpen());
}

QTEST_GUILESS_MAIN(TestParamsSim)
#include "test_params_sim.moc"
