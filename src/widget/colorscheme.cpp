#include "widget/colorscheme.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleHints>
#include <QtGlobal>

namespace trelvo {

namespace {

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
QPalette darkPalette() {
  const QColor window(45, 45, 48), base(30, 30, 32), text(230, 230, 230), disabled(128, 128, 128);
  QPalette p;
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, window);
  p.setColor(QPalette::ToolTipBase, window);
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::PlaceholderText, disabled);
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, window);
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::BrightText, Qt::red);
  p.setColor(QPalette::Light, window.lighter(150));
  p.setColor(QPalette::Midlight, window.lighter(125));
  p.setColor(QPalette::Mid, window.darker(125));
  p.setColor(QPalette::Dark, window.darker(150));
  p.setColor(QPalette::Shadow, Qt::black);
  p.setColor(QPalette::Link, QColor(86, 156, 214));
  p.setColor(QPalette::LinkVisited, QColor(156, 120, 214));
  p.setColor(QPalette::Highlight, QColor(38, 79, 120));
  p.setColor(QPalette::HighlightedText, Qt::white);
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, disabled);
  return p;
}

bool paletteLooksDark(const QPalette& p) {
  return p.color(QPalette::Window).lightness() < p.color(QPalette::WindowText).lightness();
}

bool g_set = false;
ColorScheme g_scheme = ColorScheme::Light;
#endif

}  // namespace

void setColorScheme(ColorScheme scheme) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
  QApplication::styleHints()->setColorScheme(scheme == ColorScheme::Dark ? Qt::ColorScheme::Dark
                                                                         : Qt::ColorScheme::Light);
#else
  QApplication::setPalette(scheme == ColorScheme::Dark ? darkPalette()
                                                        : QApplication::style()->standardPalette());
  g_set = true;
  g_scheme = scheme;
#endif
}

ColorScheme colorScheme() {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
  return QApplication::styleHints()->colorScheme() == Qt::ColorScheme::Dark ? ColorScheme::Dark
                                                                            : ColorScheme::Light;
#else
  if (g_set && paletteLooksDark(QApplication::palette()) == (g_scheme == ColorScheme::Dark)) return g_scheme;
  return paletteLooksDark(QApplication::palette()) ? ColorScheme::Dark : ColorScheme::Light;
#endif
}

}  // namespace trelvo
