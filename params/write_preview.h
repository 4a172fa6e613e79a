#pragma once
// What a write will change, before anything is written: every row to be
// written with the value the device holds now (read once, block by block)
// and the new value, in the grids' texts and with the unit. The window
// shows it and asks; `vmkctl params set --dry-run` prints it.

#include <QHash>
#include <QLocale>
#include <QStringList>
#include <QString>
#include <QVector>
#include <cstdint>
#include <functional>
#include <optional>

#include "params/param_row.h"
#include "params/value_diff.h"

namespace vmk {

// The registers of the rows to be written, as the device held them before
// the write: what the reads of their blocks gave.
class DeviceImage {
 public:
  void put(int reg, std::uint16_t word) { m_words.insert(reg, word); }
  bool holds(int reg) const { return m_words.contains(reg); }
  std::optional<std::uint16_t> at(int reg) const {
    const auto it = m_words.constFind(reg);
    if (it == m_words.constEnd()) return std::nullopt;
    return *it;
  }

 private:
  QHash<int, std::uint16_t> m_words;
};

struct PreviewRow {
  ParamRow row;      // caption, the new text, the registers and words to write
  QString page;      // "Параметры", "Уставки, группа 2"
  QString section;   // the heading the row stands under; may be empty
  // What the device holds now, as the grid would show it; nothing when the
  // read of its block was not answered.
  std::optional<QString> deviceText;
  QVector<std::uint16_t> deviceWords;  // empty when not read
  QString unit;       // "с", "In", "А"...; empty when the row has none
  bool unchanged = false;  // the device holds the new value already
};

struct WritePreview {
  QVector<PreviewRow> rows;  // the parameters in grid order, then the settings
  int changing() const;      // the rows whose value changes (or is not known)
};

// Asked with the preview before the first write; true writes.
using PreviewQuestion = std::function<bool(const WritePreview&)>;

// The preview of `rows` (the rows to be written, each with its registers
// and words) against `device`, of a set whose settings are group `group`.
WritePreview previewOf(const QVector<ParamRow>& rows, const DeviceImage& device, int group,
                       const QLocale& locale);

// Whether the device holds the words a row would write. An address row
// shows and compares the low byte of its register only. False when a
// register was not read.
bool deviceHolds(const ParamRow& row, const DeviceImage& device);

// A bit-string row's bits that the write changes, named ("+ Пуск МТЗ-2,
// − Работа ЗНЗ"); empty for other rows and when the device's value is not
// known.
QString previewBits(const PreviewRow& row, const BitNames& names);

// The preview as text: a line per row, "page<TAB>section<TAB>caption<TAB>
// device<TAB>new<TAB>unit<TAB>без изменений|изменится<TAB>bits", as
// vmkctl prints it.
QStringList previewLines(const WritePreview& preview, const BitNames& names);

}  // namespace vmk
