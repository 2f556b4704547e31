#include "sheetgrid/io/xmlpart.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sheetgrid/io/table.h"

namespace trelvo::io {

// A linear scan of the raw bytes ahead of the parser, which counts what the
// parser would spend time or memory on before it sees it: attributes of a
// start tag, namespace declarations in scope, nesting depth, the length of a
// text run and of one piece of markup. It follows well-formed XML exactly
// (tags, attribute values, comments, CDATA sections, processing
// instructions); on malformed input it may count wrongly, but the parser
// refuses such input anyway. It reads UTF-8 byte by byte and UTF-16 (told by
// its byte-order mark or the first "<") unit by unit, and refuses UTF-32.
// The scan sees what the parser sees only while both read the same
// encoding: XmlPart checks the declared one against the one found here.
class XmlPart::Guard {
 public:
  explicit Guard(const QString& part) : part_(part) {}

  // Bytes per code unit (1 or 2), or 0 while fewer than four bytes are known.
  int width() const { return width_; }
  bool bigEndian() const { return big_; }
  bool byteOrderMark() const { return mark_; }

  void feed(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    if (width_ == 0) {
      while (i < n && head_.size() < 4) head_.push_back(p[i++]);
      if (head_.size() < 4 && i == n) return;  // decide once four bytes are known
      detect();
      const std::vector<unsigned char> head = std::move(head_);
      head_.clear();
      for (const unsigned char b : head) byte(b);
    }
    if (width_ == 1) {
      for (; i < n; ++i) unit(p[i]);
    } else {
      for (; i < n; ++i) byte(p[i]);
    }
  }

 private:
  enum class State {
    Text, Open, StartName, InTag, AttrName, AfterName, AfterEq, Value, Slash, EndTag, Bang, Comment, CData, Pi
  };

  [[noreturn]] void fail(const QString& what) const {
    throw IoError(QStringLiteral("%1 in '%2'").arg(what, part_));
  }

  void detect() {
    const auto& h = head_;
    const auto starts = [&h](std::initializer_list<unsigned char> bytes) {
      std::size_t i = 0;
      for (const unsigned char b : bytes) {
        if (h[i++] != b) return false;
      }
      return true;
    };
    if (starts({0, 0, 0xFE, 0xFF}) || starts({0, 0, 0, '<'}) || starts({0xFF, 0xFE, 0, 0}) ||
        starts({'<', 0, 0, 0})) {
      fail(QStringLiteral("The encoding UTF-32 is not allowed (only UTF-8 and UTF-16)"));
    }
    if (starts({0xFE, 0xFF}) || starts({0, '<'})) {
      width_ = 2, big_ = true, mark_ = h[0] == 0xFE;
    } else if (starts({0xFF, 0xFE}) || starts({'<', 0})) {
      width_ = 2, big_ = false, mark_ = h[0] == 0xFF;
    } else {
      width_ = 1;
    }
  }

  void byte(unsigned char b) {
    if (width_ == 1) return unit(b);
    pending_ = big_ ? (pending_ << 8) | b : pending_ | (static_cast<char32_t>(b) << (8 * filled_));
    if (++filled_ < width_) return;
    const char32_t u = pending_;
    pending_ = 0;
    filled_ = 0;
    unit(u);
  }

