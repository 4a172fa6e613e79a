#pragma once
// The picture run behind `vmkconf --screenshots DIR` (scripts/screenshots.sh):
// questions get their default answers, every page is shown, and each page
// of the main window is saved as a PNG.

#include <QString>
#include <optional>

#include "model/prompts.h"
#include "shell/daylight_saving.h"

namespace vmk {

class DataModule;
class MainWindow;
class TSplashFrm;

// Answers as if the user closed every box and cancelled every dialog; the
// folder dialog answers `folder` (nothing at first).
class DefaultAnswers : public Prompts {
 public:
  std::optional<QString> folder;

  Button box(const MessageBox& box) override;
  std::optional<QString> input(const QString&, const QString&, const QString&) override;
  std::optional<QString> openFile(const FileDialog&) override { return std::nullopt; }
  std::optional<QString> saveFile(const FileDialog&) override { return std::nullopt; }
  std::optional<QString> chooseFolder(const QString&) override { return folder; }
  std::optional<QString> password() override { return std::nullopt; }
  std::optional<QString> number(const NumberDialog&) override { return std::nullopt; }
  bool portSettings(PortSettings&) override { return false; }
  void beep() override {}
};

// A store that keeps the value for this run only.
class RunOnlyStore : public BoolStore {
 public:
  std::optional<bool> read() override { return m_value; }
  bool write(bool value) override {
    m_value = value;
    return true;
  }

 private:
  std::optional<bool> m_value;
};

void saveSplashPicture(TSplashFrm& splash, const QString& dir);
// Saves "page<N>-<name>.png" for the seven pages; false when a file could
// not be written.
bool saveScreenshots(MainWindow& window, DataModule& dm, const QString& dir);

// Connects as saveScreenshots does, puts the device into calibration mode,
// opens the calibration window in automatic mode and adjusts points 1, 2
// and 4, then saves "calibration.png" while point 3 is being adjusted;
// calibration mode is left again. False when nothing was saved.
bool saveCalibrationScreenshot(DataModule& dm, const QString& dir);

// With a simulated bus on the rear connector (useRearConnectorForScreenshots):
// polls it, connects to address 1 and to the faulty address 3 and refreshes
// each a few times with "Монитор обмена" open, and saves that window as
// "traffic-monitor.png"; then runs "Собрать данные со всех устройств..."
// into a temporary folder (the folder `answers` gives) and saves the main
// window with its steps and summary as "batch.png". False when a picture
// was not saved.
bool saveTrafficScreenshots(MainWindow& window, DataModule& dm, DefaultAnswers& answers,
                            const QString& dir);

// Chooses the rear connector through its action and points the port at
// `port` (a simulated bus: a pseudo-terminal, a COM port or
// tcp://HOST:PORT), so that the polling of saveScreenshots lists 32
// addresses on page 0.
void useRearConnectorForScreenshots(DataModule& dm, const QString& port);

}  // namespace vmk
