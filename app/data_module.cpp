#include "app/data_module.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QKeySequence>
#include <QSet>
#include <QUrl>
#include <exception>
#include <optional>

#include "app/calibration_form.h"
#include "app/change_log_window.h"
#include "app/compare_window.h"
#include "app/osc_view_binding.h"
#include "app/param_bindings.h"
#include "app/pictures.h"
#include "app/qt_prompts.h"
#include "app/traffic_window.h"
#include "app/write_preview_dialog.h"
#include "device/program_dir.h"
#include "extlib/transport_error.h"
#include "service/calibration_model.h"
#include "shell/app_info.h"
#include "shell/changelog_commands.h"
#include "shell/command_table.h"
#include "shell/data_module_create.h"
#include "shell/monitor_commands.h"
#include "shell/page_rules.h"
#include "shell/port_commands.h"
#include "shell/service_commands.h"
#include "shell/user_setting.h"
#include "shell/viewer_names.h"

namespace vmk {

DataModule::DataModule(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)) {
  setObjectName(QStringLiteral("DM"));
  registerPictures();
  if (m_options.prompts) {
    m_prompts = m_options.prompts;
  } else {
    m_qtPrompts = std::make_unique<QtPrompts>();
    m_prompts = m_qtPrompts.get();
  }
  const Clock* clock = m_options.clock;
  if (!clock) {
    m_systemClock = std::make_unique<SystemClock>();
    clock = m_systemClock.get();
  }
  if (m_options.winterStore) {
    m_winterStore = m_options.winterStore;
  } else {
    m_ownStore = std::make_unique<WinterTimeSettings>();
    m_winterStore = m_ownStore.get();
  }
  if (m_options.previewStore) {
    m_previewStore = m_options.previewStore;
  } else {
    m_ownPreviewStore = std::make_unique<UserSetting>(kPreviewBeforeWriteKey);
    m_previewStore = m_ownPreviewStore.get();
  }
  m_session = std::make_unique<Session>(m_options.linkFactory);
  m_ws = std::make_unique<Workspace>(*m_session, *m_prompts, *clock);
  m_changeLog = std::make_unique<ChangeLog>(m_options.changeLogFolder);
  m_changeLog->attach(*m_session, *clock);
  m_ws->changeLog = m_changeLog.get();
  m_refreshTimer = std::make_unique<QtIntervalTimer>(RefreshTimer);
  attachMonitorPage(*m_ws, *m_refreshTimer);
  m_params = std::make_unique<ParamBindings>(*m_ws, m_ws->parameters);
  m_ws->parameters.previewBeforeWrite = m_previewStore->read().value_or(true);
  m_ws->windows = this;
  // Every selection runs the selection step, that of the row already
  // current too (after a read its value may be another).
  for (int tag : {1, 2})
    connect(tag == 1 ? &m_ws->parameters.Grid1 : &m_ws->parameters.grdSett, &TextGrid::rowSelected, this,
            [this, tag](int row) { run(QStringLiteral("Grid1SelectCell"), Trigger{tag, row}); });

  for (int i = 0; i <= 8; ++i) m_colorList << toolbarIcon(i);

  RefreshTimer.setObjectName(QStringLiteral("RefreshTimer"));
  RefreshTimer.stop();
  connect(&RefreshTimer, &QTimer::timeout, this,
          [this] { run(QStringLiteral("RefreshTimerTimer")); });

  new PortBinder(*m_ws, this);
  applyCommandTable(m_ws->pages);
  buildActions();
  buildMenus();
  bindOperations();
}

DataModule::~DataModule() {
  RefreshTimer.stop();
  DataModuleDestroy(*m_ws);
}

void DataModule::create() {
  const QString dir = m_options.programDir.isEmpty() ? programDir() : m_options.programDir;
  runOperation([&] { DataModuleCreate(*m_ws, dir); }, false);
}

