#include "sheetgrid/io/csv.h"

#include "fitcore/limits.h"
#include "sheetgrid/io/atomicfile.h"
#include "sheetgrid/io/fileread.h"
#include "sheetgrid/io/tablesize.h"
#include "sheetgrid/io/utf8.h"

namespace trelvo::io {
namespace {

// The reader's states, as Python's _csv module names them.
enum class State { StartRecord, StartField, InField, InQuotedField, QuoteInQuotedField, EatCrNl };

class CsvParser {
 public:
  Table finish() { return table_.finish(); }

  void feed(char16_t c) {
    switch (state_) {
      case State::StartRecord:
        if (c == '\n' || c == '\r') {
          state_ = State::EatCrNl;
          break;
        }
        state_ = State::StartField;
        [[fallthrough]];
      case State::StartField:
        if (c == '\n' || c == '\r') {
          save_field();
          state_ = State::EatCrNl;
        } else if (c == '"') {
          state_ = State::InQuotedField;
        } else if (c == ',') {
          save_field();
        } else {
          add_char(c);
          state_ = State::InField;
        }
        break;
      case State::InField:
        if (c == '\n' || c == '\r') {
          save_field();
          state_ = State::EatCrNl;
        } else if (c == ',') {
          save_field();
          state_ = State::StartField;
        } else {
          add_char(c);
        }
        break;
      case State::InQuotedField:
        if (c == '"') {
          state_ = State::QuoteInQuotedField;
        } else {
          add_char(c);
        }
        break;
      case State::QuoteInQuotedField:
        if (c == '"') {
          add_char(c);
          state_ = State::InQuotedField;
        } else if (c == ',') {
          save_field();
          state_ = State::StartField;
        } else if (c == '\n' || c == '\r') {
          save_field();
          state_ = State::EatCrNl;
        } else {
          add_char(c);
          state_ = State::InField;
        }
        break;
      case State::EatCrNl:
        break;  // a line ends right after its CR or LF, so only line-end characters come here
    }
  }

  // The end of one line (after its CR, LF or CR LF, or at the end of input).
  void end_of_line() {
    switch (state_) {
      case State::StartRecord:
      case State::InQuotedField:
        break;
      case State::StartField:
      case State::InField:
      case State::QuoteInQuotedField:
        save_field();
        state_ = State::StartRecord;
        break;
      case State::EatCrNl:
        state_ = State::StartRecord;
        break;
    }
    if (state_ == State::StartRecord) end_record();
  }

  void end_of_input() {
    if (state_ == State::InQuotedField || field_len_ != 0) {
      save_field();
      end_record();
    }
  }

 private:
  void add_char(char16_t c) {
    if (!QChar::isLowSurrogate(c)) {
      if (field_len_ >= limits::kMaxCsvFieldChars) {
        throw IoError(QStringLiteral("field larger than field limit (%1)").arg(limits::kMaxCsvFieldChars));
      }
      ++field_len_;
    }
    field_.append(QChar(c));
  }

  void save_field() {
    table_.put(rows_, record_len_++, field_);
    field_.clear();
    field_len_ = 0;
  }

  void end_record() {
    if (record_len_ == 0) return;  // a blank line takes no row
    ++rows_;
    record_len_ = 0;
  }

  State state_ = State::StartRecord;
  QString field_;
  qsizetype field_len_ = 0;
  TableBuilder table_;
  int rows_ = 0;        // records kept so far
  int record_len_ = 0;  // values of the record being read
};

bool needs_quotes(const QString& value) {
  for (const QChar ch : value) {
    const char16_t c = ch.unicode();
    if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
  }
  return false;
}

}  // namespace

Table parse_csv(const QByteArray& bytes) {
  QByteArray body = bytes;
  if (body.startsWith("\xEF\xBB\xBF")) body.remove(0, 3);
  const QString text = decode_utf8_strict(body);
  CsvParser parser;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t c = text[i].unicode();
    parser.feed(c);
    if (c == '\n' || (c == '\r' && (i + 1 == n || text[i + 1] != u'\n'))) parser.end_of_line();
  }
  if (n > 0 && text[n - 1] != u'\n' && text[n - 1] != u'\r') parser.end_of_line();
  parser.end_of_input();
  return parser.finish();
}

Table read_csv(const QString& path) {
  return parse_csv(read_whole_file(path, limits::kMaxDecompressedBytes));
}

QByteArray format_csv(const TextRows& rows) {
  QString out;
  for (const auto& row : rows) {
    bool first = true;
    for (const QString& value : row) {
      if (!first) out.append(u',');
      first = false;
      if (is_empty_cell_text(value)) {
        out.append(u' ');
      } else if (needs_quotes(value)) {
        out.append(u'"');
        for (const QChar ch : value) {
          if (ch == u'"') out.append(u'"');
          out.append(ch);
        }
        out.append(u'"');
      } else {
        out.append(value);
      }
    }
    out.append(QLatin1String("\r\n"));
  }
  return encode_utf8_strict(out);
}

void write_csv(const QString& path, const TextRows& rows) {
  const QByteArray bytes = format_csv(rows);
  AtomicFile file(path);
  file.write(bytes);
  file.verifyContent(bytes);
  file.commit();
}

}  // namespace trelvo::io
