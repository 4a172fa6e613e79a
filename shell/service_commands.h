#pragma once
// The window handlers of the service functions and the password windows.

namespace vmk {

class ShellContext;

// `actChangePass`: the change-password window and its two writes, with the
// device password read last; "Ошибка связи с устройством!" when the device
// did not answer. True when the password was changed.
bool actChangePassExecute(ShellContext& ws);

// `actCalibrExecute`: the port opened, the calibration window shown, the
// port closed; no password and no service request.
void actCalibrExecute(ShellContext& ws);

// The key combination that reveals "Тех.меню" (Ctrl+Shift+F12): the menu
// is visible for the rest of the run and enabled while a device is
// connected (its pages shown). A variant-3 device has no journal pages,
// whose rule is otherwise the only one that enables the menu.
void revealServiceMenu(ShellContext& ws);
inline constexpr char kRevealServiceMenuKeys[] = "Ctrl+Shift+F12";

}  // namespace vmk
