#include "AppTestScans.h"

#include "library/FileIO.h"
#include "model/AppModel.h"
#include "support/RenderedPage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

using namespace testing;

int pdfPages(const std::filesystem::path &path) {
  auto facts = pdfFacts(FileIO::read(path).value_or(Bytes{}));
  return facts ? facts->pageCount : 0;
}

TEST(AppModelPrint, pagesFollowTheRosterOrTheCopies) {
  TempDir dir;
  AppModel model(ExamLibrary{dir.path()});
  EXPECT_TRUE(model.printPages().empty());
  EXPECT_FALSE(model.sheetsPanel());
  model.newTest();
  model.update([](ExamDocument &d) {
    d.exam.setQuestionCount(150);
    d.exam.setVersionCount(2);
    d.roster.students = {{"2", "Zoe", "Adams"}, {"1", "Bob", "Young"}};
  });
  model.setPrintCopies(0);
  model.setPrintVersion(1);
  EXPECT_EQ(model.printPages(), (std::vector<AppModel::PrintPage>{{1, 1, {}}, {1, 2, {}}}));

  model.setPrintForRoster(true);
  SheetFill zoe{"Zoe Adams", "2", false}, bob{"Bob Young", "1", false};
  EXPECT_EQ(model.printPages(),
            (std::vector<AppModel::PrintPage>{{1, 1, zoe}, {1, 2, zoe}, {1, 1, bob}, {1, 2, bob}}));
  model.update([](ExamDocument &d) { d.roster.students.clear(); });
  model.setPrintCopies(3);
  EXPECT_EQ(model.printPages().size(), 6u); // no roster: blank copies after all
}

TEST(AppModelPrint, sheetsAndTheKeySheetAreSavedAsPDF) {
  TempDir dir;
  AppModel model(ExamLibrary{dir / "Library"});
  model.newTest();
  model.update([](ExamDocument &d) {
    d.exam.title = "Quiz: Week 2";
    d.exam.setVersionCount(2);
    d.roster.students = {{"2", "Zoe", "Adams"}, {"1", "Bob", "Young"}, {"3", "Al", "Bo"}};
  });
  model.setPrintVersion(1);
  model.setPrintCopies(2);
  ASSERT_TRUE(model.sheetsPanel());
  EXPECT_EQ(model.sheetsPanel()->fileName, "Quiz - Week 2 Version B Sheets.pdf");
  EXPECT_EQ(model.sheetsPanel()->message, "Save the answer sheets as a PDF.");
  model.saveSheetsPDF(dir / "blank.pdf");
  EXPECT_EQ(pdfPages(dir / "blank.pdf"), 2);
  model.setPrintForRoster(true);
  model.saveSheetsPDF(dir / "roster.pdf");
  EXPECT_EQ(pdfPages(dir / "roster.pdf"), 3);
  EXPECT_NE(pdfPageText(*FileIO::read(dir / "roster.pdf"), 0).find("Zoe Adams"), std::string::npos);

  EXPECT_EQ(model.answerKeySheetPanel()->fileName, "Quiz - Week 2 Answer Key Sheet.pdf");
  EXPECT_EQ(model.answerKeySheetPanel()->message, "Save a sheet to bubble as the answer key.");
  model.saveAnswerKeySheet(dir / "key.pdf");
  EXPECT_EQ(pdfPages(dir / "key.pdf"), 1);
  EXPECT_NE(pdfPageText(*FileIO::read(dir / "key.pdf"), 0).find("ANSWER KEY"), std::string::npos);
  EXPECT_FALSE(model.message());
}

} // namespace
} // namespace ovalon
