// Start-up: the splash picture, then the main window, the data module and
// the dialogs, then the message loop.

#include <QApplication>
#include <QTimer>
#include <memory>

#include "app/data_module.h"
#include "app/main_window.h"
#include "app/qt_prompts.h"
#include "app/screenshots.h"
#include "app/splash_form.h"
#include "oscview/qt_translation.h"

int main(int argc, char** argv) {
  // The date and time formats are fixed in shell/app_info.h and never follow
  // the system's regional settings.
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("vmkconf"));
  // Qt's own dialogs (the file dialogs) in Russian, as the rest.
  vmk::oscview::installQtTranslation(app);

  // Test-only: `--screenshots DIR` saves a picture of every page and quits.
  QString screenshotDir;
  const QStringList args = QApplication::arguments();
  const qsizetype at = args.indexOf(QStringLiteral("--screenshots"));
  if (at >= 0 && at + 1 < args.size()) screenshotDir = args.at(at + 1);
  // Test-only, with --screenshots: `--screenshot-poll PORT` polls on the
  // rear connector at PORT (scripts/screenshot_connected.sh).
  QString pollPort;
  const qsizetype pollAt = args.indexOf(QStringLiteral("--screenshot-poll"));
  if (pollAt >= 0 && pollAt + 1 < args.size()) pollPort = args.at(pollAt + 1);

  auto splash = std::make_unique<vmk::TSplashFrm>();
  splash->showAndWait();
  if (!screenshotDir.isEmpty()) vmk::saveSplashPicture(*splash, screenshotDir);

  vmk::DefaultAnswers defaultAnswers;
  vmk::RunOnlyStore runOnlyStore;
  vmk::DataModule::Options options;
  if (!screenshotDir.isEmpty()) {
    options.prompts = &defaultAnswers;
    options.winterStore = &runOnlyStore;
  }
  vmk::DataModule dm(options);
  vmk::MainWindow window(dm);
  dm.create();
  // The password prompt and the number dialog live for the whole run.
  if (vmk::QtPrompts* prompts = dm.qtPrompts()) {
    prompts->passFrm();
    prompts->inputSerial();
  }

  splash.reset();
  window.show();
  if (!screenshotDir.isEmpty()) {
    int status = 0;
    QTimer::singleShot(0, &window, [&] {
      if (!pollPort.isEmpty()) vmk::useRearConnectorForScreenshots(dm, pollPort);
      // `--screenshot-calibration`: the calibration window during an
      // automatic adjustment instead (scripts/screenshot_calibration.sh).
      const bool calibration = args.contains(QStringLiteral("--screenshot-calibration"));
      // `--screenshot-traffic`: the traffic monitor and the batch extraction
      // (scripts/screenshot_traffic.sh).
      const bool traffic = args.contains(QStringLiteral("--screenshot-traffic"));
      status = (calibration ? vmk::saveCalibrationScreenshot(dm, screenshotDir)
                : traffic   ? vmk::saveTrafficScreenshots(window, dm, defaultAnswers, screenshotDir)
                            : vmk::saveScreenshots(window, dm, screenshotDir))
                   ? 0
                   : 1;
      QApplication::exit(status);
    });
    return app.exec();
  }
  return app.exec();
}
