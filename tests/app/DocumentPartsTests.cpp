#include "model/DocumentParts.h"
#include "support/GradingFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace ovalon {
namespace {

using namespace fixtures;

// A keyed four-question test with a roster and one graded sheet carrying two open flags.
ExamDocument base() {
  ExamDocument doc = ExamDocument::make(examWithKey(4, 4, {0, 1, 2, 3}));
  doc.roster.students = {{"1001", "Ada", "Lovelace"}};
  ScannedSheet sheet = sheetAnswering(doc.exam, {std::nullopt, std::nullopt, 2, 3}, 0, "1001");
  doc.sheets = {sheet};
  return doc;
}

using Edit = std::function<void(ExamDocument &)>;

TEST(DocumentParts, editsCollideOnlyOnACommonPartAndMergeWithOursWinning) {
  const Edit title = [](ExamDocument &d) { d.exam.title = "Unit 3"; };
  const Edit otherTitle = [](ExamDocument &d) { d.exam.title = "Unit 4"; };
  const Edit key1 = [](ExamDocument &d) { d.exam.setKey(0, {3}, 1, false); };
  const Edit key1Points = [](ExamDocument &d) { d.exam.setKey(0, {0}, 2, false); };
  const Edit key2 = [](ExamDocument &d) { d.exam.setKey(1, {3}, 1, false); };
  const Edit roster = [](ExamDocument &d) { d.roster.students.push_back({"1002", "A", "T"}); };
  const Edit newSheet = [](ExamDocument &d) {
    d.sheets.push_back(sheetAnswering(d.exam, {0, 1, 2, 3}, 0, "1002"));
  };
  const auto decide = [](size_t flag, Resolution resolution) -> Edit {
    return [=](ExamDocument &d) { d.sheets[0].flags[flag].resolution = resolution; };
  };
  const Edit firstFlag = decide(0, Resolution::blank()),
             secondFlag = decide(1, Resolution::blank());
  const Edit firstFlagOtherwise = decide(0, Resolution::choice(1));
  const Edit removeSheet = [](ExamDocument &d) { d.sheets.clear(); };
  const Edit reshuffle = [](ExamDocument &d) { d.exam.setVersionCount(2); };
  const Edit a4Paper = [](ExamDocument &d) { d.exam.paper = Paper::a4; };

  // The last column: ours re-applied to theirs gives both edits, ours last; false where ours
  // can't apply after theirs (its sheet is gone), and theirs is kept.
  const std::vector<std::tuple<const char *, Edit, Edit, bool, bool>> cases{
      {"title and a key", title, key1, false, true},
      {"both titles", title, otherTitle, true, true},
      {"one question's key twice", key1, key1Points, true, true},
      {"two questions' keys", key1, key2, false, true},
      {"roster and a new sheet", roster, newSheet, false, true},
      {"two flags of one sheet", firstFlag, secondFlag, false, true},
      {"one flag twice", firstFlag, firstFlagOtherwise, true, true},
      {"a decision on a sheet removed elsewhere", firstFlag, removeSheet, true, false},
      {"a sheet removed here, decided elsewhere", removeSheet, firstFlag, true, true},
      {"versions and paper", reshuffle, a4Paper, false, true},
      {"nothing elsewhere", title, [](ExamDocument &) {}, false, true},
  };
  const ExamDocument origin = base();
  for (const auto &[what, editOurs, editTheirs, collide, bothApply] : cases) {
    ExamDocument ours = origin, theirs = origin;
    editOurs(ours);
    editTheirs(theirs);
    EXPECT_EQ(DocumentParts::collide(origin, ours, theirs), collide) << what;
    EXPECT_EQ(DocumentParts::collide(origin, theirs, ours), collide) << what << ", swapped";
    ExamDocument both = theirs;
    if (bothApply)
      editOurs(both);
    EXPECT_EQ(DocumentParts::merge(origin, ours, theirs), both) << what;
  }
}

} // namespace
} // namespace ovalon
