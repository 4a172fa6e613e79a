#pragma once
// Page 1's lamps, radio buttons and pickers follow the LiveView model, and
// the user's choices go back into it.

class QWidget;

namespace vmk {

class LiveView;

// Binds the widgets named shpInput1..6, rbFirst, rbSecond, rbAutoTime,
// rbSetDate, dtpDate and dtpTime below `page`; missing ones are skipped.
void bindLiveView(LiveView& view, QWidget* page);

}  // namespace vmk
