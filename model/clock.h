#pragma once
// The PC clock, injectable so that tests can set the date.

#include <QDateTime>
#include <functional>

namespace vmk {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual QDateTime now() const = 0;
};

class SystemClock : public Clock {
 public:
  QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class FixedClock : public Clock {
 public:
  explicit FixedClock(QDateTime at) : m_at(std::move(at)) {}
  QDateTime now() const override { return m_at; }
  void set(QDateTime at) { m_at = std::move(at); }
 private:
  QDateTime m_at;
};

}  // namespace vmk
