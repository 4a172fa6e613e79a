// The seven pages of `pgcMain`.

#include <QDateEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "app/data_module.h"
#include "app/grid_panel.h"
#include "app/live_view_binding.h"
#include "app/main_window.h"
#include "app/model_bindings.h"
#include "journals/journal_grids.h"
#include "journals/journal_kinds.h"
#include "shell/page_rules.h"

namespace vmk {

namespace {

template <typename W>
W* named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QPlainTextEdit* memo(const char* name) {
  auto* m = named(new QPlainTextEdit, name);
  m->setReadOnly(true);
  m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  return m;
}

QProgressBar* gauge(const char* name) {
  auto* g = named(new QProgressBar, name);
  g->setTextVisible(false);
  return g;
}

// Runs a callback on a double-click on the widget's viewport.
class DoubleClick : public QObject {
 public:
  DoubleClick(QWidget* target, std::function<void()> onDoubleClick)
      : QObject(target), m_on(std::move(onDoubleClick)) {
    target->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonDblClick) m_on();
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> m_on;
};

QLabel* bigLabel(const char* name, const QString& text, const QColor& color) {
  auto* l = named(new QLabel(text), name);
  QFont f = l->font();
  f.setPixelSize(16);
  f.setBold(true);
  l->setFont(f);
  QPalette p = l->palette();
  p.setColor(QPalette::WindowText, color);
  l->setPalette(p);
  return l;
}

}  // namespace

void MainWindow::buildPages() {
  auto* panel = named(new QWidget, "Panel7");
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  m_pages = named(new QTabWidget(panel), "pgcMain");
  m_pages->setDocumentMode(true);
  // Seven flat tabs side by side within the window's width.
  m_pages->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 4px 7px; }"));
  layout->addWidget(m_pages);
  setCentralWidget(panel);

  const std::pair<QWidget*, QString> pages[] = {
      {buildPollingPage(), QStringLiteral("Связь с устройствами")},
      {buildDinamicPage(), QStringLiteral("Текущие значения")},
      {buildParamPage(), QStringLiteral("Параметры")},
      {buildSettingsPage(), QStringLiteral("Уставки")}};
  for (const auto& [page, caption] : pages) m_pages->addTab(page, caption);
  for (const JournalSpec& journal : journalKinds()) m_pages->addTab(buildJournalPage(journal), journal.window.tab);
}

QWidget* MainWindow::buildPollingPage() {
  Workspace& ws = m_dm.ws();
  auto* page = named(new QWidget, "tshPolling");
  auto* splitter = named(new QSplitter(Qt::Horizontal), "Splitter1");

  auto* left = named(new QWidget, "pnlRelay");
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  auto* list = named(new QListWidget, "lbRelay");
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
    m_dm.pmRelay()->popup(list->viewport()->mapToGlobal(at));
  });
  connect(list, &QListWidget::itemDoubleClicked, this, [this, list] {
    m_dm.run(QStringLiteral("lbRelayDblClick"), Trigger{0, list->currentRow()});
  });
  bindList(ws.link.lbRelay, list);
  auto* g = gauge("Gauge1");
  QPalette navy = g->palette();
  navy.setColor(QPalette::Highlight, QColor(0, 0, 128));
  g->setPalette(navy);
  bindProgress(ws.link.Gauge1, g);
  leftLayout->addWidget(list, 1);
  leftLayout->addWidget(g);

  auto* memo1 = memo("Memo1");
  bindLog(ws.link.Memo1, memo1);
  splitter->addWidget(left);
  splitter->addWidget(memo1);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({185, kWidth - 185});

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(splitter);
  return page;
}

