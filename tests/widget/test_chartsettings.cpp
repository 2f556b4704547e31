// The chart settings dialog (names, colours, widths, pen styles committed on
// OK) and the chart size dialog.
#include <gtest/gtest.h>

#include <QChartView>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <functional>
#include <ostream>
#include <optional>

#include "common/modalguard.h"
#include "windowtools.h"

using trelvo::test::LogCapture;
using trelvo::test::ModalGuard;

namespace {

// The widget of the form's last row, added below the labelled rows.
QPushButton* lastRowButton(QFormLayout* form) {
  const int row = form->rowCount() - 1;
  for (auto role : {QFormLayout::SpanningRole, QFormLayout::FieldRole})
    if (QLayoutItem* item = form->itemAt(row, role)) return qobject_cast<QPushButton*>(item->widget());
  return nullptr;
}

// The controls of an open settings dialog, by form row.
struct SettingsView {
  QDialog* dialog = nullptr;
  QFormLayout* form = nullptr;

  explicit SettingsView(QWidget* w)
      : dialog(qobject_cast<QDialog*>(w)), form(w ? qobject_cast<QFormLayout*>(w->layout()) : nullptr) {}

  QWidget* fieldWidget(int row) const { return form->itemAt(row, QFormLayout::FieldRole)->widget(); }
  QLayout* fieldLayout(int row) const { return form->itemAt(row, QFormLayout::FieldRole)->layout(); }
  QString label(int row) const {
    auto* l = qobject_cast<QLabel*>(form->itemAt(row, QFormLayout::LabelRole)->widget());
    return l ? l->text() : QString();
  }
  QLineEdit* name(int row) const { return qobject_cast<QLineEdit*>(fieldWidget(row)); }
  QSpinBox* spin(int row) const { return qobject_cast<QSpinBox*>(fieldWidget(row)); }
  QComboBox* combo(int row) const { return qobject_cast<QComboBox*>(fieldWidget(row)); }
  QPushButton* colorButton(int row) const { return qobject_cast<QPushButton*>(fieldLayout(row)->itemAt(0)->widget()); }
  QLabel* swatch(int row) const { return qobject_cast<QLabel*>(fieldLayout(row)->itemAt(1)->widget()); }
  QPushButton* ok() const { return lastRowButton(form); }
};

constexpr int kDataName = 0, kDataColor = 1, kDataSize = 2, kDataStyle = 3;
constexpr int kCurveName = 4, kCurveColor = 5, kCurveSize = 6, kCurveStyle = 7;

QString swatch(const char* hex) { return QStringLiteral("background-color: %1;").arg(QLatin1String(hex)); }

// What a colour picker looked like when it opened.
struct PickerSeen {
  QString title;
  QColor start;
  QWidget* parent = nullptr;
};

// Clicks `button`, and answers the colour picker it opens with `color`
// (accepted) or with a rejection (no colour).
std::optional<PickerSeen> pick(QPushButton* button, std::optional<QColor> color) {
  std::optional<PickerSeen> seen;
  ModalGuard inner([&](QWidget* w) {
    auto* picker = qobject_cast<QColorDialog*>(w);
    if (!picker) return;
    seen = PickerSeen{picker->windowTitle(), picker->currentColor(), picker->parentWidget()};
    if (color) {
      picker->setCurrentColor(*color);
      picker->accept();
    } else {
      picker->reject();
    }
  });
  button->click();
  EXPECT_TRUE(inner.failures().isEmpty()) << inner.failures().join("; ").toStdString();
  return seen;
}

class ChartSettings : public ::testing::Test {
 protected:
  void SetUp() override { w = trelvo::test::shownWindow(); }
  void TearDown() override { w.reset(); }

  // Opens the settings dialog and hands it to `body`, which closes it.
  void runDialog(const std::function<void(SettingsView&)>& body) {
    bool ran = false;
    ModalGuard guard([&](QWidget* dlg) {
      if (ran) return;
      ran = true;
      SettingsView view(dlg);
      ASSERT_NE(view.form, nullptr);
      body(view);
    });
    w->onSetPlotBtnClicked();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(guard.failures().isEmpty()) << guard.failures().join("; ").toStdString();
    EXPECT_EQ(guard.seen().size(), 1) << guard.seen().join("; ").toStdString();
  }
  static void pressEscape(SettingsView& v) { QTest::keyClick(v.dialog, Qt::Key_Escape); }

