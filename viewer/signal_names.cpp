#include "viewer/signal_names.h"

#include <QStringList>
#include <array>

namespace vmk::view {

namespace {

QStringList numbered(const QString& pattern, int from, int to) {
  QStringList out;
  for (int i = from; i <= to; ++i) out << pattern.arg(i);
  return out;
}

const std::array<QStringList, 8>& lists() {
  static const std::array<QStringList, 8> all = [] {
    std::array<QStringList, 8> l;
    l[kIndicators] = QStringList{
        QStringLiteral("Пуск МТЗ-1"), QStringLiteral("Пуск МТЗ-2"), QStringLiteral("Пуск МТЗ-3"),
        QStringLiteral("Пуск ЗНЗ"), QStringLiteral("Срабатывание МТЗ-1"),
        QStringLiteral("Срабатывание МТЗ-2"), QStringLiteral("Срабатывание МТЗ-3"),
        QStringLiteral("Срабатывание ЗНЗ"), QStringLiteral("Срабатывание УРОВ"),
        QStringLiteral("АПВ 1-й ступени"), QStringLiteral("АПВ 2-й ступени")}
        + numbered(QStringLiteral("Дискретный вход %1"), 1, 6)
        + QStringList{QStringLiteral("Ускорение МТЗ"), QStringLiteral("Неисправность устройства"),
                      QStringLiteral("Внешнее блокирование"), QStringLiteral("Группа уставок 2"),
                      QStringLiteral("Квитирование")};
    l[kRelays] = QStringList{
        QStringLiteral("Срабатывание МТЗ-1"), QStringLiteral("Срабатывание МТЗ-2"),
        QStringLiteral("Срабатывание МТЗ-3"), QStringLiteral("Срабатывание ЗНЗ"),
        QStringLiteral("Пуск МТЗ-1"), QStringLiteral("Пуск МТЗ-2"), QStringLiteral("Пуск МТЗ-3"),
        QStringLiteral("Пуск ЗНЗ"), QStringLiteral("Срабатывание УРОВ"),
        QStringLiteral("Команда АПВ 1-й ступени"), QStringLiteral("Команда АПВ 2-й ступени"),
        QStringLiteral("Неисправность устройства"), QStringLiteral("Вызывная сигнализация"),
        QStringLiteral("Ускорение МТЗ"), QStringLiteral("Дистанционная команда"),
        QStringLiteral("Отключение от дискретного входа"),
        QStringLiteral("Включение от дискретного входа"), QStringLiteral("Блокировка АПВ")};
    l[kInputs] = QStringList{
        QStringLiteral("Блокировка МТЗ-1"), QStringLiteral("Блокировка МТЗ-2"),
        QStringLiteral("Блокировка МТЗ-3"), QStringLiteral("Блокировка ЗНЗ"),
        QStringLiteral("Блокировка АПВ"), QStringLiteral("Пуск УРОВ"),
        QStringLiteral("Выключатель включен"), QStringLiteral("Выключатель отключен"),
        QStringLiteral("Внешнее отключение"), QStringLiteral("Квитирование"),
        QStringLiteral("Переключение группы уставок"), QStringLiteral("Пуск осциллографа"),
        QStringLiteral("Ввод ускорения МТЗ"), QStringLiteral("Инверсия входа"),
        QStringLiteral("Сигнализация")};
    l[kActiveStages] = QStringList{
        QStringLiteral("МТЗ-1"), QStringLiteral("МТЗ-2"), QStringLiteral("МТЗ-3"),
        QStringLiteral("ЗНЗ"), QStringLiteral("АПВ 1-й ступени"), QStringLiteral("УРОВ"),
        QStringLiteral("АПВ 2-й ступени"), QStringLiteral("ЗНЗ с действием на сигнал"),
        QStringLiteral("МТЗ-3 с действием на сигнал"), QStringLiteral("Контроль цепей отключения"),
        QStringLiteral("Самодиагностика"), QStringLiteral("Запрет АПВ при УРОВ"),
        QStringLiteral("Самовозврат выходных реле"), QStringLiteral("Журнал событий"),
        QStringLiteral("Осциллограф")};
    l[kBlockings] = QStringList{
        QStringLiteral("Блокирование МТЗ-1"), QStringLiteral("Блокирование МТЗ-2"),
        QStringLiteral("Блокирование МТЗ-3"), QStringLiteral("Блокирование ЗНЗ"),
        QStringLiteral("Блокирование АПВ"), QStringLiteral("Блокирование УРОВ")};
    l[kAccelerations] = QStringList{QStringLiteral("Ускорение МТЗ-1"),
                                    QStringLiteral("Ускорение МТЗ-2"),
                                    QStringLiteral("Ускорение МТЗ-3")};
    l[kCharacteristics] =
        QStringList{QStringLiteral("независимая характеристика"),
                    QStringLiteral("нормально инверсная характеристика"),
                    QStringLiteral("сильно инверсная характеристика"),
                    QStringLiteral("чрезвычайно инверсная характеристика"),
                    QStringLiteral("крутая (РТВ-1)"), QStringLiteral("пологая (РТ-80)")}
        + numbered(QStringLiteral("характеристика %1 (не поддерживается)"), 7, 20);
    l[kRecorderChannels] =
        QStringList{QStringLiteral("Пуск МТЗ-1"), QStringLiteral("Пуск МТЗ-2"),
                    QStringLiteral("Пуск МТЗ-3"), QStringLiteral("Пуск ЗНЗ"),
                    QStringLiteral("Срабатывание МТЗ-1"), QStringLiteral("Срабатывание МТЗ-2"),
                    QStringLiteral("Срабатывание МТЗ-3"), QStringLiteral("Срабатывание ЗНЗ"),
                    QStringLiteral("Срабатывание УРОВ"), QStringLiteral("АПВ 1-й ступени"),
                    QStringLiteral("АПВ 2-й ступени")}
        + numbered(QStringLiteral("Дискретный вход %1"), 1, 6)
        + numbered(QStringLiteral("Выходное реле %1"), 1, 5)
        + QStringList{QStringLiteral("Ускорение МТЗ"), QStringLiteral("Блокировка МТЗ-1"),
                      QStringLiteral("Блокировка МТЗ-2"), QStringLiteral("Блокировка МТЗ-3"),
                      QStringLiteral("Блокировка ЗНЗ"), QStringLiteral("Блокировка АПВ"),
                      QStringLiteral("Неисправность устройства"), QStringLiteral("Квитирование"),
                      QStringLiteral("Группа уставок 2"), QStringLiteral("Пуск осциллографа")};
    return l;
  }();
  return all;
}

}  // namespace

int signalCount(int kind) { return kind >= 0 && kind < 8 ? int(lists()[kind].size()) : 0; }

QString signalName(int kind, int index) {
  if (index < 0 || index >= signalCount(kind)) return {};
  return lists()[kind][index];
}

}  // namespace vmk::view
