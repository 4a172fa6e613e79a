#pragma once
// CSV text as spreadsheets and CSV readers take it: comma-separated
// fields, each record ended by CR LF; a field holding a comma, a double
// quote or a line break is wrapped in double quotes with its own quotes
// doubled. The journal tables and the oscillogram viewer's export both
// write it this way.

#include <QList>
#include <QString>
#include <QStringList>

namespace vmk {

// One field as it is written.
QString csvField(const QString& text);
// One record: the fields, comma-separated, with its CR LF.
QString csvRecord(const QStringList& fields);
// A header record and the rows.
QString csvText(const QStringList& header, const QList<QStringList>& rows);

}  // namespace vmk
