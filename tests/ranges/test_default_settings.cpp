// The default sets of a new settings file: every row a file stores gets a
// default on every variant, each reads as the value it says (as a read of
// the device would show it) and lies inside its range, and
// docs/default-settings.md shows exactly this table.

#include <QFile>
#include <QtTest>

#include "params/catalogue.h"
#include "params/param_set.h"
#include "params/settings_file_rows.h"
#include "ranges/default_settings.h"
#include "viewer/signal_names.h"

using namespace vmk;

namespace {

const QString kBegin = QStringLiteral("<!-- generated from the table of ranges/default_settings.cpp -->");
const QString kEnd = QStringLiteral("<!-- end of the generated table -->");

int gridOf(ranges::Scope scope) { return scope == ranges::Scope::Setting ? 2 : 1; }

// The catalogue row of a register (a setting's offset), or -1.
int rowOfRegister(ranges::Scope scope, int reg) {
  const QVector<RowSpec>& rows = rowsOf(gridOf(scope));
  for (int i = 0; i < rows.size(); ++i)
    if (rows[i].isData() && rows[i].reg == reg) return i;
  return -1;
}

// A bit string by the names of its bits set; any other text as it is.
QString shown(ranges::Scope scope, int reg, const QString& text) {
  const RowSpec& spec = rowsOf(gridOf(scope))[rowOfRegister(scope, reg)];
  if (spec.kind != RowKind::Bits && spec.kind != RowKind::WideBits) return text;
  const int absolute = scope == ranges::Scope::Setting ? groupBase(1) + reg : reg;
  const ranges::ValueRange range = *ranges::rangeOf(std::uint16_t(absolute));
  QStringList names;
  for (int bit = 0; bit < text.size(); ++bit)
    if (text[text.size() - 1 - bit] == u'1')
      names << (range.list >= 0 ? view::signalName(range.list, bit) : range.names.value(bit));
  return names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
}

// "64", "122 … 127", "5, 12, 18".
QString registersText(const QVector<int>& r) {
  bool byOne = r.size() > 2;
  for (int i = 1; i < r.size(); ++i) byOne = byOne && r[i] == r[i - 1] + 1;
  if (byOne) return QStringLiteral("%1 … %2").arg(r.first()).arg(r.last());
  QStringList parts;
  for (int v : r) parts << QString::number(v);
  return parts.join(QStringLiteral(", "));
}

QString table(ranges::Scope scope) {
  QStringList lines{QStringLiteral("| %1 | Row | ВМК-01.01 | ВМК-01.02 | ВМК-01.03 |")
                        .arg(scope == ranges::Scope::Parameter ? QStringLiteral("Register")
                                                               : QStringLiteral("Offset")),
                    QStringLiteral("|---|---|---|---|---|")};
  for (const ranges::DefaultEntry& e : ranges::defaultTable()) {
    if (e.scope != scope) continue;
    QStringList cells{registersText(e.registers), e.rows};
    for (const QString& t : e.texts) cells << shown(scope, e.registers.first(), t);
    lines << QStringLiteral("| ") + cells.join(QStringLiteral(" | ")) + QStringLiteral(" |");
  }
  return lines.join(u'\n');
}

QString generated() {
  return QStringLiteral("## Parameters (`Grid1`, absolute registers)\n\n") +
         table(ranges::Scope::Parameter) +
         QStringLiteral("\n\n## Settings (`grdSett`, offset from the group base)\n\n") +
         table(ranges::Scope::Setting) + u'\n';
}

}  // namespace

class TestDefaultSettings : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void everyDefaultIsAValueInsideItsRange_data();
  void everyDefaultIsAValueInsideItsRange();
  void everyStoredRowHasOneDefault();
  void theDocumentShowsTheTable();
};

void TestDefaultSettings::everyDefaultIsAValueInsideItsRange_data() {
  QTest::addColumn<int>("variant");
  QTest::addColumn<int>("grid");
  QTest::addColumn<int>("reg");
  for (const ranges::DefaultEntry& e : ranges::defaultTable())
    for (int reg : e.registers)
      for (int variant = 1; variant <= ranges::kVariantCount; ++variant)
        QTest::addRow("%s, %d, variant %d", qPrintable(e.rows), reg, variant)
            << variant << gridOf(e.scope) << reg;
}

void TestDefaultSettings::everyDefaultIsAValueInsideItsRange() {
  QFETCH(int, variant);
  QFETCH(int, grid);
  QFETCH(int, reg);
  const int row = rowOfRegister(grid == 2 ? ranges::Scope::Setting : ranges::Scope::Parameter, reg);
  QVERIFY2(row >= 0, "no row of the catalogue has this register");
  const RowSpec& spec = rowsOf(grid)[row];
  QVERIFY(!spec.fileKey.isEmpty());
  const ParamSet set = defaultSet(variant);
  QVERIFY(set.marked(grid, row));
  QCOMPARE(valueProblem(set, grid, row), QString());
  // The text a read of those words shows: what params get would write.
  const WriteWords w = set.words(grid, row);
  QCOMPARE(textFromWords(spec, w.words.value(0), w.words.value(1), QLocale::c()), set.text(grid, row));
}

void TestDefaultSettings::everyStoredRowHasOneDefault() {
  for (int variant = 1; variant <= ranges::kVariantCount; ++variant) {
    const ParamSet set = defaultSet(variant);
    for (int grid : {1, 2})
      for (int i = 0; i < ParamSet::rowCount(grid); ++i)
        QVERIFY2(set.marked(grid, i) == !rowsOf(grid)[i].fileKey.isEmpty(),
                 qPrintable(rowsOf(grid)[i].caption));
  }
  QSet<QPair<int, int>> seen;
  for (const ranges::DefaultEntry& e : ranges::defaultTable())
    for (int reg : e.registers) {
      const QPair<int, int> key(int(e.scope), reg);
      QVERIFY2(!seen.contains(key), qPrintable(e.rows));
      seen.insert(key);
    }
}

void TestDefaultSettings::theDocumentShowsTheTable() {
  QFile doc(QStringLiteral(VMK_SOURCE_DIR "/docs/default-settings.md"));
  QVERIFY(doc.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(doc.readAll());
  const qsizetype begin = text.indexOf(kBegin);
  const qsizetype end = text.indexOf(kEnd);
  QVERIFY2(begin >= 0 && end > begin, "the document lost its markers");
  const QString shownInDoc = text.mid(begin + kBegin.size(), end - begin - kBegin.size()).trimmed();
  const QString expected = generated().trimmed();
  if (shownInDoc != expected) {
    QFile out(QStringLiteral("default-settings.generated.md"));
    if (out.open(QIODevice::WriteOnly)) out.write(expected.toUtf8());
  }
  QVERIFY2(shownInDoc == expected,
           "docs/default-settings.md differs from the table: the table as it should be is in "
           "default-settings.generated.md beside this test");
}

QTEST_GUILESS_MAIN(TestDefaultSettings)
#include "test_default_settings.moc"
