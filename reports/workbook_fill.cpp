#include "reports/workbook_fill.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QVector>

#include "reports/xml_tree.h"

namespace vmk::xlsx {

namespace {

const QString kContentTypes = QStringLiteral("[Content_Types].xml");
const QString kTypeBase = QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.");
const QString kWorkbookType = kTypeBase + QStringLiteral("sheet.main+xml");
const QString kTemplateType = kTypeBase + QStringLiteral("template.main+xml");
const QString kSheetType = kTypeBase + QStringLiteral("worksheet+xml");
const QString kStringsType = kTypeBase + QStringLiteral("sharedStrings+xml");
const QString kStylesType = kTypeBase + QStringLiteral("styles+xml");
constexpr int kMaxCellText = 32767;
constexpr double kMaxRowHeight = 409.5;  // points, the highest row a sheet has

// A part that cannot be read as the workbook part it is meant to be.
struct Damaged {
  QString why;
};

[[noreturn]] void damaged(const QString& part, const QString& what) {
  throw Damaged{part + QStringLiteral(": ") + what};
}

void checkRead(const QXmlStreamReader& reader, const QString& part) {
  if (reader.hasError()) damaged(part, reader.errorString());
}

// A workbook part never declares a DTD or refers to an entity of one; such
// a part is not read on.
QXmlStreamReader::TokenType nextToken(QXmlStreamReader& reader, const QString& part) {
  const QXmlStreamReader::TokenType token = reader.readNext();
  if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference)
    damaged(part, QStringLiteral("недопустимая разметка"));
  return token;
}

QString prefixOf(const QString& qualifiedName) {
  const qsizetype colon = qualifiedName.indexOf(QLatin1Char(':'));
  return colon < 0 ? QString() : qualifiedName.left(colon + 1);
}

// The text of a shared string item or an inline string: its own <t> and
// the <t> of its runs; phonetic runs are not part of it.
QString stringItemText(const XmlNode& item) {
  QString out;
  for (const XmlNode& c : item.children) {
    if (c.isText) continue;
    const QString local = localName(c.name);
    if (local == QLatin1String("t")) {
      out += c.allText();
    } else if (local == QLatin1String("r")) {
      if (const XmlNode* t = c.child(QStringLiteral("t"))) out += t->allText();
    }
  }
  return out;
}

struct Parts {
  QString workbook;
  QStringList sheets;
  QString sharedStrings;
  QString styles;
};

Parts partsOf(const QByteArray& contentTypes) {
  Parts parts;
  QXmlStreamReader reader(contentTypes);
  prepareReader(reader);
  while (!reader.atEnd()) {
    if (nextToken(reader, kContentTypes) != QXmlStreamReader::StartElement) continue;
    if (localName(reader.qualifiedName().toString()) != QLatin1String("Override")) continue;
    QString part = reader.attributes().value(QStringLiteral("PartName")).toString();
    const QString type = reader.attributes().value(QStringLiteral("ContentType")).toString();
    if (part.startsWith(QLatin1Char('/'))) part.remove(0, 1);
    if (type == kWorkbookType || type == kTemplateType) parts.workbook = part;
    else if (type == kSheetType) parts.sheets << part;
    else if (type == kStringsType) parts.sharedStrings = part;
    else if (type == kStylesType) parts.styles = part;
  }
  checkRead(reader, kContentTypes);
  return parts;
}

QVector<QString> readSharedStrings(const QByteArray& xml, const QString& part) {
  QVector<QString> strings;
  QXmlStreamReader reader(xml);
  prepareReader(reader);
  int depth = 0;
  while (!reader.atEnd()) {
    const auto token = nextToken(reader, part);
    if (token == QXmlStreamReader::StartElement) {
      if (depth == 1 && localName(reader.qualifiedName().toString()) == QLatin1String("si")) {
        const std::optional<XmlNode> si = readNode(reader);
        if (!si) damaged(part, reader.hasError() ? reader.errorString() : QStringLiteral("недопустимая разметка"));
        strings << stringItemText(*si);
        continue;
      }
      ++depth;
    } else if (token == QXmlStreamReader::EndElement) {
      --depth;
    }
  }
  checkRead(reader, part);
  return strings;
}

// The cell formats of the styles part (its <cellXfs>) and the wrapping
// copies the filled cells ask for, appended after them.
class CellFormats {
 public:
  CellFormats() = default;
  CellFormats(const QByteArray& xml, const QString& part) : m_part(part), m_present(true) {
    QXmlStreamReader reader(xml);
    prepareReader(reader);
    QStringList path;
    while (!reader.atEnd()) {
      const auto token = nextToken(reader, part);
      if (token == QXmlStreamReader::StartElement) {
        const QString local = localName(reader.qualifiedName().toString());
        if (path.size() == 2 && path[1] == QLatin1String("cellXfs") && local == QLatin1String("xf")) {
          const std::optional<XmlNode> xf = readNode(reader);
          if (!xf) damaged(part, reader.hasError() ? reader.errorString() : QStringLiteral("недопустимая разметка"));
          m_formats << *xf;
          continue;
        }
        path << local;
      } else if (token == QXmlStreamReader::EndElement) {
        path.removeLast();
      }
    }
    checkRead(reader, part);
  }

