#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "extlib/registers.h"
#include "extlib/view_loader.h"
#include "params/catalogue.h"
#include "params/view_value_editor.h"
#include "tests/support/scripted_prompts.h"
#include "viewer/signal_names.h"
#include "viewer/value_dialog.h"

using namespace vmk;
using view::EditorSpec;
using view::ValueDialog;

class TestViewLibrary : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void typedValues_data();
  void typedValues();
  void bitSets_data();
  void bitSets();
  void choices();
  void signalListSizes();
  void characteristicNamesThroughLoader();
  void showViewThroughEditor();
  void missingLibrary();
  void missingEntries();
};

static QString programDir() { return QCoreApplication::applicationDirPath(); }

// What a caller of the loader does with a name look-up: the name, or the
// box of the failure (the loader itself shows nothing).
static std::optional<QString> funcName(ViewLoader& loader, Prompts& prompts, int kind, int index) {
  const ViewName found = loader.funcName(kind, index);
  if (found.outcome == ViewLoad::Loaded) return found.name;
  prompts.error(viewLoadMessage(found.outcome), {Button::Abort});
  return std::nullopt;
}

void TestViewLibrary::typedValues_data() {
  QTest::addColumn<int>("reg");
  QTest::addColumn<int>("initial");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<int>("result");  // -1: refused, OK disabled, the value handed in stays
  // What is typed is taken as typed, or refused; never another number.
  QTest::newRow("ct primary 12000") << 80 << 600 << "12000" << -1;
  QTest::newRow("ct primary 99999") << 80 << 600 << "99999" << -1;
  QTest::newRow("ct primary 10000") << 80 << 600 << "10000" << 10000;
  QTest::newRow("address above 32") << 64 << 5 << "40" << -1;
  QTest::newRow("address 0") << 64 << 5 << "0" << -1;
  QTest::newRow("address empty") << 64 << 5 << "" << -1;
  QTest::newRow("whole number only") << 64 << 5 << "4,5" << -1;
  QTest::newRow("input delay off step") << 134 << 250 << "255" << -1;
  QTest::newRow("input delay on step") << 134 << 250 << "260" << 260;
  // Both separators, whatever the locale.
  QTest::newRow("mtz current comma") << 256 + 5 << 125 << "4,5" << 450;
  QTest::newRow("mtz current dot") << 256 + 5 << 125 << "4.5" << 450;
  QTest::newRow("mtz current trailing zeros") << 256 + 5 << 125 << "4,500" << 450;
  QTest::newRow("mtz current finer than its step") << 256 + 5 << 125 << "4,505" << -1;
  QTest::newRow("mtz time above range") << 512 + 6 << 25 << "150" << -1;
  QTest::newRow("earth current") << 256 + 25 << 5 << "0,25" << 250;
  QTest::newRow("pre-trigger") << 140 << 15 << "0.5" << 5;
  // A device value outside the range is shown as it is and kept by OK.
  QTest::newRow("out of range kept unchanged") << 256 + 6 << 60000 << QString() << 60000;
}

void TestViewLibrary::typedValues() {
  QFETCH(int, reg);
  QFETCH(int, initial);
  QFETCH(QString, typed);
  QFETCH(int, result);
  ValueDialog d(view::specForRegister(std::uint16_t(reg)), QStringLiteral("row"), initial, 5);
  d.show();
  QVERIFY(d.numberEdit());
  QCOMPARE(d.value(), initial);
  if (!typed.isNull()) {
    d.numberEdit()->clear();
    QTest::keyClicks(d.numberEdit(), typed);
    QCOMPARE(d.numberEdit()->text(), typed);  // nothing typed is dropped
  }
  QCOMPARE(d.okEnabled(), result >= 0);
  QCOMPARE(d.problem().isEmpty(), result >= 0);
  QCOMPARE(d.value(), result >= 0 ? result : initial);
}

