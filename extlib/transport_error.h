#pragma once
// A port failure: the port is not open, has gone, or a write failed. A
// device that is silent or answers badly is not a transport error; that is
// a `ReplyFrame` the caller judges.

#include <QString>
#include <stdexcept>

namespace vmk {

// Base of every error an operation may leave to the one place that shows it
// under the application title.
class Error : public std::runtime_error {
 public:
  explicit Error(const QString& message)
      : std::runtime_error(message.toStdString()), m_message(message) {}
  const QString& message() const { return m_message; }

 private:
  QString m_message;
};

class TransportError : public Error {
 public:
  using Error::Error;
};

// What one device answered cannot be decoded (an identity whose variant
// character is no digit): that device is at fault, not the port, and an
// operation over several devices goes on with the next.
class DeviceDataError : public Error {
 public:
  using Error::Error;
};

}  // namespace vmk
