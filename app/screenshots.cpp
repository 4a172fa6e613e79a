#include "app/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>

#include "app/data_module.h"
#include "app/main_window.h"
#include "app/splash_form.h"
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
  BlockTabSheet(dm.ws(), false);
  bool ok = true;
  QTabWidget* pages = window.pages();
  for (int page = 0; page < pages->count(); ++page) {
    pages->setCurrentIndex(page);
    QApplication::processEvents();
    const QString file = QStringLiteral("page%1-%2.png").arg(page).arg(pages->widget(page)->objectName());
    ok = window.grab().save(QDir(dir).filePath(file)) && ok;
  }
  return ok;
}

}  // namespace vmk
