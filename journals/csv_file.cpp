#include "journals/csv_file.h"

#include <QSaveFile>

namespace vmk {

namespace {

QString field(const QString& text) {
  const bool quoted = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                      text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
  if (!quoted) return text;
  QString out = text;
  out.replace(QLatin1Char('"'), QStringLiteral("\"\""));
  return QLatin1Char('"') + out + QLatin1Char('"');
}

void appendLine(QString& out, const QStringList& fields) {
  for (int i = 0; i < fields.size(); ++i) {
    if (i) out += QLatin1Char(',');
    out += field(fields[i]);
  }
  out += QStringLiteral("\r\n");
}

}  // namespace

QString csvText(const QStringList& header, const QList<QStringList>& rows) {
  QString out;
  appendLine(out, header);
  for (const QStringList& r : rows) appendLine(out, r);
  return out;
}

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