CalibrationModel::Options DataModule::calibrationOptions() const {
  CalibrationModel::Options o;
  o.programDir = m_ws->ProgramDir;
  o.messageCaption = applicationTitle();
  o.locale = QLocale::system();
  o.processEvents = [] { QCoreApplication::processEvents(); };
  return o;
}

TrafficWindow* DataModule::trafficWindow() {
  if (!m_traffic) m_traffic = std::make_unique<TrafficWindow>(m_session->modbus, *m_prompts);
  return m_traffic.get();
}

QAction* DataModule::action(const QString& name) const { return m_actions.value(name); }

void DataModule::showComparison() {
  CompareWindow window(*m_ws, m_ws->parameters, m_window);
  window.exec();
}

bool DataModule::confirmWrite(const WritePreview& preview) {
  ViewLoader names(m_ws->ProgramDir);
  WritePreviewDialog dialog(preview, viewerNames(names), m_window);
  return dialog.exec() == QDialog::Accepted;
}

void DataModule::showChangeLog() {
  ChangeLogWindow window(*m_ws, m_window);
  window.exec();
}

void DataModule::showCalibration() {
  CalibrationModel model(*m_session, *m_prompts, calibrationOptions());
  TMainForm form(model, m_window);
  form.exec();
}

void DataModule::openDocument(const QString& path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void DataModule::setWindow(QWidget* window) {
  m_window = window;
  if (m_qtPrompts) m_qtPrompts->setParentWindow(window);
  m_params->setWindow(window);
  if (window) window->addAction(m_revealServiceMenu);
}

// ---- the command table as QActions, in step with PageState ---------------

void DataModule::buildActions() {
  QHash<int, QActionGroup*> groups;
  for (const Command& c : commandTable()) {
    auto* a = new QAction(c.caption, this);
    a->setObjectName(c.name);
    a->setData(c.tag);
    if (!c.shortcut.isEmpty()) a->setShortcut(QKeySequence(c.shortcut));
    if (c.radioGroup) {
      a->setCheckable(true);
      QActionGroup*& g = groups[c.radioGroup];
      if (!g) {
        g = new QActionGroup(this);
        g->setExclusive(true);
      }
      g->addAction(a);
    }
    m_actions.insert(c.name, a);
    actionFromModel(c.name);
    connect(a, &QAction::changed, this, [this, a] { actionToModel(a); });
    connect(a, &QAction::toggled, this, [this, a] { actionToModel(a); });
  }
  connect(&m_ws->pages, &PageState::actionChanged, this, &DataModule::actionFromModel);
}

void DataModule::actionFromModel(const QString& name) {
  QAction* a = m_actions.value(name);
  if (!a || m_syncing) return;
  m_syncing = true;
  const ActionState s = m_ws->pages.action(name);
  a->setEnabled(s.enabled);
  if (a->isCheckable()) a->setChecked(s.checked);
  a->setVisible(s.visible);
  a->setIcon(s.image >= 0 && s.image < m_colorList.size() ? m_colorList[s.image] : QIcon());
  a->setToolTip(s.hint.isEmpty() ? a->text() : s.hint);
  m_syncing = false;
}

void DataModule::actionToModel(QAction* a) {
  if (m_syncing) return;
  m_syncing = true;
  PageState& p = m_ws->pages;
  p.setEnabled(a->objectName(), a->isEnabled());
  p.setVisible(a->objectName(), a->isVisible());
  if (a->isCheckable()) p.setChecked(a->objectName(), a->isChecked());
  m_syncing = false;
}

void DataModule::buildMenus() {
  auto menu = [this](const QString& title, const QString& name) {
    m_menuStore.push_back(std::make_unique<QMenu>(title));
    QMenu* m = m_menuStore.back().get();
    m->setObjectName(name);
    m_menuList << m;
    return m;
  };
  auto a = [this](const char* name) { return m_actions.value(QString::fromLatin1(name)); };

  QMenu* program = menu(QStringLiteral("Программа"), QStringLiteral("miProgram"));
  program->addAction(a("ActOpenFile"));
  program->addAction(a("ActSaveFile"));
  QAction* fileReport = program->addAction(QStringLiteral("Отчёт по файлу уставок..."));
  fileReport->setObjectName(QStringLiteral("miFileReport"));
  connect(fileReport, &QAction::triggered, this, [this] { run(QStringLiteral("actFileReport")); });
  QAction* compare = program->addAction(QStringLiteral("Сравнить уставки..."));
  compare->setObjectName(QStringLiteral("miCompare"));
  connect(compare, &QAction::triggered, this, [this] { run(QStringLiteral("actCompare")); });
  QAction* changes = program->addAction(QStringLiteral("Журнал изменений..."));
  changes->setObjectName(QStringLiteral("miChangeLog"));
  connect(changes, &QAction::triggered, this, [this] { run(QStringLiteral("actChangeLog")); });
  // Whether a write shows what it will change first; kept for the user.
  QAction* preview = program->addAction(QStringLiteral("Показывать изменения перед записью"));
  preview->setObjectName(QStringLiteral("miPreviewBeforeWrite"));
  preview->setCheckable(true);
  preview->setChecked(m_ws->parameters.previewBeforeWrite);
  connect(preview, &QAction::toggled, this, [this](bool on) {
    m_ws->parameters.previewBeforeWrite = on;
    m_previewStore->write(on);
  });
  program->addSeparator();
  program->addAction(a("ActExit"));

  QMenu* connection = menu(QStringLiteral("Подключение"), QStringLiteral("miConnection"));
  connection->addAction(a("actFrontPort"));
  connection->addAction(a("actReaPort"));
  // The item of ActSetTO is hidden; the action itself stays enabled (a
  // hidden QAction would read as disabled).
  QAction* setTimeout = connection->addAction(a("ActSetTO")->text());
  setTimeout->setObjectName(QStringLiteral("miSetTO"));
  setTimeout->setVisible(false);
  connect(setTimeout, &QAction::triggered, a("ActSetTO"), &QAction::trigger);
  connection->addSeparator();
  QAction* collect = connection->addAction(QStringLiteral("Собрать данные со всех устройств..."));
  collect->setObjectName(QStringLiteral("miCollectAll"));
  connect(collect, &QAction::triggered, this, [this] { run(QStringLiteral("actCollectAll")); });
  QAction* traffic = connection->addAction(QStringLiteral("Монитор обмена"));
  traffic->setObjectName(QStringLiteral("miTrafficMonitor"));
  connect(traffic, &QAction::triggered, this, [this] {
    TrafficWindow* w = trafficWindow();
    w->show();
    w->raise();
    w->activateWindow();
  });

  QMenu* journals = menu(QStringLiteral("Журналы"), QStringLiteral("miJournals"));
  journals->addAction(a("actGetData"));

  QMenu* port = menu(QStringLiteral("Настройка порта"), QStringLiteral("miPortSetup"));
  port->addAction(a("actOpenPort"));
  port->addAction(a("actSettingPort"));
  port->addSeparator();
  port->addAction(a("actSaveSetPort"));
  port->addAction(a("actLoadSetPort"));
  port->addSeparator();
  port->addAction(a("actClosePort"));

  QMenu* help = menu(QStringLiteral("Помощь"), QStringLiteral("miHelp"));
  help->addAction(a("actAbout"));

  QMenu* service = menu(QStringLiteral("Тех.меню"), QStringLiteral("miService"));
  const std::pair<const char*, QString> items[] = {
      {"N13", QStringLiteral("Калибровка")},
      {"N9", QStringLiteral("Изменить серийный номер")},
      {"N10", QStringLiteral("Обнуление статистики")},
      {"N11", QStringLiteral("Стирание осцилограмм")},
      {"N12", QStringLiteral("Стирание событий")}};
  for (const auto& [name, caption] : items) {
    QAction* item = service->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    m_serviceItems << item;
  }

  // The key combination that reveals the service menu; it belongs to the
  // window (setWindow), not to a menu, since the menu is hidden.
  m_revealServiceMenu = new QAction(this);
  m_revealServiceMenu->setObjectName(QStringLiteral("actShowServiceMenu"));
  m_revealServiceMenu->setShortcut(QKeySequence(QString::fromLatin1(kRevealServiceMenuKeys)));
  m_revealServiceMenu->setShortcutContext(Qt::WindowShortcut);
  connect(m_revealServiceMenu, &QAction::triggered, this,
          [this] { run(QStringLiteral("ShowServiceMenu")); });

  m_pmRelay = std::make_unique<QMenu>();
  m_pmRelay->setObjectName(QStringLiteral("pmRelay"));
  m_pmRelay->addAction(a("actGetStartInfo"));
  m_pmAlarm = std::make_unique<QMenu>();
  m_pmAlarm->setObjectName(QStringLiteral("pmAlarm"));
  m_pmAlarm->addAction(a("actGetInterrupt"));
  m_oscView = std::make_unique<OscViewBinding>(m_ws->journals, *m_prompts, journals, m_pmAlarm.get());

  for (int m = 0; m < m_menuList.size(); ++m) menuFromModel(m);
  connect(&m_ws->pages, &PageState::menuChanged, this, &DataModule::menuFromModel);
}

void DataModule::menuFromModel(int menu) {
  if (menu < 0 || menu >= m_menuList.size()) return;
  QAction* item = m_menuList[menu]->menuAction();
  item->setEnabled(m_ws->pages.isMenuEnabled(menu));
  item->setVisible(m_ws->pages.isMenuVisible(menu));
}

// ---- running operations ---------------------------------------------------

bool DataModule::runOperation(const std::function<void()>& operation, bool deviceOperation) {
  std::optional<BusyGuard> busy;
  if (deviceOperation) {
    busy.emplace(*m_session);
    if (!busy->acquired()) return false;
  }
  QString failure;
  try {
    operation();
    // A change the log could not take is said after the operation's own
    // outcome.
    reportChangeLogFailure(m_changeLog.get(), *m_prompts);
    return true;
  } catch (const Error& e) {
    failure = e.message();
  } catch (const std::exception& e) {
    failure = QString::fromUtf8(e.what());
  }
  m_prompts->box(MessageBox{applicationTitle(), BoxIcon::Error, failure, {Button::Ok}});
  reportChangeLogFailure(m_changeLog.get(), *m_prompts);
  try {
    m_session->closePort();
  } catch (...) {
    // The box above already told the user; a port that fails to close as
    // well adds nothing they can act on.
  }
  return false;
}

bool DataModule::run(const QString& name, const Trigger& trigger) {
  const WindowCommand* c = commandRegistry().findWindow(name);
  if (!c) return false;
  return runOperation([this, c, &trigger] { c->run(*m_ws, trigger); }, c->deviceOperation);
}

// The port actions share one handler; each passes its tag.
static const QString kPortHandler = QStringLiteral("actPort");

QList<QAction*> DataModule::triggersOf(const QString& name) const {
  if (QAction* a = m_actions.value(name)) return {a};
  for (QAction* item : m_serviceItems)
    if (item->objectName() == name) return {item};
  QList<QAction*> port;
  if (name == kPortHandler)
    for (const Command& c : commandTable())
      if (c.category == QStringLiteral("Port")) port << m_actions.value(c.name);
  return port;
}

void DataModule::bindOperations() {
  // Every registered command, to the actions and menu items of its name (an
  // entry of its own comes before the shared port handler). An action of a
  // part still to come (journals, reports, the service menu) has no command
  // yet and does nothing.
  QSet<QAction*> bound;
  for (const WindowCommand& c : commandRegistry().windowCommands())
    for (QAction* item : triggersOf(c.name)) {
      if (bound.contains(item)) continue;
      if (c.name == kPortHandler && commandRegistry().findWindow(item->objectName())) continue;
      const Trigger trigger{item->data().toInt()};
      connect(item, &QAction::triggered, this,
              [this, name = c.name, trigger] { run(name, trigger); });
      bound.insert(item);
    }
}

}  // namespace vmk
