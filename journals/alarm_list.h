#pragma once
// The alarm list: the fault recorder's entries named by their time stamps,
// read in one exchange into `grdAlarm`. Columns 2..4 of a row carry what
// the oscillogram download of that entry needs: the entry number ("-1"
// for none) and both transformer ratios.

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include "device/outcome.h"
#include "device/tvmk.h"
#include "extlib/reply_frame.h"

namespace vmk {

class JobControl;
class Progress;
class Session;
class TextGrid;

struct AlarmRow {
  int entry = 0;       // 0..12, the grid row
  bool valid = false;  // a fault recorded: a date and time in six BCD bytes
  QDateTime when;      // valid entries only
  int phaseRatio = 1;  // valid entries only
  int earthRatio = 1;
};

// Entry n of a whole alarm-list reply. An entry with a byte that is not
// BCD (an erased one is 0xFF throughout) and one whose digits are no
// calendar date (all zero) record nothing. The ratios are those of
// `setup`, 1 where a secondary current is 0.
AlarmRow DecodeAlarmRow(const ReplyFrame& reply, int n, const SetupFields& setup, const QDate& today);

// Writes row `row.entry`: a fault gives its date and time (the time left
// out at midnight), "Запись аварии n+1", n and the two ratios; an entry
// without one "Нет данных", an empty column 1 and "-1", columns 3 and 4
// kept as they were.
void ShowAlarmRow(TextGrid& grid, const AlarmRow& row);

// "Ошибка приема данных " + the reply's length + "|" + its frame byte 3.
QString ReceiveErrorText(const ReplyFrame& reply);

struct AlarmReadResult {
  Outcome outcome = Outcome::Done;
  // The box of a reply that is no whole alarm list (the receive error),
  // empty otherwise (a port failure shows the link-error box).
  QString error;
  QList<AlarmRow> rows;  // those written, in order
};

// Reads the list (one exchange) inside the reading frame (`bar` 0..12) and
// writes rows 0..12, one job step each. A reply that is not 157 bytes with
// 150 data bytes shows nothing and gives the receive-error text.
AlarmReadResult readAlarmList(Session& session, JobControl& jobs, Progress* bar, TextGrid& grdAlarm,
                              const QDate& today);

}  // namespace vmk
