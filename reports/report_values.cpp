#include "reports/report_values.h"

#include "device/codecs.h"
#include "extlib/charset.h"
#include "extlib/registers.h"
#include "link/connection.h"
#include "reports/messages.h"

namespace vmk {

namespace {

// The viewer library's names are length-prefixed texts of one byte length.
constexpr int kListBuffer = 255;

QString number(std::uint32_t n) { return QString::number(n); }

// A setting word's stage bits (word 0) and acceleration bits (word 33).
constexpr int kStagesWord = 0, kAccelerationWord = 33;
constexpr int kMtz1 = 0, kMtz2 = 1, kMtz3 = 2, kZnz = 3, kApv = 4, kUrov = 5, kApv2 = 6;

}  // namespace

int sameItem(int bit) { return bit; }

QString signalListText(const SignalNameFn& names, int kind, std::uint32_t mask, int bits,
                       ItemOfBit itemOf) {
  QString text;
  for (int bit = 0; bit < bits && bit < 32; ++bit)
    if (mask >> bit & 1u) text += names(kind, itemOf(bit)) + QLatin1Char('\n');
  text.truncate(kListBuffer);
  text.chop(1);
  return text;
}

QString fixedText(std::uint32_t word, int divisor, int decimals, const QLocale& locale) {
  std::uint64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  const std::uint64_t scaled = std::uint64_t(word) * scale;
  std::uint64_t q = scaled / std::uint64_t(divisor);
  const std::uint64_t r = scaled % std::uint64_t(divisor);
  if (2 * r > std::uint64_t(divisor) || (2 * r == std::uint64_t(divisor) && (q & 1))) ++q;
  QString text = QString::number(q / scale);
  if (decimals > 0)
    text += locale.decimalPoint() +
            QString::number(q % scale).rightJustified(decimals, QLatin1Char('0'));
  return text;
}

RegisterImage::RegisterImage() : m_words(reg::kImageSize, 0), m_held(reg::kImageSize, Held::Nothing) {}

void RegisterImage::set(int r, std::uint16_t word) {
  if (r < 0 || r >= m_words.size()) return;
  m_words[r] = word;
  m_held[r] = Held::Word;
  m_notValues.remove(r);
}

void RegisterImage::setNotAValue(int r, const NotAValue& text) {
  if (r < 0 || r >= m_words.size()) return;
  m_words[r] = 0;
  m_held[r] = Held::NotAValue;
  m_notValues.insert(r, text);
}

std::optional<QString> RegisterImage::gapIn(std::initializer_list<int> registers) const {
  bool whole = true;
  for (int r : registers) {
    if (holds(r)) continue;
    whole = false;
    const auto it = m_notValues.constFind(r);
    if (it != m_notValues.constEnd())
      return msg::reports::kNotAValue.arg(it->text, it->why.isEmpty() ? msg::reports::kStandsForNoValue : it->why);
  }
  if (whole) return std::nullopt;
  return QString();
}

ReportValues headerValues(const TVMK& vmk, const QDateTime& now) {
  const QDateTime clock = MakeDeviceDateTime(vmk.setup, now.date());
  return {{QStringLiteral("date"), FormatDateTime(now)},
          {QStringLiteral("pu1"), vmk.Name},
          {QStringLiteral("pu2"), qint64(vmk.SerialNumber)},
          {QStringLiteral("pu3"), VersionText(vmk.VersionWord)},
          {QStringLiteral("pu4"), clock.isValid() ? FormatDateTime(clock) : msg::reports::kUndefinedDate},
          {QStringLiteral("pu5"), vmk.Language}};
}

ReportValues fileHeaderValues(const QString& fileName, const QDateTime& now) {
  ReportValues v{{QStringLiteral("date"), FormatDateTime(now)}};
  for (int n = 1; n <= 5; ++n) v.insert(QStringLiteral("pu%1").arg(n), msg::reports::kFromFile.arg(fileName));
  return v;
}

namespace {

// The named values of one image: each is put with the registers it is
// made of, and a register without a word gives the cell RegisterImage::gapIn.
class Cells {
 public:
  explicit Cells(const RegisterImage& image) : m_image(image) {}
  void put(const QString& name, std::initializer_list<int> registers, const QString& text) {
    m_values.insert(name, m_image.gapIn(registers).value_or(text));
  }
  const ReportValues& values() const { return m_values; }

