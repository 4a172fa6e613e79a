#pragma once
// The oscillogram viewer: a window of its own over a COMTRADE recording,
// and a second one beside it to compare. The channels on a time axis in ms
// from the trigger (Ia navy, Ib green, Ic red, Io black, as on the live
// page), the digital channels as step lanes with their names, the trigger
// marker; wheel zoom and drag pan of the time axis, Shift + drag a rubber
// band, double-click or "Показать всё" to fit; two cursors (left click: 1,
// right click: 2) with every channel's value at each, their distance in ms
// and in cycles, the RMS over the cycle that ends at each; the analysis at
// a cursor (phasors, symmetrical components, harmonics, phasor diagram);
// the .hdr and .inf texts; the view as PNG with a heading and the cursor
// table, the samples between the cursors and the analysis as CSV.

#include <QMainWindow>
#include <QPoint>

#include "oscview/osc_plot.h"

class QDoubleSpinBox;
class QLabel;
class QPlainTextEdit;
class QTabWidget;
class QTableWidget;

namespace vmk::oscview {

class AnalysisPanel;

class OscViewWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit OscViewWindow(QWidget* parent = nullptr);
  ~OscViewWindow() override;

  // Error boxes for files that cannot be read (on by default; tests and
  // the picture run turn them off and read the returned text).
  void setShowErrors(bool show) { m_showErrors = show; }

  // Opens a recording (a pair or a .cff), in place of what is shown; the
  // error text when it cannot be read (the view is left as it was then),
  // empty on success. A long reading shows its progress and can be
  // cancelled.
  QString open(const QString& path);
  // Opens a second recording beside the first, aligned on the triggers.
  QString openSecond(const QString& path);
  // Shows a recording read elsewhere.
  void show(const Recording& recording, const QString& title);
  using QMainWindow::show;
  // Moves the second recording by `ms` on the time axis.
  void setSecondShift(double ms);

  const Recording& recording() const;
  int recordingCount() const { return int(m_shown.size()); }
  OscPlot* plot() const { return m_plot; }
  QTableWidget* valuesTable() const { return m_table; }
  QLabel* cursorLabel() const { return m_cursorText; }
  AnalysisPanel* analysisPanel() const { return m_analysis; }
  QTabWidget* tabs() const { return m_tabs; }

  // Cursor 0 or 1 at `ms` from the trigger, put on the nearest sample.
  void setCursorTime(int which, double ms);
  double cursorTime(int which) const { return m_cursor[which]; }

  void fitAll();
  void zoomTime(double fromMs, double toMs);
  // The picture: a heading (station, device, start, files), the plot and
  // the cursor table.
  QImage picture();
  // The heading of the saved picture: a line per recording.
  QString heading() const;
  bool savePng(const QString& path);
  bool saveCsv(const QString& path);
  bool saveAnalysisCsv(const QString& path);
  void copyAnalysis();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build();
  void placeOnScreen();
  LoadResult load(const QString& path);
  void showAll();
  void fillTable();
  void placeCursor(int which, double ms);
  void updateCursors();
  void openDialog(bool second);
  void pngDialog();
  void csvDialog();
  void analysisCsvDialog();
  void error(const QString& text);

  QList<Shown> m_shown;
  OscPlot* m_plot = nullptr;
  QTableWidget* m_table = nullptr;
  QLabel* m_cursorText = nullptr;
  QTabWidget* m_tabs = nullptr;
  AnalysisPanel* m_analysis = nullptr;
  QPlainTextEdit* m_description = nullptr;
  QDoubleSpinBox* m_shift = nullptr;
  double m_cursor[2] = {0, 0};
  QPoint m_pressAt;
  // The cursor a click moved, and where it was: a double-click puts it back.
  int m_clickedCursor = -1;
  double m_clickedFrom = 0;
  bool m_skipRelease = false;
  bool m_showErrors = true;
  bool m_loading = false;
};

}  // namespace vmk::oscview
