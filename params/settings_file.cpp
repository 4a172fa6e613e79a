#include "params/settings_file.h"

#include <QFile>

#include "shell/workspace.h"
#include "extlib/ini_file.h"
#include "params/catalogue.h"

namespace vmk {

namespace {

const QString kParamSection = QStringLiteral("Параметры");
const QString kSettingSection = QStringLiteral("Уставки");

FileDialog ustDialog() {
  FileDialog d;
  d.filter = QStringLiteral("Файл параметров и уставок (*.ust)|*.ust");
  d.defaultExt = QStringLiteral("ust");
  return d;
}

void storeGrid(IniFile& ini, const QString& section, const TextGrid& grid,
               const QVector<RowSpec>& rows) {
  for (int i = 0; i < rows.size(); ++i)
    if (!rows[i].fileKey.isEmpty())
      ini.setValue(section, rows[i].fileKey, grid.cell(grid::kValue, i));
}

void loadGrid(const IniFile& ini, const QString& section, TextGrid& grid,
              const QVector<RowSpec>& rows) {
  for (int i = 0; i < rows.size(); ++i)
    if (!rows[i].fileKey.isEmpty())
      grid.setCell(grid::kValue, i,
                   ini.value(section, rows[i].fileKey, grid.cell(grid::kValue, i)));
}

// Every data row is marked, those the file lacks included, so that the next
// write sends the whole configuration.
void markDataRows(TextGrid& grid, const QVector<RowSpec>& rows) {
  for (int i = 0; i < rows.size(); ++i)
    if (rows[i].isData() && grid.cell(grid::kRegister, i) != QLatin1String("-1"))
      grid.setCell(grid::kMark, i, QStringLiteral("*"));
}

}  // namespace

bool ActSaveFileExecute(Workspace& ws) {
  const std::optional<QString> path = ws.prompts.saveFile(ustDialog());
  if (!path || path->isEmpty()) return false;
  IniFile ini(IniCodec::Windows1251);
  // An existing file is updated, never replaced by a file without its other
  // sections; one that cannot be read is left alone.
  if (QFile::exists(*path) && !ini.load(*path)) {
    ws.prompts.error(QStringLiteral("Не удалось прочитать файл %1: %2").arg(*path, ini.errorString()));
    return false;
  }
  storeGrid(ini, kParamSection, ws.Grid1, ParamRows());
  storeGrid(ini, kSettingSection, ws.grdSett, SettingRows());
  if (!ini.save(*path)) {
    ws.prompts.error(QStringLiteral("Не удалось записать файл %1: %2").arg(*path, ini.errorString()));
    return false;
  }
  return true;
}

bool ActOpenFileExecute(Workspace& ws) {
  const std::optional<QString> path = ws.prompts.openFile(ustDialog());
  if (!path || path->isEmpty()) return false;
  const qsizetype dot = path->lastIndexOf(u'.');
  if (dot < 0 || path->mid(dot) != QLatin1String(".ust")) return false;
  IniFile ini(IniCodec::Windows1251);
  if (!ini.load(*path)) {
    ws.prompts.error(QStringLiteral("Не удалось прочитать файл %1: %2").arg(*path, ini.errorString()));
    return false;
  }
  loadGrid(ini, kParamSection, ws.Grid1, ParamRows());
  loadGrid(ini, kSettingSection, ws.grdSett, SettingRows());
  markDataRows(ws.Grid1, ParamRows());
  markDataRows(ws.grdSett, SettingRows());
  return true;
}

}  // namespace vmk
