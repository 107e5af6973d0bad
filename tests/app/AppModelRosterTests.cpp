#include "AppTestScans.h"
#include "ScriptedPanels.h"

#include "grading/Assembly.h"
#include "model/AppModel.h"
#include "support/GradingFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

using namespace testing;
using namespace fixtures;

bool hasIDFlag(const ScannedSheet &sheet) {
  return std::ranges::any_of(sheet.flags,
                             [](const ReviewFlag &f) { return f.kind == FlagKind::studentID; });
}

// The quiz with its three students and two graded sheets: 1001 (on the roster) and
// 9999 (not on it, so flagged).
struct RosterSetup {
  TempDir dir;
  ExamDocument doc = quizDocument();
  ScriptedPanels panels;
  std::unique_ptr<AppModel> model;

  RosterSetup() {
    ScannedSheet listed = sheetAnswering(doc.exam, {0, 1, 2, 3, 0, 1, 2, 3, 0, 1}, 0, "1001");
    ScannedSheet unlisted = sheetAnswering(doc.exam, {0, 1, 2, 3, 0, 1, 2, 3, 0, 1}, 0, "9999");
    listed.number = 1;
    unlisted.number = 2;
    doc.sheets = Assembly::refreshIDFlags({listed, unlisted}, doc.exam, doc.roster.students);
    ExamLibrary library{dir / "Library"};
    EXPECT_TRUE(library.save(doc));
    model = std::make_unique<AppModel>(library);
    model->setPanels(&panels);
  }
  const ExamDocument &current() const { return *model->selectedDocument(); }
};

TEST(AppModelRoster, clearingAsksFirstThenDropsTheFlagsTheRosterRaised) {
  RosterSetup setup;
  AppModel &model = *setup.model;
  ASSERT_TRUE(hasIDFlag(setup.current().sheets[1])) << "9999 isn't on the roster";
  EXPECT_EQ(model.openItemCount(), 1);
  const auto &students = setup.doc.roster.students; // Lovelace, Turing, Hopper
  EXPECT_EQ(model.rosterRows(),
            (std::vector<RosterRow>{{students[2], {}}, {students[0], {1}}, {students[1], {}}}))
      << "in class-list order, each with the sheets that count for them";

  setup.panels.confirmAnswers = {false, true};
  model.clearRoster();
  ASSERT_EQ(setup.panels.questionsAsked.size(), 1u);
  EXPECT_EQ(setup.panels.questionsAsked[0],
            (Question{"Clear the roster of \u201CQuiz\u201D?",
                      "3 students are taken off this test. Graded sheets keep the IDs read from "
                      "them.",
                      "Clear Roster"}));
  EXPECT_EQ(setup.current().roster.students.size(), 3u) << "the teacher said no";

  model.clearRoster();
  EXPECT_TRUE(setup.current().roster.students.empty());
  EXPECT_FALSE(hasIDFlag(setup.current().sheets[1])) << "no roster, so nobody is off it";
  EXPECT_EQ(model.openItemCount(), 0);
  EXPECT_EQ(setup.current().sheets[1].readID, "9999");
  EXPECT_TRUE(model.hasPendingSave(setup.doc.exam.id));

  EXPECT_TRUE(model.rosterRows().empty());
  model.clearRoster(); // nothing left to clear: nothing asked
  EXPECT_EQ(setup.panels.questionsAsked.size(), 2u);
}

} // namespace
} // namespace ovalon
