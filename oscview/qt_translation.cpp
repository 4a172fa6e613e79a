#include "oscview/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vmk::oscview {

QTranslator* installQtTranslation(QCoreApplication& app) {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  auto* translator = new QTranslator(&app);
  if (translator->load(QStringLiteral("qtbase_ru"), folder) &&
      QCoreApplication::installTranslator(translator))
    return translator;
  delete translator;
  qWarning("Qt's Russian translation qtbase_ru.qm was not found in %s: Qt's dialogs stay in English",
           qPrintable(folder));
  return nullptr;
}

}  // namespace vmk::oscview
