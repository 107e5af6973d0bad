#include "AppTestScans.h"
#include "ScreenHelpers.h"

#include "grading/Assembly.h"
#include "library/FileIO.h"
#include "model/AppModel.h"
#include "screens/ReviewList.h"
#include "screens/ReviewView.h"
#include "support/TempDir.h"
#include "support/TestSheetPage.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace ovalon {
namespace {

using namespace testing;

// The graded sample class in a library of the test's own.
struct SampleClassModel {
  TempDir dir;
  std::unique_ptr<AppModel> model;

  SampleClassModel() {
    copyGradedSampleLibrary(dir / "Library");
    model = std::make_unique<AppModel>(ExamLibrary{dir / "Library"});
  }

  const ExamDocument &doc() const { return *model->selectedDocument(); }
  const ScannedSheet &sheet(const Uuid &id) const {
    return *std::ranges::find(doc().sheets, id, &ScannedSheet::id);
  }
  const ReviewFlag &flag(const Review::Item &item) const {
    const auto &target = std::get<Review::Item::Flag>(item.target);
    return *std::ranges::find(sheet(target.sheet).flags, target.flag, &ReviewFlag::id);
  }
};

void showActive(QWidget &widget) {
  widget.resize(1280, 820);
  widget.show();
  QApplication::setActiveWindow(&widget);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&widget));
}

template <typename T> T *child(QWidget &parent, const char *name) {
  T *found = parent.findChild<T *>(name);
  EXPECT_TRUE(found) << name;
  return found;
}

// The list and the model select together; a student ID flag takes a suggestion or a typed
// ID, and Undo opens it again.
TEST(ReviewView, theListFollowsTheModelAndAnIDFlagTakesASuggestionOrATypedID) {
  SampleClassModel sample;
  AppModel &model = *sample.model;
  ReviewView review(model);
  showActive(review);
  auto *list = child<ReviewList>(review, "reviewList");
  auto items = model.reviewItems();
  ASSERT_EQ(list->model()->rowCount(), static_cast<int>(items.size()));
  list->setCurrentIndex(list->model()->index(2, 0));
  EXPECT_EQ(model.reviewSelection(), items[2]);
  model.selectNextItem();
  EXPECT_EQ(list->currentIndex().row(), 3);
  EXPECT_EQ(list->selectionModel()->selectedIndexes().size(), 1);

  // Each row names its sheet; a settled one says what was decided.
  const auto &target = std::get<Review::Item::Flag>(items[3].target);
  auto text = [list] { return list->model()->index(3, 0).data().toString(); };
  EXPECT_TRUE(text().contains("Sheet " + QString::number(sample.sheet(target.sheet).number)));
  model.resolve(target.sheet, target.flag, Resolution::choice(1));
  EXPECT_TRUE(text().contains("Set to B")) << text().toStdString();

  auto idFlag = std::ranges::find_if(items, [&](const Review::Item &item) {
    return sample.flag(item).kind == FlagKind::studentID;
  });
  ASSERT_NE(idFlag, items.end()) << "the sample class has an unlisted ID";
  const Review::Item item = *idFlag;
  const auto &id = std::get<Review::Item::Flag>(item.target);
  model.setReviewSelection(item);
  // The ID bubbles and the name line as scanned, from the test's picture folder.
  const auto labels = review.findChildren<QLabel *>();
  for (const QString caption : {"Scanned student ID bubbles", "Scanned name line"}) {
    auto shown = std::ranges::find_if(
        labels, [&](const QLabel *label) { return label->accessibleName().startsWith(caption); });
    ASSERT_NE(shown, labels.end()) << caption.toStdString();
    EXPECT_FALSE((*shown)->pixmap().isNull()) << caption.toStdString();
  }
  auto *likely = review.findChild<QPushButton *>("suggestion0");
  ASSERT_TRUE(likely) << "the sample's unlisted ID comes with a readable name";
  std::string suggested = likely->text().section(", ID ", 1).toStdString();
  likely->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(sample.flag(item).resolution, Resolution::student(suggested));
  model.resolve(id.sheet, id.flag, std::nullopt);
  model.setReviewSelection(item);

  auto *typed = child<QLineEdit>(review, "typedID");
  typed->setFocus();
  QTest::keyClicks(typed, "204503");
  EXPECT_FALSE(sample.flag(item).resolution) << "typing is not a decision";
  QTest::keyClick(typed, Qt::Key_Return);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(sample.flag(item).resolution, Resolution::student("204503"));
  model.setReviewSelection(item);
  child<QPushButton>(review, "undo")->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(model.isOpen(item));
}

