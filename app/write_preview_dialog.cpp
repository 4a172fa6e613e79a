#include "app/write_preview_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

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
  resize(860, 560);

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
  m_tree->header()->setSectionResizeMode(kCaption, QHeaderView::Stretch);
  for (int c = kDevice; c < kColumns; ++c)
    m_tree->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);

  m_write = new QPushButton(msg::preview::kWrite);
  m_write->setObjectName(QStringLiteral("btPreviewWrite"));
  m_cancel = new QPushButton(msg::preview::kCancel);
  m_cancel->setObjectName(QStringLiteral("btPreviewCancel"));
  m_cancel->setDefault(true);
  connect(m_write, &QPushButton::clicked, this, &QDialog::accept);
  connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_write);
  buttons->addWidget(m_cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_summary);
  layout->addWidget(m_tree, 1);
  layout->addLayout(buttons);
}

}  // namespace vmk
