#include "ShellTestWindow.h"

#include "library/FileIO.h"
#include "screens/OvalonCommands.h"
#include "screens/QtPanels.h"
#include "screens/SheetPicture.h"
#include "sheets/SheetLayout.h"
#include "support/RenderedPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>

namespace ovalon {
namespace {

using namespace testing;

TEST(Sheets, thePreviewFollowsVersionPageAndTheRostersFirstStudent) {
  ShellTestWindow shell;
  shell.model->newTest();
  shell.model->setTab(AppModel::Tab::sheets);
  EXPECT_FALSE(shell.find<QRadioButton>("printForRoster")->isEnabled());
  EXPECT_FALSE(shell.find<QPushButton>("previewPage2")->isVisible());

  shell.model->update([](ExamDocument &d) {
    d.exam.setQuestionCount(120);
    d.exam.setVersionCount(2);
    d.roster.students = {{"22", "Zoe", "Young"}, {"11", "Al", "Adams"}};
  });
  SheetPicture *picture = shell.find<SheetPicture>("sheetPicture");
  const Exam &exam = shell.model->selectedDocument()->exam;
  EXPECT_EQ(picture->image(), SheetPicture::render(exam, 0, 1, std::nullopt, 150));

  auto *version = shell.find<QComboBox>("printVersion");
  version->setCurrentIndex(1);
  emit version->activated(1);
  EXPECT_EQ(shell.model->printVersion(), 1);
  EXPECT_EQ(shell.find<QLabel>("previewTitle")->text(), "Preview of version B");
  shell.click("previewPage2");
  EXPECT_EQ(shell.model->previewPage(), 2);
  EXPECT_EQ(picture->image(), SheetPicture::render(exam, 1, 2, std::nullopt, 150));

  shell.click("printForRoster");
  EXPECT_TRUE(shell.model->printForRoster());
  SheetFill adams{"Al Adams", "11", false};
  EXPECT_EQ(picture->image(), SheetPicture::render(exam, 1, 2, adams, 150));

  // Dealt in turn, the preview is the first student's sheet, version A, and the
  // version picker steps aside.
  auto *deal = shell.find<QCheckBox>("printDealsVersions");
  ASSERT_TRUE(deal->isVisible());
  deal->click();
  EXPECT_TRUE(shell.model->printDealsVersions());
  EXPECT_FALSE(version->isEnabled());
  EXPECT_EQ(shell.find<QLabel>("previewTitle")->text(), "Preview of version A");
  EXPECT_EQ(picture->image(), SheetPicture::render(exam, 0, 2, adams, 150));
  shell.click("printBlank");
  EXPECT_FALSE(deal->isEnabled());
  EXPECT_TRUE(version->isEnabled());
}

// The printed page as poppler draws it, compared with the page our renderer draws: the
// mean difference of their pixels, 0 to 255.
double difference(const GrayBitmap &printed, const QImage &expected) {
  QImage drawn = expected.convertToFormat(QImage::Format_Grayscale8);
  if (printed.width != drawn.width() || printed.height != drawn.height())
    return 255;
  double sum = 0;
  for (int y = 0; y < drawn.height(); ++y)
    for (int x = 0; x < drawn.width(); ++x)
      sum += std::abs(int(printed.pixels[static_cast<size_t>(y * printed.width + x)]) -
                      int(qGray(drawn.pixel(x, y))));
  return sum / (drawn.width() * drawn.height());
}

TEST(Sheets, printingHonoursThePageRangeAndCentresEachSheetOnOtherPaper) {
  TempDir dir;
  Exam exam = Exam::untitled();
  exam.title = "Unit 7 Quiz";
  exam.setQuestionCount(130);
  PrintJob job{exam, {{0, 1, {}}, {0, 2, {}}, {0, 1, SheetFill{"Ann Lee", "42", false}}}};
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString((dir / "range.pdf").string()));
  printer.setResolution(72);
  QtPanels::preparePrinter(printer, exam);
  printer.setPrintRange(QPrinter::PageRange);
  printer.setFromTo(2, 3);
  ASSERT_TRUE(QtPanels::drawPages(printer, job));
  Bytes pdf = FileIO::read(dir / "range.pdf").value_or(Bytes{});
  auto facts = pdfFacts(pdf);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->pageCount, 2);
  EXPECT_EQ(facts->title, "Unit 7 Quiz");
  EXPECT_NEAR(facts->pageSize.width, 612, 1) << "the test's own paper, edge to edge";
  // The two pages printed are the job's second and third, in that order.
  for (int printed = 0; printed < 2; ++printed) {
    const PrintPage &page = job.pages[static_cast<size_t>(printed + 1)];
    auto rendered = renderPdfPage(pdf, printed, 72);
    ASSERT_TRUE(rendered);
    QImage drawn = SheetPicture::render(exam, page.version, page.page, page.fill, 72);
    const PrintPage &other = job.pages[static_cast<size_t>(printed == 0 ? 0 : 1)];
    QImage wrong = SheetPicture::render(exam, other.version, other.page, other.fill, 72);
    EXPECT_LT(difference(*rendered, drawn), difference(*rendered, wrong)) << printed;
    EXPECT_LT(difference(*rendered, drawn), 8) << printed;
  }

  // A Letter sheet sent to A4 paper keeps its size and sits in the middle of the page,
  // so its corner squares stay as far apart as the reader expects.
  printer.setOutputFileName(QString::fromStdString((dir / "a4.pdf").string()));
  printer.setPrintRange(QPrinter::AllPages);
  printer.setPageSize(QPageSize(QPageSize::A4));
  ASSERT_TRUE(QtPanels::drawPages(printer, {exam, {{0, 1, {}}}}));
  Bytes a4 = FileIO::read(dir / "a4.pdf").value_or(Bytes{});
  auto page = renderPdfPage(a4, 0, 72);
  ASSERT_TRUE(page);
  SheetLayout layout(exam);
  Size paper{595.3, 841.9};
  double dx = (paper.width - layout.pageSize.width) / 2;
  double dy = (paper.height - layout.pageSize.height) / 2;
  for (int corner = 0; corner < 4; ++corner) {
    Rect square = layout.cornerRect(corner);
    Rect inner{square.x + dx + 3, square.y + dy + 3, square.width - 6, square.height - 6};
    EXPECT_LT(region(*page, inner, 72).mean, 60) << corner;
    Rect beside{square.x + dx + square.width + 4, square.y + dy + 3, 6, square.height - 6};
    EXPECT_GT(region(*page, beside, 72).mean, 200) << corner;
  }
}

TEST(Sheets, printPreviewShowsEveryPageThatWillPrint) {
  ShellTestWindow shell;
  shell.model->newTest();
  shell.model->update([](ExamDocument &d) { d.exam.setQuestionCount(120); });
  shell.model->setPrintCopies(3);
  int pages = -1;
  QTimer::singleShot(0, [&pages] {
    QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
    QWidget *preview = QApplication::activeModalWidget();
    EXPECT_EQ(preview->objectName(), "printPreview");
    if (auto *widget = preview->findChild<QPrintPreviewWidget *>())
      pages = widget->pageCount();
    preview->close();
  });
  shell.window->commands().action("printPreview")->trigger();
  EXPECT_EQ(pages, static_cast<int>(shell.model->printPages().size()));
  EXPECT_EQ(pages, 6);
}

} // namespace
} // namespace ovalon
