#pragma once
// Captures the Qt debug log of a test.
#include <QStringList>
#include <QtGlobal>

namespace trelvo::test {

// Collects every debug-log line while it lives (and forwards none).
class LogCapture {
 public:
  LogCapture() {
    lines_().clear();
    previous_ = qInstallMessageHandler(&LogCapture::handle);
  }
  ~LogCapture() { qInstallMessageHandler(previous_); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  QStringList lines() const { return lines_(); }
  QStringList startingWith(const QString& prefix) const {
    QStringList out;
    for (const QString& l : lines_())
      if (l.startsWith(prefix)) out << l;
    return out;
  }
  void clear() { lines_().clear(); }

 private:
  static QStringList& lines_() {
    static QStringList l;
    return l;
  }
  static void handle(QtMsgType, const QMessageLogContext&, const QString& msg) { lines_() << msg; }
  QtMessageHandler previous_ = nullptr;
};

}  // namespace trelvo::test
