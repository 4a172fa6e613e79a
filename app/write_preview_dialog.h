#pragma once
// The window shown before a write of parameters and settings: every row to
// be written, grouped by page and section, with the value the device holds
// now, the new value and the unit; rows the device holds already are
// marked "без изменений" and greyed. "Записать" writes, "Отмена" sends
// nothing.

#include <QDialog>

#include "params/write_preview.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace vmk {

class WritePreviewDialog : public QDialog {
  Q_OBJECT
 public:
  // `names` names the bits of bit-string rows (may be empty: "бит N").
  WritePreviewDialog(const WritePreview& preview, const BitNames& names,
                     QWidget* parent = nullptr);

  QTreeWidget* tree() const { return m_tree; }
  QPushButton* writeButton() const { return m_write; }
  QPushButton* cancelButton() const { return m_cancel; }
  // "Только изменяемые строки": the rows the device holds already hidden.
  void showOnlyChanging(bool only);

 private:
  QTreeWidget* m_tree;
  QLabel* m_summary;
  QCheckBox* m_onlyChanging;
  QPushButton* m_write;
  QPushButton* m_cancel;
};

}  // namespace vmk
