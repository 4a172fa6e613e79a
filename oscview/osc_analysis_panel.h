#pragma once
// The analysis tab beside the plot: at cursor 1 or 2 of one recording,
// each analog channel's RMS, fundamental phasor (angle from the reference
// channel), frequency and THD; the symmetrical components of the
// three-phase group (found by the file's phases, or as the user assigns
// it); the harmonics of the channel selected in the table; the phasor
// diagram of the group and its components.

#include <QList>
#include <QStringList>
#include <QWidget>

#include "oscview/osc_analysis.h"
#include "oscview/osc_plot.h"

class QComboBox;
class QTableWidget;

namespace vmk::oscview {

class PhasorDiagram;

class AnalysisPanel : public QWidget {
  Q_OBJECT
 public:
  explicit AnalysisPanel(QWidget* parent = nullptr);

  void setRecordings(const QList<Shown>& shown);
  void setCursors(double k1Ms, double k2Ms);

  // The choices a user makes, for the window and the tests.
  void setCursorChoice(int which);
  void setReference(int channel);
  void setGroup(const PhaseGroup& group);
  void selectChannel(int channel);

  const AnalysisAt& analysis();
  // Every number of the analysis (for the clipboard and CSV).
  QList<QStringList> rows();

  QTableWidget* channelTable() const { return m_channels; }
  QTableWidget* sequenceTable() const { return m_sequence; }
  QTableWidget* harmonicsTable() const { return m_harmonics; }
  PhasorDiagram* diagram() const { return m_diagram; }

 private:
  void fillChoices();
  // The analysis is made when the tab is shown (or its numbers asked for).
  void recompute();
  void refresh();
  void showEvent(QShowEvent* event) override;
  const Recording* recording() const;
  PhaseGroup chosenGroup() const;

  QList<Shown> m_shown;
  double m_cursorMs[2] = {0, 0};
  AnalysisAt m_at;
  bool m_filling = false;
  bool m_stale = true;
  QComboBox* m_cursor = nullptr;
  QComboBox* m_which = nullptr;
  QComboBox* m_reference = nullptr;
  QComboBox* m_phase[3] = {};
  QTableWidget* m_channels = nullptr;
  QTableWidget* m_sequence = nullptr;
  QTableWidget* m_harmonics = nullptr;
  PhasorDiagram* m_diagram = nullptr;
};

}  // namespace vmk::oscview
