#pragma once
// The comparison window (menu "Программа" → "Сравнить уставки..."): two
// sets of parameters and settings side by side, the differing rows marked,
// and the differences of either side taken over into the grids.

#include <QDialog>
#include <optional>

#include "extlib/view_loader.h"
#include "params/compare.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace vmk {

struct ParamsPage;
class ShellContext;

class CompareWindow : public QDialog {
  Q_OBJECT
 public:
  CompareWindow(ShellContext& ws, ParamsPage& page, QWidget* parent = nullptr);

  // Shows a comparison made elsewhere (tests, screenshots).
  void showComparison(const Comparison& c);
  const std::optional<Comparison>& comparison() const { return m_comparison; }

  // The buttons' work, for tests without clicks.
  void compare();
  void takeOver(bool fromRight);

 private:
  void fill();

  ShellContext& m_ws;
  ParamsPage& m_page;
  ViewLoader m_names;  // the viewer library, for the names of bits
  std::optional<Comparison> m_comparison;
  QRadioButton* m_groups;
  QRadioButton* m_deviceFile;
  QRadioButton* m_files;
  QCheckBox* m_onlyDiffering;
  QTableWidget* m_table;
  QLabel* m_summary;
  QPushButton* m_takeLeft;
  QPushButton* m_takeRight;
};

}  // namespace vmk
