#include "app/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QTableView>
#include <QTabWidget>

#include "app/data_module.h"
#include "app/main_window.h"
#include "app/splash_form.h"
#include "device/port_settings.h"
#include "shell/link_commands.h"
#include "shell/page_rules.h"

namespace vmk {

Button DefaultAnswers::box(const MessageBox& box) {
  return box.buttons.isEmpty() ? Button::Ok : box.buttons.first();
}

std::optional<QString> DefaultAnswers::input(const QString&, const QString&, const QString&) {
  return std::nullopt;
}

void saveSplashPicture(TSplashFrm& splash, const QString& dir) {
  QDir().mkpath(dir);
  splash.grab().save(QDir(dir).filePath(QStringLiteral("splash.png")));
}

bool saveScreenshots(MainWindow& window, DataModule& dm, const QString& dir) {
  QDir().mkpath(dir);
  // With a device on the front connector (scripts/run.sh starts vmksim and
  // points Front.ini at it) polling connects to it, and page 1 shows one
  // refresh of its live values.
  dm.runOperation([&] { actPollingExecute(dm.ws(), dm.ws().link); });
  BlockTabSheet(dm.ws(), false);
  bool ok = true;
  QTabWidget* pages = window.pages();
  const bool connected = dm.ws().session.DeviceAddress != 0;
  for (int page = 0; page < pages->count(); ++page) {
    pages->setCurrentIndex(page);
    // Page 1 shows one refresh; the parameter pages and the journal pages
    // what they read.
    if (connected && page == kPageDinamic) dm.action(QStringLiteral("actrefresh"))->trigger();
    if (connected && (page == kPageParam || page == kPageSettings))
      dm.action(QStringLiteral("ActGetParSet"))->trigger();
    if (connected && page >= kPageEvents) dm.action(QStringLiteral("actGetData"))->trigger();
    QApplication::processEvents();
    const QString name = QStringLiteral("page%1-%2").arg(page).arg(pages->widget(page)->objectName());
    ok = window.grab().save(QDir(dir).filePath(name + QStringLiteral(".png"))) && ok;
    // The event grid is wider than the window: its state columns too.
    if (page == kPageEvents) {
      if (auto* grid = window.findChild<QTableView*>(QStringLiteral("GrdEvent"))) {
        grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
        QApplication::processEvents();
        ok = window.grab().save(QDir(dir).filePath(name + QStringLiteral("-states.png"))) && ok;
        grid->horizontalScrollBar()->setValue(0);
      }
    }
  }
  return ok;
}

void useRearConnectorForScreenshots(DataModule& dm, const QString& port) {
  if (QAction* rear = dm.action(QStringLiteral("actReaPort"))) rear->trigger();
  PortSettings& settings = dm.session().Port1.settings();
  // A serial port's name, or tcp://HOST:PORT and mbtcp://HOST:PORT.
  setLinkName(settings, port);
  settings.flowControl = PortSettings::FlowControl::None;
}

}  // namespace vmk
