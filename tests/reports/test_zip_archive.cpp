// The zlib zip container (the Windows build's) against the build's own
// (QuaZip): each reads what the other writes, both write the same bytes,
// both read the report templates alike, and both refuse the same damage.

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QtTest>

#include "tests/reports/workbook_support.h"
#include "tests/reports/zip_impls.h"

using namespace vmk;
using namespace vmk::test;
using xlsx::ZipEntry;

namespace {

// 0 the sample workbook; 1 parts a workbook seldom has: empty, large and
// packing well, packing not at all, a Cyrillic name.
QList<ZipEntry> partSet(int set) {
  if (set == 0) return sampleParts();
  QByteArray noise(300 * 1024, Qt::Uninitialized);
  QRandomGenerator random(28);
  for (char& c : noise) c = char(random.bounded(256));
  return {{QStringLiteral("empty.txt"), QByteArray()},
          {QStringLiteral("xl/media/zeros.bin"), QByteArray(3 * 1024 * 1024, '\0')},
          {QStringLiteral("xl/media/noise.bin"), noise},
          {QStringLiteral("xl/media/рисунок 1.xml"), QByteArray("<a>ВМК</a>")}};
}

QByteArray withByte(QByteArray bytes, qsizetype at, char value) {
  bytes[at] = value;
  return bytes;
}

QByteArray withWord(QByteArray bytes, qsizetype at, quint32 value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = char(value >> (8 * i));
  return bytes;
}

}  // namespace

class TestZipArchive : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void eachReadsWhatEachWrites_data() {
    QTest::addColumn<int>("writer");
    QTest::addColumn<int>("reader");
    QTest::addColumn<int>("set");
    for (int set : {0, 1})
      for (int w = 0; w < int(kZipImpls.size()); ++w)
        for (int r = 0; r < int(kZipImpls.size()); ++r)
          QTest::addRow("%s parts, %s writes, %s reads", set ? "odd" : "workbook", kZipImpls[w].name,
                        kZipImpls[r].name)
              << w << r << set;
  }
  void eachReadsWhatEachWrites() {
    QFETCH(int, writer);
    QFETCH(int, reader);
    QFETCH(int, set);
    const QList<ZipEntry> parts = partSet(set);
    QString why;
    const auto packed = kZipImpls[writer].write(parts, &why, QDateTime(QDate(2026, 12, 10), QTime(10, 0)));
    QVERIFY2(packed, qPrintable(why));
    const auto back = kZipImpls[reader].read(*packed, &why, {});
    QVERIFY2(back, qPrintable(why));
    QCOMPARE(back->size(), parts.size());
    for (int i = 0; i < parts.size(); ++i) {
      QCOMPARE(back->at(i).name, parts[i].name);
      QVERIFY(back->at(i).data == parts[i].data);
    }
  }

  // The zlib writer writes what the QuaZip writer writes, byte for byte:
  // a workbook written on Windows is the one Linux writes.
  void bothWriteTheSameBytes_data() {
    QTest::addColumn<int>("set");
    QTest::newRow("workbook parts") << 0;
    QTest::newRow("odd parts") << 1;
  }
  void bothWriteTheSameBytes() {
    QFETCH(int, set);
    const QDateTime stamp(QDate(2011, 4, 18), QTime(12, 0));
    const auto own = kZipImpls[0].write(partSet(set), nullptr, stamp);
    const auto zlib = kZipImpls[1].write(partSet(set), nullptr, stamp);
    QVERIFY(own && zlib);
    QCOMPARE(zlib->toHex(), own->toHex());
  }

  // The templates beside the program, zipped at build time by the build's
  // own writer.
  void theReportTemplatesReadAlike_data() {
    QTest::addColumn<QString>("file");
    for (const char* name : {"template.xlsx", "template1.xlsx", "template2.xlsx", "template3.xlsx"})
      QTest::newRow(name) << QString::fromLatin1(name);
  }
  void theReportTemplatesReadAlike() {
    QFETCH(QString, file);
    const QByteArray bytes = readFile(QCoreApplication::applicationDirPath() + QLatin1Char('/') + file);
    QVERIFY(!bytes.isEmpty());
    const auto own = kZipImpls[0].read(bytes, nullptr, {});
    const auto zlib = kZipImpls[1].read(bytes, nullptr, {});
    QVERIFY(own && zlib);
    QVERIFY(own->size() > 5);
    QCOMPARE(zlib->size(), own->size());
    for (int i = 0; i < own->size(); ++i) {
      QCOMPARE(zlib->at(i).name, own->at(i).name);
      QVERIFY(zlib->at(i).data == own->at(i).data);
    }
  }

  void bothRefuseTheSameDamage_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = *xlsx::zlibzip::writeZip(sampleParts(), nullptr, QDateTime(QDate(2026, 12, 10), QTime(10, 0)));
    const qsizetype central = good.indexOf("PK\x01\x02");
    const qsizetype end = good.lastIndexOf("PK\x05\x06");
    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("text") << QByteArray("ВМК-01 is no zip archive, however long it is.");
    QTest::newRow("cut in the middle") << good.left(good.size() / 2);
    QTest::newRow("the end record alone") << good.mid(end);
    QTest::newRow("directory beyond the end") << withWord(good, end + 16, quint32(good.size()));
    QTest::newRow("first entry's local header moved") << withWord(good, central + 42, 7);
    QTest::newRow("first entry's size stated smaller") << withWord(good, central + 24, 10);
    QTest::newRow("first entry's checksum changed") << withByte(good, central + 16, char(good[central + 16] ^ 1));
    QTest::newRow("an unknown method") << withByte(withByte(good, central + 10, 12), 8, 12);
  }
  void bothRefuseTheSameDamage() {
    QFETCH(QByteArray, bytes);
    for (const ZipImpl& zip : kZipImpls) {
      QString why;
      QVERIFY2(!zip.read(bytes, &why, {}), zip.name);
      QVERIFY2(!why.isEmpty(), zip.name);
    }
  }
};

QTEST_GUILESS_MAIN(TestZipArchive)
#include "test_zip_archive.moc"
