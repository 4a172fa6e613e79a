#include "shell/param_row_json.h"

namespace vmk {

QJsonArray jsonNumbers(const QVector<int>& values) {
  QJsonArray a;
  for (int v : values) a.append(v);
  return a;
}

QJsonArray jsonNumbers(const QVector<std::uint16_t>& values) {
  QJsonArray a;
  for (std::uint16_t v : values) a.append(int(v));
  return a;
}

QJsonObject paramRowJson(const ParamRow& row) {
  return QJsonObject{{QStringLiteral("row"), row.row},
                     {QStringLiteral("caption"), row.caption},
                     {QStringLiteral("text"), row.text},
                     {QStringLiteral("registers"), jsonNumbers(row.registers)},
                     {QStringLiteral("words"), jsonNumbers(row.words)}};
}

}  // namespace vmk