void TestViewLibrary::bitSets_data() {
  QTest::addColumn<int>("reg");
  QTest::addColumn<int>("kind");
  QTest::addColumn<int>("width");
  QTest::newRow("indicator") << 96 << int(view::kIndicators) << 22;
  QTest::newRow("relay") << 120 << int(view::kRelays) << 18;
  QTest::newRow("input") << 130 << int(view::kInputs) << 15;
  QTest::newRow("active stages") << 512 << int(view::kActiveStages) << 15;
  QTest::newRow("blockings") << 257 << int(view::kBlockings) << 5;
  QTest::newRow("acceleration") << 256 + 33 << int(view::kAccelerations) << 3;
  QTest::newRow("recorder channel") << 222 << int(view::kRecorderChannels) << 32;
}

void TestViewLibrary::bitSets() {
  QFETCH(int, reg);
  QFETCH(int, kind);
  QFETCH(int, width);
  const std::uint32_t top = 1u << (width - 1);
  ValueDialog d(view::specForRegister(std::uint16_t(reg)), QStringLiteral("row"),
                std::int32_t(top | 1u), 1);
  d.show();
  QCOMPARE(d.bitBoxes().size(), width);
  for (int i = 0; i < width; ++i) {
    // A recorder channel's bits stand for the functions in the device's order.
    const int item = kind == view::kRecorderChannels ? reg::channelItemOfBit(i) : i;
    QCOMPARE(d.bitBoxes()[i]->text(), view::signalName(kind, item));
    QCOMPARE(d.bitBoxes()[i]->isChecked(), i == 0 || i == width - 1);
  }
  QCOMPARE(d.value(), std::int32_t(top | 1u));
  d.bitBoxes()[0]->setChecked(false);
  QCOMPARE(d.value(), std::int32_t(top));
}

void TestViewLibrary::choices() {
  ValueDialog c(view::specForRegister(256 + 20), QStringLiteral("Тип характеристики"), 3, 1);
  c.show();
  QVERIFY(c.choiceEdit());
  QCOMPARE(c.choiceEdit()->count(), 6);
  QCOMPARE(c.choiceEdit()->currentText(), CharacteristicNames()[3]);
  c.choiceEdit()->setCurrentIndex(5);
  QCOMPARE(c.value(), 5);
  // A device value beyond the list is kept unless the user picks an item.
  ValueDialog beyond(view::specForRegister(512 + 20), QStringLiteral("Тип"), 6, 1);
  QVERIFY(beyond.initialOutOfRange());
  QCOMPARE(beyond.value(), 6);
  ValueDialog group(view::specForRegister(68), QStringLiteral("Активная группа уставок"), 1, 1);
  QCOMPARE(group.choiceEdit()->currentText(), QStringLiteral("Группа 2"));
}

void TestViewLibrary::signalListSizes() {
  const int sizes[] = {22, 18, 15, 15, 6, 3, 20, 32};
  for (int kind = 0; kind < 8; ++kind) {
    QCOMPARE(view::signalCount(kind), sizes[kind]);
    for (int i = 0; i < sizes[kind]; ++i) QVERIFY(!view::signalName(kind, i).isEmpty());
    QVERIFY(view::signalName(kind, sizes[kind]).isEmpty());
  }
}

void TestViewLibrary::characteristicNamesThroughLoader() {
  test::ScriptedPrompts prompts;
  ViewLoader loader(programDir());
  for (int i = 0; i < 6; ++i)
    QCOMPARE(funcName(loader, prompts, 6, i), std::optional<QString>(CharacteristicNames()[i]));
  QCOMPARE(funcName(loader, prompts, 7, 31), std::optional<QString>(view::signalName(7, 31)));
  QCOMPARE(funcName(loader, prompts, 9, 0), std::optional<QString>(QString()));
  QVERIFY(prompts.asked().isEmpty());
}

