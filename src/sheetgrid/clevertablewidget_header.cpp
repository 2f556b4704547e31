// Header renumbering and the header-title dialogs.
#include <QInputDialog>
#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>
#include <limits>

#include "fitcore/a1label.h"
#include "sheetgrid/clevertablewidget.h"

QString CleverTableWidget::num_to_letters(long long n) {
  return QString::fromStdString(trelvo::a1::column_letters(n - 1));
}

namespace {

// True when setting `text` on the header item would change nothing.
bool header_reads(const QTableWidgetItem* item, const QString& text) {
  if (const CleverTableWidgetItem* cell = asFormulaCell(item))
    return !cell->is_formula && !cell->format && cell->rawText() == text &&
           cell->displayText().toString() == text;
  return item->text() == text;
}

// Gives header `section` of `orientation` the title `text`. An attached
// header item is never changed (Qt 6 looks a changed header item up in a
// linear search of its list): a missing item becomes a new empty cell item,
// a wrong one is taken out; either gets its title before it is attached.
// Returns whether the header changed.
bool set_header_title(QTableWidget& grid, Qt::Orientation orientation, int section, const QString& text) {
  const bool columns = orientation == Qt::Horizontal;
  QTableWidgetItem* old = columns ? grid.horizontalHeaderItem(section) : grid.verticalHeaderItem(section);
  if (old && header_reads(old, text)) return false;
  QTableWidgetItem* title = !old ? new CleverTableWidgetItem(QString())
                            : columns ? grid.takeHorizontalHeaderItem(section)
                                      : grid.takeVerticalHeaderItem(section);
  setCellText(title, text);
  if (columns)
    grid.setHorizontalHeaderItem(section, title);
  else
    grid.setVerticalHeaderItem(section, title);
  return true;
}

}  // namespace

void CleverTableWidget::watch_titles() {
  QAbstractItemModel* m = model();
  const auto lines = [this](Qt::Orientation orientation) {
    return [this, orientation](const QModelIndex&, int first, int) { mark_titles_stale(orientation, first); };
  };
  connect(m, &QAbstractItemModel::rowsInserted, this, lines(Qt::Vertical));
  connect(m, &QAbstractItemModel::rowsRemoved, this, lines(Qt::Vertical));
  connect(m, &QAbstractItemModel::columnsInserted, this, lines(Qt::Horizontal));
  connect(m, &QAbstractItemModel::columnsRemoved, this, lines(Qt::Horizontal));
  connect(m, &QAbstractItemModel::rowsMoved, this, [this](const QModelIndex&, int first, int, const QModelIndex&, int to) {
    mark_titles_stale(Qt::Vertical, std::min(first, to));
  });
  connect(m, &QAbstractItemModel::columnsMoved, this,
          [this](const QModelIndex&, int first, int, const QModelIndex&, int to) {
            mark_titles_stale(Qt::Horizontal, std::min(first, to));
          });
  connect(m, &QAbstractItemModel::headerDataChanged, this, [this](Qt::Orientation orientation, int first, int last) {
    if (!retitling_) mark_titles_stale(orientation, first, last);
  });
  const auto all = [this] {
    mark_titles_stale(Qt::Horizontal, 0);
    mark_titles_stale(Qt::Vertical, 0);
  };
  connect(m, &QAbstractItemModel::layoutChanged, this, all);
  connect(m, &QAbstractItemModel::modelReset, this, all);
}

void CleverTableWidget::mark_titles_stale(Qt::Orientation orientation, int first, int last) {
  StaleTitles& stale = orientation == Qt::Horizontal ? stale_cols_ : stale_rows_;
  first = std::max(first, 0);
  if (last < 0) {
    stale.from = std::min(stale.from, first);
    return;
  }
  if (last < first || first >= stale.from) return;
  // Many scattered changes fold into one range: more lines renumbered, none missed.
  constexpr std::size_t kMostRanges = 64;
  if (stale.ranges.size() >= kMostRanges) {
    int low = first, high = last;
    for (const auto& [a, b] : stale.ranges) low = std::min(low, a), high = std::max(high, b);
    stale.ranges.assign(1, {low, high});
    return;
  }
  stale.ranges.emplace_back(first, last);
}

