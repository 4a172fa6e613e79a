// The one table of engineering ranges: what it says for each register, how
// its ranges read, that the value editor takes its ranges from it, and that
// docs/settings-ranges.md shows exactly this table.

#include <QFile>
#include <QtTest>

#include "ranges/value_ranges.h"
#include "viewer/editor_spec.h"

using namespace vmk;
using ranges::Editor;

namespace {

const QString kBegin = QStringLiteral("<!-- generated from the table of ranges/value_ranges.cpp -->");
const QString kEnd = QStringLiteral("<!-- end of the generated tables -->");

// "64", "128 … 133", "96 … 110 (even)", "5, 12, 18".
QString registersText(const QVector<int>& r) {
  if (r.size() == 1) return QString::number(r[0]);
  bool byOne = true, byTwo = true;
  for (int i = 1; i < r.size(); ++i) {
    byOne = byOne && r[i] == r[i - 1] + 1;
    byTwo = byTwo && r[i] == r[i - 1] + 2;
  }
  const QString span = QStringLiteral("%1 … %2").arg(r.first()).arg(r.last());
  if (byOne) return span;
  if (byTwo && r.size() > 2)
    return span + (r.first() % 2 ? QStringLiteral(" (odd)") : QStringLiteral(" (even)"));
  QStringList parts;
  for (int v : r) parts << QString::number(v);
  return parts.join(QStringLiteral(", "));
}

QString listName(int list) {
  static const QStringList names{"indicators",  "output relays", "discrete inputs",
                                 "active stages", "blockings",   "accelerations",
                                 "characteristic names", "recorder channels"};
  return list >= 0 && list < names.size() ? names[list] : QString();
}

QString withUnit(const QString& value, const QString& unit) {
  return unit.isEmpty() ? value : value + QLatin1Char(' ') + unit;
}

QString editorText(const ranges::ValueRange& r) {
  switch (r.editor) {
    case Editor::Number: return QStringLiteral("number");
    case Editor::Decimal:
      return r.earthCurrent ? QStringLiteral("decimal, with the secondary amperes for the earth-fault CT")
                            : QStringLiteral("decimal");
    case Editor::BitSet: {
      QString t = r.bits == 1 ? QStringLiteral("1 check box")
                              : QStringLiteral("%1 check boxes").arg(r.bits);
      if (r.list >= 0) t += QStringLiteral(", list %1 (%2)").arg(r.list).arg(listName(r.list));
      return t;
    }
    case Editor::Choice: {
      if (r.list >= 0) return QStringLiteral("list %1 (%2)").arg(r.list).arg(listName(r.list));
      QStringList quoted;
      for (const QString& n : r.names) quoted << QLatin1Char('"') + n + QLatin1Char('"');
      return QStringLiteral("list ") + quoted.join(QStringLiteral(", "));
    }
  }
  return {};
}

QString rangeText(const ranges::ValueRange& r) {
  const QLocale c = QLocale::c();
  switch (r.editor) {
    case Editor::Number:
    case Editor::Decimal:
      return withUnit(r.valueText(r.min, c) + QStringLiteral(" … ") + r.valueText(r.max, c), r.unit);
    case Editor::Choice: return QStringLiteral("%1 … %2").arg(r.min).arg(r.max);
    case Editor::BitSet: return QStringLiteral("–");
  }
  return {};
}

QString stepText(const ranges::ValueRange& r) {
  switch (r.editor) {
    case Editor::Number:
      return withUnit(QString::number(r.step), r.unit) +
             (r.step > 1 ? QStringLiteral(" (rounded down)") : QString());
    case Editor::Decimal: return withUnit(r.valueText(1, QLocale::c()), r.unit);
    default: return QStringLiteral("–");
  }
}

QString table(ranges::Scope scope) {
  QStringList lines{scope == ranges::Scope::Parameter
                        ? QStringLiteral("| Register | Row | Editor | Range | Step |")
                        : QStringLiteral("| Offset | Row | Editor | Range | Step |"),
                    QStringLiteral("|---|---|---|---|---|")};
  for (const ranges::RangeEntry& e : ranges::rangeTable())
    if (e.scope == scope)
      lines << QStringLiteral("| %1 | %2 | %3 | %4 | %5 |")
                   .arg(registersText(e.registers), e.rows, editorText(e.range),
                        rangeText(e.range), stepText(e.range));
  return lines.join(u'\n');
}

// The part of the document the table makes.
QString generated() {
  return QStringLiteral("## Parameters (`Grid1`, absolute registers)\n\n") +
         table(ranges::Scope::Parameter) +
         QStringLiteral("\n\nThe toggle rows (69, 142) and the password row have no range.\n\n"
                        "## Settings (`grdSett`, offset from the group base 256 or 512)\n\n") +
         table(ranges::Scope::Setting) + u'\n';
}

}  // namespace

