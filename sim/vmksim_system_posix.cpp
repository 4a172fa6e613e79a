// vmksim on POSIX: stop requests by signal with a self-pipe to wake the
// server, and the pseudo-terminal or serial device it serves.

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sim/stream_posix.h"
#include "sim/vmksim_system.h"

namespace vmk::sim::platform {

namespace {

volatile std::sig_atomic_t g_stop = 0;
int g_wake[2] = {-1, -1};

void onSignal(int) {
  g_stop = 1;
  const char c = 1;
  [[maybe_unused]] auto n = ::write(g_wake[1], &c, 1);
}

speed_t speedOf(int baud) {
  switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
  }
}

void makeRaw(int fd, int baud) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return;
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  if (const speed_t s = speedOf(baud); s != B0) {
    cfsetispeed(&t, s);
    cfsetospeed(&t, s);
  }
  tcsetattr(fd, TCSANOW, &t);
}

}  // namespace

void catchStopRequests() {
  if (::pipe(g_wake) != 0) fail(QStringLiteral("cannot make a pipe"));
  struct sigaction sa{};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

const volatile std::sig_atomic_t& stopFlag() { return g_stop; }

int wakeFd() { return g_wake[0]; }

int serveLocalLine(Bus& bus, FaultInjector& faults, LineServer::Options options, const QString& link,
                   const QString& port) {
  int fd = -1;
  int slave = -1;
  QByteArray linkPath;
  QByteArray readyPath;
  if (!port.isEmpty()) {
    readyPath = QFile::encodeName(port);
    fd = ::open(readyPath.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) fail(QStringLiteral("cannot open %1: %2").arg(port, QString::fromLocal8Bit(strerror(errno))));
    makeRaw(fd, options.baud);
    options.serialLine = true;
  } else {
    char name[256] = {};
    if (openpty(&fd, &slave, name, nullptr, nullptr) != 0) fail(QStringLiteral("cannot create a pseudo-terminal"));
    // Our own end of the slave stays open, so the line survives clients
    // coming and going.
    makeRaw(slave, options.baud);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    linkPath = QFile::encodeName(QFileInfo(link).absoluteFilePath());
    struct stat st{};
    if (::lstat(linkPath.constData(), &st) == 0) {
      if (!S_ISLNK(st.st_mode)) fail(QStringLiteral("%1 exists and is not a symlink; not replacing it").arg(link));
      ::unlink(linkPath.constData());
    }
    if (::symlink(name, linkPath.constData()) != 0)
      fail(QStringLiteral("cannot create %1: %2").arg(link, QString::fromLocal8Bit(strerror(errno))));
    readyPath = QFile::encodeName(link);
  }
  // Ready only once the path opens.
  const int probe = ::open(readyPath.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (probe < 0) {
    if (!linkPath.isEmpty()) ::unlink(linkPath.constData());
    fail(QStringLiteral("cannot open %1").arg(QString::fromLocal8Bit(readyPath)));
  }
  ::close(probe);
  std::printf("ready %s\n", readyPath.constData());
  std::fflush(stdout);

  LineServer server(bus, faults, options);
  FdStream line(fd, g_stop, g_wake[0]);
  const int rc = server.serve(line, g_stop) == LineServer::kStopped ? 0 : 1;
  if (!linkPath.isEmpty()) ::unlink(linkPath.constData());
  if (slave >= 0) ::close(slave);
  ::close(fd);
  return rc;
}

}  // namespace vmk::sim::platform