QWidget* MainWindow::buildDinamicPage() {
  Workspace& ws = m_dm.ws();
  auto* page = named(new QWidget, "tsDinamic");
  auto* left = named(new QWidget, "pnlDinamic");
  left->setFixedWidth(449);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);

  auto* meas = named(new QGroupBox(QStringLiteral("  Измерения  ")), "grbMeas");
  auto* measLayout = new QGridLayout(meas);
  measLayout->addWidget(bigLabel("lblCurrA", QStringLiteral("Ia = "), QColor(0, 0, 128)), 0, 0);
  measLayout->addWidget(bigLabel("lblCurrB", QStringLiteral("Ib = "), QColor(0, 128, 0)), 0, 1);
  measLayout->addWidget(bigLabel("lblCurrC", QStringLiteral("Ic = "), QColor(255, 0, 0)), 1, 0);
  measLayout->addWidget(bigLabel("lblCurrN", QStringLiteral("Io = "), QColor(0, 0, 0)), 1, 1);
  measLayout->addWidget(named(new QLabel(QStringLiteral("Ток последней аварии МТЗ: ")),
                              "lblLastIM"), 2, 0, 1, 2);
  measLayout->addWidget(named(new QLabel(QStringLiteral("Ток последней аварии ЗНЗ: ")),
                              "lblLastIZ"), 3, 0, 1, 2);
  auto* rbFirst = named(new QRadioButton(QStringLiteral("Первичные значения")), "rbFirst");
  rbFirst->setChecked(true);
  measLayout->addWidget(rbFirst, 4, 0);
  measLayout->addWidget(named(new QRadioButton(QStringLiteral("Вторичные значения")), "rbSecond"),
                        4, 1);
  measLayout->addWidget(named(new QLabel(QStringLiteral("Ктт = ")), "lblKoefTT"), 5, 0);
  measLayout->addWidget(named(new QLabel(QStringLiteral("КттЗНЗ (mA)= ")), "lblKoefN"), 5, 1);

  auto command = [this](QPushButton* button, int tag) {
    button->setProperty("tag", tag);
    connect(button, &QPushButton::clicked, this,
            [this, tag] { m_dm.run(QStringLiteral("SetCommand"), Trigger{tag}); });
    return button;
  };

  auto* remote = named(new QGroupBox(QStringLiteral("  Телеуправление  ")), "GroupBox1");
  auto* remoteLayout = new QGridLayout(remote);
  for (int i = 1; i <= 5; ++i) {
    auto* label = new QLabel(QStringLiteral("Реле %1").arg(i));
    label->setObjectName(QStringLiteral("lblOut%1").arg(i));
    label->setAlignment(Qt::AlignCenter);
    auto* button = new QPushButton;
    button->setObjectName(QStringLiteral("tmOutPut%1").arg(i));
    button->setFixedSize(56, 26);
    remoteLayout->addWidget(label, 0, i - 1);
    remoteLayout->addWidget(command(button, i), 1, i - 1, Qt::AlignHCenter);
  }

  auto* inputs = named(new QGroupBox(QStringLiteral("  Состояние дискретных входов  ")),
                       "grbInput");
  auto* inputLayout = new QGridLayout(inputs);
  for (int i = 1; i <= 6; ++i) {
    auto* lamp = new QFrame;
    lamp->setObjectName(QStringLiteral("shpInput%1").arg(i));
    lamp->setProperty("tag", i);
    lamp->setFixedSize(22, 22);
    lamp->setStyleSheet(QStringLiteral(
        "QFrame { border: 1px solid #404040; border-radius: 11px; background: palette(button); }"));
    auto* label = new QLabel(QStringLiteral("Вход %1").arg(i));
    label->setObjectName(QStringLiteral("lblInput%1").arg(i));
    label->setAlignment(Qt::AlignCenter);
    inputLayout->addWidget(lamp, 0, i - 1, Qt::AlignHCenter);
    inputLayout->addWidget(label, 1, i - 1);
  }

  auto* service = named(new QGroupBox(QStringLiteral("  Сервис  ")), "GroupBox2");
  auto* serviceLayout = new QGridLayout(service);
  serviceLayout->addWidget(command(named(new QPushButton(QStringLiteral("Квитировать")),
                                         "tmResetAlarm"), 6), 0, 0);
  serviceLayout->addWidget(command(named(new QPushButton(QStringLiteral("Пуск регистратора")),
                                         "tmStartReg"), 7), 1, 0);
  serviceLayout->addWidget(command(named(new QPushButton(QStringLiteral("Синхронизация")),
                                         "tmSynch"), 8), 2, 0);
  auto* rbAutoTime = named(new QRadioButton(QStringLiteral("Дата и время ПЭВМ")), "rbAutoTime");
  rbAutoTime->setChecked(true);
  auto* rbSetDate = named(new QRadioButton(QStringLiteral("Задать дату и время")), "rbSetDate");
  for (QRadioButton* rb : {rbAutoTime, rbSetDate})
    connect(rb, &QRadioButton::clicked, this,
            [this] { m_dm.run(QStringLiteral("rbAutoTimeClick")); });
  auto* date = named(new QDateEdit, "dtpDate");
  date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
  date->setCalendarPopup(true);
  date->hide();
  auto* time = named(new QTimeEdit, "dtpTime");
  time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  time->hide();
  serviceLayout->addWidget(rbAutoTime, 0, 1);
  serviceLayout->addWidget(rbSetDate, 1, 1);
  auto* pickers = new QHBoxLayout;
  pickers->addWidget(date);
  pickers->addWidget(time);
  serviceLayout->addLayout(pickers, 2, 1);

  leftLayout->addWidget(meas);
  leftLayout->addWidget(remote);
  leftLayout->addWidget(inputs);
  leftLayout->addWidget(service);
  leftLayout->addStretch();

  auto* mess = memo("mmMess");
  bindLog(ws.monitor.mmMess, mess);
  new DoubleClick(mess->viewport(), [&ws] { ws.monitor.mmMess.clear(); });

  auto* layout = new QHBoxLayout(page);
  layout->addWidget(left);
  layout->addWidget(mess, 1);
  bindLiveView(m_dm.liveView(), page);
  return page;
}

