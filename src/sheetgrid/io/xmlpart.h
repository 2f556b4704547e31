#pragma once
// A guarded XML reader for the parts of a workbook.
#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>
#include <functional>
#include <memory>
#include <vector>

#include "fitcore/limits.h"
#include "sheetgrid/io/xmlbudget.h"

namespace trelvo::io {

// The next piece of a part's bytes; an empty array at the end of the part.
using ByteSource = std::function<QByteArray()>;

// QXmlStreamReader over one part that refuses what a workbook never needs and
// an attacker would use: an encoding other than UTF-8 and UTF-16 (declared or
// told by the first bytes), a document type declaration (and with it every
// declared entity; only the predefined entities and character references
// remain), unresolved entity references, and markup whose parsing cost or
// memory would grow faster than the part (limits.h: more attributes on one
// element, namespace declarations in scope or nesting depth than allowed, a
// text run or a tag, comment or processing instruction longer than allowed,
// more elements or more characters passed over than the load's budget
// allows, which every part of one load charges). The
// per-tag limits are checked on the raw bytes before the parser sees them
// and again on each token the parser gives. The part is read piece by piece
// as parsing needs it, so memory stays bounded by these limits and not by
// the part's size. Every malformed input throws IoError naming the part.
class XmlPart {
 public:
  // `budget` counts this part's elements and characters passed over as a
  // part of kind `kind`; it must outlive the reader.
  XmlPart(const QByteArray& bytes, const QString& part, XmlBudget& budget, XmlBudget::Part kind);
  XmlPart(ByteSource source, const QString& part, XmlBudget& budget, XmlBudget::Part kind);
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
  // Attributes of the current start element without a namespace; a null
  // view (or string) when the element has none of that name. A view is valid
  // until the reader moves on.
  QStringView attributeView(QStringView local) const;
  QString attribute(QStringView local) const { return attributeView(local).toString(); }
  bool hasAttribute(QStringView local) const { return !attributeView(local).isNull(); }
  // An attribute of the relationships namespace (r:id).
  QString relationshipAttribute(QStringView local) const;
  [[noreturn]] void fail(const QString& what) const;

 private:
  class Guard;
  QXmlStreamReader::TokenType step();
  void check_encoding() const;
  void check_start();
  void pass_over(qint64 chars);
  QXmlStreamReader xml_;
  QString part_;
  ByteSource source_;
  std::unique_ptr<Guard> guard_;
  XmlBudget& budget_;
  XmlBudget::Part kind_;
  // The current start element's attributes, taken once per element and let
  // go before the parser moves on, so that the parser's own list is never
  // shared when it refills it.
  QXmlStreamAttributes attributes_;
  std::vector<int> declarations_;  // namespace declarations of each open element
  int in_scope_ = 0;               // their sum
  int text_depth_ = -1;            // depth whose text text() is reading, or -1
  int depth_ = 0;
  bool started_ = false;
  bool ended_ = false;
};

}  // namespace trelvo::io
