// The report engine's template reader: a template workbook made of the
// fuzzer's bytes, either the whole .xlsx file or one of its parts (the
// sheet, the shared strings, the styles, the workbook, the content types)
// inside the commissioning protocol's template (its sheet and strings cut
// down to a few cells). Filling it must give the
// output's parts or the reason it is refused, and a filled workbook must
// zip and read back with the same parts' contents (checked for one input
// in sixteen).
//
// The work runs in memory, as XlsxTemplate::run does between reading the
// template file and writing the output (tests/reports check the files).
// The archive is read with a smaller unpacked limit than a real template
// gets, so that inputs which unpack to tens of megabytes do not slow the
// run to a few executions a second; what the limit refuses is refused
// the same way.

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include "fuzz/qt_app.h"
#include "reports/workbook_fill.h"
#include "reports/zip_archive.h"
#include "reports/zlib_zip.h"

namespace {

using namespace vmk;

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

// The template with a sheet and shared strings of a few cells in place of
// its own: a part the fuzzer replaces is then read beside small ones, and
// the run costs what that part costs.
const QList<xlsx::ZipEntry>& smallTemplate() {
  static const QList<xlsx::ZipEntry> parts = [] {
    QList<xlsx::ZipEntry> out = templateParts();
    for (auto& p : out) {
      if (p.name == QLatin1String("xl/worksheets/sheet1.xml"))
        p.data = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>
<row r="1"><c r="A1" s="1" t="s"><v>0</v></c><c r="B1" s="3" t="s"><v>1</v></c></row>
<row r="2"><c r="A2" s="2" t="inlineStr"><is><t>{{pu2}}</t></is></c><c r="B2" s="3" t="s"><v>2</v></c></row>
</sheetData></worksheet>)";
      if (p.name == QLatin1String("xl/sharedStrings.xml"))
        p.data = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="3" uniqueCount="3">
<si><t>Устройство</t></si><si><t>{{pu1}}</t></si><si><r><t>{{p</t></r><r><t>u3}} и {{none}}</t></r></si></sst>)";
    }
    // The small template fills as the real one does.
    if (!xlsx::fillWorkbook(out, {})) __builtin_trap();
    return out;
  }();
  return parts;
}

const QStringList kParts = {QStringLiteral("xl/worksheets/sheet1.xml"), QStringLiteral("xl/sharedStrings.xml"),
                            QStringLiteral("xl/styles.xml"), QStringLiteral("xl/workbook.xml"),
                            QStringLiteral("[Content_Types].xml")};

const ReportValues& values() {
  static const ReportValues v{{QStringLiteral("pu1"), QStringLiteral("ВМК-01.01\nлиния 2")},
                              {QStringLiteral("pu2"), qint64(1234)},
                              {QStringLiteral("pu3"), QStringLiteral("<&>\"")}};
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vmk::fuzz::ensureCoreApplication();
  if (size == 0) return 0;
  const int which = data[0] % (kParts.size() + 1);
  const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
  QList<xlsx::ZipEntry> parts;
  if (which == 0) {
    xlsx::ZipLimits limits;
    limits.maxUnpacked = 4 * 1024 * 1024;
    QString why;
    std::optional<QList<xlsx::ZipEntry>> read = xlsx::readZip(bytes, &why, limits);
    // The zlib reader of the Windows build takes the same bytes; what it
    // reads is what the build's own reader reads.
    QString zlibWhy;
    const std::optional<QList<xlsx::ZipEntry>> zlibRead = xlsx::zlibzip::readZip(bytes, &zlibWhy, limits);
    if (!zlibRead && zlibWhy.isEmpty()) __builtin_trap();
    if (read && zlibRead && (read->size() != zlibRead->size() || *read != *zlibRead)) __builtin_trap();
    if (!read) {
      if (why.isEmpty()) __builtin_trap();
      return 0;
    }
    parts = std::move(*read);
  } else {
    parts = smallTemplate();
    for (auto& p : parts)
      if (p.name == kParts[which - 1]) p.data = bytes;
  }

  QString why;
  const std::optional<QList<xlsx::ZipEntry>> filled = xlsx::fillWorkbook(parts, values(), &why);
  if (!filled) {
    if (why.isEmpty()) __builtin_trap();
    return 0;
  }
  // Zipping costs more than the filling (a deflate stream's buffers for
  // every part): one input in sixteen goes through the round trip.
  if ((data[0] / (kParts.size() + 1)) % 16 != 0) return 0;
  const auto zipped = xlsx::writeZip(*filled, nullptr, QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
  if (!zipped) __builtin_trap();
  const auto again = xlsx::readZip(*zipped);
  if (!again || again->size() != filled->size()) __builtin_trap();
  for (qsizetype i = 0; i < again->size(); ++i)
    if ((*again)[i].data != (*filled)[i].data) __builtin_trap();
  return 0;
}
