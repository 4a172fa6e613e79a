#pragma once
// What vmksim does in its own way on each system: how a request to stop
// reaches the server, and the local lines (a pseudo-terminal or a serial
// device) that it serves on POSIX only; TCP it serves everywhere.

#include <QString>
#include <csignal>

#include "sim/line_server.h"

namespace vmk::sim::platform {

// From now on Ctrl+C and SIGINT/SIGTERM (a closed console on Windows) set
// stopFlag(); wakeFd() (-1 on Windows) becomes readable then.
void catchStopRequests();
const volatile std::sig_atomic_t& stopFlag();
int wakeFd();

// Serves on a pseudo-terminal with a symlink to it at `link`, or on the
// serial device `port` (the other one empty); prints the ready line once
// it opens. Returns the exit code.
int serveLocalLine(Bus& bus, FaultInjector& faults, LineServer::Options options, const QString& link,
                   const QString& port);

// Prints "vmksim: TEXT" on stderr and exits with code 2.
[[noreturn]] void fail(const QString& text);

}  // namespace vmk::sim::platform
