// Writing parameters and settings reads every register back, a block at
// a time: a register that does not hold what was sent is reported, keeps
// its mark, and vmkctl params set exits 1.

#include <QTemporaryDir>
#include <QtTest>

#include "ctl/cli.h"
#include "device/session.h"
#include "model/text_grid.h"
#include "params/catalogue.h"
#include "params/settings_file.h"
#include "params/write_params.h"
#include "shell/command_registry.h"
#include "shell/params_commands.h"
#include "tests/params/param_sample.h"
#include "tests/support/setting_row.h"

using namespace vmk;
using test::settingRow;

namespace {

struct Bench : test::ParamFixture {
  Bench() {
    test::loadSample(dev);
    ws.parameters.params.clearParameters();
    ws.parameters.params.clearSettings(1);
  }
  void edit(int row, const QString& text) {
    putRowText(ws.parameters.params, 2, row, text);
    ws.parameters.params.setMarked(2, row, true);
    ws.parameters.ParamsModified = true;
  }
};

}  // namespace

class TestVerifiedWrite : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  // The registers of the rows are read once before, each block's rows
  // written, then the block read back once.
  void writtenRowsAreReadBackByBlock() {
    Bench b;
    QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
    b.edit(settingRow(6), QStringLiteral("0.40"));
    b.edit(settingRow(29), QStringLiteral("1.50"));
    putRowText(b.ws.parameters.params, 1, 5, QStringLiteral("800"));
    b.ws.parameters.params.setMarked(1, 5, true);
    const int paramReg = b.ws.parameters.params.registerOf(1, 5);
    b.forgetRequests();
    b.prompts.answerPassword(test::passwordOf(b.dev));
    QVERIFY(actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
    const QList<test::Request> expected{{3, paramReg, 1},  {3, 262, 24},       {6, paramReg, 800},
                                        {3, paramReg, 1},  {6, 262, 40},       {6, 285, 150},
                                        {3, 262, 24},      {3, 64, 23}};
    QCOMPARE(b.registerRequests(), expected);
    QCOMPARE(b.ws.parameters.grdSett.cell(grid::kMark, settingRow(6)), QString());
    QCOMPARE(b.ws.parameters.grdSett.cell(grid::kMark, settingRow(29)), QString());
    QVERIFY(!b.ws.parameters.ParamsModified);
    QCOMPARE(b.prompts.boxTexts(), QStringList{QStringLiteral("Запись в устройство завершена.\n"
                                                              "Записано и проверено чтением: 3")});
  }

  void aRegisterHeldBackIsReportedAndStaysMarked() {
    Bench b;
    QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
    b.dev.holdBack(256 + 6);
    b.edit(settingRow(6), QStringLiteral("0.40"));
    b.edit(settingRow(29), QStringLiteral("1.50"));
    b.prompts.answerPassword(test::passwordOf(b.dev));
    QVERIFY(!actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
    QCOMPARE(b.prompts.boxTexts(),
             QStringList{QStringLiteral("Устройство не сохранило значения: «Время МТЗ-1, с» = "
                                        "«0.40» (регистр 262: записано 40, прочитано 25)")});
    QCOMPARE(b.ws.parameters.grdSett.cell(grid::kMark, settingRow(6)), QStringLiteral("*"));
    QCOMPARE(b.ws.parameters.grdSett.cell(grid::kMark, settingRow(29)), QString());
    QCOMPARE(b.dev.registerValue(256 + 29), 150);
    // The grids still hold a change the device does not.
    QVERIFY(b.ws.parameters.ParamsModified);
    QVERIFY(!b.portOpen());
  }

  void aReadBackUnansweredIsNoProofEither() {
    Bench b;
    QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
    b.edit(settingRow(6), QStringLiteral("0.40"));
    b.session.modbus.SetTry(1);
    // The read before and the write are answered, the read-back is not.
    const qsizetype base = b.plan.requests.size();
    b.plan.fault = [&b, base](const QByteArray&) {
      return b.plan.requests.size() == base + 3 ? test::Fault::Silence : test::Fault::None;
    };
    b.prompts.answerPassword(test::passwordOf(b.dev));
    SetupFields setup;
    const ParamWriteResult r =
        writeParameters(b.session, Result<QString>::done(test::passwordOf(b.dev)), b.ws.parameters.params,
                        setup, QLocale::c());
    QCOMPARE(r.rows.size(), 1);
    QCOMPARE(r.rows[0].state, RowWrite::NotHeld);
    QCOMPARE(r.rows[0].readBack, QVector<ReadBack>{ReadBack::NotRead});
    QVERIFY(notHeldMessage(r).endsWith(QStringLiteral("прочитано нет ответа)")));
    QCOMPARE(b.ws.parameters.grdSett.cell(grid::kMark, settingRow(6)), QStringLiteral("*"));

    // In the window the lost read-back is the line's failure: its one box.
    const qsizetype again = b.plan.requests.size();
    b.plan.fault = [&b, again](const QByteArray&) {
      return b.plan.requests.size() == again + 3 ? test::Fault::Silence : test::Fault::None;
    };
    QVERIFY(!actSetParametrExecute(b.ws, b.ws.parameters, QLocale::c()));
    QCOMPARE(b.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка связи с устройством!")});
    QCOMPARE(b.ws.parameters.grdSett.cell(grid::kMark, settingRow(6)), QStringLiteral("*"));
    QVERIFY(b.ws.parameters.ParamsModified);
  }

  void twoRegisterRowsAreCheckedRegisterByRegister() {
    Bench b;
    QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
    // Indicator 1: 22 characters, the register then register + 1.
    const int row = 10;
    putRowText(b.ws.parameters.params, 1, row, QStringLiteral("0110001000000000000011"));
    b.ws.parameters.params.setMarked(1, row, true);
    b.dev.holdBack(97);
    SetupFields setup;
    const ParamWriteResult r =
        writeParameters(b.session, Result<QString>::done(test::passwordOf(b.dev)), b.ws.parameters.params,
                        setup, QLocale::c());
    QCOMPARE(r.rows.size(), 1);
    QCOMPARE(r.rows[0].state, RowWrite::NotHeld);
    QCOMPARE(r.rows[0].readBack, (QVector<ReadBack>{ReadBack::Holds, ReadBack::Differs}));
    QVERIFY2(notHeldMessage(r).contains(QStringLiteral("регистр 97: записано 24, прочитано 33")),
             qPrintable(notHeldMessage(r)));
  }

  void paramsSetExitsOneWhenARegisterIsNotHeld() {
    Bench b;
    QTemporaryDir dir;
    b.dev.setRegister(64, 1);  // the file keeps the device at its address
    QVERIFY(ActGetParSetExecute(b.ws, b.ws.parameters, QLocale::c()));
    putRowText(b.ws.parameters.params, 2, settingRow(6), QStringLiteral("0.40"));
    // The characteristic of the sample stands for no value; one that does.
    putRowText(b.ws.parameters.params, 2, settingRow(20), CharacteristicNames().at(1));
    const QString file = dir.filePath("s.ust");
    QVERIFY(saveSettingsFile(file, b.ws.parameters.params).ok());
    b.dev.holdBack(256 + 6);
    QString out, err;
    ctl::CliStreams streams;
    streams.out = [&out](const QString& t) { out += t + QLatin1Char('\n'); };
    streams.err = [&err](const QString& t) { err += t + QLatin1Char('\n'); };
    ctl::CliSetup setup;
    setup.linkFactory = b.linkFactory();
    setup.programDir = dir.path() + QLatin1Char('/');
    setup.clock = &b.clock;
    setup.changeLogFolder = dir.filePath("log");
    ctl::Cli cli(commandRegistry(), streams, setup);
    QCOMPARE(cli.run({"params", "set", file, "--password", test::passwordOf(b.dev),
                      "--allow-address-change", "--allow-out-of-range"}),
             1);
    QVERIFY2(out.contains(QStringLiteral("not-held\t262\tВремя МТЗ-1, с\t0.40\t25\n")), qPrintable(out));
    QVERIFY2(err.contains(QStringLiteral("Error: Устройство не сохранило значения: ")), qPrintable(err));
    b.dev.holdBack(-1);
    out.clear();
    QCOMPARE(cli.run({"params", "set", file, "--password", test::passwordOf(b.dev),
                      "--allow-address-change", "--allow-out-of-range"}),
             0);
    QVERIFY(!out.contains(QStringLiteral("not-held")));
  }
};

QTEST_GUILESS_MAIN(TestVerifiedWrite)
#include "test_verified_write.moc"
