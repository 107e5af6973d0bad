// The shell: starts the application, opens its one window and quits cleanly.

#include "model/AppModel.h"
#include "screens/MainWindow.h"
#include "screens/QuitOnSignal.h"
#include "screens/Screenshots.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QTimer>

#include <cstring>

using namespace ovalon;

namespace {

void describe(QCommandLineParser &parser, QCommandLineOption &screenshots) {
  parser.setApplicationDescription("Prints bubble answer sheets and grades scans of them.");
  parser.addHelpOption();
  parser.addVersionOption();
  screenshots.setFlags(QCommandLineOption::HiddenFromHelp);
  parser.addOption(screenshots);
  parser.addPositionalArgument("files", "Scans to grade against the selected test.", "[files…]");
}

// Help and the version need no window, so they are answered before the windowing
// system is asked for a display (which would abort without one).
bool wantsTextOnly(int argc, char **argv) {
  for (int i = 1; i < argc; ++i)
    for (const char *option : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
      if (std::strcmp(argv[i], option) == 0)
        return true;
  return false;
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication::setOrganizationName("Ovalon");
  QCoreApplication::setApplicationName("Ovalon");
  QCoreApplication::setApplicationVersion(OVALON_VERSION);
  QCommandLineParser parser;
  QCommandLineOption screenshots(
      "screenshots", "Grade the sample class and save each tab, light and dark.", "folder");
  describe(parser, screenshots);
  if (wantsTextOnly(argc, argv)) {
    QCoreApplication text(argc, argv);
    parser.process(text);
    return 0;
  }

  QApplication app(argc, argv);
  QApplication::setDesktopFileName(OVALON_APP_ID);
  // Themes that lack an icon borrow it from Adwaita when it is installed.
  QIcon::setFallbackThemeName("Adwaita");
  QApplication::setWindowIcon(QIcon::fromTheme(OVALON_APP_ID));
  parser.process(app);

  AppModel model(ExamLibrary{ExamLibrary::defaultFolder()});
  // Edits of the last half second reach the disk however the app ends.
  QObject::connect(&app, &QApplication::aboutToQuit, &model, [&model] { model.flushSaves(); });
  QuitOnSignal quitOnSignal;

  if (parser.isSet(screenshots))
    return Screenshots::take(model, parser.value(screenshots));

  MainWindow window(model);
  window.show();
  if (QStringList files = parser.positionalArguments(); !files.isEmpty())
    QTimer::singleShot(0, &window, [&window, files] { window.offerToGrade(files); });
  return app.exec();
}
