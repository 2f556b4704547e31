// trelvo-iotool: drives the table readers and writers from the command line,
// for the cross-checks against openpyxl and the benchmarks.
//   trelvo-iotool read FILE [SHEET]   prints {"sheets", "active", "sheet", "width", "rows"} as JSON
//   trelvo-iotool write FILE          reads {"rows": [[text, ...], ...]} from stdin
//   trelvo-iotool count FILE          reads the file (active sheet) and prints "ROWS WIDTH"
//   trelvo-iotool fill FILE ROWS      writes ROWS rows of two number texts (i, i * 0.5)
// The format follows the ending .csv or .xlsx. A failure prints the error's
// text on stderr and exits with status 1.
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "sheetgrid/io/csv.h"
#include "sheetgrid/io/xlsx.h"

using namespace trelvo::io;

namespace {

QJsonObject table_json(const Table& table) {
  QJsonArray rows;
  for (const Row& row : table.dense_rows()) {
    QJsonArray values;
    for (int c = 0; c < table.width; ++c) {
      if (c < static_cast<int>(row.size()) && row[c]) values.append(*row[c]);
      else values.append(QJsonValue::Null);
    }
    rows.append(values);
  }
  QJsonObject out;
  out["width"] = table.width;
  out["rows"] = rows;
  out["sheet"] = table.sheet_name;
  return out;
}

int run(const QStringList& args) {
  if (args.size() < 3) {
    std::fprintf(stderr, "usage: trelvo-iotool read|write FILE [SHEET]\n");
    return 2;
  }
  const QString& mode = args[1];
  const QString& path = args[2];
  const bool csv = path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
  if (mode == QLatin1String("read")) {
    QJsonObject out;
    if (csv) {
      out = table_json(read_csv(path));
    } else {
      XlsxReader reader(path);
      const int index = args.size() > 3 ? args[3].toInt() : reader.activeSheet();
      out = table_json(reader.readSheet(index));
      out["sheets"] = QJsonArray::fromStringList(reader.sheetNames());
      out["active"] = reader.activeSheet();
    }
    const QByteArray text = QJsonDocument(out).toJson(QJsonDocument::Compact);
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    std::fputc('\n', stdout);
    return 0;
  }
  if (mode == QLatin1String("write")) {
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) return 2;
    const QJsonArray rows = QJsonDocument::fromJson(in.readAll()).object().value("rows").toArray();
    TextRows text_rows;
    for (const auto& row : rows) {
      std::vector<QString> values;
      for (const auto& v : row.toArray()) values.push_back(v.toString());
      text_rows.push_back(std::move(values));
    }
    if (csv) write_csv(path, text_rows);
    else write_xlsx(path, text_rows);
    return 0;
  }
  if (mode == QLatin1String("count")) {
    const Table t = csv ? read_csv(path) : [&] {
      XlsxReader reader(path);
      return reader.readSheet(reader.activeSheet());
    }();
    std::printf("%zu %d\n", t.dense_rows().size(), t.width);
    return 0;
  }
  if (mode == QLatin1String("fill") && args.size() > 3) {
    const int count = args[3].toInt();
    TextRows rows(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) rows[i] = {QString::number(i), QString::number(i * 0.5)};
    if (csv) write_csv(path, rows);
    else write_xlsx(path, rows);
    return 0;
  }
  std::fprintf(stderr, "unknown mode\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  try {
    return run(app.arguments());
  } catch (const IoError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