  static bool space(char32_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

  void markup() {
    if (++markup_ > limits::kMaxXmlMarkup) {
      fail(QStringLiteral("A tag, comment or processing instruction is longer than %1 bytes").arg(limits::kMaxXmlMarkup));
    }
  }

  void text() {
    if (++text_ > limits::kMaxXmlTextRun) {
      fail(QStringLiteral("A text between two tags is longer than %1 bytes").arg(limits::kMaxXmlTextRun));
    }
  }

  void attribute_start(char32_t c) {
    if (++attributes_ > limits::kMaxXmlAttributes) {
      fail(QStringLiteral("An element has more than %1 attributes").arg(limits::kMaxXmlAttributes));
    }
    name_.clear();
    name_.push_back(c);
    state_ = State::AttrName;
  }

  void attribute_name_end() {
    if (name_ == U"xmlns" || name_ == U"xmlns:") ++declarations_;
  }

  // The start tag ends: the element is open until its end tag, or was empty.
  void start_tag_end(bool empty) {
    if (in_scope_ + declarations_ > limits::kMaxXmlNamespaceDeclarations) {
      fail(QStringLiteral("More than %1 namespace declarations are in scope")
               .arg(limits::kMaxXmlNamespaceDeclarations));
    }
    if (static_cast<int>(open_.size()) + 1 > limits::kMaxXmlDepth) {
      fail(QStringLiteral("Elements are nested more than %1 deep").arg(limits::kMaxXmlDepth));
    }
    if (!empty) {
      open_.push_back(declarations_);
      in_scope_ += declarations_;
    }
    to_text();
  }

  void to_text() {
    state_ = State::Text;
    text_ = 0;
  }

  void in_tag(char32_t c) {
    if (space(c)) {
      state_ = State::InTag;
    } else if (c == '>') {
      start_tag_end(false);
    } else if (c == '/') {
      state_ = State::Slash;
    } else {
      attribute_start(c);
    }
  }

  void unit(char32_t c) {
    switch (state_) {
      case State::Text:
        if (c == '<') {
          state_ = State::Open;
          markup_ = 1;
        } else {
          text();
        }
        return;
      case State::Open:
        markup();
        if (c == '/') {
          state_ = State::EndTag;
        } else if (c == '?') {
          state_ = State::Pi;
          last_ = 0;
        } else if (c == '!') {
          state_ = State::Bang;
          name_.clear();
        } else {
          state_ = State::StartName;
          attributes_ = 0;
          declarations_ = 0;
        }
        return;
      case State::StartName:
        markup();
        if (space(c) || c == '>' || c == '/') in_tag(c);
        return;
      case State::InTag:
        markup();
        in_tag(c);
        return;
      case State::AttrName:
        markup();
        if (c == '=' || space(c)) {
          attribute_name_end();
          state_ = c == '=' ? State::AfterEq : State::AfterName;
        } else if (c == '>' || c == '/') {
          attribute_name_end();
          in_tag(c);
        } else if (name_.size() < 6) {
          name_.push_back(c);  // "xmlns" or a prefix after "xmlns:": the first six decide
        }
        return;
      case State::AfterName:
        markup();
        if (c == '=') state_ = State::AfterEq;
        else if (!space(c)) in_tag(c);
        return;
      case State::AfterEq:
        markup();
        if (c == '"' || c == '\'') {
          quote_ = c;
          state_ = State::Value;
        } else if (!space(c)) {
          in_tag(c);
        }
        return;
      case State::Value:
        markup();
        if (c == quote_) state_ = State::InTag;
        return;
      case State::Slash:
        markup();
        if (c == '>') start_tag_end(true);
        else in_tag(c);
        return;
      case State::EndTag:
        markup();
        if (c == '>') {
          if (!open_.empty()) {
            in_scope_ -= open_.back();
            open_.pop_back();
          }
          to_text();
        }
        return;
      case State::Bang:
        markup();
        name_.push_back(c);
        if (name_ == U"--") {
          state_ = State::Comment;
          last_ = 0;
          before_last_ = 0;
        } else if (name_ == U"[CDATA[") {
          state_ = State::CData;
          last_ = 0;
          before_last_ = 0;
          text_ = 0;
        } else if (!(std::u32string_view(U"--").substr(0, name_.size()) == name_ ||
                     std::u32string_view(U"[CDATA[").substr(0, name_.size()) == name_)) {
          fail(QStringLiteral("Document type declarations are not allowed"));
        }
        return;
      case State::Comment:
        markup();
        if (c == '>' && last_ == '-' && before_last_ == '-') to_text();
        before_last_ = last_;
        last_ = c;
        return;
      case State::CData:
        text();
        if (c == '>' && last_ == ']' && before_last_ == ']') to_text();
        before_last_ = last_;
        last_ = c;
        return;
      case State::Pi:
        markup();
        if (c == '>' && last_ == '?') to_text();
        last_ = c;
        return;
    }
  }

  QString part_;
  int width_ = 0;  // bytes per code unit; 0 until the encoding is known
  bool big_ = false;
  bool mark_ = false;  // UTF-16 with a byte-order mark
  std::vector<unsigned char> head_;
  char32_t pending_ = 0;
  int filled_ = 0;
  State state_ = State::Text;
  std::int64_t text_ = 0;
  std::int64_t markup_ = 0;
  int attributes_ = 0;
  int declarations_ = 0;      // of the start tag being read
  int in_scope_ = 0;          // of the open elements
  std::vector<int> open_;     // declarations of each open element
  std::u32string name_;
  char32_t quote_ = 0;
  char32_t last_ = 0;
  char32_t before_last_ = 0;
};

XmlPart::XmlPart(const QByteArray& bytes, const QString& part, XmlBudget& budget, XmlBudget::Part kind)
    : XmlPart(ByteSource([bytes, given = false]() mutable {
                if (given) return QByteArray();
                given = true;
                return bytes;
              }),
              part, budget, kind) {}

XmlPart::XmlPart(ByteSource source, const QString& part, XmlBudget& budget, XmlBudget::Part kind)
    : part_(part), source_(std::move(source)), guard_(std::make_unique<Guard>(part)), budget_(budget), kind_(kind) {}

XmlPart::~XmlPart() = default;

void XmlPart::fail(const QString& what) const {
  throw IoError(QStringLiteral("%1 in '%2' (line %3, column %4)")
                    .arg(what, part_).arg(xml_.lineNumber()).arg(xml_.columnNumber()));
}

// The parser decodes the rest of the part in the encoding its declaration
// names (Qt's "UTF-16" without a byte-order mark as little-endian), whatever
// the first bytes said: the name must be UTF-8 or UTF-16 and agree with the
// bytes the scan reads.
void XmlPart::check_encoding() const {
  const QString name = xml_.documentEncoding().toString().toLower();
  if (name.isEmpty()) return;
  const bool utf8 = name == QLatin1String("utf-8");
  const bool utf16 = name == QLatin1String("utf-16");
  const bool le = name == QLatin1String("utf-16le");
  const bool be = name == QLatin1String("utf-16be");
  if (!(utf8 || utf16 || le || be)) {
    fail(QStringLiteral("The encoding %1 is not allowed (only UTF-8 and UTF-16)").arg(xml_.documentEncoding()));
  }
  const int width = guard_->width();
  const bool big = utf16 ? guard_->byteOrderMark() && guard_->bigEndian() : be;
  if (utf8 ? width != 1 : width != 2 || big != guard_->bigEndian()) {
    fail(QStringLiteral("The declared encoding %1 does not match the bytes of the part").arg(xml_.documentEncoding()));
  }
}

namespace {

// The characters of a name in a tag that parsing pays for: those past the
// length the names of a workbook's parts keep within.
qint64 long_name(QStringView name) {
  return std::max<qint64>(0, name.size() - limits::kXmlFreeNameChars);
}

}  // namespace

// The per-tag limits once more, on what the parser made of the tag; its
// attribute text (values, namespace names, and the long part of any name)
// is charged as passed over, whether the reader looks at it or not.
void XmlPart::check_start() {
  if (depth_ > limits::kMaxXmlDepth) fail(QStringLiteral("Elements are nested more than %1 deep").arg(limits::kMaxXmlDepth));
  if (const auto refusal = budget_.element(kind_)) fail(*refusal);
  attributes_ = xml_.attributes();
  const QXmlStreamNamespaceDeclarations declarations = xml_.namespaceDeclarations();
  const auto declared = static_cast<int>(declarations.size());
  if (attributes_.size() + declared > limits::kMaxXmlAttributes) {
    fail(QStringLiteral("An element has more than %1 attributes").arg(limits::kMaxXmlAttributes));
  }
  qint64 tag_text = long_name(xml_.qualifiedName());
  for (const auto& a : std::as_const(attributes_)) tag_text += a.value().size() + long_name(a.qualifiedName());
  for (const auto& d : declarations) tag_text += d.namespaceUri().size() + long_name(d.prefix());
  if (tag_text > 0) {
    if (const auto refusal = budget_.attribute_text(tag_text)) fail(*refusal);
  }
  declarations_.push_back(declared);
  in_scope_ += declared;
  if (in_scope_ > limits::kMaxXmlNamespaceDeclarations) {
    fail(QStringLiteral("More than %1 namespace declarations are in scope").arg(limits::kMaxXmlNamespaceDeclarations));
  }
}

void XmlPart::pass_over(qint64 chars) {
  if (const auto refusal = budget_.passed_over(kind_, chars)) fail(*refusal);
}

QXmlStreamReader::TokenType XmlPart::step() {
  if (ended_) return QXmlStreamReader::EndDocument;
  attributes_ = QXmlStreamAttributes();
  auto token = xml_.readNext();
  while (token == QXmlStreamReader::Invalid && xml_.error() == QXmlStreamReader::PrematureEndOfDocumentError &&
         source_) {
    const QByteArray piece = source_();
    if (piece.isEmpty()) {
      source_ = nullptr;
      // The parser cannot know that no more bytes follow: a document whose
      // root element has ended is complete.
      if (started_ && depth_ == 0) {
        ended_ = true;
        return QXmlStreamReader::EndDocument;
      }
      break;
    }
    guard_->feed(piece);
    xml_.addData(piece);
    token = xml_.readNext();
  }
  switch (token) {
    case QXmlStreamReader::StartDocument:
      check_encoding();
      break;
    case QXmlStreamReader::DTD:
      fail(QStringLiteral("Document type declarations are not allowed"));
    case QXmlStreamReader::EntityReference:
      fail(QStringLiteral("Unresolved entity reference '%1'").arg(xml_.name()));
    case QXmlStreamReader::Invalid:
      fail(QStringLiteral("Malformed XML: %1").arg(xml_.errorString()));
    case QXmlStreamReader::StartElement:
      started_ = true;
      ++depth_;
      check_start();
      break;
    case QXmlStreamReader::EndElement:
      --depth_;
      if (!declarations_.empty()) {
        in_scope_ -= declarations_.back();
        declarations_.pop_back();
      }
      break;
    case QXmlStreamReader::Characters:
      if (xml_.text().size() > limits::kMaxXmlTextRun) {
        fail(QStringLiteral("A text between two tags is longer than %1 bytes").arg(limits::kMaxXmlTextRun));
      }
      if (depth_ != text_depth_) pass_over(xml_.text().size());
      break;
    case QXmlStreamReader::Comment:
    case QXmlStreamReader::ProcessingInstruction: {
      const qint64 size = xml_.text().size() + xml_.processingInstructionTarget().size() +
                          xml_.processingInstructionData().size();
      if (size > limits::kMaxXmlMarkup) {
        fail(QStringLiteral("A tag, comment or processing instruction is longer than %1 bytes")
                 .arg(limits::kMaxXmlMarkup));
      }
      pass_over(size + 7);  // with its delimiters: "<!--" and "-->", or "<?", " " and "?>"
      break;
    }
    case QXmlStreamReader::EndDocument:
      ended_ = true;
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

QString XmlPart::text(qsizetype max_chars) {
  QString out;
  const int start = depth_;
  text_depth_ = start;
  for (;;) {
    const auto token = step();
    if (token == QXmlStreamReader::Characters) {
      if (depth_ == start) {
        out += xml_.text();
        if (out.size() > max_chars) fail(QStringLiteral("A cell text is longer than %1 characters").arg(max_chars));
      }
    } else if ((token == QXmlStreamReader::EndElement && depth_ < start) || token == QXmlStreamReader::EndDocument) {
      text_depth_ = -1;
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

QStringView XmlPart::attributeView(QStringView local) const {
  for (const auto& a : attributes_) {
    if (a.namespaceUri().isEmpty() && a.name() == local) {
      const QStringView value = a.value();
      return value.isNull() ? QStringView(u"") : value;
    }
  }
  return QStringView();
}

QString XmlPart::relationshipAttribute(QStringView local) const {
  for (const auto& a : attributes_) {
    if (a.name() == local && a.namespaceUri().endsWith(QLatin1String("relationships"))) return a.value().toString();
  }
  return QString();
}

}  // namespace trelvo::io
