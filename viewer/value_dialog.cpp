#include "viewer/value_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace vmk::view {

namespace {

QString rangeText(const EditorSpec& s) {
  auto shown = [&](std::int64_t v) {
    return s.kind == EditorSpec::Decimal
               ? QLocale().toString(double(v) / s.scale, 'f', s.decimals)
               : QString::number(v);
  };
  QString text = QStringLiteral("Диапазон: от %1 до %2").arg(shown(s.min), shown(s.max));
  if (!s.unit.isEmpty()) text += QLatin1Char(' ') + s.unit;
  if (s.kind == EditorSpec::Number && s.step > 1)
    text += QStringLiteral(", шаг %1").arg(s.step);
  if (s.kind == EditorSpec::Decimal)
    text += QStringLiteral(", шаг %1").arg(QLocale().toString(1.0 / s.scale, 'f', s.decimals));
  return text;
}

}  // namespace

ValueDialog::ValueDialog(const EditorSpec& spec, const QString& caption, std::int32_t value,
                         std::uint16_t earthCtSecondary, QWidget* parent)
    : QDialog(parent), m_spec(spec), m_initial(value), m_earthCt(earthCtSecondary) {
  setWindowTitle(caption);
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* title = new QLabel(caption, this);
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  layout->addWidget(title);

  switch (spec.kind) {
    case EditorSpec::Number: {
      m_number = new QSpinBox(this);
      m_number->setRange(int(spec.min), int(spec.max));
      m_number->setSingleStep(spec.step);
      if (!spec.unit.isEmpty()) m_number->setSuffix(QLatin1Char(' ') + spec.unit);
      m_outOfRange = value < spec.min || value > spec.max;
      m_number->setValue(int(std::clamp<std::int64_t>(value, spec.min, spec.max)));
      layout->addWidget(m_number);
      layout->addWidget(new QLabel(rangeText(spec), this));
      break;
    }
    case EditorSpec::Decimal: {
      m_decimal = new QDoubleSpinBox(this);
      m_decimal->setDecimals(spec.decimals);
      m_decimal->setRange(double(spec.min) / spec.scale, double(spec.max) / spec.scale);
      m_decimal->setSingleStep(1.0 / spec.scale);
      if (!spec.unit.isEmpty()) m_decimal->setSuffix(QLatin1Char(' ') + spec.unit);
      m_outOfRange = value < spec.min || value > spec.max;
      m_decimal->setValue(double(std::clamp<std::int64_t>(value, spec.min, spec.max)) / spec.scale);
      layout->addWidget(m_decimal);
      layout->addWidget(new QLabel(rangeText(spec), this));
      if (spec.earthCurrent) {
        m_amperes = new QLabel(this);
        layout->addWidget(m_amperes);
        connect(m_decimal, &QDoubleSpinBox::valueChanged, this, &ValueDialog::showAmperes);
        showAmperes();
      }
      break;
    }
    case EditorSpec::BitSet: {
      auto* area = new QScrollArea(this);
      auto* box = new QWidget(area);
      auto* grid = new QGridLayout(box);
      const int rows = spec.bitNames.size() > 16 ? (int(spec.bitNames.size()) + 1) / 2
                                                 : int(spec.bitNames.size());
      const std::uint32_t bitsIn = std::uint32_t(value);
      for (int i = 0; i < spec.bitNames.size(); ++i) {
        const QString name = spec.bitNames[i].isEmpty() ? QStringLiteral("Бит %1").arg(i)
                                                        : spec.bitNames[i];
        auto* check = new QCheckBox(name, box);
        check->setChecked((bitsIn >> i) & 1u);
        grid->addWidget(check, i % rows, i / rows);
        m_bits << check;
      }
      const int width = int(spec.bitNames.size());
      m_outOfRange = width < 32 && (bitsIn >> width) != 0;
      area->setWidget(box);
      area->setWidgetResizable(true);
      layout->addWidget(area);
      break;
    }
    case EditorSpec::Choice: {
      m_choice = new QComboBox(this);
      m_choice->addItems(spec.items);
      m_outOfRange = value < 0 || value >= spec.items.size();
      m_choice->setCurrentIndex(m_outOfRange ? -1 : value);
      layout->addWidget(m_choice);
      break;
    }
  }
  if (m_outOfRange) {
    auto* warning = new QLabel(
        QStringLiteral("Значение в устройстве (%1) вне допустимого диапазона.").arg(value), this);
    warning->setStyleSheet(QStringLiteral("color: #b00000"));
    layout->addWidget(warning);
  }

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("ОК"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

std::int32_t ValueDialog::value() const {
  switch (m_spec.kind) {
    case EditorSpec::Number: {
      const int v = m_number->value();
      return std::int32_t(m_spec.step > 1 ? v - v % m_spec.step : v);
    }
    case EditorSpec::Decimal: {
      const std::int64_t v = std::llround(m_decimal->value() * m_spec.scale);
      return std::int32_t(std::clamp(v, m_spec.min, m_spec.max));
    }
    case EditorSpec::BitSet: {
      std::uint32_t v = 0;
      for (int i = 0; i < m_bits.size(); ++i)
        if (m_bits[i]->isChecked()) v |= 1u << i;
      return std::int32_t(v);
    }
    case EditorSpec::Choice:
      return m_choice->currentIndex() < 0 ? m_initial : m_choice->currentIndex();
  }
  return m_initial;
}

void ValueDialog::showAmperes() {
  if (!m_amperes) return;
  const double amps = m_decimal->value() * m_earthCt;
  m_amperes->setText(QStringLiteral("Вторичный ток ТТ ЗНЗ %1 А: ток срабатывания %2 А")
                         .arg(m_earthCt)
                         .arg(QLocale().toString(amps, 'f', 3)));
}

}  // namespace vmk::view
