#include "application/mapp.h"

#include <dlfcn.h>

#include <QDebug>
#include <QFileInfo>
#include <QLocale>

MApp::MApp(int& argc, char** argv, std::optional<QString> language) : QApplication(argc, argv) {
  QString code = language.value_or(QString());
  if (code.isEmpty()) code = QLocale::system().name();

  const QString folder = moduleFolder();
  QString file;
  if (code == QLatin1String("zh_CN")) {
    file = folder + "/translations/Trelvo_zh_CN.qm";
    qDebug().noquote() << "locale: " + code;
  } else if (code == QLatin1String("en")) {
    file = folder + "/translations/Trelvo_en.qm";
    qDebug().noquote() << "locale: " + code;
  } else {
    file = folder + "/translations/Trelvo_en.qm";
    qDebug().noquote() << "no locale, use default";
  }

  if (translator.load(file)) {
    qDebug().noquote() << "load translation file: " + file;
    installTranslator(&translator);
  } else {
    qDebug().noquote() << "load translation file failed: " + file;
  }
}

QString MApp::moduleFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&MApp::moduleFolder), &info) == 0 || info.dli_fname == nullptr)
    return QString();
  return QFileInfo(QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalFilePath()).absolutePath();
}
