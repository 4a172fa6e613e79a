// The picture run behind `vmkconf --screenshots DIR --screenshot-poll PORT
// --screenshot-traffic` (scripts/screenshot_traffic.sh): the traffic
// monitor after polling and refreshes, and the batch extraction at work.

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>

#include "app/data_module.h"
#include "app/main_window.h"
#include "app/screenshots.h"
#include "app/traffic_window.h"
#include "model/page_state.h"

namespace vmk {

namespace {

// The device the pictures dwell on: the simulator's faulty one.
constexpr int kFaultyAddress = 3;
constexpr int kRefreshes = 6;

}  // namespace

bool saveTrafficScreenshots(MainWindow& window, DataModule& dm, DefaultAnswers& answers,
                            const QString& dir) {
  QDir().mkpath(dir);
  Workspace& ws = dm.ws();
  TrafficWindow* traffic = dm.trafficWindow();
  traffic->resize(1100, 720);
  traffic->show();
  QApplication::processEvents();

  // The bus polled, then a few refreshes of a healthy device and of the
  // faulty one: the counts of each address, silences and CRC errors among
  // them.
  dm.run(QStringLiteral("actPolling"));
  for (int address : {1, kFaultyAddress}) {
    window.pages()->setCurrentIndex(kPagePolling);
    ws.link.lbRelay.setSelected(address - 1);
    dm.run(QStringLiteral("actGetStartInfo"));
    window.pages()->setCurrentIndex(kPageDinamic);
    for (int i = 0; i < kRefreshes; ++i) dm.run(QStringLiteral("actrefresh"));
  }
  traffic->refresh();
  QApplication::processEvents();
  bool ok = traffic->grab().save(QDir(dir).filePath(QStringLiteral("traffic-monitor.png")));
  traffic->close();

  // "Собрать данные со всех устройств...": the main window with every step
  // in the connection memo and the summary after them.
  QTemporaryDir out;
  answers.folder = out.filePath(QStringLiteral("batch"));
  window.pages()->setCurrentIndex(kPagePolling);
  dm.run(QStringLiteral("actCollectAll"));
  answers.folder.reset();
  QApplication::processEvents();
  return window.grab().save(QDir(dir).filePath(QStringLiteral("batch.png"))) && ok;
}

}  // namespace vmk
