// The about box with Qt's about box behind it, and the theme dialog.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

#include <functional>
#include <ostream>

#include "common/modalguard.h"
#include "viewdesign/widgetform.h"
#include "widget/colorscheme.h"
#include "windowtools.h"

using trelvo::test::LogCapture;
using trelvo::test::ModalGuard;

namespace {

// ---- about box -----------------------------------------------------------------

QAbstractButton* buttonWithText(QMessageBox* box, const QString& text) {
  for (QAbstractButton* b : box->buttons())
    if (b->text() == text) return b;
  return nullptr;
}

struct AboutCase {
  const char* name;
  const char* button;  // the button pressed in the about box; null: the Escape key
  bool qtBox;          // Qt's about box follows
};
void PrintTo(const AboutCase& c, std::ostream* os) { *os << c.name; }

class AboutBox : public ::testing::TestWithParam<AboutCase> {};

TEST_P(AboutBox, TextsButtonsAndWhatFollows) {
  const AboutCase& c = GetParam();
  auto w = trelvo::test::shownWindow();
  LogCapture log;
  QStringList inner;  // modals seen while the pressed button ran
  bool ran = false;
  ModalGuard guard([&](QWidget* dlg) {
    if (ran) return;
    ran = true;
    auto* box = qobject_cast<QMessageBox*>(dlg);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->parentWidget(), w.get());
    EXPECT_EQ(box->windowTitle(), "关于本程序");
    EXPECT_EQ(box->text(), "");
    EXPECT_EQ(box->informativeText(), "...声明...\n");
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    ASSERT_EQ(box->buttons().size(), 2);
    QAbstractButton* close = buttonWithText(box, "关闭");
    QAbstractButton* qt = buttonWithText(box, "Qt版本信息");
    ASSERT_TRUE(close && qt);
    EXPECT_EQ(box->buttonRole(close), QMessageBox::AcceptRole);
    EXPECT_EQ(box->buttonRole(qt), QMessageBox::RejectRole);

    ModalGuard qtGuard([&](QWidget* about) {
      auto* qtBox = qobject_cast<QMessageBox*>(about);
      ASSERT_NE(qtBox, nullptr);
      EXPECT_EQ(qtBox->parentWidget(), w.get());
      // The about box has gone by its role before Qt's box opens.
      EXPECT_FALSE(box->isVisible());
      qtBox->accept();
    });
    if (c.button)
      buttonWithText(box, QString::fromUtf8(c.button))->click();
    else
      QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_FALSE(box->isVisible());
    inner = qtGuard.seen();
    EXPECT_TRUE(qtGuard.failures().isEmpty());
  });
  w->onAboutBtnClicked();
  EXPECT_TRUE(ran);
  EXPECT_TRUE(guard.failures().isEmpty()) << guard.failures().join("; ").toStdString();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

  const QString version = QStringLiteral(QT_VERSION_STR);
  if (c.qtBox) {
    EXPECT_EQ(inner, QStringList{"QMessageBox: Qt版本: " + version});
    EXPECT_EQ(log.startingWith("Qt version: "), QStringList{"Qt version: " + version});
  } else {
    EXPECT_TRUE(inner.isEmpty()) << inner.join("; ").toStdString();
    EXPECT_TRUE(log.startingWith("Qt version: ").isEmpty());
  }
}

const AboutCase kAboutCases[] = {
    {"Close", "关闭", false},
    {"QtVersion", "Qt版本信息", true},
    {"EscapeCloses", nullptr, false},
};

INSTANTIATE_TEST_SUITE_P(AboutDialogs, AboutBox, ::testing::ValuesIn(kAboutCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- theme dialog --------------------------------------------------------------

class ThemeDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    w = trelvo::test::shownWindow();
    styleBefore = QApplication::style()->name();
  }
  void TearDown() override {
    QApplication::setStyle(styleBefore);
    trelvo::setColorScheme(trelvo::ColorScheme::Light);
    w.reset();
  }

  struct View {
    QDialog* dialog;
    QListWidget* list;
    QComboBox* combo;
    QPushButton* ok;
  };
  // Opens the theme dialog and hands it to `body`, which closes it.
  void run(const std::function<void(View&)>& body) {
    bool ran = false;
    ModalGuard guard([&](QWidget* dlg) {
      if (ran) return;
      ran = true;
      View v{qobject_cast<QDialog*>(dlg), dlg->findChild<QListWidget*>(), dlg->findChild<QComboBox*>(),
             dlg->findChild<QPushButton*>()};
      ASSERT_TRUE(v.dialog && v.list && v.combo && v.ok);
      body(v);
    });
    w->onThemeBtnClicked();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(guard.failures().isEmpty()) << guard.failures().join("; ").toStdString();
  }
  static QString currentStyle() { return QApplication::style()->name().toLower(); }

  std::unique_ptr<Widget> w;
  QString styleBefore;
};

