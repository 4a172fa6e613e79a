#pragma once
// Reading the parameter block and the settings of one group into Grid1 and
// grdSett (`ActGetParSet`), and the setup fields the first block carries
// into the device record.

#include <QLocale>
#include <QVector>

#include "device/outcome.h"
#include "params/param_row.h"

namespace vmk {

class Session;
class TextGrid;
struct SetupFields;

struct ParamReadResult {
  Outcome outcome = Outcome::Done;
  int group = 1;
  // The data rows written, in grid order (the password row included,
  // heading rows left out). After a failed read: the rows filled so far.
  QVector<ParamRow> parameters;
  QVector<ParamRow> settings;
  bool setupRead = false;  // the first block was read and `setup` updated

  bool ok() const { return outcome == Outcome::Done; }
};

// Five register reads at the session's device address: the four parameter
// blocks, then the 38 settings of `group`. Each block lays out and fills its
// rows in the catalogue's formats; the first one empties Grid1 first and
// stores its fields into `setup` (the clock fields stay as they were); the
// settings empty grdSett first. A read that fails ends the read at once
// with the device client's outcome: the rows already filled stay, Grid1 is
// blank below them once the first block was read, grdSett is untouched.
// Shows nothing. The port is opened for the read and closed on every way
// out; a port that cannot be opened throws Error, one that fails
// TransportError.
ParamReadResult readParameters(Session& session, int group, TextGrid& grid1, TextGrid& grdSett,
                               SetupFields& setup, const QLocale& locale = QLocale());

}  // namespace vmk
