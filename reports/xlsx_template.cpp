#include "reports/xlsx_template.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "reports/messages.h"
#include "reports/workbook_fill.h"
#include "reports/zip_archive.h"

namespace vmk {

namespace {

// A template larger than this is no report template.
constexpr qint64 kMaxTemplateSize = 32 * 1024 * 1024;

bool fail(QString* error, const QString& text) {
  if (error) *error = text;
  return false;
}

}  // namespace

void XlsxTemplate::setValues(const ReportValues& values) {
  for (auto it = values.constBegin(); it != values.constEnd(); ++it) m_values.insert(it.key(), it.value());
}

bool XlsxTemplate::run(QString* error) const {
  namespace m = msg::reports;
  if (m_output.isEmpty()) return fail(error, m::kNoOutputName);
  const QFileInfo info(m_template);
  if (m_template.isEmpty() || !info.isFile()) return fail(error, m::kNoTemplate.arg(m_template));
  if (info.size() > kMaxTemplateSize)
    return fail(error, m::kTemplateDamaged.arg(m_template, QStringLiteral("слишком большой файл")));
  QFile file(m_template);
  if (!file.open(QIODevice::ReadOnly))
    return fail(error, m::kTemplateUnreadable.arg(m_template, file.errorString()));
  const QByteArray bytes = file.read(kMaxTemplateSize + 1);
  file.close();
  if (bytes.size() > kMaxTemplateSize)
    return fail(error, m::kTemplateDamaged.arg(m_template, QStringLiteral("слишком большой файл")));

  QString why;
  const std::optional<QList<xlsx::ZipEntry>> entries = xlsx::readZip(bytes, &why);
  if (!entries) return fail(error, m::kTemplateDamaged.arg(m_template, why));
  const std::optional<QList<xlsx::ZipEntry>> filled = xlsx::fillWorkbook(*entries, m_values, &why);
  if (!filled) return fail(error, m::kTemplateDamaged.arg(m_template, why));
  const std::optional<QByteArray> zip = xlsx::writeZip(*filled, &why);
  if (!zip) return fail(error, m::kNotWritten.arg(m_output, why));

  // Written beside the target under a temporary name and renamed over it:
  // until then the old file stays as it was.
  QSaveFile out(m_output);
  if (!out.open(QIODevice::WriteOnly)) return fail(error, m::kNotWritten.arg(m_output, out.errorString()));
  if (out.write(*zip) != zip->size()) {
    const QString text = m::kNotWritten.arg(m_output, out.errorString());
    out.cancelWriting();
    return fail(error, text);
  }
  if (!out.commit()) return fail(error, m::kNotWritten.arg(m_output, out.errorString()));
  return true;
}

}  // namespace vmk
