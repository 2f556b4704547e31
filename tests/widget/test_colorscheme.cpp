#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

#include "widget/colorscheme.h"

#include "common/qtapp.h"

namespace {

using trelvo::test::app;

bool looksDark() {
  const QPalette p = QApplication::palette();
  return p.color(QPalette::Window).lightness() < p.color(QPalette::WindowText).lightness();
}

}  // namespace

// Every style Qt offers can be switched to dark and back, and the layer
// reports the scheme the palette shows; the style comes first, as in the
// theme dialog (setting a style resets the palette).
TEST(ColorScheme, DarkAndBackForEveryStyle) {
  app();
  for (const QString& style : QStyleFactory::keys()) {
    SCOPED_TRACE(style.toStdString());
    QApplication::setStyle(style);
    trelvo::setColorScheme(trelvo::ColorScheme::Dark);
    EXPECT_EQ(trelvo::colorScheme(), trelvo::ColorScheme::Dark);
    EXPECT_TRUE(looksDark());
    QApplication::setStyle(style);
    trelvo::setColorScheme(trelvo::ColorScheme::Light);
    EXPECT_EQ(trelvo::colorScheme(), trelvo::ColorScheme::Light);
    EXPECT_FALSE(looksDark());
  }
}
