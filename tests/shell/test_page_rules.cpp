#include <QTemporaryDir>
#include <QtTest>

#include "extlib/memory_link.h"
#include "shell/app_info.h"
#include "shell/command_table.h"
#include "shell/data_module_create.h"
#include "shell/monitor_commands.h"
#include "shell/page_rules.h"
#include "shell/workspace.h"
#include "tests/support/fake_interval_timer.h"
#include "tests/support/scripted_prompts.h"

using namespace vmk;

namespace {

// A workspace in the state the data module leaves it in.
struct Fixture {
  Session session;
  test::ScriptedPrompts prompts;
  FixedClock clock{QDateTime(QDate(2011, 2, 1), QTime(13, 5, 7))};
  Workspace ws{session, prompts, clock};
  Fixture() {
    session.Port1.setLinkFactory([](const PortSettings&) { return std::make_unique<MemoryLink>(); });
    applyCommandTable(ws.pages);
    DataModuleCreate(ws, QStringLiteral("/opt/vmk"));
  }
};

QStringList enabledOf(const PageState& pages, const QStringList& names) {
  QStringList out;
  for (const QString& n : names)
    if (pages.isEnabled(n)) out << n;
  return out;
}

QList<int> visibleTabs(const PageState& pages) {
  QList<int> out;
  for (int p = 0; p < kPageCount; ++p)
    if (pages.isTabVisible(p)) out << p;
  return out;
}

}  // namespace

