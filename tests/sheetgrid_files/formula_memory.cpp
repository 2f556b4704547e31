// Memory running out while formulas are evaluated, made to happen on
// purpose: every operator new of about a formula's size fails while a
// FailFormulaSizedAllocations lives. A load ends with its failure box and
// leaves the grid as it was; typing and the formula fill show "#ERR: out of
// memory" in the cell.
//
// Its own executable: it replaces the global operator new and delete (all
// of their plain forms, over malloc and free, so that a sanitizer's
// allocator sees matching pairs).
#include <QApplication>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTest>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <optional>

#include "filetestutil.h"
#include "sheetgrid/formulaexpander.h"
#include "sheetgrid/io/csv.h"
#include "sheetgrid/io/xls.h"
#include "sheetgrid/io/xlsx.h"

namespace {

// Allocations of failing_from to failing_to bytes fail while armed (0: none
// fails).
std::atomic<std::size_t> failing_from{0};
std::atomic<std::size_t> failing_to{0};

void* allocate(std::size_t size) {
  const std::size_t from = failing_from.load(std::memory_order_relaxed);
  if (from != 0 && size >= from && size <= failing_to.load(std::memory_order_relaxed)) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

void* allocate_or_null(std::size_t size) noexcept {
  try {
    return allocate(size);
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate_or_null(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate_or_null(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

using trelvo::test::ModalGuard;
using trelvo::test::Modals;
using trelvo::test::snapshot;

namespace {

// The formula text's length, within what a workbook cell holds.
constexpr int kFormulaChars = 30'000;

// While one lives, every operator new of about the size of the formula's
// text (half to twice it: the copies made while it is checked and compiled)
// throws std::bad_alloc, as when the process's address space has run out
// at that point. The grid's and the readers' allocations of other sizes
// still succeed.
class FailFormulaSizedAllocations {
 public:
  FailFormulaSizedAllocations() {
    failing_to.store(2 * kFormulaChars);
    failing_from.store(kFormulaChars / 2);
  }
  ~FailFormulaSizedAllocations() { failing_from.store(0); }
  FailFormulaSizedAllocations(const FailFormulaSizedAllocations&) = delete;
  FailFormulaSizedAllocations& operator=(const FailFormulaSizedAllocations&) = delete;
};

// Calls `seen` on every event the application handles while it lives.
class EventWatch : public QObject {
 public:
  explicit EventWatch(std::function<void()> seen) : seen_(std::move(seen)) { qApp->installEventFilter(this); }
  ~EventWatch() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject*, QEvent*) override {
    seen_();
    return false;
  }

 private:
  std::function<void()> seen_;
};

// A formula of about kFormulaChars characters that evaluates to `sum`:
// "=0+0+...+sum".
QString longFormula(int sum) {
  QString text = QStringLiteral("=") + QStringLiteral("0+").repeated((kFormulaChars - 1) / 2 - 1);
  text += QString::number(sum);
  return text;
}

enum class Format { Csv, Xlsx, Xls };

const QString kOutOfMemory = QStringLiteral("#ERR: out of memory");
const QString kLoadFailed = QStringLiteral("加载错误\n加载文件失败\n\nout of memory");

}  // namespace

Q_DECLARE_METATYPE(Format)

class FormulaMemoryTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

 private slots:
  // The formulas' debug lines would print every long formula whole.
  void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

  // A formula typed into a cell, or given to a cell outside any grid, shows
  // the failure as its text; the same text evaluates once memory is back.
  void typedFormulaShowsOutOfMemory() {
    CleverTableWidget grid(nullptr, 2, 2);
    {
      const FailFormulaSizedAllocations failing;
      grid.set_cell_text(0, 0, longFormula(7));
      const CleverTableWidgetItem loose(longFormula(7));
      QCOMPARE(loose.text(), kOutOfMemory);
    }
    QCOMPARE(cellText(grid.item(0, 0)), kOutOfMemory);
    QVERIFY(!cellNumber(grid.item(0, 0)));
    grid.set_cell_text(0, 0, longFormula(7));
    QCOMPARE(cellText(grid.item(0, 0)), QStringLiteral("7"));
  }

  // Every cell the fill writes keeps its formula and shows the failure.
  void fillShowsOutOfMemory() {
    CleverTableWidget grid(nullptr, 4, 2);
    grid.set_cell_text(0, 1, longFormula(3));
    grid.setRangeSelected({0, 1, 2, 1}, true);
    // Memory runs out once the dialog is accepted, while the fill writes.
    std::optional<FailFormulaSizedAllocations> failing;
    bool accepted = false;
    ModalGuard guard([&](QWidget* w) {
      auto* d = qobject_cast<FormulaExpander*>(w);
      if (!d) return;
      accepted = d->ok_button->isEnabled();
      d->ok_button->click();
      failing.emplace();
    });
    grid.expand_formula();
    failing.reset();
    QVERIFY(accepted);
    QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
    QCOMPARE(guard.seen().size(), 1);
    for (int row = 0; row < 3; ++row) {
      const CleverTableWidgetItem* cell = asFormulaCell(grid.item(row, 1));
      QVERIFY(cell);
      QCOMPARE(cell->rawText(), longFormula(3));
      QCOMPARE(cell->text(), kOutOfMemory);
    }
  }

  // A load whose formula runs out of memory is refused whole: the failure
  // box, the grid as it was. Once memory is back the same file loads.
  void loadRefused_data() {
    QTest::addColumn<Format>("format");
    QTest::newRow("csv") << Format::Csv;
    QTest::newRow("xlsx") << Format::Xlsx;
    QTest::newRow("xls") << Format::Xls;
  }
  void loadRefused() {
    QFETCH(Format, format);
    const auto write = [&](const QString& name, const QString& text) {
      const QString path = dir_.filePath(name);
      const trelvo::io::TextRows rows{{QStringLiteral("1"), text}};
      switch (format) {
        case Format::Csv: trelvo::io::write_csv(path, rows); break;
        case Format::Xlsx: trelvo::io::write_xlsx(path, rows); break;
        case Format::Xls: trelvo::io::write_xls(path, rows); break;
      }
      return path;
    };
    const QByteArray tag = QTest::currentDataTag();
    const QString formula = write(QStringLiteral("formula.") + tag, longFormula(5));
    const auto load = [format](CleverTableWidget& grid, const QString& path) {
      switch (format) {
        case Format::Csv: grid.load_csv(path); break;
        case Format::Xlsx: grid.load_excel(path); break;
        case Format::Xls: grid.load_excel03(path); break;
      }
    };

    CleverTableWidget grid;
    trelvo::test::fillGrid(grid, 2, 3, QStringLiteral("old"));
    const QStringList before = snapshot(grid);
    {
      Modals modals;
      ModalGuard guard(modals.action());
      // Memory is back once the load has given up: the first event (its
      // box) ends the failures, so that Qt's painting of the box succeeds.
      std::optional<FailFormulaSizedAllocations> failing;
      EventWatch watch([&] { failing.reset(); });
      failing.emplace();
      load(grid, formula);
      failing.reset();
      QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
      QCOMPARE(modals.boxes, QStringList{kLoadFailed});
    }
    QCOMPARE(snapshot(grid), before);
    ModalGuard guard;
    load(grid, formula);
    QVERIFY(guard.seen().isEmpty());
    QCOMPARE(snapshot(grid), (QStringList{"1|5|", "||"}));
  }
};

TRELVO_REGISTER_TEST(FormulaMemoryTest)
#include "formula_memory.moc"
