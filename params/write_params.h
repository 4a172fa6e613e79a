#pragma once
// Writing every row of a parameter set marked "*" to the device
// (`actSetParametr`), then reading the setup block back.

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <optional>

#include "device/device_change.h"
#include "device/outcome.h"
#include "params/param_row.h"
#include "params/range_check.h"
#include "params/write_preview.h"

namespace vmk {

class ParamSet;
class Session;
struct SetupFields;

enum class RowWrite {
  Written,     // the device answered every write of the row; its mark is gone
  Unanswered,  // a write of the row was not answered (or refused by the device)
  Refused,     // the text cannot be written; nothing at all was sent
  NotSent,     // not tried: another row was refused, or the port failed before
  NotHeld,     // answered, but a register read back does not hold the value
               // sent (or its read-back was not answered); the mark stays
  Kept,        // stands for no value (an empty characteristic, a toggle text
               // with neither letter): not written, the device keeps its value
};

struct RowWriteResult {
  ParamRow row;  // caption, text, register(s) and the words to write
  RowWrite state = RowWrite::NotSent;
  Outcome outcome = Outcome::Done;  // Unanswered: what the failing write came to
  QString why;                      // Refused: why, in Russian
  // Per register written: what its read-back gave (NotHeld tells which).
  QVector<ReadBack> readBack;
  QVector<std::uint16_t> readValues;  // 0 where the read-back was not answered
};

struct ParamWriteResult {
  // Done when the setup block was read back (rows may still be
  // unanswered or kept); the password's outcome when it did not pass;
  // InputRefused when a marked row cannot be written; Cancelled when rows
  // outside their ranges were not to be written; the outcome of the setup
  // read or PortFailure otherwise.
  Outcome outcome = Outcome::Done;
  // Every marked row, the parameters 0..61 then the settings 0..31.
  QVector<RowWriteResult> rows;
  // The rows outside their engineering ranges (asked about before writing).
  QVector<RangeViolation> outOfRange;
  // What the write was to change, against what the device held before it
  // (made once the checks passed); whether the question on it said no.
  WritePreview preview;
  bool previewDeclined = false;
  // The device's new address, when it answered the write of another one;
  // the session's DeviceAddress is that address now.
  std::optional<int> movedTo;

  bool ok() const { return outcome == Outcome::Done; }
  int count(RowWrite state) const;
};

// Asked with the rows outside their ranges; true writes them anyway.
using RangeQuestion = std::function<bool(const QVector<RangeViolation>&)>;

// 1. `password` is the password check's result: unless it passed, nothing
//    is sent and its outcome is returned.
// 2. Every marked row of the set is checked first: its words (a text given
//    must be what the row shows - a number, the row's bit string, a toggle
//    text, a characteristic name - and words must fit 16 bits). When any
//    row fails, nothing is sent and the port is not opened (InputRefused;
//    the refused rows say why). A row that stands for no value
//    (RowWrite::Kept) is passed over, not refused.
// 3. The registers of the rows to write are read once, a request per
//    block of the register map (the span of the rows in it). A block the
//    device does not answer is not known; a port failure ends the action
//    (PortFailure) with nothing written. The port is closed again.
// 4. The words of every row are checked against the engineering ranges; a
//    row whose words the device holds now is its own value and passes.
//    When others lie outside, `askOutOfRange` is asked with them; unless
//    it answers true (no question: false), nothing is written (Cancelled,
//    with `outOfRange`).
// 5. `confirm` is asked with the preview (no question: the write goes on);
//    false writes nothing (Cancelled, previewDeclined).
// 6. Block by block, one register write per word at the session's device
//    address (a two-register row: the register, then register + 1), then
//    the block read back once and each register compared with the word
//    sent. A row loses its mark only when the device answered every write
//    of the row and every register holds what was sent; otherwise it is
//    NotHeld and keeps its mark. A kept row loses its mark, and a kept
//    toggle row its value too. Once the device answered the write of a new
//    device address it answers there (as a device does): the session's
//    DeviceAddress follows it at once, so the rest of the write, the checks
//    and the setup read reach it (`movedTo`).
// 7. The setup block is read back into `setup`; when that read fails,
//    `setup` stays as it was.
// A port failure while writing ends the action (PortFailure); rows written
// but not yet read back are NotHeld. Shows nothing; the port is closed on
// every way out. Throws Error when the port cannot be opened.
ParamWriteResult writeParameters(Session& session, const Result<QString>& password,
                                 ParamSet& set, SetupFields& setup,
                                 const QLocale& locale = QLocale(),
                                 const RangeQuestion& askOutOfRange = {},
                                 const PreviewQuestion& confirm = {});

// The error box of a refused write: every refused row and why.
QString refusalMessage(const ParamWriteResult& result);
// The box of a write whose read-back differs: "Устройство не сохранило
// значения: " and each row not held, its register, what was written and
// what was read; empty when every answered row holds.
QString notHeldMessage(const ParamWriteResult& result);
// A write that began: one line per outcome - the rows written and read
// back, the rows kept (when any), the rows not written or not confirmed
// (when any). Empty for a write refused or cancelled before sending.
QStringList writeSummary(const ParamWriteResult& result);
// The closing box of a write that went through: "Запись в устройство
// завершена.", the summary, and each kept row and that the device holds
// its former value.
QString doneReport(const ParamWriteResult& result);

}  // namespace vmk