// Mark All Blanks settles every open blank of the sheet; one button accepts every ID
// that is only off the roster.
TEST(ReviewView, theBulkButtonsSettleEveryBlankOfASheetAndEveryOffRosterID) {
  SampleClassModel sample;
  AppModel &model = *sample.model;
  auto items = model.reviewItems();
  auto blank = std::ranges::find_if(
      items, [&](const Review::Item &item) { return sample.flag(item).kind == FlagKind::blank; });
  ASSERT_NE(blank, items.end());
  const Uuid sheetID = std::get<Review::Item::Flag>(blank->target).sheet;
  ReviewFlag second = sample.flag(*blank);
  second.id = Uuid::random();
  second.position = (*second.position + 1) % sample.doc().exam.questionCount;
  // A second blank on that sheet, and two graded students gone from the roster.
  model.update([&](ExamDocument &d) {
    std::ranges::find(d.sheets, sheetID, &ScannedSheet::id)->flags.push_back(second);
    for (int leaving = 0; leaving < 2; ++leaving)
      std::erase_if(d.roster.students, [&](const Student &student) {
        return student.id == d.sheets.at(static_cast<size_t>(leaving)).studentID();
      });
    d.sheets = Assembly::refreshIDFlags(std::move(d.sheets), d.exam, d.roster.students);
  });
  ASSERT_GE(model.offRosterIDCount(), 2);
  ReviewView review(model);
  showActive(review);

  model.setReviewSelection(*blank);
  auto *all = child<QPushButton>(review, "markAllBlank");
  EXPECT_TRUE(all->text().startsWith("Mark All 2 Blanks")) << all->text().toStdString();
  all->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  for (const ReviewFlag &flag : sample.sheet(sheetID).flags)
    if (flag.kind == FlagKind::blank) {
      EXPECT_EQ(flag.resolution, Resolution::blank());
    }

  auto *accept = child<QPushButton>(review, "acceptOffRosterIDs");
  accept->click();
  EXPECT_EQ(model.offRosterIDCount(), 0);
  EXPECT_FALSE(accept->isVisible());
}

// A photographed sheet whose code is smudged: the teacher says which version it is.
TEST(ReviewView, anUnreadPageIsGradedAsTheVersionPicked) {
  TempDir dir;
  Exam exam = testExam(20, 4, 0, Paper::letter);
  exam.setVersionCount(2);
  ASSERT_TRUE(ExamLibrary{dir / "Library"}.save(ExamDocument::make(exam)));
  ASSERT_TRUE(FileIO::writeAtomically(dir / "IMG_0002.png", smudgedCodePhoto(exam)));
  AppModel model(ExamLibrary{dir / "Library"});
  model.importPhotos({dir / "IMG_0002.png"});
  ASSERT_TRUE(waitUntilIdle(model));
  model.waitForBackgroundWrites();
  model.clearMessage();
  ASSERT_EQ(model.selectedDocument()->issues.size(), 1u);

  ReviewView review(model);
  showActive(review);
  model.selectNextOpenItem();
  auto *picture = child<QLabel>(review, "issuePicture");
  EXPECT_FALSE(picture->pixmap().isNull()) << "the stored page should be shown";
  auto *version = child<QComboBox>(review, "issueVersion");
  ASSERT_EQ(version->count(), 2);
  version->setCurrentIndex(1);
  const Uuid stored = *model.selectedDocument()->issues[0].image;
  child<QPushButton>(review, "gradeAsVersion")->click();
  ASSERT_TRUE(model.progress()) << "the page is read off the interface thread";
  EXPECT_EQ(model.progress()->title, "Reading the page as version B\u2026");
  ASSERT_TRUE(waitUntilIdle(model));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  const ExamDocument &doc = *model.selectedDocument();
  EXPECT_TRUE(doc.issues.empty());
  ASSERT_EQ(doc.sheets.size(), 1u);
  EXPECT_EQ(doc.sheets[0].version, 1);
  EXPECT_EQ(doc.sheets[0].marks[5].choice, 1);
  model.waitForBackgroundWrites();
  EXPECT_FALSE(model.imageData(stored)) << "the unread page's own picture is gone";
}

} // namespace
} // namespace ovalon
