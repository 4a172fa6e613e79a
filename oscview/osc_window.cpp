#include "oscview/osc_window.h"

#include <QApplication>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScrollArea>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <atomic>
#include <cmath>
#include <memory>

#include "oscview/osc_analysis_panel.h"
#include "oscview/osc_math.h"
#include "oscview/osc_report.h"

namespace vmk::oscview {

namespace {

QStringList nonBlank(const QStringList& texts) {
  return texts.filter(QRegularExpression(QStringLiteral("\\S")));
}

const QString kTitle = QStringLiteral("Просмотр осциллограммы");
constexpr int kProgressAfterMs = 400;  // a reading shorter than this shows no progress

QString number(double v) { return std::isnan(v) ? QStringLiteral("-") : QString::number(v, 'f', 2); }

// The sample of `rec` at the plot's `ms` when it lies within the recording.
qsizetype sampleIn(const Shown& s, double ms) {
  const Recording& rec = *s.rec;
  if (rec.sampleCount() == 0) return -1;
  const double t = ms - s.shiftMs;
  const double step = 1000.0 / std::max(1.0, rec.times.rateAt(0));
  if (t < rec.timeMs(0) - step || t > rec.timeMs(rec.sampleCount() - 1) + step) return -1;
  return rec.times.nearest(t);
}

// `w` in a frameless scroll area: many digital lanes, or the analysis's
// tables on a low screen, scroll instead of making the window taller than
// the screen.
QScrollArea* scrolled(QWidget* w) {
  auto* area = new QScrollArea;
  area->setObjectName(QStringLiteral("sa") + w->objectName());
  area->setFrameShape(QFrame::NoFrame);
  area->setWidgetResizable(true);
  area->setWidget(w);
  return area;
}

}  // namespace

OscViewWindow::OscViewWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("OscViewWindow"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  setWindowTitle(kTitle);
  build();
  placeOnScreen();
}

OscViewWindow::~OscViewWindow() = default;

// Within the screen's free area, whatever its size: at most 1280 × 800,
// centred.
void OscViewWindow::placeOnScreen() {
  const QRect free = (screen() ? screen() : QGuiApplication::primaryScreen())->availableGeometry();
  const QSize size(std::min(1280, free.width() * 9 / 10), std::min(800, free.height() * 9 / 10));
  resize(size);
  move(free.center() - QPoint(size.width() / 2, size.height() / 2));
}

void OscViewWindow::build() {
  auto* tools = addToolBar(QStringLiteral("tbOsc"));
  tools->setObjectName(QStringLiteral("tbOsc"));
  tools->setMovable(false);
  auto action = [tools](const QString& text, const char* name, auto slot) {
    QAction* a = tools->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    QObject::connect(a, &QAction::triggered, slot);
    return a;
  };
  action(QStringLiteral("Открыть..."), "actOscOpen", [this] { openDialog(false); });
  action(QStringLiteral("Сравнить с..."), "actOscOpenSecond", [this] { openDialog(true); });
  tools->addWidget(new QLabel(QStringLiteral(" Сдвиг второй, мс: ")));
  m_shift = new QDoubleSpinBox;
  m_shift->setObjectName(QStringLiteral("sbSecondShift"));
  m_shift->setRange(-1e6, 1e6);
  m_shift->setDecimals(3);
  m_shift->setEnabled(false);
  tools->addWidget(m_shift);
  connect(m_shift, qOverload<double>(&QDoubleSpinBox::valueChanged), this, &OscViewWindow::setSecondShift);
  action(QStringLiteral("Показать всё"), "actOscFit", [this] { fitAll(); });
  action(QStringLiteral("Сохранить PNG..."), "actOscPng", [this] { pngDialog(); });
  action(QStringLiteral("Экспорт CSV..."), "actOscCsv", [this] { csvDialog(); });
  action(QStringLiteral("Анализ в CSV..."), "actOscAnalysisCsv", [this] { analysisCsvDialog(); });
  action(QStringLiteral("Копировать анализ"), "actOscCopy", [this] { copyAnalysis(); });

  m_plot = new OscPlot;
  m_plot->installEventFilter(this);
  connect(m_plot, &QCustomPlot::mousePress, this, [this](QMouseEvent* e) { m_pressAt = e->pos(); });
  connect(m_plot, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* e) {
    if (m_skipRelease) {  // the release of a double-click
      m_skipRelease = false;
      return;
    }
    m_clickedCursor = -1;  // a drag leaves nothing for a double-click to put back
    if ((e->pos() - m_pressAt).manhattanLength() > 3 || recording().sampleCount() == 0) return;
    const int which = e->button() == Qt::RightButton ? 1 : e->button() == Qt::LeftButton ? 0 : -1;
    if (which < 0) return;
    m_clickedCursor = which;
    m_clickedFrom = m_cursor[which];
    setCursorTime(which, m_plot->timeAxis()->pixelToCoord(e->pos().x()));
  });
  // A double-click fits the view; the click it began with leaves the
  // cursor where it was.
  connect(m_plot, &QCustomPlot::mouseDoubleClick, this, [this](QMouseEvent*) {
    if (m_clickedCursor >= 0) setCursorTime(m_clickedCursor, m_clickedFrom);
    m_clickedCursor = -1;
    m_skipRelease = true;
    fitAll();
  });
  // The rubber band: the time range, and the value range when drawn over
  // analog channels.
  connect(m_plot->selectionRect(), &QCPSelectionRect::accepted, this, [this](const QRect& r, QMouseEvent*) {
    QCPAxis* x = m_plot->timeAxis();
    const double a = x->pixelToCoord(r.left()), b = x->pixelToCoord(r.right());
    if (std::abs(b - a) > 1e-6) x->setRange(std::min(a, b), std::max(a, b));
    for (int k = 0; k < m_shown.size(); ++k)
      for (QCPAxisRect* rect : m_plot->analogRects(k)) {
        if (!rect->rect().contains(r.center())) continue;
        QCPAxis* y = rect->axis(QCPAxis::atLeft);
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
  m_table->verticalHeader()->setDefaultSectionSize(22);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  m_cursorText = new QLabel;
  m_cursorText->setObjectName(QStringLiteral("lblCursors"));
  m_cursorText->setWordWrap(true);
  m_analysis = new AnalysisPanel;
  m_description = new QPlainTextEdit;
  m_description->setObjectName(QStringLiteral("txtDescription"));
  m_description->setReadOnly(true);

  auto* values = new QWidget;
  auto* valuesLayout = new QVBoxLayout(values);
  valuesLayout->setContentsMargins(4, 4, 4, 4);
  valuesLayout->addWidget(m_cursorText);
  valuesLayout->addWidget(m_table, 1);
  m_tabs = new QTabWidget;
  m_tabs->setObjectName(QStringLiteral("tabsSide"));
  m_tabs->addTab(values, QStringLiteral("Значения"));
  m_tabs->addTab(scrolled(m_analysis), QStringLiteral("Анализ"));
  m_tabs->addTab(m_description, QStringLiteral("Описание"));
  m_tabs->setTabVisible(2, false);

  auto* split = new QSplitter;
  split->addWidget(scrolled(m_plot));
  split->addWidget(m_tabs);
  split->setStretchFactor(0, 1);
  split->setSizes({760, 520});
  setCentralWidget(split);
}

bool OscViewWindow::eventFilter(QObject* watched, QEvent* event) {
  // Shift + drag draws the rubber band; a plain drag pans.
  if (watched == m_plot && event->type() == QEvent::MouseButtonPress) {
    const auto* e = static_cast<QMouseEvent*>(event);
    m_plot->setSelectionRectMode(e->modifiers() & Qt::ShiftModifier ? QCP::srmCustom : QCP::srmNone);
    m_skipRelease = false;
  }
  return QMainWindow::eventFilter(watched, event);
}

const Recording& OscViewWindow::recording() const {
  static const Recording none;
  return m_shown.isEmpty() ? none : *m_shown.first().rec;
}

// Reads in a thread of its own; the progress shows once the reading takes
// longer than a moment, and its "Отмена" stops it.
LoadResult OscViewWindow::load(const QString& path) {
  std::atomic<int> percent{0};
  std::atomic<bool> cancel{false};
  LoadResult result;
  QThread* worker = QThread::create([&] {
    result = loadComtrade(path, [&](int p) {
      percent = p;
      return !cancel.load();
    });
  });
  // The dialog is made only for a reading that lasts.
  std::unique_ptr<QProgressDialog> progress;
  QEventLoop loop;
  connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
  QTimer tick;
  connect(&tick, &QTimer::timeout, this, [&] {
    if (!progress) {
      progress = std::make_unique<QProgressDialog>(QStringLiteral("Чтение %1...").arg(QFileInfo(path).fileName()),
                                                   QStringLiteral("Отмена"), 0, 100, this);
      progress->setObjectName(QStringLiteral("dlgOscProgress"));
      progress->setWindowModality(Qt::WindowModal);
      progress->setMinimumDuration(0);
      progress->setAutoReset(false);
      connect(progress.get(), &QProgressDialog::canceled, this, [&cancel] { cancel = true; });
      tick.setInterval(50);
    }
    progress->setValue(percent);
  });
  tick.start(kProgressAfterMs);
  worker->start();
  m_loading = true;
  loop.exec();
  m_loading = false;
  worker->wait();
  delete worker;
  return result;
}

QString OscViewWindow::open(const QString& path) {
  LoadResult r = load(path);
  if (!r.ok()) {
    error(r.error);
    return r.error;
  }
  m_shown = {Shown{std::make_shared<const Recording>(std::move(r.recording)), QFileInfo(path).fileName(), 0}};
  showAll();
  return {};
}

QString OscViewWindow::openSecond(const QString& path) {
  if (m_shown.isEmpty()) return open(path);
  LoadResult r = load(path);
  if (!r.ok()) {
    error(r.error);
    return r.error;
  }
  m_shown = {m_shown.first(), Shown{std::make_shared<const Recording>(std::move(r.recording)), QFileInfo(path).fileName(), 0}};
  const QSignalBlocker quiet(m_shift);
  m_shift->setValue(0);
  showAll();
  return {};
}

void OscViewWindow::show(const Recording& recording, const QString& title) {
  m_shown = {Shown{std::make_shared<const Recording>(recording), title, 0}};
  showAll();
}

void OscViewWindow::showAll() {
  const Recording& rec = recording();
  QStringList title{kTitle};
  for (const Shown& s : m_shown) title << s.fileName;
  const QString about = nonBlank({rec.station, rec.device, rec.firstStamp}).join(QStringLiteral(", "));
  if (!about.isEmpty()) title << about;
  setWindowTitle(title.join(QStringLiteral(" - ")));
  m_shift->setEnabled(m_shown.size() > 1);

  QStringList text;
  for (int k = 0; k < m_shown.size(); ++k) {
    const Recording& r = *m_shown[k].rec;
    const QString who = m_shown.size() > 1 ? QStringLiteral("%1: %2\n").arg(k + 1).arg(m_shown[k].fileName) : QString();
    if (!r.header.isEmpty()) text << who + QStringLiteral("Заголовок (.hdr):\n") + r.header;
    if (!r.information.isEmpty()) text << who + QStringLiteral("Сведения (.inf):\n") + r.information;
  }
  m_description->setPlainText(text.join(QStringLiteral("\n\n")));
  m_tabs->setTabVisible(2, !text.isEmpty());

  m_plot->setRecordings(m_shown);
  m_analysis->setRecordings(m_shown);
  fillTable();
  const double first = rec.sampleCount() ? rec.timeMs(0) : 0;
  placeCursor(0, std::max(first, 0.0));
  placeCursor(1, std::max(first, 0.0) + 1000.0 / rec.lineFrequency);
  updateCursors();
  fitAll();
}

void OscViewWindow::setSecondShift(double ms) {
  if (m_shown.size() < 2) return;
  m_shown[1].shiftMs = ms;
  m_plot->setShift(1, ms);
  m_analysis->setRecordings(m_shown);
  if (std::abs(m_shift->value() - ms) > 1e-9) {
    const QSignalBlocker quiet(m_shift);
    m_shift->setValue(ms);
  }
  updateCursors();
}

void OscViewWindow::fillTable() {
  int rows = 0;
  for (const Shown& s : m_shown) rows += int(s.rec->analog.size() + s.rec->digital.size());
  m_table->clearContents();
  m_table->setRowCount(rows);
  int row = 0;
  for (int k = 0; k < m_shown.size(); ++k) {
    const Recording& rec = *m_shown[k].rec;
    const QString prefix = k > 0 ? QStringLiteral("%1: ").arg(k + 1) : QString();
    for (int c = 0; c < rec.analog.size(); ++c) m_table->setItem(row++, 0, new QTableWidgetItem(prefix + analogName(rec, c)));
    for (int c = 0; c < rec.digital.size(); ++c)
      m_table->setItem(row++, 0, new QTableWidgetItem(prefix + digitalName(rec, c)));
  }
}

void OscViewWindow::fitAll() { m_plot->fitAll(); }

void OscViewWindow::zoomTime(double fromMs, double toMs) { m_plot->zoomTime(fromMs, toMs); }

void OscViewWindow::placeCursor(int which, double ms) {
  const qsizetype s = recording().times.nearest(ms);
  m_cursor[which] = s < 0 ? ms : recording().timeMs(s);
  m_plot->setCursor(which, m_cursor[which]);
}

void OscViewWindow::setCursorTime(int which, double ms) {
  if (which < 0 || which > 1) return;
  placeCursor(which, ms);
  updateCursors();
  m_plot->replot();
}

void OscViewWindow::updateCursors() {
  const Recording& first = recording();
  const double dt = m_cursor[1] - m_cursor[0];
  m_cursorText->setText(QStringLiteral("К1: %1 мс    К2: %2 мс\nК2 - К1: %3 мс = %4 периода %5 Гц")
                            .arg(m_cursor[0], 0, 'f', 3)
                            .arg(m_cursor[1], 0, 'f', 3)
                            .arg(dt, 0, 'f', 3)
                            .arg(cycles(first, dt), 0, 'f', 3)
                            .arg(first.lineFrequency, 0, 'g', 4));
  auto cell = [this](int row, int column, const QString& text) {
    auto* item = m_table->item(row, column);
    if (!item) m_table->setItem(row, column, item = new QTableWidgetItem);
    item->setText(text);
  };
  int row = 0;
  for (const Shown& shown : m_shown) {
    const Recording& rec = *shown.rec;
    const qsizetype s[2] = {sampleIn(shown, m_cursor[0]), sampleIn(shown, m_cursor[1])};
    for (int c = 0; c < rec.analog.size(); ++c, ++row)
      for (int k = 0; k < 2; ++k) {
        cell(row, 1 + k, s[k] < 0 ? QStringLiteral("-") : number(rec.value(c, s[k])));
        cell(row, 3 + k, s[k] < 0 ? QStringLiteral("-") : number(cycleRms(rec, c, int(s[k]))));
      }
    for (int c = 0; c < rec.digital.size(); ++c, ++row)
      for (int k = 0; k < 2; ++k)
        cell(row, 1 + k, s[k] < 0 ? QStringLiteral("-") : QString::number(int(rec.state(c, s[k]))));
  }
  m_analysis->setCursors(m_cursor[0], m_cursor[1]);
}

QString OscViewWindow::heading() const {
  QStringList lines;
  for (int k = 0; k < m_shown.size(); ++k) {
    const Recording& r = *m_shown[k].rec;
    // Station and device where the file names them: a heading of a file
    // without them reads "FILE; первый отсчёт ...", not "FILE - , ; ...".
    const QString about = nonBlank({r.station, r.device}).join(QStringLiteral(", "));
    QString line = (m_shown.size() > 1 ? QStringLiteral("%1: ").arg(k + 1) : QString()) + m_shown[k].fileName;
    if (!about.isEmpty()) line += QStringLiteral(" - ") + about;
    line += QStringLiteral("; первый отсчёт %1, пуск %2").arg(r.firstStamp, r.triggerStamp);
    if (k > 0) line += QStringLiteral(", сдвиг %1 мс").arg(m_shown[k].shiftMs, 0, 'f', 3);
    lines << line;
  }
  return lines.join(QLatin1Char('\n'));
}

QImage OscViewWindow::picture() {
  QFont plain = font();
  QFont bold = plain;
  bold.setBold(true);
  const QFontMetrics fm(plain);
  const int line = fm.height() + 4;
  const QStringList head = heading().split(QLatin1Char('\n')) + m_cursorText->text().split(QLatin1Char('\n'));
  // As wide as the heading's longest line (the first is bold).
  int headWidth = 0;
  for (int i = 0; i < head.size(); ++i)
    headWidth = std::max(headWidth, QFontMetrics(i == 0 ? bold : plain).horizontalAdvance(head[i]) + 16);
  const int width = std::max({900, m_plot->width(), headWidth});
  const int plotHeight = std::max(450, m_plot->height());
  const int headHeight = line * int(head.size()) + 8;
  const int rows = m_table->rowCount() + 1;
  const int tableHeight = line * rows + 12;

  QImage image(width, headHeight + plotHeight + tableHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setPen(Qt::black);
  for (int i = 0; i < head.size(); ++i) {
    p.setFont(i == 0 ? bold : plain);
    p.drawText(QPoint(8, 4 + line * i + fm.ascent()), head[i]);
  }
  p.drawPixmap(0, headHeight, m_plot->toPixmap(width, plotHeight));
  // The cursor table under the plot.
  int nameWidth = 0;
  for (int r = 0; r < m_table->rowCount(); ++r)
    if (const auto* item = m_table->item(r, 0)) nameWidth = std::max(nameWidth, fm.horizontalAdvance(item->text()));
  const int columnWidth = 110;
  const int top = headHeight + plotHeight + 6;
  for (int r = 0; r < rows; ++r) {
    p.setFont(r == 0 ? bold : plain);
    const int y = top + line * r;
    if (r % 2 == 1) p.fillRect(QRect(0, y, width, line), QColor(244, 244, 248));
    for (int c = 0; c < m_table->columnCount(); ++c) {
      const QString text = r == 0 ? m_table->horizontalHeaderItem(c)->text()
                                  : (m_table->item(r - 1, c) ? m_table->item(r - 1, c)->text() : QString());
      const int x = c == 0 ? 8 : 16 + nameWidth + (c - 1) * columnWidth;
      const QRect box(x, y, c == 0 ? nameWidth : columnWidth - 10, line);
      p.drawText(box, (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, text);
    }
  }
  return image;
}

bool OscViewWindow::savePng(const QString& path) { return picture().save(path, "PNG"); }

bool OscViewWindow::saveCsv(const QString& path) {
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  f.write(samplesCsv(recording(), m_cursor[0], m_cursor[1]));
  return f.commit();
}

bool OscViewWindow::saveAnalysisCsv(const QString& path) {
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  f.write(rowsAsCsv(m_analysis->rows()));
  return f.commit();
}

void OscViewWindow::copyAnalysis() { QApplication::clipboard()->setText(rowsAsText(m_analysis->rows())); }

void OscViewWindow::error(const QString& text) {
  if (m_showErrors) QMessageBox::critical(this, QStringLiteral("Error"), text);
}

void OscViewWindow::openDialog(bool second) {
  if (m_loading) return;
  const QString path = QFileDialog::getOpenFileName(
      this, second ? QStringLiteral("Сравнить с осциллограммой") : QStringLiteral("Открыть осциллограмму"), QString(),
      QStringLiteral("Файлы COMTRADE (*.cfg *.CFG *.cff *.CFF)"));
  if (path.isEmpty()) return;
  if (second) openSecond(path);
  else open(path);
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

void OscViewWindow::analysisCsvDialog() {
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Экспорт анализа"), QString(),
                                                    QStringLiteral("Таблица CSV (*.csv)"));
  if (!path.isEmpty() && !saveAnalysisCsv(path)) error(QStringLiteral("Не удалось записать файл %1").arg(path));
}

}  // namespace vmk::oscview
