#pragma once
// Small pieces of XML held as a tree, and a token-by-token copy, over Qt's
// stream reader and writer. The reader runs without namespace processing:
// element and attribute names are kept as written ("x:c", "xmlns:x14ac"),
// so that a copy keeps every prefix and declaration of the part.

#include <QList>
#include <QString>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <optional>

namespace vmk::xlsx {

struct XmlAttribute {
  QString name;
  QString value;
};

struct XmlNode {
  bool isText = false;  // character data (`text`), else an element
  QString name;         // qualified, as written
  QList<XmlAttribute> attributes;
  QList<XmlNode> children;
  QString text;

  std::optional<QString> attribute(const QString& name) const;
  void setAttribute(const QString& name, const QString& value);
  void removeAttribute(const QString& name);
  // The first child element of that local name, or null.
  XmlNode* child(const QString& localName);
  const XmlNode* child(const QString& localName) const;
  // All character data below, in document order.
  QString allText() const;
};

// "c" of "x:c".
QString localName(const QString& qualifiedName);

// A reader for an untrusted part: no namespace processing.
void prepareReader(QXmlStreamReader& reader);

// The element the reader stands on (a StartElement) with all it holds; the
// reader is left on its EndElement. Nothing when the XML is broken.
std::optional<XmlNode> readNode(QXmlStreamReader& reader);
void writeNode(QXmlStreamWriter& writer, const XmlNode& node);

// Writes the reader's current token. False for what a workbook part never
// holds and is not copied: a DTD or an entity reference.
bool copyToken(const QXmlStreamReader& reader, QXmlStreamWriter& writer);
void writeStartElement(QXmlStreamWriter& writer, const QString& name,
                       const QXmlStreamAttributes& attributes);

}  // namespace vmk::xlsx
