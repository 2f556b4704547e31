// Paste, column paste and formula fill keep the grid within the filled cells
// a load places (limits::kMaxFilledCells), so that every grid saved loads
// again: a command that would pass it changes nothing and warns.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "editfixture.h"
#include "fitcore/limits.h"
#include "sheetgrid/formulaexpander.h"

using namespace trelvo::test;

namespace {

constexpr int kRows = 2000;
constexpr int kFilledCols = int(trelvo::limits::kMaxFilledCells / kRows);  // 1000 columns of "1"
constexpr int kEmptyCol = kFilledCols;                                     // and one empty column

const QString kRefused = QStringLiteral("警告: 操作后表格的非空单元格将超过%1个，无法执行该操作")
                             .arg(trelvo::limits::kMaxFilledCells);

}  // namespace

class FilledLimitTest : public QObject {
  Q_OBJECT

  CleverTableWidget* grid = nullptr;

  // Runs `command` (which may open the formula-fill dialog: it is given
  // `formula` and accepted) and gives the boxes it showed.
  QStringList run(const std::function<void()>& command, const QString& formula = QString()) {
    QStringList boxes;
    ModalGuard guard([&](QWidget* w) {
      if (auto* box = qobject_cast<QMessageBox*>(w)) boxes << box->windowTitle() + QStringLiteral(": ") + box->text();
      if (auto* d = qobject_cast<FormulaExpander*>(w)) {
        d->formula_edit->setText(formula);
        d->ok_button->click();
      }
    });
    command();
    if (!guard.failures().isEmpty()) boxes << guard.failures();
    return boxes;
  }

 private slots:
  // The grid holds exactly the limit: kRows x kFilledCols cells of "1".
  void initTestCase() {
    grid = new CleverTableWidget(nullptr, kRows, kFilledCols + 1);
    CleverTableWidget::BulkGuard bulk(*grid);
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kFilledCols; ++c) grid->setItem(r, c, new CleverTableWidgetItem(QStringLiteral("1")));
  }
  void cleanupTestCase() { delete grid; }

  void refused_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QList<int>>("range");  // top, left, bottom, right
    QTest::newRow("paste of one filled cell more") << "paste" << "2\t3" << QList<int>{5, kFilledCols - 1, 5, kFilledCols - 1};
    QTest::newRow("paste into the empty column") << "paste" << "4" << QList<int>{0, kEmptyCol, 0, kEmptyCol};
    QTest::newRow("column paste into the empty column") << "column" << "5 6" << QList<int>{0, kEmptyCol, kRows - 1, kEmptyCol};
    QTest::newRow("formula fill of empty cells") << "fill" << "=1+1" << QList<int>{0, kEmptyCol, 1, kEmptyCol};
  }
  void refused() {
    QFETCH(QString, command);
    QFETCH(QString, clipboard);
    QFETCH(QList<int>, range);
    select(*grid, range[0], range[1], range[2], range[3]);
    QApplication::clipboard()->setText(clipboard);
    const QStringList boxes = run(
        [&] {
          if (command == QLatin1String("paste")) grid->paste_selection();
          if (command == QLatin1String("column")) grid->paste_col();
          if (command == QLatin1String("fill")) grid->expand_formula();
        },
        clipboard);
    QCOMPARE(boxes, QStringList{kRefused});
    QCOMPARE(grid->filled_cell_count(), trelvo::limits::kMaxFilledCells);
    QCOMPARE(grid->columnCount(), kFilledCols + 1);
    QCOMPARE(cellText(grid->item(range[0], range[1])), range[1] == kEmptyCol ? QString() : QStringLiteral("1"));
  }

  // Commands that keep the count at the limit go ahead.
  void withinTheLimit() {
    select(*grid, 0, 0, 0, 0);
    QApplication::clipboard()->setText(QStringLiteral("7\t8"));
    QCOMPARE(run([&] { grid->paste_selection(); }), QStringList());
    QCOMPARE(cellText(grid->item(0, 1)), QStringLiteral("8"));

    select(*grid, 0, 2, kRows - 1, 2);
    QApplication::clipboard()->setText(QString(QStringLiteral("9 ")).repeated(kRows));
    QCOMPARE(run([&] { grid->paste_col(); }), QStringList());
    QCOMPARE(cellText(grid->item(kRows - 1, 2)), QStringLiteral("9.0"));

    select(*grid, 0, 3, 1, 3);
    QCOMPARE(run([&] { grid->expand_formula(); }, QStringLiteral("=2*3")), QStringList());
    QCOMPARE(cellText(grid->item(1, 3)), QStringLiteral("6"));
    QCOMPARE(grid->filled_cell_count(), trelvo::limits::kMaxFilledCells);
  }
};

TRELVO_REGISTER_TEST(FilledLimitTest)
#include "test_editing_filledlimit.moc"
