// Pages 4, 5 and 6 in the real window: "Получить данные" reads the open
// page's journal from the simulated device into the grid the page shows,
// with ProgressBar1 over status panel 4 and the window taking no input;
// what a failure and a cancel leave; the columns at start and the header
// rule; the popup item that has no command yet.

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "app/job_cancel.h"
#include "app/osc_view_binding.h"
#include "oscview/osc_window.h"
#include "app_fixture.h"
#include "shell/command_table.h"
#include "shell/page_rules.h"

using namespace vmk;
using namespace vmk::test;

namespace {

struct JournalWindow {
  AppFixture f;
  // What the window showed at each step of a reading.
  QList<int> positions;
  QList<int> maxima;
  QList<bool> barShown;
  QList<bool> windowEnabled;
  std::function<void(int)> atStep;

  JournalWindow() {
    f.devices.add(1);
    f.ws().session.modbus.SetTry(1);
    f.dm->action(QStringLiteral("actPolling"))->trigger();  // front connector: address 1
    QProgressBar* bar = f.window->progressBar();
    QObject::connect(&f.ws().jobs, &JobControl::progressed, [this](int position, int) {
      positions << position;
    });
    f.ws().jobs.processEvents = [this, bar] {
      maxima << bar->maximum();
      barShown << !bar->isHidden();
      windowEnabled << f.window->isEnabled();
      if (atStep) atStep(positions.isEmpty() ? 0 : positions.last());
    };
  }
  void open(int page) { f.window->pages()->setCurrentIndex(page); }
  QTableView* view(const char* name) { return f.window->findChild<QTableView*>(QLatin1String(name)); }
  QString shown(const char* grid, int row, int column) {
    return view(grid)->model()->index(row, column).data().toString();
  }
  void press(const char* button) { f.window->findChild<QPushButton*>(QLatin1String(button))->click(); }
};

QList<int> upTo(int last) {
  QList<int> out;
  for (int i = 0; i <= last; ++i) out << i;
  return out;
}

}  // namespace

