#pragma once
// Everything the window's handlers read and write besides the device: what
// every handler needs (ShellContext: the session, the prompts, the clock,
// the status bar, pages and actions, the face's windows) and each page's
// own state beside it. The window's data module owns one, and so does every
// window-level test. The registry's commands pick out the parts a handler
// works on (the common part and its page); operations never see it.

#include "monitor/monitor_page.h"
#include "shell/journal_pages.h"
#include "shell/link_page.h"
#include "shell/params_page.h"
#include "shell/shell_context.h"

namespace vmk {

class Workspace : public ShellContext {
 public:
  Workspace(Session& session, Prompts& prompts, const Clock& clock)
      : ShellContext(session, prompts, clock) {}

  LinkPage link;                                        // page 0
  MonitorPage monitor;                                  // page 1
  ParamsPage parameters{status, session.vmk.setup};     // pages 2 and 3
  JournalPages journals;                                // pages 4 to 6
};

}  // namespace vmk
