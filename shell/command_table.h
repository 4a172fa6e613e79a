#pragma once
// The command table: one entry per action of `ActionList1`, as data. The
// window builds its QActions from it; `applyCommandTable` puts the start
// state of every action and menu into PageState.

#include <QList>
#include <QString>

#include "model/page_state.h"

namespace vmk {

struct Command {
  QString name;       // "actPolling"
  QString caption;    // "Установить связь"
  int tag = 0;
  QString category;   // "Port" for the actions of the shared port handler
  QString hint;
  int image = -1;     // index into ColorList, -1 = none
  QString shortcut;   // "F5"
  bool startEnabled = true;
  int radioGroup = 0; // 0 = not a radio item
  bool startChecked = false;
};

// Every action, in the order of the table.
const QList<Command>& commandTable();
// The entry of that name, or nullptr.
const Command* findCommand(const QString& name);

// Main menu indexes of `MainMenu1`.
enum MainMenu : int {
  kMenuProgram = 0,   // "Программа"
  kMenuConnection,    // "Подключение"
  kMenuJournals,      // "Журналы"
  kMenuPortSetup,     // "Настройка порта"
  kMenuHelp,          // "Помощь"
  kMenuService,       // "Тех.меню"
  kMenuCount
};

// Start state: every action as the table gives it, menu "Настройка порта"
// disabled (it serves the rear connector only).
void applyCommandTable(PageState& pages);

}  // namespace vmk
