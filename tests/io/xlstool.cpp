// trelvo-xlstool: the XLS reader and writer on the command line, for tests
// and benchmarks.
//   trelvo-xlstool sheets FILE         JSON list of the worksheet names
//   trelvo-xlstool read FILE [INDEX]   JSON {"sheet", "width", "rows"}; a
//                                      place without a value is null
//   trelvo-xlstool write FILE          writes the JSON list of rows (lists
//                                      of strings) read from stdin
// Exit status 0 on success, 1 with "error: <description>" on stderr after
// an IoError, 2 for a usage error.
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <cstdio>

#include "sheetgrid/io/xls.h"

namespace {

int usage() {
  std::fputs("usage: trelvo-xlstool sheets FILE | read FILE [INDEX] | write FILE < rows.json\n", stderr);
  return 2;
}

void print(const QJsonDocument& doc) {
  const QByteArray out = doc.toJson(QJsonDocument::Compact);
  std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout);
  std::fputc('\n', stdout);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 3) return usage();
  const QString& command = args[1];
  const QString& path = args[2];
  try {
    if (command == QLatin1String("sheets") && args.size() == 3) {
      print(QJsonDocument(QJsonArray::fromStringList(trelvo::io::XlsReader(path).sheetNames())));
    } else if (command == QLatin1String("read") && args.size() <= 4) {
      bool ok = true;
      const int index = args.size() == 4 ? args[3].toInt(&ok) : 0;
      if (!ok) return usage();
      const trelvo::io::Table t = trelvo::io::XlsReader(path).readSheet(index);
      QJsonArray rows;
      for (const trelvo::io::Row& r : t.dense_rows()) {
        QJsonArray row;
        for (const trelvo::io::Value& v : r) row.append(v ? QJsonValue(*v) : QJsonValue());
        rows.append(row);
      }
      QJsonObject o;
      o[QStringLiteral("sheet")] = t.sheet_name;
      o[QStringLiteral("width")] = t.width;
      o[QStringLiteral("rows")] = rows;
      print(QJsonDocument(o));
    } else if (command == QLatin1String("write") && args.size() == 3) {
      QFile in;
      if (!in.open(stdin, QIODevice::ReadOnly)) return usage();
      QJsonParseError err;
      const QJsonDocument doc = QJsonDocument::fromJson(in.readAll(), &err);
      if (!doc.isArray()) {
        std::fprintf(stderr, "error: bad JSON input: %s\n", qPrintable(err.errorString()));
        return 2;
      }
      trelvo::io::TextRows rows;
      for (const QJsonValue& r : doc.array()) {
        std::vector<QString> row;
        for (const QJsonValue& v : r.toArray()) row.push_back(v.toString());
        rows.push_back(std::move(row));
      }
      trelvo::io::write_xls(path, rows);
    } else {
      return usage();
    }
  } catch (const trelvo::io::IoError& e) {
    std::fprintf(stderr, "error: %s\n", e.what());
    return 1;
  }
  return 0;
}
