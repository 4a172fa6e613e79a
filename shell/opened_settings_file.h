#pragma once
// The settings file last opened on the parameters page, for the settings
// sheet ("Отчёт по файлу уставок..."): its name, the rows it held and the
// page's set as it stood right after. The sheet takes those rows and every
// row changed since (the edits, with or without a mark), never a value the
// device gave that the file did not replace.

#include <QSet>
#include <QString>
#include <QVector>

#include "params/param_set.h"
#include "params/settings_file.h"

namespace vmk {

class OpenedSettingsFile {
 public:
  // `set` has just taken the file's `entries`.
  void opened(const QString& path, const QVector<FileEntry>& entries, const ParamSet& set);
  // A read from the device: the page no longer holds the file.
  void forget() { *this = OpenedSettingsFile(); }

  // Empty when no file is opened.
  const QString& path() const { return m_path; }
  // Whether the sheet takes row `row` of grid `grid` of `now` (the page's
  // set as it is now).
  bool taken(const ParamSet& now, int grid, int row) const;

 private:
  static int key(int grid, int row) { return grid * 1000 + row; }

  QString m_path;
  QSet<int> m_rows;
  ParamSet m_asOpened;
};

}  // namespace vmk
