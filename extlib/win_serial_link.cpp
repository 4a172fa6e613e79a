#include "extlib/win_serial_link.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "extlib/serial_messages.h"
#include "extlib/timing.h"
#include "extlib/transport_error.h"

namespace vmk {

namespace {

// The system's text for its last error.
QString lastError() { return qt_error_string(int(::GetLastError())); }

// The driver's error bits (ClearCommError) as the bit set of SerialLink.
int lineErrorBits(DWORD errors) {
  int bits = 0;
  if (errors & CE_FRAME) bits |= 1 << 0;
  if (errors & CE_RXPARITY) bits |= 1 << 1;
  if (errors & CE_OVERRUN) bits |= 1 << 2;
  if (errors & CE_BREAK) bits |= 1 << 3;
  if (errors & CE_IOE) bits |= 1 << 4;
  if (errors & CE_MODE) bits |= 1 << 5;
  if (errors & CE_RXOVER) bits |= 1 << 6;
  if (errors & CE_TXFULL) bits |= 1 << 7;
  return bits;
}

constexpr int kLineErrorIO = 1 << 4;

}  // namespace

QString winDevicePath(const QString& portName) {
  if (portName.contains(QLatin1Char('\\'))) return portName;
  return QStringLiteral("\\\\.\\") + portName;
}

WinSerialLink::WinSerialLink(WinSerialSettings settings)
    : m_settings(std::move(settings)), m_handle(INVALID_HANDLE_VALUE) {}

WinSerialLink::~WinSerialLink() { close(); }

bool WinSerialLink::isOpen() const { return m_handle != INVALID_HANDLE_VALUE; }

bool WinSerialLink::open() {
  if (isOpen()) return true;
  m_gone = false;
  m_timeoutsSet = false;
  const std::wstring path = winDevicePath(m_settings.portName).toStdWString();
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    m_error = lastError();
    return false;
  }
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  bool ok = ::GetCommState(h, &dcb);
  if (ok) {
    dcb.BaudRate = DWORD(m_settings.baudRate > 0 ? m_settings.baudRate : 9600);
    dcb.ByteSize = BYTE(m_settings.dataBits);
    switch (m_settings.parity) {
      case WinSerialSettings::Parity::None: dcb.Parity = NOPARITY; break;
      case WinSerialSettings::Parity::Odd: dcb.Parity = ODDPARITY; break;
      case WinSerialSettings::Parity::Even: dcb.Parity = EVENPARITY; break;
      case WinSerialSettings::Parity::Mark: dcb.Parity = MARKPARITY; break;
      case WinSerialSettings::Parity::Space: dcb.Parity = SPACEPARITY; break;
    }
    dcb.fParity = m_settings.parity != WinSerialSettings::Parity::None;
    switch (m_settings.stopBits) {
      case WinSerialSettings::StopBits::One: dcb.StopBits = ONESTOPBIT; break;
      case WinSerialSettings::StopBits::OneAndHalf: dcb.StopBits = ONE5STOPBITS; break;
      case WinSerialSettings::StopBits::Two: dcb.StopBits = TWOSTOPBITS; break;
    }
    // Binary frames: no XON/XOFF, no byte replaced or dropped, no abort
    // of later reads after a line error (ClearCommError reads them).
    dcb.fBinary = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fOutxCtsFlow = m_settings.hardwareFlow;
    dcb.fRtsControl = m_settings.hardwareFlow ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    ok = ::SetCommState(h, &dcb);
  }
  if (!ok) {
    m_error = lastError();
    ::CloseHandle(h);
    return false;
  }
  ::SetupComm(h, 4096, 4096);
  ::PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);
  m_handle = h;
  m_error.clear();
  return true;
}

void WinSerialLink::close() {
  if (!isOpen()) return;
  ::CloseHandle(m_handle);
  m_handle = INVALID_HANDLE_VALUE;
}

