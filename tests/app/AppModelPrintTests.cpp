#include "AppTestScans.h"
#include "ScriptedPanels.h"

#include "library/FileIO.h"
#include "model/AppModel.h"
#include "sheets/SheetIdentity.h"
#include "support/QrReading.h"
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

// The versions of a saved sheet PDF's pages, in order.
std::vector<int> printedVersions(const std::filesystem::path &pdf, int pages) {
  Bytes bytes = FileIO::read(pdf).value_or(Bytes{});
  std::vector<int> versions;
  for (int index = 0; index < pages; ++index)
    if (auto page = renderPdfPage(bytes, index, 150))
      for (const std::string &text : readQRCodes(*page))
        if (auto identity = SheetIdentity::parse(text))
          versions.push_back(identity->version);
  return versions;
}

// Choose version C, then make the test "A only": the preview falls back to A, and so must
// everything that prints or saves.
TEST(AppModelPrint, theVersionPrintedIsTheVersionShown) {
  TempDir dir;
  ScriptedPanels panels;
  AppModel model(ExamLibrary{dir / "Library"});
  model.setPanels(&panels);
  model.newTest();
  model.update([](ExamDocument &d) {
    d.exam.title = "Quiz";
    d.exam.setVersionCount(3);
  });
  model.setPrintVersion(2);
  model.setPrintCopies(1);
  EXPECT_EQ(model.printVersion(), 2);
  model.update([](ExamDocument &d) { d.exam.setVersionCount(1); });
  EXPECT_EQ(model.printVersion(), 0);

  EXPECT_EQ(model.sheetsPanel()->fileName, "Quiz Version A Sheets.pdf");
  model.printSheets();
  ASSERT_EQ(panels.printed.size(), 1u);
  for (const PrintPage &page : panels.printed[0].pages)
    EXPECT_EQ(page.version, 0);
  model.saveSheetsPDF(dir / "sheets.pdf");
  EXPECT_EQ(printedVersions(dir / "sheets.pdf", 1), std::vector<int>{0});

  model.setPrintVersion(3); // past the last version: the last one
  EXPECT_EQ(model.printVersion(), 0);
  model.setPreviewPage(2); // a 20-question test has one page
  EXPECT_EQ(model.previewPage(), 1);
}

TEST(AppModelPrint, rosterSheetsCanDealTheVersionsInTurn) {
  TempDir dir;
  AppModel model(ExamLibrary{dir / "Library"});
  model.newTest();
  model.update([](ExamDocument &d) {
    d.exam.title = "Quiz";
    d.roster.students = {{"2", "Zoe", "Adams"}, {"1", "Bob", "Young"}, {"3", "Al", "Bo"}};
  });
  model.setPrintForRoster(true);
  model.setPrintDealsVersions(true);
  EXPECT_EQ(model.printPages().size(), 3u);
  for (const PrintPage &page : model.printPages())
    EXPECT_EQ(page.version, 0) << "one version: nothing to deal";

  model.update([](ExamDocument &d) { d.exam.setVersionCount(2); });
  SheetFill adams{"Zoe Adams", "2", false}, bo{"Al Bo", "3", false}, young{"Bob Young", "1", false};
  EXPECT_EQ(model.printPages(), (std::vector<PrintPage>{{0, 1, adams}, {1, 1, bo}, {0, 1, young}}))
      << "A, B, A in class-list order";
  EXPECT_EQ(model.sheetsPanel()->fileName, "Quiz Sheets, Versions in Turn.pdf");
  model.saveSheetsPDF(dir / "dealt.pdf");
  EXPECT_EQ(printedVersions(dir / "dealt.pdf", 3), (std::vector<int>{0, 1, 0}));

  model.setPrintDealsVersions(false);
  model.setPrintVersion(1);
  for (const PrintPage &page : model.printPages())
    EXPECT_EQ(page.version, 1);
}

} // namespace
} // namespace ovalon
