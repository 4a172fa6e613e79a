#pragma once
// What the window shows of the command table and the page control: which
// tabs are visible, which page is active, each action's enabled state, image
// and hint, the main menu's enabled and visible items, whether the main
// window takes input. Operations change this model; the window follows it.

#include <QHash>
#include <QObject>
#include <QString>
#include <QVector>
#include <array>

namespace vmk {

// Page indexes of `pgcMain`.
enum Page : int {
  kPagePolling = 0,    // tshPolling "Связь с устройствами"
  kPageDinamic = 1,    // tsDinamic "Текущие значения"
  kPageParam = 2,      // tshParam "Параметры"
  kPageSettings = 3,   // tshSettings "Уставки"
  kPageEvents = 4,     // tshEvents "Журнал событий"
  kPageStatistic = 5,  // tshStatistic "Журнал статистики"
  kPageAlarm = 6,      // tshAlarm "Журнал аварий"
  kPageCount = 7      // with the three journals; a journal added brings its page
};

struct ActionState {
  bool enabled = true;
  bool checked = false;
  bool visible = true;
  int image = -1;  // index into the image list, -1 = none
  QString hint;
};

class PageState : public QObject {
  Q_OBJECT
 public:
  // `pageCount` pages: the fixed ones and one per journal.
  explicit PageState(int pageCount = kPageCount, QObject* parent = nullptr);

  int pageCount() const { return int(m_tabVisible.size()); }

  bool isTabVisible(int page) const;
  void setTabVisible(int page, bool visible);

  int activePage() const { return m_activePage; }
  // Makes a page active without running the page-change rule (the window
  // runs it when the user changes page; `DataModule::pageChanged`).
  void setActivePage(int page);

  bool isWindowEnabled() const { return m_windowEnabled; }
  void setWindowEnabled(bool enabled);

  // Actions are named as in the command table ("actPolling"). An unknown
  // name reads as the default state and is created on first write.
  ActionState action(const QString& name) const { return m_actions.value(name); }
  bool isEnabled(const QString& name) const { return action(name).enabled; }
  void setEnabled(const QString& name, bool enabled);
  void setChecked(const QString& name, bool checked);
  void setVisible(const QString& name, bool visible);
  void setImage(const QString& name, int image);
  void setHint(const QString& name, const QString& hint);
  void define(const QString& name, const ActionState& state);
  QStringList actionNames() const { return m_actions.keys(); }

  // Main menu items by index ("Программа" 0 ... "Тех.меню" 5).
  bool isMenuEnabled(int menu) const;
  bool isMenuVisible(int menu) const;
  void setMenuEnabled(int menu, bool enabled);
  void setMenuVisible(int menu, bool visible);

 Q_SIGNALS:
  void tabVisibilityChanged(int page, bool visible);
  void activePageChanged(int page);
  void windowEnabledChanged(bool enabled);
  void actionChanged(const QString& name);
  void menuChanged(int menu);

 private:
  ActionState& edit(const QString& name) { return m_actions[name]; }

  QVector<bool> m_tabVisible;
  int m_activePage = kPagePolling;
  bool m_windowEnabled = true;
  QHash<QString, ActionState> m_actions;
  std::array<bool, 6> m_menuEnabled;
  std::array<bool, 6> m_menuVisible;
};

}  // namespace vmk
