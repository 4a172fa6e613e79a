#pragma once
// The register catalogue of the parameter grid `Grid1` and the setting grid
// `grdSett`: one table that says, row by row, which register a row shows,
// under which caption and file key, and how register words, value texts,
// editor values and written words turn into one another. Parameter sets
// (params/param_set.h), the grids that show them, the settings file and the
// report all work through it.

#include <QLocale>
#include <QString>
#include <QVector>
#include <cstdint>
#include <optional>

#include "extlib/registers.h"

namespace vmk {

namespace grid {
// Columns of both grids.
constexpr int kCaption = 0;
constexpr int kValue = 1;
constexpr int kMark = 2;
constexpr int kRegister = 3;
}  // namespace grid

enum class RowKind {
  Heading,         // caption only, register column "-1"
  Password,        // "*****", register column "65535", never written here
  Integer,         // the word as an unsigned decimal
  LowByte,         // the low byte of the word (device address)
  ActiveGroup,     // bit 0 + 1; editor value and written value = number - 1
  Toggle,          // bit 0 selects one of two texts; written by first letter
  Bits,            // low `bits` bits of the word as "0"/"1", highest first
  WideBits,        // `bits` bits of register + 1, then 16 bits of register
  Milliseconds,    // word x 10; written as number div 10
  Scaled,          // word / readDivisor; editor x editScale; written x writeScale
  Characteristic,  // index into CharacteristicNames
};

struct RowSpec {
  RowKind kind = RowKind::Heading;
  QString caption;
  // Grid1: absolute register; grdSett: offset from the group base.
  // -1 for a heading row, 65535 for the password row.
  int reg = -1;
  QString fileKey;  // key in the settings file; empty when not stored
  int bits = 0;     // Bits: width; WideBits: width of the high part
  // Scaled rows.
  int readDivisor = 1;
  int readDecimals = 0;
  int editScale = 1;     // editor value = text x editScale, rounded
  int editDecimals = 0;  // text after editing: value / editScale with these decimals
  int writeScale = 1;    // register = text x writeScale, rounded
  // Toggle rows: bit 0 = 0 gives offText, 1 gives onText.
  QString offText;
  QString onText;

  bool isData() const { return kind != RowKind::Heading && kind != RowKind::Password; }
  bool isTwoRegister() const { return kind == RowKind::WideBits; }
  // Width of the text of a bit-string row (22, 15, 18, 32, 5, 1).
  int bitWidth() const { return kind == RowKind::WideBits ? bits + 16 : bits; }
};

// Grid1, 62 rows; grdSett, 32 rows.
const QVector<RowSpec>& paramRows();
const QVector<RowSpec>& settingRows();
// 1 -> Grid1, 2 -> grdSett (the grids' tags).
const QVector<RowSpec>& rowsOf(int gridTag);

// The register column of the password row: no register of the device.
constexpr int kPasswordRegister = 0xFFFF;
constexpr int kGroupModeRegister = reg::kGroupMode;
constexpr int kRecorderSourceRegister = reg::kRecorderSource;
// The first register of a setting group (group 2, else group 1).
constexpr int groupBase(int group) { return reg::groupBase(group); }

// `CharacteristicNames`, indexed by the register value 0..5.
const QStringList& CharacteristicNames();
// Index of the last name that occurs inside the text; nothing when none does.
std::optional<int> characteristicIndex(const QString& text);

// Text from register(s): `word` is the row's register, `next` the register
// after it (used by two-register rows only).
QString textFromWords(const RowSpec& row, std::uint16_t word, std::uint16_t next,
                      const QLocale& locale);

// Editor value of a value text, as handed to the value editor. Bit strings
// never fail (characters other than "1" count as 0); the characteristic row
// gives 255 when no name occurs. Nothing when a number does not convert or
// does not fit 32 bits. Rows without an editor value (toggles, password,
// headings) give nothing.
std::optional<std::int32_t> editorValue(const RowSpec& row, const QString& text,
                                        const QLocale& locale);

// Text after editing: the value text a row shows for an editor value.
QString textAfterEdit(const RowSpec& row, std::int32_t value, const QLocale& locale);

// Words written for a value text: one word, or two (register, then
// register + 1) for two-register rows. Every word is checked to fit 16 bits
// and every text to be what the row shows; `why` tells, in Russian, why a
// text is refused. A text that stands for no value the row can send is
// kept instead: no words, the device keeps what it holds. That is the
// characteristic row with an empty text (what a read shows for a word
// above 5) and a toggle row whose text begins with neither of its letters.
struct WriteWords {
  QVector<std::uint16_t> words;
  QString why;
  bool kept = false;
  bool ok() const { return why.isEmpty() && !kept; }
  bool operator==(const WriteWords&) const = default;
};
// Only the borders where a text comes in call this: the settings file and
// an edit of a grid (tests/layering holds them to it); everything else
// works on the words a parameter set holds.
WriteWords wordsFromText(const RowSpec& row, const QString& text, const QLocale& locale);

// The words a row read as `word` (and `next`) writes back: exactly what the
// text textFromWords shows for them would write, without the text. The
// address row's low byte, the bits a row shows, the scaled value as shown
// (rounded to the shown decimals); a characteristic word above 5 is kept.
WriteWords wordsOfRead(const RowSpec& row, std::uint16_t word, std::uint16_t next);
// The words of a row that shows no text (never read, or emptied): what an
// empty text writes.
WriteWords wordsOfEmptyRow(const RowSpec& row);

// Text after toggling a toggle row by double-click.
QString toggledText(const RowSpec& row, const QString& text);

}  // namespace vmk
