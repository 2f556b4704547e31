#pragma once
// A main window for the fitting-workflow tests, with every message box it
// shows recorded (title and text) and answered, so no box can hang a test.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <ostream>
#include <memory>
#include <optional>
#include <vector>

#include "common/modalguard.h"
#include "common/qtapp.h"
#include "sheetgrid/clevertablewidget.h"
#include "sheetgriditem/clevertablewidgetitem.h"
#include "viewdesign/widgetform.h"
#include "widget/widget.h"
#include "fitcore/fitobject.h"

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace trelvo::test {

struct Box {
  QString title;
  QString text;
};

class FitflowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app();
    guard_ = std::make_unique<ModalGuard>([this](QWidget* w) { onModal(w); });
    window_ = std::make_unique<Widget>();
    startupBoxes = boxes;
    boxes.clear();
  }
  void TearDown() override {
    window_.reset();
    EXPECT_TRUE(guard_->failures().isEmpty()) << guard_->failures().join("; ").toStdString();
    guard_.reset();
  }

  Widget& w() { return *window_; }
  Ui_Widget& ui() { return *window_->ui; }

  void setData(std::vector<double> x, std::vector<double> y) {
    w().xList = std::move(x);
    w().yList = std::move(y);
  }
  // Chooses the model kind and presses the fit button.
  void fit(int kind) {
    ui().comboBox->setCurrentIndex(kind);
    ui().fitBtn->click();
  }

  QStringList outputHeaders() {
    QStringList out;
    for (int r = 0; r < ui().outputTable->rowCount(); ++r)
      out << cellText(ui().outputTable->verticalHeaderItem(r));
    return out;
  }
  QStringList outputValues() {
    QStringList out;
    for (int r = 0; r < ui().outputTable->rowCount(); ++r) out << cellText(ui().outputTable->item(r, 0));
    return out;
  }
  QString paneText() { return ui().outputEdit->toPlainText(); }

  // The one box shown since the last call (fails when there were others).
  std::optional<Box> takeBox() {
    std::optional<Box> b;
    EXPECT_LE(boxes.size(), 1u);
    if (!boxes.empty()) b = boxes.back();
    boxes.clear();
    return b;
  }

  // Which button to press on the next message boxes; none: the box is closed.
  std::optional<QMessageBox::StandardButton> answer;
  // Runs on every other modal dialog (file dialog, copy chooser).
  std::function<void(QWidget*)> dialogAction;
  std::vector<Box> boxes;
  std::vector<Box> startupBoxes;

 private:
  void onModal(QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    if (!box) {
      if (dialogAction) dialogAction(w);
      return;
    }
    boxes.push_back({box->windowTitle(), box->text()});
    if (answer) {
      if (QAbstractButton* b = box->button(*answer)) b->click();
    }
  }

  std::unique_ptr<ModalGuard> guard_;
  std::unique_ptr<Widget> window_;
};

}  // namespace trelvo::test
