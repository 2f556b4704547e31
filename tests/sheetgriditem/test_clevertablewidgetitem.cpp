// The formula cell on its own and inside a real QTableWidget.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTableWidget>

#include <chrono>
#include <cmath>
#include <climits>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "common/logcapture.h"
#include "common/qtapp.h"
#include "fitcore/errors.h"
#include "fitcore/numtext.h"
#include "sheetgriditem/clevertablewidgetitem.h"

namespace {

using trelvo::test::app;
using trelvo::test::LogCapture;

std::string str(const QString& s) { return s.toStdString(); }
std::string str(const std::optional<QString>& s) { return s ? s->toStdString() : std::string("<none>"); }

std::string safe_name(std::string n) {
  for (char& c : n)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return n;
}

// A grid with plain Qt items and formula cells as fixture:
//   A1 1, A10 10, A2 -2, A3 -8, A4 " 3 ", A5 1_000, A6 inf,
//   B2 "" (item with empty text), B3 abc, B4 " ",
//   C1 formula =A1+1 (shows 2.0), C2 formula =B1 (shows the empty text for B1).
// B1 and Z1 have no item.
class Grid : public ::testing::Test {
 protected:
  void SetUp() override {
    app();
    table = std::make_unique<QTableWidget>(12, 30);
    auto plain = [this](int r, int c, const char* t) { table->setItem(r, c, new QTableWidgetItem(QString(t))); };
    plain(0, 0, "1");
    plain(9, 0, "10");
    plain(1, 0, "-2");
    plain(2, 0, "-8");
    plain(3, 0, " 3 ");
    plain(4, 0, "1_000");
    plain(5, 0, "inf");
    plain(1, 1, "");
    plain(2, 1, "abc");
    plain(3, 1, " ");
    place(0, 2, "=A1+1");
    place(1, 2, "=B1");
  }

  // Places an empty formula cell, then sets its text, so the formula sees the grid.
  CleverTableWidgetItem* place(int r, int c, const QString& text) {
    auto* cell = new CleverTableWidgetItem();
    table->setItem(r, c, cell);
    cell->setText(text);
    return cell;
  }

