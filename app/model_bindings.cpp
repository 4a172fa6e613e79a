#include "app/model_bindings.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>

#include "model/label_texts.h"
#include "model/message_log.h"
#include "model/progress.h"
#include "model/text_list.h"

namespace vmk {

void bindLog(MessageLog& log, QPlainTextEdit* memo) {
  memo->clear();
  memo->setMaximumBlockCount(MessageLog::kMaxLines);
  for (const QString& line : log.lines()) memo->appendPlainText(line);
  QObject::connect(&log, &MessageLog::appended, memo, &QPlainTextEdit::appendPlainText);
  QObject::connect(&log, &MessageLog::cleared, memo, &QPlainTextEdit::clear);
}

void bindProgress(Progress& progress, QProgressBar* bar) {
  auto sync = [&progress, bar] {
    bar->setRange(progress.minimum(), progress.maximum());
    bar->setValue(progress.position());
    bar->setVisible(progress.isVisible());
  };
  sync();
  QObject::connect(&progress, &Progress::changed, bar, sync);
}

void bindList(TextList& list, QListWidget* widget) {
  widget->clear();
  widget->addItems(list.lines());
  QObject::connect(&list, &TextList::appended, widget,
                   [widget](const QString& line) { widget->addItem(line); });
  QObject::connect(&list, &TextList::cleared, widget, &QListWidget::clear);
  QObject::connect(&list, &TextList::selectedChanged, widget, [widget](int index) {
    if (widget->currentRow() != index) widget->setCurrentRow(index);
  });
  QObject::connect(widget, &QListWidget::currentRowChanged, &list,
                   [&list](int row) { list.setSelected(row); });
}

void bindLabels(LabelTexts& labels, QWidget* root) {
  for (const QString& name : labels.labels())
    if (auto* label = root->findChild<QLabel*>(name)) label->setText(labels.text(name));
  QObject::connect(&labels, &LabelTexts::textChanged, root,
                   [root](const QString& name, const QString& text) {
                     if (auto* label = root->findChild<QLabel*>(name)) label->setText(text);
                   });
}

void bindButton(QAbstractButton* button, QAction* action) {
  button->setEnabled(action->isEnabled());
  if (!action->toolTip().isEmpty()) button->setToolTip(action->toolTip());
  QObject::connect(action, &QAction::changed, button,
                   [button, action] { button->setEnabled(action->isEnabled()); });
  QObject::connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
}

}  // namespace vmk
