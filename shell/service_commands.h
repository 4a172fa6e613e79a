#pragma once
// The window handlers of the service functions and the password windows.

namespace vmk {

class Workspace;

// `actChangePass`: the change-password window and its two writes, with the
// device password read last; "Ошибка связи с устройством!" when the device
// did not answer. True when the password was changed.
bool actChangePassExecute(Workspace& ws);

}  // namespace vmk
