#pragma once
// The application object: a QApplication that chooses the interface language
// and installs its translation before any window exists.
#include <QApplication>
#include <QString>
#include <QTranslator>
#include <optional>

#include "fitcore/export.h"

class TRELVO_EXPORT MApp : public QApplication {
  Q_OBJECT

 public:
  // `argc`/`argv` go unchanged to QApplication (which must outlive nothing
  // else: Qt keeps references to them). `language` is a code such as "zh_CN"
  // or "en"; none or "" takes the system locale's name. "zh_CN" and "en"
  // load their own file, any other code the "en" one; a file that does not
  // load leaves the texts untranslated.
  MApp(int& argc, char** argv, std::optional<QString> language = std::nullopt);

  QTranslator translator;

  // The folder that holds the start-up library, absolute, links resolved.
  static QString moduleFolder();
};
