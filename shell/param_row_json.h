#pragma once
// A parameter or setting row in vmkctl's --json output: the same fields
// for every verb that prints rows (params get, set, show, edit, check).

#include <QJsonArray>
#include <QJsonObject>
#include <QVector>
#include <cstdint>

#include "params/param_row.h"

namespace vmk {

QJsonArray jsonNumbers(const QVector<int>& values);
QJsonArray jsonNumbers(const QVector<std::uint16_t>& values);

// "row", "caption", "text", "registers", "words".
QJsonObject paramRowJson(const ParamRow& row);

}  // namespace vmk
