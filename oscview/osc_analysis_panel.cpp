#include "oscview/osc_analysis_panel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "oscview/osc_math.h"
#include "oscview/osc_report.h"
#include "oscview/phasor_diagram.h"

namespace vmk::oscview {

namespace {

QTableWidget* table(const QString& name, const QStringList& header) {
  auto* t = new QTableWidget(0, int(header.size()));
  t->setObjectName(name);
  t->setHorizontalHeaderLabels(header);
  t->verticalHeader()->setVisible(false);
  t->verticalHeader()->setDefaultSectionSize(20);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  return t;
}

void setRow(QTableWidget* t, int row, const QStringList& cells) {
  if (t->rowCount() <= row) t->setRowCount(row + 1);
  for (int c = 0; c < cells.size() && c < t->columnCount(); ++c) {
    auto* item = t->item(row, c);
    if (!item) t->setItem(row, c, item = new QTableWidgetItem);
    item->setText(cells[c]);
    if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
}

const QColor kPhaseColour[3] = {QColor(0, 0, 128), QColor(0, 128, 0), QColor(Qt::red)};

}  // namespace

AnalysisPanel::AnalysisPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("analysisPanel"));
  m_cursor = new QComboBox;
  m_cursor->setObjectName(QStringLiteral("cbAnalysisCursor"));
  m_cursor->addItems({QStringLiteral("К1"), QStringLiteral("К2")});
  m_which = new QComboBox;
  m_which->setObjectName(QStringLiteral("cbAnalysisRecording"));
  m_reference = new QComboBox;
  m_reference->setObjectName(QStringLiteral("cbReference"));
  auto* choices = new QGridLayout;
  choices->addWidget(new QLabel(QStringLiteral("Курсор")), 0, 0);
  choices->addWidget(m_cursor, 0, 1);
  choices->addWidget(new QLabel(QStringLiteral("Запись")), 0, 2);
  choices->addWidget(m_which, 0, 3);
  choices->addWidget(new QLabel(QStringLiteral("Опорный канал")), 0, 4);
  choices->addWidget(m_reference, 0, 5);
  choices->addWidget(new QLabel(QStringLiteral("Фазы A, B, C")), 1, 0);
  for (int p = 0; p < 3; ++p) {
    m_phase[p] = new QComboBox;
    m_phase[p]->setObjectName(QStringLiteral("cbPhase%1").arg(QChar(u'A' + p)));
    choices->addWidget(m_phase[p], 1, 1 + 2 * p);
  }

  m_channels = table(QStringLiteral("tblPhasors"), {QStringLiteral("Канал"), QStringLiteral("Действ."),
                                                   QStringLiteral("1-я гарм."), QStringLiteral("Угол, °"),
                                                   QStringLiteral("f, Гц"), QStringLiteral("THD, %")});
  m_channels->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_channels->setSelectionMode(QAbstractItemView::SingleSelection);
  m_sequence = table(QStringLiteral("tblSequence"),
                     {QStringLiteral("Составляющая"), QStringLiteral("Модуль"), QStringLiteral("Угол, °")});
  m_harmonics = table(QStringLiteral("tblHarmonics"), {QStringLiteral("Гарм."), QStringLiteral("% первой")});
  m_sequence->setFixedHeight(20 * 4 + 8);
  // The harmonics 2..15 and the THD without scrolling.
  m_harmonics->setMinimumHeight(20 * kMaxHarmonic + 30);
  m_diagram = new PhasorDiagram;

