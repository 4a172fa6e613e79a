#pragma once
// QCustomPlot's header uses the Qt keywords (signals, slots, emit,
// foreach) that our build turns off; they stand for it here alone.

#define signals Q_SIGNALS
#define slots Q_SLOTS
#define emit Q_EMIT
#define foreach Q_FOREACH
#include <qcustomplot.h>
#undef signals
#undef slots
#undef emit
#undef foreach
