// The picture run of the calibration window (vmkconf --screenshots DIR
// --screenshot-calibration): a device of the simulated bus adjusted
// automatically, the window saved in the middle of it.

#include <QApplication>
#include <QDir>

#include "app/calibration_form.h"
#include "app/data_module.h"
#include "app/screenshots.h"
#include "device/session.h"
#include "extlib/registers.h"
#include "service/calibration_model.h"
#include "service/service_menu.h"
#include "shell/link_commands.h"

namespace vmk {

bool saveCalibrationScreenshot(DataModule& dm, const QString& dir) {
  QDir().mkpath(dir);
  dm.runOperation([&] { actPollingExecute(dm.ws(), dm.ws().link); });
  Session& s = dm.session();
  if (s.DeviceAddress == 0) return false;
  const QString password = s.vmk.setup.DevicePassword;
  bool saved = false;
  dm.runOperation([&] {
    {
      PortBracket port(s);
      if (SendServiceCommand(s, password, reg::kServiceCalibration, reg::kCalibrationEnter) !=
          Outcome::Done)
        return;
    }
    CalibrationModel model(s, dm.prompts(), dm.calibrationOptions());
    TMainForm form(model, dm.window());
    form.show();
    QApplication::processEvents();
    int readings = 0;
    QObject::connect(&model.m, &MessageLog::appended, &form, [&](const QString& line) {
      // The fifth reading of point 3: the log scrolls, pictures 1, 2, 4 shown.
      if (model.CurrentPoint() != 3 || !line.startsWith(QStringLiteral("<- "))) return;
      if (++readings != 5) return;
      QApplication::processEvents();
      saved = form.grab().save(QDir(dir).filePath(QStringLiteral("calibration.png")));
    });
    model.btConnectClick();
    model.rgModeClick(CalibrMode::Automatic);
    for (int point : {1, 2, 4, 3}) model.btwClick(point);
    model.btDisconnectClick();
    form.close();
    PortBracket port(s);
    SendServiceCommand(s, password, reg::kServiceCalibration, reg::kCalibrationLeave);
  });
  return saved;
}

}  // namespace vmk