  auto* left = new QVBoxLayout;
  left->addWidget(m_sequence);
  left->addWidget(m_harmonics, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addLayout(left);
  bottom->addWidget(m_diagram, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(choices);
  layout->addWidget(m_channels, 1);
  layout->addLayout(bottom, 0);

  auto changed = [this] {
    if (!m_filling) recompute();
  };
  connect(m_cursor, qOverload<int>(&QComboBox::currentIndexChanged), this, changed);
  connect(m_reference, qOverload<int>(&QComboBox::currentIndexChanged), this, changed);
  for (QComboBox* p : m_phase) connect(p, qOverload<int>(&QComboBox::currentIndexChanged), this, changed);
  connect(m_which, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] {
    if (!m_filling) fillChoices();
  });
  connect(m_channels, &QTableWidget::currentCellChanged, this, [this](int, int, int, int) {
    if (!m_filling) recompute();
  });
}

const Recording* AnalysisPanel::recording() const {
  const int which = std::max(0, m_which->currentIndex());
  return which < m_shown.size() ? m_shown[which].rec.get() : nullptr;
}

void AnalysisPanel::setRecordings(const QList<Shown>& shown) {
  m_shown = shown;
  m_filling = true;
  m_which->clear();
  for (int k = 0; k < shown.size(); ++k) m_which->addItem(QStringLiteral("%1: %2").arg(k + 1).arg(shown[k].fileName));
  m_which->setEnabled(shown.size() > 1);
  m_filling = false;
  fillChoices();
}

// The channel lists of the chosen recording; the reference and the group
// as found in it.
void AnalysisPanel::fillChoices() {
  const Recording* rec = recording();
  m_filling = true;
  m_reference->clear();
  for (QComboBox* p : m_phase) {
    p->clear();
    p->addItem(QStringLiteral("-"), -1);
  }
  if (rec) {
    for (int c = 0; c < rec->analog.size(); ++c) {
      m_reference->addItem(analogName(*rec, c), c);
      for (QComboBox* p : m_phase) p->addItem(analogName(*rec, c), c);
    }
    m_reference->setCurrentIndex(std::max(0, defaultReference(*rec)));
    const QList<PhaseGroup> groups = phaseGroups(*rec);
    const PhaseGroup g = groups.value(0);
    m_phase[0]->setCurrentIndex(g.a + 1);
    m_phase[1]->setCurrentIndex(g.b + 1);
    m_phase[2]->setCurrentIndex(g.c + 1);
    m_channels->setRowCount(int(rec->analog.size()));
    m_channels->setCurrentCell(rec->analog.isEmpty() ? -1 : std::max(0, defaultReference(*rec)), 0);
  } else {
    m_channels->setRowCount(0);
  }
  m_filling = false;
  recompute();
}

void AnalysisPanel::setCursors(double k1Ms, double k2Ms) {
  m_cursorMs[0] = k1Ms;
  m_cursorMs[1] = k2Ms;
  recompute();
}

void AnalysisPanel::setCursorChoice(int which) { m_cursor->setCurrentIndex(which); }
void AnalysisPanel::setReference(int channel) { m_reference->setCurrentIndex(channel); }
void AnalysisPanel::setGroup(const PhaseGroup& group) {
  m_filling = true;
  m_phase[0]->setCurrentIndex(group.a + 1);
  m_phase[1]->setCurrentIndex(group.b + 1);
  m_filling = false;
  m_phase[2]->setCurrentIndex(group.c + 1);
}
void AnalysisPanel::selectChannel(int channel) { m_channels->setCurrentCell(channel, 0); }

PhaseGroup AnalysisPanel::chosenGroup() const {
  PhaseGroup g{m_phase[0]->currentData().toInt(), m_phase[1]->currentData().toInt(),
               m_phase[2]->currentData().toInt(), {}};
  const Recording* rec = recording();
  if (g.valid() && rec)
    g.name = analogName(*rec, g.a) + QLatin1Char('/') + analogName(*rec, g.b) + QLatin1Char('/') + analogName(*rec, g.c);
  return g;
}

void AnalysisPanel::recompute() {
  m_stale = true;
  if (isVisible()) refresh();
}

void AnalysisPanel::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (m_stale) refresh();
}

const AnalysisAt& AnalysisPanel::analysis() {
  if (m_stale) refresh();
  return m_at;
}

