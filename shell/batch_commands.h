#pragma once
// The batch extraction in the window, "Собрать данные со всех
// устройств..." (its commands, vmkctl batch and "actCollectAll", are
// declared in shell/batch_commands.cpp like every subsystem's).

#include <QString>

#include "batch/batch_run.h"

namespace vmk {

struct LinkPage;
class ShellContext;

// "Собрать данные со всех устройств...": the batch over the chosen
// connector into `dir`, the window taking no input but its cancel, each
// step in Memo1 and Gauge1 at the address worked on. The batch addresses
// every device in turn, so the device pages are closed and no device is
// chosen afterwards: the user connects again. Ends with the summary box
// (or "Операция прервана" in status panel 3 after a cancel).
batch::Result collectAllDevices(ShellContext& ws, LinkPage& page, const QString& dir,
                                const osc::FunctionNames& names);

}  // namespace vmk
