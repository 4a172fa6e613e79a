#include "app/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/data_module.h"
#include "app/grid_panel.h"
#include "app/job_cancel.h"
#include "app/model_bindings.h"
#include "shell/app_info.h"
#include "shell/daylight_saving.h"
#include "shell/page_rules.h"

namespace vmk {

MainWindow::MainWindow(DataModule& dm, QWidget* parent) : QMainWindow(parent), m_dm(dm) {
  setObjectName(QStringLiteral("mainfrm"));
  // The window's texts are drawn small enough for the fixed panel widths
  // and the seven page tabs of a 776-pixel window.
  QFont small = font();
  small.setPointSize(8);
  setFont(small);
  setWindowTitle(applicationTitle());
  setMinimumSize(kWidth, kHeight);
  resize(kWidth, kHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());

  Workspace& ws = dm.ws();
  ws.parameters.ParamsModified = false;
  dm.setWindow(this);

  menuBar()->setObjectName(QStringLiteral("MainMenu1"));
  for (QMenu* menu : dm.menus()) menuBar()->addMenu(menu);
  buildToolbar();
  buildPages();
  buildStatusBar();
  buildJobCancel();
  bindPageState();
  bindLabels(ws.monitor.labels, this);
  connect(&dm, &DataModule::exitRequested, this, &MainWindow::exitApplication);

  CheckDaylightSaving(ws.clock, dm.winterStore(), ws.prompts);
}

void MainWindow::buildToolbar() {
  m_toolbar = new QToolBar(this);
  m_toolbar->setObjectName(QStringLiteral("AdvToolBar1"));
  m_toolbar->setMovable(false);
  m_toolbar->setFloatable(false);
  m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  m_toolbar->setIconSize(QSize(24, 24));
  addToolBar(Qt::TopToolBarArea, m_toolbar);

  auto add = [this](const char* name) {
    QAction* a = m_dm.action(QString::fromLatin1(name));
    m_toolbar->addAction(a);
    return qobject_cast<QToolButton*>(m_toolbar->widgetForAction(a));
  };
  if (QToolButton* polling = add("actPolling")) {
    polling->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    polling->setFixedWidth(136);
  }
  add("actGetStartInfo");
  m_toolbar->addSeparator();
  add("actrefresh");
  add("actSetTimerRefresh");
  m_toolbar->addSeparator();
  add("actPrint");
  m_toolbar->addSeparator();
  auto* empty = new QToolButton(m_toolbar);
  empty->setObjectName(QStringLiteral("tbEmpty"));
  empty->setEnabled(false);
  empty->setFixedWidth(130);
  empty->setAutoRaise(true);
  m_toolbar->addWidget(empty);
  m_toolbar->addSeparator();
  add("ActOCPort");
}

void MainWindow::buildStatusBar() {
  m_sbar = new QStatusBar(this);
  m_sbar->setObjectName(QStringLiteral("SBar"));
  m_sbar->setSizeGripEnabled(false);
  setStatusBar(m_sbar);
  QFont panelFont = font();
  panelFont.setPointSizeF(7.5);
  m_sbar->setFont(panelFont);
  StatusPanels& status = m_dm.ws().status;
  for (int i = 0; i < StatusPanels::kCount; ++i) {
    m_panels[i] = new QLabel(status.text(i), m_sbar);
    m_panels[i]->setObjectName(QStringLiteral("SBarPanel%1").arg(i));
    m_panels[i]->setFixedWidth(kPanelWidths[i]);
    m_panels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_sbar->addWidget(m_panels[i]);
  }
  // Panels 0 and 1 are too narrow for a long port name with
  // "открыт"/"закрыт" at its end, or a server's long host name: their whole
  // text is their tooltip too.
  for (int panel : {0, 1}) m_panels[panel]->setToolTip(status.text(panel));
  connect(&status, &StatusPanels::textChanged, this, [this](int panel, const QString& text) {
    if (panel < 0 || panel >= StatusPanels::kCount) return;
    m_panels[panel]->setText(text);
    if (panel <= 1) m_panels[panel]->setToolTip(text);
  });

  m_progress = new QProgressBar(m_sbar);
  m_progress->setObjectName(QStringLiteral("ProgressBar1"));
  m_progress->setTextVisible(false);
  bindProgress(status.progress(), m_progress);
  m_sbar->installEventFilter(this);
  m_panels[4]->installEventFilter(this);
}

void MainWindow::buildJobCancel() {
  QList<QWidget*> gauges;
  for (const char* name : {"Gauge1", "gugEvent", "GugStat", "GugAlarm"})
    gauges << findChild<QProgressBar*>(QLatin1String(name));
  gauges << m_progress;
  m_jobCancel = new JobCancel(m_dm.ws().jobs, this, gauges);
}

int MainWindow::progressBarWidth(int statusBarWidth) {
  int used = 0;
  for (int i = 0; i < 4; ++i) used += kPanelWidths[i];
  return std::max(0, statusBarWidth - used - 26);
}

void MainWindow::SBarResize() {
  const QRect panel = m_panels[4]->geometry();
  m_progress->setGeometry(panel.x(), panel.y(), progressBarWidth(m_sbar->width()),
                          panel.height());
  m_progress->raise();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == m_sbar && event->type() == QEvent::Resize) ||
      (watched == m_panels[4] && (event->type() == QEvent::Move || event->type() == QEvent::Resize)))
    SBarResize();
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  SBarResize();
}

GridPanel* MainWindow::gridPanel(int tag) const {
  for (GridPanel* g : m_grids)
    if (g->tag() == tag) return g;
  return nullptr;
}

void MainWindow::bindPageState() {
  PageState& pages = m_dm.ws().pages;
  auto follow = [this, &pages](auto&& change) {
    m_followingModel = true;
    change();
    // Hiding the current tab moves the widget to another page; the model
    // follows without running the page-change rule.
    if (m_pages->currentIndex() >= 0) pages.setActivePage(m_pages->currentIndex());
    m_followingModel = false;
  };
  for (int p = 0; p < pages.pageCount(); ++p) m_pages->setTabVisible(p, pages.isTabVisible(p));
  m_pages->setCurrentIndex(pages.activePage());
  connect(&pages, &PageState::tabVisibilityChanged, this, [this, follow](int page, bool visible) {
    follow([&] { m_pages->setTabVisible(page, visible); });
  });
  connect(&pages, &PageState::activePageChanged, this, [this, follow](int page) {
    if (m_pages->currentIndex() != page) follow([&] { m_pages->setCurrentIndex(page); });
  });
  connect(&pages, &PageState::windowEnabledChanged, this, &QWidget::setEnabled);
  setEnabled(pages.isWindowEnabled());
  connect(m_pages, &QTabWidget::currentChanged, this, [this](int page) {
    if (!m_followingModel && page >= 0) m_dm.run(QStringLiteral("pgcMainChange"), Trigger{page});
  });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (m_exiting || FormCloseQuery(m_dm.ws(), m_dm.ws().parameters))
    event->accept();
  else
    event->ignore();
}

void MainWindow::exitApplication() {
  m_exiting = true;
  close();
  QCoreApplication::quit();
}

}  // namespace vmk
