#include "ScreenHelpers.h"
#include "ShellTestWindow.h"

#include "screens/OvalonCommands.h"
#include "screens/TestListModel.h"

#include <QAction>
#include <QFile>
#include <QListView>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSplitter>

#include <gtest/gtest.h>

namespace ovalon {
namespace {

using namespace testing;

void saveTest(const std::filesystem::path &library, const std::string &title, double modified) {
  ExamDocument doc = ExamDocument::make(Exam::untitled());
  doc.exam.title = title;
  doc.modified = Date{modified};
  ASSERT_TRUE(ExamLibrary{library}.save(doc));
}

QString rowTitle(const QListView *list, int row) {
  return list->model()->index(row, 0).data().toString();
}

TEST(Desktop, theSidebarListsNewestFirstFindsByTypingAndHighlightsTheTestShown) {
  ShellTestWindow shell([](const std::filesystem::path &library) {
    saveTest(library, "Algebra", 1000);
    saveTest(library, "Chemistry", 3000);
    saveTest(library, "Biology", 2000);
  });
  auto *list = shell.find<QListView>("testList");
  EXPECT_EQ(column(list, 0), (QStringList{"Chemistry", "Biology", "Algebra"}));
  EXPECT_EQ(rowTitle(list, list->currentIndex().row()),
            QString::fromStdString(shell.model->selectedDocument()->exam.title));

  // Typing a title's first letters picks that test, as in any list.
  list->setFocus();
  QTest::keyClicks(list, "alg");
  EXPECT_EQ(shell.model->selectedDocument()->exam.title, "Algebra");

  // Chosen elsewhere (a menu, a duplicate), the highlight follows; an edit moves the test up.
  Uuid biology = std::ranges::find(shell.model->documents(), std::string("Biology"),
                                   [](const ExamDocument &d) { return d.exam.title; })
                     ->exam.id;
  shell.model->select(biology);
  EXPECT_EQ(rowTitle(list, list->currentIndex().row()), "Biology");
  shell.model->update([](ExamDocument &d) { d.exam.title = "Biology 2"; });
  EXPECT_EQ(rowTitle(list, 0), "Biology 2");
  EXPECT_EQ(list->currentIndex().row(), 0);
  EXPECT_EQ(list->selectionModel()->selectedIndexes().size(), 1);
}

TEST(Desktop, theWindowComesBackWithItsSizeAndPanes) {
  QSize size(1010, 700);
  QList<int> panes;
  {
    ShellTestWindow first;
    first.window->resize(size);
    auto *splitter = first.find<QSplitter>("mainSplitter");
    splitter->setSizes({330, 680});
    // Only the teacher's own moves are remembered, so move it as a drag would.
    emit splitter->splitterMoved(330, 1);
    panes = splitter->sizes();
    ASSERT_TRUE(first.window->close());
  }
  ShellTestWindow second({}, true);
  EXPECT_EQ(second.window->size(), size);
  EXPECT_EQ(second.find<QSplitter>("mainSplitter")->sizes(), panes);

  ShellTestWindow fresh;
  EXPECT_EQ(fresh.window->size(), QSize(1280, 820));
}

// The README's table of keys is the menus' own: every row names a menu item and the
// keys it has, and every menu item with keys has its row.
TEST(Desktop, theReadmeNamesTheKeysTheMenusHave) {
  QFile readme(QString(OVALON_TESTS_DIR) + "/../README.md");
  ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
  QString text = QString::fromUtf8(readme.readAll());
  static const QRegularExpression row("^\\| (\\w+) > ([^|]+?) \\| ([^|]+?) \\|$",
                                      QRegularExpression::MultilineOption);
  std::map<std::string, std::string> documented; // "File > New Test" → "Ctrl+N"
  for (auto match = row.globalMatch(text); match.hasNext();) {
    auto found = match.next();
    documented[(found.captured(1) + " > " + found.captured(2)).toStdString()] =
        found.captured(3).toStdString();
  }
  ASSERT_GE(documented.size(), 10u) << "the README lists the menus' keys in a table";

  ShellTestWindow shell;
  std::map<std::string, std::string> menus;
  for (QAction *menu : shell.window->menuBar()->actions())
    for (QAction *item : menu->menu()->actions())
      if (!item->shortcut().isEmpty())
        menus[(menu->text().remove('&') + " > " + item->text()).toStdString()] =
            item->shortcut().toString(QKeySequence::NativeText).toStdString();
  EXPECT_EQ(documented, menus);
}

} // namespace
} // namespace ovalon