void TestViewLibrary::showViewThroughEditor() {
  test::ScriptedPrompts prompts;
  ViewLoader loader(programDir());
  ViewValueEditor editor(loader, prompts);
  QString title;
  QTimer::singleShot(0, this, [&] {
    auto* d = qobject_cast<ValueDialog*>(QApplication::activeModalWidget());
    QVERIFY(d);
    title = d->windowTitle();
    d->numberEdit()->setText(QStringLiteral("1,5"));
    d->accept();
  });
  editor.show(QStringLiteral("Время АПВ 1й ступени, с"), 256 + 29, 12, 1, {});
  QCOMPARE(title, QStringLiteral("Время АПВ 1й ступени, с"));
  QCOMPARE(editor.value(), 15);

  QTimer::singleShot(0, this, [&] {
    auto* d = qobject_cast<ValueDialog*>(QApplication::activeModalWidget());
    QVERIFY(d);
    d->numberEdit()->setText(QStringLiteral("3"));
    d->reject();
  });
  editor.show(QStringLiteral("Время АПВ 1й ступени, с"), 256 + 29, 12, 1, {});
  QCOMPARE(editor.value(), 12);

  // A row whose text is no value: the note reaches the dialog, whose field
  // starts empty with OK disabled until a value is typed.
  QString field = QStringLiteral("?");
  bool okAtStart = true;
  QString labels;
  QTimer::singleShot(0, this, [&] {
    auto* d = qobject_cast<ValueDialog*>(QApplication::activeModalWidget());
    QVERIFY(d);
    field = d->numberEdit()->text();
    okAtStart = d->okEnabled();
    for (const QLabel* l : d->findChildren<QLabel*>()) labels += l->text() + u'\n';
    d->numberEdit()->setText(QStringLiteral("2"));
    d->accept();
  });
  editor.show(QStringLiteral("Время АПВ 1й ступени, с"), 256 + 29, 0, 1,
              EditNote{QStringLiteral("Значение в файле «a.ust» («abc») не является числом."), true});
  QCOMPARE(field, QString());
  QVERIFY(!okAtStart);
  QVERIFY2(labels.contains(QStringLiteral("«abc»")), qPrintable(labels));
  QCOMPARE(editor.value(), 20);
  QVERIFY(prompts.asked().isEmpty());
}

void TestViewLibrary::missingLibrary() {
  QTemporaryDir empty;
  test::ScriptedPrompts prompts;
  ViewLoader loader(empty.path());
  ViewValueEditor editor(loader, prompts);
  editor.show(QStringLiteral("Ток МТЗ-1, кратность In (A)"), 261, 125, 1, {});
  QCOMPARE(editor.value(), 125);
  QCOMPARE(funcName(loader, prompts, 6, 0), std::nullopt);
  QCOMPARE(prompts.boxTexts(), (QStringList{QStringLiteral("Ошибка загрзки библиотеки!"),
                                            QStringLiteral("Ошибка загрзки библиотеки!")}));
  QCOMPARE(prompts.asked()[0].buttons, QList<Button>{Button::Abort});
  QCOMPARE(prompts.asked()[0].icon, BoxIcon::Error);
}

void TestViewLibrary::missingEntries() {
  test::ScriptedPrompts prompts;
  ViewLoader loader(QStringLiteral(VMK_BROKEN_VIEW_DIR));
  ViewValueEditor editor(loader, prompts);
  editor.show(QStringLiteral("Адрес устройства"), 64, 5, 1, {});
  QVERIFY(prompts.asked().isEmpty());  // no ShowView: nothing at all
  QCOMPARE(editor.value(), 5);         // not the stale 77 of its SetValue
  QCOMPARE(funcName(loader, prompts, 6, 0), std::nullopt);
  QCOMPARE(prompts.boxTexts(), QStringList{QStringLiteral("Ошибка загрзки функции!")});
  QCOMPARE(prompts.asked()[0].buttons, QList<Button>{Button::Abort});
}

QTEST_MAIN(TestViewLibrary)
#include "test_view_library.moc"
