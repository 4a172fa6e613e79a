#pragma once
// `TSplashFrm`: the start-up picture. Borderless, on top, centred, 526 x 407.
// It fades in from opacity 10 of 255, 20 more every 100 ms while below 250,
// and ends after `duration` ms or at once on a double-click on the picture.

#include <QTimer>
#include <QWidget>

class QLabel;

namespace vmk {

class TSplashFrm : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kDurationMs = 3000;
  static constexpr int kFadeStepMs = 100;

  explicit TSplashFrm(int durationMs = kDurationMs, QWidget* parent = nullptr);

  bool hasEnded() const { return m_ended; }
  // Opacity in 0..255 as the fade has reached it.
  int alphaBlendValue() const { return m_alpha; }
  QLabel* picture() const { return m_picture; }

  // Shows the splash and waits, dispatching events, until it has ended.
  void showAndWait();

 Q_SIGNALS:
  void ended();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void fadeStep();
  void finish();

  QLabel* m_picture;
  QTimer m_fade;
  QTimer m_end;
  int m_alpha = 10;
  bool m_ended = false;
};

}  // namespace vmk
