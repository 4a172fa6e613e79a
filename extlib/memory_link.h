#pragma once
// An in-memory SerialLink for tests and demos: each request written is
// answered from a script of replies, or by a responder function, or not at
// all. Bytes can be left waiting before a request (a late reply to an
// earlier one), replies can be handed out in small chunks, and the link can
// be made to fail.

#include <QByteArray>
#include <QList>
#include <QQueue>
#include <functional>
#include <optional>

#include "extlib/serial_link.h"

namespace vmk {

class MemoryLink : public SerialLink {
 public:
  using Responder = std::function<QByteArray(const QByteArray& request)>;

  MemoryLink() = default;
  explicit MemoryLink(Responder responder) : m_responder(std::move(responder)) {}

  // Replies used in order, one per request, before the responder is asked.
  // An empty reply is silence.
  void scriptReply(const QByteArray& reply) { m_script.enqueue(reply); }
  void setResponder(Responder responder) { m_responder = std::move(responder); }
  // Bytes that arrive now, unasked (they wait for the next read).
  void injectInput(const QByteArray& bytes) { m_input += bytes; }
  // Each read hands out at most this many bytes (0 = all that waits).
  void setChunkSize(int bytes) { m_chunk = bytes; }
  void setByteTimeUs(int us) { m_byteTimeUs = us; }
  // open() fails with this text; nothing = opens.
  void setOpenError(std::optional<QString> text) { m_openError = std::move(text); }
  // Writes throw TransportError from now on, and the line counts as failed.
  void setBroken(bool broken) { m_broken = broken; }
  bool failed() const override { return m_broken; }

  // The driver reports line errors (bit set as in SerialLink).
  void reportLineErrors(int errors) {
    if (m_onLineError) m_onLineError(errors);
  }
  void setLineErrorHandler(LineErrorHandler handler) override { m_onLineError = std::move(handler); }

  // Every request written, in order.
  const QList<QByteArray>& requests() const { return m_requests; }
  int openCount() const { return m_opens; }
  int discardCount() const { return m_discards; }

  bool open() override;
  void close() override { m_open = false; }
  bool isOpen() const override { return m_open; }
  QString errorString() const override { return m_error; }
  void write(const QByteArray& bytes) override;
  // Returns what waits at once; with nothing waiting nothing can come, so it
  // stays silent for the whole timeoutMs, like a silent line.
  QByteArray read(int timeoutMs) override;
  void discardInput() override;
  int byteTimeUs() const override { return m_byteTimeUs; }

 private:
  Responder m_responder;
  LineErrorHandler m_onLineError;
  QQueue<QByteArray> m_script;
  QByteArray m_input;
  QList<QByteArray> m_requests;
  std::optional<QString> m_openError;
  QString m_error;
  int m_chunk = 0;
  int m_byteTimeUs = 0;
  int m_opens = 0;
  int m_discards = 0;
  bool m_open = false;
  bool m_broken = false;
};

}  // namespace vmk
