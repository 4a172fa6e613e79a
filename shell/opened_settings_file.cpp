#include "shell/opened_settings_file.h"

namespace vmk {

void OpenedSettingsFile::opened(const QString& path, const QVector<FileEntry>& entries, const ParamSet& set) {
  m_path = path;
  m_rows.clear();
  for (const FileEntry& e : entries) m_rows.insert(key(e.grid, e.row));
  m_asOpened = set;
}

bool OpenedSettingsFile::taken(const ParamSet& now, int grid, int row) const {
  if (m_path.isEmpty()) return false;
  return m_rows.contains(key(grid, row)) || now.value(grid, row) != m_asOpened.value(grid, row);
}

}  // namespace vmk
