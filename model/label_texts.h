#pragma once
// Texts of the labels on the pages, by the label's name ("lblKoefTT",
// "lblCurrA"). Operations write here; the window shows each text in the
// label of that objectName.

#include <QHash>
#include <QObject>
#include <QString>

namespace vmk {

class LabelTexts : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

  // An unset label reads as empty.
  QString text(const QString& label) const { return m_texts.value(label); }
  bool contains(const QString& label) const { return m_texts.contains(label); }
  void setText(const QString& label, const QString& text);
  QStringList labels() const { return m_texts.keys(); }

 Q_SIGNALS:
  void textChanged(const QString& label, const QString& text);

 private:
  QHash<QString, QString> m_texts;
};

}  // namespace vmk
