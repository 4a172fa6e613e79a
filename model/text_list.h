#pragma once
// A list of text lines with a selected line: the device list `lbRelay`.

#include <QObject>
#include <QStringList>

namespace vmk {

class TextList : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

  const QStringList& lines() const { return m_lines; }
  int count() const { return int(m_lines.size()); }
  void append(const QString& line);
  void clear();

  // -1 = no line selected.
  int selected() const { return m_selected; }
  void setSelected(int index);

 Q_SIGNALS:
  void appended(const QString& line);
  void cleared();
  void selectedChanged(int index);

 private:
  QStringList m_lines;
  int m_selected = -1;
};

}  // namespace vmk
