#include "reports/Reports.h"

#include "model/Choices.h"
#include "reports/ReportPage.h"
#include "sheets/PdfWriter.h"

#include <algorithm>
#include <string>

namespace ovalon::Reports {

namespace {

using ReportPage::contentWidth;
using ReportPage::left;

constexpr int rowsPerColumn = Exam::questionsPerPage / 4;

std::string explanation(int version) {
  if (version == 0)
    return "The master order. Other versions list the master question each one comes from.";
  const std::string letter = Choices::letter(version);
  return "Each line: the number printed on version " + letter +
         ", its answer, and the master question (version A) it comes from.";
}

// Printed positions [first, end) of one version, four columns of 25 filled top to bottom.
void drawListing(Canvas &canvas, const Exam &exam, int version, int first, int end) {
  const ExamVersion &printed = exam.versions[static_cast<size_t>(version)];
  const std::vector<std::set<int>> key = exam.printedKey(version);
  canvas.drawText(TextLine{exam.title + ": Version " + Choices::letter(version) + " answer key",
                           Font::helveticaBold(16), 0.05}
                      .truncated(contentWidth),
                  {left, 60});
  canvas.drawText({explanation(version), Font::helvetica(9), 0.4}, {left, 78});
  const int known = std::min(end, static_cast<int>(key.size()));
  for (int position = first; position < known; ++position) {
    const int slot = position - first;
    const double x = left + 129.0 * (slot / rowsPerColumn);
    const double y = 112 + 24.0 * (slot % rowsPerColumn);
    canvas.drawText({std::to_string(position + 1) + ".", Font::helveticaBold(11), 0.2}, {x, y});
    const TextLine answer{Choices::text(key[static_cast<size_t>(position)]),
                          Font::helveticaBold(12), 0};
    canvas.drawText(answer, {x + 32, y});
    if (version != 0)
      canvas.drawText(
          {"(Q" + std::to_string(printed.question(position) + 1) + ")", Font::helvetica(8.5), 0.45},
          {x + 32 + answer.width() + 6, y});
  }
}

} // namespace

std::optional<Bytes> answerKeysPDF(const Exam &exam) {
  std::optional<PdfWriter> writer = PdfWriter::open(ReportPage::size, exam.title + " Answer Keys");
  if (!writer)
    return std::nullopt;
  const int pagesPerVersion = exam.pageCount();
  const std::string footer = "Ovalon · Test " + exam.examCode();
  for (int version = 0; version < static_cast<int>(exam.versions.size()); ++version) {
    for (int page = 0; page < pagesPerVersion; ++page) {
      const int first = page * Exam::questionsPerPage;
      const int end = std::min(first + Exam::questionsPerPage, exam.questionCount);
      Canvas &canvas = writer->beginPage();
      ReportPage::flip(canvas);
      drawListing(canvas, exam, version, first, end);
      ReportPage::drawFooter(canvas, footer);
      writer->endPage();
    }
  }
  return writer->close();
}

} // namespace ovalon::Reports
