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
struct ScannedKeyCheck : QuizModel {
  ScannedKeyCheck() {
    SimulatedSheet key = keySheet(doc.exam, {3, 2, 1, 0, 3, 2, 1, 0, 3, 2});
    key.answers[3] = std::nullopt;
    writeScan(dir / "key.pdf", doc.exam, {key});
    model->scanAnswerKey(dir / "key.pdf");
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
  KeyCheckView view(model);
  view.show();
  auto *use = view.findChild<QPushButton *>("useKey");
  auto *left = view.findChild<QLabel *>("leftToSettle");
  EXPECT_FALSE(use->isEnabled());
  EXPECT_EQ(left->text(), "1 to settle above");

  // Clean rows start from the scan; changing one back to the key's answer settles nothing.
  ASSERT_TRUE(letter(view, 1, "D"));
  EXPECT_TRUE(letter(view, 1, "D")->isChecked());
  QTest::mouseClick(letter(view, 1, "A"), Qt::LeftButton);
  EXPECT_FALSE(use->isEnabled());
  // The blank row needs a look until the key's answer is kept or a letter picked for it.
  QTest::mouseClick(view.findChild<QWidget *>("question4")->findChild<QPushButton *>("keepKey"),
                    Qt::LeftButton);
  EXPECT_TRUE(use->isEnabled());
  EXPECT_EQ(view.answers()[3], std::nullopt);
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

} // namespace
} // namespace ovalon
