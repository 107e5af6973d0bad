#include "AppTestScans.h"

#include "model/AppModel.h"
#include "screens/KeyCheckView.h"
#include "support/TempDir.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace ovalon {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// The quiz with its key read from a bubbled key sheet whose question 4 was left blank.
struct ScannedKeyCheck {
  TempDir dir;
  ExamDocument doc = quizDocument();
  std::unique_ptr<AppModel> model;

  ScannedKeyCheck() {
    ExamLibrary library{dir / "Library"};
    EXPECT_TRUE(library.save(doc));
    model = std::make_unique<AppModel>(library);
    SimulatedSheet key = keySheet(doc.exam, {3, 2, 1, 0, 3, 2, 1, 0, 3, 2});
    key.answers[3] = std::nullopt;
    fs::path scan = dir / "key.pdf";
    writeScan(scan, doc.exam, {key});
    model->scanAnswerKey(scan);
    EXPECT_TRUE(waitUntilIdle(*model));
    EXPECT_TRUE(model->keyCheck());
  }

  const Exam &exam() const { return model->document(doc.exam.id)->exam; }
};

QPushButton *letter(KeyCheckView &view, int question, const char *choice) {
  auto *row = view.findChild<QWidget *>("question" + QString::number(question));
  return row ? row->findChild<QPushButton *>(QString("choice") + choice) : nullptr;
}

TEST(KeyCheckView, useThisKeyWaitsForTheDoubtfulRowAndWritesTheCheckedAnswers) {
  ScannedKeyCheck check;
  AppModel &model = *check.model;
  ASSERT_TRUE(model.keyCheck());
  KeyCheckView view(model);
  view.show();
  auto *use = view.findChild<QPushButton *>("useKey");
  auto *left = view.findChild<QLabel *>("leftToSettle");
  EXPECT_EQ(view.windowTitle(), "Check the Scanned Key");
  EXPECT_EQ(view.findChild<QLabel *>("keySummary")->text(),
            "1 answer needs you: pick the letter, or leave it as it is in the key.");
  EXPECT_FALSE(use->isEnabled());
  EXPECT_EQ(left->text(), "1 to settle above");

  // Clean rows start from the scan and show the key they would replace.
  ASSERT_TRUE(letter(view, 1, "D"));
  EXPECT_TRUE(letter(view, 1, "D")->isChecked());
  auto *row1 = view.findChild<QWidget *>("question1");
  auto labels = row1->findChildren<QLabel *>();
  EXPECT_TRUE(std::ranges::any_of(labels, [](QLabel *l) { return l->text() == "was A"; }));
  // Changing a clean row back to the key's answer needs nothing settled.
  QTest::mouseClick(letter(view, 1, "A"), Qt::LeftButton);
  EXPECT_FALSE(use->isEnabled());

  // The blank row needs a look until a letter is picked for it.
  auto *row4 = view.findChild<QWidget *>("question4");
  EXPECT_TRUE(std::ranges::any_of(row4->findChildren<QLabel *>(), [](QLabel *l) {
    return l->text() == "Needs a Look" && l->isVisible();
  }));
  QTest::mouseClick(letter(view, 4, "B"), Qt::LeftButton);
  EXPECT_TRUE(use->isEnabled());
  EXPECT_TRUE(left->text().isEmpty());

  QTest::mouseClick(use, Qt::LeftButton);
  EXPECT_FALSE(model.keyCheck());
  EXPECT_EQ(view.result(), QDialog::Accepted);
  EXPECT_FALSE(view.isVisible());
  const Exam &exam = check.exam();
  EXPECT_EQ(exam.key[0].correct, (std::set<int>{0})); // kept at A, as picked
  EXPECT_EQ(exam.key[1].correct, (std::set<int>{2})); // C from the scan
  EXPECT_EQ(exam.key[3].correct, (std::set<int>{1})); // B, picked for the blank row
  EXPECT_EQ(exam.key[9].correct, (std::set<int>{2}));
}

TEST(KeyCheckView, keepingTheKeysAnswerSettlesTheRowAndCancelLeavesTheKeyAlone) {
  ScannedKeyCheck check;
  KeyCheckView view(*check.model);
  view.show();
  QTest::mouseClick(view.findChild<QWidget *>("question4")->findChild<QPushButton *>("keepKey"),
                    Qt::LeftButton);
  EXPECT_TRUE(view.findChild<QPushButton *>("useKey")->isEnabled());
  EXPECT_EQ(view.answers()[3], std::nullopt);
  QTest::mouseClick(view.findChild<QPushButton *>("cancelKey"), Qt::LeftButton);
  EXPECT_FALSE(check.model->keyCheck());
  EXPECT_EQ(view.result(), QDialog::Rejected);
  EXPECT_EQ(check.exam().key, check.doc.exam.key);
}

} // namespace
} // namespace ovalon