  // The format a cell of format `index` takes for a text with line feeds.
  int wrapping(int index) {
    if (!m_present || index < 0 || index >= m_formats.size()) return index;
    if (wraps(m_formats[index])) return index;
    const auto known = m_copies.constFind(index);
    if (known != m_copies.constEnd()) return *known;
    XmlNode copy = m_formats[index];
    copy.setAttribute(QStringLiteral("applyAlignment"), QStringLiteral("1"));
    if (XmlNode* alignment = copy.child(QStringLiteral("alignment"))) {
      alignment->setAttribute(QStringLiteral("wrapText"), QStringLiteral("1"));
    } else {
      XmlNode a;
      a.name = prefixOf(copy.name) + QStringLiteral("alignment");
      a.setAttribute(QStringLiteral("wrapText"), QStringLiteral("1"));
      copy.children.prepend(a);  // alignment comes first among its children
    }
    const int added = int(m_formats.size() + m_added.size());
    m_added << copy;
    m_copies.insert(index, added);
    return added;
  }

  bool changed() const { return !m_added.isEmpty(); }

  // The styles part with the copies added to <cellXfs> and its count.
  QByteArray rewrite(const QByteArray& xml) const {
    QXmlStreamReader reader(xml);
    prepareReader(reader);
    QByteArray out;
    QXmlStreamWriter writer(&out);
    QStringList path;
    while (!reader.atEnd()) {
      const auto token = reader.readNext();
      if (token == QXmlStreamReader::Invalid) break;
      if (token == QXmlStreamReader::StartElement) {
        const QString name = reader.qualifiedName().toString();
        path << localName(name);
        if (path.size() == 2 && path[1] == QLatin1String("cellXfs")) {
          QXmlStreamAttributes attributes;
          for (const QXmlStreamAttribute& a : reader.attributes())
            if (a.qualifiedName() != QLatin1String("count")) attributes.append(a);
          attributes.append(QStringLiteral("count"),
                            QString::number(m_formats.size() + m_added.size()));
          writeStartElement(writer, name, attributes);
          continue;
        }
      } else if (token == QXmlStreamReader::EndElement) {
        if (path.size() == 2 && path[1] == QLatin1String("cellXfs"))
          for (const XmlNode& xf : m_added) writeNode(writer, xf);
        path.removeLast();
      }
      if (!copyToken(reader, writer)) damaged(m_part, QStringLiteral("недопустимая разметка"));
    }
    checkRead(reader, m_part);
    return out;
  }

 private:
  static bool wraps(const XmlNode& xf) {
    const XmlNode* a = xf.child(QStringLiteral("alignment"));
    if (!a) return false;
    const QString w = a->attribute(QStringLiteral("wrapText")).value_or(QString());
    return w == QLatin1String("1") || w == QLatin1String("true");
  }

