#pragma once
// `TMainForm` ("Calibr", 584 x 488): the calibration window. It shows a
// CalibrationModel (service/calibration_model.h) and hands the model every
// click; every control carries its name (btr01, e01, se01, k01, btw01,
// im01, ..., Button1, btConnect, btDisconnect, seTimeOut, seK, rgMode, m).
// While an automatic adjustment runs the window stays painted, takes no
// clicks and cannot be closed.

#include <QDialog>
#include <QPixmap>
#include <array>

#include "service/calibration_model.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace vmk {

class TMainForm : public QDialog {
  Q_OBJECT
 public:
  TMainForm(CalibrationModel& model, QWidget* parent = nullptr);

  // `ImageList1`: picture 0 a successful adjustment, 1 a failed one (24 x 24).
  static QPixmap picture(int index);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  struct PointControls {
    QPushButton* read = nullptr;
    QLineEdit* value = nullptr;
    QSpinBox* reference = nullptr;
    QLineEdit* coefficient = nullptr;
    QPushButton* write = nullptr;
    QLabel* picture = nullptr;
  };

  void showPoint(int point);
  void showState();
  // Runs one of the model's handlers; an error it leaves (a port that
  // failed) is shown under the application title and the port closed.
  void guarded(const std::function<void()>& handler);

  CalibrationModel& m_model;
  std::array<PointControls, CalibrationModel::kPoints> m_points;
  QPushButton* m_portSetup;
  QPushButton* m_connect;
  QPushButton* m_disconnect;
  QSpinBox* m_timeOut;
  QSpinBox* m_k;
  QRadioButton* m_manual;
  QRadioButton* m_automatic;
  QPlainTextEdit* m_log;
  bool m_showing = false;
};

}  // namespace vmk
