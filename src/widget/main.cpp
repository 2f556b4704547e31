// The main window by itself: no command line, no translation, no fit to view.
#include <QApplication>

#include "widget/widget.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Widget widget;
  widget.show();
  return app.exec();
}