class TestValueRanges : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void registersHaveTheirRanges_data();
  void registersHaveTheirRanges();
  void rangesReadInTheLocale();
  void theEditorTakesEveryRangeFromTheTable();
  void upperLimitsFitTheirRegisters();
  void theDocumentShowsTheTable();
};

void TestValueRanges::registersHaveTheirRanges_data() {
  QTest::addColumn<int>("reg");
  QTest::addColumn<bool>("found");
  QTest::addColumn<int>("editor");
  QTest::addColumn<qint64>("min");
  QTest::addColumn<qint64>("max");
  QTest::addColumn<QString>("unit");
  const int number = int(Editor::Number), decimal = int(Editor::Decimal),
            bits = int(Editor::BitSet), choice = int(Editor::Choice);
  QTest::newRow("address") << 64 << true << number << 1ll << 32ll << "";
  QTest::newRow("CT secondary") << 81 << true << number << 1ll << 5ll << "А";
  QTest::newRow("password: none") << 66 << false << 0 << 0ll << 0ll << "";
  QTest::newRow("group mode toggle: none") << 69 << false << 0 << 0ll << 0ll << "";
  QTest::newRow("indicator 8 low word") << 110 << true << bits << 0ll << 0x3FFFFFll << "";
  QTest::newRow("indicator 8 high word: none") << 111 << false << 0 << 0ll << 0ll << "";
  QTest::newRow("УРОВ contact 123") << 123 << true << number << 0ll << 10000ll << "мс";
  QTest::newRow("pre-trigger") << 140 << true << decimal << 1ll << 50ll << "с";
  QTest::newRow("channel 16") << 222 << true << bits << 0ll << 0xFFFFFFFFll << "";
  QTest::newRow("group 1 МТЗ-1 time") << 256 + 6 << true << decimal << 0ll << 10000ll << "с";
  QTest::newRow("group 2 МТЗ-1 time") << 512 + 6 << true << decimal << 0ll << 10000ll << "с";
  QTest::newRow("group 2 acceleration") << 512 + 33 << true << bits << 0ll << 7ll << "";
  QTest::newRow("group 2 characteristic") << 512 + 20 << true << choice << 0ll << 5ll << "";
  QTest::newRow("earth-fault current, 0 = off") << 256 + 25 << true << decimal << 0ll << 2000ll << "In";
  QTest::newRow("offset without a row") << 256 + 2 << false << 0 << 0ll << 0ll << "";
  QTest::newRow("beyond group 1") << 256 + 38 << false << 0 << 0ll << 0ll << "";
  QTest::newRow("statistics") << 150 << false << 0 << 0ll << 0ll << "";
}

void TestValueRanges::registersHaveTheirRanges() {
  QFETCH(int, reg);
  QFETCH(bool, found);
  QFETCH(int, editor);
  QFETCH(qint64, min);
  QFETCH(qint64, max);
  QFETCH(QString, unit);
  const auto r = ranges::rangeOf(std::uint16_t(reg));
  QCOMPARE(r.has_value(), found);
  if (!found) return;
  QCOMPARE(int(r->editor), editor);
  QCOMPARE(r->min, min);
  QCOMPARE(r->max, max);
  QCOMPARE(r->unit, unit);
}

