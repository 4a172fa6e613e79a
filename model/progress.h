#pragma once
// A progress bar or gauge: `ProgressBar1` over status panel 4, the page
// gauges `Gauge1`, `gugEvent`, `GugStat`, `GugAlarm`.

#include <QObject>

namespace vmk {

class Progress : public QObject {
  Q_OBJECT
 public:
  explicit Progress(int minimum = 0, int maximum = 100, QObject* parent = nullptr)
      : QObject(parent), m_minimum(minimum), m_maximum(maximum) {}

  bool isVisible() const { return m_visible; }
  int minimum() const { return m_minimum; }
  int maximum() const { return m_maximum; }
  int position() const { return m_position; }

  void setVisible(bool visible);
  void setRange(int minimum, int maximum);
  void setMaximum(int maximum) { setRange(m_minimum, maximum); }
  void setPosition(int position);

 Q_SIGNALS:
  void changed();

 private:
  bool m_visible = false;
  int m_minimum;
  int m_maximum;
  int m_position = 0;
};

}  // namespace vmk
