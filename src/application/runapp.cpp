#include "application/runapp.h"

#include <memory>

#include "application/cmdline.h"
#include "application/mapp.h"
#include "widget/widget.h"

namespace trelvo {

int run_app(int argc, char** argv, const std::function<void()>& before_exec) {
  const CommandLine cl = parse_command_line_or_exit(argc, argv);
  return run_app(cl, argc, argv, before_exec);
}

int run_app(const CommandLine& cl, int& argc, char** argv, const std::function<void()>& before_exec) {
  std::optional<QString> language;
  if (cl.locale) language = QString::fromStdString(*cl.locale);
  auto app = std::make_unique<MApp>(argc, argv, language);
  auto window = std::make_unique<Widget>();
  window->show();
  window->onAdjustPlotBtnClicked();
  if (before_exec) before_exec();
  const int status = app->exec();
  window.reset();
  app.reset();
  return status;
}

}  // namespace trelvo
