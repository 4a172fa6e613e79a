#include <QSignalSpy>
#include <QtTest>

#include "model/message_log.h"
#include "model/page_state.h"
#include "model/status_panels.h"
#include "model/text_grid.h"
#include "tests/support/scripted_prompts.h"

using namespace vmk;

class TestModels : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void gridIgnoresCellsOutsideItsBounds() {
    TextGrid grid(3, 2);
    grid.setCell(1, 2, QStringLiteral("x"));
    grid.setCell(2, 0, QStringLiteral("lost"));
    grid.setCell(0, -1, QStringLiteral("lost"));
    QCOMPARE(grid.cell(1, 2), QStringLiteral("x"));
    QCOMPARE(grid.cell(2, 0), QString());
    QCOMPARE(grid.cell(0, 3), QString());
  }

  void clearEmptiesEveryCell() {
    TextGrid grid(2, 5);
    for (int r = 0; r < 2; ++r)
      for (int c = 0; c < 5; ++c) grid.setCell(c, r, QStringLiteral("v"));
    QSignalSpy spy(&grid, &TextGrid::cleared);
    grid.clear();
    QCOMPARE(spy.count(), 1);
    for (int r = 0; r < 2; ++r)
      for (int c = 0; c < 5; ++c) QVERIFY(grid.cell(c, r).isEmpty());
  }

  void memoKeepsItsNewestLines() {
    MessageLog log;
    QSignalSpy spy(&log, &MessageLog::appended);
    for (int i = 0; i < MessageLog::kMaxLines + 5; ++i) log.append(QString::number(i));
    QCOMPARE(log.lines().size(), MessageLog::kMaxLines);
    QCOMPARE(log.lines().first(), QStringLiteral("5"));
    QCOMPARE(log.lines().last(), QString::number(MessageLog::kMaxLines + 4));
    QCOMPARE(spy.count(), MessageLog::kMaxLines + 5);
  }

  void progressHoldsPositionInsideItsRange() {
    StatusPanels panels;
    Progress& p = panels.progress();
    p.setRange(1, 31);
    p.setPosition(32);
    QCOMPARE(p.position(), 31);
    p.setPosition(0);
    QCOMPARE(p.position(), 1);
  }

  void pageStateTracksActionsAndTabs() {
    PageState state;
    QSignalSpy spy(&state, &PageState::actionChanged);
    state.setEnabled(QStringLiteral("actPrint"), false);
    state.setEnabled(QStringLiteral("actPrint"), false);
    QCOMPARE(spy.count(), 1);
    QVERIFY(!state.isEnabled(QStringLiteral("actPrint")));
    state.setTabVisible(kPageAlarm, false);
    QVERIFY(!state.isTabVisible(kPageAlarm));
    QVERIFY(!state.isTabVisible(99));
  }

  void scriptedPromptsRecordAndAnswer() {
    test::ScriptedPrompts prompts;
    prompts.answerBox(Button::No);
    QCOMPARE(prompts.warning(QStringLiteral("q"), {Button::No, Button::Ok}), Button::No);
    // Unscripted: the first button.
    QCOMPARE(prompts.error(QStringLiteral("e")), Button::Ok);
    QCOMPARE(prompts.asked().size(), 2);
    QCOMPARE(prompts.asked()[0].caption, QStringLiteral("Warning"));
    QCOMPARE(prompts.boxTexts(), QStringList({QStringLiteral("q"), QStringLiteral("e")}));
    QVERIFY(!prompts.password().has_value());
  }
};

QTEST_GUILESS_MAIN(TestModels)
#include "test_models.moc"
