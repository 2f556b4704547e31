// Alignment, highlight and bold (empty cells included), and the number-format
// dialog with its presets and results.
#include <QCheckBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include "editfixture.h"
#include "sheetgrid/formatdialog.h"

using namespace trelvo::test;

namespace {

QString style_of(const QTableWidgetItem* it, const QString& what) {
  if (!it) return QStringLiteral("~");
  if (what == QLatin1String("align")) return QString::number(it->textAlignment());
  if (what == QLatin1String("background"))
    return it->background().style() == Qt::NoBrush ? QStringLiteral("none")
                                                   : it->background().color().name(QColor::HexArgb);
  return it->font().bold() ? QStringLiteral("bold") : QStringLiteral("plain");
}

// The style of every cell, row-major, comma-separated.
QString styles_of(const QTableWidget& grid, const QString& what) {
  QStringList out;
  for (int r = 0; r < grid.rowCount(); ++r)
    for (int c = 0; c < grid.columnCount(); ++c) out << style_of(grid.item(r, c), what);
  return out.join(QLatin1Char(','));
}

}  // namespace

class StyleTest : public QObject {
  Q_OBJECT

 private slots:
  void styles_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("two_ranges");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("result");  // grid "a,~ / ~,d", cells row-major
    const QString l = QString::number(int(Qt::AlignLeft | Qt::AlignVCenter));
    const QString r = QString::number(int(Qt::AlignRight | Qt::AlignVCenter));
    const QString c = QString::number(int(Qt::AlignCenter));
    QTest::newRow("left, empty cells filled") << "left" << false << true << "align"
                                              << QStringList{l, l, l, l}.join(',');
    QTest::newRow("right") << "right" << false << true << "align" << QStringList{r, r, r, r}.join(',');
    QTest::newRow("centre on a read-only grid")
        << "center" << false << false << "align" << QStringList{c, c, c, c}.join(',');
    QTest::newRow("highlight") << "highlight Y" << false << true << "background"
                               << "#ffffff00,#ffffff00,#ffffff00,#ffffff00";
    QTest::newRow("remove highlight: transparent")
        << "highlight T" << false << true << "background" << "#00ffffff,#00ffffff,#00ffffff,#00ffffff";
    QTest::newRow("unknown highlight choice") << "highlight X" << false << true << "background"
                                              << "none,none,none,none";
    QTest::newRow("bold on a read-only grid") << "bold Y" << false << false << "bold"
                                              << "bold,bold,bold,bold";
    QTest::newRow("not bold") << "bold N" << false << true << "bold" << "plain,plain,plain,plain";
    QTest::newRow("two ranges: only cells with items")
        << "highlight Y" << true << true << "background" << "#ffffff00,~,~,#ffffff00";
  }
  void styles() {
    QFETCH(QString, command);
    QFETCH(bool, two_ranges);
    QFETCH(bool, editable);
    QFETCH(QString, what);
    QFETCH(QString, result);
    CleverTableWidget grid;
    fill(grid, {"a,~", "~,d"});
    if (!editable) grid.disable_editing();
    if (two_ranges) {
      grid.setRangeSelected(QTableWidgetSelectionRange(0, 0, 0, 1), true);
      grid.setRangeSelected(QTableWidgetSelectionRange(1, 0, 1, 1), true);
    } else {
      select(grid, 0, 0, 1, 1);
    }
    LogCapture log;
    const QString choice = command.section(' ', 1);
    if (command == QLatin1String("left")) grid.align_left();
    if (command == QLatin1String("right")) grid.align_right();
    if (command == QLatin1String("center")) grid.align_center();
    if (command.startsWith(QLatin1String("highlight"))) grid.highlight_background(choice)();
    if (command.startsWith(QLatin1String("bold"))) grid.bold_text(choice)();
    QCOMPARE(styles_of(grid, what), result);
    QCOMPARE(log.count(QStringLiteral("highlight background error input")),
             command == QLatin1String("highlight X") ? 4 : 0);
  }

  // Cells that are still plain Qt items (the form's sample cells) are styled
  // like formula cells, and an unknown choice still logs once per item.
  void plainItemsAreStyled_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("result");
    const QString l = QString::number(int(Qt::AlignLeft | Qt::AlignVCenter));
    QTest::newRow("left") << "left" << "align" << QStringList{l, l}.join(',');
    QTest::newRow("centre") << "center" << "align" << QStringList(2, QString::number(int(Qt::AlignCenter))).join(',');
    QTest::newRow("highlight") << "highlight Y" << "background" << "#ffffff00,#ffffff00";
    QTest::newRow("remove highlight") << "highlight T" << "background" << "#00ffffff,#00ffffff";
    QTest::newRow("bold") << "bold Y" << "bold" << "bold,bold";
    QTest::newRow("unknown highlight choice") << "highlight X" << "background" << "none,none";
  }
  void plainItemsAreStyled() {
    QFETCH(QString, command);
    QFETCH(QString, what);
    QFETCH(QString, result);
    CleverTableWidget grid(nullptr, 1, 2);
    grid.blockSignals(true);
    grid.setItem(0, 0, new QTableWidgetItem(QStringLiteral("a")));
    grid.setItem(0, 1, new QTableWidgetItem(QStringLiteral("1")));
    grid.blockSignals(false);
    QVERIFY(!asFormulaCell(grid.item(0, 0)));
    select(grid, 0, 0, 0, 1);
    LogCapture log;
    const QString choice = command.section(' ', 1);
    if (command == QLatin1String("left")) grid.align_left();
    if (command == QLatin1String("center")) grid.align_center();
    if (command.startsWith(QLatin1String("highlight"))) grid.highlight_background(choice)();
    if (command.startsWith(QLatin1String("bold"))) grid.bold_text(choice)();
    QCOMPARE(styles_of(grid, what), result);
    QCOMPARE(dump(grid), QStringLiteral("a,1"));
    QCOMPARE(log.count(QStringLiteral("highlight background error input")),
             command == QLatin1String("highlight X") ? 2 : 0);
  }

  // After a line was inserted or deleted, the styles and clear reach exactly
  // the selected cells (an inserted, still empty line included), once each.
  void commandsAfterLinesMoved_data() {
    QTest::addColumn<QString>("move");
    QTest::addColumn<QString>("command");
    const QStringList moves{"insert row", "insert column", "delete row", "delete column"};
    for (const QString& move : moves)
      for (const char* command : {"left", "highlight Y", "bold Y", "clear"})
        QTest::newRow(qPrintable(move + QLatin1String(", ") + QLatin1String(command))) << move << command;
    QTest::newRow("overlapping ranges, clear") << "overlap" << "clear";
    QTest::newRow("overlapping ranges, highlight") << "overlap" << "highlight Y";
  }
  void commandsAfterLinesMoved() {
    QFETCH(QString, move);
    QFETCH(QString, command);
    CleverTableWidget grid;
    fill(grid, {"a,b,c", "d,e,f", "g,h,i", "j,k,l"});
    select(grid, 1, 1, 1, 1);
    if (move == QLatin1String("insert row")) grid.insert_whole_base_on_selection(QStringLiteral("R"))();
    if (move == QLatin1String("insert column")) grid.insert_whole_base_on_selection(QStringLiteral("C"))();
    if (move == QLatin1String("delete row")) grid._delete_operations(QStringLiteral("Delete Selected Rows"));
    if (move == QLatin1String("delete column")) grid._delete_operations(QStringLiteral("Delete Selected Cols"));
    const QString before = dump(grid);
    // The block: rows 1..2, columns 0..1 (two overlapping ranges covering it
    // for "overlap").
    const auto inside = [](int r, int c) { return r >= 1 && r <= 2 && c >= 0 && c <= 1; };
    if (move == QLatin1String("overlap")) {
      select(grid, 1, 0, 2, 0);
      grid.setRangeSelected(QTableWidgetSelectionRange(1, 0, 2, 1), true);
    } else {
      select(grid, 1, 0, 2, 1);
    }
    QSignalSpy changed(&grid, &QTableWidget::cellChanged);
    const QString what = command == QLatin1String("left")        ? QStringLiteral("align")
                         : command == QLatin1String("highlight Y") ? QStringLiteral("background")
                                                                   : QStringLiteral("bold");
    const QString styled = command == QLatin1String("left")        ? QString::number(int(Qt::AlignLeft | Qt::AlignVCenter))
                           : command == QLatin1String("highlight Y") ? QStringLiteral("#ffffff00")
                                                                     : QStringLiteral("bold");
    const QString plain = what == QLatin1String("align")        ? QStringLiteral("0")
                          : what == QLatin1String("background") ? QStringLiteral("none")
                                                                : QStringLiteral("plain");
    if (command == QLatin1String("left")) grid.align_left();
    if (command == QLatin1String("highlight Y")) grid.highlight_background(QStringLiteral("Y"))();
    if (command == QLatin1String("bold Y")) grid.bold_text(QStringLiteral("Y"))();
    if (command == QLatin1String("clear")) grid.clear_selection();

    QStringList expected_styles, expected_rows;
    int expected_signals = 0;
    const QStringList old_rows = before.split(QStringLiteral(" / "));
    for (int r = 0; r < grid.rowCount(); ++r) {
      const QStringList old_cells = old_rows[r].split(QLatin1Char(','));
      QStringList cells;
      for (int c = 0; c < grid.columnCount(); ++c) {
        const bool had_item = old_cells[c] != QLatin1String("~");
        if (command == QLatin1String("clear")) {
          cells << (inside(r, c) && had_item ? QString() : old_cells[c]);
          expected_signals += inside(r, c) && had_item;
        } else {
          // Styling fills the block's empty cells with items first.
          expected_styles << (inside(r, c) ? styled : had_item ? plain : QStringLiteral("~"));
          cells << (inside(r, c) && !had_item ? QString() : old_cells[c]);
          expected_signals += inside(r, c) ? (had_item ? 1 : 2) : 0;
        }
      }
      expected_rows << cells.join(QLatin1Char(','));
    }
    QCOMPARE(dump(grid), expected_rows.join(QStringLiteral(" / ")));
    if (command != QLatin1String("clear")) QCOMPARE(styles_of(grid, what), expected_styles.join(QLatin1Char(',')));
    QCOMPARE(int(changed.count()), expected_signals);
  }

  void boldTwiceStaysBoldAndKeepsTheFont() {
    CleverTableWidget grid;
    fill(grid, {"a"});
    QFont font = grid.item(0, 0)->font();
    font.setItalic(true);
    grid.item(0, 0)->setFont(font);
    select(grid, 0, 0, 0, 0);
    grid.bold_text(QStringLiteral("Y"))();
    grid.bold_text(QStringLiteral("Y"))();
    QVERIFY(grid.item(0, 0)->font().bold());
    QVERIFY(grid.item(0, 0)->font().italic());
    grid.bold_text(QStringLiteral("N"))();
    QVERIFY(!grid.item(0, 0)->font().bold());
  }

  void unknownBoldChoiceLogsPerItem() {
    CleverTableWidget grid;
    fill(grid, {"a,b"});
    LogCapture log;
    grid.clearSelection();
    grid.bold_text(QStringLiteral("y"))();
    QCOMPARE(log.count(QStringLiteral("bold operation error input")), 0);
    select(grid, 0, 0, 0, 1);
    grid.bold_text(QStringLiteral("y"))();
    QCOMPARE(log.count(QStringLiteral("bold operation error input")), 2);
  }

  void formatDialogPresets_data() {
    QTest::addColumn<bool>("sci");
    QTest::addColumn<int>("dec");  // -1: none
    QTest::addColumn<int>("shown");
    QTest::newRow("defaults") << false << -1 << 2;
    QTest::newRow("zero decimals stay zero, scientific") << true << 0 << 0;
    QTest::newRow("seven decimals") << false << 7 << 7;
  }
  void formatDialogPresets() {
    QFETCH(bool, sci);
    QFETCH(int, dec);
    QFETCH(int, shown);
    FormatDialog dialog(nullptr, sci, dec < 0 ? std::nullopt : std::optional<int>(dec));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("设置数字格式"));
    QCOMPARE(dialog.size(), QSize(300, 150));
    QCOMPARE(dialog.decimal_spin->value(), shown);
    QCOMPARE(dialog.decimal_spin->minimum(), 0);
    QCOMPARE(dialog.decimal_spin->maximum(), 15);
    QCOMPARE(dialog.sci_checkbox->isChecked(), sci);
    QCOMPARE(dialog.sci_checkbox->text(), QStringLiteral("使用科学计数法"));
    QCOMPARE(dialog.clear_btn->text(), QStringLiteral("清除格式"));
    QCOMPARE(dialog.ok_btn->text(), QStringLiteral("确定"));
    QCOMPARE(dialog.cancel_btn->text(), QStringLiteral("取消"));
    QVERIFY(!dialog.clear_label);
  }

  void formatDialogEnterConfirms() {
    FormatDialog dialog(nullptr, false, 3);
    dialog.show();
    QVERIFY(dialog.ok_btn->isDefault());
    dialog.clear_label = true;
    QTest::keyClick(&dialog, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.clear_label);
  }

  void digitalFormat_data() {
    QTest::addColumn<QString>("top_left");  // text of (0, 0); "~" no item
    QTest::addColumn<QString>("button");    // ok, clear, cancel
    QTest::addColumn<int>("decimals");
    QTest::addColumn<bool>("scientific");
    QTest::addColumn<QString>("preset");  // "dec/sci" seen by the dialog
    QTest::addColumn<QString>("shown");   // display texts of row 0, then (1, 0)
    QTest::newRow("fixed with 3 decimals") << "1.5" << "ok" << 3 << false << "2/0"
                                           << "1.500,~,abc,=A1*2 -> 3.000";
    QTest::newRow("scientific with 1 decimal") << "1.5" << "ok" << 1 << true << "2/0"
                                               << "1.5e+00,~,abc,=A1*2 -> 3.0e+00";
    QTest::newRow("cancel changes nothing") << "1.5" << "cancel" << 4 << true << "2/0"
                                            << "1.5,~,abc,=A1*2 -> 3.0";
    QTest::newRow("clear wins over the spin box") << "1.5" << "clear" << 5 << true << "2/0"
                                                  << "1.5,~,abc,=A1*2 -> 3.0";
    QTest::newRow("empty top-left cell: default preset")
        << "~" << "ok" << 0 << false << "2/0" << "~,~,abc,=A1*2 -> #ERR: A1 is empty";
  }
  void digitalFormat() {
    QFETCH(QString, top_left);
    QFETCH(QString, button);
    QFETCH(int, decimals);
    QFETCH(bool, scientific);
    QFETCH(QString, preset);
    QFETCH(QString, shown);
    CleverTableWidget grid;
    fill(grid, {top_left + ",~,abc", "=A1*2,~,~"});
    select(grid, 0, 0, 1, 2);
    QString seen;
    ModalGuard guard([&](QWidget* w) {
      auto* d = qobject_cast<FormatDialog*>(w);
      if (!d) return;
      seen = QStringLiteral("%1/%2").arg(d->decimal_spin->value()).arg(int(d->sci_checkbox->isChecked()));
      d->decimal_spin->setValue(decimals);
      d->sci_checkbox->setChecked(scientific);
      if (button == QLatin1String("ok")) d->ok_btn->click();
      if (button == QLatin1String("clear")) d->clear_btn->click();
      if (button == QLatin1String("cancel")) d->cancel_btn->click();
    });
    grid.digital_format();
    QVERIFY(guard.failures().isEmpty());
    QCOMPARE(seen, preset);
    auto display = [&](int r, int c) {
      const QTableWidgetItem* it = grid.item(r, c);
      return it ? it->data(Qt::DisplayRole).toString() : QStringLiteral("~");
    };
    QCOMPARE(QStringLiteral("%1,%2,%3,=A1*2 -> %4")
                 .arg(display(0, 0), display(0, 1), display(0, 2), display(1, 0)),
             shown);
    // Cells without item stay without item; the text cell stores the format.
    QVERIFY(!grid.item(1, 1));
    const CleverTableWidgetItem* text = asFormulaCell(grid.item(0, 2));
    QCOMPARE(text->dec.has_value(), button == QLatin1String("ok"));
  }

  void digitalFormatPresetFromFormattedCell() {
    CleverTableWidget grid;
    fill(grid, {"2"});
    asFormulaCell(grid.item(0, 0))->setFormat(0, true);
    select(grid, 0, 0, 0, 0);
    QString seen;
    ModalGuard guard([&](QWidget* w) {
      if (auto* d = qobject_cast<FormatDialog*>(w))
        seen = QStringLiteral("%1/%2").arg(d->decimal_spin->value()).arg(int(d->sci_checkbox->isChecked()));
    });
    grid.digital_format();
    QCOMPARE(seen, QStringLiteral("0/1"));
  }

  void digitalFormatWithoutSelectionOpensNothing() {
    CleverTableWidget grid;
    fill(grid, {"2"});
    grid.clearSelection();
    ModalGuard guard;
    grid.digital_format();
    QVERIFY(guard.seen().isEmpty());
  }
};

TRELVO_REGISTER_TEST(StyleTest)
#include "test_editing_styles.moc"
