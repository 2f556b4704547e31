// The sheet chooser: preselection, the answer and its refusals.
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>

#include "filetestutil.h"

using trelvo::test::ModalGuard;

class SheetChooserTest : public QObject {
  Q_OBJECT

 private slots:
  void noDialogForOneName_data() {
    QTest::addColumn<QStringList>("names");
    QTest::newRow("one name") << QStringList{QStringLiteral("Sheet1")};
    QTest::newRow("no name") << QStringList{};
  }
  void noDialogForOneName() {
    QFETCH(QStringList, names);
    CleverTableWidget grid;
    ModalGuard guard;
    QVERIFY(!grid._dialog_choose_sheet(names, QStringLiteral("Sheet1")));
    QVERIFY(guard.seen().isEmpty());
  }

  // The row current when the dialog opens, accepted as it stands.
  void preselection_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("active");  // "<none>": left out
    QTest::addColumn<int>("active_index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    const QStringList abc{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    QTest::newRow("left out: first row") << abc << QStringLiteral("<none>") << 0 << "a" << 0;
    QTest::newRow("unknown name: first row") << abc << QStringLiteral("zz") << 0 << "a" << 0;
    QTest::newRow("third name") << abc << QStringLiteral("c") << 0 << "c" << 2;
    QTest::newRow("name wins over index") << abc << QStringLiteral("b") << 2 << "b" << 1;
    QTest::newRow("index when no name") << abc << QStringLiteral("<none>") << 2 << "c" << 2;
    QTest::newRow("index out of range: first row") << abc << QStringLiteral("<none>") << 7 << "a" << 0;
    QTest::newRow("duplicate names: the first preselected by name")
        << QStringList{QStringLiteral("x"), QStringLiteral("d"), QStringLiteral("d")} << QStringLiteral("d") << 0
        << "d" << 1;
  }
  void preselection() {
    QFETCH(QStringList, names);
    QFETCH(QString, active);
    QFETCH(int, active_index);
    QFETCH(QString, name);
    QFETCH(int, index);
    CleverTableWidget grid;
    trelvo::test::Modals modals;
    ModalGuard guard(modals.action());
    const auto choice = grid._dialog_choose_sheet(
        names, active == QStringLiteral("<none>") ? std::nullopt : std::optional<QString>(active), active_index);
    QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
    QCOMPARE(modals.chooser_shown, 1);
    QCOMPARE(modals.chooser_items, names);
    QCOMPARE(modals.chooser_label, QStringLiteral("请选择要加载的工作表:"));
    QVERIFY(choice);
    QCOMPARE(choice->first, name);
    QCOMPARE(choice->second, index);
  }

  // Of two equal names, the chosen row's position is returned, not the
  // first occurrence's.
  void duplicateNameChosenByRowGivesItsPosition() {
    CleverTableWidget grid;
    trelvo::test::Modals modals;
    modals.chooser = [](int) { return 2; };
    ModalGuard guard(modals.action());
    const auto choice = grid._dialog_choose_sheet({QStringLiteral("x"), QStringLiteral("d"), QStringLiteral("d")});
    QVERIFY(choice);
    QCOMPARE(*choice, std::make_pair(QStringLiteral("d"), 2));
  }

  void otherRowChosen() {
    CleverTableWidget grid;
    trelvo::test::Modals modals;
    modals.chooser = [](int) { return 1; };
    ModalGuard guard(modals.action());
    const auto choice =
        grid._dialog_choose_sheet({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}, QStringLiteral("three"));
    QCOMPARE(modals.chooser_initial_row, 2);
    QVERIFY(choice);
    QCOMPARE(*choice, std::make_pair(QStringLiteral("two"), 1));
  }

  // Cancel, Esc and closing the window all give no sheet.
  void refusals_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("cancel button") << QStringLiteral("cancel");
    QTest::newRow("escape key") << QStringLiteral("esc");
    QTest::newRow("window closed") << QStringLiteral("close");
  }
  void refusals() {
    QFETCH(QString, how);
    CleverTableWidget grid;
    QStringList titles;
    ModalGuard guard([&](QWidget* w) {
      titles << w->windowTitle();
      auto* dialog = qobject_cast<QDialog*>(w);
      QVERIFY(dialog);
      QCOMPARE(dialog->parentWidget(), &grid);
      if (how == QStringLiteral("cancel")) {
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        QVERIFY(buttons);
        QVERIFY(buttons->button(QDialogButtonBox::Ok));
        buttons->button(QDialogButtonBox::Cancel)->click();
      } else if (how == QStringLiteral("esc")) {
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(dialog, &esc);
      } else {
        dialog->close();
      }
      QVERIFY(!dialog->isVisible());
    });
    QVERIFY(!grid._dialog_choose_sheet({QStringLiteral("a"), QStringLiteral("b")}));
    QCOMPARE(titles, QStringList{QStringLiteral("选择工作表")});
    QVERIFY2(guard.failures().isEmpty(), qPrintable(guard.failures().join("; ")));
  }

  // Nothing is remembered: a second call starts from the preselection again.
  void noMemoryBetweenCalls() {
    CleverTableWidget grid;
    trelvo::test::Modals modals;
    modals.chooser = [](int) { return 1; };
    ModalGuard guard(modals.action());
    const QStringList names{QStringLiteral("a"), QStringLiteral("b")};
    QVERIFY(grid._dialog_choose_sheet(names));
    QVERIFY(grid._dialog_choose_sheet(names));
    QCOMPARE(modals.chooser_shown, 2);
    QCOMPARE(modals.chooser_initial_row, 0);
  }
};

TRELVO_REGISTER_TEST(SheetChooserTest)
#include "test_chooser.moc"
