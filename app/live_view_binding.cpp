#include "app/live_view_binding.h"

#include <QDateEdit>
#include <QFrame>
#include <QRadioButton>
#include <QTimeEdit>

#include "monitor/live_view.h"

namespace vmk {

namespace {

QString lampStyle(bool lit) {
  return QStringLiteral("QFrame { border: 1px solid #404040; border-radius: 11px; background: %1; }")
      .arg(lit ? QStringLiteral("#008000") : QStringLiteral("palette(button)"));
}

// A pair of radio buttons standing for one boolean of the model: `on` is
// checked exactly while the value is true.
template <typename Get, typename Set, typename Signal>
void bindChoice(LiveView& view, QRadioButton* on, QRadioButton* off, Get get, Set set,
                Signal changed) {
  if (!on || !off) return;
  (get() ? on : off)->setChecked(true);
  QObject::connect(on, &QRadioButton::toggled, &view, [set](bool checked) { set(checked); });
  QObject::connect(&view, changed, on, [on, off](bool value) {
    (value ? on : off)->setChecked(true);
  });
}

}  // namespace

void bindLiveView(LiveView& view, QWidget* page) {
  for (int i = 1; i <= LiveView::kInputCount; ++i) {
    if (auto* lamp = page->findChild<QFrame*>(QStringLiteral("shpInput%1").arg(i)))
      lamp->setStyleSheet(lampStyle(view.isInputLit(i)));
  }
  QObject::connect(&view, &LiveView::inputChanged, page, [page](int input, bool lit) {
    if (auto* lamp = page->findChild<QFrame*>(QStringLiteral("shpInput%1").arg(input)))
      lamp->setStyleSheet(lampStyle(lit));
  });

  bindChoice(
      view, page->findChild<QRadioButton*>(QStringLiteral("rbFirst")),
      page->findChild<QRadioButton*>(QStringLiteral("rbSecond")),
      [&view] { return view.primaryValues(); },
      [&view](bool v) { view.setPrimaryValues(v); }, &LiveView::primaryValuesChanged);
  // toggled comes before clicked, so rbAutoTimeClick sees the new choice.
  bindChoice(
      view, page->findChild<QRadioButton*>(QStringLiteral("rbSetDate")),
      page->findChild<QRadioButton*>(QStringLiteral("rbAutoTime")),
      [&view] { return view.manualClock(); }, [&view](bool v) { view.setManualClock(v); },
      &LiveView::manualClockChanged);

  if (auto* date = page->findChild<QDateEdit*>(QStringLiteral("dtpDate"))) {
    if (view.pickerDate().isValid()) date->setDate(view.pickerDate());
    date->setVisible(view.pickersVisible());
    QObject::connect(date, &QDateEdit::dateChanged, &view, &LiveView::setPickerDate);
    QObject::connect(&view, &LiveView::pickerDateChanged, date, &QDateEdit::setDate);
    QObject::connect(&view, &LiveView::pickersVisibleChanged, date, &QWidget::setVisible);
    view.setPickerDate(date->date());
  }
  if (auto* time = page->findChild<QTimeEdit*>(QStringLiteral("dtpTime"))) {
    if (view.pickerTime().isValid()) time->setTime(view.pickerTime());
    time->setVisible(view.pickersVisible());
    QObject::connect(time, &QTimeEdit::timeChanged, &view, &LiveView::setPickerTime);
    QObject::connect(&view, &LiveView::pickerTimeChanged, time, &QTimeEdit::setTime);
    QObject::connect(&view, &LiveView::pickersVisibleChanged, time, &QWidget::setVisible);
    view.setPickerTime(time->time());
  }
}

}  // namespace vmk
