#include "AppTestScans.h"
#include "ScriptedPanels.h"

#include "grading/Assembly.h"
#include "library/FileIO.h"
#include "model/AppModel.h"
#include "support/GradingFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

using namespace testing;
using namespace fixtures;

// The quiz with its three students and graded sheets that carry a written name; sheet 2
// (9999), 6 (8888) and the twins (7777) are off the roster, sheet 3's ID is unclear.
ExamDocument rosterQuiz() {
  ExamDocument doc = quizDocument();
  auto sheet = [&](int number, std::string id, std::string name) {
    ScannedSheet s = sheetAnswering(doc.exam, {0, 1, 2, 3, 0, 1, 2, 3, 0, 1}, 0, std::move(id));
    s.number = number;
    s.name = NameRead{std::move(name), {}, 0.95};
    return s;
  };
  doc.sheets = Assembly::refreshIDFlags(
      {sheet(1, "1001", "ADA LOVELACE"), sheet(2, "9999", "FARAH CASTILLO"),
       sheet(3, "10?3", "GRACE HOPPER"), sheet(4, "7777", "TWIN ONE"), sheet(5, "7777", "TWIN TWO"),
       sheet(6, "8888", "NOOR HADDAD")},
      doc.exam, doc.roster.students);
  return doc;
}

struct RosterSetup : QuizModel {
  RosterSetup() : QuizModel(rosterQuiz()) {}
  const ScannedSheet &sheet(int number) const {
    return *std::ranges::find(current().sheets, number, &ScannedSheet::number);
  }
};

TEST(AppModelRoster, sheetsOffTheRosterGoByTheirWrittenNameAndCanBeAcceptedAtOnce) {
  RosterSetup setup;
  AppModel &model = *setup.model;
  const auto &students = setup.doc.roster.students; // Lovelace, Turing, Hopper
  EXPECT_EQ(model.rosterRows(),
            (std::vector<RosterRow>{{students[2], {}}, {students[0], {1}}, {students[1], {}}}));
  EXPECT_EQ(model.sheetStudent(setup.sheet(1).id)->student->name(), "Ada Lovelace");
  EXPECT_EQ(model.sheetStudent(setup.sheet(2).id)->nameOnSheet, "FARAH CASTILLO");
  SheetStudent unclear = *model.sheetStudent(setup.sheet(3).id);
  ASSERT_FALSE(unclear.suggestions.empty());
  EXPECT_EQ(unclear.suggestions[0].student.id, "1003");
  EXPECT_EQ(unclear.suggestions[0].strength, NameMatch::Strength::likely);

  EXPECT_EQ(model.offRosterIDCount(), 2) << "9999 and 8888; 7777 is on two sheets, 10?3 unclear";
  model.acceptOffRosterIDs();
  EXPECT_EQ(model.offRosterIDCount(), 0);
  EXPECT_EQ(setup.sheet(2).studentID(), "9999");
  EXPECT_FALSE(setup.sheet(4).studentID()) << "a twin ID still waits for the teacher";
  model.setExcluded(setup.sheet(5).id, true);
  EXPECT_EQ(model.offRosterIDCount(), 1);

  // Clearing asks first, then drops the flags the roster raised.
  setup.panels.confirmAnswers = {false, true};
  model.clearRoster();
  ASSERT_EQ(setup.panels.questionsAsked.size(), 1u);
  EXPECT_EQ(setup.panels.questionsAsked[0].title, "Clear the roster of \u201CQuiz\u201D?");
  EXPECT_EQ(setup.current().roster.students.size(), 3u) << "the teacher said no";
  model.clearRoster();
  EXPECT_TRUE(setup.current().roster.students.empty());
  EXPECT_EQ(model.offRosterIDCount(), 0);
  EXPECT_TRUE(model.hasPendingSave(setup.doc.exam.id));
}

TEST(AppModelRoster, importsAskForTheIDColumnOnlyWhenNoHeadingSaysAndReportWhatWasSkipped) {
  RosterSetup setup;
  AppModel &model = *setup.model;
  std::filesystem::path file = setup.dir / "class.csv";
  ASSERT_TRUE(FileIO::writeAtomically(
      file, std::string_view("ID,Card,Name\n1,2001,Ada Lovelace\n2,none,Alan Turing\n")));
  EXPECT_EQ(AppModel::rosterColumns(file), (std::vector<std::string>{"ID", "Card", "Name"}));
  model.importRoster(file, "Card");
  ASSERT_EQ(setup.current().roster.students.size(), 1u);
  EXPECT_EQ(setup.current().roster.students[0].id, "2001");
  EXPECT_EQ(setup.current().roster.sourceName, "class.csv");
  EXPECT_EQ(model.message()->title, "Imported 1 student");
  EXPECT_EQ(model.message()->detail, "1 row without a numeric ID was skipped (row 3).");
  model.importRoster(file, "Locker");
  EXPECT_EQ(model.message()->title, "That roster couldn\u2019t be imported");
  EXPECT_EQ(model.message()->detail, "That file has no column \u201CLocker\u201D.");
  EXPECT_EQ(setup.current().roster.students.size(), 1u);

  std::filesystem::path unnamed = setup.dir / "cards.csv";
  ASSERT_TRUE(FileIO::writeAtomically(
      unnamed, std::string_view("Card,Name\n3001234,Grace Hopper\n3002,Alan Kay\n")));
  setup.panels.openAnswers = {{unnamed}, {unnamed}, {file}};
  model.importRoster(); // cancelled at the column
  ASSERT_EQ(setup.panels.choicesAsked.size(), 1u);
  EXPECT_EQ(setup.panels.choicesAsked[0].options, (std::vector<std::string>{"Card", "Name"}));
  EXPECT_EQ(setup.current().roster.students.size(), 1u);
  setup.panels.chooseAnswers = {0};
  model.importRoster();
  ASSERT_EQ(setup.current().roster.students.size(), 2u);
  EXPECT_EQ(model.message()->detail, "Some IDs have 7 digits but the sheet has 4 ID columns. "
                                     "Raise \u201CID digits\u201D before printing.");
  model.importRoster(); // "ID" says it
  EXPECT_EQ(setup.panels.choicesAsked.size(), 2u);
  EXPECT_EQ(setup.current().roster.students[0].id, "1");
}

} // namespace
} // namespace ovalon
