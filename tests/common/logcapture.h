#pragma once
// Captures the Qt debug log of a test.
#include <QLoggingCategory>
#include <QStringList>
#include <QtGlobal>

namespace trelvo::test {

// While it lives: turns the default category's debug output on (a test
// executable may have turned it off), collects every debug line, and passes
// any other message on to the handler that was installed before. Lines are
// kept in one store: one capture at a time.
class LogCapture {
 public:
  LogCapture() {
    lines_().clear();
    debug_was_on_ = QLoggingCategory::defaultCategory()->isDebugEnabled();
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=true"));
    previous_() = qInstallMessageHandler(&LogCapture::handle);
  }
  ~LogCapture() {
    qInstallMessageHandler(previous_());
    if (!debug_was_on_) QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  QStringList lines() const { return lines_(); }
  bool contains(const QString& line) const { return lines_().contains(line); }
  int count(const QString& line) const { return int(lines_().count(line)); }
  QStringList startingWith(const QString& prefix) const {
    QStringList out;
    for (const QString& l : lines_())
      if (l.startsWith(prefix)) out << l;
    return out;
  }
  bool anyStartsWith(const QString& prefix) const { return indexOfPrefix(prefix) >= 0; }
  // Index of the first line that starts with `prefix`, or -1.
  qsizetype indexOfPrefix(const QString& prefix) const {
    for (qsizetype i = 0; i < lines_().size(); ++i)
      if (lines_()[i].startsWith(prefix)) return i;
    return -1;
  }
  void clear() { lines_().clear(); }

 private:
  static QStringList& lines_() {
    static QStringList l;
    return l;
  }
  static QtMessageHandler& previous_() {
    static QtMessageHandler h = nullptr;
    return h;
  }
  static void handle(QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
    if (type == QtDebugMsg)
      lines_() << msg;
    else if (previous_())
      previous_()(type, ctx, msg);
  }
  bool debug_was_on_ = true;
};

}  // namespace trelvo::test
