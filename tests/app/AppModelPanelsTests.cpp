#include "AppTestScans.h"
#include "ScriptedPanels.h"

#include "library/FileIO.h"
#include "model/AppModel.h"
#include "support/RenderedPage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// The quiz, its title one that can't be a file name as it is.
ExamDocument weekTwo() {
  ExamDocument doc = quizDocument();
  doc.exam.title = "Quiz: Week 2";
  return doc;
}

TEST(AppModelPanels, savesAskWithTheSuggestedNameAndWriteOnlyWhereChosen) {
  QuizModel setup(weekTwo());
  AppModel &model = *setup.model;
  setup.panels.saveAnswers = {setup.dir / "sheets.pdf", setup.dir / "keysheet.pdf",
                              setup.dir / "keys.pdf"};
  model.saveSheetsPDF();
  model.saveAnswerKeySheet();
  model.exportAnswerKeys();
  model.saveSheetsPDF(); // cancelled: writes nothing, says nothing
  ASSERT_EQ(setup.panels.savesAsked.size(), 4u);
  EXPECT_EQ(setup.panels.savesAsked[0], *model.sheetsPanel());
  EXPECT_EQ(setup.panels.savesAsked[1].fileName, "Quiz - Week 2 Answer Key Sheet.pdf");
  EXPECT_EQ(setup.panels.savesAsked[2].fileName, "Quiz - Week 2 Answer Keys.pdf");
  EXPECT_FALSE(model.message());
  EXPECT_EQ(std::distance(fs::directory_iterator(setup.dir.path()), fs::directory_iterator()),
            4); // the library and the three files
  EXPECT_EQ(pdfFacts(FileIO::read(setup.dir / "keysheet.pdf").value_or(Bytes{}))->pageCount, 1);
}

TEST(AppModelPanels, openChoosersLeadToTheirJobsAndMarkThemselvesOpen) {
  QuizModel setup(weekTwo());
  AppModel &model = *setup.model;
  fs::path first = setup.dir / "Period 1.pdf", second = setup.dir / "Period 2.pdf";
  writeScan(first, setup.doc.exam, {filledSheet({0, 1, 2, 3, 0, 1, 2, 3, 0, 1}, "1001")});
  writeScan(second, setup.doc.exam, {filledSheet({0, 1, 2, 3, 0, 1, 2, 3, 0, 1}, "1002")});
  FileIO::writeAtomically(setup.dir / "class.csv",
                          std::string_view("ID,First,Last\n1001,Ada,Lovelace\n"));
  bool scansOpen = false, rosterOpen = false;
  setup.panels.whileOpen = [&] {
    scansOpen |= model.showScanImporter();
    rosterOpen |= model.showRosterImporter();
  };
  setup.panels.openAnswers = {{}, {first, second}, {setup.dir / "class.csv"}};

  model.gradeScans(); // cancelled
  EXPECT_TRUE(scansOpen);
  EXPECT_FALSE(model.showScanImporter());
  EXPECT_FALSE(model.progress());
  model.gradeScans();
  EXPECT_EQ(setup.panels.opensAsked[1].files, OpenPanel::Files::scans);
  ASSERT_TRUE(model.progress());
  EXPECT_EQ(model.progress()->title, "Reading 2 files\u2026");
  model.gradeScans(); // a run is going on: no chooser
  EXPECT_EQ(setup.panels.opensAsked.size(), 2u);
  ASSERT_TRUE(waitUntilIdle(model));
  EXPECT_EQ(setup.current().sheets.size(), 2u);

  model.importRoster();
  EXPECT_TRUE(rosterOpen);
  EXPECT_FALSE(model.showRosterImporter());
  EXPECT_EQ(setup.panels.opensAsked.back().files, OpenPanel::Files::roster);
  EXPECT_EQ(setup.current().roster.students.size(), 1u);
}

} // namespace
} // namespace ovalon
