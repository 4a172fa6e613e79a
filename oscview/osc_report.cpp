#include "oscview/osc_report.h"

#include <cmath>

#include "csv/csv_text.h"
#include "oscview/osc_math.h"

namespace vmk::oscview {

QString figure(double v, int decimals) { return std::isnan(v) ? QStringLiteral("-") : QString::number(v, 'f', decimals); }

QString infoText(const Recording& rec, const QString& fileName) {
  QStringList out;
  out << QStringLiteral("Файл: %1").arg(fileName);
  out << QStringLiteral("Станция: %1").arg(rec.station);
  out << QStringLiteral("Устройство: %1").arg(rec.device);
  out << QStringLiteral("Ревизия: %1; данные: %2%3")
             .arg(rec.revision)
             .arg(rec.dataForm, rec.singleFile ? QStringLiteral(" (один файл .cff)") : QString());
  out << QStringLiteral("Частота сети: %1 Гц").arg(rec.lineFrequency, 0, 'g', 6);
  if (rec.rates.isEmpty()) {
    out << QStringLiteral("Частота дискретизации: по меткам времени отсчётов, множитель %1").arg(rec.timemult, 0, 'g', 9);
  } else {
    QStringList rates;
    for (const SampleRate& r : rec.rates) rates << QStringLiteral("%1 Гц до отсчёта %2").arg(r.hz, 0, 'g', 9).arg(r.lastSample);
    out << QStringLiteral("Частоты дискретизации: %1").arg(rates.join(QStringLiteral("; ")));
  }
  out << QStringLiteral("Отсчётов: %1").arg(rec.sampleCount());
  out << QStringLiteral("Первый отсчёт: %1").arg(rec.firstStamp);
  out << QStringLiteral("Пуск: %1 (%2 мс от первого отсчёта)").arg(rec.triggerStamp).arg(rec.triggerOffsetMs, 0, 'f', 3);
  if (!rec.timeCode.isEmpty() || !rec.localCode.isEmpty())
    out << QStringLiteral("Время: time_code %1, local_code %2").arg(rec.timeCode, rec.localCode);
  if (!rec.timeQuality.isEmpty())
    out << QStringLiteral("Качество времени: %1, секунда координации: %2").arg(rec.timeQuality, rec.leapSecond);
  if (rec.sampleCount() > 0)
    out << QStringLiteral("Время: от %1 до %2 мс от пуска")
               .arg(rec.timeMs(0), 0, 'f', 3)
               .arg(rec.timeMs(rec.sampleCount() - 1), 0, 'f', 3);
  out << QStringLiteral("Аналоговые каналы: %1").arg(rec.analog.size());
  for (int c = 0; c < rec.analog.size(); ++c) {
    const AnalogChannel& ch = rec.analog[c];
    out << QStringLiteral("  A%1 %2, фаза %3, %4, a=%5 b=%6, %7/%8 %9")
               .arg(ch.index)
               .arg(analogName(rec, c), ch.phase.isEmpty() ? QStringLiteral("-") : ch.phase,
                    ch.unit.isEmpty() ? QStringLiteral("-") : ch.unit)
               .arg(ch.a, 0, 'g', 9)
               .arg(ch.b, 0, 'g', 9)
               .arg(ch.primary, 0, 'g', 9)
               .arg(ch.secondary, 0, 'g', 9)
               .arg(ch.secondaryValues ? QStringLiteral("S") : QStringLiteral("P"));
  }
  out << QStringLiteral("Дискретные каналы: %1").arg(rec.digital.size());
  for (int c = 0; c < rec.digital.size(); ++c)
    out << QStringLiteral("  D%1 %2, нормальное %3").arg(rec.digital[c].index).arg(digitalName(rec, c)).arg(rec.digital[c].normal);
  if (!rec.header.isEmpty()) out << QStringLiteral("Заголовок (.hdr): %1 символов").arg(rec.header.size());
  if (!rec.information.isEmpty()) out << QStringLiteral("Сведения (.inf): %1 символов").arg(rec.information.size());
  return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QList<QStringList> analysisRows(const Recording& rec, const AnalysisAt& at) {
  QList<QStringList> rows;
  const QString ref = at.reference >= 0 ? analogName(rec, at.reference) : QStringLiteral("-");
  const QString source = at.frequencyChannel >= 0 ? QStringLiteral("по %1").arg(analogName(rec, at.frequencyChannel))
                                                  : QStringLiteral("частота сети");
  rows << QStringList{QStringLiteral("Анализ: %1 мс от пуска, отсчёт %2, период %3 Гц (%4) по %5 отсчётам, опорный канал %6")
                          .arg(at.ms, 0, 'f', 3)
                          .arg(at.sample + 1)
                          .arg(at.window.hz, 0, 'f', 3)
                          .arg(source)
                          .arg(at.window.count)
                          .arg(ref)};
  rows << QStringList{QStringLiteral("Канал"), QStringLiteral("Действ."), QStringLiteral("Первая гарм."),
                      QStringLiteral("Угол, °"), QStringLiteral("f, Гц"), QStringLiteral("THD, %")};
  for (int c = 0; c < at.channels.size(); ++c) {
    const ChannelFigures& f = at.channels[c];
    rows << QStringList{analogName(rec, c), figure(f.rms, 3), figure(Phasor::of(f.fundamental).rms, 3),
                        figure(at.relativeDeg(f.fundamental), 2), figure(f.hz, 3), figure(f.thd, 2)};
  }
  for (int g = 0; g < at.groups.size(); ++g) {
    const Sequence& s = at.sequences[g];
    rows << QStringList{QStringLiteral("Симметричные составляющие %1").arg(at.groups[g].name)};
    rows << QStringList{QStringLiteral("Составляющая"), QStringLiteral("Модуль"), QStringLiteral("Угол, °")};
    const QString q = quantity(rec, at.groups[g]);
    const std::pair<QString, std::complex<double>> parts[] = {{QStringLiteral("Прямая ") + q + QLatin1Char('1'), s.positive},
                                                              {QStringLiteral("Обратная ") + q + QLatin1Char('2'), s.negative},
                                                              {QStringLiteral("Нулевая 3") + q + QLatin1Char('0'), s.zero3}};
    for (const auto& [name, z] : parts)
      rows << QStringList{name, figure(Phasor::of(z).rms, 3), figure(at.relativeDeg(z), 2)};
  }
  rows << QStringList{QStringLiteral("Гармоники, % первой")};
  QStringList head{QStringLiteral("Канал")};
  for (int h = 2; h <= kMaxHarmonic; ++h) head << QString::number(h);
  head << QStringLiteral("THD");
  rows << head;
  for (int c = 0; c < at.channels.size(); ++c) {
    QStringList row{analogName(rec, c)};
    for (int h = 2; h <= kMaxHarmonic; ++h) row << figure(at.channels[c].harmonicPercent[std::size_t(h)], 2);
    row << figure(at.channels[c].thd, 2);
    rows << row;
  }
  return rows;
}

QString rowsAsText(const QList<QStringList>& rows) {
  QString out;
  for (const QStringList& row : rows) out += row.join(QLatin1Char('\t')) + QLatin1Char('\n');
  return out;
}

QByteArray rowsAsCsv(const QList<QStringList>& rows) {
  QByteArray out("\xEF\xBB\xBF");
  for (const QStringList& row : rows) out += csvRecord(row).toUtf8();
  return out;
}

}  // namespace vmk::oscview
