#pragma once
// The device report: its five reads (the four parameter blocks, then the
// 38 settings of group 1 and of group 2) and the named values made of them,
// and the writing of any report through the template engine.

#include <QDateTime>
#include <QLocale>
#include <QString>

#include "device/outcome.h"
#include "reports/report_values.h"

namespace vmk {

class Session;
struct SetupFields;

// The device report's template beside the program (the journals' are named
// by their rows of the journal-kinds table).
inline const QString kDeviceTemplate = QStringLiteral("template.xlsx");

struct DeviceReportRead {
  Outcome outcome = Outcome::Done;
  // The read that failed: 0..3 the parameter blocks, 4 and 5 the groups;
  // -1 when all were read.
  int failedRead = -1;
  ReportValues values;    // "p…" and "g…" of the reads done
  bool setupRead = false;  // the first block was read and `setup` updated
  bool ok() const { return outcome == Outcome::Done; }
};

// Reads the blocks at the session's device address and makes their
// values. The port is opened for the reads and closed after them, unless
// the caller holds it open already. The first block replaces the setup
// fields of `setup` (the clock fields stay as they were). A read that
// fails ends it with the device client's outcome (a port failure is
// PortFailure). `names` is asked only after the reads it names signals of.
// The password's cell is masked unless `password` asks for its letters.
DeviceReportRead readDeviceReport(Session& session, SetupFields& setup, const SignalNameFn& names,
                                  const QLocale& locale = QLocale(),
                                  PasswordCell password = PasswordCell::Masked);

// Runs the engine: the template, the values, the output file. Empty when
// it was written, else the engine's message.
QString writeReport(const QString& templatePath, const ReportValues& values, const QString& file);

}  // namespace vmk
