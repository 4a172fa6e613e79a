#pragma once
// The traffic monitor as a model: it observes the protocol library and
// keeps the last `capacity` frames (older ones leave the store as new ones
// come, so a day of auto-refresh cannot grow it) and, per address, the
// counts of requests, replies, silences, CRC errors, other bad replies and
// exception replies with the response times. Counts cover every frame
// since the last clear, not only those still stored. While paused it
// takes nothing (and counts what it missed).

#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>

#include "extlib/frame_observer.h"
#include "traffic/latency.h"

namespace vmk::traffic {

struct AddressCounts {
  std::uint8_t address = 0;
  qint64 requests = 0;
  qint64 replies = 0;     // good and exception replies
  qint64 silences = 0;
  qint64 crcErrors = 0;
  qint64 badReplies = 0;  // truncated, another address or function
  qint64 exceptions = 0;
  Latency latency;        // of the good and exception replies
};

class TrafficMonitor : public FrameObserver {
 public:
  static constexpr int kDefaultCapacity = 20000;

  explicit TrafficMonitor(int capacity = kDefaultCapacity);

  void frameSeen(const WireFrame& frame) override;

  void setPaused(bool paused) { m_paused = paused; }
  bool paused() const { return m_paused; }
  // Forgets every frame and count.
  void clear();

  int capacity() const { return m_capacity; }
  int size() const { return int(m_frames.size()); }
  const WireFrame& frame(int i) const { return m_frames[std::size_t(i)]; }
  // Frames that left the store to make room, and frames missed while paused.
  qint64 dropped() const { return m_dropped; }
  qint64 missed() const { return m_missed; }
  // Moves on with every change; the window redraws when it moved.
  quint64 version() const { return m_version; }

  // By address, ascending.
  const std::map<std::uint8_t, AddressCounts>& counts() const { return m_counts; }

  // The columns of one stored frame: time (HH:mm:ss.zzz), direction,
  // address, function, decoding, length, CRC, response time (ms), bytes.
  static QStringList header();
  QStringList columns(int i) const;
  static QStringList countsHeader();
  static QStringList countColumns(const AddressCounts& c);

  // The store and the counts as tab-separated text, UTF-8.
  QString text() const;
  // Writes text() to `path` atomically; false with `error` set.
  bool saveText(const QString& path, QString* error) const;

 private:
  int m_capacity;
  std::deque<WireFrame> m_frames;
  std::map<std::uint8_t, AddressCounts> m_counts;
  qint64 m_dropped = 0;
  qint64 m_missed = 0;
  quint64 m_version = 0;
  bool m_paused = false;
};

// Milliseconds with one decimal, "" for no time.
QString msText(qint64 us);

}  // namespace vmk::traffic
