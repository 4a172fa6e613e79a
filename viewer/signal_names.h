#pragma once
// The display names of the assignable device functions, list by list.

#include <QString>

namespace vmk::view {

enum SignalList {
  kIndicators = 0,
  kRelays = 1,
  kInputs = 2,
  kActiveStages = 3,
  kBlockings = 4,
  kAccelerations = 5,
  kCharacteristics = 6,
  kRecorderChannels = 7,
};

// Number of items of a list (0 for an unknown kind).
int SignalCount(int kind);
// Name of an item; empty for an unknown kind or index.
QString SignalName(int kind, int index);

}  // namespace vmk::view