  QString m_part;
  bool m_present = false;
  QVector<XmlNode> m_formats;
  QVector<XmlNode> m_added;
  QHash<int, int> m_copies;
};

class CellFiller {
 public:
  CellFiller(const ReportValues& values, const QVector<QString>& strings, CellFormats& formats)
      : m_values(values), m_strings(strings), m_formats(formats) {}

  // The cell with its placeholders filled, or nothing when it names no
  // value.
  std::optional<XmlNode> fill(const XmlNode& cell, const QString& part) {
    const QString type = cell.attribute(QStringLiteral("t")).value_or(QString());
    QString text;
    if (type == QLatin1String("s")) {
      const XmlNode* v = cell.child(QStringLiteral("v"));
      bool ok = false;
      const int index = v ? v->allText().trimmed().toInt(&ok) : -1;
      if (!ok || index < 0 || index >= m_strings.size())
        damaged(part, QStringLiteral("ячейка ссылается на строку, которой нет"));
      text = m_strings[index];
    } else if (type == QLatin1String("inlineStr")) {
      if (const XmlNode* is = cell.child(QStringLiteral("is"))) text = stringItemText(*is);
    } else {
      return std::nullopt;
    }
    static const QRegularExpression placeholder(QStringLiteral(R"(\{\{([A-Za-z0-9_]+)\}\})"));
    if (!placeholder.match(text).hasMatch()) return std::nullopt;

    const QString prefix = prefixOf(cell.name);
    XmlNode out;
    out.name = cell.name;
    out.attributes = cell.attributes;
    out.removeAttribute(QStringLiteral("t"));

    // One placeholder of an integer value: a number.
    const QRegularExpressionMatch whole = placeholder.match(text);
    if (whole.capturedStart() == 0 && whole.capturedLength() == text.size()) {
      const auto it = m_values.constFind(whole.captured(1));
      if (it != m_values.constEnd() && std::holds_alternative<qint64>(*it)) {
        XmlNode v;
        v.name = prefix + QStringLiteral("v");
        v.children << textNode(QString::number(std::get<qint64>(*it)));
        out.children << v;
        return out;
      }
    }

    QString filled;
    qsizetype from = 0;
    for (auto it = placeholder.globalMatch(text); it.hasNext();) {
      const QRegularExpressionMatch m = it.next();
      filled += text.mid(from, m.capturedStart() - from);
      filled += valueText(m.captured(1));
      from = m.capturedEnd();
    }
    filled += text.mid(from);
    if (filled.isEmpty()) return out;  // an empty cell that keeps its style

    if (filled.contains(QLatin1Char('\n'))) {
      const int style = cell.attribute(QStringLiteral("s")).value_or(QStringLiteral("0")).toInt();
      const int wrapping = m_formats.wrapping(style);
      if (wrapping != style) out.setAttribute(QStringLiteral("s"), QString::number(wrapping));
    }
    out.setAttribute(QStringLiteral("t"), QStringLiteral("inlineStr"));
    XmlNode t;
    t.name = prefix + QStringLiteral("t");
    t.setAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
    t.children << textNode(cellText(filled));
    XmlNode is;
    is.name = prefix + QStringLiteral("is");
    is.children << t;
    out.children << is;
    return out;
  }

 private:
  static XmlNode textNode(const QString& text) {
    XmlNode n;
    n.isText = true;
    n.text = text;
    return n;
  }

  QString valueText(const QString& name) const {
    const auto it = m_values.constFind(name);
    if (it == m_values.constEnd()) return {};
    if (const qint64* n = std::get_if<qint64>(&*it)) return QString::number(*n);
    return std::get<QString>(*it);
  }

