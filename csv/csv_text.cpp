#include "csv/csv_text.h"

namespace vmk {

QString csvField(const QString& text) {
  const bool quoted = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                      text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
  if (!quoted) return text;
  QString out = text;
  out.replace(QLatin1Char('"'), QStringLiteral("\"\""));
  return QLatin1Char('"') + out + QLatin1Char('"');
}

QString csvRecord(const QStringList& fields) {
  QString out;
  for (int i = 0; i < fields.size(); ++i) {
    if (i) out += QLatin1Char(',');
    out += csvField(fields[i]);
  }
  return out + QStringLiteral("\r\n");
}

QString csvText(const QStringList& header, const QList<QStringList>& rows) {
  QString out = csvRecord(header);
  for (const QStringList& r : rows) out += csvRecord(r);
  return out;
}

}  // namespace vmk