void AnalysisPanel::refresh() {
  m_stale = false;
  const Recording* rec = recording();
  m_at = AnalysisAt{};
  if (!rec || rec->sampleCount() == 0) {
    m_sequence->setRowCount(0);
    m_harmonics->setRowCount(0);
    m_diagram->setArrows({});
    return;
  }
  const int which = std::max(0, m_which->currentIndex());
  const double ms = m_cursorMs[std::max(0, m_cursor->currentIndex())] - m_shown[which].shiftMs;
  const PhaseGroup group = chosenGroup();
  m_at = analyseAt(*rec, ms, m_reference->currentData().toInt(), group.valid() ? QList<PhaseGroup>{group}
                                                                                 : QList<PhaseGroup>{});
  const bool filling = m_filling;
  m_filling = true;
  for (int c = 0; c < m_at.channels.size(); ++c) {
    const ChannelFigures& f = m_at.channels[c];
    setRow(m_channels, c,
           {analogName(*rec, c), figure(f.rms, 2), figure(std::abs(f.fundamental), 2),
            figure(m_at.relativeDeg(f.fundamental), 1), figure(f.hz, 3), figure(f.thd, 1)});
  }
  m_filling = filling;

  QList<DiagramArrow> arrows;
  if (m_at.sequences.isEmpty()) {
    m_sequence->setRowCount(0);
  } else {
    const Sequence& s = m_at.sequences.first();
    const QString q = quantity(*rec, group);
    const QString names[] = {q + QLatin1Char('1'), q + QLatin1Char('2'), QLatin1Char('3') + q + QLatin1Char('0')};
    const std::pair<QString, std::complex<double>> parts[] = {{QStringLiteral("Прямая ") + names[0], s.positive},
                                                              {QStringLiteral("Обратная ") + names[1], s.negative},
                                                              {QStringLiteral("Нулевая ") + names[2], s.zero3}};
    for (int k = 0; k < 3; ++k)
      setRow(m_sequence, k, {parts[k].first, figure(std::abs(parts[k].second), 2), figure(m_at.relativeDeg(parts[k].second), 1)});
    const int phases[] = {group.a, group.b, group.c};
    for (int p = 0; p < 3; ++p)
      arrows << DiagramArrow{analogName(*rec, phases[p]), std::polar(std::abs(m_at.channels[phases[p]].fundamental), m_at.relativeDeg(m_at.channels[phases[p]].fundamental) * M_PI / 180), kPhaseColour[p], false};
    for (int k = 0; k < 3; ++k)
      arrows << DiagramArrow{names[k], std::polar(std::abs(parts[k].second), m_at.relativeDeg(parts[k].second) * M_PI / 180), QColor(120, 120, 120), true};
  }
  if (arrows.isEmpty() && m_at.reference >= 0) {
    const std::complex<double> z = m_at.channels[m_at.reference].fundamental;
    arrows << DiagramArrow{analogName(*rec, m_at.reference), std::abs(z), kPhaseColour[0], false};
  }
  m_diagram->setArrows(arrows);

  const int selected = m_channels->currentRow();
  if (selected < 0 || selected >= m_at.channels.size()) {
    m_harmonics->setRowCount(0);
    return;
  }
  const ChannelFigures& f = m_at.channels[selected];
  m_harmonics->setHorizontalHeaderLabels({QStringLiteral("Гарм."), analogName(*rec, selected) + QStringLiteral(", %")});
  for (int h = 2; h <= kMaxHarmonic; ++h) setRow(m_harmonics, h - 2, {QString::number(h), figure(f.harmonicPercent[std::size_t(h)], 2)});
  setRow(m_harmonics, kMaxHarmonic - 1, {QStringLiteral("THD"), figure(f.thd, 2)});
}

QList<QStringList> AnalysisPanel::rows() {
  const Recording* rec = recording();
  return rec ? analysisRows(*rec, analysis()) : QList<QStringList>{};
}

}  // namespace vmk::oscview
