// The shell: starts the application, opens its one window and quits cleanly.

#include "model/AppModel.h"
#include "screens/MainWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QIcon>
#include <QTimer>

#include <cstdio>

using namespace ovalon;

namespace {

// `ovalon --screenshots DIR`: the sample class graded in the real window, and a
// picture of each tab written to DIR. Used by scripts/screenshots.
int takeScreenshots(QApplication &app, AppModel &model, MainWindow &window, const QString &folder) {
  QDir().mkpath(folder);
  window.show();
  QApplication::processEvents();
  if (model.documents().empty())
    window.grab().save(folder + "/0-empty-library.png");
  model.trySampleClass();
  QElapsedTimer clock;
  clock.start();
  auto settle = [&app](int milliseconds) {
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < milliseconds)
      app.processEvents(QEventLoop::AllEvents, 50);
  };
  settle(200);
  window.grab().save(folder + "/0-progress.png");
  while (model.isBusy() && clock.elapsed() < 10 * 60 * 1000)
    settle(100);
  if (model.isBusy()) {
    std::fputs("ovalon: the sample class was still grading after ten minutes.\n", stderr);
    return 1;
  }
  // The summary alert would cover every picture.
  model.clearMessage();
  const char *names[] = {"1-test", "2-print", "3-grade", "4-review", "5-results"};
  for (int tab = 0; tab < 5; ++tab) {
    model.setTab(static_cast<AppModel::Tab>(tab));
    if (tab == 3)
      model.selectNextOpenItem();
    settle(400);
    if (!window.grab().save(folder + "/" + names[tab] + ".png")) {
      std::fprintf(stderr, "ovalon: couldn't write the pictures into %s.\n",
                   folder.toLocal8Bit().constData());
      return 1;
    }
  }
  model.setShowHelp(true);
  settle(300);
  for (QWidget *top : QApplication::topLevelWidgets())
    if (top->objectName() == "helpView" && top->isVisible())
      top->grab().save(folder + "/6-help.png");
  model.setShowHelp(false);
  model.flushSaves();
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Ovalon");
  QApplication::setApplicationVersion(OVALON_VERSION);
  QApplication::setDesktopFileName(OVALON_APP_ID);
  QApplication::setWindowIcon(QIcon::fromTheme(OVALON_APP_ID));

  QCommandLineParser parser;
  parser.setApplicationDescription("Prints bubble answer sheets and grades scans of them.");
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption screenshots("screenshots", "Grade the sample class and save each tab.",
                                 "folder");
  screenshots.setFlags(QCommandLineOption::HiddenFromHelp);
  parser.addOption(screenshots);
  parser.addPositionalArgument("files", "Scans to grade against the selected test.", "[files…]");
  parser.process(app);

  AppModel model(ExamLibrary{ExamLibrary::defaultFolder()});
  // Edits of the last half second reach the disk however the app ends.
  QObject::connect(&app, &QApplication::aboutToQuit, &model, [&model] { model.flushSaves(); });

  MainWindow window(model);
  if (parser.isSet(screenshots))
    return takeScreenshots(app, model, window, parser.value(screenshots));

  window.show();
  if (QStringList files = parser.positionalArguments(); !files.isEmpty())
    QTimer::singleShot(0, &window, [&window, files] { window.offerToGrade(files); });
  return app.exec();
}
