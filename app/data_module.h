#pragma once
// `TDM`: owns the session, the workspace and its prompts, the command table
// as QActions (kept in step with PageState both ways), the menus and the
// refresh timer. Its actions, the service menu items and the window's page
// controls run the commands of the registry (shell/command_registry.h) by
// name. What a command leaves unhandled is shown under the application
// title, the port is closed and the program goes on. It is the shell's
// Windows: the comparison, the change log, the calibration window, a
// finished report and the end of the application.

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "shell/command_registry.h"
#include "shell/windows.h"
#include "shell/workspace.h"
#include "monitor/interval_timer.h"
#include "service/calibration_model.h"
#include "shell/daylight_saving.h"

namespace vmk {

class ChangeLog;

class OscViewBinding;
class TrafficWindow;
class ParamBindings;
class QtPrompts;

// What tests and the picture run put in place of the real things.
struct DataModuleOptions {
  SerialPort::LinkFactory linkFactory;  // empty: the real serial port
  Prompts* prompts = nullptr;           // nullptr: Qt dialogs
  const Clock* clock = nullptr;         // nullptr: the PC clock
  BoolStore* winterStore = nullptr;     // nullptr: the "Varnet" settings
  BoolStore* previewStore = nullptr;    // nullptr: the user's "PreviewBeforeWrite"
  QString programDir;                   // empty: the program's folder
  QString changeLogFolder;              // empty: the user's data folder
};

class DataModule : public QObject, public Windows {
  Q_OBJECT
 public:
  using Options = DataModuleOptions;

  explicit DataModule(Options options = {}, QObject* parent = nullptr);
  ~DataModule() override;

  // `DataModuleCreate`: run once the main window exists.
  void create();

  Session& session() { return *m_session; }
  Workspace& ws() { return *m_ws; }
  Prompts& prompts() { return *m_prompts; }
  OscViewBinding* oscView() const { return m_oscView.get(); }
  // "Монитор обмена", made on first use.
  TrafficWindow* trafficWindow();
  BoolStore& winterStore() { return *m_winterStore; }
  // The Qt prompts when the module made its own, else nullptr.
  QtPrompts* qtPrompts() const { return m_qtPrompts.get(); }

  // What the calibration window is made with: the program folder for
  // calibr.ini and Front.ini, the title for its boxes, the system locale.
  CalibrationModel::Options calibrationOptions() const;

  // The QAction of a command-table entry ("actPolling"), or nullptr.
  QAction* action(const QString& name) const;
  // `MainMenu1`'s menus by index (kMenuProgram ... kMenuService).
  const QList<QMenu*>& menus() const { return m_menuList; }
  QMenu* pmRelay() const { return m_pmRelay.get(); }
  QMenu* pmAlarm() const { return m_pmAlarm.get(); }
  // `ColorList`: images 0..8.
  const QList<QIcon>& colorList() const { return m_colorList; }

  // The window dialogs and the About box belong to.
  void setWindow(QWidget* window);
  QWidget* window() const { return m_window; }

  // Windows: each modal window for the connected device, over the window.
  void showComparison() override;
  bool confirmWrite(const WritePreview& preview) override;
  void showChangeLog() override;
  void showCalibration() override;
  void openDocument(const QString& path) override;
  void exitApplication() override { Q_EMIT exitRequested(); }
  void* dialogParent() const override { return m_window; }

  // Runs one operation: a device operation is refused quietly while another
  // runs; an error it does not handle itself is shown in a box captioned
  // with the application title and the port is closed. True when it ran
  // to its end.
  bool runOperation(const std::function<void()>& operation, bool deviceOperation = true);

  // Runs the window command `name` with what started it, through
  // runOperation: a command-table entry ("actPolling"), a service menu
  // item ("N13") or a page control's handler ("SetCommand" with the
  // button's tag, "rbGroup2Click" with the group, "Grid1DblClick" with the
  // grid's tag and row, "pgcMainChange" with the page). False when it did
  // not run to its end, and for a name nothing answers to.
  bool run(const QString& name, const Trigger& trigger = {});

  QTimer RefreshTimer;
  // Page 1's lamps, radio buttons and pickers.
  LiveView& liveView() { return m_ws->monitor.view; }

 Q_SIGNALS:
  // "Выход": the application ends without the unsaved-changes question.
  void exitRequested();

 private:
  void buildActions();
  void buildMenus();
  void bindOperations();
  // The actions and menu items a registered name runs from.
  QList<QAction*> triggersOf(const QString& name) const;
  void actionFromModel(const QString& name);
  void actionToModel(QAction* action);
  void menuFromModel(int menu);

  Options m_options;
  std::unique_ptr<QtPrompts> m_qtPrompts;
  Prompts* m_prompts;
  std::unique_ptr<SystemClock> m_systemClock;
  std::unique_ptr<BoolStore> m_ownStore;
  BoolStore* m_winterStore;
  std::unique_ptr<BoolStore> m_ownPreviewStore;
  BoolStore* m_previewStore;
  // Before the session, whose change sink writes into it.
  std::unique_ptr<ChangeLog> m_changeLog;
  std::unique_ptr<Session> m_session;
  std::unique_ptr<Workspace> m_ws;
  std::unique_ptr<QtIntervalTimer> m_refreshTimer;
  std::unique_ptr<ParamBindings> m_params;

  QList<QIcon> m_colorList;
  QHash<QString, QAction*> m_actions;
  QList<QAction*> m_serviceItems;
  QAction* m_revealServiceMenu = nullptr;
  std::vector<std::unique_ptr<QMenu>> m_menuStore;
  QList<QMenu*> m_menuList;
  std::unique_ptr<QMenu> m_pmRelay;
  std::unique_ptr<QMenu> m_pmAlarm;
  std::unique_ptr<OscViewBinding> m_oscView;
  std::unique_ptr<TrafficWindow> m_traffic;
  QWidget* m_window = nullptr;
  bool m_syncing = false;
};

}  // namespace vmk
