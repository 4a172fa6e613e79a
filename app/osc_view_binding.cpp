#include "app/osc_view_binding.h"

#include <QMenu>

#include "journals/messages.h"
#include "model/prompts.h"
#include "oscview/osc_window.h"
#include "shell/journal_pages.h"

namespace vmk {

OscViewBinding::OscViewBinding(JournalPages& journalPages, Prompts& prompts, QMenu* journals,
                               QMenu* pmAlarm)
    : m_journalPages(journalPages), m_prompts(prompts) {
  m_view = journals->addAction(QStringLiteral("Просмотр осциллограммы..."));
  m_view->setObjectName(QStringLiteral("miOscView"));
  connect(m_view, &QAction::triggered, this, [this] { open(QString()); });

  m_show = pmAlarm->addAction(QStringLiteral("Просмотр осциллограммы"));
  m_show->setObjectName(QStringLiteral("miOscShow"));
  auto downloaded = [this] { return m_journalPages.oscFiles.value(m_journalPages.grdAlarm.currentRow()); };
  connect(pmAlarm, &QMenu::aboutToShow, this, [this, downloaded] { m_show->setEnabled(!downloaded().isEmpty()); });
  connect(m_show, &QAction::triggered, this, [this, downloaded] {
    const QString file = downloaded();
    if (!file.isEmpty()) open(file);
  });
  m_show->setEnabled(false);
}

OscViewBinding::~OscViewBinding() = default;

void OscViewBinding::open(const QString& cfgPath) {
  QString path = cfgPath;
  if (path.isEmpty()) {
    const std::optional<QString> chosen =
        m_prompts.openFile(FileDialog{msg::journals::kOscFilter, QStringLiteral("cfg"), false});
    if (!chosen) return;
    path = *chosen;
  }
  if (!m_window) m_window = std::make_unique<oscview::OscViewWindow>();
  m_window->show();
  m_window->raise();
  m_window->activateWindow();
  m_window->open(path);
}

}  // namespace vmk
