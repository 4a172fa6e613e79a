#pragma once
// What the report tests share: a small workbook made of its parts, and a
// look into the cells and parts of a written one.

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QString>
#include <QXmlStreamReader>
#include <optional>

#include "reports/xml_tree.h"
#include "reports/zip_archive.h"

namespace vmk::test {

inline const char kTypesXml[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/worksheets/sheet2.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/><Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>)";

inline const char kRelsXml[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)";

inline const char kWorkbookXml[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="A" sheetId="1" r:id="rId1"/><sheet name="B" sheetId="2" r:id="rId2"/></sheets><definedNames><definedName name="_xlnm.Print_Titles" localSheetId="0">A!$1:$1</definedName></definedNames></workbook>)";

// Format 0 plain, 1 bold with a left alignment, 2 already wrapping.
inline const char kStylesXml[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><fonts count="2"><font><sz val="10"/></font><font><b/><sz val="10"/></font></fonts><fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills><borders count="1"><border/></borders><cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs><cellXfs count="3"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/><xf numFmtId="0" fontId="1" fillId="0" borderId="0" xfId="0" applyFont="1" applyAlignment="1"><alignment horizontal="left"/></xf><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0" applyAlignment="1"><alignment wrapText="1"/></xf></cellXfs><cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles></styleSheet>)";

// 0 a caption, 1 a whole placeholder, 2 one inside a text, 3 one split
// across two runs, 4 one without a value, 5 a text that only looks alike.
inline const char kStringsXml[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="6" uniqueCount="6"><si><t>Заголовок</t></si><si><t>{{name}}</t></si><si><t xml:space="preserve">Номер: {{serial}} шт.</t></si><si><r><rPr><b/></rPr><t>{{li</t></r><r><t>nes}}</t></r><rPh sb="0" eb="1"><t>x</t></rPh></si><si><t>{{nothing}}</t></si><si><t>{ {name}}</t></si></sst>)";

inline const char kSheet1Xml[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><dimension ref="A1:D4"/><cols><col min="1" max="1" width="30" customWidth="1"/></cols><sheetData><row r="1"><c r="A1" s="1" t="s"><v>0</v></c><c r="B1" s="1" t="s"><v>1</v></c><c r="C1" t="s"><v>2</v></c><c r="D1"><f>SUM(E1:E2)</f><v>3</v></c></row><row r="2"><c r="A2" s="1" t="s"><v>3</v></c><c r="B2" s="1" t="inlineStr"><is><t>{{lines}}</t></is></c><c r="C2" s="2" t="s"><v>3</v></c><c r="D2" s="1" t="s"><v>4</v></c></row><row r="3" ht="80" customHeight="1"><c r="A3" t="s"><v>1</v></c><c r="B3" s="1" t="inlineStr"><is><t>{{serial}}</t></is></c><c r="C3" t="s"><v>5</v></c><c r="D3"><v>7</v></c><c r="E3" t="s"><v>3</v></c></row></sheetData><mergeCells count="1"><mergeCell ref="A4:D4"/></mergeCells><pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/><pageSetup paperSize="9" orientation="portrait"/></worksheet>)";

// The same namespace under a prefix, as some writers give it.
inline const char kSheet2Xml[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><x:sheetData><x:row r="1"><x:c r="A1" t="inlineStr"><x:is><x:t>{{name}} / {{lines}}</x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>)";

inline QList<xlsx::ZipEntry> sampleParts() {
  return {{"_rels/.rels", kRelsXml},
          {"xl/workbook.xml", kWorkbookXml},
          {"xl/styles.xml", kStylesXml},
          {"xl/sharedStrings.xml", kStringsXml},
          {"xl/worksheets/sheet1.xml", kSheet1Xml},
          {"xl/worksheets/sheet2.xml", kSheet2Xml},
          {"xl/theme/theme1.xml", "<a:theme xmlns:a=\"urn:t\" name=\"T\"/>"},
          {"[Content_Types].xml", kTypesXml}};
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QByteArray part(const QList<xlsx::ZipEntry>& entries, const QString& name) {
  for (const xlsx::ZipEntry& e : entries)
    if (e.name == name) return e.data;
  return {};
}

// The cell `ref` of a sheet part, or nothing.
inline std::optional<xlsx::XmlNode> cellOf(const QByteArray& sheet, const QString& ref) {
  QXmlStreamReader r(sheet);
  xlsx::prepareReader(r);
  while (!r.atEnd()) {
    if (r.readNext() != QXmlStreamReader::StartElement) continue;
    if (xlsx::localName(r.qualifiedName().toString()) != QLatin1String("c")) continue;
    if (r.attributes().value(QStringLiteral("r")) != ref) continue;
    return xlsx::readNode(r);
  }
  return std::nullopt;
}

// The xf elements of <cellXfs> of a styles part.
inline QList<xlsx::XmlNode> cellFormats(const QByteArray& styles) {
  QXmlStreamReader r(styles);
  xlsx::prepareReader(r);
  while (!r.atEnd()) {
    if (r.readNext() != QXmlStreamReader::StartElement) continue;
    if (xlsx::localName(r.qualifiedName().toString()) != QLatin1String("cellXfs")) continue;
    const std::optional<xlsx::XmlNode> xfs = xlsx::readNode(r);
    QList<xlsx::XmlNode> out;
    if (xfs)
      for (const xlsx::XmlNode& c : xfs->children)
        if (!c.isText) out << c;
    return out;
  }
  return {};
}

}  // namespace vmk::test

namespace vmk::test {

// The cells of a workbook's first sheet by the name of the value their
// template placeholder names ("p1" -> "B12"); only cells holding one
// placeholder as their whole text.
inline QMap<QString, QString> namedCells(const QList<xlsx::ZipEntry>& entries) {
  QStringList strings;
  {
    QXmlStreamReader r(part(entries, QStringLiteral("xl/sharedStrings.xml")));
    xlsx::prepareReader(r);
    while (!r.atEnd())
      if (r.readNext() == QXmlStreamReader::StartElement &&
          xlsx::localName(r.qualifiedName().toString()) == QLatin1String("si"))
        strings << xlsx::readNode(r).value_or(xlsx::XmlNode()).allText();
  }
  QMap<QString, QString> cells;
  QXmlStreamReader r(part(entries, QStringLiteral("xl/worksheets/sheet1.xml")));
  xlsx::prepareReader(r);
  static const QRegularExpression one(QStringLiteral(R"(^\{\{([A-Za-z0-9_]+)\}\}$)"));
  while (!r.atEnd()) {
    if (r.readNext() != QXmlStreamReader::StartElement ||
        xlsx::localName(r.qualifiedName().toString()) != QLatin1String("c"))
      continue;
    const std::optional<xlsx::XmlNode> c = xlsx::readNode(r);
    if (!c || c->attribute(QStringLiteral("t")) != QStringLiteral("s")) continue;
    const int i = c->child(QStringLiteral("v"))->allText().toInt();
    const QRegularExpressionMatch m = one.match(strings.value(i));
    if (m.hasMatch()) cells.insert(m.captured(1), c->attribute(QStringLiteral("r")).value());
  }
  return cells;
}

// What a written cell holds: an inline string's text or a number's digits.
inline QString writtenText(const xlsx::XmlNode& c) {
  if (const xlsx::XmlNode* is = c.child(QStringLiteral("is"))) return is->allText();
  if (const xlsx::XmlNode* v = c.child(QStringLiteral("v"))) return v->allText();
  return {};
}

}  // namespace vmk::test
