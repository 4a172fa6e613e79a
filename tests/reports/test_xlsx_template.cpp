// The template engine on a small workbook made here: where the values go,
// what stays as it was, and what a damaged template or an unwritable
// output leave behind.

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "reports/messages.h"
#include "reports/workbook_fill.h"
#include "reports/xlsx_template.h"
#include "tests/reports/workbook_support.h"
#include "tests/reports/zip_impls.h"

using namespace vmk;
using namespace vmk::test;
using xlsx::XmlNode;
using xlsx::ZipEntry;

class TestXlsxTemplate : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void init();
  void valuesGoWhereTheCellsNameThem();
  void aValueWithLineFeedsWrapsInACopyOfItsStyle();
  void everythingElseIsCopied();
  void foreignAndDamagedTemplatesGiveTheEnginesMessage_data();
  void foreignAndDamagedTemplatesGiveTheEnginesMessage();
  void aFailedRunLeavesTheOldFile();
  void anExistingFileIsReplaced();
  void aZipBeyondItsLimitsIsRefused_data() { addZipImplRows(); }
  void aZipBeyondItsLimitsIsRefused();
  void aPartNameWithANulByteIsRefused_data() { addZipImplRows(); }
  void aPartNameWithANulByteIsRefused();
  void textsAreKeptSafeForXml();

 private:
  QList<ZipEntry> run(const ReportValues& values);
  QString write(const QList<ZipEntry>& parts, const QString& name = QStringLiteral("t.xlsx"));

  std::unique_ptr<QTemporaryDir> m_dir;
};

static ReportValues sampleValues() {
  return {{QStringLiteral("name"), QStringLiteral("ВМК-01.01")},
          {QStringLiteral("serial"), qint64(1234)},
          {QStringLiteral("lines"), QStringLiteral("первая\nвторая")}};
}

static QString cellValue(const XmlNode& c) {
  if (const XmlNode* is = c.child(QStringLiteral("is"))) return is->allText();
  if (const XmlNode* v = c.child(QStringLiteral("v"))) return v->allText();
  return {};
}

void TestXlsxTemplate::init() { m_dir = std::make_unique<QTemporaryDir>(); }

QString TestXlsxTemplate::write(const QList<ZipEntry>& parts, const QString& name) {
  const QString path = m_dir->filePath(name);
  const auto zip = xlsx::writeZip(parts);
  if (!zip || !writeFile(path, *zip)) return {};
  return path;
}

QList<ZipEntry> TestXlsxTemplate::run(const ReportValues& values) {
  XlsxTemplate rep;
  rep.setTemplate(write(sampleParts()));
  rep.setValues(values);
  rep.setOutputFile(m_dir->filePath(QStringLiteral("out.xlsx")));
  QString error;
  if (!rep.run(&error)) {
    qWarning() << error;
    return {};
  }
  return xlsx::readZip(readFile(m_dir->filePath(QStringLiteral("out.xlsx")))).value_or(QList<ZipEntry>());
}

