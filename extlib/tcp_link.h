#pragma once
// SerialLink over a TCP connection to the RS485 line, in one of two modes:
// - RTU over TCP (a transparent serial device server): the RTU frames, CRC
//   included, cross the connection as they would cross the line;
// - Modbus TCP (a gateway): each request goes in an MBAP header without its
//   CRC, under a transaction id of its own; a reply is taken only with that
//   id echoed and a consistent length, and is handed back as the RTU frame
//   with its CRC computed here. The master judges it as any reply (length
//   from the wire table, address, function, CRC), in one place.
// A connection refused, reset or closed by the server is a port failure:
// open() fails, or every write and read from then on throws TransportError.
// The link connects in open(); the next link (the next operation's port
// bracket) connects again.

#include <QByteArray>
#include <QString>
#include <QTcpSocket>
#include <cstdint>

#include "extlib/serial_link.h"
#include "extlib/timing.h"

namespace vmk {

// Why a connection failed, after "Ошибка открытия порта NAME: " or "Порт
// NAME недоступен: ".
namespace tcp_reason {
inline const QString kRefused = QStringLiteral("сервер отказал в соединении");
inline const QString kClosed = QStringLiteral("сервер закрыл соединение");
inline const QString kHostNotFound = QStringLiteral("узел %1 не найден");
inline const QString kNoAnswer = QStringLiteral("узел не ответил за %1 мс");
}  // namespace tcp_reason

struct TcpLinkSettings {
  enum class Mode { RtuOverTcp, ModbusTcp };
  QString host;
  quint16 port = 502;
  Mode mode = Mode::RtuOverTcp;
  // The RS485 line behind the server: the time of one byte on it.
  int byteTimeUs = 1042;  // 9600 bit/s
  int connectTimeoutMs = timing::kConnectTimeoutMs;
  // What messages call the link ("tcp://HOST:PORT").
  QString name;
};

class TcpLink : public SerialLink {
 public:
  explicit TcpLink(TcpLinkSettings settings);
  ~TcpLink() override;

  // Connects within the connect time-out; false with errorString() when
  // the connection is refused, the host is not found or does not answer.
  bool open() override;
  void close() override;
  bool isOpen() const override { return m_open; }
  QString errorString() const override { return m_error; }
  void write(const QByteArray& bytes) override;
  // RTU over TCP: the bytes that have arrived. Modbus TCP: the reply to the
  // last request as an RTU frame once the whole of it is in (frames of
  // other transactions are dropped), else nothing.
  QByteArray read(int timeoutMs) override;
  void discardInput() override;
  int byteTimeUs() const override { return m_settings.byteTimeUs; }
  bool holdsWholeReplies() const override { return gateway(); }
  bool failed() const override;

  // The transaction id of the last request sent (Modbus TCP).
  std::uint16_t transaction() const { return m_transaction; }

 private:
  bool gateway() const { return m_settings.mode == TcpLinkSettings::Mode::ModbusTcp; }
  void failIfGone();
  // Takes what the socket holds into m_pending without waiting.
  void takeArrived();
  // Moves whole frames out of m_pending (gateway): the RTU frame of this
  // transaction's reply when it is among them; the others are dropped, and
  // a header that is none empties m_pending (the stream is out of step).
  QByteArray takeReply();
  QString reason() const;

  TcpLinkSettings m_settings;
  QTcpSocket m_socket;
  QByteArray m_pending;  // gateway: bytes of frames not yet whole
  QString m_error;
  std::uint16_t m_transaction = 0;
  bool m_open = false;
};

}  // namespace vmk