bool WinSerialLink::setTimeouts(unsigned long readInterval, unsigned long readMultiplier,
                                unsigned long readConstant, unsigned long writeConstant) {
  const unsigned long wanted[4] = {readInterval, readMultiplier, readConstant, writeConstant};
  if (m_timeoutsSet && std::equal(wanted, wanted + 4, m_timeouts)) return true;
  COMMTIMEOUTS t{};
  t.ReadIntervalTimeout = readInterval;
  t.ReadTotalTimeoutMultiplier = readMultiplier;
  t.ReadTotalTimeoutConstant = readConstant;
  t.WriteTotalTimeoutMultiplier = 0;
  t.WriteTotalTimeoutConstant = writeConstant;
  if (!::SetCommTimeouts(m_handle, &t)) return false;
  std::copy(wanted, wanted + 4, m_timeouts);
  m_timeoutsSet = true;
  return true;
}

void WinSerialLink::fail(const QString& text) {
  // A failed read or write is the line gone, as QSerialLink takes a read,
  // write or resource error: reported once as an I/O error of the line.
  const bool first = !m_gone;
  m_gone = true;
  if (first && m_onLineError) m_onLineError(kLineErrorIO);
  throw TransportError(msg::serial::kGone.arg(m_settings.portName, text));
}

void WinSerialLink::failIfGone() {
  if (!isOpen()) throw TransportError(msg::serial::kNotOpen.arg(m_settings.portName));
  if (m_gone) throw TransportError(msg::serial::kGone.arg(m_settings.portName, m_error));
}

void WinSerialLink::reportLineErrors() {
  DWORD errors = 0;
  if (!::ClearCommError(m_handle, &errors, nullptr)) return;
  const int bits = lineErrorBits(errors);
  if (bits && m_onLineError) m_onLineError(bits);
}

void WinSerialLink::write(const QByteArray& bytes) {
  failIfGone();
  const DWORD timeout = DWORD(timing::writeTimeoutMs(int(bytes.size())));
  // The read time-outs stay as the last read set them.
  const bool set = m_timeoutsSet ? setTimeouts(m_timeouts[0], m_timeouts[1], m_timeouts[2], timeout)
                                 : setTimeouts(MAXDWORD, 0, 0, timeout);
  if (!set) {
    m_error = lastError();
    fail(m_error);
  }
  DWORD written = 0;
  if (!::WriteFile(m_handle, bytes.constData(), DWORD(bytes.size()), &written, nullptr)) {
    m_error = lastError();
    fail(m_error);
  }
  // Fewer bytes written is the write time-out.
  if (qsizetype(written) != bytes.size())
    throw TransportError(msg::serial::kWriteFailed.arg(m_settings.portName, qt_error_string(ERROR_TIMEOUT)));
}

QByteArray WinSerialLink::read(int timeoutMs) {
  failIfGone();
  QByteArray data(4096, Qt::Uninitialized);
  qsizetype have = 0;
  // The first byte within timeoutMs (one byte asked for, so that the read
  // returns the moment it is in), then at once whatever came with it. A
  // single read "for what is there, else wait" returns only at the time-out
  // under Wine.
  if (timeoutMs > 0) {
    DWORD got = 0;
    if (!setTimeouts(0, 0, DWORD(timeoutMs), m_timeouts[3]) || !::ReadFile(m_handle, data.data(), 1, &got, nullptr)) {
      m_error = lastError();
      fail(m_error);
    }
    if (got == 0) {
      reportLineErrors();
      return {};
    }
    have = 1;
  }
  DWORD got = 0;
  if (!setTimeouts(MAXDWORD, 0, 0, m_timeouts[3]) ||
      !::ReadFile(m_handle, data.data() + have, DWORD(data.size() - have), &got, nullptr)) {
    m_error = lastError();
    fail(m_error);
  }
  data.resize(have + qsizetype(got));
  reportLineErrors();
  return data;
}

void WinSerialLink::discardInput() {
  if (!isOpen()) return;
  ::PurgeComm(m_handle, PURGE_RXCLEAR);
}

int WinSerialLink::byteTimeUs() const {
  return timing::lineByteTimeUs(m_settings.baudRate, m_settings.dataBits,
                                m_settings.parity != WinSerialSettings::Parity::None,
                                m_settings.stopBits == WinSerialSettings::StopBits::One);
}

}  // namespace vmk
