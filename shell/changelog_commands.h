#pragma once
// The change log in the window and in vmkctl: the failure to write it,
// reported once an operation ended, and the log of the connected device.

#include <QLocale>
#include <QStringList>
#include <optional>

#include "changelog/change_log.h"
#include "params/value_diff.h"

namespace vmk {

class Prompts;
class ShellContext;

// Shows the box of a change that could not be logged, if there was one,
// after the operation reported its own outcome.
void reportChangeLogFailure(ChangeLog* log, Prompts& prompts);

// The columns a record is shown in, by the window and by vmkctl.
const QStringList& changeLogColumns();
// A record in those columns: when and who, the device, the operation, the
// row's caption (a setting with its group) and its values before and after
// as the grids show them with the unit, the bits changed named, the outcome
// and read-back, then the register and raw words as detail.
QStringList recordCells(const ChangeRecord& r, const BitNames& names,
                        const QLocale& locale = QLocale());
// The columns, in order.
namespace change_column {
enum : int { kTime, kUser, kDevice, kSerial, kAddress, kOperation, kCaption, kBefore, kAfter,
             kBits, kOutcome, kReadBack, kDetail };
}

// The factory number of the connected device (its pages shown), or nothing.
std::optional<int> connectedSerial(const ShellContext& ws);

}  // namespace vmk
