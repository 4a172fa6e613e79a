// xlsxpack OUT.xlsx FOLDER: zips the unpacked parts of a workbook, as the
// repository keeps the report templates, into the workbook the program
// reads. "[Content_Types].xml" and "_rels/.rels" come first, the other
// parts follow by name; the entries carry a fixed date, so the same parts
// give the same file.

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSaveFile>
#include <cstdio>

#include "reports/zip_archive.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: xlsxpack OUT.xlsx FOLDER\n");
    return 2;
  }
  const QDir folder(args[2]);
  QStringList names;
  QDirIterator it(folder.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) names << folder.relativeFilePath(it.next());
  names.sort();
  for (const QString& first : {QStringLiteral("_rels/.rels"), QStringLiteral("[Content_Types].xml")})
    if (names.removeAll(first)) names.prepend(first);

  QList<vmk::xlsx::ZipEntry> entries;
  for (const QString& name : names) {
    QFile f(folder.filePath(name));
    if (!f.open(QIODevice::ReadOnly)) {
      std::fprintf(stderr, "xlsxpack: %s: %s\n", qPrintable(f.fileName()), qPrintable(f.errorString()));
      return 1;
    }
    entries.append({name, f.readAll()});
  }
  QString why;
  const auto zip = vmk::xlsx::writeZip(entries, &why, QDateTime(QDate(2011, 4, 18), QTime(12, 0)));
  QSaveFile out(args[1]);
  if (!zip || !out.open(QIODevice::WriteOnly) || out.write(*zip) != zip->size() || !out.commit()) {
    std::fprintf(stderr, "xlsxpack: %s: %s\n", qPrintable(args[1]),
                 qPrintable(zip ? out.errorString() : why));
    return 1;
  }
  return 0;
}