GridPanel* MainWindow::buildCatalogueGrid(int tag, const QString& header, const QString& gridName,
                                          int valueWidth, int valueColumn) {
  auto* grid = new GridPanel(m_dm.ws(), tag, header, gridName,
                             {{QStringLiteral("Параметр"), 225},
                              {QStringLiteral("Значение"), valueWidth},
                              {QStringLiteral("Изменение"), 117}});
  // The columns start at their design widths, which are not the header's
  // sections less 2; a section the user drags sizes its column by that rule.
  TextGrid* cells = gridForHeaderTag(m_dm.ws(), tag);
  const int widths[] = {222, valueColumn, 116};
  for (int c = 0; c < 3; ++c) cells->setColumnWidth(c, widths[c]);
  grid->grid()->verticalHeader()->setDefaultSectionSize(24);
  grid->grid()->setItemDelegate(new HeadingRowDelegate(3, grid));
  connect(grid, &GridPanel::rowDoubleClicked, this, [this, tag](int row) {
    m_dm.run(QStringLiteral("Grid1DblClick"), Trigger{tag, row});
  });
  m_grids << grid;
  return grid;
}

QWidget* MainWindow::buildParamPage() {
  auto* page = named(new QWidget, "tshParam");
  auto* grid = buildCatalogueGrid(1, QStringLiteral("Header1"), QStringLiteral("Grid1"), 200, 198);

  auto* get = named(new QPushButton(QStringLiteral("Получить")), "btnGetParam");
  bindButton(get, m_dm.action(QStringLiteral("ActGetParSet")));
  auto* load = named(new QPushButton(QStringLiteral("Записать в устройство")), "btnLoadParam");
  bindButton(load, m_dm.action(QStringLiteral("actSetParametr")));
  auto* bar = new QHBoxLayout;
  bar->addStretch();
  bar->addWidget(get);
  bar->addWidget(load);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(grid, 1);
  layout->addLayout(bar);
  return page;
}

QWidget* MainWindow::buildSettingsPage() {
  auto* page = named(new QWidget, "tshSettings");
  auto* grid = buildCatalogueGrid(2, QStringLiteral("Header2"), QStringLiteral("grdSett"), 153, 152);

  auto* group1 = named(new QRadioButton(QStringLiteral("Группа 1")), "rbGroup1");
  group1->setChecked(true);
  auto* group2 = named(new QRadioButton(QStringLiteral("Группа 2")), "rbGroup2");
  for (QRadioButton* rb : {group1, group2})
    connect(rb, &QRadioButton::clicked, this, [this, group2] {
      m_dm.run(QStringLiteral("rbGroup2Click"), Trigger{group2->isChecked() ? 2 : 1});
    });
  auto* get = named(new QPushButton(QStringLiteral("Получить")), "btnGetSett");
  bindButton(get, m_dm.action(QStringLiteral("ActGetParSet")));
  auto* load = named(new QPushButton(QStringLiteral("Записать в устройство")), "btnLoadSett");
  bindButton(load, m_dm.action(QStringLiteral("actSetParametr")));
  auto* bar = new QHBoxLayout;
  bar->addWidget(group1);
  bar->addWidget(group2);
  bar->addStretch();
  bar->addWidget(get);
  bar->addWidget(load);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(grid, 1);
  layout->addLayout(bar);
  return page;
}

QWidget* MainWindow::buildJournalPage(const JournalSpec& journal) {
  Workspace& ws = m_dm.ws();
  const JournalWindow& names = journal.window;
  QList<GridPanel::Section> sections;
  for (const journals::HeaderSection& s : journal.sections()) sections.append({s.caption, s.width});
  // The grid's columns start at their design widths; a section the user
  // drags sizes its column by the header rule (section width - 2). The
  // columns under a section keep their design widths too.
  TextGrid& cells = journalGrid(ws.journals, journal.kind);
  const QList<int> widths = journal.columnWidths ? journal.columnWidths() : QList<int>{};
  auto designWidths = [&cells, &widths](qsizetype count) {
    for (int c = 0; c < count && c < widths.size(); ++c) cells.setColumnWidth(c, widths[c]);
  };
  QWidget* page = named(new QWidget, names.page.toLatin1().constData());
  designWidths(widths.size());
  auto* grid = new GridPanel(ws, names.headerTag, names.header, names.grid, sections);
  designWidths(sections.size());
  if (journal.kind == JournalKind::Alarms) {
    // Its popup downloads the selected entry's oscillogram. Columns 2..4
    // have no section; the data module hides them at its creation.
    QTableView* view = grid->grid();
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
      m_dm.pmAlarm()->popup(view->viewport()->mapToGlobal(at));
    });
  }
  QProgressBar* g = gauge(names.gauge.toLatin1().constData());
  bindProgress(journalGauge(ws.journals, journal.kind), g);
  auto* button = named(new QPushButton(QStringLiteral("Получить данные")), names.button.toLatin1().constData());
  m_grids << grid;
  bindButton(button, m_dm.action(QStringLiteral("actGetData")));

  auto* bar = new QHBoxLayout;
  bar->addWidget(g, 1);
  bar->addStretch();
  bar->addWidget(button);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(grid, 1);
  layout->addLayout(bar);
  return page;
}

}  // namespace vmk
