// vmksim's stream side: finding request frames in what arrives on the line.

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QtTest>
#include <csignal>
#include <thread>

#include "extlib/crc16.h"
#include "sim/line_server.h"
#include "sim/stream_posix.h"
#include "tests/sim/frames.h"

using namespace vmk;
using vmk::test::request;

namespace {

// A LineServer on one end of a socket pair, run on its own thread.
class Line {
 public:
  explicit Line(const sim::LineServer::Options& options = {})
      : m_bus({1, 2}), m_server(m_bus, m_faults, options) {
    socketpair(AF_UNIX, SOCK_STREAM, 0, m_fds);
    [[maybe_unused]] int rc = pipe(m_wake);
    m_thread = std::thread([this] {
      sim::FdStream line(m_fds[0], m_stop, m_wake[0]);
      m_server.serve(line, m_stop);
    });
  }
  ~Line() {
    m_stop = 1;
    const char c = 1;
    [[maybe_unused]] auto n = ::write(m_wake[1], &c, 1);
    m_thread.join();
    for (int fd : {m_fds[0], m_fds[1], m_wake[0], m_wake[1]}) ::close(fd);
  }
  void send(const QByteArray& bytes) {
    [[maybe_unused]] auto n = ::write(m_fds[1], bytes.constData(), std::size_t(bytes.size()));
  }
  // Reads until `count` bytes have come or nothing comes for quietMs.
  QByteArray receive(int count, int quietMs = 2000) {
    QByteArray out;
    while (out.size() < count) {
      pollfd p{m_fds[1], POLLIN, 0};
      if (::poll(&p, 1, quietMs) <= 0) break;
      char buf[512];
      const auto n = ::read(m_fds[1], buf, sizeof buf);
      if (n <= 0) break;
      out.append(buf, n);
    }
    return out;
  }

 private:
  sim::Bus m_bus;
  sim::FaultInjector m_faults;
  sim::LineServer m_server;
  int m_fds[2] = {-1, -1};
  int m_wake[2] = {-1, -1};
  volatile std::sig_atomic_t m_stop = 0;
  std::thread m_thread;
};

}  // namespace

class TestSimLineServer : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void findsFramesInTheStream_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("replyLengths");
    const QByteArray identity = request("010300000009");
    const QByteArray status = request("0207");
    QTest::newRow("one request") << identity << QList<int>{23};
    QTest::newRow("two in one write") << identity + status << QList<int>{23, 5};
    QTest::newRow("garbage before") << QByteArray::fromHex("ff0013") + status << QList<int>{5};
    QTest::newRow("bad crc, then a good one")
        << QByteArray::fromHex("01030000000985cd") + status << QList<int>{5};
    QTest::newRow("unknown function ends at the gap") << request("010400000001") << QList<int>{5};
    QTest::newRow("absent address") << request("090300000009") + status << QList<int>{5};
  }
  void findsFramesInTheStream() {
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, replyLengths);
    Line line;
    line.send(bytes);
    int total = 0;
    for (int n : replyLengths) total += n;
    const QByteArray got = line.receive(total);
    QCOMPARE(got.size(), total);
    int at = 0;
    for (int n : replyLengths) {
      QVERIFY(wire::hasValidCrc(got.mid(at, n)));
      at += n;
    }
    QVERIFY(line.receive(1, 50).isEmpty());
  }

  void incompleteRequestIsDroppedAtTheGap() {
    Line line;
    const QByteArray identity = request("010300000009");
    line.send(identity.left(5));
    QVERIFY(line.receive(1, 100).isEmpty());  // longer than the 10 ms gap
    line.send(identity);
    QCOMPARE(line.receive(23).size(), 23);
  }

  void pacedReplyTakesItsWireTime() {
    sim::LineServer::Options o;
    o.pace = true;
    o.baud = 19200;  // 521 us a byte
    o.turnaroundMs = 5;
    Line line(o);
    QElapsedTimer t;
    t.start();
    line.send(request("010300000009"));
    QCOMPARE(line.receive(23).size(), 23);
    // 8 request bytes + 5 ms + 23 reply bytes = 21.1 ms at least.
    QVERIFY2(t.nsecsElapsed() >= 21'000'000, qPrintable(QString::number(t.nsecsElapsed())));
  }
};

QTEST_GUILESS_MAIN(TestSimLineServer)
#include "test_sim_line_server.moc"
