#pragma once
// The alarm list: the fault recorder's entries named by their time stamps,
// read in one exchange. An entry carries what the oscillogram download of
// it needs: its number, its time and both transformer ratios.

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

#include "device/outcome.h"
#include "device/tvmk.h"
#include "extlib/reply_frame.h"

namespace vmk {

class JobControl;
class Progress;
class Session;

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

// "Ошибка приема данных " + the reply's length + "|" + its frame byte 3.
QString receiveErrorText(const ReplyFrame& reply);

struct AlarmReadResult {
  Outcome outcome = Outcome::Done;
  // The box of a reply that is no whole alarm list (the receive error),
  // empty otherwise (a port failure shows the link-error box).
  QString error;
  QList<AlarmRow> rows;  // those decoded, in order
};

// Reads the list (one exchange) inside the reading frame (`bar` 0..12) and
// decodes entries 0..12, one job step each, handing each to `shown` (may be
// empty). A reply that is not 157 bytes with 150 data bytes gives no entry
// and the receive-error text.
AlarmReadResult readAlarmList(Session& session, JobControl& jobs, Progress* bar, const QDate& today,
                              const std::function<void(const AlarmRow&)>& shown = {});

}  // namespace vmk
