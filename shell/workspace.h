#pragma once
// Everything the window's handlers read and write besides the device: the
// session, the prompts, and the models the window shows (status bar, pages
// and actions, memos, grids, the device list, gauges) with the
// application-wide flags. The window's data module owns one, and so does every window-level
// test. The shell's handlers read it and hand operations the parts they work
// on; operations themselves never see it.

#include <QCoreApplication>
#include <QHash>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "device/session.h"
#include "journals/alarm_list.h"
#include "model/clock.h"
#include "model/job.h"
#include "model/label_texts.h"
#include "model/message_log.h"
#include "model/page_state.h"
#include "model/progress.h"
#include "model/prompts.h"
#include "model/status_panels.h"
#include "model/text_grid.h"
#include "model/text_list.h"
#include "monitor/monitor_page.h"
#include "params/grid_editing.h"
#include "params/param_grid_view.h"
#include "params/param_set.h"

namespace vmk {

class ChangeLog;

class Workspace {
 public:
  Workspace(Session& session, Prompts& prompts, const Clock& clock)
      : session(session), prompts(prompts), clock(clock) {
    jobs.processEvents = [] { QCoreApplication::processEvents(); };
  }
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  Session& session;
  Prompts& prompts;
  const Clock& clock;

  QString ProgramDir;        // the program's folder, ending in a separator
  bool ParamsModified = false;
  bool AutoRefreshOn = false;
  int SettingGroup = 1;      // rbGroup1 / rbGroup2: the group grdSett shows

  // The long operation that runs now: its progress and cancel request.
  // Its processEvents dispatches pending window messages once per step;
  // tests replace it.
  JobControl jobs;

  StatusPanels status;       // SBar panels 0..4 and ProgressBar1
  PageState pages;           // tabs, active page, actions, menus
  MessageLog Memo1;          // connection report, page 0
  MessageLog mmMess;         // live values, commands, service, page 1
  TextList lbRelay;          // device list, page 0
  Progress Gauge1{1, 31};    // polling gauge, page 0

  // The parameters and the settings of group SettingGroup, and their marks;
  // Grid1 and grdSett show them.
  ParamSet params{SettingGroup};
  TextGrid Grid1{62, 5};     // parameters
  TextGrid grdSett{32, 5};   // settings of one group
  ParamGridView paramView{params, Grid1, grdSett};
  // Editing of both grids (SelRow, CurRegister, CurValue); the window gives
  // it the viewer library's value editor.
  GridEditing paramEditing{EditModels{params, status, ParamsModified, session.vmk.setup}};
  TextGrid GrdEvent{34, 16}; // event journal
  TextGrid grdStat{22, 3};   // statistics
  TextGrid grdAlarm{13, 5};  // alarm list
  Progress gugEvent{0, 64};
  Progress GugStat{0, 22};
  Progress GugAlarm{0, 15};
  // The .cfg of each alarm row whose oscillogram was downloaded in this
  // run (for the viewer).
  QHash<int, QString> oscFiles;
  // The alarm entries last read, by grid row: the oscillogram download
  // takes its entry, time and ratios from the selected one.
  QHash<int, AlarmRow> alarms;

  LabelTexts labels;         // page labels by name (lblKoefTT, lblCurrA, ...)
  MonitorPage monitor;       // page 1: lamps, clock source, refresh timer, last refresh

  // What the face gives the shell's commands: the window that the outside
  // libraries' dialogs belong to (an opaque handle; nullptr: none), and how
  // the application ends at "Выход" (empty: it does not end).
  void* window = nullptr;
  std::function<void()> exitApplication;
  // Shows the calibration window modally for the connected device (empty:
  // there is none to show).
  std::function<void()> showCalibrationWindow;
  // Opens a finished report with the desktop's program for its kind
  // (empty: it is not opened).
  std::function<void(const QString& path)> openDocument;
  // The report dialog's last file name, offered again by the next report.
  QString reportFileName;
  // Shows the comparison of parameters and settings modally (empty: none).
  std::function<void()> showComparison;
  // The folder "Собрать данные со всех устройств..." writes into (a folder
  // dialog). Nothing: the user cancelled, or there is none to ask.
  std::function<std::optional<QString>()> chooseBatchFolder;
  // The change log the session's changes go to (nullptr: none), and the
  // window that shows it for the connected device.
  ChangeLog* changeLog = nullptr;
  std::function<void()> showChangeLog;

  // Steps other subsystems add to the page-change rule; they run first, in
  // the order added, with the new page (resetting auto-refresh is one).
  std::vector<std::function<void(Workspace&, int page)>> pageChangeHooks;
};

}  // namespace vmk
