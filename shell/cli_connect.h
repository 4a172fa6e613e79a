#pragma once
// How a vmkctl command reaches its device: every command that talks to one
// connects first, as the window does, and reports what the window would.

#include "device/outcome.h"

namespace vmk {

class CliCall;
struct Connection;

// What every vmkctl command that talks to a device runs first: connects to
// the command's address (1 on the front connector) as the window does, and
// shows in the prompts what the window would (a link error, a silent
// device as its list line "Связи с устройством №N нет"; an undefined
// device clock as a warning, the window's error box being no reason to
// stop). Done when connected, whatever the clock reads; the session's
// record and address are then the device's. `connection`, when given,
// receives what the connection found.
Outcome connectForCommand(CliCall& call, Connection* connection = nullptr);

// What vmkctl reports of a connection; `silentFails`: a device that does
// not answer its status is a failure (it is not when polling connects on
// its own). An undefined device clock is only a warning: the window goes on
// after its box, and a relay whose clock battery ran down must still be
// read and have its clock set ("command sync").
Outcome reportConnection(CliCall& call, const Connection& c, bool silentFails);

}  // namespace vmk
