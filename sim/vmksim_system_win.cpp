// vmksim on Windows: Ctrl+C or a closed console stops it; it serves over
// TCP only (a pseudo-terminal is POSIX's, and a COM port is served by a
// Linux PC or a real device).

#include <windows.h>

#include "sim/vmksim_system.h"

namespace vmk::sim::platform {

namespace {

volatile std::sig_atomic_t g_stop = 0;

BOOL WINAPI onConsoleEvent(DWORD) {
  g_stop = 1;
  // The server sees the flag within a tenth of a second; the console's
  // close waits for the process a few seconds.
  return TRUE;
}

}  // namespace

void catchStopRequests() { ::SetConsoleCtrlHandler(onConsoleEvent, TRUE); }

const volatile std::sig_atomic_t& stopFlag() { return g_stop; }

int wakeFd() { return -1; }

int serveLocalLine(Bus&, FaultInjector&, LineServer::Options, const QString&, const QString&) {
  fail(QStringLiteral("on Windows vmksim serves over TCP only: give --tcp HOST:PORT (see --help)"));
}

}  // namespace vmk::sim::platform
