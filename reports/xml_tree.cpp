#include "reports/xml_tree.h"

namespace vmk::xlsx {

std::optional<QString> XmlNode::attribute(const QString& n) const {
  for (const XmlAttribute& a : attributes)
    if (a.name == n) return a.value;
  return std::nullopt;
}

void XmlNode::setAttribute(const QString& n, const QString& value) {
  for (XmlAttribute& a : attributes)
    if (a.name == n) {
      a.value = value;
      return;
    }
  attributes.append({n, value});
}

void XmlNode::removeAttribute(const QString& n) {
  attributes.removeIf([&n](const XmlAttribute& a) { return a.name == n; });
}

XmlNode* XmlNode::child(const QString& local) {
  for (XmlNode& c : children)
    if (!c.isText && localName(c.name) == local) return &c;
  return nullptr;
}

const XmlNode* XmlNode::child(const QString& local) const {
  return const_cast<XmlNode*>(this)->child(local);
}

QString XmlNode::allText() const {
  if (isText) return text;
  QString out;
  for (const XmlNode& c : children) out += c.allText();
  return out;
}

QString localName(const QString& qualifiedName) {
  const qsizetype colon = qualifiedName.indexOf(QLatin1Char(':'));
  return colon < 0 ? qualifiedName : qualifiedName.mid(colon + 1);
}

void prepareReader(QXmlStreamReader& reader) {
  reader.setNamespaceProcessing(false);
}

std::optional<XmlNode> readNode(QXmlStreamReader& reader) {
  XmlNode node;
  node.name = reader.qualifiedName().toString();
  for (const QXmlStreamAttribute& a : reader.attributes())
    node.attributes.append({a.qualifiedName().toString(), a.value().toString()});
  while (!reader.atEnd()) {
    switch (reader.readNext()) {
      case QXmlStreamReader::StartElement: {
        std::optional<XmlNode> child = readNode(reader);
        if (!child) return std::nullopt;
        node.children.append(std::move(*child));
        break;
      }
      case QXmlStreamReader::EndElement:
        return node;
      case QXmlStreamReader::Characters: {
        XmlNode text;
        text.isText = true;
        text.text = reader.text().toString();
        node.children.append(std::move(text));
        break;
      }
      case QXmlStreamReader::Comment:
      case QXmlStreamReader::ProcessingInstruction:
        break;
      default:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

void writeNode(QXmlStreamWriter& writer, const XmlNode& node) {
  if (node.isText) {
    writer.writeCharacters(node.text);
    return;
  }
  writer.writeStartElement(node.name);
  for (const XmlAttribute& a : node.attributes) writer.writeAttribute(a.name, a.value);
  for (const XmlNode& c : node.children) writeNode(writer, c);
  writer.writeEndElement();
}

void writeStartElement(QXmlStreamWriter& writer, const QString& name,
                       const QXmlStreamAttributes& attributes) {
  writer.writeStartElement(name);
  for (const QXmlStreamAttribute& a : attributes)
    writer.writeAttribute(a.qualifiedName().toString(), a.value().toString());
}

bool copyToken(const QXmlStreamReader& reader, QXmlStreamWriter& writer) {
  switch (reader.tokenType()) {
    case QXmlStreamReader::StartDocument:
      if (reader.isStandaloneDocument())
        writer.writeStartDocument(reader.documentVersion().toString(), true);
      else
        writer.writeStartDocument(reader.documentVersion().toString());
      return true;
    case QXmlStreamReader::EndDocument:
      writer.writeEndDocument();
      return true;
    case QXmlStreamReader::StartElement:
      writeStartElement(writer, reader.qualifiedName().toString(), reader.attributes());
      return true;
    case QXmlStreamReader::EndElement:
      writer.writeEndElement();
      return true;
    case QXmlStreamReader::Characters:
      if (reader.isCDATA())
        writer.writeCDATA(reader.text().toString());
      else
        writer.writeCharacters(reader.text().toString());
      return true;
    case QXmlStreamReader::Comment:
      writer.writeComment(reader.text().toString());
      return true;
    case QXmlStreamReader::ProcessingInstruction:
      writer.writeProcessingInstruction(reader.processingInstructionTarget().toString(),
                                        reader.processingInstructionData().toString());
      return true;
    case QXmlStreamReader::NoToken:
    case QXmlStreamReader::Invalid:
    case QXmlStreamReader::DTD:
    case QXmlStreamReader::EntityReference:
      return false;
  }
  return false;
}

}  // namespace vmk::xlsx