void TestValueRanges::rangesReadInTheLocale() {
  const auto time = ranges::rangeOf(256 + 6);
  const auto earth = ranges::rangeOf(256 + 25);
  const auto address = ranges::rangeOf(64);
  const QLocale russian(QLocale::Russian, QLocale::Russia);
  QCOMPARE(time->text(QLocale::c()), QStringLiteral("от 0.00 до 100.00 с"));
  QCOMPARE(time->text(russian), QStringLiteral("от 0,00 до 100,00 с"));
  QCOMPARE(earth->text(QLocale::c()), QStringLiteral("от 0.000 до 2.000 In"));
  QCOMPARE(address->text(russian), QStringLiteral("от 1 до 32"));
  QCOMPARE(time->valueText(-5, QLocale::c()), QStringLiteral("-0.05"));
  QCOMPARE(ranges::rangeOf(140)->decimals(), 1);
}

void TestValueRanges::theEditorTakesEveryRangeFromTheTable() {
  int checked = 0;
  for (int reg = 0; reg <= 0xFFFF; ++reg) {
    const auto range = ranges::rangeOf(std::uint16_t(reg));
    const view::EditorSpec spec = view::specForRegister(std::uint16_t(reg));
    if (!range) {
      QCOMPARE(int(spec.kind), int(view::EditorSpec::Number));
      QCOMPARE(spec.max, qint64(65535));
      continue;
    }
    ++checked;
    QCOMPARE(spec.min, range->min);
    QCOMPARE(spec.max, range->max);
    QCOMPARE(spec.unit, range->unit);
    if (range->editor == Editor::Decimal) QCOMPARE(spec.scale, range->scale);
    if (range->editor == Editor::Number) QCOMPARE(spec.step, range->step);
    if (range->editor == Editor::BitSet) QCOMPARE(int(spec.bitNames.size()), range->bits);
    if (range->editor == Editor::Choice) QCOMPARE(spec.items.size(), range->max + 1);
  }
  // 54 parameter registers and 24 settings of each group.
  QCOMPARE(checked, 54 + 2 * 24);
}

void TestValueRanges::upperLimitsFitTheirRegisters() {
  // In the register's own unit: currents x 5 (1/500 In), the earth-fault
  // current x 1 (1/1000 In), 0.1 s times x 10 (0.01 s), ms / 10.
  for (const ranges::RangeEntry& e : ranges::rangeTable()) {
    const ranges::ValueRange& r = e.range;
    if (r.editor == Editor::BitSet || r.editor == Editor::Choice) continue;
    std::int64_t words = r.max;
    if (r.unit == QLatin1String("In") && r.scale == 100) words *= 5;
    if (r.unit == QLatin1String("с") && r.scale == 10 && e.scope == ranges::Scope::Setting) words *= 10;
    if (r.unit == QLatin1String("мс")) words /= 10;
    QVERIFY2(words <= 0xFFFF, qPrintable(e.rows));
    QVERIFY2(r.min <= r.max, qPrintable(e.rows));
  }
}

void TestValueRanges::theDocumentShowsTheTable() {
  QFile doc(QStringLiteral(VMK_SOURCE_DIR "/docs/settings-ranges.md"));
  QVERIFY(doc.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(doc.readAll());
  const qsizetype begin = text.indexOf(kBegin);
  const qsizetype end = text.indexOf(kEnd);
  QVERIFY2(begin >= 0 && end > begin, "the document lost its markers");
  const QString shown = text.mid(begin + kBegin.size(), end - begin - kBegin.size()).trimmed();
  const QString expected = generated().trimmed();
  if (shown != expected) {
    // What the document should hold between its markers, for a maintainer.
    QFile out(QStringLiteral("settings-ranges.generated.md"));
    if (out.open(QIODevice::WriteOnly)) out.write(expected.toUtf8());
  }
  QVERIFY2(shown == expected,
           "docs/settings-ranges.md differs from the table: the tables as they should be are "
           "in settings-ranges.generated.md beside this test");
}

QTEST_GUILESS_MAIN(TestValueRanges)
#include "test_value_ranges.moc"
