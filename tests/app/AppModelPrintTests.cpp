#include "AppTestScans.h"

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

// The versions of a saved sheet PDF's pages, as their codes say.
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

// The print settings decide the pages, and what prints or saves is what the preview shows.
TEST(AppModelPrint, pagesFollowTheCopiesTheRosterAndTheVersionShown) {
  TempDir dir;
  AppModel model(ExamLibrary{dir / "Library"});
  EXPECT_TRUE(model.printPages().empty());
  model.newTest();
  model.update([](ExamDocument &d) {
    d.exam.title = "Quiz";
    d.exam.setQuestionCount(150);
    d.exam.setVersionCount(3);
    d.roster.students = {{"2", "Zoe", "Adams"}, {"1", "Bob", "Young"}, {"3", "Al", "Bo"}};
  });
  model.setPrintCopies(1);
  model.setPrintVersion(2);
  EXPECT_EQ(model.printPages(), (std::vector<PrintPage>{{2, 1, {}}, {2, 2, {}}}));
  EXPECT_EQ(model.sheetsPanel()->fileName, "Quiz Version C Sheets.pdf");

  // Made "A only", the test falls back to A everywhere, and a page past the end to the last.
  model.update([](ExamDocument &d) {
    d.exam.setVersionCount(1);
    d.exam.setQuestionCount(20);
  });
  EXPECT_EQ(model.printVersion(), 0);
  model.setPreviewPage(2);
  EXPECT_EQ(model.previewPage(), 1);
  EXPECT_EQ(model.printPages(), (std::vector<PrintPage>{{0, 1, {}}}));

  // For the roster: one sheet each in class-list order, dealt A, B, A when asked.
  model.setPrintForRoster(true);
  model.setPrintDealsVersions(true);
  SheetFill adams{"Zoe Adams", "2", false}, bo{"Al Bo", "3", false}, young{"Bob Young", "1", false};
  EXPECT_EQ(model.printPages(), (std::vector<PrintPage>{{0, 1, adams}, {0, 1, bo}, {0, 1, young}}))
      << "one version: nothing to deal";
  model.update([](ExamDocument &d) { d.exam.setVersionCount(2); });
  EXPECT_EQ(model.printPages(), (std::vector<PrintPage>{{0, 1, adams}, {1, 1, bo}, {0, 1, young}}));
  EXPECT_EQ(model.sheetsPanel()->fileName, "Quiz Sheets, Versions in Turn.pdf");
  model.saveSheetsPDF(dir / "dealt.pdf");
  EXPECT_EQ(printedVersions(dir / "dealt.pdf", 3), (std::vector<int>{0, 1, 0}));
  EXPECT_NE(pdfPageText(*FileIO::read(dir / "dealt.pdf"), 0).find("Zoe Adams"), std::string::npos);

  model.setPrintDealsVersions(false);
  model.setPrintVersion(1);
  EXPECT_EQ(model.printPages(), (std::vector<PrintPage>{{1, 1, adams}, {1, 1, bo}, {1, 1, young}}));
  model.update([](ExamDocument &d) { d.roster.students.clear(); });
  model.setPrintCopies(3);
  EXPECT_EQ(model.printPages().size(), 3u) << "no roster: blank copies after all";
  EXPECT_FALSE(model.message());
}

} // namespace
} // namespace ovalon