  std::unique_ptr<Widget> w;
};

TEST_F(ChartSettings, RowsFieldsAndStartValues) {
  runDialog([&](SettingsView& v) {
    EXPECT_EQ(v.dialog->windowTitle(), "设置绘图参数");
    EXPECT_EQ(v.dialog->minimumSize(), QSize(150, 100));
    EXPECT_EQ(v.dialog->parentWidget(), w.get());
    const QStringList labels = {"数据曲线标签:", "数据曲线颜色:", "数据曲线尺寸:", "数据曲线线型:",
                                "拟合曲线标签:", "拟合曲线颜色:", "拟合曲线尺寸:", "拟合曲线线型:"};
    ASSERT_EQ(v.form->rowCount(), 9);
    for (int row = 0; row < 8; ++row) EXPECT_EQ(v.label(row), labels[row]) << row;

    const QStringList styles = {"实线", "虚线", "点线", "点划线", "双点划线"};
    for (int row : {kDataStyle, kCurveStyle}) {
      ASSERT_NE(v.combo(row), nullptr);
      QStringList items;
      for (int i = 0; i < v.combo(row)->count(); ++i) items << v.combo(row)->itemText(i);
      EXPECT_EQ(items, styles);
    }
    for (int row : {kDataSize, kCurveSize}) {
      ASSERT_NE(v.spin(row), nullptr);
      EXPECT_EQ(v.spin(row)->minimum(), 1);
      EXPECT_EQ(v.spin(row)->maximum(), 10);
      EXPECT_EQ(v.spin(row)->value(), 2);
    }
    for (int row : {kDataColor, kCurveColor}) {
      ASSERT_NE(v.colorButton(row), nullptr);
      EXPECT_EQ(v.colorButton(row)->text(), "选择颜色");
      ASSERT_NE(v.swatch(row), nullptr);
      EXPECT_EQ(v.swatch(row)->minimumSize(), QSize(40, 20));
      EXPECT_TRUE(v.swatch(row)->text().isEmpty());
    }
    EXPECT_EQ(v.swatch(kDataColor)->styleSheet(), swatch("#ff0000"));
    EXPECT_EQ(v.swatch(kCurveColor)->styleSheet(), swatch("#000000"));
    EXPECT_EQ(v.swatch(kDataColor), w->dataColorPreview);
    EXPECT_EQ(v.swatch(kCurveColor), w->curveColorPreview);
    EXPECT_EQ(v.name(kDataName)->text(), "Data Series");
    EXPECT_EQ(v.name(kCurveName)->text(), "Fitted Curve");
    EXPECT_EQ(v.combo(kDataStyle)->currentIndex(), 0);
    EXPECT_EQ(v.combo(kCurveStyle)->currentIndex(), 1);
    ASSERT_NE(v.ok(), nullptr);
    EXPECT_EQ(v.ok()->text(), "确定");
    pressEscape(v);
  });
  EXPECT_EQ(w->dataColorPreview, nullptr);
  EXPECT_EQ(w->curveColorPreview, nullptr);
}

// The eight chart style attributes.
struct Style {
  QString dataName, curveName;
  int dataSize, curveSize;
  Qt::PenStyle dataStyle, curveStyle;
  QColor dataColor, curveColor;
  bool operator==(const Style&) const = default;
};
Style styleOf(const Widget& w) {
  return {w.dataName, w.curveName, w.dataSize, w.curveSize, w.dataPenStyle, w.curvePenSytle, w.dataColor, w.curveColor};
}
void PrintTo(const Style& s, std::ostream* os) {
  *os << s.dataName.toStdString() << "/" << s.curveName.toStdString() << " " << s.dataSize << "/" << s.curveSize << " "
      << int(s.dataStyle) << "/" << int(s.curveStyle) << " " << s.dataColor.name().toStdString() << "/"
      << s.curveColor.name().toStdString();
}

struct CommitCase {
  const char* name;
  std::function<void(SettingsView&)> edit;
  bool accept;
  std::function<void(Style&)> expected;  // applied to the start style
};
void PrintTo(const CommitCase& c, std::ostream* os) { *os << c.name; }

class SettingsCommit : public ChartSettings, public ::testing::WithParamInterface<CommitCase> {};

TEST_P(SettingsCommit, CommittedOnlyOnOk) {
  const CommitCase& c = GetParam();
  Style expected = styleOf(*w);
  if (c.expected) c.expected(expected);
  runDialog([&](SettingsView& v) {
    if (c.edit) c.edit(v);
    if (c.accept)
      v.ok()->click();
    else
      pressEscape(v);
  });
  EXPECT_EQ(styleOf(*w), expected);
}

void editAll(SettingsView& v) {
  v.name(kDataName)->setText("Messung");
  v.spin(kDataSize)->setValue(5);
  v.combo(kDataStyle)->setCurrentIndex(2);
  v.name(kCurveName)->setText("");
  v.spin(kCurveSize)->setValue(10);
  v.combo(kCurveStyle)->setCurrentIndex(4);
  pick(v.colorButton(kDataColor), QColor(Qt::blue));
  pick(v.colorButton(kCurveColor), QColor(Qt::green));
}

const CommitCase kCommitCases[] = {
    {"UntouchedOk", nullptr, true, nullptr},
    {"AllChangedOk", editAll, true,
     [](Style& s) {
       s = {"Messung", "", 5, 10, Qt::DotLine, Qt::DashDotDotLine, QColor(Qt::blue), QColor(Qt::green)};
     }},
    {"AllChangedEscape", editAll, false, nullptr},
    {"SpinBoxesClampWidths",
     [](SettingsView& v) {
       v.spin(kDataSize)->setValue(0);
       v.spin(kCurveSize)->setValue(11);
     },
     true,
     [](Style& s) {
       s.dataSize = 1;
       s.curveSize = 10;
     }},
};

INSTANTIATE_TEST_SUITE_P(ChartSettings, SettingsCommit, ::testing::ValuesIn(kCommitCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChartSettings, PenStyleNotOfferedShowsAsSolidAndIsReplacedOnOk) {
  w->dataPenStyle = Qt::CustomDashLine;
  runDialog([&](SettingsView& v) {
    EXPECT_EQ(v.combo(kDataStyle)->currentIndex(), 0);
    v.ok()->click();
  });
  EXPECT_EQ(w->dataPenStyle, Qt::SolidLine);
}

// ---- colour pickers ----------------------------------------------------------------

struct PickerCase {
  const char* name;
  int row;
  const char* title;
  QColor Widget::*committed;
  QColor Widget::*pending;
};
void PrintTo(const PickerCase& c, std::ostream* os) { *os << c.name; }

class ColourPicker : public ChartSettings, public ::testing::WithParamInterface<PickerCase> {};

TEST_P(ColourPicker, StartsAtCommittedColourAndPaintsTheSwatch) {
  const PickerCase& c = GetParam();
  const QColor committed = (*w).*c.committed;
  runDialog([&](SettingsView& v) {
    const auto first = pick(v.colorButton(c.row), QColor(Qt::blue));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->title, QString::fromUtf8(c.title));
    EXPECT_EQ(first->start, committed);
    EXPECT_EQ(first->parent, w.get());  // the main window, not the settings dialog
    EXPECT_EQ(v.swatch(c.row)->styleSheet(), swatch("#0000ff"));
    EXPECT_EQ((*w).*c.pending, QColor(Qt::blue));
    EXPECT_EQ((*w).*c.committed, committed);

    // A second pick starts at the committed colour again.
    const auto second = pick(v.colorButton(c.row), QColor(Qt::green));
    ASSERT_TRUE(second);
    EXPECT_EQ(second->start, committed);
    EXPECT_EQ(v.swatch(c.row)->styleSheet(), swatch("#00ff00"));

    // A cancelled picker changes nothing.
    ASSERT_TRUE(pick(v.colorButton(c.row), std::nullopt));
    EXPECT_EQ(v.swatch(c.row)->styleSheet(), swatch("#00ff00"));
    EXPECT_EQ((*w).*c.pending, QColor(Qt::green));
    v.ok()->click();
  });
  EXPECT_EQ((*w).*c.committed, QColor(Qt::green));
  EXPECT_EQ((*w).*c.pending, QColor(Qt::green));
}

// A colour picked in a dismissed dialog is not committed by a later OK.
TEST_P(ColourPicker, PickInDismissedDialogIsDropped) {
  const PickerCase& c = GetParam();
  const QColor committed = (*w).*c.committed;
  runDialog([&](SettingsView& v) {
    pick(v.colorButton(c.row), QColor(Qt::blue));
    pressEscape(v);
  });
  EXPECT_EQ((*w).*c.committed, committed);
  runDialog([&](SettingsView& v) {
    EXPECT_EQ(v.swatch(c.row)->styleSheet(), swatch(committed.name().toLatin1().constData()));
    v.ok()->click();
  });
  EXPECT_EQ((*w).*c.committed, committed);
}

const PickerCase kPickerCases[] = {
    {"Data", kDataColor, "选择绘图数据颜色", &Widget::dataColor, &Widget::dataColorTemp},
    {"Curve", kCurveColor, "选择拟合曲线颜色", &Widget::curveColor, &Widget::curveColorTemp},
};

INSTANTIATE_TEST_SUITE_P(ChartSettings, ColourPicker, ::testing::ValuesIn(kPickerCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- chart size dialog ----------------------------------------------------------------

struct SizeCase {
  const char* name;
  QSize before;
  std::optional<QSize> typed;  // none: leave the spin boxes alone
  bool accept;
  QSize shown;  // what the spin boxes show at opening
  QSize after;
};
void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class ChartSize : public ChartSettings, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(ChartSize, AppliedAndLoggedOnOkOnly) {
  const SizeCase& c = GetParam();
  w->chartView->setFixedSize(c.before);
  LogCapture log;
  bool ran = false;
  ModalGuard guard([&](QWidget* dlg) {
    ran = true;
    auto* dialog = qobject_cast<QDialog*>(dlg);
    auto* form = qobject_cast<QFormLayout*>(dlg->layout());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "设置绘图大小");
    EXPECT_EQ(dialog->minimumSize(), QSize(150, 100));
    EXPECT_EQ(qobject_cast<QLabel*>(form->itemAt(0, QFormLayout::LabelRole)->widget())->text(), "宽度:");
    EXPECT_EQ(qobject_cast<QLabel*>(form->itemAt(1, QFormLayout::LabelRole)->widget())->text(), "高度:");
    auto* width = qobject_cast<QSpinBox*>(form->itemAt(0, QFormLayout::FieldRole)->widget());
    auto* height = qobject_cast<QSpinBox*>(form->itemAt(1, QFormLayout::FieldRole)->widget());
    ASSERT_EQ(form->rowCount(), 3);
    auto* ok = lastRowButton(form);
    ASSERT_TRUE(width && height && ok);
    for (QSpinBox* s : {width, height}) {
      EXPECT_EQ(s->minimum(), 10);
      EXPECT_EQ(s->maximum(), 5000);
    }
    EXPECT_EQ(QSize(width->value(), height->value()), c.shown);
    EXPECT_EQ(ok->text(), "确定");
    if (c.typed) {
      width->setValue(c.typed->width());
      height->setValue(c.typed->height());
    }
    if (c.accept)
      ok->click();
    else
      QTest::keyClick(dialog, Qt::Key_Escape);
  });
  w->onSetPlotSizeBtn();
  EXPECT_TRUE(ran);
  EXPECT_TRUE(guard.failures().isEmpty());
  EXPECT_EQ(w->chartView->size(), c.after);
  EXPECT_EQ(w->chartView->minimumSize(), c.accept ? c.after : c.before);
  const QStringList expectedLog =
      c.accept ? QStringList{QStringLiteral("ChartView size: [%1 x %2]").arg(c.after.width()).arg(c.after.height())}
               : QStringList{};
  EXPECT_EQ(log.startingWith("ChartView size: "), expectedLog);
}

const SizeCase kSizeCases[] = {
    {"UnchangedOk", {720, 385}, std::nullopt, true, {720, 385}, {720, 385}},
    {"NewSizeOk", {720, 385}, QSize(500, 300), true, {720, 385}, {500, 300}},
    {"NewSizeEscape", {720, 385}, QSize(500, 300), false, {720, 385}, {720, 385}},
    {"WiderThanLimitIsClamped", {6000, 400}, std::nullopt, true, {5000, 400}, {5000, 400}},
    {"SmallestSize", {720, 385}, QSize(1, 1), true, {720, 385}, {10, 10}},
};

INSTANTIATE_TEST_SUITE_P(ChartSettings, ChartSize, ::testing::ValuesIn(kSizeCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