  const ReportValues& m_values;
  const QVector<QString>& m_strings;
  CellFormats& m_formats;
};

// The lines of the text a filled cell holds (0 for a cell without text).
int linesOf(const XmlNode& cell) {
  const XmlNode* is = cell.child(QStringLiteral("is"));
  return is ? int(is->allText().count(QLatin1Char('\n'))) + 1 : 0;
}

// A row with its cells filled. A row that now holds a text of several
// lines is made high enough for them (it is never made lower): spreadsheet
// programs keep a row's height as the file gives it.
XmlNode fillRow(const XmlNode& row, const QString& part, CellFiller& filler, double lineHeight) {
  XmlNode out = row;
  int lines = 1;
  for (XmlNode& c : out.children) {
    if (c.isText || localName(c.name) != QLatin1String("c")) continue;
    if (std::optional<XmlNode> filled = filler.fill(c, part)) {
      lines = qMax(lines, linesOf(*filled));
      c = std::move(*filled);
    }
  }
  if (lines > 1) {
    bool ok = false;
    const double height = row.attribute(QStringLiteral("ht")).value_or(QString()).toDouble(&ok);
    const double needed = qMin(lines * lineHeight, kMaxRowHeight);
    if (!ok || height < needed) {
      out.setAttribute(QStringLiteral("ht"), QString::number(needed, 'f', 2));
      out.setAttribute(QStringLiteral("customHeight"), QStringLiteral("1"));
    }
  }
  return out;
}

QByteArray fillSheet(const QByteArray& xml, const QString& part, CellFiller& filler) {
  QXmlStreamReader reader(xml);
  prepareReader(reader);
  QByteArray out;
  QXmlStreamWriter writer(&out);
  QStringList path;
  double lineHeight = 15.0;  // Excel's default row
  while (!reader.atEnd()) {
    const auto token = reader.readNext();
    if (token == QXmlStreamReader::Invalid) break;
    if (token == QXmlStreamReader::StartElement) {
      const QString local = localName(reader.qualifiedName().toString());
      if (local == QLatin1String("sheetFormatPr")) {
        bool ok = false;
        const double h = reader.attributes().value(QStringLiteral("defaultRowHeight")).toDouble(&ok);
        if (ok && h > 0 && h <= kMaxRowHeight) lineHeight = h;
      }
      if (local == QLatin1String("row") && !path.isEmpty() && path.last() == QLatin1String("sheetData")) {
        const std::optional<XmlNode> row = readNode(reader);
        if (!row) damaged(part, reader.hasError() ? reader.errorString() : QStringLiteral("недопустимая разметка"));
        writeNode(writer, fillRow(*row, part, filler, lineHeight));
        continue;
      }
      path << local;
    } else if (token == QXmlStreamReader::EndElement) {
      path.removeLast();
    }
    if (!copyToken(reader, writer)) damaged(part, QStringLiteral("недопустимая разметка"));
  }
  checkRead(reader, part);
  return out;
}

// The workbook part with formulas recalculated on opening: `calcPr` with
// fullCalcOnLoad, added in its place among the workbook's children when
// the template has none.
QByteArray recalculateOnLoad(const QByteArray& xml, const QString& part) {
  static const QSet<QString> after{"oleSize",      "customWorkbookViews", "pivotCaches",
                                   "smartTagPr",   "smartTagTypes",       "webPublishing",
                                   "fileRecoveryPr", "webPublishObjects", "extLst"};
  QXmlStreamReader reader(xml);
  prepareReader(reader);
  QByteArray out;
  QXmlStreamWriter writer(&out);
  int depth = 0;
  bool done = false;
  QString prefix;
  auto writeCalcPr = [&] {
    writer.writeEmptyElement(prefix + QStringLiteral("calcPr"));
    writer.writeAttribute(QStringLiteral("fullCalcOnLoad"), QStringLiteral("1"));
    done = true;
  };
  while (!reader.atEnd()) {
    const auto token = reader.readNext();
    if (token == QXmlStreamReader::Invalid) break;
    if (token == QXmlStreamReader::StartElement) {
      ++depth;
      const QString name = reader.qualifiedName().toString();
      if (depth == 1) prefix = prefixOf(name);
      if (depth == 2 && !done && localName(name) == QLatin1String("calcPr")) {
        QXmlStreamAttributes attributes;
        for (const QXmlStreamAttribute& a : reader.attributes())
          if (a.qualifiedName() != QLatin1String("fullCalcOnLoad")) attributes.append(a);
        attributes.append(QStringLiteral("fullCalcOnLoad"), QStringLiteral("1"));
        writeStartElement(writer, name, attributes);
        done = true;
        continue;
      }
      if (depth == 2 && !done && after.contains(localName(name))) writeCalcPr();
    } else if (token == QXmlStreamReader::EndElement) {
      if (depth == 1 && !done) writeCalcPr();
      --depth;
    }
    if (!copyToken(reader, writer)) damaged(part, QStringLiteral("недопустимая разметка"));
  }
  checkRead(reader, part);
  if (!done) damaged(part, QStringLiteral("нет книги"));
  return out;
}

}  // namespace