void CleverTableWidget::retitle(Qt::Orientation orientation) {
  StaleTitles& stale = orientation == Qt::Horizontal ? stale_cols_ : stale_rows_;
  const int count = orientation == Qt::Horizontal ? columnCount() : rowCount();
  const auto title = [orientation](int section) {
    return orientation == Qt::Horizontal ? num_to_letters(static_cast<long long>(section) + 1)
                                         : QString::number(static_cast<long long>(section) + 1);
  };
  // The sections to look at: the stale ranges, then everything from the
  // first line added, removed or moved on (lines beyond the count numbered
  // last time were added, whether announced or not).
  std::vector<std::pair<int, int>> spans = std::move(stale.ranges);
  stale.ranges.clear();
  const int from = std::min(stale.from, stale.numbered);
  if (from < count) spans.emplace_back(from, count - 1);
  stale.from = std::numeric_limits<int>::max();
  stale.numbered = count;
  std::sort(spans.begin(), spans.end());

  int first = -1, last = -1;
  {
    const QSignalBlocker blocker(model());
    int done = -1;  // every section up to here has been looked at
    for (const auto& [a, b] : spans) {
      for (int section = std::max(a, done + 1); section <= std::min(b, count - 1); ++section) {
        if (!set_header_title(*this, orientation, section, title(section))) continue;
        if (first < 0) first = section;
        last = section;
      }
      done = std::max(done, std::min(b, count - 1));
    }
  }
  if (first >= 0) {
    retitling_ = true;
    emit model()->headerDataChanged(orientation, first, last);
    retitling_ = false;
  }
}

void CleverTableWidget::renumber_header_col() {
  if (editable) number_header_col();
}

void CleverTableWidget::number_header_col() { retitle(Qt::Horizontal); }

void CleverTableWidget::renumber_header_row() {
  if (editable) retitle(Qt::Vertical);
}

void CleverTableWidget::renumber_header() {
  renumber_header_col();
  renumber_header_row();
}

void CleverTableWidget::disable_editing() {
  editable = false;
  setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void CleverTableWidget::enable_editing() {
  editable = true;
  setEditTriggers(QAbstractItemView::DoubleClicked);
}

void CleverTableWidget::change_horizontal_header(int index) {
  if (!editable) return;
  if (index < 0 || index >= columnCount()) return;
  if (!horizontalHeaderItem(index)) {
    const QString title = model()->headerData(index, Qt::Horizontal).toString();
    setHorizontalHeaderItem(index, new CleverTableWidgetItem(title));
  }
  const QString old = cellText(horizontalHeaderItem(index));
  bool ok = false;
  const QString text = QInputDialog::getText(this, tr("设置列标题"),
                                             tr("请输入第%s列标题").replace(QStringLiteral("%s"), QString::number(index + 1)),
                                             QLineEdit::Normal, old, &ok);
  // The dialog ran an event loop: the header item is looked up again.
  if (ok && horizontalHeaderItem(index)) setCellText(horizontalHeaderItem(index), text);
}

void CleverTableWidget::change_vertical_header(int index) {
  if (!editable) return;
  if (index < 0 || index >= rowCount()) return;
  if (!verticalHeaderItem(index)) {
    const QString title = model()->headerData(index, Qt::Vertical).toString();
    setVerticalHeaderItem(index, new CleverTableWidgetItem(title));
  }
  const QString old = cellText(verticalHeaderItem(index));
  bool ok = false;
  const QString text = QInputDialog::getText(this, tr("设置行标题"),
                                             tr("请输入第%s行标题").replace(QStringLiteral("%s"), QString::number(index + 1)),
                                             QLineEdit::Normal, old, &ok);
  if (ok && verticalHeaderItem(index)) setCellText(verticalHeaderItem(index), text);
}
