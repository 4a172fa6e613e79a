#include <QTemporaryDir>
#include <QtTest>

#include "extlib/charset.h"
#include "extlib/ini_file.h"

using namespace vmk;

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

class TestIniFile : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void keepsWhatItDoesNotKnowInItsOrder() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Rear.ini"));
    const QByteArray original =
        "; written by hand\n[Other]\nzeta=1\nalpha=2\n\n[Port1]\nPort=COM3\nExtra=keep me\n";
    QVERIFY(writeAll(path, original));
    IniFile ini;
    QVERIFY(ini.load(path));
    QCOMPARE(ini.value(QStringLiteral("port1"), QStringLiteral("PORT")), QStringLiteral("COM3"));
    ini.setValue(QStringLiteral("Port1"), QStringLiteral("Port"), QStringLiteral("COM4"));
    ini.setValue(QStringLiteral("Port1"), QStringLiteral("BaudRate"), QStringLiteral("19200"));
    QVERIFY(ini.save(path));

    IniFile back;
    QVERIFY(back.load(path));
    QCOMPARE(back.sections(), QStringList({"Other", "Port1"}));
    QCOMPARE(back.keys(QStringLiteral("Other")), QStringList({"zeta", "alpha"}));
    QCOMPARE(back.keys(QStringLiteral("Port1")), QStringList({"Port", "Extra", "BaudRate"}));
    QCOMPARE(back.value(QStringLiteral("Port1"), QStringLiteral("Extra")), QStringLiteral("keep me"));
    QVERIFY(readAll(path).contains("; written by hand"));

    // Saving what was read changes nothing.
    QVERIFY(back.save(path));
    IniFile again;
    QVERIFY(again.load(path));
    QCOMPARE(again.data(), back.data());
  }

  void windows1251AtTheBorder() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ust"));
    const QString section = QStringLiteral("Уставки");
    const QString key = QStringLiteral("Ток срабатывания МТЗ-1");
    const QString value = QStringLiteral("12,5 А");
    IniFile ini(IniCodec::Windows1251);
    ini.setValue(section, key, value);
    QVERIFY(ini.save(path));
    const QByteArray bytes = readAll(path);
    QVERIFY(bytes.contains(cp1251::encode(section)));
    QVERIFY(bytes.contains(cp1251::encode(key) + '=' + cp1251::encode(value)));

    IniFile back(IniCodec::Windows1251);
    QVERIFY(back.load(path));
    QCOMPARE(back.value(section, key), value);
    QCOMPARE(back.sections(), QStringList{section});

    IniFile utf8;
    utf8.setValue(section, key, value);
    QVERIFY(utf8.data().contains(key.toUtf8()));
  }

  void missingAndFallbacks() {
    IniFile ini;
    QVERIFY(!ini.load(QStringLiteral("/nonexistent/dir/x.ini")));
    QVERIFY(!ini.errorString().isEmpty());
    QVERIFY(ini.loadData("[A]\nk=v\n"));
    QVERIFY(ini.contains(QStringLiteral("A"), QStringLiteral("k")));
    QVERIFY(!ini.contains(QStringLiteral("A"), QStringLiteral("x")));
    QCOMPARE(ini.value(QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("d")), QStringLiteral("d"));
    ini.remove(QStringLiteral("A"), QStringLiteral("k"));
    QVERIFY(!ini.contains(QStringLiteral("A"), QStringLiteral("k")));
  }

  void failedSaveLeavesTheFileAlone() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Front.ini"));
    QVERIFY(writeAll(path, "[Port1]\nPort=COM1\n"));
    IniFile ini;
    ini.setValue(QStringLiteral("Port1"), QStringLiteral("Port"), QStringLiteral("COM9"));
    QVERIFY(!ini.save(dir.filePath(QStringLiteral("missing/Front.ini"))));
    QVERIFY(!ini.errorString().isEmpty());
    QCOMPARE(readAll(path), QByteArray("[Port1]\nPort=COM1\n"));
  }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_ini_file.moc"
