#include <QApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "shell/shell_commands.h"
#include "tests/support/scripted_prompts.h"

using namespace vmk;

class TestAbout : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void missingLibraryShowsTheErrorWithAbort() {
    QTemporaryDir empty;
    test::ScriptedPrompts prompts;
    QCOMPARE(actAboutExecute(prompts, empty.path(), nullptr),
             AboutOutcome::LibraryNotLoaded);
    QCOMPARE(prompts.boxTexts(), QStringList{QStringLiteral("Ошибка загрузки библиотеки")});
    QCOMPARE(prompts.asked()[0].buttons, QList<Button>{Button::Abort});
    QCOMPARE(prompts.asked()[0].caption, QStringLiteral("Error"));
  }

  void libraryBesideTheProgramShowsTheTexts() {
    // The About library is built into the folder of the programs.
    test::ScriptedPrompts prompts;
    QStringList shown;
    QTimer::singleShot(0, qApp, [&] {
      QWidget* box = QApplication::activeModalWidget();
      QVERIFY(box);
      for (QLabel* l : box->findChildren<QLabel*>()) shown << l->text();
      box->close();
    });
    QCOMPARE(actAboutExecute(prompts, QCoreApplication::applicationDirPath(), nullptr),
             AboutOutcome::Shown);
    QVERIFY(prompts.asked().isEmpty());
    QVERIFY(shown.contains(QStringLiteral("Конфигуратор ВМК-01.01(02,03)")));
    QVERIFY(shown.contains(QStringLiteral("Версия 3.1.110418")));
  }

  void libraryWithoutTheEntryDoesNothing() {
    // Qt's own core library stands in: loadable, without ShowAboutFrm.
    const QString core =
        QLibraryInfo::path(QLibraryInfo::LibrariesPath) + QStringLiteral("/libQt6Core.so.6");
    QVERIFY(QFile::exists(core));
    QTemporaryDir dir;
    QVERIFY(QFile::link(core, dir.filePath("libAbout.so")));
    test::ScriptedPrompts prompts;
    QCOMPARE(actAboutExecute(prompts, dir.path(), nullptr),
             AboutOutcome::EntryMissing);
    QVERIFY(prompts.asked().isEmpty());
  }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
