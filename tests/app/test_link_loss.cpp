// The link pulled in the middle of a device operation, in the real window
// with the real message boxes (offscreen; each box is answered by a timer):
// vmksim is stopped, which closes the pseudo-terminal's other side. The
// window must show one box for the failure, close its port and stay alive.
// Scripted prompts cannot show this: a box's event loop lets the port's
// next report in while the box is open.

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "app/qt_prompts.h"
#include "app_fixture.h"
#include "model/clock.h"
#include "model/page_state.h"
#include "tests/system/sim_process.h"

using namespace vmk;
using namespace vmk::test;

namespace {

// The real boxes; the file and folder dialogs and the input box answered at
// once, as a user would.
class BoxesOnly : public QtPrompts {
 public:
  QString saveAs;
  std::optional<QString> folder;
  std::optional<QString> saveFile(const FileDialog&) override { return saveAs; }
  std::optional<QString> chooseFolder(const QString&) override { return folder; }
  std::optional<QString> input(const QString&, const QString&, const QString&) override {
    return QStringLiteral("1");
  }
};

// Answers every message box shortly after it opens (OK, else No, else its
// first button) and keeps its text; how many were open at once tells a box
// opened inside another's event loop.
class BoxAnswerer : public QObject {
 public:
  QStringList texts;
  int mostOpen = 0;

  BoxAnswerer() {
    m_timer.setInterval(30);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { answer(); });
    m_timer.start();
  }

 private:
  void answer() {
    int open = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box || !box->isVisible()) continue;
      ++open;
      // A box lives on the stack of the prompt: the next may have the same
      // address, so the mark is on the object.
      if (box->property("answered").toBool()) continue;
      box->setProperty("answered", true);
      texts << box->text();
      QAbstractButton* pick = nullptr;
      for (QAbstractButton* b : box->buttons())
        if (b->text() == QLatin1String("OK")) pick = b;
      for (QAbstractButton* b : box->buttons())
        if (!pick && b->text() == QLatin1String("&No")) pick = b;
      if (!pick && !box->buttons().isEmpty()) pick = box->buttons().first();
      QPointer<QAbstractButton> button = pick;
      QTimer::singleShot(20, [button] {
        if (button) button->click();
      });
    }
    mostOpen = std::max(mostOpen, open);
  }

  QTimer m_timer;
};

struct PulledLink {
  SimProcess sim;
  QTemporaryDir dir;
  MemoryStore store;
  FixedClock clock{QDateTime(QDate(2013, 1, 15), QTime(10, 0))};
  BoxesOnly prompts;
  std::unique_ptr<DataModule> dm;
  std::unique_ptr<MainWindow> window;
  BoxAnswerer boxes;
  int boxesBeforePull = -1;

  bool start() {
    if (!sim.start({QStringLiteral("--addresses"), QStringLiteral("1-3"), QStringLiteral("--pace"),
                    QStringLiteral("--delay-ms"), QStringLiteral("60")}))
      return false;
    QFile ini(dir.filePath(QStringLiteral("Front.ini")));
    if (!ini.open(QIODevice::WriteOnly)) return false;
    ini.write(QStringLiteral("[Port1]\r\nPort=%1\r\nBaudRate=9600\r\nDataBits=8\r\nParity=None\r\n"
                             "StopBits=1\r\nFlowControl=None\r\n")
                  .arg(sim.path())
                  .toUtf8());
    ini.close();
    // The .cfg of an oscillogram names its channels through the viewer library.
    QFile::link(QStringLiteral(VIEW_LIBRARY), dir.filePath(QFileInfo(QStringLiteral(VIEW_LIBRARY)).fileName()));
    prompts.saveAs = dir.filePath(QStringLiteral("fault.cfg"));
    store.value = true;
    DataModuleOptions options;
    options.prompts = &prompts;
    options.clock = &clock;
    options.winterStore = &store;
    options.programDir = dir.path();
    options.changeLogFolder = dir.filePath(QStringLiteral("changes"));
    dm = std::make_unique<DataModule>(options);
    window = std::make_unique<MainWindow>(*dm);
    prompts.setParentWindow(window.get());
    dm->create();
    ws().session.modbus.SetTry(300);
    dm->action(QStringLiteral("actPolling"))->trigger();  // front connector: address 1
    return ws().session.DeviceAddress == 1;
  }
  ~PulledLink() {
    window.reset();
    dm.reset();
  }
  Workspace& ws() { return dm->ws(); }
  void openPage(int page) { window->pages()->setCurrentIndex(page); }
  // Stops vmksim `ms` from now, while the operation runs.
  void pullAfter(int ms) {
    QTimer::singleShot(ms, [this] {
      boxesBeforePull = int(boxes.texts.size());
      sim.stop();
    });
  }
  // Lets late reports of the port arrive; then exactly one box was shown
  // since the link was pulled, never two at once, and the port is closed.
  void expectOneBox(const QString& text) {
    QTest::qWait(1500);
    const QStringList shown = boxesBeforePull < 0 ? QStringList{QStringLiteral("(not pulled)")}
                                                   : boxes.texts.mid(boxesBeforePull);
    QVERIFY2(shown == QStringList{text}, qPrintable(shown.join(QStringLiteral(" | "))));
    QCOMPARE(boxes.mostOpen, 1);
    QVERIFY(!ws().session.Port1.isOpen());
    QVERIFY(window->isEnabled());
  }
};

}  // namespace

class TestLinkLoss : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void eventJournal() {
    PulledLink w;
    QVERIFY(w.start());
    w.openPage(kPageEvents);
    w.pullAfter(900);
    w.dm->run(QStringLiteral("actGetData"));
    w.expectOneBox(QStringLiteral("Ошибка связи с устройством!"));
  }

  void oscillogramDownload() {
    PulledLink w;
    QVERIFY(w.start());
    w.openPage(kPageAlarm);
    w.dm->run(QStringLiteral("actGetData"));
    w.ws().journals.grdAlarm.setCurrentRow(0);
    w.pullAfter(1500);
    w.dm->run(QStringLiteral("actGetInterrupt"));  // its question is answered OK
    w.expectOneBox(QStringLiteral("Ошибка связи с устройством!"));
    QVERIFY(!QFile::exists(w.prompts.saveAs));
  }

  void autoRefresh() {
    PulledLink w;
    QVERIFY(w.start());
    w.openPage(kPageDinamic);
    w.dm->run(QStringLiteral("actSetTimerRefresh"));  // every second
    QVERIFY(w.ws().monitor.AutoRefreshOn);
    w.pullAfter(1500);
    QTest::qWait(2500);
    w.expectOneBox(QStringLiteral("Неудается получить данные.\nВозможно пропала связь с устройством."));
    QVERIFY(!w.ws().monitor.AutoRefreshOn);
  }

  void batch() {
    PulledLink w;
    QVERIFY(w.start());
    const QString folder = w.dir.filePath(QStringLiteral("batch"));
    w.prompts.folder = folder;
    w.pullAfter(1500);
    w.dm->run(QStringLiteral("actCollectAll"));
    w.expectOneBox(QStringLiteral("Ошибка связи с устройством!"));
  }
};

QTEST_MAIN(TestLinkLoss)
#include "test_link_loss.moc"