void TestXlsxTemplate::valuesGoWhereTheCellsNameThem() {
  const QList<ZipEntry> out = run(sampleValues());
  QVERIFY(!out.isEmpty());
  const QByteArray sheet = part(out, QStringLiteral("xl/worksheets/sheet1.xml"));

  // A whole placeholder of a text: an inline string kept with its blanks.
  const XmlNode b1 = *cellOf(sheet, QStringLiteral("B1"));
  QCOMPARE(b1.attribute(QStringLiteral("t")), QStringLiteral("inlineStr"));
  QCOMPARE(b1.attribute(QStringLiteral("s")), QStringLiteral("1"));
  QCOMPARE(cellValue(b1), QStringLiteral("ВМК-01.01"));
  QCOMPARE(b1.child(QStringLiteral("is"))->child(QStringLiteral("t"))->attribute(QStringLiteral("xml:space")),
           QStringLiteral("preserve"));
  // An integer inside a text is text; alone in its cell it is a number.
  QCOMPARE(cellValue(*cellOf(sheet, QStringLiteral("C1"))), QStringLiteral("Номер: 1234 шт."));
  const XmlNode b3 = *cellOf(sheet, QStringLiteral("B3"));
  QCOMPARE(b3.attribute(QStringLiteral("t")), std::nullopt);
  QCOMPARE(cellValue(b3), QStringLiteral("1234"));
  QCOMPARE(b3.attribute(QStringLiteral("s")), QStringLiteral("1"));
  // Split across runs, from a shared string and an inline one.
  QCOMPARE(cellValue(*cellOf(sheet, QStringLiteral("A2"))), QStringLiteral("первая\nвторая"));
  QCOMPARE(cellValue(*cellOf(sheet, QStringLiteral("B2"))), QStringLiteral("первая\nвторая"));
  // No value: an empty cell that keeps its style.
  const XmlNode d2 = *cellOf(sheet, QStringLiteral("D2"));
  QVERIFY(d2.children.isEmpty());
  QCOMPARE(d2.attribute(QStringLiteral("t")), std::nullopt);
  QCOMPARE(d2.attribute(QStringLiteral("s")), QStringLiteral("1"));
  // What only looks like a placeholder, and other cells, stay.
  QCOMPARE(cellOf(sheet, QStringLiteral("C3"))->attribute(QStringLiteral("t")), QStringLiteral("s"));
  QCOMPARE(cellValue(*cellOf(sheet, QStringLiteral("C3"))), QStringLiteral("5"));
  QCOMPARE(cellValue(*cellOf(sheet, QStringLiteral("A1"))), QStringLiteral("0"));
  QVERIFY(cellOf(sheet, QStringLiteral("D1"))->child(QStringLiteral("f")));
  // A sheet that writes its namespace with a prefix keeps it.
  const QByteArray sheet2 = part(out, QStringLiteral("xl/worksheets/sheet2.xml"));
  const XmlNode a1 = *cellOf(sheet2, QStringLiteral("A1"));
  QCOMPARE(a1.name, QStringLiteral("x:c"));
  QVERIFY(a1.child(QStringLiteral("is")));
  QCOMPARE(a1.child(QStringLiteral("is"))->name, QStringLiteral("x:is"));
  QCOMPARE(cellValue(a1), QStringLiteral("ВМК-01.01 / первая\nвторая"));
}

void TestXlsxTemplate::aValueWithLineFeedsWrapsInACopyOfItsStyle() {
  const QList<ZipEntry> out = run(sampleValues());
  const QByteArray sheet = part(out, QStringLiteral("xl/worksheets/sheet1.xml"));
  const QList<XmlNode> formats = cellFormats(part(out, QStringLiteral("xl/styles.xml")));
  const QList<XmlNode> before = cellFormats(kStylesXml);
  // One copy of format 1 serves both of its cells; format 2 wraps already;
  // sheet 2's cell of format 0 gets a copy of its own.
  QCOMPARE(formats.size(), before.size() + 2);
  for (int i = 0; i < before.size(); ++i) {
    QCOMPARE(formats[i].attributes.size(), before[i].attributes.size());
    QCOMPARE(formats[i].allText(), before[i].allText());
    const XmlNode* a = formats[i].child(QStringLiteral("alignment"));
    const XmlNode* b = before[i].child(QStringLiteral("alignment"));
    QCOMPARE(bool(a), bool(b));
    if (a) QCOMPARE(a->attribute(QStringLiteral("wrapText")), b->attribute(QStringLiteral("wrapText")));
  }
  const QString copy = cellOf(sheet, QStringLiteral("A2"))->attribute(QStringLiteral("s")).value();
  QCOMPARE(cellOf(sheet, QStringLiteral("B2"))->attribute(QStringLiteral("s")).value(), copy);
  QCOMPARE(cellOf(sheet, QStringLiteral("C2"))->attribute(QStringLiteral("s")), QStringLiteral("2"));
  const XmlNode& xf = formats[copy.toInt()];
  QCOMPARE(xf.attribute(QStringLiteral("fontId")), QStringLiteral("1"));
  QCOMPARE(xf.child(QStringLiteral("alignment"))->attribute(QStringLiteral("horizontal")), QStringLiteral("left"));
  QCOMPARE(xf.child(QStringLiteral("alignment"))->attribute(QStringLiteral("wrapText")), QStringLiteral("1"));
  const int plainCopy = cellOf(part(out, QStringLiteral("xl/worksheets/sheet2.xml")), QStringLiteral("A1"))
                            ->attribute(QStringLiteral("s")).value().toInt();
  QCOMPARE(formats[plainCopy].attribute(QStringLiteral("fontId")), QStringLiteral("0"));
  QVERIFY(formats[plainCopy].child(QStringLiteral("alignment")));
  QVERIFY(part(out, QStringLiteral("xl/styles.xml")).contains("<cellXfs count=\"5\">"));
  // The row of a two-line text is made two lines high; a row high enough
  // already keeps its height; the others get none.
  QVERIFY(sheet.contains("<row r=\"2\" ht=\"30.00\" customHeight=\"1\">"));
  QVERIFY(sheet.contains("<row r=\"3\" ht=\"80\" customHeight=\"1\">"));
  QVERIFY(sheet.contains("<row r=\"1\">"));
  // A single-line value leaves the styles part as it was.
  ReportValues oneLine = sampleValues();
  oneLine[QStringLiteral("lines")] = QStringLiteral("одна");
  QCOMPARE(part(run(oneLine), QStringLiteral("xl/styles.xml")), QByteArray(kStylesXml));
}

