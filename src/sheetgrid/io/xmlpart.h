#pragma once
// A guarded XML reader for the parts of a workbook.
#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>
#include <functional>
#include <memory>

#include "fitcore/limits.h"

namespace trelvo::io {

// The next piece of a part's bytes; an empty array at the end of the part.
using ByteSource = std::function<QByteArray()>;

// QXmlStreamReader over one part that refuses what a workbook never needs and
// an attacker would use: a document type declaration (and with it every
// declared entity; only the predefined entities and character references
// remain), unresolved entity references, and markup whose parsing cost or
// memory would grow faster than the part (limits.h: more attributes on one
// element, namespace declarations in scope or nesting depth than allowed, a
// text run or a tag, comment or processing instruction longer than allowed).
// The part is read piece by piece as parsing needs it, so memory stays
// bounded by these limits and not by the part's size. Every malformed input
// throws IoError naming the part.
class XmlPart {
 public:
  XmlPart(const QByteArray& bytes, const QString& part);
  XmlPart(ByteSource source, const QString& part);
  ~XmlPart();

  // Advances to the next start element, or returns false at the end of the
  // document.
  bool nextStart();

  // Advances to the next start element inside the current element (at `depth`,
  // the depth the current element was started at); false once it has ended.
  bool nextChild(int depth);

  // The text of the current element (child elements skipped); leaves the
  // reader on its end element. Throws IoError once the text passes
  // `max_chars` characters.
  QString text(qsizetype max_chars = static_cast<qsizetype>(limits::kMaxCellTextUnits));

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
  class Guard;
  QXmlStreamReader::TokenType step();
  QXmlStreamReader xml_;
  QString part_;
  ByteSource source_;
  std::unique_ptr<Guard> guard_;
  int depth_ = 0;
  bool started_ = false;
  bool ended_ = false;
};

}  // namespace trelvo::io
