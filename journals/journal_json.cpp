#include "journals/journal_json.h"

#include <QJsonArray>

namespace vmk::journals {

namespace {

QString isoStamp(const QDateTime& moment, int hundredths) {
  return moment.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + QLatin1Char('.') +
         QStringLiteral("%1").arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

QJsonObject states(std::uint8_t bits, const QStringList& names) {
  // The names run from bit 5 down to bit 0.
  QJsonObject o;
  for (int i = 0; i < names.size(); ++i) o.insert(names[i], bool(bits >> (names.size() - 1 - i) & 1));
  return o;
}

}  // namespace

QJsonObject eventJson(const EventEntry& e) {
  static const QStringList outputs{"WDT", "Dout5", "Dout4", "Dout3", "Dout2", "Dout1"};
  static const QStringList inputs{"Din6", "Din5", "Din4", "Din3", "Din2", "Din1"};
  QJsonObject o{{QStringLiteral("record"), e.record},
                {QStringLiteral("code"), e.code},
                {QStringLiteral("noEvent"), e.noEvent},
                {QStringLiteral("cells"), QJsonArray::fromStringList(e.cells)}};
  if (e.noEvent) {
    for (const char* key : {"time", "event", "info", "subCode", "value", "primaryCurrent",
                            "outputs", "inputs"})
      o.insert(QString::fromLatin1(key), QJsonValue::Null);
    return o;
  }
  o.insert(QStringLiteral("time"),
           e.stamp.isValid() ? QJsonValue(isoStamp(e.stamp, e.hundredths)) : QJsonValue::Null);
  o.insert(QStringLiteral("event"), e.texts.name);
  o.insert(QStringLiteral("info"), e.texts.info);
  o.insert(QStringLiteral("subCode"), e.subCode);
  o.insert(QStringLiteral("value"), e.value);
  if (e.texts.current) {
    o.insert(QStringLiteral("primaryCurrent"), e.texts.current->amperes());
    o.insert(QStringLiteral("beyondRange"), e.texts.current->above);
  } else {
    o.insert(QStringLiteral("primaryCurrent"), QJsonValue::Null);
  }
  o.insert(QStringLiteral("outputs"), states(e.outputs, outputs));
  o.insert(QStringLiteral("inputs"), states(e.inputs, inputs));
  return o;
}

QJsonObject counterJson(const StatCounter& c) {
  return {{QStringLiteral("number"), c.index + 1},
          {QStringLiteral("name"), c.name},
          {QStringLiteral("value"), int(c.value)}};
}

QJsonObject alarmJson(const AlarmRow& r) {
  auto orNull = [&r](int v) { return r.valid ? QJsonValue(v) : QJsonValue(QJsonValue::Null); };
  return {{QStringLiteral("entry"), r.entry},
          {QStringLiteral("recorded"), r.valid},
          {QStringLiteral("time"), r.valid ? QJsonValue(r.when.toString(Qt::ISODate))
                                           : QJsonValue(QJsonValue::Null)},
          {QStringLiteral("phaseRatio"), orNull(r.phaseRatio)},
          {QStringLiteral("earthRatio"), orNull(r.earthRatio)}};
}

}  // namespace vmk::journals
