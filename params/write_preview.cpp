#include "params/write_preview.h"

#include "params/catalogue.h"
#include "params/messages.h"
#include "params/value_diff.h"

namespace vmk {

namespace {

// The heading above row `row` of a grid; empty when none is.
QString sectionOf(int grid, int row) {
  const QVector<RowSpec>& rows = rowsOf(grid);
  for (int i = qMin(row, int(rows.size()) - 1); i >= 0; --i)
    if (rows[i].kind == RowKind::Heading) return rows[i].caption;
  return {};
}

}  // namespace

int WritePreview::changing() const {
  int n = 0;
  for (const PreviewRow& r : rows) n += !r.unchanged;
  return n;
}

bool deviceHolds(const ParamRow& row, const DeviceImage& device) {
  const bool lowByte = rowsOf(row.grid).value(row.row).kind == RowKind::LowByte;
  if (row.words.isEmpty() || row.words.size() != row.registers.size()) return false;
  for (int k = 0; k < row.words.size(); ++k) {
    const std::optional<std::uint16_t> now = device.at(row.registers[k]);
    if (!now) return false;
    if (lowByte ? (*now & 0xFF) != (row.words[k] & 0xFF) : *now != row.words[k]) return false;
  }
  return true;
}

WritePreview previewOf(const QVector<ParamRow>& rows, const DeviceImage& device, int group,
                       const QLocale& locale) {
  WritePreview preview;
  for (const ParamRow& r : rows) {
    PreviewRow p;
    p.row = r;
    p.page = r.grid == 2 ? kPreviewSettings.arg(group) : kPreviewParameters;
    p.section = sectionOf(r.grid, r.row);
    p.unit = unitOf(r.registers.value(0, -1));
    bool read = !r.registers.isEmpty();
    for (int reg : r.registers) {
      const std::optional<std::uint16_t> word = device.at(reg);
      read = read && word;
      if (word) p.deviceWords << *word;
    }
    if (read) {
      const RowSpec& spec = rowsOf(r.grid)[r.row];
      p.deviceText = textFromWords(spec, p.deviceWords[0], p.deviceWords.value(1), locale);
    } else {
      p.deviceWords.clear();
    }
    p.unchanged = deviceHolds(r, device);
    preview.rows << p;
  }
  return preview;
}

QString previewBits(const PreviewRow& p, const BitNames& names) {
  if (p.deviceWords.isEmpty()) return {};
  return bitDifference(rowsOf(p.row.grid).value(p.row.row), p.row.registers.value(0),
                       p.deviceWords, p.row.words, names);
}

QStringList previewLines(const WritePreview& preview, const BitNames& names) {
  QStringList lines;
  for (const PreviewRow& p : preview.rows)
    lines << QStringList{p.page,
                         p.section,
                         p.row.caption,
                         p.deviceText.value_or(kNotReadBack),
                         p.row.text,
                         p.unit,
                         p.unchanged ? kPreviewUnchanged : kPreviewChanges,
                         previewBits(p, names)}
                 .join(u'\t');
  return lines;
}

}  // namespace vmk
