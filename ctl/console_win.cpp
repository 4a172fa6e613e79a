#include "ctl/console.h"

#include <windows.h>
#include <io.h>

#include <atomic>

#include "model/job.h"

namespace vmk::ctl {

namespace {

JobControl* g_jobs = nullptr;
std::atomic<bool> g_interrupted{false};

// Runs on a thread of its own that the system starts. The first Ctrl+C
// (or Ctrl+Break) asks for the stop and is taken as handled; the second
// falls through to the default handler, which ends the program.
BOOL WINAPI onConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  if (g_interrupted.exchange(true) || !g_jobs) return FALSE;
  g_jobs->requestCancel();
  return TRUE;
}

}  // namespace

void prepareConsole() {
  // The program prints UTF-8; a console shows its own code page otherwise.
  ::SetConsoleOutputCP(CP_UTF8);
}

void catchInterrupt(JobControl& jobs) {
  g_jobs = &jobs;
  ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool isTerminal(std::FILE* stream) { return ::_isatty(::_fileno(stream)) != 0; }

}  // namespace vmk::ctl