void TestXlsxTemplate::everythingElseIsCopied() {
  const QList<ZipEntry> out = run(sampleValues());
  QCOMPARE(out.first().name, QStringLiteral("[Content_Types].xml"));
  QCOMPARE(out.size(), sampleParts().size());
  for (const char* name : {"_rels/.rels", "xl/sharedStrings.xml", "xl/theme/theme1.xml", "[Content_Types].xml"})
    QCOMPARE(part(out, QString::fromLatin1(name)), part(sampleParts(), QString::fromLatin1(name)));
  const QByteArray sheet = part(out, QStringLiteral("xl/worksheets/sheet1.xml"));
  for (const char* kept : {"<dimension ref=\"A1:D4\"/>", "<col min=\"1\" max=\"1\" width=\"30\" customWidth=\"1\"/>",
                           "<mergeCell ref=\"A4:D4\"/>", "<pageSetup paperSize=\"9\" orientation=\"portrait\"/>",
                           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\""})
    QVERIFY2(sheet.contains(kept), kept);
  // Formulas are worked out again when the workbook is opened.
  const QByteArray workbook = part(out, QStringLiteral("xl/workbook.xml"));
  QVERIFY(workbook.contains("<calcPr fullCalcOnLoad=\"1\"/></workbook>"));
  QVERIFY(workbook.contains("<definedName name=\"_xlnm.Print_Titles\" localSheetId=\"0\">A!$1:$1</definedName>"));
  // A template's calcPr keeps its own settings.
  QList<ZipEntry> parts = sampleParts();
  parts[1].data.replace("</workbook>", "<calcPr calcId=\"145621\" fullCalcOnLoad=\"0\"/></workbook>");
  const auto filled = xlsx::fillWorkbook(parts, {});
  QVERIFY(filled);
  QVERIFY(part(*filled, QStringLiteral("xl/workbook.xml")).contains("<calcPr calcId=\"145621\" fullCalcOnLoad=\"1\"/>"));
}

