#include "app/write_preview_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <functional>

#include "params/messages.h"

namespace vmk {

namespace {

enum Column { kCaption, kDevice, kNew, kUnit, kState, kColumns };

// The page's node, then the section's under it, made when first needed.
QTreeWidgetItem* nodeOf(QTreeWidgetItem* parent, QTreeWidget* tree, const QString& text) {
  const int count = parent ? parent->childCount() : tree->topLevelItemCount();
  for (int i = 0; i < count; ++i) {
    QTreeWidgetItem* item = parent ? parent->child(i) : tree->topLevelItem(i);
    if (item->text(kCaption) == text && item->childCount() > 0 && item->text(kNew).isEmpty())
      return item;
  }
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
  item->setText(kCaption, text);
  item->setFirstColumnSpanned(true);
  QFont bold = item->font(kCaption);
  bold.setBold(true);
  item->setFont(kCaption, bold);
  return item;
}

}  // namespace

WritePreviewDialog::WritePreviewDialog(const WritePreview& preview, const BitNames& names,
                                       QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("WritePreviewDialog"));
  setWindowTitle(msg::preview::kTitle);
  resize(1120, 640);

  m_summary = new QLabel(
      msg::preview::kSummary.arg(preview.rows.size()).arg(preview.changing()));
  m_summary->setObjectName(QStringLiteral("lbPreviewSummary"));
  m_summary->setWordWrap(true);

  m_tree = new QTreeWidget;
  m_tree->setObjectName(QStringLiteral("tvPreview"));
  m_tree->setColumnCount(kColumns);
  m_tree->setHeaderLabels(msg::preview::kColumns);
  m_tree->setUniformRowHeights(false);
  m_tree->setWordWrap(true);
  m_tree->setAlternatingRowColors(true);
  for (const PreviewRow& p : preview.rows) {
    QTreeWidgetItem* page = nodeOf(nullptr, m_tree, p.page);
    QTreeWidgetItem* parentNode = p.section.isEmpty() ? page : nodeOf(page, m_tree, p.section);
    auto* item = new QTreeWidgetItem(parentNode);
    item->setText(kCaption, p.row.caption);
    item->setText(kDevice, p.deviceText.value_or(kNotReadBack));
    item->setText(kNew, p.row.text);
    item->setText(kUnit, p.unit);
    // A bit string's change by the names of its bits.
    item->setText(kState, p.unchanged ? kPreviewUnchanged : previewBits(p, names));
    // Whole values, whatever the column's width.
    for (int c = 0; c < kColumns; ++c) item->setToolTip(c, item->text(c));
    if (p.unchanged)
      for (int c = 0; c < kColumns; ++c) item->setForeground(c, palette().brush(QPalette::Disabled, QPalette::Text));
  }
  m_tree->expandAll();
  // Captions and values whole; the bits' names take the rest (each cell's
  // tooltip holds its whole text).
  for (int c = kCaption; c < kState; ++c) m_tree->resizeColumnToContents(c);
  m_tree->header()->setStretchLastSection(true);

  m_onlyChanging = new QCheckBox(msg::preview::kOnlyChanging);
  m_onlyChanging->setObjectName(QStringLiteral("cbPreviewOnlyChanging"));
  connect(m_onlyChanging, &QCheckBox::toggled, this, &WritePreviewDialog::showOnlyChanging);

  m_write = new QPushButton(msg::preview::kWrite);
  m_write->setObjectName(QStringLiteral("btPreviewWrite"));
  m_cancel = new QPushButton(msg::preview::kCancel);
  m_cancel->setObjectName(QStringLiteral("btPreviewCancel"));
  m_cancel->setDefault(true);
  connect(m_write, &QPushButton::clicked, this, &QDialog::accept);
  connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_onlyChanging);
  buttons->addStretch();
  buttons->addWidget(m_write);
  buttons->addWidget(m_cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_summary);
  layout->addWidget(m_tree, 1);
  layout->addLayout(buttons);
}

void WritePreviewDialog::showOnlyChanging(bool only) {
  // A page or section with nothing left to show goes too.
  std::function<bool(QTreeWidgetItem*)> hide = [&](QTreeWidgetItem* item) {
    if (item->childCount() == 0) {
      const bool hidden = only && item->text(kState) == kPreviewUnchanged;
      item->setHidden(hidden);
      return hidden;
    }
    bool all = true;
    for (int i = 0; i < item->childCount(); ++i) all = hide(item->child(i)) && all;
    item->setHidden(all);
    return all;
  };
  for (int i = 0; i < m_tree->topLevelItemCount(); ++i) hide(m_tree->topLevelItem(i));
}

}  // namespace vmk
