// Runs every registered Qt Test class of an executable under one QApplication.
// Arguments of the form Class::function pick functions of that class only
// (other classes are then skipped); all other arguments go to every class.
#include <QApplication>
#include <QTest>

#include <memory>

#include "testregistry.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList common;
  QList<QPair<QString, QString>> picked;
  for (int i = 1; i < argc; ++i) {
    const QString arg = QString::fromLocal8Bit(argv[i]);
    const qsizetype sep = arg.indexOf(QStringLiteral("::"));
    if (sep > 0 && !arg.startsWith(QLatin1Char('-')))
      picked.append({arg.left(sep), arg.mid(sep + 2)});
    else
      common << arg;
  }
  int status = 0;
  for (const auto& make : trelvo::test::test_registry()) {
    std::unique_ptr<QObject> test(make());
    QStringList args{QString::fromLocal8Bit(argv[0])};
    args << common;
    if (!picked.isEmpty()) {
      bool any = false;
      for (const auto& pick : picked)
        if (pick.first == QString::fromLatin1(test->metaObject()->className())) {
          args << pick.second;
          any = true;
        }
      if (!any) continue;
    }
    status |= QTest::qExec(test.get(), args);
  }
  return status;
}
