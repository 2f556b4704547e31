#pragma once
// The number-format dialog of the grid's digital_format command.
#include <QDialog>

#include <optional>

#include "fitcore/export.h"

class QCheckBox;
class QPushButton;
class QSpinBox;

// Decimals 0..15 (preset `dec`, 2 when none) and the scientific flag (preset
// `sci`). OK (the default button) accepts with clear_label false; "清除格式"
// accepts with clear_label true; Cancel rejects.
class TRELVO_EXPORT FormatDialog : public QDialog {
  Q_OBJECT

 public:
  explicit FormatDialog(QWidget* parent = nullptr, bool sci = false,
                        std::optional<int> dec = std::nullopt);

  // clear_label = false, a debug line with the chosen format, then accepted.
  void accept() override;
  // clear_label = true, the debug line "clear format", then accepted.
  void clear_format();

  QSpinBox* decimal_spin = nullptr;
  QCheckBox* sci_checkbox = nullptr;
  QPushButton* clear_btn = nullptr;
  QPushButton* ok_btn = nullptr;
  QPushButton* cancel_btn = nullptr;
  bool clear_label = false;
};
