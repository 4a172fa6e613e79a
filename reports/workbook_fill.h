#pragma once
// The parts of a workbook with the named values in their cells: the
// engine's work between reading the template's zip and writing the
// output's.

#include <QList>
#include <QString>
#include <optional>

#include "reports/xlsx_template.h"
#include "reports/zip_archive.h"

namespace vmk::xlsx {

// The output's entries, "[Content_Types].xml" first and the others in the
// template's order; nothing when the entries are no workbook or a part is
// damaged (`why` says what).
std::optional<QList<ZipEntry>> fillWorkbook(const QList<ZipEntry>& entries,
                                            const ReportValues& values, QString* why = nullptr);

// A value's text as a cell holds it: characters XML cannot carry as
// "_xHHHH_", a text that would read as such an escape with its "_"
// escaped, at most the 32767 characters a cell holds.
QString cellText(const QString& text);

}  // namespace vmk::xlsx
