#include "screens/Screenshots.h"

#include "model/AppModel.h"
#include "screens/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStyle>
#include <QStyleFactory>

#include <cstdio>
#include <functional>

namespace ovalon {

namespace {

void settle(int milliseconds) {
  QElapsedTimer wait;
  wait.start();
  while (wait.elapsed() < milliseconds)
    QApplication::processEvents(QEventLoop::AllEvents, 50);
}

struct Camera {
  QString folder;
  bool failed = false;

  // Takes `picture` once in each palette.
  void shoot(const QString &name, const std::function<QWidget *()> &picture) {
    for (auto [palette, suffix] :
         {std::pair{Screenshots::light(), "light"}, std::pair{Screenshots::dark(), "dark"}}) {
      QApplication::setPalette(palette);
      settle(250);
      QWidget *widget = picture();
      QString file = folder + "/" + name + "-" + suffix + ".png";
      if (!widget || !widget->grab().save(file)) {
        std::fprintf(stderr, "ovalon: couldn't write %s.\n", file.toLocal8Bit().constData());
        failed = true;
      }
    }
  }
};

QWidget *visibleTopLevel(const QString &name) {
  for (QWidget *top : QApplication::topLevelWidgets())
    if (top->objectName() == name && top->isVisible())
      return top;
  return nullptr;
}

// The first open item of this kind, so the review picture shows a real decision.
std::optional<AppModel::ReviewItem> firstOpen(const AppModel &model, bool studentID) {
  const ExamDocument *doc = model.selectedDocument();
  for (const AppModel::ReviewItem &item : model.reviewItems()) {
    const auto *flag = std::get_if<Review::Item::Flag>(&item.target);
    if (!flag || !model.isOpen(item))
      continue;
    auto sheet = std::ranges::find(doc->sheets, flag->sheet, &ScannedSheet::id);
    auto found = std::ranges::find(sheet->flags, flag->flag, &ReviewFlag::id);
    if ((found->kind == FlagKind::studentID) == studentID)
      return item;
  }
  return std::nullopt;
}

// Settles the last open mark as a teacher would, so the review list shows both states.
void settleOneMark(AppModel &model) {
  const ExamDocument *doc = model.selectedDocument();
  std::optional<std::pair<Uuid, ReviewFlag>> last;
  for (const ScannedSheet &sheet : doc->sheets)
    for (const ReviewFlag &flag : sheet.openFlags())
      if (flag.kind != FlagKind::studentID && flag.kind != FlagKind::missingPage)
        last = {sheet.id, flag};
  if (last)
    model.resolve(last->first, last->second.id,
                  last->second.suggestion ? Resolution::choice(*last->second.suggestion)
                                          : Resolution::blank());
}

} // namespace

QPalette Screenshots::light() {
  return QStyleFactory::create("Fusion")->standardPalette();
}

QPalette Screenshots::dark() {
  QPalette p;
  QColor window(53, 53, 53), text(238, 238, 236), base(45, 45, 45), dim(146, 146, 146);
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, QColor(51, 51, 51));
  p.setColor(QPalette::ToolTipBase, QColor(30, 30, 30));
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::PlaceholderText, dim);
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, QColor(58, 58, 58));
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::BrightText, QColor(255, 120, 110));
  p.setColor(QPalette::Light, QColor(78, 78, 78));
  p.setColor(QPalette::Midlight, QColor(66, 66, 66));
  p.setColor(QPalette::Mid, QColor(40, 40, 40));
  p.setColor(QPalette::Dark, QColor(30, 30, 30));
  p.setColor(QPalette::Shadow, QColor(15, 15, 15));
  p.setColor(QPalette::Highlight, QColor(21, 83, 158));
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::Link, QColor(53, 132, 228));
  p.setColor(QPalette::LinkVisited, QColor(27, 106, 203));
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, dim);
  p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(80, 80, 80));
  return p;
}

int Screenshots::take(AppModel &model, const QString &folder) {
  QDir().mkpath(folder);
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  MainWindow window(model);
  window.resize(1280, 820);
  window.show();
  Camera camera{folder};
  QWidget *main = &window;
  if (model.documents().empty())
    camera.shoot("0-empty-library", [main] { return main; });
  model.trySampleClass();
  settle(200);
  camera.shoot("0-progress", [main] { return main; });
  QElapsedTimer clock;
  clock.start();
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
    if (tab == 3) {
      settleOneMark(model);
      model.setReviewSelection(firstOpen(model, false));
    }
    camera.shoot(names[tab], [main] { return main; });
  }
  if (auto idItem = firstOpen(model, true)) {
    model.setTab(AppModel::Tab::review);
    model.setReviewSelection(idItem);
    camera.shoot("4-review-student", [main] { return main; });
  }
  model.setShowHelp(true);
  camera.shoot("6-help", [] { return visibleTopLevel("helpView"); });
  model.setShowHelp(false);
  model.flushSaves();
  return camera.failed ? 1 : 0;
}

} // namespace ovalon
