#pragma once
// The recording's summary and the analysis at a cursor as text: for
// `vmkosc --info FILE [--at MS]`, the clipboard and the CSV of the numbers.
// Tables are rows of cells; a row of one cell is a table's title.

#include <QList>
#include <QStringList>

#include "oscview/osc_analysis.h"

namespace vmk::oscview {

// Station, device, revision, data form, rates, channels with their units
// and ratios, samples, first and trigger stamps, .hdr/.inf present.
QString infoText(const Recording& rec, const QString& fileName);

// The phasors (with RMS and frequency), the sequence components of each
// group and the harmonics, angles from the reference channel.
QList<QStringList> analysisRows(const Recording& rec, const AnalysisAt& at);

// Rows as tab-separated lines (the clipboard, --at).
QString rowsAsText(const QList<QStringList>& rows);
// Rows as CSV (csv/csv_text), UTF-8 with a byte-order mark.
QByteArray rowsAsCsv(const QList<QStringList>& rows);

// A number as the tables show it: `decimals` places, "-" for NaN.
QString figure(double v, int decimals);

}  // namespace vmk::oscview
