#pragma once
// The device report's parameter and setting sheets made of a parameter set
// instead of a device's reads: settings prepared in a file, reviewed and
// signed before the site visit. No device is asked and no port opened.

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <functional>

#include "reports/report_values.h"

namespace vmk {

class ParamSet;

// Whether a row of the set counts (grid 1 the parameters, 2 the settings);
// a row left out counts as one the file lacks. Empty: every row counts.
using RowTaken = std::function<bool(int grid, int row)>;

// The register image of the set: each data row that holds a value puts the
// words it writes (ParamSet::words) at its registers, a setting's in the
// set's group; a row whose text gives no words puts that text and why. A
// row that holds nothing, or that `taken` leaves out, puts nothing, so its
// cells stay empty rather than read as 0.
RegisterImage imageOfSet(const ParamSet& set, const RowTaken& taken = {});

// Every named value of the device report made of the set: both sheets
// (the other group's settings and what no row holds, such as the interface
// word and the password, empty) and the header that names the file
// `fileName` as the source.
ReportValues settingsSheetValues(const ParamSet& set, const QString& fileName, const SignalNameFn& names,
                                 const QLocale& locale, const QDateTime& now, const RowTaken& taken = {});

}  // namespace vmk
