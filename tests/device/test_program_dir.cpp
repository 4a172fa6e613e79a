#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "device/program_dir.h"

using namespace vmk;

// Where a build tree, a portable copy and an installed copy find their files
// and keep the ini files they write.
class TestProgramDir : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void aBuildTreeUsesTheExecutablesFolder() {
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("bin"));
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("bin")));
    QFile(bin + QStringLiteral("/libView.so")).open(QIODevice::WriteOnly);
    QCOMPARE(programDirFor(bin), bin + QLatin1Char('/'));
    // Even with an installed folder beside it: its own libraries come first.
    QVERIFY(QDir(root.path()).mkpath(installedProgramDir()));
    QCOMPARE(programDirFor(bin), bin + QLatin1Char('/'));
  }

  void anInstalledCopyUsesLibVmkconfAndThePerUserFolder() {
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("usr/bin")));
    const QString installed = QStringLiteral("usr/") + installedProgramDir();
    QVERIFY(QDir(root.path()).mkpath(installed));
    const QString dir = programDirFor(root.filePath(QStringLiteral("usr/bin")));
    QCOMPARE(dir, root.filePath(installed));
    QVERIFY(isInstalledProgramDir(dir));
    // Writable (as for root) but installed: the ini files go to the user's folder.
    const QString front = writableSettingsPath(dir, QStringLiteral("Front.ini"));
    QVERIFY2(!front.startsWith(root.path()), qPrintable(front));
    // The window and vmkctl share it, whatever the program's name.
    QCOMPARE(QFileInfo(front).absolutePath(),
             QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/vmkconf"));
  }

  // An installed copy's calibr.ini cannot be edited by the user: a copy in
  // the user's folder takes its place.
  void theUsersCalibrIniComesFirstForAnInstalledCopy() {
    QTemporaryDir root;
    const QString installed = root.filePath(QStringLiteral("usr/") + installedProgramDir());
    QVERIFY(QDir().mkpath(installed));
    const QString name = QStringLiteral("calibr.ini");
    QFile::remove(QDir(userConfigDir()).filePath(name));  // left by a failed run
    QCOMPARE(readableFilePath(installed, name), installed + name);
    QVERIFY(QDir().mkpath(userConfigDir()));
    QFile own(QDir(userConfigDir()).filePath(name));
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.close();
    QCOMPARE(readableFilePath(installed, name), own.fileName());
    // A build tree keeps reading its own.
    QTemporaryDir bin;
    QCOMPARE(readableFilePath(bin.path() + QLatin1Char('/'), name), bin.path() + QLatin1Char('/') + name);
    QVERIFY(own.remove());
  }

  void aFolderWithoutEitherIsTheExecutablesOwn() {
    QTemporaryDir dir;
    QCOMPARE(programDirFor(dir.path() + QLatin1Char('/')), dir.path() + QLatin1Char('/'));
    QVERIFY(!isInstalledProgramDir(dir.path()));
  }
};

QTEST_GUILESS_MAIN(TestProgramDir)
#include "test_program_dir.moc"
