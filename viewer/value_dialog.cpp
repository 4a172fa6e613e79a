#include "viewer/value_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ranges/number_text.h"

namespace vmk::view {

namespace {

// Digits, a sign and one separator: what any number of a field may be typed
// with. Whether it is a value of the field is told beside it, not by
// refusing keys.
const QRegularExpression kNumberChars(QStringLiteral("[+-]?[0-9]{0,9}([.,][0-9]{0,9})?"));

QString rangeText(const EditorSpec& s) {
  QString text = QStringLiteral("Диапазон: от %1 до %2").arg(editorText(s, s.min), editorText(s, s.max));
  if (!s.unit.isEmpty()) text += QLatin1Char(' ') + s.unit;
  if (s.kind == EditorSpec::Number && s.step > 1) text += QStringLiteral(", шаг %1").arg(s.step);
  if (s.kind == EditorSpec::Decimal) text += QStringLiteral(", шаг %1").arg(editorText(s, 1));
  return text;
}

QLabel* redLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setStyleSheet(QStringLiteral("color: #b00000"));
  label->setWordWrap(true);
  return label;
}

}  // namespace

QString editorText(const EditorSpec& spec, std::int64_t value) {
  if (spec.kind != EditorSpec::Decimal || spec.scale <= 1) return QString::number(value);
  const std::uint64_t magnitude = value < 0 ? std::uint64_t(-value) : std::uint64_t(value);
  QString text = value < 0 ? QStringLiteral("-") : QString();
  text += QString::number(magnitude / std::uint64_t(spec.scale));
  text += QLocale().decimalPoint();
  text += QStringLiteral("%1").arg(magnitude % std::uint64_t(spec.scale), spec.decimals, 10,
                                   QLatin1Char('0'));
  return text;
}

QString editorTextWithUnit(const EditorSpec& spec, std::int64_t value) {
  const QString text = editorText(spec, value);
  return spec.unit.isEmpty() ? text : text + QLatin1Char(' ') + spec.unit;
}

ValueDialog::ValueDialog(const EditorSpec& spec, const QString& caption, std::int32_t value,
                         std::uint16_t earthCtSecondary, const EditorNote& note, QWidget* parent)
    : QDialog(parent), m_spec(spec), m_initial(value), m_earthCt(earthCtSecondary) {
  setWindowTitle(caption);
  setModal(true);
  // Wide enough for a range and a note on a line or two.
  setMinimumWidth(380);
  auto* layout = new QVBoxLayout(this);
  auto* title = new QLabel(caption, this);
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  layout->addWidget(title);

  switch (spec.kind) {
    case EditorSpec::Number:
    case EditorSpec::Decimal: {
      m_outOfRange = !note.startEmpty && (value < spec.min || value > spec.max);
      m_initialText = note.startEmpty ? QString() : editorText(spec, value);
      m_number = new QLineEdit(m_initialText, this);
      m_number->setValidator(new QRegularExpressionValidator(kNumberChars, m_number));
      auto* row = new QHBoxLayout;
      row->addWidget(m_number);
      if (!spec.unit.isEmpty()) row->addWidget(new QLabel(spec.unit, this));
      layout->addLayout(row);
      layout->addWidget(new QLabel(rangeText(spec), this));
      if (spec.earthCurrent) {
        m_amperes = new QLabel(this);
        layout->addWidget(m_amperes);
      }
      m_error = redLabel(QString(), this);
      layout->addWidget(m_error);
      connect(m_number, &QLineEdit::textChanged, this, &ValueDialog::textChanged);
      break;
    }
    case EditorSpec::BitSet: {
      auto* area = new QScrollArea(this);
      auto* box = new QWidget(area);
      auto* grid = new QGridLayout(box);
      const int rows = spec.bitNames.size() > 16 ? (int(spec.bitNames.size()) + 1) / 2
                                                 : int(spec.bitNames.size());
      const std::uint32_t bitsIn = note.startEmpty ? 0u : std::uint32_t(value);
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
      m_outOfRange = !note.startEmpty && (value < 0 || value >= spec.items.size());
      m_choice->setCurrentIndex(note.startEmpty || m_outOfRange ? -1 : value);
      layout->addWidget(m_choice);
      break;
    }
  }
  if (!note.text.isEmpty())
    layout->addWidget(redLabel(note.text, this));
  else if (m_outOfRange)
    layout->addWidget(redLabel(
        QStringLiteral("Значение (%1) вне допустимого диапазона.")
            .arg(spec.kind == EditorSpec::BitSet || spec.kind == EditorSpec::Choice
                     ? QString::number(value)
                     : editorTextWithUnit(spec, value)),
        this));

  auto* buttons = new QDialogButtonBox(this);
  m_ok = buttons->addButton(QStringLiteral("ОК"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (okEnabled()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  if (m_choice && note.startEmpty) {
    m_ok->setEnabled(false);
    connect(m_choice, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_ok->setEnabled(index >= 0); });
  }
  if (m_number) textChanged();
}

std::optional<std::int64_t> ValueDialog::typedValue(QString* why) const {
  const QString text = m_number->text();
  const int scale = m_spec.kind == EditorSpec::Decimal ? m_spec.scale : 1;
  auto fail = [why](const QString& text) {
    if (why) *why = text;
    return std::nullopt;
  };
  if (text.trimmed().isEmpty()) return fail(QStringLiteral("Введите значение."));
  if (!parseScaled(text, scale)) return fail(QStringLiteral("«%1» не является числом.").arg(text));
  const std::optional<std::int64_t> v = parseExact(text, scale);
  if (!v && scale == 1) return fail(QStringLiteral("Значение должно быть целым числом."));
  if (!v)
    return fail(QStringLiteral("Шаг значения %1: больше знаков после запятой не сохраняется.")
                    .arg(editorTextWithUnit(m_spec, 1)));
  if (*v < m_spec.min || *v > m_spec.max)
    return fail(QStringLiteral("%1 вне диапазона: допустимо от %2 до %3")
                    .arg(text.trimmed(), editorText(m_spec, m_spec.min),
                         editorTextWithUnit(m_spec, m_spec.max)));
  if (m_spec.kind == EditorSpec::Number && m_spec.step > 1 && *v % m_spec.step != 0)
    return fail(QStringLiteral("Значение должно быть кратно %1.")
                    .arg(editorTextWithUnit(m_spec, m_spec.step)));
  return v;
}

void ValueDialog::textChanged() {
  // The value handed in, untouched, is always taken back as it was.
  const bool unchanged = !m_initialText.isEmpty() && m_number->text() == m_initialText;
  QString why;
  const std::optional<std::int64_t> v = typedValue(&why);
  m_problem = v || unchanged ? QString() : why;
  m_error->setText(m_problem);
  m_error->setVisible(!m_problem.isEmpty());
  m_ok->setEnabled(m_problem.isEmpty());
  if (m_amperes) {
    m_amperes->setVisible(bool(v));
    if (v)
      m_amperes->setText(QStringLiteral("Вторичный ток ТТ ЗНЗ %1 А: ток срабатывания %2 А")
                             .arg(m_earthCt)
                             .arg(QLocale().toString(double(*v) / m_spec.scale * m_earthCt, 'f', 3)));
  }
}

bool ValueDialog::okEnabled() const { return m_ok->isEnabled(); }

std::int32_t ValueDialog::value() const {
  switch (m_spec.kind) {
    case EditorSpec::Number:
    case EditorSpec::Decimal: {
      const std::optional<std::int64_t> v = typedValue(nullptr);
      return v ? std::int32_t(*v) : m_initial;
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

}  // namespace vmk::view
