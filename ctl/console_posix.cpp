#include "ctl/console.h"

#include <csignal>
#include <unistd.h>

#include "model/job.h"

namespace vmk::ctl {

namespace {

JobControl* g_jobs = nullptr;

// An atomic store, safe in a signal handler; the handler then resets
// itself (SA_RESETHAND), so that a second SIGINT ends the program.
extern "C" void onInterrupt(int) {
  if (g_jobs) g_jobs->requestCancel();
}

}  // namespace

void prepareConsole() {}

void catchInterrupt(JobControl& jobs) {
  g_jobs = &jobs;
  struct sigaction action = {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
  // A parent may have left it blocked (the mask survives exec).
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  sigprocmask(SIG_UNBLOCK, &interrupt, nullptr);
}

bool isTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

}  // namespace vmk::ctl
