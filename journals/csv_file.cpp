#include "journals/csv_file.h"

#include <QSaveFile>

#include "csv/csv_text.h"

namespace vmk {

bool writeCsvFile(const QString& path, const QStringList& header, const QList<QStringList>& rows,
                  QString* error) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error) *error = file.errorString();
    return false;
  }
  const QByteArray bytes = "\xEF\xBB\xBF" + csvText(header, rows).toUtf8();
  // An unfinished QSaveFile is discarded: the old file stays.
  if (file.write(bytes) != bytes.size() || !file.commit()) {
    if (error) *error = file.errorString();
    return false;
  }
  return true;
}

}  // namespace vmk
