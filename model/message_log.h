#pragma once
// A read-only memo: `Memo1` (connection report), `mmMess` (live values,
// commands, service), the calibration log `m`.

#include <QObject>
#include <QStringList>

namespace vmk {

class MessageLog : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

  // A memo keeps its newest lines only: days of auto-refresh add a line a
  // tick. The memo widgets hold the same number of blocks.
  static constexpr int kMaxLines = 10000;

  const QStringList& lines() const { return m_lines; }
  void append(const QString& line);
  void clear();

 Q_SIGNALS:
  void appended(const QString& line);
  void cleared();

 private:
  QStringList m_lines;
};

}  // namespace vmk
