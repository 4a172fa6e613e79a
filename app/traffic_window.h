#pragma once
// "Монитор обмена": every request and reply as it happens, and per address
// the counts and response times. The window observes the session's
// protocol library while it is shown and stops observing when it is closed
// (the frames and counts stay until "Очистить"). It redraws a few times a
// second, not per frame, so a fast bus does not hold up the exchanges.

#include <QTimer>
#include <QWidget>
#include <memory>

#include "traffic/traffic_monitor.h"

class QCheckBox;
class QLabel;
class QTableView;
class QTableWidget;

namespace vmk {

class ModbusLibrary;
class Prompts;

class TrafficFramesModel;

class TrafficWindow : public QWidget {
  Q_OBJECT
 public:
  TrafficWindow(ModbusLibrary& library, Prompts& prompts, QWidget* parent = nullptr);
  ~TrafficWindow() override;

  traffic::TrafficMonitor& monitor() { return m_monitor; }
  // Brings the window up to date with the monitor at once.
  void refresh();
  // "Сохранить..." with the file asked through the prompts.
  void saveAs();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  ModbusLibrary& m_library;
  Prompts& m_prompts;
  traffic::TrafficMonitor m_monitor;
  std::unique_ptr<TrafficFramesModel> m_model;
  QTableView* m_frames = nullptr;
  QTableWidget* m_counts = nullptr;
  QCheckBox* m_pause = nullptr;
  QLabel* m_summary = nullptr;
  QTimer m_timer;
  quint64 m_shown = ~quint64(0);
  bool m_observing = false;
};

}  // namespace vmk
