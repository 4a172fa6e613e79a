#include "model/page_state.h"

namespace vmk {

PageState::PageState(int pageCount, QObject* parent)
    : QObject(parent), m_tabVisible(pageCount > 0 ? pageCount : 1, true) {
  m_menuEnabled.fill(true);
  m_menuVisible.fill(true);
}

bool PageState::isTabVisible(int page) const {
  return page >= 0 && page < pageCount() && m_tabVisible[page];
}

void PageState::setTabVisible(int page, bool visible) {
  if (page < 0 || page >= pageCount() || m_tabVisible[page] == visible) return;
  m_tabVisible[page] = visible;
  Q_EMIT tabVisibilityChanged(page, visible);
}

void PageState::setActivePage(int page) {
  if (page < 0 || page >= pageCount() || page == m_activePage) return;
  m_activePage = page;
  Q_EMIT activePageChanged(page);
}

void PageState::setWindowEnabled(bool enabled) {
  if (m_windowEnabled == enabled) return;
  m_windowEnabled = enabled;
  Q_EMIT windowEnabledChanged(enabled);
}

void PageState::setEnabled(const QString& name, bool enabled) {
  ActionState& a = edit(name);
  if (a.enabled == enabled) return;
  a.enabled = enabled;
  Q_EMIT actionChanged(name);
}

void PageState::setChecked(const QString& name, bool checked) {
  ActionState& a = edit(name);
  if (a.checked == checked) return;
  a.checked = checked;
  Q_EMIT actionChanged(name);
}

void PageState::setVisible(const QString& name, bool visible) {
  ActionState& a = edit(name);
  if (a.visible == visible) return;
  a.visible = visible;
  Q_EMIT actionChanged(name);
}

void PageState::setImage(const QString& name, int image) {
  ActionState& a = edit(name);
  if (a.image == image) return;
  a.image = image;
  Q_EMIT actionChanged(name);
}

void PageState::setHint(const QString& name, const QString& hint) {
  ActionState& a = edit(name);
  if (a.hint == hint) return;
  a.hint = hint;
  Q_EMIT actionChanged(name);
}

void PageState::define(const QString& name, const ActionState& state) {
  m_actions[name] = state;
  Q_EMIT actionChanged(name);
}

bool PageState::isMenuEnabled(int menu) const {
  return menu >= 0 && menu < int(m_menuEnabled.size()) && m_menuEnabled[menu];
}

bool PageState::isMenuVisible(int menu) const {
  return menu >= 0 && menu < int(m_menuVisible.size()) && m_menuVisible[menu];
}

void PageState::setMenuEnabled(int menu, bool enabled) {
  if (menu < 0 || menu >= int(m_menuEnabled.size()) || m_menuEnabled[menu] == enabled) return;
  m_menuEnabled[menu] = enabled;
  Q_EMIT menuChanged(menu);
}

void PageState::setMenuVisible(int menu, bool visible) {
  if (menu < 0 || menu >= int(m_menuVisible.size()) || m_menuVisible[menu] == visible) return;
  m_menuVisible[menu] = visible;
  Q_EMIT menuChanged(menu);
}

}  // namespace vmk
