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

TEST(AppModelRoster, theTeacherCanNameTheIDColumnAndSkippedRowsAreNamed) {
  RosterSetup setup;
  AppModel &model = *setup.model;
  std::filesystem::path file = setup.dir / "class.csv";
  ASSERT_TRUE(FileIO::writeAtomically(
      file, std::string_view("ID,Card,Name\n1,2001,Ada Lovelace\n2,none,Alan Turing\n")));
  EXPECT_EQ(AppModel::rosterColumns(file), (std::vector<std::string>{"ID", "Card", "Name"}));
  EXPECT_TRUE(AppModel::rosterColumns(setup.dir / "missing.csv").empty());

  model.importRoster(file, "Card");
  const Roster &roster = setup.current().roster;
  ASSERT_EQ(roster.students.size(), 1u);
  EXPECT_EQ(roster.students[0].id, "2001");
  ASSERT_TRUE(model.message());
  EXPECT_EQ(model.message()->title, "Imported 1 student");
  EXPECT_EQ(model.message()->detail, "1 row without a numeric ID was skipped (row 3).");

  model.importRoster(file, "Locker");
  EXPECT_EQ(model.message()->title, "That roster couldn\u2019t be imported");
  EXPECT_EQ(model.message()->detail, "That file has no column \u201CLocker\u201D.");
  EXPECT_EQ(setup.current().roster.students.size(), 1u);

  // Through Import Roster: the teacher is asked for the column only when no heading says.
  std::filesystem::path unnamed = setup.dir / "cards.csv";
  ASSERT_TRUE(FileIO::writeAtomically(
      unnamed, std::string_view("Card,Name\n3001,Grace Hopper\n3002,Alan Kay\n")));
  setup.panels.openAnswers = {{unnamed}, {unnamed}, {file}};
  model.importRoster(); // cancelled at the column
  ASSERT_EQ(setup.panels.choicesAsked.size(), 1u);
  EXPECT_EQ(setup.panels.choicesAsked[0].options, (std::vector<std::string>{"Card", "Name"}));
  EXPECT_EQ(setup.current().roster.students.size(), 1u);
  setup.panels.chooseAnswers = {0};
  model.importRoster();
  ASSERT_EQ(setup.current().roster.students.size(), 2u);
  EXPECT_EQ(setup.current().roster.students[0].id, "3001");
  model.importRoster(); // "ID" says it
  EXPECT_EQ(setup.panels.choicesAsked.size(), 2u);
  EXPECT_EQ(setup.current().roster.students.size(), 2u);
  EXPECT_EQ(setup.current().roster.students[0].id, "1");
}

// A class scanned with names written on the sheets, several of them off the roster.
struct NamedClass {
  TempDir dir;
  ExamDocument doc = quizDocument();
  std::unique_ptr<AppModel> model;

  NamedClass() {
    auto sheet = [&](int number, std::string id, std::string name) {
      ScannedSheet s = sheetAnswering(doc.exam, {0, 1, 2, 3, 0, 1, 2, 3, 0, 1}, 0, std::move(id));
      s.number = number;
      s.name = NameRead{std::move(name), {}, 0.95};
      return s;
    };
    doc.sheets = Assembly::refreshIDFlags(
        {sheet(1, "1001", "ADA LOVELACE"), sheet(2, "9999", "FARAH CASTILLO"),
         sheet(3, "10?3", "GRACE HOPPER"), sheet(4, "7777", "TWIN ONE"),
         sheet(5, "7777", "TWIN TWO"), sheet(6, "8888", "NOOR HADDAD")},
        doc.exam, doc.roster.students);
    ExamLibrary library{dir / "Library"};
    EXPECT_TRUE(library.save(doc));
    model = std::make_unique<AppModel>(library);
  }
  const ScannedSheet &sheet(int number) const {
    const auto &sheets = model->selectedDocument()->sheets;
    return *std::ranges::find(sheets, number, &ScannedSheet::number);
  }
  SheetStudent who(int number) const { return *model->sheetStudent(sheet(number).id); }
};

TEST(AppModelRoster, sheetsOffTheRosterShowTheNameWrittenOnThemWithSuggestions) {
  NamedClass named;
  SheetStudent ada = named.who(1);
  ASSERT_TRUE(ada.student);
  EXPECT_EQ(ada.student->name(), "Ada Lovelace");
  EXPECT_FALSE(ada.nameOnSheet) << "a roster student is shown by the roster's name";

  SheetStudent farah = named.who(2);
  EXPECT_FALSE(farah.student);
  EXPECT_EQ(farah.id, "9999");
  EXPECT_EQ(farah.nameOnSheet, "FARAH CASTILLO");

  SheetStudent unclear = named.who(3);
  EXPECT_EQ(unclear.id, "10?3");
  EXPECT_EQ(unclear.nameOnSheet, "GRACE HOPPER");
  ASSERT_FALSE(unclear.suggestions.empty());
  EXPECT_EQ(unclear.suggestions[0].student.id, "1003");
  EXPECT_EQ(unclear.suggestions[0].strength, NameMatch::Strength::likely);
  EXPECT_FALSE(named.model->sheetStudent(Uuid::random()));
}

TEST(AppModelRoster, everyIDOnlyOffTheRosterIsAcceptedAtOnceAndExportsKeepRosterNames) {
  NamedClass named;
  AppModel &model = *named.model;
  EXPECT_EQ(model.offRosterIDCount(), 2) << "9999 and 8888; 7777 is on two sheets, 10?3 unclear";
  model.acceptOffRosterIDs();
  EXPECT_EQ(model.offRosterIDCount(), 0);
  EXPECT_EQ(named.sheet(2).studentID(), "9999");
  EXPECT_EQ(named.sheet(6).studentID(), "8888");
  EXPECT_FALSE(named.sheet(4).studentID()) << "a twin ID still waits for the teacher";
  EXPECT_EQ(named.who(2).nameOnSheet, "FARAH CASTILLO") << "still not a roster name";

  model.setExcluded(named.sheet(5).id, true);
  EXPECT_EQ(model.offRosterIDCount(), 1);
  model.acceptOffRosterIDs();
  const ScannedSheet &unclear = named.sheet(3);
  model.resolve(unclear.id, unclear.flags.at(0).id, Resolution::student("1003"));
  ASSERT_EQ(model.exportBlocker(), std::nullopt);
  model.exportScores(named.dir / "scores.csv");
  std::string csv = FileIO::read(named.dir / "scores.csv")
                        .transform([](const Bytes &b) { return std::string(b.begin(), b.end()); })
                        .value_or("");
  EXPECT_NE(csv.find("1003,Hopper,Grace"), std::string::npos) << csv;
  EXPECT_NE(csv.find("9999"), std::string::npos);
  EXPECT_EQ(csv.find("FARAH"), std::string::npos) << "handwriting never reaches the gradebook";
}

} // namespace
} // namespace ovalon
