#pragma once
// Reading the parameter blocks and the settings of one group into a
// parameter set (`ActGetParSet`), and the setup fields the first block
// carries into the device record.

#include <QLocale>
#include <QVector>

#include "device/outcome.h"
#include "params/param_row.h"

namespace vmk {

class ParamSet;
class Session;
struct SetupFields;

struct ParamReadResult {
  Outcome outcome = Outcome::Done;
  int group = 1;
  // The data rows read, in catalogue order (the password row included,
  // heading rows left out), with their texts in the read's locale. After a
  // failed read: the rows filled so far.
  QVector<ParamRow> parameters;
  QVector<ParamRow> settings;
  bool setupRead = false;  // the first block was read and `setup` updated

  bool ok() const { return outcome == Outcome::Done; }
};

// Five register reads at the session's device address: the four parameter
// blocks, then the 38 settings of `group`. Each block puts the words of its
// rows into `set`, unmarked (the heading rows hold nothing), and the set
// shows values read in `locale`; the first block also stores its fields
// into `setup` (the clock fields stay as they were), and the settings make
// the set's settings those of `group`. A read that fails ends the read at
// once with the device client's outcome: the rows of the blocks read hold
// their words, every other row of the set stays as it was. Shows nothing.
// The port is opened for the read and closed on every way out; a port that
// cannot be opened throws Error, one that fails TransportError.
ParamReadResult readParameters(Session& session, int group, ParamSet& set, SetupFields& setup,
                               const QLocale& locale = QLocale());

}  // namespace vmk
