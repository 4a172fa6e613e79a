#pragma once
// The page rules of the main window: what a change of page enables, which
// pages a connection shows, and the grid a header control sizes.

#include <QString>

#include "shell/shell_context.h"

namespace vmk {

struct ParamsPage;
class TextGrid;
class Workspace;

// The eight actions that only some pages enable.
const QStringList& pageDependentActions();

// `pgcMainChange`: the user made `page` active. Switches the live values'
// auto-refresh off (where the page has a timer), disables the eight
// page-dependent actions, then enables those of the new page. Page 1 also writes the
// current-transformer labels; page 2 empties status panel 3; pages 4 to 6
// enable the menu "Тех.меню" (which stays hidden).
void pgcMainChange(Workspace& ws, int page);

// `BlockTabSheet`: true hides pages 4..6 and then page 1 (pages 0, 2, 3
// always stay); false shows pages 1..6 and hides 4..6 again for a device of
// variant 3, which has no journals.
void BlockTabSheet(ShellContext& ws, bool block);

// The grid a header control's tag pairs with: 1 Grid1, 2 grdSett,
// then each journal's by the tag of its row (3 GrdEvent, 4 grdStat,
// 5 grdAlarm); nullptr for any other tag.
TextGrid* gridForHeaderTag(Workspace& ws, int tag);

// `Header1SectionResize`: the paired grid's column `section` becomes
// `width` - 2 pixels wide (never below 0). Other tags do nothing.
void Header1SectionResize(Workspace& ws, int tag, int section, int width);

// `FormClose`: whether the main window may close. With unsaved edits the
// user is asked; "&No" (or a box closed without an answer) keeps it open.
bool FormCloseQuery(ShellContext& ws, const ParamsPage& params);

}  // namespace vmk
