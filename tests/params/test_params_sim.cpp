// Parameters and settings end to end against the simulated device: read,
// edit, write, keep in a file and copy into the other group.

#include <QTemporaryDir>
#include <QtTest>

#include "shell/workspace.h"
#include "params/catalogue.h"
#include "params/grid_editing.h"
#include "params/read_params.h"
#include "params/settings_file.h"
#include "params/write_params.h"
#include "sim/bus.h"
#include "sim/bus_link.h"
#include "tests/params/scripted_editor.h"
#include "tests/support/scripted_prompts.h"

using namespace vmk;

namespace {

struct SimBench {
  sim::Bus bus{{3}};
  sim::FaultPlan faults;
  Session session{sim::busLinkFactory(bus, {}, [this](sim::BusLink& l) { l.setFaults(faults); })};
  test::ScriptedPrompts prompts;
  FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(12, 0))};
  Workspace ws{session, prompts, clock};
  test::ScriptedEditor editor;
  GridEditing editing{ws, editor, QLocale::c()};
  SimBench() {
    session.DeviceAddress = 3;
    session.modbus.SetTry(2);
  }
  sim::Device& device() { return *bus.device(3); }
  QString password() {
    const std::uint16_t a = device().registerValue(66), b = device().registerValue(67);
    return QString(QChar(a >> 8)) + QChar(a & 0xFF) + QChar(b >> 8) + QChar(b & 0xFF);
  }
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
  FillParamList(b.ws);
  FillUstList(b.ws);
  QVERIFY(ActGetParSetExecute(b.ws, QLocale::c()));
  QCOMPARE(b.session.vmk.setup.DevicePassword, b.password());
  QCOMPARE(b.ws.grdSett.cell(grid::kValue, 26), QStringLiteral("1.25"));

  b.editing.Grid1SelectCell(2, 26);
  b.editor.answer(15);
  b.editing.Grid1DblClick(2);
  b.editing.Grid1SelectCell(1, 4);
  b.editing.Grid1DblClick(1);
  QCOMPARE(b.ws.Grid1.cell(grid::kValue, 4), QStringLiteral("Динамическое измен."));
  QVERIFY(b.ws.ParamsModified);

  b.prompts.answerPassword(b.password());
  QVERIFY(actSetParametrExecute(b.ws, QLocale::c()));
  QCOMPARE(b.device().registerValue(256 + 29), 150);
  QCOMPARE(b.device().registerValue(69) & 1, 1);
  QCOMPARE(b.session.vmk.setup.GroupChangeMode, 1);
  QVERIFY(!b.ws.ParamsModified);
  QVERIFY(b.prompts.boxTexts().isEmpty());
  QVERIFY(!b.session.Port1.isOpen());
}

void TestParamsSim::copyGroupThroughFile() {
  QTemporaryDir dir;
  SimBench b;
  b.device().setRegister(256 + 6, 25);
  b.device().setRegister(256 + 20, 3);
  QVERIFY(ActGetParSetExecute(b.ws, QLocale::c()));
  const QString path = dir.filePath(QStringLiteral("feeder.ust"));
  b.prompts.answerSave(path);
  QVERIFY(ActSaveFileExecute(b.ws));

  rbGroup2Click(b.ws, 2);
  b.prompts.answerOpen(path);
  QVERIFY(ActOpenFileExecute(b.ws));
  b.prompts.answerPassword(b.password());
  QVERIFY(actSetParametrExecute(b.ws, QLocale::c()));
  QCOMPARE(b.device().registerValue(512 + 6), 25);
  QCOMPARE(b.device().registerValue(512 + 20), 3);
  for (int offset = 0; offset <= 37; ++offset) {
    const bool hasRow = std::any_of(SettingRows().begin(), SettingRows().end(), [&](const RowSpec& r) {
      return r.isData() && r.reg == offset;
    });
    if (hasRow)
      QCOMPARE(b.device().registerValue(512 + offset), b.device().registerValue(256 + offset));
  }
}

void TestParamsSim::readFailsAtStep2() {
  SimBench b;
  FillParamList(b.ws);
  FillUstList(b.ws);
  b.faults.silentAfter = 1;
  QVERIFY(!ActGetParSetExecute(b.ws, QLocale::c()));
  QCOMPARE(b.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка связи с устройством!")});
  QVERIFY(!b.ws.Grid1.cell(grid::kValue, 1).isEmpty());
  for (int r = 9; r < 62; ++r) QVERIFY(b.ws.Grid1.cell(grid::kCaption, r).isEmpty());
  QCOMPARE(b.ws.grdSett.cell(grid::kRegister, 8), QStringLiteral("262"));
  QVERIFY(b.ws.grdSett.cell(grid::kValue, 8).isEmpty());
  QCOMPARE(b.bus.requests().size(), 2);
  QVERIFY(!b.session.Port1.isOpen());
}

QTEST_GUILESS_MAIN(TestParamsSim)
#include "test_params_sim.moc"
