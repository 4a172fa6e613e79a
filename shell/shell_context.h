#pragma once
// What every handler of the window needs, whatever its page: the session,
// the prompts and the clock, the program's folder, the long operation that
// runs, the status bar, the pages and actions, and the windows the face
// offers. The Workspace is this with the pages' own state beside it; a
// handler takes this part and the page it works on.

#include <QCoreApplication>
#include <QString>

#include "device/session.h"
#include "model/clock.h"
#include "model/job.h"
#include "model/page_state.h"
#include "model/prompts.h"
#include "model/status_panels.h"

namespace vmk {

class ChangeLog;
class Windows;

// The window's pages: the fixed ones, then one per journal (shell/journal_pages.cpp).
int windowPageCount();

class ShellContext {
 public:
  ShellContext(Session& session, Prompts& prompts, const Clock& clock)
      : session(session), prompts(prompts), clock(clock) {
    jobs.processEvents = [] { QCoreApplication::processEvents(); };
  }
  ShellContext(const ShellContext&) = delete;
  ShellContext& operator=(const ShellContext&) = delete;

  Session& session;
  Prompts& prompts;
  const Clock& clock;

  QString ProgramDir;  // the program's folder, ending in a separator

  // The long operation that runs now: its progress and cancel request.
  // Its processEvents dispatches pending window messages once per step;
  // tests replace it.
  JobControl jobs;

  StatusPanels status;  // SBar panels 0..4 and ProgressBar1
  PageState pages{windowPageCount()};  // tabs, active page, actions, menus

  // The windows of the face (comparison, change log, calibration, a
  // finished report, the end of the application); nullptr: none, and
  // every command that would show one does nothing.
  Windows* windows = nullptr;
  // The change log the session's changes go to (nullptr: none).
  ChangeLog* changeLog = nullptr;
  // The report dialog's last file name, offered again by the next report.
  QString reportFileName;
};

}  // namespace vmk
