#pragma once
// The window handlers of the parameter and setting pages: each reads the
// workspace, runs its operation (params/) and turns the outcome into the
// page's models and boxes. The registry runs them (shell/params_commands.cpp);
// tests call them directly.

#include <QLocale>

#include "params/grid_editing.h"

namespace vmk {

class Workspace;

// What grid editing works on in the workspace.
EditModels editModels(Workspace& ws);

// `ActGetParSet`: reads both grids for the group the setting grid shows;
// "Ошибка связи с устройством!" when a read fails. True when all was read.
bool ActGetParSetExecute(Workspace& ws, const QLocale& locale = QLocale());
// `actSetParametr`: the password (strict form), then every marked row. A
// refused row shows why in one box and sends nothing; a link failure shows
// "Ошибка связи с устройством!". ParamsModified is cleared when the setup
// block was read back. True then.
bool actSetParametrExecute(Workspace& ws, const QLocale& locale = QLocale());
// `ActSaveFile`, `ActOpenFile`: the file dialog, then the file; a file that
// cannot be read or written is reported. True when a file was written or
// loaded.
bool ActSaveFileExecute(Workspace& ws);
bool ActOpenFileExecute(Workspace& ws);
// `rbGroup2Click` with the group now selected.
void rbGroup2Click(Workspace& ws, int group);
// `Grid1SelectCell` and `Grid1DblClick` of either grid (1 Grid1, 2
// grdSett) through the workspace's grid editing; the double-click selects
// the row first and runs `actChangePass` for the password row.
void Grid1SelectCell(Workspace& ws, int gridTag, int row);
void Grid1DblClick(Workspace& ws, int gridTag, int row);

}  // namespace vmk
