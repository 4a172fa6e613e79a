#pragma once
// The window handlers of the parameter and setting pages: each reads the
// page's state (ParamsPage) with the common part of the workspace, runs
// its operation (params/) and turns the outcome into the page's models and
// boxes. The registry runs them (shell/params_commands.cpp);
// tests call them directly.

#include <QLocale>

#include "params/grid_editing.h"

namespace vmk {

class MessageLog;
struct ParamsPage;
class ShellContext;

// What grid editing works on.
EditModels editModels(ShellContext& ws, ParamsPage& page);

// `ActGetParSet`: reads both grids for the group the setting grid shows;
// "Ошибка связи с устройством!" when a read fails. True when all was read.
bool ActGetParSetExecute(ShellContext& ws, ParamsPage& page, const QLocale& locale = QLocale());
// `actSetParametr`: the password (strict form), then every marked row. A
// refused row shows why in one box and sends nothing. With the page's
// preview on and a face, the rows to write are shown beside the device's
// values first; "Отмена" there sends nothing and says nothing more. A link
// failure shows "Ошибка связи с устройством!". After writing, a line per
// outcome goes to `memo` (the connection report); a write that went
// through says so in a box with the same lines. ParamsModified is cleared
// when the setup block was read back. True then.
bool actSetParametrExecute(ShellContext& ws, ParamsPage& page, const QLocale& locale = QLocale(),
                           MessageLog* memo = nullptr);
// `ActSaveFile`, `ActOpenFile`: the file dialog, then the file; a file that
// cannot be read or written is reported. True when a file was written or
// loaded.
bool ActSaveFileExecute(ShellContext& ws, ParamsPage& page);
bool ActOpenFileExecute(ShellContext& ws, ParamsPage& page);
// `rbGroup2Click` with the group now selected.
void rbGroup2Click(ParamsPage& page, int group);
// `Grid1SelectCell` and `Grid1DblClick` of either grid (1 Grid1, 2
// grdSett) through the page's grid editing; the double-click selects
// the row first and runs `actChangePass` for the password row.
void Grid1SelectCell(ParamsPage& page, int gridTag, int row);
void Grid1DblClick(ShellContext& ws, ParamsPage& page, int gridTag, int row);

}  // namespace vmk
