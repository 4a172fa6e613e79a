#include <QtTest>

#include "shell/daylight_saving.h"
#include "tests/support/scripted_prompts.h"

using namespace vmk;

namespace {

class MemoryStore : public BoolStore {
 public:
  std::optional<bool> value;
  bool writable = true;
  int writes = 0;
  std::optional<bool> read() override { return value; }
  bool write(bool v) override {
    ++writes;
    if (writable) value = v;
    return writable;
  }
};

QDateTime at(int y, int m, int d, int h = 0, int min = 0) {
  return QDateTime(QDate(y, m, d), QTime(h, min));
}

const QString kNotice = QStringLiteral("Мы перешли на зимнее/летнее время");

}  // namespace

class TestDaylightSaving : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void switchTable_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<bool>("winter");
    QTest::newRow("summer starts at 00:00") << at(2006, 4, 2) << false;
    QTest::newRow("the minute before") << at(2006, 4, 1, 23, 59) << true;
    QTest::newRow("winter starts at 00:00") << at(2006, 10, 29) << true;
    QTest::newRow("the last summer minute") << at(2006, 10, 28, 23, 59) << false;
    QTest::newRow("later that year") << at(2006, 12, 31, 12) << true;
    QTest::newRow("mid 2010") << at(2010, 6, 15, 12) << false;
    QTest::newRow("winter 2010") << at(2010, 1, 15) << true;
    QTest::newRow("last summer of the table") << at(2012, 10, 27, 23) << false;
    QTest::newRow("end of the table") << at(2012, 10, 28) << true;
    QTest::newRow("summers after the table") << at(2020, 7, 1) << true;
    QTest::newRow("before the table") << at(2005, 7, 1) << true;
  }
  void switchTable() {
    QFETCH(QDateTime, now);
    QFETCH(bool, winter);
    QCOMPARE(isWinterTime(now), winter);
  }

  void firstStartStoresTheStateSilently() {
    MemoryStore store;
    test::ScriptedPrompts prompts;
    CheckDaylightSaving(FixedClock(at(2010, 6, 15)), store, prompts);
    QVERIFY(prompts.asked().isEmpty());
    QCOMPARE(store.value, std::optional<bool>(false));
  }

  void aChangeIsToldOnce() {
    MemoryStore store;
    store.value = true;
    test::ScriptedPrompts prompts;
    FixedClock clock(at(2010, 6, 15));
    CheckDaylightSaving(clock, store, prompts);
    QCOMPARE(prompts.boxTexts(), QStringList{kNotice});
    QCOMPARE(prompts.asked().first().caption, QStringLiteral("Information"));
    QCOMPARE(store.value, std::optional<bool>(false));
    prompts.forget();
    CheckDaylightSaving(clock, store, prompts);
    QVERIFY(prompts.asked().isEmpty());
  }

  void noChangeSaysNothing() {
    MemoryStore store;
    store.value = true;
    test::ScriptedPrompts prompts;
    CheckDaylightSaving(FixedClock(at(2013, 7, 1)), store, prompts);
    QVERIFY(prompts.asked().isEmpty());
    QCOMPARE(store.writes, 0);
  }

  void storeFailuresAreIgnored() {
    MemoryStore store;
    store.writable = false;
    test::ScriptedPrompts prompts;
    FixedClock clock(at(2010, 6, 15));
    // Nothing stored and nothing storable: no message.
    CheckDaylightSaving(clock, store, prompts);
    QVERIFY(prompts.asked().isEmpty());
    // A stale value that cannot be replaced: told at every start.
    store.value = true;
    CheckDaylightSaving(clock, store, prompts);
    CheckDaylightSaving(clock, store, prompts);
    QCOMPARE(prompts.boxTexts(), (QStringList{kNotice, kNotice}));
  }

  void settingsStoreKeepsTheValue() {
    QStandardPaths::setTestModeEnabled(true);
    {
      WinterTimeSettings store;
      QVERIFY(store.write(false));
      QCOMPARE(store.read(), std::optional<bool>(false));
      QVERIFY(store.write(true));
    }
    WinterTimeSettings again;
    QCOMPARE(again.read(), std::optional<bool>(true));
  }
};

QTEST_GUILESS_MAIN(TestDaylightSaving)
#include "test_daylight_saving.moc"
