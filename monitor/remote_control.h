#pragma once
// The one-shot commands of page 1: operate an output relay, acknowledge
// alarms, start the recorder, set the device clock. The password step comes
// before any of them (the caller's); the command runs inside the port
// bracket and gives an Outcome; the page shows it with showCommandOutcome.

#include <QDateTime>
#include <QString>
#include <optional>

#include "device/outcome.h"
#include "monitor/live_view.h"

namespace vmk {

class Clock;
class MessageLog;
class Prompts;
class Session;

// The eight command buttons by their tag: relays 1..5 (tags 1..5),
// acknowledge (6), recorder start (7), clock setting (8).
enum class RemoteCommand {
  Relay1 = 1,
  Relay2,
  Relay3,
  Relay4,
  Relay5,
  Acknowledge,
  RecorderStart,
  ClockSet,
};

// The command of a button tag; nothing for any tag but 1..8.
std::optional<RemoteCommand> commandOfTag(int tag);
// Relay 1..5; nothing for any other number.
std::optional<RemoteCommand> relayCommand(int relay);

// The moment the clock command sets: the PC's date and time, or, with the
// manual clock chosen, the picker's date with the picker's time to the
// second.
QDateTime clockMoment(const LiveView& view, const Clock& clock);

// Sends `command` to the session's DeviceAddress inside the port bracket.
// Relays, acknowledge and recorder start: Done when the device confirmed
// the command; DeviceRefused for an answer that does not confirm it (an
// exception reply included); NoAnswer or BadReply for silence or a reply
// that is not one. ClockSet sets the device clock to `moment` (unused by
// the others): Done when the device echoed it; InputRefused, with nothing
// sent, for a moment that is not a valid date-time. A port failure stays a
// TransportError; the port is closed on every way out.
Outcome sendRemoteCommand(Session& session, RemoteCommand command, const QDateTime& moment = {});

// The memo line of a confirmed command, written at `now`; the clock
// setting's line also shows `moment`.
QString commandLine(RemoteCommand command, const QDateTime& now, const QDateTime& moment);

// What the page shows for a command's outcome: a confirmed command adds
// its line (with the PC time now) to mmMess; a clock that was not set
// shows "Ошибка установки даты и времени"; an unconfirmed relay,
// acknowledge or recorder command shows nothing.
void showCommandOutcome(RemoteCommand command, const QDateTime& moment, Outcome outcome,
                        MessageLog& mmMess, Prompts& prompts, const Clock& clock);

// Shared click handler of rbAutoTime and rbSetDate: both pickers take the
// PC's date and time and are shown exactly while the manual clock is chosen.
void rbAutoTimeClick(LiveView& view, const Clock& clock);

}  // namespace vmk
