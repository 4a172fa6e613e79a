#pragma once
// The named values of the reports, in their printed form: the header of
// every report, the parameters and both setting groups of the device
// report, and the rows of the three journal reports.

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QString>
#include <QVector>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>

#include "device/journal_kind.h"
#include "device/tvmk.h"
#include "reports/xlsx_template.h"

namespace vmk {

// `GetFuncAr` of the viewer library: the name of item `index` of list `kind`.
using SignalNameFn = std::function<QString(int kind, int index)>;

// The lists the report names signals from.
namespace signal_list {
constexpr int kIndicators = 0, kRelays = 1, kInputs = 2, kActiveStages = 3, kBlockings = 4,
              kAccelerations = 5, kCharacteristics = 6, kRecorderChannels = 7;
}

// The item a set bit of a mask stands for in its list.
using ItemOfBit = int (*)(int bit);
int sameItem(int bit);
// (Recorder logic channels: reg::channelItemOfBit.)

// A signal list: the names of the set bits of `mask` below `bits`, lowest
// bit first, each followed by a line feed, in a text of at most 255
// characters whose last character is then removed (the closing line feed
// when nothing was cut). An empty mask gives an empty text.
QString signalListText(const SignalNameFn& names, int kind, std::uint32_t mask, int bits,
                       ItemOfBit itemOf = sameItem);

// `word` / `divisor` with `decimals` decimals and the locale's decimal
// separator, rounded half to even.
QString fixedText(std::uint32_t word, int divisor, int decimals, const QLocale& locale);

// A text a source (a settings file) gave for a register that converts to
// no value, and why.
struct NotAValue {
  QString text;
  QString why;
};

// The words the report is made of, by register number: those of the device
// report's reads, or those of a settings file's rows. A register holds a
// word, nothing (never read, or a row the file lacks) or a text that is no
// value.
class RegisterImage {
 public:
  RegisterImage();
  // The register's word; 0 for one that holds no word.
  std::uint16_t at(int r) const { return holds(r) ? m_words[r] : 0; }
  bool holds(int r) const { return r >= 0 && r < m_words.size() && m_held[r] == Held::Word; }
  void set(int r, std::uint16_t word);
  void setNotAValue(int r, const NotAValue& text);
  // What a cell made of `registers` shows instead of its value: nothing
  // when each holds a word; else the note of the first text that is no
  // value, or an empty text when a register holds nothing.
  std::optional<QString> gapIn(std::initializer_list<int> registers) const;

 private:
  enum class Held : std::uint8_t { Nothing, Word, NotAValue };
  QVector<std::uint16_t> m_words;
  QVector<Held> m_held;
  QHash<int, NotAValue> m_notValues;
};

// "date" (`now`), "pu1".."pu5" of the record; "pu2" is the only integer.
ReportValues headerValues(const TVMK& vmk, const QDateTime& now);
// The header of a sheet made of a settings file: "date" (`now`), and in the
// cells only a device gives ("pu1".."pu5", "pu2" a text here) that no
// device was read and the source is the file `fileName`.
ReportValues fileHeaderValues(const QString& fileName, const QDateTime& now);

// The device password's cell ("p3"): masked unless its letters are asked
// for, since reports are handed round.
enum class PasswordCell { Masked, Letters };

// The values of the parameter and setting sheets. A value is made only of
// registers the image holds words for; where one holds nothing its cell is
// empty, where one holds a text that is no value the cell says so
// (RegisterImage::gapIn).
//
// "p1".."p9" from the setup words (registers 64..83); "p3" is "****" or
// the password's four letters.
ReportValues setupValues(const RegisterImage& image, PasswordCell password = PasswordCell::Masked);
// The indicator, input and relay lists, "p51".."p56", "p40".."p45"
// (registers 96..139).
ReportValues configurationValues(const RegisterImage& image, const SignalNameFn& names);
// "p46" and "p5_0" (registers 140..143).
ReportValues recorderValues(const RegisterImage& image, const QLocale& locale);
// "p5_1".."p5_16" (registers 192..223).
ReportValues channelValues(const RegisterImage& image, const SignalNameFn& names);
// "g<group>_1".."g<group>_24" from the group's 38 words.
ReportValues groupValues(int group, const RegisterImage& image, const SignalNameFn& names,
                         const QLocale& locale);
// All of the above: both sheets, both groups.
ReportValues sheetValues(const RegisterImage& image, const SignalNameFn& names, const QLocale& locale,
                         PasswordCell password = PasswordCell::Masked);

// The report's fields ("d<n>", "s<n>"; for the events "i<n>", "o<n>") of
// every journal row n - 1, from its cells as the page shows them.
ReportValues journalValues(const QList<JournalReportField>& fields, const QList<QStringList>& rows);

// Adds `more` to `values` (a name in both takes the later value).
void addValues(ReportValues& values, const ReportValues& more);

}  // namespace vmk
