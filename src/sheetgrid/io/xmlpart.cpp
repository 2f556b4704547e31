#include "sheetgrid/io/xmlpart.h"

#include "sheetgrid/io/table.h"

namespace trelvo::io {

XmlPart::XmlPart(const QByteArray& bytes, const QString& part) : xml_(bytes), part_(part) {}

void XmlPart::fail(const QString& what) const {
  throw IoError(QStringLiteral("%1 in '%2' (line %3, column %4)")
                    .arg(what, part_).arg(xml_.lineNumber()).arg(xml_.columnNumber()));
}

QXmlStreamReader::TokenType XmlPart::step() {
  const auto token = xml_.readNext();
  switch (token) {
    case QXmlStreamReader::DTD:
      fail(QStringLiteral("Document type declarations are not allowed"));
    case QXmlStreamReader::EntityReference:
      fail(QStringLiteral("Unresolved entity reference '%1'").arg(xml_.name()));
    case QXmlStreamReader::Invalid:
      fail(QStringLiteral("Malformed XML: %1").arg(xml_.errorString()));
    case QXmlStreamReader::StartElement:
      ++depth_;
      break;
    case QXmlStreamReader::EndElement:
      --depth_;
      break;
    default:
      break;
  }
  return token;
}

bool XmlPart::nextStart() {
  for (;;) {
    const auto token = step();
    if (token == QXmlStreamReader::StartElement) return true;
    if (token == QXmlStreamReader::EndDocument) return false;
  }
}

bool XmlPart::nextChild(int depth) {
  for (;;) {
    if (depth_ < depth) return false;
    const auto token = step();
    if (token == QXmlStreamReader::StartElement) {
      if (depth_ == depth + 1) return true;
    } else if (token == QXmlStreamReader::EndDocument) {
      return false;
    } else if (token == QXmlStreamReader::EndElement && depth_ < depth) {
      return false;
    }
  }
}

QString XmlPart::text() {
  QString out;
  const int start = depth_;
  for (;;) {
    const auto token = step();
    if (token == QXmlStreamReader::Characters) {
      if (depth_ == start) out += xml_.text();
    } else if (token == QXmlStreamReader::EndElement && depth_ < start) {
      return out;
    } else if (token == QXmlStreamReader::EndDocument) {
      return out;
    }
  }
}

void XmlPart::skip() {
  const int start = depth_;
  while (depth_ >= start) {
    if (step() == QXmlStreamReader::EndDocument) return;
  }
}

QString XmlPart::attribute(QStringView local) const {
  for (const auto& a : xml_.attributes()) {
    if (a.namespaceUri().isEmpty() && a.name() == local) return a.value().toString();
  }
  return QString();
}

bool XmlPart::hasAttribute(QStringView local) const {
  for (const auto& a : xml_.attributes()) {
    if (a.namespaceUri().isEmpty() && a.name() == local) return true;
  }
  return false;
}

QString XmlPart::relationshipAttribute(QStringView local) const {
  for (const auto& a : xml_.attributes()) {
    if (a.name() == local && a.namespaceUri().endsWith(QLatin1String("relationships"))) return a.value().toString();
  }
  return QString();
}

}  // namespace trelvo::io
