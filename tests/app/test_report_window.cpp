// "Печать" in the real window: once a device is connected the toolbar's
// action makes the report of the open page, from the templates and the
// viewer library beside the program, and Yes opens it.

#include <QtTest>

#include "app_fixture.h"
#include "reports/xml_tree.h"
#include "reports/zip_archive.h"

using namespace vmk;
using namespace vmk::test;

class TestReportWindow : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void printMakesTheReportOfTheOpenPage() {
    AppFixture f;
    f.devices.add(1);
    f.dm->action(QStringLiteral("actPolling"))->trigger();  // front connector: address 1
    QVERIFY(f.dm->action(QStringLiteral("actPrint"))->isEnabled());
    f.ws().ProgramDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    QStringList opened;
    test::WindowsDouble windows(f.ws());
    windows.onOpenDocument = [&opened](const QString& path) { opened << path; };

    const QString device = f.dir.filePath(QStringLiteral("protocol.xlsx"));
    f.window->pages()->setCurrentIndex(kPageParam);
    f.devices.forgetRequests();
    f.prompts.forget();
    f.prompts.answerSave(device);
    f.prompts.answerBox(Button::Yes);
    f.dm->action(QStringLiteral("actPrint"))->trigger();
    QCOMPARE(f.devices.registerRequests().size(), 6);
    QCOMPARE(opened, QStringList{device});
    QCOMPARE(f.prompts.boxTexts().size(), 1);
    QVERIFY(f.prompts.boxTexts()[0].startsWith(QStringLiteral("Формирование файла завершено\r")));
    QFile file(device);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(xlsx::readZip(file.readAll()));
    QVERIFY(!f.devices.portOpen());

    // The statistics page reports its grid without asking the device.
    const QString stats = f.dir.filePath(QStringLiteral("stats.xlsx"));
    f.window->pages()->setCurrentIndex(kPageStatistic);
    f.devices.forgetRequests();
    f.prompts.answerSave(stats);
    f.prompts.answerBox(Button::No);
    f.dm->action(QStringLiteral("actPrint"))->trigger();
    QVERIFY(f.devices.requests().isEmpty());
    QVERIFY(QFile::exists(stats));
    QCOMPARE(opened.size(), 1);
  }
};

QTEST_MAIN(TestReportWindow)
#include "test_report_window.moc"
