// The formula fill: when it refuses, what the dialog allows, and what the
// filled cells hold.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "common/modalguard.h"
#include "sheetgrid/clevertablewidget.h"
#include "sheetgrid/formulaexpander.h"
#include "common/testregistry.h"

using Texts = QList<QPair<QString, QString>>;  // label -> text
using Ranges = QList<QTableWidgetSelectionRange>;

namespace {

QPoint at(const QString& label) {
  const auto pos = CleverTableWidgetItem::label2index(label);
  return pos ? QPoint(pos->second, pos->first) : QPoint(-1, -1);
}

void put(CleverTableWidget& grid, const Texts& cells) {
  for (const auto& [label, text] : cells) grid.set_cell_text(at(label).y(), at(label).x(), text);
}

QString raw(const CleverTableWidget& grid, const QString& label) {
  const CleverTableWidgetItem* cell = asFormulaCell(grid.item(at(label).y(), at(label).x()));
  return cell ? cell->rawText() : QStringLiteral("<none>");
}

QString shown(const CleverTableWidget& grid, const QString& label) {
  return cellText(grid.item(at(label).y(), at(label).x()));
}

QTableWidgetSelectionRange range_of(const QString& from, const QString& to) {
  return {at(from).y(), at(from).x(), at(to).y(), at(to).x()};
}

}  // namespace

class GridFillTest : public QObject {
  Q_OBJECT

 private slots:
  void refusesWithoutMessage_data() {
    QTest::addColumn<Ranges>("ranges");
    QTest::newRow("no selection") << Ranges{};
    QTest::newRow("one cell") << Ranges{range_of("B2", "B2")};
    QTest::newRow("two ranges") << Ranges{range_of("A1", "A2"), range_of("C1", "C2")};
  }
  void refusesWithoutMessage() {
    QFETCH(Ranges, ranges);
    CleverTableWidget grid(nullptr, 5, 5);
    grid.setSelectionMode(QAbstractItemView::ExtendedSelection);
    put(grid, {{"B2", "=1+1"}});
    for (const auto& r : ranges) grid.setRangeSelected(r, true);
    trelvo::test::ModalGuard guard;
    grid.expand_formula_action->trigger();
    QVERIFY(guard.seen().isEmpty());
    QCOMPARE(raw(grid, "B2"), QStringLiteral("=1+1"));
    QVERIFY(!grid.item(0, 0));
  }

