#pragma once
// Stand-in for the grid widget while the grid library is not built: a plain
// table widget with the grid's constructor. Its cells stay the items put in.
#include <QTableWidget>

class CleverTableWidget : public QTableWidget {
 public:
  explicit CleverTableWidget(QWidget* parent = nullptr, int rowCount = 0, int columnCount = 0,
                             bool editable = true, bool shortcut = true, bool infinite = false)
      : QTableWidget(rowCount, columnCount, parent),
        editable(editable),
        shortcut(shortcut),
        infinite(infinite) {
    if (!editable) setEditTriggers(QAbstractItemView::NoEditTriggers);
  }

  bool editable;
  bool shortcut;
  bool infinite;
};