class TestPageRules : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void titleTakesThreeCharactersOfTheVersion() {
    QCOMPARE(applicationTitle(), QStringLiteral("ВАРНЕТ ВМК-01 config v3.1"));
    QCOMPARE(aboutText(), QStringLiteral("Версия 3.1.110418"));
  }

  void dataModuleCreationLeavesTheStartState() {
    Fixture f;
    QCOMPARE(visibleTabs(f.ws.pages), (QList<int>{0, 2, 3}));
    QCOMPARE(f.ws.pages.activePage(), int(kPagePolling));
    QCOMPARE(f.ws.ProgramDir, QStringLiteral("/opt/vmk/"));
    QVERIFY(!f.ws.pages.isMenuVisible(kMenuService));
    QVERIFY(!f.ws.pages.isMenuEnabled(kMenuPortSetup));
    QCOMPARE(f.ws.status.text(1), QStringLiteral("Связь через передний порт"));
    QCOMPARE(f.ws.status.text(3), QStringLiteral("Автообновления нет"));
    QCOMPARE(int(f.ws.session.DeviceAddress), 0);
    for (TextGrid* g : {&f.ws.parameters.Grid1, &f.ws.parameters.grdSett}) {
      QCOMPARE(g->columnWidth(3), 0);
      QCOMPARE(g->columnWidth(4), 0);
      QVERIFY(g->columnWidth(2) > 0);
    }
    QCOMPARE(f.ws.journals.grdAlarm.columnWidth(2) + f.ws.journals.grdAlarm.columnWidth(4), 0);
    QCOMPARE(f.ws.link.Gauge1.maximum(), 31);
    QVERIFY(f.prompts.asked().isEmpty());
  }

  void dataModuleCreationTestsThePort() {
    QTemporaryDir dir;
    Session session;
    session.Port1.setLinkFactory([](const PortSettings&) {
      auto link = std::make_unique<MemoryLink>();
      link->setOpenError(QStringLiteral("no such port"));
      return link;
    });
    test::ScriptedPrompts prompts;
    FixedClock clock{QDateTime(QDate(2011, 2, 1), QTime(13, 5, 7))};
    Workspace ws{session, prompts, clock};
    applyCommandTable(ws.pages);
    DataModuleCreate(ws, dir.path());
    QCOMPARE(prompts.boxTexts(), QStringList{QStringLiteral("Ошибка открытия порта")});
    QCOMPARE(prompts.asked().last().kind, QStringLiteral("port"));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Front.ini"))));
    QVERIFY(!session.Port1.isOpen());
  }

  void pageChangeEnablesOnlyThatPagesActions_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("enabled");
    QTest::newRow("0 connection") << 0 << QStringList{"actPolling", "actGetStartInfo", "actCalibr"};
    QTest::newRow("1 live values") << 1 << QStringList{"actrefresh", "actSetTimerRefresh"};
    QTest::newRow("2 parameters") << 2 << QStringList{"ActOpenFile", "ActSaveFile"};
    QTest::newRow("3 settings") << 3 << QStringList{"ActOpenFile", "ActSaveFile"};
    QTest::newRow("4 events") << 4 << QStringList{"actGetData"};
    QTest::newRow("5 statistics") << 5 << QStringList{"actGetData"};
    QTest::newRow("6 alarms") << 6 << QStringList{"actGetData"};
  }
  void pageChangeEnablesOnlyThatPagesActions() {
    QFETCH(int, page);
    QFETCH(QStringList, enabled);
    Fixture f;
    // Start from a state where all eight are on, so that the rule must
    // switch the others off.
    for (const QString& n : pageDependentActions()) f.ws.pages.setEnabled(n, true);
    f.ws.pages.setMenuEnabled(kMenuService, false);
    pgcMainChange(f.ws, page);
    QCOMPARE(enabledOf(f.ws.pages, pageDependentActions()), enabled);
    QCOMPARE(f.ws.pages.activePage(), page);
    QCOMPARE(f.ws.pages.isMenuEnabled(kMenuService), page >= 4);
    QVERIFY(!f.ws.pages.isMenuVisible(kMenuService));
    QVERIFY(f.ws.pages.isEnabled(QStringLiteral("actAbout")));
  }

  void anyPageChangeSwitchesTheAutoRefreshOff() {
    Fixture f;
    test::FakeIntervalTimer timer;
    attachMonitorPage(f.ws, timer);
    f.ws.monitor.AutoRefreshOn = true;
    f.ws.monitor.measurementErrorShown = true;
    timer.start(5000);
    pgcMainChange(f.ws, 3);
    QVERIFY(!timer.isActive());
    QVERIFY(!f.ws.monitor.AutoRefreshOn);
    QVERIFY(!f.ws.monitor.measurementErrorShown);
  }

  void liveValuesPageShowsTransformerRatios() {
    Fixture f;
    f.session.vmk.setup.CtPrimary = 200;
    f.session.vmk.setup.CtSecondary = 5;
    f.session.vmk.setup.EarthCtPrimary = 75;
    f.session.vmk.setup.EarthCtSecondary = 10;
    pgcMainChange(f.ws, 1);
    QCOMPARE(f.ws.monitor.labels.text("lblKoefTT"), QStringLiteral("Ктт = 200/5"));
    QCOMPARE(f.ws.monitor.labels.text("lblKoefN"), QStringLiteral("КттЗНЗ (mA)= 75/10"));
  }

  void parameterPageEmptiesStatusPanel3() {
    Fixture f;
    f.ws.status.setText(3, QStringLiteral("Автообновление 5,00 с"));
    pgcMainChange(f.ws, 3);
    QCOMPARE(f.ws.status.text(3), QStringLiteral("Автообновление 5,00 с"));
    pgcMainChange(f.ws, 2);
    QCOMPARE(f.ws.status.text(3), QString());
  }

  void blockTabSheet_data() {
    QTest::addColumn<bool>("block");
    QTest::addColumn<int>("variant");
    QTest::addColumn<QList<int>>("visible");
    QTest::newRow("blocked") << true << 1 << QList<int>{0, 2, 3};
    QTest::newRow("blocked, variant 3") << true << 3 << QList<int>{0, 2, 3};
    QTest::newRow("variant 1") << false << 1 << QList<int>{0, 1, 2, 3, 4, 5, 6};
    QTest::newRow("variant 2") << false << 2 << QList<int>{0, 1, 2, 3, 4, 5, 6};
    QTest::newRow("variant 3 has no journals") << false << 3 << QList<int>{0, 1, 2, 3};
  }
  void blockTabSheet() {
    QFETCH(bool, block);
    QFETCH(int, variant);
    QFETCH(QList<int>, visible);
    Fixture f;
    f.session.vmk.DeviceVariant = std::int16_t(variant);
    BlockTabSheet(f.ws, false);
    BlockTabSheet(f.ws, block);
    QCOMPARE(visibleTabs(f.ws.pages), visible);
  }

  void headerSectionSizesItsGrid_data() {
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("section");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("expected");
    QTest::newRow("Grid1") << 1 << 1 << 210 << 208;
    QTest::newRow("grdSett") << 2 << 0 << 225 << 223;
    QTest::newRow("GrdEvent") << 3 << 15 << 41 << 39;
    QTest::newRow("grdStat") << 4 << 2 << 150 << 148;
    QTest::newRow("grdAlarm") << 5 << 1 << 100 << 98;
    QTest::newRow("narrower than the margin") << 1 << 0 << 1 << 0;
  }
  void headerSectionSizesItsGrid() {
    QFETCH(int, tag);
    QFETCH(int, section);
    QFETCH(int, width);
    QFETCH(int, expected);
    Fixture f;
    Header1SectionResize(f.ws, tag, section, width);
    QCOMPARE(gridForHeaderTag(f.ws, tag)->columnWidth(section), expected);
  }

  void unknownHeaderTagSizesNothing() {
    Fixture f;
    QList<int> before;
    for (int tag = 1; tag <= 5; ++tag) before << gridForHeaderTag(f.ws, tag)->columnWidth(0);
    Header1SectionResize(f.ws, 0, 0, 300);
    Header1SectionResize(f.ws, 6, 0, 300);
    for (int tag = 1; tag <= 5; ++tag)
      QCOMPARE(gridForHeaderTag(f.ws, tag)->columnWidth(0), before[tag - 1]);
  }

  void closingAsksOnlyWithUnsavedEdits_data() {
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QList<Button>>("answers");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("questions");
    QTest::newRow("nothing to lose") << false << QList<Button>{} << true << 0;
    QTest::newRow("keep editing") << true << QList<Button>{Button::No} << false << 1;
    QTest::newRow("discard") << true << QList<Button>{Button::Ok} << true << 1;
    QTest::newRow("box closed") << true << QList<Button>{} << false << 1;
  }
  void closingAsksOnlyWithUnsavedEdits() {
    QFETCH(bool, modified);
    QFETCH(QList<Button>, answers);
    QFETCH(bool, closes);
    QFETCH(int, questions);
    Fixture f;
    f.ws.parameters.ParamsModified = modified;
    for (Button b : answers) f.prompts.answerBox(b);
    QCOMPARE(FormCloseQuery(f.ws, f.ws.parameters), closes);
    QCOMPARE(f.prompts.asked().size(), questions);
    if (questions) {
      const test::Asked& a = f.prompts.asked().first();
      QCOMPARE(a.caption, QStringLiteral("Warning"));
      QCOMPARE(a.text, QStringLiteral("Имеются несохраненные изменения.\rОтменить изменения и "
                                      "завершить работу программы?"));
      QCOMPARE(a.buttons, (QList<Button>{Button::No, Button::Ok}));
    }
  }
};

QTEST_GUILESS_MAIN(TestPageRules)
#include "test_page_rules.moc"
