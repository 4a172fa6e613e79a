#pragma once
// The five status-bar panels: 0 port state, 1 connector, 2 chosen device,
// 3 auto-refresh state or the selected grid row's caption, 4 under the
// progress bar.

#include <QObject>
#include <QString>
#include <array>

#include "model/progress.h"

namespace vmk {

// The panels by what they show.
namespace panel {
constexpr int kPort = 0;       // "Порт ... открыт"
constexpr int kConnector = 1;  // front or rear connector
constexpr int kDevice = 2;     // the chosen device
constexpr int kNote = 3;       // auto-refresh, a grid row's caption, "cancelled"
constexpr int kProgress = 4;   // under the progress bar
}  // namespace panel

class StatusPanels : public QObject {
  Q_OBJECT
 public:
  static constexpr int kCount = 5;
  explicit StatusPanels(QObject* parent = nullptr);

  QString text(int panel) const;
  void setText(int panel, const QString& text);

  // `ProgressBar1`.
  Progress& progress() { return m_progress; }

 Q_SIGNALS:
  void textChanged(int panel, const QString& text);

 private:
  std::array<QString, kCount> m_texts;
  Progress m_progress;
};

}  // namespace vmk
