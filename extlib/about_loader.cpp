#include "extlib/about_loader.h"

#include <QDir>
#include <QLibrary>

#include "extlib/charset.h"

namespace vmk {

QString aboutLibraryPath(const QString& folder) {
  return QDir(folder).filePath(QStringLiteral("About"));
}

AboutOutcome ShowAbout(const QString& folder, void* parentWindow, const QString& title,
                       const QString& text) {
  using ShowAboutFrm = void (*)(void*, const char*, const char*);
  // Kept loaded for the rest of the run, like the other outside libraries.
  QLibrary library(aboutLibraryPath(folder));
  if (!library.load()) return AboutOutcome::LibraryNotLoaded;
  auto entry = reinterpret_cast<ShowAboutFrm>(library.resolve("ShowAboutFrm"));
  if (!entry) return AboutOutcome::EntryMissing;
  const QByteArray title1251 = cp1251::encode(title);
  const QByteArray text1251 = cp1251::encode(text);
  entry(parentWindow, title1251.constData(), text1251.constData());
  return AboutOutcome::Shown;
}

}  // namespace vmk
