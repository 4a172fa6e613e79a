// vmkosc: the oscillogram viewer on its own, so that a file manager can
// open .cfg files with it.
//   vmkosc [FILE.cfg] [--screenshot PNG]

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "oscview/osc_window.h"
#include "oscview/qt_translation.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("vmkosc"));
  vmk::oscview::installQtTranslation(app);
  QString file, shot;
  const QStringList args = app.arguments().mid(1);
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size()) shot = args[++i];
    else file = args[i];
  }
  vmk::oscview::OscViewWindow window;
  window.show();
  if (!shot.isEmpty()) {
    window.setShowErrors(false);
    const QString error = file.isEmpty() ? QStringLiteral("no file") : window.open(file);
    if (!error.isEmpty()) {
      fprintf(stderr, "%s\n", qPrintable(error));
      return 1;
    }
    // The cursors over the fault's first cycles.
    window.setCursorTime(0, 0);
    window.setCursorTime(1, 40);
    QApplication::processEvents();
    return window.grab().save(shot) ? 0 : 1;
  }
  if (!file.isEmpty()) window.open(file);
  return app.exec();
}
