#include "params/settings_file.h"

#include <QFile>

#include "extlib/ini_file.h"
#include "model/text_grid.h"
#include "params/catalogue.h"
#include "params/messages.h"

namespace vmk {

namespace {

const QString kParamSection = QStringLiteral("Параметры");
const QString kSettingSection = QStringLiteral("Уставки");

const QString& sectionOf(int tag) { return tag == 2 ? kSettingSection : kParamSection; }

void storeGrid(IniFile& ini, int tag, const TextGrid& grid) {
  const QVector<RowSpec>& rows = RowsOf(tag);
  for (int i = 0; i < rows.size(); ++i)
    if (!rows[i].fileKey.isEmpty())
      ini.setValue(sectionOf(tag), rows[i].fileKey, grid.cell(grid::kValue, i));
}

void loadGrid(const IniFile& ini, int tag, TextGrid& grid, QVector<FileEntry>& entries) {
  const QVector<RowSpec>& rows = RowsOf(tag);
  for (int i = 0; i < rows.size(); ++i) {
    const QString& key = rows[i].fileKey;
    if (key.isEmpty()) continue;
    if (!ini.contains(sectionOf(tag), key)) continue;
    const QString text = ini.value(sectionOf(tag), key);
    grid.setCell(grid::kValue, i, text);
    entries.append({tag, i, key, text});
  }
}

// Every data row is marked, those the file lacks included, so that the next
// write sends the whole configuration.
void markDataRows(TextGrid& grid, const QVector<RowSpec>& rows) {
  for (int i = 0; i < rows.size(); ++i)
    if (rows[i].isData() && grid.cell(grid::kRegister, i) != QLatin1String("-1"))
      grid.setCell(grid::kMark, i, QStringLiteral("*"));
}

SettingsFileResult refused(QString message) {
  SettingsFileResult r;
  r.outcome = Outcome::InputRefused;
  r.message = std::move(message);
  return r;
}

}  // namespace

FileDialog settingsFileDialog() {
  FileDialog d;
  d.filter = QStringLiteral("Файл параметров и уставок (*.ust)|*.ust");
  d.defaultExt = QStringLiteral("ust");
  return d;
}

SettingsFileResult saveSettingsFile(const QString& path, const TextGrid& grid1,
                                    const TextGrid& grdSett) {
  IniFile ini(IniCodec::Windows1251);
  // An existing file is updated, never replaced by a file without its other
  // sections; one that cannot be read is left alone.
  if (QFile::exists(path) && !ini.load(path)) return refused(fileReadError(path, ini.errorString()));
  storeGrid(ini, 1, grid1);
  storeGrid(ini, 2, grdSett);
  if (!ini.save(path)) return refused(fileWriteError(path, ini.errorString()));
  return {};
}

SettingsFileResult loadSettingsFile(const QString& path, TextGrid& grid1, TextGrid& grdSett) {
  const qsizetype dot = path.lastIndexOf(u'.');
  if (dot < 0 || path.mid(dot) != QLatin1String(".ust")) return refused({});
  IniFile ini(IniCodec::Windows1251);
  if (!ini.load(path)) return refused(fileReadError(path, ini.errorString()));
  SettingsFileResult result;
  loadGrid(ini, 1, grid1, result.entries);
  loadGrid(ini, 2, grdSett, result.entries);
  markDataRows(grid1, ParamRows());
  markDataRows(grdSett, SettingRows());
  return result;
}

}  // namespace vmk