TEST_F(ThemeDialog, OffersEveryStyleAndBothSchemes) {
  run([&](View& v) {
    EXPECT_EQ(v.dialog->windowTitle(), "选择主题风格");
    EXPECT_EQ(v.dialog->minimumSize(), QSize(300, 150));
    EXPECT_EQ(v.dialog->parentWidget(), w.get());
    // Layout order: label, list, label, combo, button.
    QLayout* layout = v.dialog->layout();
    ASSERT_EQ(layout->count(), 5);
    EXPECT_EQ(qobject_cast<QLabel*>(layout->itemAt(0)->widget())->text(), "选择主题:");
    EXPECT_EQ(layout->itemAt(1)->widget(), v.list);
    EXPECT_EQ(qobject_cast<QLabel*>(layout->itemAt(2)->widget())->text(), "选择颜色:");
    EXPECT_EQ(layout->itemAt(3)->widget(), v.combo);
    EXPECT_EQ(layout->itemAt(4)->widget(), v.ok);
    EXPECT_EQ(v.ok->text(), "确定");

    QStringList names;
    for (int i = 0; i < v.list->count(); ++i) names << v.list->item(i)->text();
    EXPECT_EQ(names, QStyleFactory::keys());
    EXPECT_EQ(v.list->currentRow(), 0);
    ASSERT_EQ(v.list->selectedItems().size(), 1);
    EXPECT_EQ(v.list->selectedItems().first(), v.list->item(0));
    ASSERT_EQ(v.combo->count(), 2);
    EXPECT_EQ(v.combo->itemText(0), "Light");
    EXPECT_EQ(v.combo->itemText(1), "Dark");
    EXPECT_EQ(v.combo->currentIndex(), 0);
    QTest::keyClick(v.dialog, Qt::Key_Escape);
  });
}

TEST_F(ThemeDialog, SwitchToDarkAndBack) {
  const QStringList keys = QStyleFactory::keys();
  ASSERT_FALSE(keys.isEmpty());
  const QString chosen = keys.last();
  run([&](View& v) {
    v.list->setCurrentRow(int(keys.size()) - 1);
    v.combo->setCurrentIndex(1);
    v.ok->click();
  });
  EXPECT_EQ(currentStyle(), chosen.toLower());
  EXPECT_EQ(trelvo::colorScheme(), trelvo::ColorScheme::Dark);

  // The dialog does not preselect what is active; OK at once applies the
  // first style and Light.
  run([&](View& v) {
    EXPECT_EQ(v.combo->currentText(), "Light");
    EXPECT_EQ(v.list->currentRow(), 0);
    v.ok->click();
  });
  EXPECT_EQ(currentStyle(), keys.first().toLower());
  EXPECT_EQ(trelvo::colorScheme(), trelvo::ColorScheme::Light);
}

TEST_F(ThemeDialog, NothingAppliedWhenDismissedOrNoStyleSelected) {
  trelvo::setColorScheme(trelvo::ColorScheme::Light);
  const QString before = currentStyle();
  const QStringList keys = QStyleFactory::keys();
  for (const bool escape : {true, false}) {
    SCOPED_TRACE(escape ? "escape" : "no selection");
    run([&](View& v) {
      v.list->setCurrentRow(int(keys.size()) - 1);
      v.combo->setCurrentIndex(1);
      if (escape) {
        QTest::keyClick(v.dialog, Qt::Key_Escape);
      } else {
        v.list->clearSelection();
        v.ok->click();
      }
    });
    EXPECT_EQ(currentStyle(), before);
    EXPECT_EQ(trelvo::colorScheme(), trelvo::ColorScheme::Light);
  }
}

}  // namespace

namespace {

// ---- wiring of the window's buttons ------------------------------------------------

struct ButtonCase {
  const char* name;
  QAbstractButton* (*button)(Ui_Widget&);
  const char* title;  // of the dialog the click opens
};
void PrintTo(const ButtonCase& c, std::ostream* os) { *os << c.name; }

class ToolButtons : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(ToolButtons, ClickOpensItsDialog) {
  const ButtonCase& c = GetParam();
  auto w = trelvo::test::shownWindow();
  ModalGuard guard;  // rejects what opens
  c.button(*w->ui)->click();
  EXPECT_EQ(guard.seen().size(), 1) << guard.seen().join("; ").toStdString();
  ASSERT_FALSE(guard.seen().isEmpty());
  EXPECT_TRUE(guard.seen().first().endsWith(QStringLiteral(": ") + QString::fromUtf8(c.title)))
      << guard.seen().first().toStdString();
  EXPECT_TRUE(guard.failures().isEmpty());
}

const ButtonCase kButtonCases[] = {
    {"About", [](Ui_Widget& u) -> QAbstractButton* { return u.aboutBtn; }, "关于本程序"},
    {"Theme", [](Ui_Widget& u) -> QAbstractButton* { return u.themeBtn; }, "选择主题风格"},
    {"ChartSettings", [](Ui_Widget& u) -> QAbstractButton* { return u.setPlotBtn; }, "设置绘图参数"},
    {"ChartSize", [](Ui_Widget& u) -> QAbstractButton* { return u.setPlotSizeBtn; }, "设置绘图大小"},
};

INSTANTIATE_TEST_SUITE_P(AboutDialogs, ToolButtons, ::testing::ValuesIn(kButtonCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
