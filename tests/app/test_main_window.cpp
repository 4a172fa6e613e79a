#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QtTest>

#include "app/grid_panel.h"
#include "app/splash_form.h"
#include "extlib/transport_error.h"
#include "shell/app_info.h"
#include "shell/command_registry.h"
#include "shell/command_table.h"
#include "shell/page_rules.h"
#include "tests/app/app_fixture.h"

using namespace vmk;
using vmk::test::AppFixture;

namespace {

QList<int> visibleTabs(QTabWidget* tabs) {
  QList<int> out;
  for (int i = 0; i < tabs->count(); ++i)
    if (tabs->isTabVisible(i)) out << i;
  return out;
}

QStringList enabledActions(DataModule& dm, const QStringList& names) {
  QStringList out;
  for (const QString& n : names)
    if (dm.action(n)->isEnabled()) out << n;
  return out;
}

// "Получить" of the alarm popup (actGetInterrupt) waits for the command of
// the oscillogram download.
const QStringList kDisabledAtStart{"actrefresh", "actSetTimerRefresh", "ActOpenFile",
                                   "ActSaveFile", "actGetData", "actPrint"};

}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void startStateOfEveryAction() {
    AppFixture f;
    QStringList disabled;
    for (const Command& c : commandTable()) {
      QAction* a = f.dm->action(c.name);
      QVERIFY2(a, qPrintable(c.name));
      QCOMPARE(a->text(), c.caption);
      if (!a->isEnabled()) disabled << c.name;
    }
    QCOMPARE(disabled, kDisabledAtStart);
    QVERIFY(f.dm->action("actFrontPort")->isChecked());
    QVERIFY(!f.dm->action("actReaPort")->isChecked());
    QCOMPARE(f.dm->action("actrefresh")->shortcut(), QKeySequence(Qt::Key_F5));
    QCOMPARE(f.dm->action("actPolling")->toolTip(), QStringLiteral("Опрос устройств"));
    QVERIFY(!f.dm->RefreshTimer.isActive());
    // The start-up port test opened the port once and closed it again.
    QVERIFY(f.prompts.asked().isEmpty());
    QCOMPARE(f.linksOpened(), 1);
    QVERIFY(!f.ws().session.Port1.isOpen());
  }

  void aPortThatWillNotOpenAtStartAsksForSettings() {
    AppFixture f(true, /*portOpens=*/false);
    QCOMPARE(f.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка открытия порта")});
    QCOMPARE(f.prompts.asked().last().kind, QStringLiteral("port"));
    // The start goes on to its end.
    QCOMPARE(visibleTabs(f.window->pages()), (QList<int>{0, 2, 3}));
    QVERIFY(!f.ws().session.Port1.isOpen());
  }

  void portCommandsRunThroughTheActions() {
    AppFixture f;
    f.dm->action("actReaPort")->trigger();
    QVERIFY(f.dm->menus()[kMenuPortSetup]->menuAction()->isEnabled());
    QCOMPARE(f.window->findChild<QLabel*>("SBarPanel1")->text(),
             QStringLiteral("Связь через задний порт"));
    f.dm->action("ActOCPort")->trigger();
    QVERIFY(f.ws().session.Port1.isOpen());
    QVERIFY(f.window->findChild<QLabel*>("SBarPanel0")->text().endsWith(QStringLiteral("открыт")));
    f.dm->action("ActOCPort")->trigger();
    QVERIFY(!f.ws().session.Port1.isOpen());
  }

  void menusAtStart() {
    AppFixture f;
    const QList<QMenu*>& menus = f.dm->menus();
    QCOMPARE(menus.size(), 6);
    QCOMPARE(menus[kMenuService]->title(), QStringLiteral("Тех.меню"));
    QVERIFY(!menus[kMenuService]->menuAction()->isVisible());
    QVERIFY(!menus[kMenuPortSetup]->menuAction()->isEnabled());
    QVERIFY(!menus[kMenuConnection]->findChild<QAction*>("miSetTO")->isVisible());
    QVERIFY(f.dm->action("ActSetTO")->isEnabled());
    QCOMPARE(f.window->menuBar()->actions().size(), 6);
  }

  void radioItemsExcludeEachOther() {
    AppFixture f;
    f.dm->action("actReaPort")->trigger();
    QVERIFY(!f.dm->action("actFrontPort")->isChecked());
    QVERIFY(f.ws().pages.action("actReaPort").checked);
    QVERIFY(!f.ws().pages.action("actFrontPort").checked);
  }

  void actionsAndPageStateFollowEachOther() {
    AppFixture f;
    f.ws().pages.setEnabled("actPrint", true);
    QVERIFY(f.dm->action("actPrint")->isEnabled());
    f.ws().pages.setImage("ActOCPort", 8);
    QCOMPARE(f.dm->action("ActOCPort")->icon().cacheKey(), f.dm->colorList()[8].cacheKey());
    f.dm->action("actCalibr")->setEnabled(false);
    QVERIFY(!f.ws().pages.isEnabled("actCalibr"));
  }

  void devicePagesHiddenAfterStart() {
    AppFixture f;
    QTabWidget* tabs = f.window->pages();
    QCOMPARE(tabs->count(), 7);
    QCOMPARE(visibleTabs(tabs), (QList<int>{0, 2, 3}));
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(f.window->findChild<QLabel*>("SBarPanel1")->text(),
             QStringLiteral("Связь через передний порт"));
    QCOMPARE(f.window->findChild<QLabel*>("SBarPanel3")->text(),
             QStringLiteral("Автообновления нет"));
  }

  void everyNamedControlExists() {
    AppFixture f;
    for (const char* name :
         {"AdvToolBar1", "pgcMain", "Panel7", "SBar", "ProgressBar1", "tshPolling", "lbRelay",
          "Gauge1", "Memo1", "tsDinamic", "grbMeas", "lblCurrA", "lblCurrB", "lblCurrC",
          "lblCurrN", "lblLastIM", "lblLastIZ", "rbFirst", "rbSecond", "lblKoefTT", "lblKoefN",
          "GroupBox1", "tmOutPut1", "tmOutPut5", "grbInput", "shpInput1", "shpInput6",
          "GroupBox2", "tmResetAlarm", "tmStartReg", "tmSynch", "rbAutoTime", "rbSetDate",
          "dtpDate", "dtpTime", "mmMess", "tshParam", "Header1", "Grid1", "btnGetParam",
          "btnLoadParam", "tshSettings", "Header2", "grdSett", "rbGroup1", "rbGroup2",
          "btnGetSett", "btnLoadSett", "tshEvents", "HeaderControl1", "GrdEvent", "gugEvent",
          "BitBtn1", "tshStatistic", "HeaderControl2", "grdStat", "GugStat", "BitBtn2",
          "tshAlarm", "HeaderControl3", "grdAlarm", "GugAlarm", "BitBtn3"})
      QVERIFY2(f.window->findChild<QWidget*>(name), name);
    QCOMPARE(f.window->findChild<QHeaderView*>("HeaderControl1")->count(), 16);
    QCOMPARE(f.window->findChild<QTableView*>("Grid1")->model()->rowCount(), 62);
    QCOMPARE(f.window->findChild<QTableView*>("GrdEvent")->model()->columnCount(), 16);
    QVERIFY(!f.window->findChild<QWidget*>("dtpDate")->isVisibleTo(f.window.get()));
    QVERIFY(!f.window->findChild<QWidget*>("Gauge1")->isVisibleTo(f.window.get()));
  }

  void titleAndSize() {
    AppFixture f;
    QCOMPARE(f.window->windowTitle(), QStringLiteral("ВАРНЕТ ВМК-01 config v3.1"));
    QCOMPARE(f.window->windowTitle(), applicationTitle());
    QCOMPARE(f.window->minimumSize(), QSize(776, 672));
  }

  void pageChangeEnablesThatPagesActions_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("enabled");
    QTest::newRow("0") << 0 << QStringList{"actPolling", "actGetStartInfo", "actCalibr"};
    QTest::newRow("1") << 1 << QStringList{"actrefresh", "actSetTimerRefresh"};
    QTest::newRow("2") << 2 << QStringList{"ActOpenFile", "ActSaveFile"};
    QTest::newRow("3") << 3 << QStringList{"ActOpenFile", "ActSaveFile"};
    QTest::newRow("4") << 4 << QStringList{"actGetData"};
    QTest::newRow("5") << 5 << QStringList{"actGetData"};
    QTest::newRow("6") << 6 << QStringList{"actGetData"};
  }
  void pageChangeEnablesThatPagesActions() {
    QFETCH(int, page);
    QFETCH(QStringList, enabled);
    AppFixture f;
    BlockTabSheet(f.ws(), false);
    // Leave page 0 first so that every row is a real change of page.
    f.window->pages()->setCurrentIndex(page == 3 ? 2 : 3);
    f.window->pages()->setCurrentIndex(page);
    QCOMPARE(f.ws().pages.activePage(), page);
    QCOMPARE(enabledActions(*f.dm, pageDependentActions()), enabled);
    // The page buttons follow their actions.
    auto* getData = f.window->findChild<QPushButton*>("BitBtn1");
    QCOMPARE(getData->isEnabled(), page >= 4);
  }

  void aDeviceOfVariant3HasNoJournalPages() {
    AppFixture f;
    f.ws().session.vmk.DeviceVariant = 3;
    BlockTabSheet(f.ws(), false);
    QCOMPARE(visibleTabs(f.window->pages()), (QList<int>{0, 1, 2, 3}));
    f.ws().session.vmk.DeviceVariant = 1;
    BlockTabSheet(f.ws(), false);
    QCOMPARE(visibleTabs(f.window->pages()), (QList<int>{0, 1, 2, 3, 4, 5, 6}));
  }

  void liveValuesPageShowsTheRatios() {
    AppFixture f;
    f.ws().session.vmk.setup.CtPrimary = 600;
    f.ws().session.vmk.setup.CtSecondary = 5;
    BlockTabSheet(f.ws(), false);
    f.window->pages()->setCurrentIndex(1);
    QCOMPARE(f.window->findChild<QLabel*>("lblKoefTT")->text(), QStringLiteral("Ктт = 600/5"));
  }

  void headerSectionSizesItsGridColumn_data() {
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("section");
    QTest::addColumn<int>("initial");  // the column at start; 0: the section less 2
    QTest::newRow("Header1") << "Header1" << "Grid1" << 1 << 198;
    QTest::newRow("Header2") << "Header2" << "grdSett" << 0 << 222;  // not 225 - 2
    QTest::newRow("HeaderControl1") << "HeaderControl1" << "GrdEvent" << 7 << 0;
    QTest::newRow("HeaderControl2") << "HeaderControl2" << "grdStat" << 2 << 0;
    QTest::newRow("HeaderControl3") << "HeaderControl3" << "grdAlarm" << 1 << 150;  // not 150 - 2
  }
  void headerSectionSizesItsGridColumn() {
    QFETCH(QString, header);
    QFETCH(QString, grid);
    QFETCH(int, section);
    QFETCH(int, initial);
    AppFixture f;
    auto* h = f.window->findChild<QHeaderView*>(header);
    auto* view = f.window->findChild<QTableView*>(grid);
    const int before = h->sectionSize(section);
    QCOMPARE(view->columnWidth(section), initial ? initial : before - 2);
    h->resizeSection(section, before + 37);
    QCOMPARE(view->columnWidth(section), before + 35);
  }

  void hiddenGridColumnsAreZeroWide() {
    AppFixture f;
    auto* grid1 = f.window->findChild<QTableView*>("Grid1");
    QCOMPARE(grid1->columnWidth(3), 0);
    QCOMPARE(grid1->columnWidth(4), 0);
    auto* alarm = f.window->findChild<QTableView*>("grdAlarm");
    QCOMPARE(alarm->columnWidth(2) + alarm->columnWidth(3) + alarm->columnWidth(4), 0);
  }

  void gridsShowTheCatalogueAndFollowTheGroup() {
    AppFixture f;
    auto* view = f.window->findChild<QTableView*>("grdSett");
    QVERIFY(!view->model()->index(0, 0).data().toString().isEmpty());
    auto firstRegister = [&] {
      for (int r = 0; r < view->model()->rowCount(); ++r) {
        const int reg = view->model()->index(r, 3).data().toInt();
        if (reg > 0) return reg;
      }
      return -1;
    };
    QVERIFY(firstRegister() >= 256 && firstRegister() < 512);
    f.window->findChild<QRadioButton*>("rbGroup2")->click();
    QCOMPARE(f.ws().parameters.SettingGroup, 2);
    QVERIFY(firstRegister() >= 512);
  }

  void headingRowsUseTheFixedColour() {
    AppFixture f;
    f.ws().parameters.Grid1.setCell(0, 0, QStringLiteral("Общие"));
    f.ws().parameters.Grid1.setCell(3, 0, QStringLiteral("-1"));
    f.ws().parameters.Grid1.setCell(3, 1, QStringLiteral("64"));
    auto* view = f.window->findChild<QTableView*>("Grid1");
    QCOMPARE(view->model()->index(0, 0).data().toString(), QStringLiteral("Общие"));
    QVERIFY(HeadingRowDelegate::isHeadingRow(view->model()->index(0, 1), 3));
    QVERIFY(!HeadingRowDelegate::isHeadingRow(view->model()->index(1, 1), 3));
    QVERIFY(qobject_cast<HeadingRowDelegate*>(view->itemDelegate()));
  }

  void progressBarFollowsTheStatusBar() {
    AppFixture f;
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    f.window->resize(1000, 700);
    QTRY_COMPARE(f.window->statusBarWidget()->width(), 1000);
    QCOMPARE(f.window->progressBar()->width(), 1000 - (120 + 160 + 150 + 150) - 26);
    QCOMPARE(f.window->progressBar()->parentWidget(), f.window->statusBarWidget());
    QVERIFY(f.window->progressBar()->isHidden());
    f.ws().status.progress().setVisible(true);
    QVERIFY(!f.window->progressBar()->isHidden());
  }

  void closingAsksOnlyWithUnsavedEdits() {
    AppFixture f;
    f.window->show();
    QVERIFY(f.window->close());
    QVERIFY(f.prompts.asked().isEmpty());

    f.window->show();
    f.ws().parameters.ParamsModified = true;
    f.prompts.answerBox(Button::No);
    QVERIFY(!f.window->close());
    QVERIFY(f.window->isVisible());
    QCOMPARE(f.prompts.asked().size(), 1);
    QCOMPARE(f.prompts.asked()[0].buttons, (QList<Button>{Button::No, Button::Ok}));

    f.prompts.answerBox(Button::Ok);
    QVERIFY(f.window->close());
    QCOMPARE(f.prompts.asked().size(), 2);
  }

  void exitAsksNothing() {
    AppFixture f;
    f.window->show();
    f.ws().parameters.ParamsModified = true;
    f.dm->action("ActExit")->trigger();
    QVERIFY(!f.window->isVisible());
    QVERIFY(f.prompts.asked().isEmpty());
  }

  void unhandledErrorIsShownAndThePortClosed() {
    AppFixture f;
    const bool ran = f.dm->runOperation([&] {
      f.ws().session.openPort();
      throw TransportError(QStringLiteral("Порт COM1 закрыт"));
    });
    QVERIFY(!ran);
    QCOMPARE(f.prompts.asked().size(), 1);
    QCOMPARE(f.prompts.asked()[0].caption, applicationTitle());
    QCOMPARE(f.prompts.asked()[0].text, QStringLiteral("Порт COM1 закрыт"));
    QCOMPARE(f.prompts.asked()[0].icon, BoxIcon::Error);
    QVERIFY(!f.ws().session.Port1.isOpen());
    // The program goes on: the next operation runs.
    QVERIFY(f.dm->runOperation([] {}));
    QVERIFY(!f.ws().session.isBusy());
  }

  void aSecondDeviceOperationIsRefusedQuietly() {
    AppFixture f;
    bool innerRan = false;
    bool aboutRan = false;
    QVERIFY(f.dm->runOperation([&] {
      innerRan = f.dm->runOperation([] {});
      aboutRan = f.dm->runOperation([] {}, false);
    }));
    QVERIFY(!innerRan);
    QVERIFY(aboutRan);
    QVERIFY(f.prompts.asked().isEmpty());
  }

  void everyRegisteredCommandHasSomethingThatStartsIt() {
    AppFixture f;
    // The handlers of the window's page controls and of the port actions.
    const QStringList controls{"pgcMainChange", "SetCommand",      "rbAutoTimeClick",
                               "rbGroup2Click", "lbRelayDblClick", "Grid1DblClick",
                               "Grid1SelectCell", "RefreshTimerTimer", "actPort",
                               "ShowServiceMenu",  // the key combination
                               // menu "Программа": "Отчёт по файлу уставок...", "Сравнить
                               // уставки...", "Журнал изменений..."
                               "actFileReport", "actCompare", "actChangeLog",
                               // menu "Подключение": "Собрать данные со всех устройств..."
                               "actCollectAll"};
    const QList<QAction*> service = f.dm->menus()[kMenuService]->actions();
    for (const WindowCommand& c : commandRegistry().windowCommands()) {
      const bool serviceItem = std::any_of(service.begin(), service.end(),
                                           [&](QAction* a) { return a->objectName() == c.name; });
      QVERIFY2(f.dm->action(c.name) || serviceItem || controls.contains(c.name), qPrintable(c.name));
    }
    QVERIFY(!f.dm->run(QStringLiteral("noSuchHandler")));
  }

  // "Собрать данные со всех устройств..." runs the registry's command: a
  // cancelled folder dialog opens no port; a folder gets the batch and its
  // summary; while another operation runs, the folder is not even asked.
  void collectAllRunsFromItsMenuItem() {
    AppFixture f;
    f.devices.add(1);
    // The viewer library beside the program: each oscillogram's .cfg.
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/libView.so"),
                        f.dir.filePath(QStringLiteral("libView.so"))));
    auto* item = f.window->findChild<QAction*>(QStringLiteral("miCollectAll"));
    if (!item)
      for (QMenu* m : f.dm->menus())
        for (QAction* a : m->actions())
          if (a->objectName() == QLatin1String("miCollectAll")) item = a;
    QVERIFY(item);
    QCOMPARE(item->text(), QStringLiteral("Собрать данные со всех устройств..."));
    // The folder dialog, through the prompts.
    const auto asked = [&f] {
      int n = 0;
      for (const test::Asked& a : f.prompts.asked())
        n += a.kind == QLatin1String("folder") &&
             a.caption == QStringLiteral("Собрать данные со всех устройств");
      return n;
    };
    const int opened = f.linksOpened();
    f.prompts.answerFolder(std::nullopt);
    item->trigger();
    QCOMPARE(asked(), 1);
    QCOMPARE(f.linksOpened(), opened);
    QVERIFY(f.prompts.boxTexts().isEmpty());

    QTemporaryDir out;
    f.prompts.answerFolder(out.filePath(QStringLiteral("batch")));
    item->trigger();
    QCOMPARE(asked(), 2);
    QVERIFY2(f.prompts.boxTexts().size() == 1, qPrintable(f.prompts.boxTexts().join(" | ")));
    QVERIFY2(f.prompts.boxTexts().first().startsWith(QStringLiteral("Устройств: 1, с ошибками: 0.")),
             qPrintable(f.prompts.boxTexts().first()));
    QVERIFY(QFile::exists(out.filePath(QStringLiteral("batch/index.json"))));
    QVERIFY(!f.dm->session().Port1.isOpen());

    f.dm->runOperation([&] { item->trigger(); });
    QCOMPARE(asked(), 2);
  }

  void aboutRunsFromItsActionAndShowsWhatTheLoaderFound() {
    AppFixture f;  // its program folder has no About library
    f.dm->action("actAbout")->trigger();
    QCOMPARE(f.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка загрузки библиотеки")});
    QCOMPARE(f.prompts.asked()[0].buttons, QList<Button>{Button::Abort});
  }

  void daylightNoticeAtWindowCreation() {
    AppFixture f(false);  // stored summer time, the clock says winter
    QCOMPARE(f.prompts.boxTexts(), QStringList{QStringLiteral("Мы перешли на зимнее/летнее время")});
    QCOMPARE(f.store.value, std::optional<bool>(true));
  }

  void memoDoubleClickEmptiesIt() {
    AppFixture f;
    f.ws().monitor.mmMess.append(QStringLiteral("10:00:00 Обновление информации"));
    auto* memo = f.window->findChild<QPlainTextEdit*>("mmMess");
    QCOMPARE(memo->toPlainText(), QStringLiteral("10:00:00 Обновление информации"));
    QTest::mouseDClick(memo->viewport(), Qt::LeftButton);
    QVERIFY(f.ws().monitor.mmMess.lines().isEmpty());
    QVERIFY(memo->toPlainText().isEmpty());
  }

  void splashEndsAtDoubleClick() {
    TSplashFrm splash(60000);
    QCOMPARE(splash.size(), QSize(526, 407));
    QCOMPARE(splash.alphaBlendValue(), 10);
    QVERIFY(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QSignalSpy ended(&splash, &TSplashFrm::ended);
    QTimer::singleShot(0, &splash,
                       [&] { QTest::mouseDClick(splash.picture(), Qt::LeftButton); });
    QElapsedTimer clock;
    clock.start();
    splash.showAndWait();
    QVERIFY(splash.hasEnded());
    QCOMPARE(ended.count(), 1);
    QVERIFY(clock.elapsed() < 30000);
  }

  void splashFadesInAndEndsByItself() {
    TSplashFrm splash(450);
    QSignalSpy ended(&splash, &TSplashFrm::ended);
    splash.showAndWait();
    QCOMPARE(ended.count(), 1);
    // Four or so fade steps of 20 from 10 in 450 ms; never past 250.
    QVERIFY(splash.alphaBlendValue() > 10);
    QVERIFY(splash.alphaBlendValue() <= 250);
  }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
