#include "journals/journal_grids.h"

namespace vmk::journals {

namespace {

QStringList captions(const QList<HeaderSection>& sections) {
  QStringList out;
  for (const HeaderSection& s : sections) out << s.caption;
  return out;
}

}  // namespace

const QList<HeaderSection>& eventSections() {
  static const QList<HeaderSection> sections = [] {
    QList<HeaderSection> s{{QStringLiteral("Номер"), 50},
                           {QStringLiteral("Дата и время"), 150},
                           {QStringLiteral("Событие"), 200},
                           {QStringLiteral("Информация"), 240}};
    for (const char* bit : {"WDT", "Dout5", "Dout4", "Dout3", "Dout2", "Dout1", "Din6", "Din5",
                            "Din4", "Din3", "Din2", "Din1"})
      s.append({QString::fromLatin1(bit), 41});
    return s;
  }();
  return sections;
}

const QList<HeaderSection>& statSections() {
  static const QList<HeaderSection> sections{{QStringLiteral("№"), 50},
                                             {QStringLiteral("Параметр"), 450},
                                             {QStringLiteral("Значение"), 150}};
  return sections;
}

const QList<HeaderSection>& alarmSections() {
  static const QList<HeaderSection> sections{{QStringLiteral("Дата и время"), 200},
                                             {QStringLiteral("Авария"), 150}};
  return sections;
}

const QList<int>& statColumnWidths() {
  static const QList<int> widths{46, 450, 148};
  return widths;
}

const QList<int>& alarmColumnWidths() {
  static const QList<int> widths{196, 150, 116, 114, 64};
  return widths;
}

QStringList eventColumnNames() { return captions(eventSections()); }

QStringList statColumnNames() { return captions(statSections()); }

QStringList alarmColumnNames() {
  return captions(alarmSections())
         << QStringLiteral("Запись") << QStringLiteral("Ктт") << QStringLiteral("КттЗНЗ");
}

}  // namespace vmk::journals
