#include "support/GradingFixtures.h"
#include "workflow/RosterUpdate.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ovalon {
namespace {

Bytes bytesOf(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

bool hasIDFlag(const ScannedSheet &sheet) {
  return std::ranges::any_of(sheet.flags,
                             [](const ReviewFlag &f) { return f.kind == FlagKind::studentID; });
}

TEST(RosterUpdate, importedRosterReplacesTheOldOneAndRefreshesIDFlags) {
  ExamDocument doc = ExamDocument::make(fixtures::examWithKey(3, 4, {0, 1, 2}));
  doc.roster.students = {{"111111", "Old", "Student"}};
  doc.sheets = {fixtures::sheetAnswering(doc.exam, {0, 1, 2}, 0, "204501")};

  auto imported = RosterUpdate::importRoster(
      doc, bytesOf("ID,First,Last\n204501,Avery,Brooks\n204502,Jordan,Pike\n"), "class.csv");
  ASSERT_TRUE(imported) << imported.error();
  EXPECT_EQ(std::tuple(imported->title, imported->notes.size(), doc.roster.students.size(),
                       hasIDFlag(doc.sheets[0])),
            std::tuple(std::string("Imported 2 students"), 0uz, 2uz, false));

  imported = RosterUpdate::importRoster(doc, bytesOf("ID,Name\n9204502,Jordan Pike\n"), "x.csv");
  ASSERT_TRUE(imported);
  EXPECT_EQ(imported->title, "Imported 1 student");
  EXPECT_TRUE(hasIDFlag(doc.sheets[0])) << "204501 is no longer on the roster";
  EXPECT_EQ(imported->notes.back(), "Some IDs have 7 digits but the sheet has 6 ID columns. "
                                    "Raise \u201CID digits\u201D before printing.");
}

TEST(RosterUpdate, aFileThatIsNotARosterLeavesTheDocumentAlone) {
  ExamDocument doc = ExamDocument::make(fixtures::examWithKey(3, 4, {0, 1, 2}));
  doc.roster.students = {{"111111", "Old", "Student"}};
  ExamDocument before = doc;
  auto imported = RosterUpdate::importRoster(doc, bytesOf("just some words"), "notes.csv");
  ASSERT_FALSE(imported);
  EXPECT_FALSE(imported.error().empty());
  EXPECT_EQ(doc, before);

  doc.exam.setIDDigits(0);
  imported = RosterUpdate::importRoster(doc, bytesOf("ID\n204501\n"), "ids.csv");
  ASSERT_TRUE(imported) << imported.error();
  EXPECT_EQ(imported->notes.back(),
            "This test has no ID bubbles, so each sheet's student is picked in Review.");
}

} // namespace
} // namespace ovalon