void TestXlsxTemplate::foreignAndDamagedTemplatesGiveTheEnginesMessage_data() {
  QTest::addColumn<QByteArray>("bytes");  // the template file; empty: the parts below
  QTest::addColumn<QString>("partName");
  QTest::addColumn<QByteArray>("partData");  // replaces the part; empty: removes it
  QTest::addColumn<QString>("message");
  const QString damaged = msg::reports::kTemplateDamaged.section(QLatin1Char('"'), 0, 0);
  QTest::newRow("missing") << QByteArray("-") << QString() << QByteArray() << msg::reports::kNoTemplate.left(10);
  QTest::newRow("not a zip") << QByteArray("PK\x03\x04 this is no archive") << QString() << QByteArray() << damaged;
  QTest::newRow("text") << QByteArray("Дата;Событие\n") << QString() << QByteArray() << damaged;
  QTest::newRow("no content types") << QByteArray() << "[Content_Types].xml" << QByteArray() << damaged;
  QTest::newRow("no workbook named")
      << QByteArray() << "[Content_Types].xml"
      << QByteArray("<Types xmlns=\"urn:x\"><Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>") << damaged;
  QTest::newRow("sheet missing") << QByteArray() << "xl/worksheets/sheet2.xml" << QByteArray() << damaged;
  QTest::newRow("broken sheet") << QByteArray() << "xl/worksheets/sheet1.xml"
                                << QByteArray("<worksheet><sheetData><row><c t=\"s\"><v>1</v></row>") << damaged;
  QTest::newRow("string out of range")
      << QByteArray() << "xl/worksheets/sheet1.xml"
      << QByteArray("<worksheet><sheetData><row><c r=\"A1\" t=\"s\"><v>99</v></c></row></sheetData></worksheet>") << damaged;
  QTest::newRow("dtd") << QByteArray() << "xl/sharedStrings.xml"
                       << QByteArray("<!DOCTYPE sst [<!ENTITY a \"aaaa\">]><sst><si><t>&a;</t></si></sst>") << damaged;
  QTest::newRow("dtd in a sheet") << QByteArray() << "xl/worksheets/sheet2.xml"
                                  << QByteArray("<!DOCTYPE x><worksheet><sheetData/></worksheet>") << damaged;
  QTest::newRow("dtd in the content types")
      << QByteArray() << "[Content_Types].xml"
      << QByteArray("<!DOCTYPE Types [<!ENTITY e \"x\">]><Types>&e;</Types>") << damaged;
  QTest::newRow("broken styles") << QByteArray() << "xl/styles.xml" << QByteArray("<styleSheet><cellXfs>") << damaged;
  QTest::newRow("broken workbook") << QByteArray() << "xl/workbook.xml" << QByteArray("<workbook") << damaged;
}

void TestXlsxTemplate::foreignAndDamagedTemplatesGiveTheEnginesMessage() {
  QFETCH(QByteArray, bytes);
  QFETCH(QString, partName);
  QFETCH(QByteArray, partData);
  QFETCH(QString, message);
  QString path;
  if (bytes == "-") {
    path = m_dir->filePath(QStringLiteral("none.xlsx"));
  } else if (!bytes.isEmpty()) {
    path = m_dir->filePath(QStringLiteral("t.xlsx"));
    QVERIFY(writeFile(path, bytes));
  } else {
    QList<ZipEntry> parts = sampleParts();
    for (int i = 0; i < parts.size(); ++i)
      if (parts[i].name == partName) {
        if (partData.isEmpty()) parts.removeAt(i);
        else parts[i].data = partData;
        break;
      }
    path = write(parts);
  }
  XlsxTemplate rep;
  rep.setTemplate(path);
  rep.setValues(sampleValues());
  const QString out = m_dir->filePath(QStringLiteral("out.xlsx"));
  rep.setOutputFile(out);
  QString error;
  QVERIFY(!rep.run(&error));
  QVERIFY2(error.startsWith(message), qPrintable(error));
  QVERIFY(error.contains(path));
  // A damaged part is named.
  if (!partName.isEmpty()) QVERIFY2(error.contains(partName), qPrintable(error));
  QVERIFY(!QFile::exists(out));
}

void TestXlsxTemplate::aFailedRunLeavesTheOldFile() {
  const QString out = m_dir->filePath(QStringLiteral("out.xlsx"));
  QVERIFY(writeFile(out, "the old report"));
  XlsxTemplate rep;
  rep.setTemplate(m_dir->filePath(QStringLiteral("none.xlsx")));
  rep.setOutputFile(out);
  QVERIFY(!rep.run());
  QCOMPARE(readFile(out), QByteArray("the old report"));
  // A folder that cannot be written: the engine's message, nothing left.
  rep.setTemplate(write(sampleParts()));
  const QString locked = m_dir->filePath(QStringLiteral("locked"));
  QVERIFY(QDir().mkdir(locked));
  QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  const bool asRoot = QFileInfo(locked).isWritable();
  rep.setOutputFile(locked + QStringLiteral("/out.xlsx"));
  QString error;
  if (!asRoot) {
    QVERIFY(!rep.run(&error));
    QVERIFY(error.startsWith(msg::reports::kNotWritten.left(10)));
    QVERIFY(error.contains(QStringLiteral("locked/out.xlsx")));
  }
  QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  // A folder in the file's place cannot be replaced.
  rep.setOutputFile(locked);
  QVERIFY(!rep.run(&error));
  QVERIFY(QFileInfo(locked).isDir());
  QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // t.xlsx, out.xlsx
  rep.setOutputFile(QString());
  QVERIFY(!rep.run(&error));
  QCOMPARE(error, msg::reports::kNoOutputName);
}