  void fill_data() {
    QTest::addColumn<Texts>("cells");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("baseLabel");  // "" keeps the preset
    QTest::addColumn<QString>("formula");    // "" keeps the preset
    QTest::addColumn<Texts>("raws");
    QTest::addColumn<Texts>("values");
    const Texts column_a{{"A2", "1"}, {"A3", "2"}, {"A4", "3"}, {"A5", "4"}};
    QTest::newRow("column from its top cell")
        << (column_a + Texts{{"B2", "=A2*2"}}) << "B2" << "B5" << "" << ""
        << Texts{{"B2", "=A2*2"}, {"B3", "=A3*2"}, {"B4", "=A4*2"}, {"B5", "=A5*2"}}
        << Texts{{"B2", "2.0"}, {"B3", "4.0"}, {"B4", "6.0"}, {"B5", "8.0"}};
    QTest::newRow("formula changed in the dialog")
        << (column_a + Texts{{"B2", "=A2*2"}}) << "B2" << "B5" << "" << "=A2*3"
        << Texts{{"B2", "=A2*3"}, {"B5", "=A5*3"}} << Texts{{"B2", "3.0"}, {"B5", "12.0"}};
    QTest::newRow("side by side")
        << Texts{{"A1", "5"}, {"B1", "=A1+1"}} << "B1" << "D1" << "" << ""
        << Texts{{"C1", "=B1+1"}, {"D1", "=C1+1"}} << Texts{{"C1", "7.0"}, {"D1", "8.0"}};
    QTest::newRow("base inside the range: negative offsets")
        << Texts{{"C3", "=B5+D5"}} << "B2" << "D3" << "C3" << ""
        << Texts{{"B2", "=A4+C4"}, {"C2", "=B4+D4"}, {"D2", "=C4+E4"}, {"B3", "=A5+C5"}, {"D3", "=C5+E5"}}
        << Texts{};
    QTest::newRow("reference above reads the new results")
        << Texts{{"B1", "10"}, {"B2", "=B1+1"}} << "B2" << "B5" << "" << ""
        << Texts{{"B5", "=B4+1"}} << Texts{{"B2", "11.0"}, {"B3", "12.0"}, {"B4", "13.0"}, {"B5", "14.0"}};
    QTest::newRow("reference below reads the old contents")
        << Texts{{"B2", "=B3+1"}, {"B3", "100"}, {"B4", "200"}, {"B5", "300"}, {"B6", "5"}} << "B2" << "B5"
        << "" << "" << Texts{{"B5", "=B6+1"}}
        << Texts{{"B2", "101.0"}, {"B3", "201.0"}, {"B4", "301.0"}, {"B5", "6.0"}};
    QTest::newRow("references that would leave the grid stay")
        << Texts{{"B2", "=A1+B1"}} << "B2" << "B3" << "B3" << "=A1+B1"
        << Texts{{"B2", "=A1+B1"}, {"B3", "=A1+B1"}} << Texts{};
    QTest::newRow("blanks before the = sign")
        << (column_a + Texts{{"B2", "=A2*2"}}) << "B2" << "B3" << "" << "  =A2*2"
        << Texts{{"B2", "=A2*2"}, {"B3", "=A3*2"}} << Texts{{"B3", "4.0"}};
    QTest::newRow("failing cells still written")
        << Texts{{"A2", "1"}, {"A3", "abc"}, {"B2", "=A2*2"}} << "B2" << "B4" << "" << ""
        << Texts{{"B3", "=A3*2"}, {"B4", "=A4*2"}}
        << Texts{{"B2", "2.0"}, {"B3", "#ERR: A3 is not a value"}, {"B4", "#ERR: A4 is empty"}};
  }
  void fill() {
    QFETCH(Texts, cells);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, baseLabel);
    QFETCH(QString, formula);
    QFETCH(Texts, raws);
    QFETCH(Texts, values);
    CleverTableWidget grid(nullptr, 8, 6);
    put(grid, cells);
    grid.setRangeSelected(range_of(from, to), true);
    QSignalSpy extent(&grid, &CleverTableWidget::ContentsChangeSignal);
    bool okEnabled = false;
    trelvo::test::ModalGuard guard([&](QWidget* w) {
      auto* d = qobject_cast<FormulaExpander*>(w);
      if (!d) return;
      if (!baseLabel.isEmpty()) d->item_edit->setText(baseLabel);
      if (!formula.isEmpty()) d->formula_edit->setText(formula);
      okEnabled = d->ok_button->isEnabled();
      extent.clear();
      d->ok_button->click();
    });
    grid.expand_formula();
    QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
    QCOMPARE(guard.seen().size(), 1);
    QVERIFY(okEnabled);
    for (const auto& [label, text] : raws) QCOMPARE(raw(grid, label), text);
    for (const auto& [label, text] : values) QCOMPARE(shown(grid, label), text);
    // The fill's writes ran as one bulk: the extent is announced once.
    QCOMPARE(extent.count(), 1);
  }

  void debugLines() {
    CleverTableWidget grid(nullptr, 6, 3);
    put(grid, {{"A2", "1"}, {"A3", "2"}, {"B2", "=A2*2"}});
    grid.setRangeSelected(range_of("B2", "B3"), true);
    QTest::ignoreMessage(QtDebugMsg, "base item(1, 1) set formula: =A2*5");
    QTest::ignoreMessage(QtDebugMsg, "item(1, 1) set formula: =A2*5");
    QTest::ignoreMessage(QtDebugMsg, "item(2, 1) set formula: =A3*5");
    trelvo::test::ModalGuard guard([](QWidget* w) {
      auto* d = qobject_cast<FormulaExpander*>(w);
      d->formula_edit->setText(QStringLiteral("=A2*5"));
      d->accept();
    });
    grid.expand_formula();
  }

  // The dialog's OK state and fields as the user types.
  void dialogChecks_data() {
    QTest::addColumn<QString>("field");  // "item" or "formula"
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("formulaAfter");
    QTest::newRow("preset") << "none" << "" << true << "=A2*2";
    QTest::newRow("lower-case label inside") << "item" << "b3" << true << "=A1+1";
    QTest::newRow("label with trailing text") << "item" << "B3x" << true << "=A1+1";
    QTest::newRow("letters only") << "item" << "B" << false << "=A2*2";
    QTest::newRow("digits first") << "item" << "3B" << false << "=A2*2";
    QTest::newRow("empty field") << "item" << "" << false << "=A2*2";
    QTest::newRow("cell outside the range, with formula") << "item" << "D1" << false << "=9*9";
    QTest::newRow("cell outside the range, plain") << "item" << "A2" << false << "";
    QTest::newRow("cell outside the grid") << "item" << "Z99" << false << "";
    QTest::newRow("row number 0") << "item" << "B0" << false << "";
    QTest::newRow("inside, holding a number") << "item" << "B4" << false << "";
    QTest::newRow("formula without =") << "formula" << "A2*2" << false << "A2*2";
    QTest::newRow("rejected expression") << "formula" << "=2+*" << false << "=2+*";
    QTest::newRow("blanks before =") << "formula" << "  =A2*4" << true << "  =A2*4";
    QTest::newRow("separator before =") << "formula" << "\x1c=A2*4" << true << "\x1c=A2*4";
  }
  void dialogChecks() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, formulaAfter);
    CleverTableWidget grid(nullptr, 6, 4);
    put(grid, {{"A2", "1"}, {"B2", "=A2*2"}, {"B3", "=A1+1"}, {"B4", "7"}, {"D1", "=9*9"}});
    FormulaExpander dialog(&grid, range_of("B2", "B5"));
    QCOMPARE(dialog.range_edit->text(), QStringLiteral("B2:B5"));
    QVERIFY(dialog.range_edit->isReadOnly());
    if (field == "item") dialog.item_edit->setText(text);
    if (field == "formula") dialog.formula_edit->setText(text);
    QCOMPARE(dialog.ok_button->isEnabled(), ok);
    QCOMPARE(dialog.formula_edit->text(), formulaAfter);
    if (field == "item" && text == "A2") QVERIFY(asFormulaCell(grid.item(1, 0)));
    QCOMPARE(grid.rowCount(), 6);  // a label outside the grid stores nothing
  }

  void dialogTexts() {
    CleverTableWidget grid(nullptr, 3, 3);
    FormulaExpander dialog(&grid, range_of("A1", "B2"));
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8("应用拓展公式"));
    QCOMPARE(dialog.item_label->text(), QString::fromUtf8("基准单元格:"));
    QCOMPARE(dialog.formula_label->text(), QString::fromUtf8("基准公式:"));
    QCOMPARE(dialog.range_label->text(), QString::fromUtf8("范围:"));
    QCOMPARE(dialog.ok_button->text(), QString::fromUtf8("确定"));
    QCOMPARE(dialog.parent(), &grid);
    // An empty top-left cell: empty formula field, OK disabled.
    QCOMPARE(dialog.formula_edit->text(), QString());
    QVERIFY(!dialog.ok_button->isEnabled());
  }

  // Closing the dialog fills nothing; the range's corners stay formula cells
  // of their old texts, and a plain formula item is evaluated over the grid.
  void closingFillsNothing() {
    CleverTableWidget grid(nullptr, 6, 3);
    put(grid, {{"A2", "4"}});
    {
      const QSignalBlocker block(&grid);
      grid.setItem(1, 1, new QTableWidgetItem(QStringLiteral("=A2*2")));
      grid.setItem(4, 1, new QTableWidgetItem(QStringLiteral("old")));
    }
    grid.setRangeSelected(range_of("B2", "B5"), true);
    trelvo::test::ModalGuard guard;  // rejects the dialog
    grid.expand_formula();
    QCOMPARE(guard.seen().size(), 1);
    QVERIFY(asFormulaCell(grid.item(1, 1)));
    QCOMPARE(shown(grid, "B2"), QStringLiteral("8.0"));
    QCOMPARE(raw(grid, "B5"), QStringLiteral("old"));
    QCOMPARE(raw(grid, "B3"), QStringLiteral("<none>"));
  }
};

TRELVO_REGISTER_TEST(GridFillTest)
#include "test_fill.moc"
