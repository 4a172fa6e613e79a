#pragma once
// The display names of the assignable device functions, list by list.

#include <QString>

#include "ranges/value_ranges.h"

namespace vmk::view {

// The lists are numbered where the ranges name them for their editors.
using ranges::SignalList;
using ranges::kIndicators;
using ranges::kRelays;
using ranges::kInputs;
using ranges::kActiveStages;
using ranges::kBlockings;
using ranges::kAccelerations;
using ranges::kCharacteristics;
using ranges::kRecorderChannels;

// Number of items of a list (0 for an unknown kind).
int signalCount(int kind);
// Name of an item; empty for an unknown kind or index.
QString signalName(int kind, int index);

}  // namespace vmk::view