void TestXlsxTemplate::anExistingFileIsReplaced() {
  const QString out = m_dir->filePath(QStringLiteral("out.xlsx"));
  QVERIFY(writeFile(out, "the old report"));
  XlsxTemplate rep;
  rep.setTemplate(write(sampleParts()));
  rep.setValues(sampleValues());
  rep.setOutputFile(out);
  QVERIFY(rep.run());
  QVERIFY(xlsx::readZip(readFile(out)));
  // The output may even be the template itself.
  rep.setOutputFile(m_dir->filePath(QStringLiteral("t.xlsx")));
  QVERIFY(rep.run());
  QVERIFY(xlsx::readZip(readFile(m_dir->filePath(QStringLiteral("t.xlsx")))));
}

void TestXlsxTemplate::aZipBeyondItsLimitsIsRefused() {
  QFETCH(int, impl);
  const ZipImpl& zip = kZipImpls[impl];
  QList<ZipEntry> big = sampleParts();
  big.append({QStringLiteral("xl/media/zeros.bin"), QByteArray(2 * 1024 * 1024, '\0')});
  const QByteArray packed = *zip.write(big, nullptr, {});
  QVERIFY(packed.size() < 64 * 1024);  // packs small, unpacks large
  QString why;
  QVERIFY(!zip.read(packed, &why, {100, 1024 * 1024}));
  QVERIFY(!why.isEmpty());
  QVERIFY(!zip.read(packed, &why, {4, 64 * 1024 * 1024}));
  QVERIFY(zip.read(packed, &why, {100, 4 * 1024 * 1024}));
  // A byte changed inside an entry's packed data fails its checksum.
  QByteArray spoiled = *zip.write(sampleParts(), nullptr, {});
  const qsizetype at = spoiled.indexOf("xl/workbook.xml") + 40;
  spoiled[at] = char(spoiled[at] ^ 0x55);
  QVERIFY(!zip.read(spoiled, &why, {}));
}

// The zip writer would cut such a name at the NUL and write the part
// without a name, which no reader takes.
void TestXlsxTemplate::aPartNameWithANulByteIsRefused() {
  QFETCH(int, impl);
  const ZipImpl& zip = kZipImpls[impl];
  QList<ZipEntry> parts = sampleParts();
  parts.append({QStringLiteral("xl/zzzz.xml"), QByteArray("<a/>")});
  QByteArray packed = *zip.write(parts, nullptr, {});
  QCOMPARE(packed.count("xl/zzzz.xml"), 2);  // local header and directory
  packed.replace("xl/zzzz.xml", QByteArray("\0l/zzzz.xml", 11));
  QString why;
  QVERIFY(!zip.read(packed, &why, {}));
  QVERIFY(!why.isEmpty());
  parts.last().name = QStringLiteral("xl/zz") + QChar(0) + QStringLiteral("zz.xml");
  QVERIFY(!zip.write(parts, &why, {}));
  QVERIFY(why.startsWith(QStringLiteral("часть ")));
}

void TestXlsxTemplate::textsAreKeptSafeForXml() {
  QCOMPARE(xlsx::cellText(QStringLiteral("a\x01" "b\tc")), QStringLiteral("a_x0001_b\tc"));
  QCOMPARE(xlsx::cellText(QStringLiteral("_x0041_")), QStringLiteral("_x005F_x0041_"));
  QCOMPARE(xlsx::cellText(QString(40000, QChar(u'я'))).size(), 32767);
  ReportValues values = sampleValues();
  values[QStringLiteral("name")] = QStringLiteral("<&>\"\x02");
  const QList<ZipEntry> out = run(values);
  QCOMPARE(cellValue(*cellOf(part(out, QStringLiteral("xl/worksheets/sheet1.xml")), QStringLiteral("B1"))),
           QStringLiteral("<&>\"_x0002_"));
}

QTEST_GUILESS_MAIN(TestXlsxTemplate)
#include "test_xlsx_template.moc"
