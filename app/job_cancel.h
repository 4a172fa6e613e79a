#pragma once
// The window's side of a running job's cancel: Esc and the "Прервать"
// button beside the job's gauge ask the job to stop at its next step.
// While polling runs the main window takes no input at all, so both are
// made to work around that: the button sits in a small tool window of its
// own above the main window (a window stays enabled when its parent is
// disabled), and Esc is taken by an application-wide filter before the
// disabled window would drop it. Both exist only while a job runs.

#include <QList>
#include <QObject>

class QPushButton;
class QWidget;

namespace vmk {

class JobControl;

class JobCancel : public QObject {
  Q_OBJECT
 public:
  // `gauges`: the progress bars a job may show, in the order looked at;
  // the button is placed beside the first one shown. A job of a single
  // step (polling the front connector) shows no button; Esc still works.
  JobCancel(JobControl& jobs, QWidget* window, QList<QWidget*> gauges);
  ~JobCancel() override;

  // The tool window "pnlCancel" and its button "btnCancel".
  QWidget* panel() const { return m_panel; }
  QPushButton* button() const { return m_button; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void jobStarted(int maximum);
  void jobFinished();
  void place();

  JobControl& m_jobs;
  QWidget* m_window;
  QList<QWidget*> m_gauges;
  QWidget* m_panel;
  QPushButton* m_button;
  bool m_filtering = false;
};

}  // namespace vmk
