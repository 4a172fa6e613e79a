#pragma once
// Pages 2 and 3, the parameters and the settings: the values with their
// marks, the two grids that show them, the group the setting grid shows,
// the editing of both grids and whether anything is still to be written.

#include "device/session.h"
#include "model/status_panels.h"
#include "model/text_grid.h"
#include "params/grid_editing.h"
#include "params/param_grid_view.h"
#include "params/param_set.h"
#include "shell/opened_settings_file.h"

namespace vmk {

struct ParamsPage {
  // `status` shows the selected row's caption, `setup` gives the editor
  // the earth transformer's secondary.
  ParamsPage(StatusPanels& status, const SetupFields& setup)
      : paramEditing{EditModels{params, status, ParamsModified, setup}} {}
  ParamsPage(const ParamsPage&) = delete;
  ParamsPage& operator=(const ParamsPage&) = delete;

  bool ParamsModified = false;
  int SettingGroup = 1;  // rbGroup1 / rbGroup2: the group grdSett shows
  // Whether a write first shows what it will change and asks (the face's
  // windows do; a write without them goes on as asked).
  bool previewBeforeWrite = true;

  // The parameters and the settings of group SettingGroup, and their marks;
  // Grid1 and grdSett show them.
  ParamSet params{SettingGroup};
  TextGrid Grid1{62, 5};    // parameters
  TextGrid grdSett{32, 5};  // settings of one group
  ParamGridView paramView{params, Grid1, grdSett};
  // Editing of both grids (SelRow, CurRegister, CurValue); the window gives
  // it the viewer library's value editor.
  GridEditing paramEditing;
  // The settings file opened into `params`, until the device is read.
  OpenedSettingsFile openedFile;
};

}  // namespace vmk
