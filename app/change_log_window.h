#pragma once
// The change log of the connected device (menu "Программа" → "Журнал
// изменений..."): every change, newest last, in the grids' captions and
// values, with the register and raw words as detail; a filter over all
// fields.

#include <QDialog>

#include "changelog/change_log.h"
#include "extlib/view_loader.h"

class QLabel;
class QLineEdit;
class QTableWidget;

namespace vmk {

class ShellContext;

class ChangeLogWindow : public QDialog {
  Q_OBJECT
 public:
  ChangeLogWindow(ShellContext& ws, QWidget* parent = nullptr);

  // Reads the device's log file again.
  void reload();
  void setFilter(const QString& text);
  int shownRows() const;

 private:
  void fill();

  ShellContext& m_ws;
  ViewLoader m_names;  // the viewer library, for the names of bits
  ChangeLogReading m_reading;
  QLineEdit* m_filter;
  QTableWidget* m_table;
  QLabel* m_info;
};

}  // namespace vmk