 private:
  const RegisterImage& m_image;
  ReportValues m_values;
};

}  // namespace

ReportValues setupValues(const RegisterImage& w, PasswordCell password) {
  Cells v(w);
  const std::uint16_t high = w.at(reg::kPassword), low = w.at(reg::kPasswordLow);
  v.put(QStringLiteral("p1"), {reg::kAddress}, number(w.at(reg::kAddress)));
  v.put(QStringLiteral("p2"), {reg::kInterface},
        interfaceLines(w.at(reg::kInterface)).join(QLatin1Char('\n')).left(kListBuffer));
  v.put(QStringLiteral("p3"), {reg::kPassword, reg::kPasswordLow},
        password == PasswordCell::Masked
            ? msg::reports::kMaskedPassword
            : cp1251::decodeChar(high >> 8) + cp1251::decodeChar(high & 0xFF) +
                  cp1251::decodeChar(low >> 8) + cp1251::decodeChar(low & 0xFF));
  v.put(QStringLiteral("p4"), {reg::kActiveGroup}, number((w.at(reg::kActiveGroup) & 1u) + 1));
  v.put(QStringLiteral("p5"), {reg::kGroupMode},
        w.at(reg::kGroupMode) & 1u ? QStringLiteral("Динамическое измен.") : QStringLiteral("Статическое измен."));
  v.put(QStringLiteral("p6"), {reg::kCtPrimary}, number(w.at(reg::kCtPrimary)));
  v.put(QStringLiteral("p7"), {reg::kCtSecondary}, number(w.at(reg::kCtSecondary)));
  v.put(QStringLiteral("p8"), {reg::kEarthCtPrimary}, number(w.at(reg::kEarthCtPrimary)));
  v.put(QStringLiteral("p9"), {reg::kEarthCtSecondary}, number(w.at(reg::kEarthCtSecondary)));
  return v.values();
}

ReportValues configurationValues(const RegisterImage& w, const SignalNameFn& names) {
  using namespace signal_list;
  Cells v(w);
  for (int n = 1; n <= reg::kIndicatorCount; ++n) {
    const int low = reg::kIndicators + 2 * (n - 1);
    const std::uint32_t mask = std::uint32_t(w.at(low + 1) & 0x3Fu) << 16 | w.at(low);
    v.put(QStringLiteral("p1%1").arg(n), {low, low + 1}, signalListText(names, kIndicators, mask, 22));
  }
  for (int n = 1; n <= reg::kInputCount; ++n) {
    const int config = reg::kInputConfig + n - 1, delay = reg::kInputDelays + n - 1;
    v.put(QStringLiteral("p2%1").arg(n), {config}, signalListText(names, kInputs, w.at(config), 15));
    v.put(QStringLiteral("p5%1").arg(n), {delay}, number(w.at(delay) * 10u));
  }
  for (int n = 1; n <= reg::kRelayCount; ++n) {
    const int low = reg::kRelayConfig + 2 * (n - 1), time = reg::contactTimeRegister(n);
    const std::uint32_t mask = std::uint32_t(w.at(low + 1) & 0x3u) << 16 | w.at(low);
    v.put(QStringLiteral("p3%1").arg(n), {low, low + 1}, signalListText(names, kRelays, mask, 18));
    v.put(QStringLiteral("p4%1").arg(n), {time}, number(w.at(time) * 10u));
  }
  // The breaker-failure contact lies between relays 1 and 2.
  const int breakerFailure = reg::kContactTimes + 1;
  v.put(QStringLiteral("p40"), {breakerFailure}, number(w.at(breakerFailure) * 10u));
  return v.values();
}

ReportValues recorderValues(const RegisterImage& w, const QLocale& locale) {
  Cells v(w);
  v.put(QStringLiteral("p46"), {reg::kRecorderPreTrigger}, fixedText(w.at(reg::kRecorderPreTrigger), 10, 2, locale));
  v.put(QStringLiteral("p5_0"), {reg::kRecorderSource},
        w.at(reg::kRecorderSource) & 1u ? QStringLiteral("Пуск МТЗ/ЗНЗ") : QStringLiteral("Работа МТЗ/ЗНЗ"));
  return v.values();
}

ReportValues channelValues(const RegisterImage& w, const SignalNameFn& names) {
  Cells v(w);
  for (int n = 1; n <= reg::kChannelCount; ++n) {
    const int low = reg::kChannels.first + 2 * (n - 1);
    const std::uint32_t mask = std::uint32_t(w.at(low + 1)) << 16 | w.at(low);
    v.put(QStringLiteral("p5_%1").arg(n), {low, low + 1},
          signalListText(names, signal_list::kRecorderChannels, mask, 32, reg::channelItemOfBit));
  }
  return v.values();
}

ReportValues groupValues(int group, const RegisterImage& image, const SignalNameFn& names,
                         const QLocale& locale) {
  using namespace signal_list;
  const int base = reg::groupBase(group);
  const int stagesAt = base + kStagesWord, accelerationsAt = base + kAccelerationWord;
  auto word = [&](int w) { return image.at(base + w); };
  const std::uint16_t stages = word(kStagesWord), accelerations = word(kAccelerationWord);
  auto on = [](std::uint16_t bits, int bit) { return bool(bits >> bit & 1u); };

  Cells v(image);
  auto name = [group](int number) { return QStringLiteral("g%1_%2").arg(group).arg(number); };
  // A word shown as it is.
  auto put = [&](int number, int w, const QString& text) { v.put(name(number), {base + w}, text); };
  // Word `w` shown while its stage is active, else the stage's text: made of
  // the stages word, and of word `w` only when it is shown.
  auto staged = [&](int number, bool active, const QString& inactive, int w, const QString& value) {
    if (active) v.put(name(number), {stagesAt, base + w}, value);
    else v.put(name(number), {stagesAt}, inactive);
  };
  // An acceleration time: its stage and its acceleration must both be on.
  auto accelerated = [&](int number, int stage, const QString& stageOff,
                         const QString& accelerationOff, int w) {
    if (!on(stages, stage)) v.put(name(number), {stagesAt}, stageOff);
    else if (!on(accelerations, stage)) v.put(name(number), {stagesAt, accelerationsAt}, accelerationOff);
    else v.put(name(number), {stagesAt, accelerationsAt, base + w}, fixedText(word(w), 100, 2, locale));
  };

  put(1, kStagesWord, signalListText(names, kActiveStages, stages, 15));
  put(2, 1, signalListText(names, kBlockings, word(1), 6));
  put(19, kAccelerationWord, signalListText(names, kAccelerations, accelerations, 3));

  const QString mtz1 = QStringLiteral("Неактивна МТЗ-1"), mtz2 = QStringLiteral("Неактивна МТЗ-2"),
                mtz3 = QStringLiteral("Неактивна МТЗ-3");
  staged(3, on(stages, kMtz1), mtz1, 5, fixedText(word(5), 500, 2, locale));
  staged(4, on(stages, kMtz1), mtz1, 6, fixedText(word(6), 100, 3, locale));
  accelerated(5, kMtz1, mtz1, QStringLiteral("Неактивно ускорение МТЗ-1"), 7);
  staged(6, on(stages, kMtz2), mtz2, 12, fixedText(word(12), 500, 2, locale));
  staged(7, on(stages, kMtz2), mtz2, 13, fixedText(word(13), 100, 3, locale));
  accelerated(8, kMtz2, mtz2, QStringLiteral("Неактивно ускорение МТЗ-2"), 14);
  staged(9, on(stages, kMtz3), mtz3, 18, fixedText(word(18), 500, 2, locale));
  staged(10, on(stages, kMtz3), mtz3, 19, fixedText(word(19), 100, 3, locale));
  const int characteristic = qMin(word(20) & 0xFF, 19);
  staged(11, on(stages, kMtz3), mtz3, 20, names(kCharacteristics, characteristic));
  accelerated(12, kMtz3, mtz3, QStringLiteral("Неактивно ускорение МТЗ-3"), 21);

  const QString znz = QStringLiteral("Неактивна ЗНЗ");
  staged(13, on(stages, kZnz), znz, 25, fixedText(word(25), 1000, 3, locale));
  staged(14, on(stages, kZnz), znz, 26, fixedText(word(26), 100, 3, locale));
  const QString apv = QStringLiteral("Неактивно АПВ"), apv2 = QStringLiteral("Неактивно АПВ-2");
  staged(15, on(stages, kApv), apv, 29, fixedText(word(29), 100, 2, locale));
  staged(16, on(stages, kApv), apv, 30, fixedText(word(30), 100, 2, locale));
  // The second stage counts only together with the first.
  const bool second = on(stages, kApv) && on(stages, kApv2);
  staged(17, second, apv2, 31, fixedText(word(31), 100, 2, locale));
  staged(18, second, apv2, 32, fixedText(word(32), 100, 2, locale));
  staged(20, on(stages, kUrov), QStringLiteral("Неактивно УРОВ"), 34, fixedText(word(34), 100, 3, locale));

  put(21, 8, fixedText(word(8), 100, 2, locale));
  put(22, 28, fixedText(word(28), 100, 2, locale));
  put(23, 35, fixedText(word(35), 500, 2, locale));
  put(24, 36, number(word(36)).startsWith(QLatin1Char('1')) ? QStringLiteral("Активна")
                                                             : QStringLiteral("Неактивна"));
  return v.values();
}

ReportValues sheetValues(const RegisterImage& image, const SignalNameFn& names, const QLocale& locale,
                         PasswordCell password) {
  ReportValues v = setupValues(image, password);
  addValues(v, configurationValues(image, names));
  addValues(v, recorderValues(image, locale));
  addValues(v, channelValues(image, names));
  addValues(v, groupValues(1, image, names, locale));
  addValues(v, groupValues(2, image, names, locale));
  return v;
}

ReportValues journalValues(const QList<JournalReportField>& fields, const QList<QStringList>& rows) {
  ReportValues v;
  for (int row = 0; row < rows.size(); ++row) {
    const QStringList& cells = rows[row];
    for (const JournalReportField& f : fields) {
      QString text;
      for (int c = f.first; c <= f.last; ++c) text += cells.value(c);
      // A value joined from several cells fills the report's list buffer
      // at most.
      if (f.last > f.first) text = text.left(kListBuffer);
      v.insert(QString::fromLatin1(f.name) + QString::number(row + 1), text);
    }
  }
  return v;
}

void addValues(ReportValues& values, const ReportValues& more) {
  for (auto it = more.constBegin(); it != more.constEnd(); ++it) values.insert(it.key(), it.value());
}

}  // namespace vmk
