#pragma once
// Writing every row marked "*" in Grid1 and grdSett to the device
// (`actSetParametr`), then reading the setup block back.

#include <QLocale>
#include <QString>
#include <QVector>

#include "device/outcome.h"
#include "params/param_row.h"

namespace vmk {

class Session;
class TextGrid;
struct SetupFields;

enum class RowWrite {
  Written,     // the device answered every write of the row; its mark is gone
  Unanswered,  // a write of the row was not answered (or refused by the device)
  Refused,     // the text cannot be written; nothing at all was sent
  NotSent,     // not tried: another row was refused, or the port failed before
};

struct RowWriteResult {
  ParamRow row;  // caption, text, register(s) and the words to write
  RowWrite state = RowWrite::NotSent;
  Outcome outcome = Outcome::Done;  // Unanswered: what the failing write came to
  QString why;                      // Refused: why, in Russian
};

struct ParamWriteResult {
  // Done when the setup block was read back (rows may still be
  // unanswered); the password's outcome when it did not pass; InputRefused
  // when a marked row cannot be written; the outcome of the setup read or
  // PortFailure otherwise.
  Outcome outcome = Outcome::Done;
  // Every marked row, Grid1 rows 0..61 then grdSett rows 0..31.
  QVector<RowWriteResult> rows;

  bool ok() const { return outcome == Outcome::Done; }
  int count(RowWrite state) const;
};

// 1. `password` is the password check's result: unless it passed, nothing
//    is sent and its outcome is returned.
// 2. Every marked row of both grids is converted and checked first: a
//    register number, a text that is what the row shows (a number, the
//    row's bit string, a toggle text, a characteristic name) and words that
//    fit 16 bits. When any row fails, nothing is sent and the port is not
//    opened (InputRefused; the refused rows say why).
// 3. One register write per word at the session's device address (a
//    two-register row: the register, then register + 1). A row loses its
//    mark only when the device answered every write of the row.
// 4. The setup block is read back into `setup`; when that read fails,
//    `setup` stays as it was.
// A port failure while writing ends the action (PortFailure). Shows
// nothing; the port is closed on every way out. Throws Error when the port
// cannot be opened.
ParamWriteResult writeParameters(Session& session, const Result<QString>& password,
                                 TextGrid& grid1, TextGrid& grdSett, SetupFields& setup,
                                 const QLocale& locale = QLocale());

// The error box of a refused write: every refused row and why.
QString refusalMessage(const ParamWriteResult& result);

}  // namespace vmk
