#pragma once
// What page 1 ("Текущие значения") shows besides its label texts (those
// are in MonitorPage::labels): the six input lamps, the choice of primary or
// secondary values, and the clock source of the synchronisation command
// with its two pickers. Operations write it; the window mirrors it and
// writes the user's choices back.

#include <QDate>
#include <QObject>
#include <QTime>
#include <array>

namespace vmk {

class LiveView : public QObject {
  Q_OBJECT
 public:
  static constexpr int kInputCount = 6;

  using QObject::QObject;

  // Lamp `shpInputN` (input 1..6): lit (green) or dark (button face).
  bool isInputLit(int input) const;
  void setInputLit(int input, bool lit);

  // rbFirst "Первичные значения" (true, selected at start) or rbSecond.
  bool primaryValues() const { return m_primary; }
  void setPrimaryValues(bool primary);

  // rbSetDate "Задать дату и время" (true) or rbAutoTime "Дата и время ПЭВМ".
  bool manualClock() const { return m_manualClock; }
  void setManualClock(bool manual);

  // dtpDate and dtpTime; visible exactly while the manual clock is chosen.
  QDate pickerDate() const { return m_date; }
  QTime pickerTime() const { return m_time; }
  void setPickerDate(const QDate& date);
  void setPickerTime(const QTime& time);
  bool pickersVisible() const { return m_pickersVisible; }
  void setPickersVisible(bool visible);

 Q_SIGNALS:
  void inputChanged(int input, bool lit);
  void primaryValuesChanged(bool primary);
  void manualClockChanged(bool manual);
  void pickerDateChanged(const QDate& date);
  void pickerTimeChanged(const QTime& time);
  void pickersVisibleChanged(bool visible);

 private:
  std::array<bool, kInputCount> m_inputs{};
  bool m_primary = true;
  bool m_manualClock = false;
  QDate m_date;
  QTime m_time;
  bool m_pickersVisible = false;
};

}  // namespace vmk
