#pragma once
// A guarded XML reader for the parts of a workbook.
#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

namespace trelvo::io {

// QXmlStreamReader over one part that refuses what a workbook never needs and
// an attacker would use: a document type declaration (and with it every
// declared entity; only the predefined entities and character references
// remain), and unresolved entity references. Every malformed input throws
// IoError naming the part.
class XmlPart {
 public:
  XmlPart(const QByteArray& bytes, const QString& part);

  // Advances to the next start element, or returns false at the end of the
  // document.
  bool nextStart();

  // Advances to the next start element inside the current element (at `depth`,
  // the depth the current element was started at); false once it has ended.
  bool nextChild(int depth);

  // The text of the current element (child elements skipped); leaves the
  // reader on its end element.
  QString text();

  // Skips the rest of the current element.
  void skip();

  int depth() const { return depth_; }
  QStringView name() const { return xml_.name(); }
  QStringView namespaceUri() const { return xml_.namespaceUri(); }
  QString attribute(QStringView local) const;
  bool hasAttribute(QStringView local) const;
  // An attribute of the relationships namespace (r:id).
  QString relationshipAttribute(QStringView local) const;
  [[noreturn]] void fail(const QString& what) const;

 private:
  QXmlStreamReader::TokenType step();
  QXmlStreamReader xml_;
  QString part_;
  int depth_ = 0;
};

}  // namespace trelvo::io
