// Loading CSV, XLSX and XLS files into the grid.
#include <QDirIterator>
#include <QSignalSpy>
#include <QTest>

#include "common/workbookparts.h"
#include "filetestutil.h"
#include "fitcore/a1label.h"
#include "fitcore/limits.h"
#include "sheetgrid/io/csv.h"
#include "sheetgrid/io/xls.h"
#include "sheetgrid/io/xlsx.h"

using trelvo::test::LogCapture;
using trelvo::test::ModalGuard;
using trelvo::test::Modals;
using trelvo::test::snapshot;

namespace {

const QString kLoadError = QStringLiteral("加载错误");

// A grid holding "old" in every cell of a 2 x 2 block and a header title of
// its own, so that an unchanged grid can be recognised.
void prepareOldGrid(CleverTableWidget& grid) {
  trelvo::test::fillGrid(grid, 2, 2, QStringLiteral("old"));
  grid.setHorizontalHeaderItem(0, new CleverTableWidgetItem(QStringLiteral("own")));
}

enum class Loader { Csv, Xlsx, Xls };

void load(CleverTableWidget& grid, Loader loader, const QString& path) {
  switch (loader) {
    case Loader::Csv: grid.load_csv(path); break;
    case Loader::Xlsx: grid.load_excel(path); break;
    case Loader::Xls: grid.load_excel03(path); break;
  }
}

// A one-sheet workbook whose sheet holds `rows` and whose styles hold a
// plain and a bold cell format (s="1"), as spreadsheet programs write them.
QByteArray styledWorkbook(const QByteArray& rows) {
  const QByteArray styles =
      "<styleSheet xmlns=\"" + trelvo::test::kSpreadsheetNs +
      "\"><fonts count=\"2\"><font><sz val=\"10\"/></font><font><b/><sz val=\"10\"/></font></fonts>"
      "<cellXfs count=\"2\"><xf numFmtId=\"0\" fontId=\"0\"/><xf numFmtId=\"0\" fontId=\"1\" "
      "applyFont=\"1\"/></cellXfs></styleSheet>";
  return trelvo::test::one_sheet_workbook(trelvo::test::worksheet_part("\n" + rows), {}, styles, "Data");
}

QByteArray cellRef(int row, int col) {
  return QByteArray::fromStdString(trelvo::a1::column_letters(col)) + QByteArray::number(row + 1);
}

// x,y data of `rows` rows under a header "x","y" (row 1 also holds what
// `header_tail` adds after B1), then `after` (more rows).
QByteArray dataRows(int rows, const QByteArray& header_tail, const QByteArray& after = {}) {
  QByteArray out = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\" s=\"1\"><is><t>x</t></is></c>"
                   "<c r=\"B1\" t=\"inlineStr\" s=\"1\"><is><t>y</t></is></c>" + header_tail + "</row>\n";
  for (int r = 1; r < rows; ++r) {
    const QByteArray n = QByteArray::number(r + 1);
    out += "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>" + QByteArray::number(r) + "</v></c><c r=\"B" + n +
           "\"><v>" + QByteArray::number(2 * r) + "</v></c></row>\n";
  }
  return out + after;
}

// Formatted empty cells of row 0 from column `first` to the last column of
// the grid, one <c> each, as Gnumeric keeps a format set on the whole row.
QByteArray wholeRowFormat(int first) {
  QByteArray out;
  for (int c = first; c < trelvo::limits::kMaxCols; ++c) out += "<c r=\"" + cellRef(0, c) + "\" s=\"1\"/>";
  return out;
}

}  // namespace

Q_DECLARE_METATYPE(Loader)

class GridLoadTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

  QString csvFile(const QByteArray& bytes) {
    static int n = 0;
    const QString path = dir_.filePath(QStringLiteral("t%1.csv").arg(++n));
    if (!trelvo::test::writeBytes(path, bytes)) qFatal("cannot write %s", qPrintable(path));
    return path;
  }

 private slots:
  // The table lands at the top-left corner; the grid grows to it and never
  // shrinks; every other cell is emptied; "" and " " make no cell.
  void csv_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("startRows");
    QTest::addColumn<int>("startCols");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("ragged: first record longest")
        << QByteArray("a,b,c\r\n1,2\r\n3,4\r\n") << 1 << 1 << QStringList{"a|b|c", "1|2|", "3|4|"};
    QTest::newRow("ragged: later record longest")
        << QByteArray("a\n1,2,3\n") << 1 << 1 << QStringList{"a||", "1|2|3"};
    QTest::newRow("blank lines take no row") << QByteArray("a\n\n\r\n\nb\n") << 1 << 1 << QStringList{"a", "b"};
    QTest::newRow("no line end at the end") << QByteArray("a,b") << 1 << 1 << QStringList{"a|b"};
    QTest::newRow("separators alone keep their row")
        << QByteArray("a\n,,\nb\n") << 1 << 1 << QStringList{"a||", "||", "b||"};
    QTest::newRow("one blank and empty make no cell, two blanks stay")
        << QByteArray(" ,,  ,x\n") << 1 << 1 << QStringList{"||  |x"};
    QTest::newRow("byte-order mark removed") << QByteArray("\xEF\xBB\xBFh1,h2\n1,2\n") << 1 << 1
                                             << QStringList{"h1|h2", "1|2"};
    QTest::newRow("quoted commas, quotes and line ends")
        << QByteArray("\"a,b\",\"say \"\"hi\"\"\",\"l1\nl2\"\n") << 1 << 1
        << QStringList{"a,b|say \"hi\"|l1\nl2"};
    QTest::newRow("larger grid kept, outside emptied")
        << QByteArray("1,2\n3,4\n5,6\n") << 10 << 5
        << QStringList{"1|2|||", "3|4|||", "5|6|||", "||||", "||||", "||||", "||||", "||||", "||||", "||||"};
    QTest::newRow("grows rows only") << QByteArray("1\n2\n3\n4\n") << 2 << 3
                                     << QStringList{"1||", "2||", "3||", "4||"};
    QTest::newRow("utf-8 text") << QByteArray("温度,压力\n") << 1 << 1 << QStringList{"温度|压力"};
  }
  void csv() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, startRows);
    QFETCH(int, startCols);
    QFETCH(QStringList, expected);
    CleverTableWidget grid;
    trelvo::test::fillGrid(grid, startRows, startCols, QStringLiteral("old"));
    grid.item(0, 0)->setBackground(Qt::yellow);
    ModalGuard guard;
    LogCapture log;
    const QString path = csvFile(bytes);
    grid.load_csv(path);
    QVERIFY2(guard.seen().isEmpty(), qPrintable(guard.seen().join("; ")));
    QCOMPARE(snapshot(grid), expected);
    int nonEmpty = 0;
    for (const QString& row : expected)
      for (const QString& cell : row.split(QLatin1Char('|')))
        if (!cell.isEmpty()) ++nonEmpty;
    QCOMPARE(trelvo::test::itemCount(grid), nonEmpty);
    for (int r = 0; r < grid.rowCount(); ++r)
      for (int c = 0; c < grid.columnCount(); ++c)
        if (auto* item = grid.item(r, c)) {
          QVERIFY(asFormulaCell(item));
          QCOMPARE(item->background(), QBrush());
        }
    QVERIFY(log.contains(QStringLiteral("Loaded file: ") + path));
    QVERIFY(!log.anyStartsWith(QStringLiteral("Loaded sheet: ")));
  }

  // Growth renumbers the grown dimension's titles on an editable grid only;
  // a dimension that did not grow keeps its titles.
  void growthRenumbers_data() {
    QTest::addColumn<bool>("editable");
    QTest::newRow("editable") << true;
    QTest::newRow("read-only") << false;
  }
  void growthRenumbers() {
    QFETCH(bool, editable);
    CleverTableWidget grid(nullptr, 5, 3, editable);
    grid.setHorizontalHeaderItem(0, new CleverTableWidgetItem(QStringLiteral("own")));
    QByteArray bytes;
    for (int i = 1; i <= 20; ++i) bytes += QByteArray::number(i) + ",x\n";
    ModalGuard guard;
    grid.load_csv(csvFile(bytes));
    QCOMPARE(grid.rowCount(), 20);
    QCOMPARE(grid.columnCount(), 3);
    QCOMPARE(cellText(grid.item(19, 0)), QStringLiteral("20"));
    QCOMPARE(cellText(grid.horizontalHeaderItem(0)), QStringLiteral("own"));
    if (editable) {
      for (int r = 0; r < 20; ++r) QCOMPARE(cellText(grid.verticalHeaderItem(r)), QString::number(r + 1));
    } else {
      QVERIFY(!grid.verticalHeaderItem(19));
    }
  }

  // Formulas are evaluated once their cell stands in the grid, so they see
  // the cells placed before them (row by row).
  void formulasSeeTheGrid() {
    CleverTableWidget grid;
    ModalGuard guard;
    grid.load_csv(csvFile("2,=A1*2,=1+2\n=C1+B1,=Z9\n"));
    QCOMPARE(snapshot(grid), (QStringList{"2|4.0|3", "7.0|#ERR: Z9 is empty|"}));
    auto* cell = asFormulaCell(grid.item(0, 1));
    QVERIFY(cell && cell->is_formula);
    QCOMPARE(cell->rawText(), QStringLiteral("=A1*2"));
  }

  // A formula text met in many cells (a workbook stores it once, as a shared
  // string) is checked once, yet each cell evaluates it at its own place,
  // seeing only the cells placed before it.
  void sharedFormulasFollowTheirPlace_data() {
    QTest::addColumn<Loader>("loader");
    QTest::newRow("csv") << Loader::Csv;
    QTest::newRow("xlsx") << Loader::Xlsx;
    QTest::newRow("xls") << Loader::Xls;
  }
  void sharedFormulasFollowTheirPlace() {
    QFETCH(Loader, loader);
    const trelvo::io::TextRows rows = {{"=B1+1", "2", "=B1+1"}, {"=B2*2", "=B2*2", "=1+2"}, {"=1+2", "=B2*2", "=B1+1"}};
    QString path;
    switch (loader) {
      case Loader::Csv: path = csvFile(trelvo::io::format_csv(rows)); break;
      case Loader::Xlsx: trelvo::io::write_xlsx(path = dir_.filePath(QStringLiteral("shared.xlsx")), rows); break;
      case Loader::Xls: trelvo::io::write_xls(path = dir_.filePath(QStringLiteral("shared.xls")), rows); break;
    }
    CleverTableWidget grid;
    ModalGuard guard;
    load(grid, loader, path);
    QVERIFY2(guard.seen().isEmpty(), qPrintable(guard.seen().join("; ")));
    QCOMPARE(snapshot(grid), (QStringList{"#ERR: B1 is empty|2|3.0", "#ERR: B2 is empty|#ERR: B2 is self-referencing|3",
                                          "3|#ERR: B2 is not a value|3.0"}));
  }

  // A formula without references that many cells share (a workbook's
  // shared string, equal CSV texts) is checked and evaluated once; every cell after the
  // first takes the kept result and must keep its number too, as Fit and
  // the formulas that refer to it read it.
  void sharedConstantFormulasKeepTheirNumber_data() { sharedFormulasFollowTheirPlace_data(); }
  void sharedConstantFormulasKeepTheirNumber() {
    QFETCH(Loader, loader);
    const trelvo::io::TextRows rows = {{"=1+2", "=1+2", "=2.5*2"}, {"=1+2", "=2.5*2", "=B1*2"}, {"=1+2", "=1+2", "=C2+B2"}};
    QString path;
    switch (loader) {
      case Loader::Csv: path = csvFile(trelvo::io::format_csv(rows)); break;
      case Loader::Xlsx: trelvo::io::write_xlsx(path = dir_.filePath(QStringLiteral("constants.xlsx")), rows); break;
      case Loader::Xls: trelvo::io::write_xls(path = dir_.filePath(QStringLiteral("constants.xls")), rows); break;
    }
    CleverTableWidget grid;
    ModalGuard guard;
    LogCapture log;
    load(grid, loader, path);
    QVERIFY2(guard.seen().isEmpty(), qPrintable(guard.seen().join("; ")));
    QCOMPARE(snapshot(grid), (QStringList{"3|3|5.0", "3|5.0|6.0", "3|3|11.0"}));
    // Each text is checked once, in every format.
    QCOMPARE(log.count(QStringLiteral("Parsed formula: 1+2, args: []")), 1);
    QCOMPARE(log.count(QStringLiteral("Parsed formula: 2.5*2, args: []")), 1);
    const double numbers[3][3] = {{3, 3, 5}, {3, 5, 6}, {3, 3, 11}};
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) {
        const auto* cell = asFormulaCell(grid.item(r, c));
        QVERIFY(cell && cell->is_formula);
        QCOMPARE(cell->number(), std::optional<double>(numbers[r][c]));
        QCOMPARE(cellNumber(cell), std::optional<double>(numbers[r][c]));
      }
    }
  }

  // One content-extent recomputation for the whole load, also when the
  // table holds only empty texts.
  void oneExtentRecomputation_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::newRow("cells") << QByteArray("1,2,3\n4,5,6\n7,8,9\n") << 2 << 2;
    QTest::newRow("only blanks") << QByteArray(" , \n") << 0 << 0;
  }
  void oneExtentRecomputation() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, row);
    QFETCH(int, col);
    CleverTableWidget grid;
    trelvo::test::fillGrid(grid, 4, 4, QStringLiteral("old"));
    grid.get_max_content_pos();
    QSignalSpy spy(&grid, &CleverTableWidget::ContentsChangeSignal);
    ModalGuard guard;
    grid.load_csv(csvFile(bytes));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), row);
    QCOMPARE(spy.at(0).at(1).toInt(), col);
    QCOMPARE(grid.max_content_row, row);
    QCOMPARE(grid.max_content_col, col);
  }

  void workbooks_data() {
    QTest::addColumn<Loader>("loader");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("chosenRow");  // -2: no chooser expected
    QTest::addColumn<int>("initialRow");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("sheet");
    QTest::newRow("xlsx one sheet: no chooser")
        << Loader::Xlsx << "one_sheet.xlsx" << -2 << -1 << QStringList{"x|", "1|2"} << "Only";
    // C3's formula has no stored result: no value, so no third column.
    QTest::newRow("xlsx two sheets: active preselected")
        << Loader::Xlsx << "two_sheets.xlsx" << 1 << 1
        << QStringList{"3|2.5", "True|2024-01-02 03:04:05", "text|"} << "Beta";
    QTest::newRow("xlsx two sheets: another chosen")
        << Loader::Xlsx << "two_sheets.xlsx" << 2 << 1 << QStringList{"gamma"} << "Gamma";
    QTest::newRow("xls one sheet: numbers as floats")
        << Loader::Xls << "one_sheet.xls" << -2 << -1 << QStringList{"x|", "1.0|2.0"} << "Only";
    QTest::newRow("xls two sheets: first preselected")
        << Loader::Xls << "two_sheets.xls" << 0 << 0 << QStringList{"3.0|a"} << "First";
    QTest::newRow("xls two sheets: second chosen by index")
        << Loader::Xls << "two_sheets.xls" << 1 << 0 << QStringList{"second|", "|2.5", "1|"} << "Second";
    QTest::newRow("xls row of a text and an empty text")
        << Loader::Xls << "text_then_empty.xls" << -2 << -1 << QStringList{"a"} << "Row";
  }
  void workbooks() {
    QFETCH(Loader, loader);
    QFETCH(QString, file);
    QFETCH(int, chosenRow);
    QFETCH(int, initialRow);
    QFETCH(QStringList, expected);
    QFETCH(QString, sheet);
    CleverTableWidget grid(nullptr, 1, 1);
    Modals modals;
    modals.chooser = [chosenRow](int) { return chosenRow; };
    ModalGuard guard(modals.action());
    LogCapture log;
    const QString path = trelvo::test::fixture(file);
    load(grid, loader, path);
    QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
    QCOMPARE(modals.boxes, QStringList{});
    QCOMPARE(modals.chooser_shown, chosenRow == -2 ? 0 : 1);
    QCOMPARE(modals.chooser_initial_row, initialRow);
    QCOMPARE(snapshot(grid), expected);
    QVERIFY(log.contains(QStringLiteral("Loaded file: ") + path));
    QVERIFY(log.contains(QStringLiteral("Loaded sheet: ") + sheet));
  }

  // A table reaches as far as its values: cells that only hold a format (a
  // bold header row kept cell by cell to column XFD, a formatted empty cell
  // far out) widen and lengthen nothing, and the grid grows to the values'
  // table only. A value far out still counts.
  void formattedEmptyCellsAddNoLine_data() {
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<int>("tableRows");
    QTest::addColumn<int>("tableCols");
    const QByteArray xfd1 = "<c r=\"XFD1\" s=\"1\"/>";
    const QByteArray a1048576 = "<row r=\"1048576\"><c r=\"A1048576\" s=\"1\"/></row>";
    QTest::newRow("bold header row to XFD, 1,300 rows") << dataRows(1300, wholeRowFormat(2)) << 1300 << 2;
    QTest::newRow("formatted empty cell in XFD1") << dataRows(1300, xfd1) << 1300 << 2;
    QTest::newRow("formatted empty cell in A1048576") << dataRows(1300, {}, a1048576) << 1300 << 2;
    QTest::newRow("formatted empty cells in XFD1 and A1048576") << dataRows(1300, xfd1, a1048576) << 1300 << 2;
    QTest::newRow("formula without a stored result in XFD5")
        << dataRows(3, {}, "<row r=\"5\"><c r=\"XFD5\"><f>A1*2</f></c></row>") << 3 << 2;
    QTest::newRow("value in XFD1") << dataRows(3, "<c r=\"XFD1\"><v>7</v></c>") << 3 << trelvo::limits::kMaxCols;
  }
  void formattedEmptyCellsAddNoLine() {
    QFETCH(QByteArray, rows);
    QFETCH(int, tableRows);
    QFETCH(int, tableCols);
    const QString path = dir_.filePath(QStringLiteral("formatted_%1.xlsx").arg(QTest::currentDataTag()).replace(u' ', u'_'));
    QVERIFY(trelvo::test::writeBytes(path, styledWorkbook(rows)));
    const trelvo::io::Table table = trelvo::io::XlsxReader(path).readSheet(0);
    QCOMPARE(table.height, tableRows);
    QCOMPARE(table.width, tableCols);

    CleverTableWidget grid(nullptr, 1, 1);
    Modals modals;
    ModalGuard guard(modals.action());
    grid.load_excel(path);
    QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
    QCOMPARE(modals.boxes, QStringList{});
    QCOMPARE(grid.rowCount(), tableRows);
    QCOMPARE(grid.columnCount(), tableCols);
    QCOMPARE(cellText(grid.item(0, 1)), QStringLiteral("y"));
    QCOMPARE(cellText(grid.item(tableRows - 1, 1)), QString::number(2 * (tableRows - 1)));
    if (tableCols == trelvo::limits::kMaxCols) QCOMPARE(cellText(grid.item(0, tableCols - 1)), QStringLiteral("7"));
  }

  // A sheet whose cells only hold formats has no values: the load says the
  // file is empty and leaves the grid as it was.
  void onlyFormattedCellsAreAnEmptySheet() {
    const QString path = dir_.filePath(QStringLiteral("only_formats.xlsx"));
    QVERIFY(trelvo::test::writeBytes(
        path, styledWorkbook("<row r=\"1\">" + wholeRowFormat(0) + "</row><row r=\"9\"><c r=\"B9\" s=\"1\"/></row>")));
    CleverTableWidget grid;
    prepareOldGrid(grid);
    const QStringList before = snapshot(grid);
    Modals modals;
    ModalGuard guard(modals.action());
    grid.load_excel(path);
    QCOMPARE(modals.boxes, QStringList{kLoadError + QStringLiteral("\nExcel文件没有内容")});
    QCOMPARE(snapshot(grid), before);
  }

  // Failed, refused, cancelled and empty reads leave the grid as it was,
  // with the box that says why.
  void failures_data() {
    QTest::addColumn<Loader>("loader");
    QTest::addColumn<QString>("path");  // "@name": fixture, "#bytes": CSV file of these bytes
    QTest::addColumn<QString>("text");  // the box text, or its start followed by "…"
    QTest::addColumn<bool>("errorLine");
    QTest::newRow("csv missing file") << Loader::Csv << QStringLiteral("/nonexistent/none.csv")
                                      << QStringLiteral("加载文件失败\n\n[Errno 2] No such file or directory: '/nonexistent/none.csv'")
                                      << true;
    QTest::newRow("csv not utf-8") << Loader::Csv << QStringLiteral("#ab\xff")
                                   << QStringLiteral("加载文件失败\n\n…") << true;
    QTest::newRow("csv empty file") << Loader::Csv << QStringLiteral("#") << QStringLiteral("CSV文件没有内容") << false;
    QTest::newRow("csv only blank lines")
        << Loader::Csv << QStringLiteral("#\n\r\n\n") << QStringLiteral("CSV文件没有内容") << false;
    QTest::newRow("csv wider than the grid")
        << Loader::Csv << QStringLiteral("#") + QString(trelvo::limits::kMaxCols, QLatin1Char(',')) + QStringLiteral("x\n")
        << QStringLiteral("加载文件失败\n\n…") << true;
    QTest::newRow("csv taller than the grid")
        << Loader::Csv << QStringLiteral("#") + QStringLiteral("a\n").repeated(trelvo::limits::kMaxRows + 1)
        << QStringLiteral("加载文件失败\n\n…") << true;
    QTest::newRow("xlsx not a workbook") << Loader::Xlsx << QStringLiteral("#a,b\n")
                                         << QStringLiteral("加载文件失败\n\n…") << true;
    QTest::newRow("xlsx sheet without cells")
        << Loader::Xlsx << QStringLiteral("@empty_sheet.xlsx") << QStringLiteral("Excel文件没有内容") << false;
    QTest::newRow("xls given an xlsx workbook")
        << Loader::Xls << QStringLiteral("@one_sheet.xlsx") << QStringLiteral("加载文件失败\n\n…") << true;
    QTest::newRow("xls only cell empty")
        << Loader::Xls << QStringLiteral("@only_empty_text.xls") << QStringLiteral("Excel文件没有内容") << false;
    QTest::newRow("xlsx chooser cancelled")
        << Loader::Xlsx << QStringLiteral("@two_sheets.xlsx") << QStringLiteral("加载文件失败\n\n…") << true;
    QTest::newRow("xls chooser cancelled")
        << Loader::Xls << QStringLiteral("@two_sheets.xls") << QStringLiteral("加载文件失败\n\n…") << true;
  }
  void failures() {
    QFETCH(Loader, loader);
    QFETCH(QString, path);
    QFETCH(QString, text);
    QFETCH(bool, errorLine);
    if (path.startsWith(QLatin1Char('@'))) path = trelvo::test::fixture(path.mid(1));
    else if (path.startsWith(QLatin1Char('#'))) path = csvFile(path.mid(1).toLatin1());
    CleverTableWidget grid;
    prepareOldGrid(grid);
    const QStringList before = snapshot(grid);
    Modals modals;
    modals.chooser = [](int) { return -1; };
    ModalGuard guard(modals.action());
    LogCapture log;
    load(grid, loader, path);
    QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
    QCOMPARE(modals.boxes.size(), 1);
    QCOMPARE(modals.icons.value(0), QMessageBox::Critical);
    const QString shown = modals.boxes.value(0);
    const QString expected = kLoadError + QStringLiteral("\n") + text;
    if (expected.endsWith(QStringLiteral("…"))) {
      QVERIFY2(shown.startsWith(expected.chopped(1)) && shown.size() > expected.size(), qPrintable(shown));
    } else {
      QCOMPARE(shown, expected);
    }
    QCOMPARE(snapshot(grid), before);
    QCOMPARE(grid.rowCount(), 2);
    QCOMPARE(cellText(grid.horizontalHeaderItem(0)), QStringLiteral("own"));
    QCOMPARE(log.anyStartsWith(QStringLiteral("Error loading file: ")), errorLine);
    QVERIFY(!log.anyStartsWith(QStringLiteral("Loaded file: ")));
  }

  void emptyPathDoesNothing_data() {
    QTest::addColumn<Loader>("loader");
    QTest::newRow("csv") << Loader::Csv;
    QTest::newRow("xlsx") << Loader::Xlsx;
    QTest::newRow("xls") << Loader::Xls;
  }
  void emptyPathDoesNothing() {
    QFETCH(Loader, loader);
    CleverTableWidget grid;
    prepareOldGrid(grid);
    QSignalSpy spy(&grid, &CleverTableWidget::ContentsChangeSignal);
    ModalGuard guard;
    LogCapture log;
    load(grid, loader, QString());
    QVERIFY(guard.seen().isEmpty());
    QVERIFY(log.lines().isEmpty());
    QCOMPARE(spy.count(), 0);
    QCOMPARE(snapshot(grid), (QStringList{"old|old", "old|old"}));
  }

  // Every file that ever broke a reader ends in the failure box (or the
  // empty-table box), never a crash, and leaves the grid as it was.
  void malformedFolder() {
    const QString folder = qEnvironmentVariable("TRELVO_SOURCE_DIR") + QStringLiteral("/tests/data/malformed");
    int files = 0;
    for (QDirIterator it(folder, QDir::Files); it.hasNext();) {
      const QString path = it.next();
      Loader loader;
      if (path.endsWith(QStringLiteral(".csv"))) loader = Loader::Csv;
      else if (path.endsWith(QStringLiteral(".xlsx"))) loader = Loader::Xlsx;
      else if (path.endsWith(QStringLiteral(".xls"))) loader = Loader::Xls;
      else continue;
      ++files;
      CleverTableWidget grid;
      prepareOldGrid(grid);
      const QStringList before = snapshot(grid);
      Modals modals;
      modals.chooser = [](int) { return 0; };
      ModalGuard guard(modals.action());
      load(grid, loader, path);
      QVERIFY2(guard.failures().isEmpty(), qPrintable(path));
      if (modals.boxes.isEmpty()) continue;  // a damaged file that still reads
      QVERIFY2(modals.boxes.value(0).startsWith(kLoadError + QStringLiteral("\n")), qPrintable(path));
      QVERIFY2(snapshot(grid) == before, qPrintable(path));
    }
    QVERIFY(files > 0);
  }
};

TRELVO_REGISTER_TEST(GridLoadTest)
#include "test_load.moc"