QString cellText(const QString& text) {
  static const QRegularExpression escapeLike(QStringLiteral("_(x[0-9A-Fa-f]{4}_)"));
  QString in = text.left(kMaxCellText);
  in.replace(escapeLike, QStringLiteral("_x005F_\\1"));
  QString out;
  out.reserve(in.size());
  for (qsizetype i = 0; i < in.size(); ++i) {
    const QChar c = in[i];
    const char16_t u = c.unicode();
    bool allowed = u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u <= 0xD7FF) ||
                   (u >= 0xE000 && u <= 0xFFFD);
    if (c.isHighSurrogate() && i + 1 < in.size() && in[i + 1].isLowSurrogate()) {
      out += c;
      out += in[++i];
      continue;
    }
    if (allowed) out += c;
    else out += QStringLiteral("_x%1_").arg(QString::number(u, 16).toUpper().rightJustified(4, u'0'));
  }
  return out;
}

std::optional<QList<ZipEntry>> fillWorkbook(const QList<ZipEntry>& entries,
                                            const ReportValues& values, QString* why) {
  try {
    QHash<QString, int> at;
    for (int i = 0; i < entries.size(); ++i) {
      if (at.contains(entries[i].name)) damaged(entries[i].name, QStringLiteral("часть повторяется"));
      at.insert(entries[i].name, i);
    }
    auto data = [&](const QString& part) -> const QByteArray& {
      const auto it = at.constFind(part);
      if (it == at.constEnd()) damaged(part, QStringLiteral("части нет"));
      return entries[*it].data;
    };

    const Parts parts = partsOf(data(kContentTypes));
    if (parts.workbook.isEmpty()) damaged(kContentTypes, QStringLiteral("нет книги"));
    const QVector<QString> strings = parts.sharedStrings.isEmpty()
                                         ? QVector<QString>()
                                         : readSharedStrings(data(parts.sharedStrings), parts.sharedStrings);
    CellFormats formats = parts.styles.isEmpty() ? CellFormats() : CellFormats(data(parts.styles), parts.styles);
    CellFiller filler(values, strings, formats);

    QHash<QString, QByteArray> replaced;
    for (const QString& sheet : parts.sheets) replaced.insert(sheet, fillSheet(data(sheet), sheet, filler));
    if (formats.changed()) replaced.insert(parts.styles, formats.rewrite(data(parts.styles)));
    replaced.insert(parts.workbook, recalculateOnLoad(data(parts.workbook), parts.workbook));
    // An .xlsx names its workbook a workbook, not a template.
    QByteArray types = data(kContentTypes);
    types.replace(kTemplateType.toUtf8(), kWorkbookType.toUtf8());
    replaced.insert(kContentTypes, types);

    QList<ZipEntry> out;
    out.append({kContentTypes, replaced.value(kContentTypes)});
    for (const ZipEntry& e : entries) {
      if (e.name == kContentTypes) continue;
      const auto it = replaced.constFind(e.name);
      out.append({e.name, it == replaced.constEnd() ? e.data : *it});
    }
    return out;
  } catch (const Damaged& d) {
    if (why) *why = d.why;
    return std::nullopt;
  }
}

}  // namespace vmk::xlsx
