#include "oscview/osc_window.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSaveFile>
#include <QSplitter>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <cmath>
#include "oscview/qcustomplot_include.h"

#include "oscview/osc_math.h"

namespace vmk::oscview {

namespace {

const QString kTitle = QStringLiteral("Просмотр осциллограммы");

// The live page's colours: Ia navy, Ib green, Ic red, Io black; other
// channels after them.
QColor analogColour(const AnalogChannel& c, int index) {
  const QString p = c.phase.toUpper();
  if (p == QLatin1String("A")) return QColor(0, 0, 128);
  if (p == QLatin1String("B")) return QColor(0, 128, 0);
  if (p == QLatin1String("C")) return QColor(Qt::red);
  if (p == QLatin1String("N")) return QColor(Qt::black);
  static const QColor order[] = {QColor(0, 0, 128), QColor(0, 128, 0), QColor(Qt::red), QColor(Qt::black),
                                 QColor(128, 0, 128), QColor(0, 128, 128), QColor(128, 128, 0)};
  return order[index % 7];
}

const QColor kCursorColour[2] = {QColor(200, 0, 200), QColor(0, 140, 160)};

QString number(double v) { return std::isnan(v) ? QStringLiteral("-") : QString::number(v, 'f', 2); }

}  // namespace

OscViewWindow::OscViewWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("OscViewWindow"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  setWindowTitle(kTitle);
  build();
  resize(1200, 760);
}

OscViewWindow::~OscViewWindow() = default;

void OscViewWindow::build() {
  auto* tools = addToolBar(QStringLiteral("tbOsc"));
  tools->setObjectName(QStringLiteral("tbOsc"));
  tools->setMovable(false);
  tools->addAction(QStringLiteral("Открыть..."), this, &OscViewWindow::openDialog)
      ->setObjectName(QStringLiteral("actOscOpen"));
  tools->addAction(QStringLiteral("Показать всё"), this, &OscViewWindow::fitAll)
      ->setObjectName(QStringLiteral("actOscFit"));
  tools->addAction(QStringLiteral("Сохранить PNG..."), this, &OscViewWindow::pngDialog)
      ->setObjectName(QStringLiteral("actOscPng"));
  tools->addAction(QStringLiteral("Экспорт CSV..."), this, &OscViewWindow::csvDialog)
      ->setObjectName(QStringLiteral("actOscCsv"));

  m_plot = new QCustomPlot;
  m_plot->setObjectName(QStringLiteral("plot"));
  m_plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
  m_plot->setSelectionRectMode(QCP::srmNone);
  m_plot->installEventFilter(this);

  m_analogRect = m_plot->axisRect();
  m_digitalRect = new QCPAxisRect(m_plot);
  m_plot->plotLayout()->addElement(1, 0, m_digitalRect);
  auto* group = new QCPMarginGroup(m_plot);
  for (QCPAxisRect* r : {m_analogRect, m_digitalRect}) {
    r->setRangeDrag(Qt::Horizontal);
    r->setRangeZoom(Qt::Horizontal);
    r->setMarginGroup(QCP::msLeft | QCP::msRight, group);
  }
  m_analogRect->axis(QCPAxis::atLeft)->setLabel(QStringLiteral("I, А"));
  m_digitalRect->axis(QCPAxis::atBottom)->setLabel(QStringLiteral("t, мс от пуска"));
  QCPAxis* ax = m_analogRect->axis(QCPAxis::atBottom);
  QCPAxis* dx = m_digitalRect->axis(QCPAxis::atBottom);
  connect(ax, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), dx, qOverload<const QCPRange&>(&QCPAxis::setRange));
  connect(dx, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), ax, qOverload<const QCPRange&>(&QCPAxis::setRange));
  m_plot->legend->setVisible(true);
  m_plot->legend->setFont(QFont(font().family(), 8));

  connect(m_plot, &QCustomPlot::mousePress, this, [this](QMouseEvent* e) { m_pressAt = e->pos(); });
  connect(m_plot, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* e) {
    if ((e->pos() - m_pressAt).manhattanLength() > 3 || m_rec.sampleCount() == 0) return;
    const int which = e->button() == Qt::RightButton ? 1 : e->button() == Qt::LeftButton ? 0 : -1;
    if (which < 0) return;
    setCursorTime(which, m_analogRect->axis(QCPAxis::atBottom)->pixelToCoord(e->pos().x()));
  });
  connect(m_plot, &QCustomPlot::mouseDoubleClick, this, [this](QMouseEvent*) { fitAll(); });
  // The rubber band: the time range, and the current range when drawn
  // over the currents.
  connect(m_plot->selectionRect(), &QCPSelectionRect::accepted, this, [this](const QRect& r, QMouseEvent*) {
    QCPAxis* x = m_analogRect->axis(QCPAxis::atBottom);
    const double a = x->pixelToCoord(r.left()), b = x->pixelToCoord(r.right());
    if (std::abs(b - a) > 1e-6) x->setRange(std::min(a, b), std::max(a, b));
    if (m_analogRect->rect().contains(r.center())) {
      QCPAxis* y = m_analogRect->axis(QCPAxis::atLeft);
      const double c = y->pixelToCoord(r.top()), d = y->pixelToCoord(r.bottom());
      if (std::abs(d - c) > 1e-9) y->setRange(std::min(c, d), std::max(c, d));
    }
    m_plot->replot();
  });

  m_table = new QTableWidget(0, 5);
  m_table->setObjectName(QStringLiteral("tblValues"));
  m_table->setHorizontalHeaderLabels({QStringLiteral("Канал"), QStringLiteral("К1"), QStringLiteral("К2"),
                                      QStringLiteral("Действ. К1"), QStringLiteral("Действ. К2")});
  m_table->verticalHeader()->setVisible(false);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  m_cursorText = new QLabel;
  m_cursorText->setObjectName(QStringLiteral("lblCursors"));
  m_cursorText->setWordWrap(true);

  auto* side = new QWidget;
  auto* sideLayout = new QVBoxLayout(side);
  sideLayout->setContentsMargins(4, 4, 4, 4);
  sideLayout->addWidget(m_cursorText);
  sideLayout->addWidget(m_table, 1);
  auto* split = new QSplitter;
  split->addWidget(m_plot);
  split->addWidget(side);
  split->setStretchFactor(0, 1);
  split->setSizes({790, 410});
  setCentralWidget(split);
}

