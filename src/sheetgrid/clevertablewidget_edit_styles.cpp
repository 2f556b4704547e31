// Alignment, highlight and bold of the selected cells.
#include <QColor>
#include <QDebug>
#include <QFont>

#include "sheetgrid/clevertablewidget.h"

namespace {

// Empty cells of a single range get items first, then `style` runs on every
// selected item. One extent recomputation at the end.
template <class F>
void style_selection(CleverTableWidget& grid, F&& style) {
  CleverTableWidget::BulkGuard bulk(grid);
  grid._set_null_item();
  // Rows and columns first: styling an item emits cellChanged, whose handling
  // may replace a plain item.
  const QList<std::pair<int, int>> cells = grid.selected_item_cells();
  for (const auto& [row, col] : cells) {
    grid.reseat_item(row, col);
    QTableWidgetItem* it = grid.item(row, col);
    if (!it) continue;
    const bool plain = !asFormulaCell(it);
    style(*it);
    // A styled plain item is replaced by an unstyled formula cell of the same
    // text: style that cell as well.
    if (plain)
      if (CleverTableWidgetItem* cell = asFormulaCell(grid.item(row, col))) style(*cell);
  }
}

}  // namespace

void CleverTableWidget::align_left() {
  style_selection(*this, [](QTableWidgetItem& it) {
    it.setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  });
}

void CleverTableWidget::align_right() {
  style_selection(*this, [](QTableWidgetItem& it) {
    it.setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  });
}

void CleverTableWidget::align_center() {
  style_selection(*this, [](QTableWidgetItem& it) { it.setTextAlignment(Qt::AlignCenter); });
}

std::function<void()> CleverTableWidget::highlight_background(const QString& choice) {
  return [this, choice] {
    const QColor yellow(255, 255, 0);
    const QColor transparent(255, 255, 255, 0);
    style_selection(*this, [&](QTableWidgetItem& it) {
      if (choice == QLatin1String("Y"))
        it.setBackground(yellow);
      else if (choice == QLatin1String("T"))
        it.setBackground(transparent);
      else
        qDebug().noquote() << QStringLiteral("highlight background error input");
    });
  };
}

std::function<void()> CleverTableWidget::bold_text(const QString& choice) {
  return [this, choice] {
    style_selection(*this, [&](QTableWidgetItem& it) {
      QFont font = it.font();
      if (choice == QLatin1String("Y")) {
        font.setBold(true);
        it.setFont(font);
      } else if (choice == QLatin1String("N")) {
        font.setBold(false);
        it.setFont(font);
      } else {
        qDebug().noquote() << QStringLiteral("bold operation error input");
      }
    });
  };
}