class TestJournalPages : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void readingFillsThePagesGrid_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::newRow("events") << 4 << "BitBtn1" << "GrdEvent" << 33 << 7 << 3
                            << "Повреждение фазы A C , Iперв = 1480.800 A";
    QTest::newRow("statistics") << 5 << "BitBtn2" << "grdStat" << 21 << 21 << 1 << "Счётчик ресурса, ч";
    QTest::newRow("alarms") << 6 << "BitBtn3" << "grdAlarm" << 12 << 0 << 0 << "16.03.2024 11:18:10";
  }
  void readingFillsThePagesGrid() {
    QFETCH(int, page);
    QFETCH(QString, button);
    QFETCH(QString, grid);
    QFETCH(int, maximum);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);
    JournalWindow p;
    p.open(page);
    QVERIFY(p.f.dm->action(QStringLiteral("actGetData"))->isEnabled());
    p.press(qPrintable(button));

    QCOMPARE(p.shown(qPrintable(grid), row, column), text);
    QCOMPARE(p.positions, upTo(maximum));
    QCOMPARE(p.maxima, QList<int>(maximum + 1, maximum));
    QCOMPARE(p.barShown, QList<bool>(maximum + 1, true));
    QCOMPARE(p.windowEnabled, QList<bool>(maximum + 1, false));
    QVERIFY(p.f.window->progressBar()->isHidden());
    QVERIFY(p.f.window->isEnabled());
    QVERIFY(!p.f.ws().session.Port1.isOpen());
    QVERIFY(p.f.prompts.boxTexts().isEmpty());
  }

  // The menu "Журналы" runs the same reading; off the journal pages its
  // item is disabled with the page buttons.
  void theMenuItemReadsTheOpenPage() {
    JournalWindow p;
    p.open(5);
    QMenu* journals = p.f.dm->menus()[kMenuJournals];
    journals->actions().first()->trigger();
    QCOMPARE(p.shown("grdStat", 9, 2), QStringLiteral("65535"));
    QVERIFY(p.shown("GrdEvent", 0, 0).isEmpty());
    p.open(2);
    QVERIFY(!journals->actions().first()->isEnabled());
  }

  void aFailureKeepsTheRowsAndSaysSo() {
    JournalWindow p;
    p.open(4);
    p.f.devices.plan.fault = [](const QByteArray& r) {
      return r.size() == 5 && std::uint8_t(r[1]) == 0x41 && r[2] == 20 ? Fault::Silence : Fault::None;
    };
    p.press("BitBtn1");
    QCOMPARE(p.f.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка связи с устройством!")});
    QCOMPARE(p.shown("GrdEvent", 19, 0), QStringLiteral("20."));
    QVERIFY(p.shown("GrdEvent", 20, 0).isEmpty());
    QVERIFY(p.f.window->progressBar()->isHidden());
    QVERIFY(p.f.window->isEnabled());
    QVERIFY(!p.f.ws().session.Port1.isOpen());
    QCOMPARE(p.f.ws().status.text(0).endsWith(QStringLiteral("закрыт")), true);
  }

  void aCancelSaysOperationStopped() {
    JournalWindow p;
    p.open(5);
    p.atStep = [&p](int position) {
      if (position == 4) p.f.ws().jobs.requestCancel();
    };
    p.press("BitBtn2");
    QCOMPARE(p.f.ws().status.text(3), QStringLiteral("Операция прервана"));
    QCOMPARE(p.shown("grdStat", 3, 0), QStringLiteral("4"));
    QVERIFY(p.shown("grdStat", 4, 0).isEmpty());
    QVERIFY(p.f.prompts.boxTexts().isEmpty());
    QVERIFY(p.f.window->isEnabled());
    QVERIFY(!p.f.ws().session.Port1.isOpen());
  }

  // Esc and the "Прервать" button beside ProgressBar1 reach the reading
  // although the window takes no input; the rows read stay.
  void escOrTheCancelButtonStopsTheReading_data() {
    QTest::addColumn<bool>("button");
    QTest::newRow("Esc") << false;
    QTest::newRow("Прервать") << true;
  }
  void escOrTheCancelButtonStopsTheReading() {
    QFETCH(bool, button);
    JournalWindow p;
    p.open(4);
    QWidget* panel = p.f.window->jobCancel()->panel();
    QPushButton* cancel = p.f.window->jobCancel()->button();
    QList<bool> reachable;
    p.atStep = [&](int position) {
      reachable << (panel->isVisible() && cancel->isEnabled());
      if (position < 6) return;
      if (button) QTest::mouseClick(cancel, Qt::LeftButton);
      else QTest::keyClick(p.f.window.get(), Qt::Key_Escape);
    };
    p.press("BitBtn1");
    QCOMPARE(reachable, QList<bool>(7, true));
    QCOMPARE(p.positions, upTo(6));
    QCOMPARE(p.f.window->findChild<QLabel*>(QStringLiteral("SBarPanel3"))->text(),
             QStringLiteral("Операция прервана"));
    QCOMPARE(p.shown("GrdEvent", 5, 0), QStringLiteral("6."));
    QVERIFY(p.shown("GrdEvent", 6, 0).isEmpty());
    QVERIFY(!panel->isVisible());
    QVERIFY(p.f.window->isEnabled());
    QVERIFY(p.f.window->progressBar()->isHidden());
    QVERIFY(!p.f.ws().session.Port1.isOpen());
  }

  void escStopsTheDownloadBesideItsGauge() {
    JournalWindow p;
    QTemporaryDir dir;
    p.open(6);
    p.press("BitBtn3");
    p.f.ws().journals.grdAlarm.setCurrentRow(0);
    QWidget* panel = p.f.window->jobCancel()->panel();
    QWidget* gauge = p.f.window->findChild<QWidget*>(QStringLiteral("GugAlarm"));
    QList<bool> reachable;
    p.positions.clear();
    p.atStep = [&](int position) {
      reachable << (panel->isVisible() && !gauge->isHidden() && !p.f.window->isEnabled());
      if (position == 100) QTest::keyClick(p.f.window.get(), Qt::Key_Escape);
    };
    p.f.prompts.answerBox(Button::Ok);
    p.f.prompts.answerSave(dir.filePath(QStringLiteral("stop.cfg")));
    p.f.dm->action(QStringLiteral("actGetInterrupt"))->trigger();
    QCOMPARE(reachable, QList<bool>(101, true));
    // The cancel sits beside the page gauge, not the status bar's.
    QVERIFY(qAbs(panel->geometry().center().y() - gauge->mapToGlobal(gauge->rect().center()).y()) < 60);
    QCOMPARE(p.f.window->findChild<QLabel*>(QStringLiteral("SBarPanel3"))->text(),
             QStringLiteral("Операция прервана"));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    QVERIFY(gauge->isHidden());
    QVERIFY(p.f.window->isEnabled());
    QVERIFY(!p.f.ws().session.Port1.isOpen());
  }

  void theAlarmListsReceiveError() {
    JournalWindow p;
    p.open(6);
    p.f.devices.plan.fault = [](const QByteArray& r) {
      return std::uint8_t(r[1]) == 0x42 ? Fault::Silence : Fault::None;
    };
    p.press("BitBtn3");
    QCOMPARE(p.f.prompts.boxTexts(), QStringList{QStringLiteral("Ошибка приема данных 0|0")});
    QVERIFY(p.shown("grdAlarm", 0, 0).isEmpty());
  }

  void columnsAtStart_data() {
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QList<int>>("widths");
    QTest::newRow("GrdEvent") << "GrdEvent" << QList<int>{48, 148, 198, 238, 39, 39, 39, 39, 39, 39,
                                                          39, 39, 39, 39, 39, 39};
    QTest::newRow("grdStat") << "grdStat" << QList<int>{46, 450, 148};
    // Columns 2..4 carry the entry number and the ratios, hidden.
    QTest::newRow("grdAlarm") << "grdAlarm" << QList<int>{196, 150, 0, 0, 0};
  }
  void columnsAtStart() {
    QFETCH(QString, grid);
    QFETCH(QList<int>, widths);
    AppFixture f;
    auto* view = f.window->findChild<QTableView*>(grid);
    QList<int> found;
    for (int c = 0; c < view->model()->columnCount(); ++c) found << view->columnWidth(c);
    QCOMPARE(found, widths);
  }

  void headersShowTheirSections() {
    AppFixture f;
    auto captions = [&f](const char* name) {
      auto* h = f.window->findChild<QHeaderView*>(QLatin1String(name));
      QStringList out;
      for (int i = 0; i < h->count(); ++i) out << h->model()->headerData(i, Qt::Horizontal).toString();
      return out;
    };
    QCOMPARE(captions("HeaderControl1"),
             QStringList({"Номер", "Дата и время", "Событие", "Информация", "WDT", "Dout5", "Dout4",
                          "Dout3", "Dout2", "Dout1", "Din6", "Din5", "Din4", "Din3", "Din2", "Din1"}));
    QCOMPARE(captions("HeaderControl2"), QStringList({"№", "Параметр", "Значение"}));
    QCOMPARE(captions("HeaderControl3"), QStringList({"Дата и время", "Авария"}));
  }

  // "Получить" of the alarm grid's popup belongs to the oscillogram
  // download; while nothing answers to it, it is disabled.
  void thePopupItemRunsTheDownload() {
    AppFixture f;
    QAction* item = f.dm->pmAlarm()->actions().first();
    QCOMPARE(item->text(), QStringLiteral("Получить"));
    f.window->pages()->setCurrentIndex(6);
    QVERIFY(item->isEnabled());
    // A row without a record offers to read the alarm list first.
    f.prompts.answerBox(Button::No);
    item->trigger();
    QCOMPARE(f.prompts.boxTexts(),
             QStringList{QStringLiteral("Необходимо получить данные по осциллограмме!\rВыполнить операцию?")});
  }

  void aDownloadedOscillogramOpensInTheViewer() {
    JournalWindow p;
    QTemporaryDir dir;
    // The viewer library names the channels: the one built beside the tests.
    p.f.ws().ProgramDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    p.open(6);
    p.press("BitBtn3");
    p.f.ws().journals.grdAlarm.setCurrentRow(1);
    QMenu* popup = p.f.dm->pmAlarm();
    QAction* show = p.f.dm->oscView()->popupItem();
    QVERIFY(popup->actions().contains(show));
    Q_EMIT popup->aboutToShow();
    QVERIFY(!show->isEnabled());

    p.f.prompts.answerBox(Button::Ok);
    p.f.prompts.answerSave(dir.filePath(QStringLiteral("one.cfg")));
    p.f.dm->action(QStringLiteral("actGetInterrupt"))->trigger();
    QCOMPARE(p.f.prompts.boxTexts().last(), QStringLiteral("Данные успешно получены!"));
    Q_EMIT popup->aboutToShow();
    QVERIFY(show->isEnabled());
    show->trigger();
    auto* viewer = p.f.dm->oscView()->window();
    QVERIFY(viewer && viewer->isVisible());
    QCOMPARE(viewer->recording().sampleCount(), 6000);
    // The file, then the station, device and start the recording names.
    QVERIFY2(viewer->windowTitle().contains(QStringLiteral(" - one.cfg - ")), qPrintable(viewer->windowTitle()));
    // Another row was not downloaded.
    p.f.ws().journals.grdAlarm.setCurrentRow(0);
    Q_EMIT popup->aboutToShow();
    QVERIFY(!show->isEnabled());

    // The menu item opens any pair; a cancelled dialog opens nothing.
    QAction* menu = p.f.dm->oscView()->menuItem();
    QCOMPARE(menu->text(), QStringLiteral("Просмотр осциллограммы..."));
    p.f.prompts.answerOpen(dir.filePath(QStringLiteral("one.cfg")));
    viewer->show(oscview::Recording{}, QStringLiteral("empty"));
    menu->trigger();
    QCOMPARE(viewer->recording().sampleCount(), 6000);
    QCOMPARE(p.f.prompts.asked().last().kind, QStringLiteral("open"));
  }
};

QTEST_MAIN(TestJournalPages)
#include "test_journal_pages.moc"