  std::unique_ptr<QTableWidget> table;
};

// ---- Formula evaluation: formula -> shown text --------------------------------

struct FormulaCase {
  const char* name;
  const char* formula;
  int row, col;       // where the formula cell stands
  const char* shown;  // exact text; a trailing '*' means "begins with"
};

void PrintTo(const FormulaCase& c, std::ostream* os) { *os << c.formula; }

class Formulas : public Grid, public ::testing::WithParamInterface<FormulaCase> {};

TEST_P(Formulas, ShowsText) {
  const FormulaCase& c = GetParam();
  CleverTableWidgetItem* cell = place(c.row, c.col, QString::fromUtf8(c.formula));
  const std::string expected = c.shown;
  const std::string shown = str(cell->text());
  if (!expected.empty() && expected.back() == '*') {
    EXPECT_EQ(shown.rfind(expected.substr(0, expected.size() - 1), 0), 0u) << shown;
  } else {
    EXPECT_EQ(shown, expected);
  }
  EXPECT_TRUE(cell->is_formula);
  EXPECT_EQ(str(cell->displayText().toString()), shown);
  EXPECT_EQ(str(cell->rawText()), c.formula);
  const bool error = shown.rfind("#ERR: ", 0) == 0;
  EXPECT_EQ(cell->value.has_value(), !error);
}

const FormulaCase kFormulas[] = {
    {"float_references", "=A1+A10", 6, 6, "11.0"},
    {"name_looked_up_upper_replaced_as_written", "=a1*2", 6, 6, "2.0"},
    {"same_cell_both_cases", "=a1+A1", 6, 6, "2.0"},
    {"caret_is_power", "=A10^2", 6, 6, "100.0"},
    {"int_stays_int", "=2+3", 6, 6, "5"},
    {"true_division", "=7/2", 6, 6, "3.5"},
    {"pi_call", "=2*pi()", 6, 6, "6.283185307179586"},
    {"e_call", "=e()", 6, 6, "2.718281828459045"},
    {"blanks_around", "  = 1 + 2 ", 6, 6, "3"},
    {"mapped_functions", "=sqrt(A10*10)+log10(A10)+abs(A2)", 6, 6, "13.0"},
    {"function_name_holding_label", "=log10(A10)", 6, 6, "1.0"},
    {"negative_reference_squared", "=A2^2", 6, 6, "4.0"},
    {"negative_reference_negated", "=-A2", 6, 6, "2.0"},
    {"negative_reference_times", "=3*A2", 6, 6, "-6.0"},
    {"negative_root_is_nan", "=A3^(1/3)", 6, 6, "nan"},
    {"number_with_blanks", "=A4+1", 6, 6, "4.0"},
    {"number_with_underscore", "=A5/10", 6, 6, "100.0"},
    {"infinite_reference", "=A6+1", 6, 6, "inf"},
    {"formula_reference_uses_result", "=C1*2", 6, 6, "4.0"},
    {"error_reference_not_a_value", "=C2+1", 6, 6, "#ERR: C2 is not a value"},
    {"missing_item", "=B1", 6, 6, "#ERR: B1 is empty"},
    {"first_failing_in_order", "=Z1+B1", 6, 6, "#ERR: B1 is empty"},
    {"beyond_grid", "=A100", 6, 6, "#ERR: A100 is empty"},
    {"row_zero", "=A0", 6, 6, "#ERR: A0 is empty"},
    {"capital_x_label", "=X1", 6, 6, "#ERR: X1 is empty"},
    {"empty_text", "=B2", 6, 6, "#ERR: B2 is not a value"},
    {"non_number", "=B3*2", 6, 6, "#ERR: B3 is not a value"},
    {"lone_blank", "=B4", 6, 6, "#ERR: B4 is not a value"},
    {"self_reference", "=c3+1", 2, 2, "#ERR: C3 is self-referencing"},
    {"not_a_label", "=foo+1", 6, 6, "#ERR: FOO is invalid"},
    {"constant_not_called", "=pi", 6, 6, "#ERR: PI is invalid"},
    {"row_beyond_int", "=A99999999999", 6, 6, "#ERR: A99999999999 is invalid"},
    {"column_beyond_int", "=ZZZZZZZZ1", 6, 6, "#ERR: ZZZZZZZZ1 is invalid"},
    {"rejected_by_parser", "=1;2", 6, 6, "#ERR: Illegal character or keyword: ';'"},
    {"rejected_operator_run", "=A1+-A10", 6, 6,
     "#ERR: Illegal operator combination: '+-' (Plus operator cannot be followed by other operators)"},
    {"division_by_zero", "=1/0", 6, 6, "#ERR: division by zero"},
    {"x_unknown", "=x", 6, 6, "#ERR: name 'x' is not defined"},
    {"unknown_function", "=foo(1)", 6, 6, "#ERR: name 'foo' is not defined"},
    {"empty_expression", "=", 6, 6, "#ERR: *"},
    {"int_pow_past_64_bits", "=pow(2,1000)", 6, 6, "1.0715086071862673e+301"},
    {"int_pow_just_past_64_bits", "=pow(10,19)", 6, 6, "1e+19"},
    {"int_pow_then_product", "=pow(2,62)*4", 6, 6, "1.8446744073709552e+19"},
    {"int_pow_within_64_bits", "=pow(2,62)", 6, 6, "4611686018427387904"},
    {"int_pow_negative_exponent", "=pow(2,-1)", 6, 6, "#ERR: Integers to negative integer powers are not allowed."},
    {"huge_power", "=9**9**9", 6, 6, "#ERR: *"},
    {"huge_float_power", "=A10**A10**A10**A10", 6, 6, "#ERR: *"},
};

INSTANTIATE_TEST_SUITE_P(Cell, Formulas, ::testing::ValuesIn(kFormulas),
                         [](const auto& info) { return safe_name(info.param.name); });

TEST_F(Grid, BoundedEvaluationReturnsQuickly) {
  const auto start = std::chrono::steady_clock::now();
  for (const char* f : {"=9**9**9", "=2**2**2**2**2**2", "=(9**99)**99", "=10**400-1"}) {
    CleverTableWidgetItem* cell = place(6, 6, QString::fromUtf8(f));
    EXPECT_TRUE(cell->text().startsWith("#ERR: ") || cell->value.has_value()) << f;
  }
  const QString long_sum = "=" + QString("A1+").repeated(200000) + "1";
  const QString deep = "=" + QString("(").repeated(100000) + "1" + QString(")").repeated(100000);
  const QString deep_calls = "=" + QString("sqrt(").repeated(5000) + "A1" + QString(")").repeated(5000);
  for (const QString& f : {long_sum, deep, deep_calls}) {
    CleverTableWidgetItem* cell = place(6, 6, f);
    EXPECT_TRUE(cell->text().startsWith("#ERR: ")) << f.left(20).toStdString();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST_F(Grid, DiagnosticLines) {
  LogCapture log;
  place(6, 6, "=A1+A10");
  const QStringList expected = {"Parsed formula: A1+A10, args: ['A1', 'A10']", "label2index(A1) = (0, 0)",
                                "label2index(A10) = (9, 0)"};
  EXPECT_EQ(log.lines(), expected);
}

TEST_F(Grid, SelfReferenceIsReportedBeforeItsLine) {
  LogCapture log;
  place(2, 2, "=C3");
  EXPECT_EQ(log.lines(), QStringList{"Parsed formula: C3, args: ['C3']"});
}

TEST_F(Grid, ParseFailureKeepsLastParse) {
  CleverTableWidgetItem* cell = place(6, 6, "=A1*3");
  cell->setText("=A1;");
  EXPECT_EQ(str(cell->text()), "#ERR: Illegal character or keyword: ';'");
  EXPECT_EQ(str(cell->formula), "A1*3");
  ASSERT_TRUE(cell->args);
  EXPECT_EQ(*cell->args, QStringList{"A1"});
}

TEST_F(Grid, ReferenceChangeIsNotSeenUntilTextIsSetAgain) {
  CleverTableWidgetItem* cell = place(6, 6, "=A1*2");
  table->item(0, 0)->setText("5");
  EXPECT_EQ(str(cell->text()), "2.0");
  cell->setText(cell->rawText());
  EXPECT_EQ(str(cell->text()), "10.0");
}

TEST_F(Grid, FormulaBuiltOutsideGridSeesReferencesOnceTextIsSetInside) {
  auto* cell = new CleverTableWidgetItem("=A1");
  EXPECT_EQ(str(cell->text()), "#ERR: A1 is empty");
  table->setItem(6, 6, cell);
  EXPECT_EQ(str(cell->text()), "#ERR: A1 is empty");
  cell->setText("=A1");
  EXPECT_EQ(str(cell->text()), "1.0");
}

// ---- The item's texts and roles -------------------------------------------------

TEST(Item, DefaultIsEmptyPlainCell) {
  CleverTableWidgetItem cell;
  EXPECT_EQ(str(cell.rawText()), "");
  EXPECT_FALSE(cell.is_formula);
  EXPECT_EQ(str(cell.displayText().toString()), "");
  EXPECT_EQ(str(cell.text()), "");
  EXPECT_EQ(cell.type(), int(QTableWidgetItem::Type));
  EXPECT_FALSE(cell.formulaResult());
  EXPECT_FALSE(cell.formulaText());
}

TEST(Item, FormulaOutsideGrid) {
  CleverTableWidgetItem cell("=1+2");
  EXPECT_TRUE(cell.is_formula);
  EXPECT_EQ(str(cell.text()), "3");
  EXPECT_EQ(str(cell.rawText()), "=1+2");
  auto r = cell.formulaResult();
  ASSERT_TRUE(r);
  EXPECT_EQ(str(r->first), "3");
  ASSERT_TRUE(r->second);
  EXPECT_TRUE(r->second->is_int());
  EXPECT_EQ(r->second->i, 3);
  EXPECT_EQ(str(cell.formulaText()), "1+2");
  // Both roles hold the shown text; the formula lives in the raw text only.
  EXPECT_EQ(str(cell.editText().toString()), "3");
  EXPECT_EQ(str(cell.displayText().toString()), "3");
  EXPECT_EQ(str(cell.QTableWidgetItem::text()), "3");
}

struct ClassifyCase {
  const char* text;
  bool formula;
};
class Classify : public ::testing::TestWithParam<ClassifyCase> {};
TEST_P(Classify, FirstNonBlankIsEquals) {
  CleverTableWidgetItem cell(QString::fromUtf8(GetParam().text));
  EXPECT_EQ(cell.is_formula, GetParam().formula);
  EXPECT_EQ(str(cell.rawText()), GetParam().text);
  if (!GetParam().formula) {
    EXPECT_EQ(str(cell.text()), GetParam().text);
    EXPECT_FALSE(cell.result);
    EXPECT_FALSE(cell.value);
  }
}
INSTANTIATE_TEST_SUITE_P(Cell, Classify,
                         ::testing::Values(ClassifyCase{"  =2*3", true}, ClassifyCase{"\t=1\n", true}, ClassifyCase{"\x1c\xe3\x80\x80=1", true},
                                           ClassifyCase{"a=b", false}, ClassifyCase{"2=2", false},
                                           ClassifyCase{"", false}, ClassifyCase{" ", false}),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(Item, FormulaBecomesPlainAgain) {
  CleverTableWidgetItem cell("=1+2");
  cell.setText("hello");
  EXPECT_FALSE(cell.is_formula);
  EXPECT_FALSE(cell.formula);
  EXPECT_FALSE(cell.args);
  EXPECT_FALSE(cell.result);
  EXPECT_FALSE(cell.value);
  EXPECT_EQ(str(cell.text()), "hello");
}

TEST(Item, SetRawTextChangesNothingElse) {
  CleverTableWidgetItem cell("5");
  cell.setRawText("x");
  EXPECT_EQ(str(cell.displayText().toString()), "5");
  EXPECT_EQ(str(cell.text()), "x");
  EXPECT_EQ(str(cell.rawText()), "x");
  EXPECT_FALSE(cell.is_formula);
}

TEST(Item, CloneKeepsState) {
  CleverTableWidgetItem cell("=7/2");
  cell.setFormat(3);
  std::unique_ptr<QTableWidgetItem> copy(cell.clone());
  auto* c = dynamic_cast<CleverTableWidgetItem*>(copy.get());
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(str(c->rawText()), "=7/2");
  EXPECT_TRUE(c->is_formula);
  EXPECT_EQ(str(c->text()), "3.5");
  EXPECT_EQ(str(c->displayText().toString()), "3.500");
  EXPECT_TRUE(c->format);
  EXPECT_EQ(c->dec, 3);
  ASSERT_TRUE(c->formula && c->value);
  EXPECT_EQ(str(*c->formula), str(*cell.formula));
  c->setText("2");
  EXPECT_EQ(str(c->displayText().toString()), "2.000");
  EXPECT_FALSE(c->formula || c->result || c->value);
  // The original keeps its own formula state.
  EXPECT_EQ(str(cell.rawText()), "=7/2");
  EXPECT_EQ(str(cell.text()), "3.5");
  ASSERT_TRUE(cell.value);
  EXPECT_DOUBLE_EQ(cell.value->as_double(), 3.5);
}

TEST_F(Grid, CellTextReachesEitherKindOfItem) {
  QTableWidgetItem* plain = table->item(0, 0);
  QTableWidgetItem* formula = table->item(0, 2);
  EXPECT_EQ(asFormulaCell(plain), nullptr);
  ASSERT_NE(asFormulaCell(formula), nullptr);
  EXPECT_EQ(str(cellText(plain)), "1");
  EXPECT_EQ(str(cellText(formula)), "2.0");
  EXPECT_EQ(str(cellText(nullptr)), "");

  setCellText(formula, "=A10/4");
  EXPECT_EQ(str(cellText(formula)), "2.5");
  EXPECT_EQ(str(asFormulaCell(formula)->rawText()), "=A10/4");
  setCellText(plain, "=4");  // a plain item keeps any text as it is
  EXPECT_EQ(str(cellText(plain)), "=4");
  setCellText(nullptr, "ignored");
}

TEST_F(Grid, EveryRoleWriteNotifiesTheTable) {
  int changes = 0;
  QObject::connect(table.get(), &QTableWidget::itemChanged, [&](QTableWidgetItem*) { ++changes; });
  CleverTableWidgetItem* cell = asFormulaCell(table->item(0, 2));
  cell->setText("=A1+2");
  EXPECT_GE(changes, 1);
  EXPECT_EQ(str(table->item(0, 2)->data(Qt::DisplayRole).toString()), "3.0");
}

// ---- Number formats --------------------------------------------------------------

struct FormatCase {
  const char* name;
  const char* text;
  int dec;
  bool sci;
  const char* shown;
};
void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.text; }

class Formats : public Grid, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(Formats, ShowsFormattedTextOnly) {
  const FormatCase& c = GetParam();
  CleverTableWidgetItem* cell = place(7, 7, QString::fromUtf8(c.text));
  const QString before = cell->text();
  cell->setFormat(c.dec, c.sci);
  EXPECT_EQ(str(cell->displayText().toString()), c.shown);
  EXPECT_EQ(cell->text(), before);
  EXPECT_EQ(str(cell->rawText()), c.text);
  EXPECT_TRUE(cell->format);
  EXPECT_EQ(cell->sci, c.sci);
  EXPECT_EQ(cell->dec, c.dec);
}

const FormatCase kFormats[] = {
    {"fixed", "3.14159", 2, false, "3.14"},
    {"scientific", "3.14159", 2, true, "3.14e+00"},
    {"fixed_large", "1234.5", 2, false, "1234.50"},
    {"scientific_large", "1234.5", 2, true, "1.23e+03"},
    {"fixed_no_decimals", "1234", 0, false, "1234"},
    {"scientific_no_decimals", "1234", 0, true, "1e+03"},
    {"exact_half_to_even", "0.125", 2, false, "0.12"},
    {"stored_value_below_half", "2.675", 2, false, "2.67"},
    {"three_digit_exponent", "1e-300", 1, true, "1.0e-300"},
    {"nan", "nan", 2, false, "nan"},
    {"negative_nan", "-nan", 2, true, "nan"},
    {"negative_infinity", "-inf", 2, false, "-inf"},
    {"not_a_number_kept", "abc", 2, false, "abc"},
    {"int_formula", "=1+2", 2, false, "3.00"},
    {"float_formula", "=A10/4", 1, true, "2.5e+00"},
    {"nan_formula", "=A3^0.5", 2, false, "nan"},
    {"failed_formula_kept", "=B1", 2, false, "#ERR: B1 is empty"},
};

INSTANTIATE_TEST_SUITE_P(Cell, Formats, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return safe_name(info.param.name); });

TEST(Format, LaterTextsStayFormatted) {
  CleverTableWidgetItem cell("3.14159");
  cell.setFormat(2, true);
  cell.setText("2.5");
  EXPECT_EQ(str(cell.displayText().toString()), "2.50e+00");
  EXPECT_EQ(str(cell.text()), "2.5");

  CleverTableWidgetItem word("abc");
  word.setFormat(2);
  EXPECT_EQ(str(word.displayText().toString()), "abc");
  word.setText("7");
  EXPECT_EQ(str(word.displayText().toString()), "7.00");
}

TEST(Format, NegativeDecimalsRefusedWithoutChangingTheCell) {
  CleverTableWidgetItem cell("1.5");
  EXPECT_THROW(cell.setFormat(-1), trelvo::Error);
  EXPECT_FALSE(cell.format);
  EXPECT_EQ(str(cell.displayText().toString()), "1.5");
}

TEST_F(Grid, ClearFormatShowsRawTextAndReevaluates) {
  CleverTableWidgetItem* plain = place(7, 7, "3.14159");
  plain->setFormat(2);
  plain->clearFormat();
  EXPECT_EQ(str(plain->displayText().toString()), "3.14159");
  EXPECT_FALSE(plain->format);
  EXPECT_FALSE(plain->sci);
  EXPECT_FALSE(plain->dec);

  CleverTableWidgetItem* formula = place(7, 8, "=A1*2");
  formula->setFormat(2, true);
  EXPECT_EQ(str(formula->displayText().toString()), "2.00e+00");
  table->item(0, 0)->setText("5");
  formula->clearFormat();
  EXPECT_EQ(str(formula->displayText().toString()), "10.0");
  EXPECT_EQ(str(formula->text()), "10.0");
}

// ---- The kept number ---------------------------------------------------------------

// The number a cell keeps is always what its text reads as: the host's float()
// of cellText(), whichever way the text came, number format or not.
void expectNumberOfText(const QTableWidgetItem* item, const std::string& how) {
  const std::optional<double> expected = trelvo::parse_python_float(cellText(item).toStdString());
  const std::optional<double> kept = cellNumber(item);
  ASSERT_EQ(kept.has_value(), expected.has_value()) << how << ": " << str(cellText(item));
  if (!expected) return;
  if (std::isnan(*expected))
    EXPECT_TRUE(std::isnan(*kept)) << how;
  else
    EXPECT_EQ(std::signbit(*kept), std::signbit(*expected)) << how;
  if (!std::isnan(*expected)) EXPECT_EQ(*kept, *expected) << how << ": " << str(cellText(item));
  if (const CleverTableWidgetItem* cell = asFormulaCell(item)) {
    EXPECT_EQ(cell->number().has_value(), kept.has_value()) << how;
  }
}

const char* const kKeptTexts[] = {
    "1", " 2 ", "", " ", "abc", "3e2", "1_000", "1__0", "-0.0", "nan", "-inf", "1e999", "1e-999",
    "\u00a07\u2003", "\u0663.5", "\U0001D7D7", "1\u00e9", "12345678901234567890123456789012345678901234567890123456789012345678",
    " 1234567890123456789012345678901234567890123456789012345678901234567\u3000", "0x10", "1 2",
    "=A1*2", " =A1+0.5", "=1/0", "=B3", "=Z1", "=2**3", "=-A2", "=A4", "=A6*0", "=[1, 2]"};

TEST_F(Grid, KeptNumberIsTheNumberOfTheTextHoweverItIsSet) {
  for (const char* utf8 : kKeptTexts) {
    const QString text = QString::fromUtf8(utf8);
    const std::string name = utf8;

    CleverTableWidgetItem built(text);
    expectNumberOfText(&built, name + " built outside a grid");

    CleverTableWidgetItem* cell = place(11, 29, "9");
    expectNumberOfText(cell, name + " before");
    cell->setText(text);
    expectNumberOfText(cell, name + " set");
    setCellText(cell, QStringLiteral("abc"));
    setCellText(cell, text);
    expectNumberOfText(cell, name + " set through setCellText");

    cell->setFormat(2);
    expectNumberOfText(cell, name + " formatted");
    cell->setFormat(3, true);
    cell->setText(text);
    expectNumberOfText(cell, name + " set while formatted");
    cell->clearFormat();
    expectNumberOfText(cell, name + " format cleared");

    std::unique_ptr<QTableWidgetItem> copy(cell->clone());
    expectNumberOfText(copy.get(), name + " cloned");

    cell->setRawText(QStringLiteral("4"));
    expectNumberOfText(cell, name + " raw text replaced");
    cell->setText(QStringLiteral("4"));
    cell->setRawText(text);
    expectNumberOfText(cell, name + " raw text set");

    table->setItem(0, 0, new QTableWidgetItem(text));
    expectNumberOfText(table->item(0, 0), name + " plain Qt item");
    table->setItem(0, 0, new QTableWidgetItem(QStringLiteral("1")));
  }
  CleverTableWidgetItem lone(QString(QChar(0xd835)) + QStringLiteral("1"));
  EXPECT_EQ(lone.number(), std::nullopt);
}

TEST_F(Grid, KeptNumberFollowsAFormulaEvaluatedAgain) {
  CleverTableWidgetItem* source = place(7, 0, "2");
  CleverTableWidgetItem* formula = place(7, 1, "=A8*3");
  ASSERT_EQ(formula->number(), 6.0);
  for (const char* text : {"5", "x", "", " ", "-0.0", "=A1*7", "1e308"}) {
    const QString before = formula->text();
    source->setText(QString::fromUtf8(text));
    EXPECT_EQ(formula->text(), before) << "not evaluated again yet: " << text;
    expectNumberOfText(formula, std::string("before A8 became ") + text);
    formula->setText(formula->rawText());
    expectNumberOfText(formula, std::string("after A8 became ") + text);
    formula->clearFormat();
    expectNumberOfText(formula, std::string("format cleared after A8 became ") + text);
  }
  EXPECT_EQ(cellNumber(nullptr), std::nullopt);
}

// ---- A1 labels -------------------------------------------------------------------

struct LabelCase {
  const char* label;
  int row, col;  // row INT_MIN: no position
};
void PrintTo(const LabelCase& c, std::ostream* os) { *os << c.label; }

class LabelToIndex : public ::testing::TestWithParam<LabelCase> {};
TEST_P(LabelToIndex, Converts) {
  const LabelCase& c = GetParam();
  const auto pos = CleverTableWidgetItem::label2index(QString::fromUtf8(c.label));
  if (c.row == INT_MIN) {
    EXPECT_FALSE(pos) << pos->first << "," << pos->second;
  } else {
    ASSERT_TRUE(pos);
    EXPECT_EQ(*pos, (CleverTableWidgetItem::Position{c.row, c.col}));
  }
}
constexpr int kNone = INT_MIN;
INSTANTIATE_TEST_SUITE_P(
    Cell, LabelToIndex,
    ::testing::Values(LabelCase{"A1", 0, 0}, LabelCase{"a1", 0, 0}, LabelCase{"Z9", 8, 25},
                      LabelCase{"AA10", 9, 26}, LabelCase{"ab12cd", 11, 27}, LabelCase{"B3x", 2, 1},
                      LabelCase{"A0", -1, 0}, LabelCase{"A007", 6, 0}, LabelCase{"b\u0664", 3, 1}, LabelCase{"AZ1", 0, 51},
                      LabelCase{"BA1", 0, 52}, LabelCase{"ZZ1", 0, 701}, LabelCase{"AAA1", 0, 702},
                      LabelCase{"A2147483648", INT_MAX, 0}, LabelCase{"FXSHRXX1", 0, INT_MAX},
                      LabelCase{"FXSHRXW1", 0, INT_MAX - 1}, LabelCase{"A2147483649", kNone, 0},
                      LabelCase{"FXSHRXY1", kNone, 0}, LabelCase{"AAAAAAAAAAAAAAAAAAAA1", kNone, 0},
                      LabelCase{"A99999999999999999999999", kNone, 0}, LabelCase{"1A", kNone, 0},
                      LabelCase{"A", kNone, 0}, LabelCase{"", kNone, 0}, LabelCase{" A1", kNone, 0},
                      LabelCase{"_A1", kNone, 0}, LabelCase{"\xc3\x84" "1", kNone, 0}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(Labels, LargestColumnFitsAnInt) {
  const auto label = CleverTableWidgetItem::index2label(0, INT_MAX);
  ASSERT_TRUE(label);
  EXPECT_EQ(str(label), "FXSHRXX1");
  const auto pos = CleverTableWidgetItem::label2index(*label);
  ASSERT_TRUE(pos);
  EXPECT_EQ(pos->second, INT_MAX);
  EXPECT_FALSE(CleverTableWidgetItem::label2index(*CleverTableWidgetItem::index2label(0, 1LL + INT_MAX)));
}

struct IndexCase {
  long long row, col;
  const char* label;  // nullptr: none
};
class IndexToLabel : public ::testing::TestWithParam<IndexCase> {};
TEST_P(IndexToLabel, Converts) {
  const IndexCase& c = GetParam();
  const auto label = CleverTableWidgetItem::index2label(c.row, c.col);
  EXPECT_EQ(str(label), c.label ? c.label : "<none>");
}
INSTANTIATE_TEST_SUITE_P(Cell, IndexToLabel,
                         ::testing::Values(IndexCase{0, 0, "A1"}, IndexCase{0, 25, "Z1"}, IndexCase{0, 26, "AA1"},
                                           IndexCase{4, 701, "ZZ5"}, IndexCase{0, 702, "AAA1"},
                                           IndexCase{99, 27, "AB100"}, IndexCase{-1, 0, nullptr},
                                           IndexCase{0, -1, nullptr}),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(Labels, RoundTrip) {
  for (const char* l : {"A1", "z26", "Aa10", "XFD1048576", "ZZZ9", "ba7", "A2147483648"}) {
    const auto pos = CleverTableWidgetItem::label2index(l);
    ASSERT_TRUE(pos) << l;
    EXPECT_EQ(str(CleverTableWidgetItem::index2label(pos->first, pos->second)), QString(l).toUpper().toStdString());
  }
  for (int col = 0; col < 20000; col += 7) {
    const auto label = CleverTableWidgetItem::index2label(col * 3, col);
    const auto pos = CleverTableWidgetItem::label2index(*label);
    ASSERT_TRUE(pos);
    EXPECT_EQ(*pos, (CleverTableWidgetItem::Position{col * 3, col}));
  }
}

// ---- Reference offsets -----------------------------------------------------------

struct OffsetCase {
  const char* name;
  const char* formula;
  int row, col;
  const char* moved;  // nullptr: none
};
void PrintTo(const OffsetCase& c, std::ostream* os) { *os << c.formula; }

class Offsets : public ::testing::TestWithParam<OffsetCase> {};
TEST_P(Offsets, MovesReferences) {
  const OffsetCase& c = GetParam();
  CleverTableWidgetItem cell(QString::fromUtf8(c.formula));
  EXPECT_EQ(str(cell.formulaOffset(c.row, c.col)), c.moved ? c.moved : "<none>");
}
const OffsetCase kOffsets[] = {
    {"diagonal", "=A1+B2", 1, 1, "=B2+C3"},
    {"no_move", "=A1+B2", 0, 0, "=A1+B2"},
    {"up", "=A2+A3", -1, 0, "=A1+A2"},
    {"longer_row_number", "=A9+A10", 1, 0, "=A10+A11"},
    {"wider_column", "=Z1+AA1", 0, 1, "=AA1+AB1"},
    {"lower_case_written_upper", "=a1*2", 0, 1, "=B1*2"},
    {"both_cases_one_cell", "=a1+A1", 1, 0, "=A2+A2"},
    {"off_grid_stays", "=A1+B1", -1, 0, "=A1+B1"},
    {"only_movable_moves", "=B1+A2", 1, -1, "=A2+A2"},
    {"inside_function_name", "=log10(g1)", 1, 0, "=log10(G2)"},
    {"no_chain_replacement", "=A1+A2", 1, 0, "=A2+A3"},
    {"blanks_kept", "  = A1 *  2 ", 2, 0, "  = A3 *  2 "},
    {"no_references", "=1+2", 3, 4, "=1+2"},
    {"far_beyond_grid", "=B2", 0, 100000, "=EQXF2"},
    {"plain_cell", "A1", 1, 0, nullptr},
    {"never_parsed", "=A1;", 1, 0, nullptr},
};
INSTANTIATE_TEST_SUITE_P(Cell, Offsets, ::testing::ValuesIn(kOffsets),
                         [](const auto& info) { return safe_name(info.param.name); });

}  // namespace
