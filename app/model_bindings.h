#pragma once
// Widgets that follow the workspace's models: memos, gauges, the device
// list, labels, and buttons that run an action.

#include <QObject>

class QAbstractButton;
class QAction;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QWidget;

namespace vmk {

class LabelTexts;
class MessageLog;
class Progress;
class TextList;

void bindLog(MessageLog& log, QPlainTextEdit* memo);
void bindProgress(Progress& progress, QProgressBar* bar);
void bindList(TextList& list, QListWidget* widget);
// Every QLabel below `root` whose objectName has a text in `labels` shows it.
void bindLabels(LabelTexts& labels, QWidget* root);
// The button runs the action and is enabled with it; its own text stays.
void bindButton(QAbstractButton* button, QAction* action);

}  // namespace vmk
