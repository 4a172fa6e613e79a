// The About box: a small modal dialog with the title and the text the
// program hands over as zero-terminated Windows-1251 texts.

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "extlib/cp1251_table.h"

namespace {

QString fromWindows1251(const char* text) {
  if (!text) return {};
  return vmk::cp1251::table::decode(QByteArrayView(text));
}

}  // namespace

extern "C" Q_DECL_EXPORT void ShowAboutFrm(void* parentWindow, const char* title,
                                           const char* text) {
  QDialog dialog(static_cast<QWidget*>(parentWindow));
  dialog.setObjectName(QStringLiteral("AboutFrm"));
  dialog.setWindowTitle(QStringLiteral("О программе"));
  auto* heading = new QLabel(fromWindows1251(title), &dialog);
  heading->setObjectName(QStringLiteral("lblTitle"));
  QFont bold = heading->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.3);
  heading->setFont(bold);
  auto* body = new QLabel(fromWindows1251(text), &dialog);
  body->setObjectName(QStringLiteral("lblVersion"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  auto* layout = new QVBoxLayout(&dialog);
  layout->setContentsMargins(24, 20, 24, 12);
  layout->setSpacing(10);
  layout->addWidget(heading, 0, Qt::AlignHCenter);
  layout->addWidget(body, 0, Qt::AlignHCenter);
  layout->addWidget(buttons);
  dialog.exec();
}
