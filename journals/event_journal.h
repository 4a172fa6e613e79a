#pragma once
// The event journal: 34 records, each with a time stamp to the hundredth,
// an event code with its argument and value, and the states of the
// outputs and inputs at that moment. Read record by record into
// records, each naming the row it is shown in (journals/journal_rows.h).
//
//   const EventReadResult r = readEventJournal(session, jobs, &bar, today, locale, shown);
//   if (isLinkFailure(r.outcome)) ...   // the records read before are kept

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "device/outcome.h"
#include "device/tvmk.h"
#include "extlib/reply_frame.h"

namespace vmk {

class JobControl;
class Progress;
class Session;

// The primary current of a fault text (codes 16..23), exactly.
struct FaultCurrent {
  std::int64_t milliamps = 0;
  // The phase current was beyond the device's range (value 20000 or more):
  // the text says "Iперв >" the ratio x 200 A, which `milliamps` holds.
  bool above = false;
  double amperes() const { return double(milliamps) / 1000.0; }
};

// Column 2 and 3 of a record's row.
struct EventTexts {
  QString name;
  QString info;
  std::optional<FaultCurrent> current;  // codes 16..23
};

// One record as the device sent it, decoded.
struct EventEntry {
  int record = 0;      // frame byte 2: the row it names (0..33 are shown)
  int code = 0;        // frame byte 10
  int subCode = 0;     // frame byte 12
  int value = 0;       // frame bytes 13, 14
  int hundredths = 0;  // frame byte 11
  std::uint8_t outputs = 0;  // frame byte 16: bit 5 WDT, bits 4..0 relays 5..1
  std::uint8_t inputs = 0;   // frame byte 17: bits 5..0 inputs 6..1
  // Code 0 or 50 and above: the row says "Нет события" and nothing else.
  bool noEvent = false;
  // The moment, when the stamp's bytes are BCD and form a date and time;
  // invalid otherwise (the row says "Дата и время неопределены").
  QDateTime stamp;
  EventTexts texts;
};

// Column 3 of the fault codes 16..23. Phase marks from the sub-code (bit 0
// "A ", bit 1 "B ", bit 2 "C "; none of them: "N ", the earth fault), then
// the primary current with three decimals and the locale's separator:
// earth fault value / 1000 x EarthRatio; phase fault value / 100 x
// PhaseRatio, or "Iперв >" 200 x PhaseRatio from value 20000 on. A ratio
// whose secondary is 0 is 1.
EventTexts FaultText(int subCode, int value, const SetupFields& setup, const QLocale& locale);

// Columns 2 and 3 for an event code (empty texts for the codes without a
// name; "Нет события" is the row's own, see EventEntry::noEvent).
EventTexts EventText(int code, int subCode, int value, const SetupFields& setup,
                     const QLocale& locale);

// Column 1: "dd/MM/yyyy HH:mm:ss" (the time left out at exactly 00:00:00),
// then "." and three fraction digits from the hundredths (45 -> "450",
// 7 -> "070").
QString eventStampText(const QDateTime& stamp, int hundredths);

// A whole event reply decoded; `today` places the two-digit year.
EventEntry DecodeEventRecord(const ReplyFrame& reply, const SetupFields& setup, const QDate& today,
                             const QLocale& locale);

struct EventReadResult {
  Outcome outcome = Outcome::Done;
  // The records of rows 0..33, in the order read (a later one naming the
  // same row replaces the earlier one in its view).
  QList<EventEntry> records;
  // The record number whose read failed or was not reached after a
  // cancel; -1 when all were read.
  int stoppedAt = -1;
};

// Reads records 0..33 inside the reading frame (port bracket, `bar` 0..33,
// one job step per record), handing each record of a row 0..33 to `shown`
// (may be empty) as it arrives. A record the device does not answer ends the
// reading with the link outcome; the records before it are kept. A cancel
// ends it with Cancelled before the next record.
EventReadResult readEventJournal(Session& session, JobControl& jobs, Progress* bar, const QDate& today,
                                 const QLocale& locale,
                                 const std::function<void(const EventEntry&)>& shown = {});

}  // namespace vmk
