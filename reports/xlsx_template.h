#pragma once
// The report engine (`ExRep`): copies a template workbook (Office Open XML,
// .xlsx) and puts each named value where a cell names it.
//
// A cell names a value with the placeholder {{name}} (letters, digits and
// "_"), as its whole text or inside it, in a shared or an inline string and
// also when the text is split across formatted runs. A text value is
// written as an inline string; a value with line feeds gets a copy of the
// cell's style with wrapping on (a style other cells share is never
// changed) and its row is made high enough for its lines; a cell whose whole text is one placeholder of an integer value
// becomes a number; a placeholder without a value becomes empty, and a cell
// left with no text keeps only its style. Every other part of the workbook
// is copied as it is; formulas are recalculated when it is opened.
//
// The template and the output are untrusted: a damaged or foreign
// workbook gives the engine's message, and a failed run leaves the output
// file as it was (the new one is written under a temporary name and
// renamed).
//
//   XlsxTemplate rep;
//   rep.setTemplate(dir + "template.xlsx");
//   rep.setValue("pu1", name);
//   rep.setValue("pu2", qint64(serial));
//   rep.setOutputFile(path);
//   QString error;
//   if (!rep.run(&error)) ...

#include <QMap>
#include <QString>
#include <variant>

namespace vmk {

using ReportValue = std::variant<QString, qint64>;
using ReportValues = QMap<QString, ReportValue>;

class XlsxTemplate {
 public:
  void setTemplate(const QString& path) { m_template = path; }
  void setValue(const QString& name, const QString& text) { m_values.insert(name, text); }
  void setValue(const QString& name, qint64 number) { m_values.insert(name, number); }
  void setValues(const ReportValues& values);
  void clearValues() { m_values.clear(); }
  void setOutputFile(const QString& path) { m_output = path; }

  const ReportValues& values() const { return m_values; }

  // Writes the output workbook. False with the engine's message in
  // `error`; the output file is then as it was before.
  bool run(QString* error = nullptr) const;

 private:
  QString m_template;
  QString m_output;
  ReportValues m_values;
};

}  // namespace vmk
