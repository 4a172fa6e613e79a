#pragma once
// Comparing parameters and settings: what the comparison window and
// vmkctl's `params diff` run. Each gives the comparison, or nothing after
// the box that says why (the link error, a port that failed or would not
// open, a file that cannot be used); none throws, since the window's
// buttons call them from their slots.

#include <QLocale>
#include <QString>
#include <optional>

#include "params/compare.h"

namespace vmk {

struct ParamsPage;
class ShellContext;

// A device is connected: its pages are shown.
bool compareDeviceConnected(const ShellContext& ws);
// Group 1 against group 2 of the connected device, read fresh.
std::optional<Comparison> compareGroups(ShellContext& ws, const QLocale& locale = QLocale());
// The connected device (the parameters and the group the setting grid
// shows) against a settings file.
std::optional<Comparison> compareDeviceWithFile(ShellContext& ws, const ParamsPage& page,
                                                const QString& path,
                                                const QLocale& locale = QLocale());
// Two settings files.
std::optional<Comparison> compareFiles(ShellContext& ws, const QString& left, const QString& right);
// Takes the differing rows of one side over into the page's grids as
// marked rows (ParamsModified is set when any was taken); gives the count.
int takeOverIntoGrids(ParamsPage& page, const Comparison& c, bool fromRight);

}  // namespace vmk