bool OscViewWindow::eventFilter(QObject* watched, QEvent* event) {
  // Shift + drag draws the rubber band; a plain drag pans.
  if (watched == m_plot && event->type() == QEvent::MouseButtonPress) {
    const auto* e = static_cast<QMouseEvent*>(event);
    m_plot->setSelectionRectMode(e->modifiers() & Qt::ShiftModifier ? QCP::srmCustom : QCP::srmNone);
  }
  return QMainWindow::eventFilter(watched, event);
}

QString OscViewWindow::open(const QString& cfgPath) {
  LoadResult r = LoadComtrade(cfgPath);
  if (!r.ok()) {
    error(r.error);
    return r.error;
  }
  show(r.recording, QFileInfo(cfgPath).fileName());
  return {};
}

void OscViewWindow::show(const Recording& recording, const QString& title) {
  m_rec = recording;
  setWindowTitle(kTitle + QStringLiteral(" - ") + title);
  plotRecording();
  const double first = m_rec.timeMs.isEmpty() ? 0 : m_rec.timeMs.first();
  setCursorTime(0, std::max(first, 0.0));
  setCursorTime(1, std::max(first, 0.0) + 1000.0 / m_rec.lineFrequency);
  fitAll();
}

void OscViewWindow::plotRecording() {
  m_plot->clearGraphs();
  m_plot->clearItems();
  m_cursorLines[0].clear();
  m_cursorLines[1].clear();
  QCPAxis* ax = m_analogRect->axis(QCPAxis::atBottom);
  QCPAxis* ay = m_analogRect->axis(QCPAxis::atLeft);
  QCPAxis* dx = m_digitalRect->axis(QCPAxis::atBottom);
  QCPAxis* dy = m_digitalRect->axis(QCPAxis::atLeft);

  for (int c = 0; c < m_rec.analog.size(); ++c) {
    QCPGraph* g = m_plot->addGraph(ax, ay);
    g->setName(AnalogName(m_rec, c));
    g->setPen(QPen(analogColour(m_rec.analog[c], c), 1));
    // Thousands of samples across the view: plain lines draw many times
    // faster than smoothed ones and look the same at this density.
    g->setAntialiased(false);
    g->setData(m_rec.timeMs, m_rec.values[c], true);
  }
  const int lanes = int(m_rec.digital.size());
  QSharedPointer<QCPAxisTickerText> names(new QCPAxisTickerText);
  for (int c = 0; c < lanes; ++c) {
    const double base = lanes - 1 - c;
    QCPGraph* g = m_plot->addGraph(dx, dy);
    g->setName(DigitalName(m_rec, c));
    g->removeFromLegend();
    g->setLineStyle(QCPGraph::lsStepLeft);
    g->setPen(QPen(QColor(0, 0, 128), 1));
    g->setAntialiased(false);
    QVector<double> v(m_rec.sampleCount());
    const QByteArray& st = m_rec.states[c];
    for (int s = 0; s < v.size(); ++s) v[s] = base + (st[s] ? 0.7 : 0.0);
    g->setData(m_rec.timeMs, v, true);
    names->addTick(base + 0.35, QStringLiteral("%1 %2").arg(c + 1).arg(DigitalName(m_rec, c)));
  }
  dy->setTicker(names);
  dy->setSubTicks(false);
  dy->grid()->setVisible(false);
  dy->setTickLabelFont(QFont(font().family(), 7));
  // The digital lanes take room by their number.
  m_plot->plotLayout()->setRowStretchFactor(0, 3);
  m_plot->plotLayout()->setRowStretchFactor(1, lanes ? std::max(1.0, lanes / 6.0) : 0.01);

  // The trigger and the two cursors, across both rectangles.
  auto vertical = [this](QCPAxisRect* rect, const QPen& pen) {
    auto* line = new QCPItemStraightLine(m_plot);
    line->setClipAxisRect(rect);
    line->point1->setAxes(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
    line->point2->setAxes(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
    line->point1->setCoords(0, 0);
    line->point2->setCoords(0, 1);
    line->setPen(pen);
    return line;
  };
  for (QCPAxisRect* rect : {m_analogRect, m_digitalRect}) {
    vertical(rect, QPen(QColor(120, 120, 120), 1, Qt::DashLine));
    for (int k = 0; k < 2; ++k) m_cursorLines[k] << vertical(rect, QPen(kCursorColour[k], 1.2));
  }

  m_table->setRowCount(int(m_rec.analog.size() + m_rec.digital.size()));
  for (int c = 0; c < m_rec.analog.size(); ++c)
    m_table->setItem(c, 0, new QTableWidgetItem(AnalogName(m_rec, c)));
  for (int c = 0; c < lanes; ++c)
    m_table->setItem(int(m_rec.analog.size()) + c, 0, new QTableWidgetItem(DigitalName(m_rec, c)));
}

void OscViewWindow::fitAll() {
  if (m_rec.sampleCount() == 0) return;
  m_analogRect->axis(QCPAxis::atBottom)->setRange(m_rec.timeMs.first(), m_rec.timeMs.last());
  double lo = 0, hi = 0;
  for (const QVector<double>& v : m_rec.values)
    for (double x : v)
      if (!std::isnan(x)) {
        lo = std::min(lo, x);
        hi = std::max(hi, x);
      }
  const double pad = std::max((hi - lo) * 0.05, 1e-3);
  m_analogRect->axis(QCPAxis::atLeft)->setRange(lo - pad, hi + pad);
  m_digitalRect->axis(QCPAxis::atLeft)->setRange(-0.2, std::max<qsizetype>(1, m_rec.digital.size()));
  m_plot->replot();
}

void OscViewWindow::zoomTime(double fromMs, double toMs) {
  m_analogRect->axis(QCPAxis::atBottom)->setRange(fromMs, toMs);
  m_plot->replot();
}

void OscViewWindow::setCursorTime(int which, double ms) {
  if (which < 0 || which > 1) return;
  const int s = SampleAt(m_rec, ms);
  m_cursor[which] = s < 0 ? ms : m_rec.timeMs[s];
  for (QCPItemStraightLine* line : m_cursorLines[which]) {
    line->point1->setCoords(m_cursor[which], 0);
    line->point2->setCoords(m_cursor[which], 1);
  }
  updateCursors();
  m_plot->replot();
}

void OscViewWindow::updateCursors() {
  const int s[2] = {SampleAt(m_rec, m_cursor[0]), SampleAt(m_rec, m_cursor[1])};
  const double dt = m_cursor[1] - m_cursor[0];
  m_cursorText->setText(QStringLiteral("К1: %1 мс    К2: %2 мс\nК2 - К1: %3 мс = %4 периода %5 Гц")
                            .arg(m_cursor[0], 0, 'f', 3)
                            .arg(m_cursor[1], 0, 'f', 3)
                            .arg(dt, 0, 'f', 3)
                            .arg(Cycles(m_rec, dt), 0, 'f', 3)
                            .arg(m_rec.lineFrequency, 0, 'g', 4));
  if (s[0] < 0) return;
  const int analog = int(m_rec.analog.size());
  auto cell = [this](int row, int column, const QString& text) {
    auto* item = m_table->item(row, column);
    if (!item) m_table->setItem(row, column, item = new QTableWidgetItem);
    item->setText(text);
  };
  for (int c = 0; c < analog; ++c)
    for (int k = 0; k < 2; ++k) {
      cell(c, 1 + k, number(m_rec.values[c][s[k]]));
      cell(c, 3 + k, number(CycleRms(m_rec, c, s[k])));
    }
  for (int c = 0; c < m_rec.digital.size(); ++c)
    for (int k = 0; k < 2; ++k) cell(analog + c, 1 + k, QString::number(int(m_rec.states[c][s[k]])));
}

bool OscViewWindow::savePng(const QString& path) { return m_plot->savePng(path, 0, 0, 1.0, -1); }

bool OscViewWindow::saveCsv(const QString& path) {
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  f.write(SamplesCsv(m_rec, m_cursor[0], m_cursor[1]));
  return f.commit();
}

void OscViewWindow::error(const QString& text) {
  if (m_showErrors) QMessageBox::critical(this, QStringLiteral("Error"), text);
}

void OscViewWindow::openDialog() {
  const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Открыть осциллограмму"), QString(),
                                                    QStringLiteral("Файлы COMTRADE (*.cfg *.CFG)"));
  if (!path.isEmpty()) open(path);
}

void OscViewWindow::pngDialog() {
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить изображение"), QString(),
                                                    QStringLiteral("Изображение PNG (*.png)"));
  if (!path.isEmpty() && !savePng(path)) error(QStringLiteral("Не удалось записать файл %1").arg(path));
}

void OscViewWindow::csvDialog() {
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Экспорт отсчётов"), QString(),
                                                    QStringLiteral("Таблица CSV (*.csv)"));
  if (!path.isEmpty() && !saveCsv(path)) error(QStringLiteral("Не удалось записать файл %1").arg(path));
}

}  // namespace vmk::oscview
