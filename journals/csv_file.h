#pragma once
// A table written as a CSV file for spreadsheets: UTF-8 with a byte-order
// mark (so that spreadsheet programs take the Cyrillic texts as UTF-8),
// then csv/csv_text's records, the header first. The file is replaced as
// a whole or not at all.

#include <QList>
#include <QString>
#include <QStringList>

namespace vmk {

// Writes the file. False with `error` set (the system's reason) when it
// could not be written; an existing file is then left as it was.
bool writeCsvFile(const QString& path, const QStringList& header, const QList<QStringList>& rows,
                  QString* error = nullptr);

}  // namespace vmk
