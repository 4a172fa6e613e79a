#pragma once
// The calibration window `TMainForm` without its widgets: eight measuring
// points (phases A, B, C and 3Io in the lower range 1..4 and the upper
// range 5..8), each read while the rig injects a known current, given the
// coefficient that makes the device show the reference value, and written
// into the device, by hand or in an automatic loop that reads, corrects
// and reads again until ten readings lie within the point's tolerance.
// The dialog (app/calibration_form) shows this model and forwards its
// clicks; tests and vmkctl drive it without a screen.
//
// A device of variant 3 has phases A and C only (points 1, 3, 5, 7): it is
// read through the live registers and written into coefficient slots.

#include <QLocale>
#include <QObject>
#include <QString>
#include <array>
#include <functional>

#include "model/message_log.h"

namespace vmk {

class Prompts;
class Session;

enum class CalibrMode { Manual = 0, Automatic = 1 };  // rgMode "ручной", "автоматический"

// What the controls of one point show (eNN, seNN, kNN, btrNN, btwNN, imNN).
struct CalibrPoint {
  bool visible = true;          // variant 3 hides the even points
  QString value;                // eNN, read-only
  int reference = 0;            // seNN
  QString coefficient;          // kNN, read-only
  bool coefficientRed = false;  // kNN's text above 254
  bool readEnabled = false;     // btrNN
  bool writeEnabled = false;    // btwNN
  bool referenceEnabled = false;
  bool pictureVisible = false;  // imNN
  int picture = -1;             // ImageList1: 0 adjusted, 1 failed
};

class CalibrationModel : public QObject {
  Q_OBJECT
 public:
  static constexpr int kPoints = 8;
  static constexpr int kDefaultRefValue = 500;
  static constexpr int kDefaultPrecision = 1;
  static constexpr int kTimeOutMin = 15, kTimeOutMax = 1000, kTimeOutDefault = 50;
  static constexpr int kKMin = 1, kKMax = 1000, kKDefault = 205;
  static constexpr int kReferenceMax1 = 65535;  // se01 only; the others have no limits
  // A value edit holding "0" or nothing.
  static constexpr int kNoCoefficient = 1000000;
  // The coefficients a device takes.
  static constexpr int kCoefficientMin = 1, kCoefficientMax = 254;

  struct Options {
    QString programDir;      // where calibr.ini and Front.ini lie (ends in a separator)
    QString messageCaption;  // caption of the boxes the window shows (the application title)
    QLocale locale;          // decimal separator of the success report
    // Waits `ms` milliseconds after a store (empty: sleeps with the window
    // painted through `processEvents`).
    std::function<void(int ms)> wait;
    // Lets the window paint between the exchanges of a long adjustment.
    std::function<void()> processEvents;
  };

  // `FormCreate`: calibr.ini read for each point ("VALUES", "PRECISION";
  // defaults 500 and 1), the even points hidden for variant 3, no point
  // chosen, adjustment mode not active, manual mode, UpdateButtons(0).
  CalibrationModel(Session& session, Prompts& prompts, Options options, QObject* parent = nullptr);

  int variant() const { return m_variant; }
  // Points the window offers: all eight, or 1, 3, 5, 7 for variant 3.
  bool hasPoint(int point) const;
  const CalibrPoint& point(int p) const { return m_points[index(p)]; }
  int RefValue(int p) const { return m_ref[index(p)]; }
  int Precision(int p) const { return m_precision[index(p)]; }
  int Deviation(int p) const { return m_deviation[index(p)]; }
  // A reference value in place of calibr.ini's (the command line's
  // --reference); the spin edits take it at the next mode change.
  void setRefValue(int p, int value) { m_ref[index(p)] = value; }
  bool AdjustActive() const { return m_adjustActive; }
  int CurrentPoint() const { return m_currentPoint; }
  CalibrMode mode() const { return m_mode; }
  int timeOut() const { return m_timeOut; }
  int k() const { return m_k; }
  bool connectEnabled() const { return !m_adjustActive; }
  bool disconnectEnabled() const { return m_adjustActive; }
  // An adjustment runs; the handlers below do nothing meanwhile.
  bool isBusy() const { return m_busy; }

  MessageLog m;  // the window's memo

  // ---- the window's handlers ----
  void Button1Click();              // "Настройка порта": dialog, then Front.ini
  void btConnectClick();
  void btDisconnectClick();
  // Read button of a point: the value read, or -1.
  int btrClick(int tag);
  void seChange(int tag, int value);  // reference spin edit of a point
  void seKChange(int value);
  void seTimeOutChange(int value);
  void btwClick(int tag);           // write button ("Записать" / "Настроить")
  void rgModeClick(CalibrMode mode);
  // A handler ended with a port failure: the error shown under the
  // window's caption, the port closed, the adjustment mode no longer active.
  void portFailed(const QString& error);

  // ---- the window's routines ----
  void UpdateButtons(int selected);
  // The value the point measures now, or -1 (no answer, unconfirmed).
  // Recomputes the coefficient in every case.
  int ReadPointValue(int point);
  // The coefficient for the point's value edit and reference; 0 when no
  // point is given.
  int CalcCoefficient(int point);
  // True when the write was confirmed (variant 3: sent).
  bool WriteCoefficient(int point);
  // True when ten readings fell within the tolerance before 50 writes.
  bool AutoAdjust(int point);

 Q_SIGNALS:
  void pointChanged(int point);
  void stateChanged();  // AdjustActive, mode, spin edits, busy

 private:
  static std::size_t index(int p) { return std::size_t(p - 1); }
  void readCalibrIni();
  void report(const QString& text);  // box in manual mode, line in m in automatic mode
  void setValueText(int point, const QString& text);
  void setCoefficientText(int point, const QString& text);
  void pause(int ms);
  void changed(int point) { Q_EMIT pointChanged(point); }

  Session& m_session;
  Prompts& m_prompts;
  Options m_options;
  int m_variant = 0;
  std::array<CalibrPoint, kPoints> m_points{};
  std::array<int, kPoints> m_ref{};
  std::array<int, kPoints> m_precision{};
  std::array<int, kPoints> m_deviation{};
  bool m_adjustActive = false;
  int m_currentPoint = 0;
  CalibrMode m_mode = CalibrMode::Manual;
  int m_timeOut = kTimeOutDefault;
  int m_k = kKDefault;
  bool m_busy = false;
};

// Rounds n / d to the nearest integer, halves to the even neighbour (d > 0).
long long roundedQuotient(long long n, long long d);

}  // namespace vmk
