#pragma once
// The oscillogram viewer in the window: menu "Журналы" → "Просмотр
// осциллограммы..." opens any .cfg in the viewer's own window, and the
// alarm grid's popup item "Просмотр осциллограммы" opens the pair
// downloaded in this run for the selected entry (it is enabled only for
// such an entry).

#include <QObject>
#include <memory>

class QAction;
class QMenu;

namespace vmk {

struct JournalPages;
class Prompts;

namespace oscview {
class OscViewWindow;
}

class OscViewBinding : public QObject {
  Q_OBJECT
 public:
  OscViewBinding(JournalPages& journalPages, Prompts& prompts, QMenu* journals, QMenu* pmAlarm);
  ~OscViewBinding() override;

  // Opens `cfgPath` in the viewer window (shown and raised); an empty path
  // asks for a file first.
  void open(const QString& cfgPath);
  oscview::OscViewWindow* window() const { return m_window.get(); }
  QAction* menuItem() const { return m_view; }
  QAction* popupItem() const { return m_show; }

 private:
  JournalPages& m_journalPages;
  Prompts& m_prompts;
  QAction* m_view = nullptr;
  QAction* m_show = nullptr;
  std::unique_ptr<oscview::OscViewWindow> m_window;
};

}  // namespace vmk
