#pragma once
// The chooser that the grid's delete and insert commands open when the
// selection alone does not say what is meant.
#include <QDialog>
#include <QString>

#include "fitcore/export.h"

class QGroupBox;
class QPushButton;
class QRadioButton;

// Two kinds: "delete" (compared after lower-casing) and every other text the
// insert kind. OK emits the checked choice's operation string once, "" when
// none is checked, on DelSignal (delete kind) or InsertSignal (insert kind)
// and then closes; Cancel, Escape and the close button emit nothing. The
// dialog never touches a grid and has no parent.
class TRELVO_EXPORT DeleteInsertDialog : public QDialog {
  Q_OBJECT

 signals:
  void DelSignal(const QString& message);
  void InsertSignal(const QString& message);

 public:
  explicit DeleteInsertDialog(const QString& dialog_type);

  // Texts, letter shortcuts (L U R C for delete, R D R C for insert: the
  // doubled R is ambiguous and checks nothing) and the OK connection.
  void _preperation();
  void delete_button_ok_clicked();
  void insert_button_ok_clicked();

  QString dialog_type;
  QString dialog_typ_ch;
  QGroupBox* groupBox = nullptr;
  QRadioButton* radioButtonA = nullptr;
  QRadioButton* radioButtonB = nullptr;
  QRadioButton* radioButtonC = nullptr;
  QRadioButton* radioButtonD = nullptr;
  QPushButton* buttonOK = nullptr;
  QPushButton* buttonCancel = nullptr;

 private:
  bool is_delete_kind() const;
  // The operation string of the first checked button, "" when none is.
  QString checked_choice(const char* a, const char* b, const char* c, const char* d) const;
};
