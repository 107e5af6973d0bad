#include "ScreenHelpers.h"

#include "AppTestScans.h"

#include "model/AppModel.h"
#include "support/TempDir.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace ovalon::testing {

namespace fs = std::filesystem;

void copyGradedSampleLibrary(const fs::path &folder) {
  static TempDir made;
  static const bool graded = [] {
    AppModel model(ExamLibrary{made / "Library"});
    model.trySampleClass();
    bool idle = QTest::qWaitFor([&] { return model.progress().has_value(); }, 1000) &&
                waitUntilIdle(model) && waitUntilIdle(model);
    model.flushSaves();
    model.waitForBackgroundWrites();
    return idle && !model.documents().empty() && !model.documents().front().sheets.empty();
  }();
  ASSERT_TRUE(graded) << "the sample class couldn't be graded";
  fs::copy(made / "Library", folder, fs::copy_options::recursive);
}

std::pair<bool, bool> dragAndDrop(QWidget *area, const fs::path &file) {
  auto data = std::make_unique<QMimeData>();
  data->setUrls({QUrl::fromLocalFile(QString::fromStdString(file.string()))});
  QPoint centre = area->rect().center();
  QDragEnterEvent enter(centre, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(area, &enter);
  QDropEvent drop(QPointF(centre), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  drop.setAccepted(false);
  QApplication::sendEvent(area, &drop);
  return {enter.isAccepted(), drop.isAccepted()};
}

QStringList cells(const QAbstractItemView *view, int row) {
  QStringList texts;
  for (int c = 0; c < view->model()->columnCount(); ++c)
    texts << view->model()->index(row, c).data().toString();
  return texts;
}

QStringList column(const QAbstractItemView *view, int column) {
  QStringList texts;
  for (int r = 0; r < view->model()->rowCount(); ++r)
    texts << view->model()->index(r, column).data().toString();
  return texts;
}

} // namespace ovalon::testing
