#pragma once
// The oscillogram viewer: a window of its own over a COMTRADE pair. The
// currents on a time axis in ms from the trigger (Ia navy, Ib green, Ic
// red, Io black, as on the live page), the digital channels as step lanes
// with their names, the trigger marker; wheel zoom and drag pan of the
// time axis, Shift + drag a rubber band, double-click or "Показать всё" to
// fit; two cursors (left click: 1, right click: 2) with every channel's
// value at each, their distance in ms and in cycles, the RMS of each
// current over the cycle that ends at the cursor; the view as PNG and the
// samples between the cursors as CSV.

#include <QMainWindow>
#include <QPoint>

#include "oscview/comtrade_file.h"

class QCustomPlot;
class QCPAxisRect;
class QCPItemStraightLine;
class QLabel;
class QTableWidget;

namespace vmk::oscview {

class OscViewWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit OscViewWindow(QWidget* parent = nullptr);
  ~OscViewWindow() override;

  // Error boxes for files that cannot be read (on by default; tests and
  // the picture run turn them off and read the returned text).
  void setShowErrors(bool show) { m_showErrors = show; }

  // Opens a pair; the error text when it cannot be read (the view is
  // left as it was then), empty on success.
  QString open(const QString& cfgPath);
  // Shows a recording read elsewhere.
  void show(const Recording& recording, const QString& title);
  using QMainWindow::show;

  const Recording& recording() const { return m_rec; }
  QCustomPlot* plot() const { return m_plot; }
  QTableWidget* valuesTable() const { return m_table; }
  QLabel* cursorLabel() const { return m_cursorText; }

  // Cursor 0 or 1 at `ms` from the trigger, put on the nearest sample.
  void setCursorTime(int which, double ms);
  double cursorTime(int which) const { return m_cursor[which]; }

  void fitAll();
  void zoomTime(double fromMs, double toMs);
  bool savePng(const QString& path);
  bool saveCsv(const QString& path);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build();
  void plotRecording();
  void updateCursors();
  void openDialog();
  void pngDialog();
  void csvDialog();
  void error(const QString& text);

  Recording m_rec;
  QCustomPlot* m_plot = nullptr;
  QCPAxisRect* m_analogRect = nullptr;
  QCPAxisRect* m_digitalRect = nullptr;
  QList<QCPItemStraightLine*> m_cursorLines[2];
  QTableWidget* m_table = nullptr;
  QLabel* m_cursorText = nullptr;
  double m_cursor[2] = {0, 0};
  QPoint m_pressAt;
  bool m_showErrors = true;
};

}  // namespace vmk::oscview
