// The report engine's template reader: a template workbook made of the
// fuzzer's bytes, either the whole .xlsx file or one of its parts (the
// sheet, the shared strings, the styles, the workbook, the content types)
// inside the commissioning protocol's template. Filling it must give the
// output or the engine's message, and a refused run must leave no output.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include "fuzz/qt_app.h"
#include "reports/xlsx_template.h"
#include "reports/zip_archive.h"

namespace {

using namespace vmk;

const QString& folder() {
  static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/vmkfuzz-XXXXXX")
                                                                     : QDir::tempPath() + QStringLiteral("/vmkfuzz-XXXXXX"));
  static const QString path = dir.path() + QLatin1Char('/');
  return path;
}

// The parts of the unpacked template, in a stable order.
const QList<xlsx::ZipEntry>& templateParts() {
  static const QList<xlsx::ZipEntry> parts = [] {
    QList<xlsx::ZipEntry> out;
    const QDir top(QStringLiteral(VMK_TEMPLATE_DIR));
    QDirIterator it(top.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      QFile f(path);
      if (!f.open(QIODevice::ReadOnly)) __builtin_trap();
      out.append({top.relativeFilePath(path), f.readAll()});
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    if (out.isEmpty()) __builtin_trap();
    return out;
  }();
  return parts;
}

const QStringList kParts = {QStringLiteral("xl/worksheets/sheet1.xml"), QStringLiteral("xl/sharedStrings.xml"),
                            QStringLiteral("xl/styles.xml"), QStringLiteral("xl/workbook.xml"),
                            QStringLiteral("[Content_Types].xml")};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vmk::fuzz::ensureCoreApplication();
  if (size == 0) return 0;
  const int which = data[0] % (kParts.size() + 1);
  const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
  QByteArray workbook = bytes;
  if (which > 0) {
    QList<xlsx::ZipEntry> parts = templateParts();
    for (auto& p : parts)
      if (p.name == kParts[which - 1]) p.data = bytes;
    const auto zipped = xlsx::writeZip(parts, nullptr, QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
    if (!zipped) __builtin_trap();
    workbook = *zipped;
  }
  const QString in = folder() + QStringLiteral("template.xlsx");
  const QString out = folder() + QStringLiteral("report.xlsx");
  QFile f(in);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) __builtin_trap();
  f.write(workbook);
  f.close();
  QFile::remove(out);

  XlsxTemplate rep;
  rep.setTemplate(in);
  rep.setValue(QStringLiteral("pu1"), QStringLiteral("ВМК-01.01\nлиния 2"));
  rep.setValue(QStringLiteral("pu2"), qint64(1234));
  rep.setValue(QStringLiteral("pu3"), QStringLiteral("<&>\""));
  rep.setOutputFile(out);
  QString error;
  const bool ok = rep.run(&error);
  if (!ok && (error.isEmpty() || QFile::exists(out))) __builtin_trap();
  return 0;
}
