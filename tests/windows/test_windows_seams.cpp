// The Windows sides of the platform seams, run under Wine by run.sh with
// COM5 mapped onto a simulated bus (VMK_TEST_PORT): the Win32 serial link
// in an exchange, its time-out and its line going away; the port list from
// the registry; the program and user folders; the change log's user and
// sync; the daylight-saving store in the registry; Windows-1251 without a
// converter; the zlib zip container over the shipped templates.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "changelog/change_log.h"
#include "changelog/system_calls.h"
#include "device/program_dir.h"
#include "device/system_link.h"
#include "extlib/charset.h"
#include "extlib/crc16.h"
#include "extlib/transport_error.h"
#include "extlib/win_serial_link.h"
#include "reports/zip_archive.h"
#include "shell/daylight_saving.h"

using namespace vmk;

namespace {

QString testPort() { return qEnvironmentVariable("VMK_TEST_PORT", QStringLiteral("COM5")); }

// Reads until `size` bytes are in or a read brings nothing.
QByteArray readReply(SerialLink& link, int size) {
  QByteArray reply;
  while (reply.size() < size) {
    const QByteArray part = link.read(500);
    if (part.isEmpty()) break;
    reply += part;
  }
  return reply;
}

}  // namespace

class TestWindowsSeams : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  // The identity block of device 1: 9 registers from 0.
  void theSerialLinkExchangesFrames() {
    WinSerialSettings s;
    s.portName = testPort();
    WinSerialLink link(s);
    QVERIFY2(link.open(), qPrintable(link.errorString()));
    QCOMPARE(link.byteTimeUs(), 1042);
    int lineErrors = 0;
    link.setLineErrorHandler([&](int bits) { lineErrors |= bits; });
    for (int i = 0; i < 3; ++i) {
      QElapsedTimer t;
      t.start();
      link.write(wire::withCrc(QByteArray::fromHex("010300000009")));
      const QByteArray reply = readReply(link, 5 + 18);
      QCOMPARE(reply.size(), 23);
      QVERIFY(wire::hasValidCrc(reply));
      QCOMPARE(reply.left(3).toHex(), QByteArray("010312"));
      QCOMPARE(cp1251::decode(reply.mid(3, 10)).left(7), QStringLiteral("ВМК-01."));
      // The reply comes as soon as it is there, not at the read's time-out.
      QVERIFY2(t.elapsed() < 400, qPrintable(QString::number(t.elapsed())));
    }
    QCOMPARE(lineErrors, 0);
  }

  void aReadWithoutAReplyWaitsItsTimeAndBringsNothing() {
    WinSerialSettings s;
    s.portName = testPort();
    WinSerialLink link(s);
    QVERIFY(link.open());
    QElapsedTimer t;
    t.start();
    QVERIFY(link.read(150).isEmpty());
    QVERIFY2(t.elapsed() >= 120 && t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    QVERIFY(link.read(0).isEmpty());
    link.discardInput();
  }

  void aPortThatIsNotThereDoesNotOpen() {
    WinSerialSettings s;
    s.portName = QStringLiteral("COM77");
    WinSerialLink link(s);
    QVERIFY(!link.open());
    QVERIFY(!link.errorString().isEmpty());
    QVERIFY(!link.isOpen());
    QVERIFY_THROWS_EXCEPTION(TransportError, link.read(10));
  }

  void devicePaths_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("COM1") << "COM1" << "\\\\.\\COM1";
    QTest::newRow("COM12") << "COM12" << "\\\\.\\COM12";
    QTest::newRow("a device path") << "\\\\.\\COM3" << "\\\\.\\COM3";
  }
  void devicePaths() {
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(winDevicePath(name), path);
  }

  // run.sh adds COM12 and COM2 to the ports Wine announces (COM1).
  void thePortListComesFromTheRegistryInOrder() {
    const QStringList names = systemPortNames();
    QVERIFY2(names.contains(QStringLiteral("COM1")), qPrintable(names.join(u' ')));
    const qsizetype two = names.indexOf(QStringLiteral("COM2"));
    const qsizetype twelve = names.indexOf(QStringLiteral("COM12"));
    QVERIFY2(two >= 0 && twelve > two, qPrintable(names.join(u' ')));
  }

  void theProgramFolderIsTheExecutables() {
    const QString exe = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    QCOMPARE(programDir(), exe);
    QVERIFY(!isInstalledProgramDir(exe));
    QVERIFY(installedProgramDir().isEmpty());
  }

  void underProgramFilesTheUsersFilesGoToAppData_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("installed");
    const QString programFiles = QDir::fromNativeSeparators(qEnvironmentVariable("ProgramFiles"));
    QTest::newRow("Program Files") << programFiles + "/vmkconf/" << true;
    QTest::newRow("Program Files, other case") << programFiles.toUpper() + "/VMKCONF/" << true;
    QTest::newRow("Program Files, backslashes") << QDir::toNativeSeparators(programFiles + "/vmkconf/") << true;
    QTest::newRow("a folder of its own") << "C:/vmkconf/" << false;
    QTest::newRow("a name that only begins alike") << programFiles + " Extra/vmkconf/" << false;
  }
  void underProgramFilesTheUsersFilesGoToAppData() {
    QFETCH(QString, folder);
    QFETCH(bool, installed);
    QCOMPARE(isInstalledProgramDir(folder), installed);
    const QString front = writableSettingsPath(folder, QStringLiteral("Front.ini"));
    const QString appData = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")) + "/vmkconf";
    if (installed) QCOMPARE(QFileInfo(front).absolutePath(), appData);
    QCOMPARE(userConfigDir(), appData);
  }

  void theChangeLogKnowsTheUserAndSyncs() {
    QVERIFY(!changelog::accountName().isEmpty());
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("log.jsonl")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write("{}\n") == 3 && file.flush());
    QVERIFY(!changelog::syncToDisk(file));
    ChangeLog log(dir.path());
    ChangeRecord r;
    r.time = QDateTime::currentDateTime();
    r.user = changelog::accountName();
    r.device = QStringLiteral("ВМК-01.01");
    r.serial = 7;
    QVERIFY(log.append(r));  // written and synced
    const ChangeLogReading back = readDeviceLog(log, r.device, r.serial);
    QCOMPARE(back.records.size(), 1);
    QCOMPARE(back.records[0].user, r.user);
  }

  // HKEY_LOCAL_MACHINE\SOFTWARE\Varnet, "WinterTime" as a DWORD.
  void theDaylightSavingStateIsInTheRegistry() {
    QSettings key(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnet"), QSettings::NativeFormat);
    key.remove(QStringLiteral("WinterTime"));
    key.sync();
    WinterTimeSettings store;
    QCOMPARE(store.read(), std::nullopt);
    QVERIFY(store.write(false));
    QCOMPARE(WinterTimeSettings().read(), std::optional<bool>(false));
    QVERIFY(store.write(true));
    QCOMPARE(WinterTimeSettings().read(), std::optional<bool>(true));
  }

  void windows1251WithoutAConverter() {
    const QString text = QStringLiteral("ВМК-01.01 Уставки ёЁ№");
    QCOMPARE(cp1251::decode(cp1251::encode(text)), text);
    QCOMPARE(cp1251::encode(QStringLiteral("Ая")).toHex(), QByteArray("c0ff"));
  }

  void theTemplatesBesideTheProgramReadBack_data() {
    QTest::addColumn<QString>("file");
    for (const char* name : {"template.xlsx", "template1.xlsx", "template2.xlsx", "template3.xlsx"})
      QTest::newRow(name) << QString::fromLatin1(name);
  }
  void theTemplatesBesideTheProgramReadBack() {
    QFETCH(QString, file);
    QFile f(programDir() + file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QString why;
    const auto entries = xlsx::readZip(bytes, &why);
    QVERIFY2(entries, qPrintable(why));
    // Written again with the stamp the build gives, they are the same bytes.
    const auto again = xlsx::writeZip(*entries, &why, QDateTime(QDate(2011, 4, 18), QTime(12, 0)));
    QVERIFY(again);
    QCOMPARE(again->toHex(), bytes.toHex());
  }
};

QTEST_GUILESS_MAIN(TestWindowsSeams)
#include "test_windows_seams.moc"
