#include "reports/Reports.h"

#include "model/Choices.h"
#include "reports/PointsText.h"
#include "reports/ReportPage.h"
#include "sheets/PdfWriter.h"

#include <algorithm>
#include <string>

namespace ovalon::Reports {

namespace {

constexpr double left = ReportPage::left;
constexpr int columns = 4;
constexpr int rowsPerColumn = Exam::questionsPerPage / columns;

std::string explanation(int version) {
  if (version == 0)
    return "The master order. Other versions list the master question each one comes from.";
  const std::string letter = Choices::letter(version);
  return "Each line: the number printed on version " + letter +
         ", its answer, and the master question (version A) it comes from.";
}

// What sets a question apart from a plain one-point question, or nothing.
std::string scoringNote(const QuestionKey &key) {
  std::string note = key.dropped ? "dropped" : "";
  if (key.points != 1)
    note += (note.empty() ? "" : " · ") + pointsText(key.points) + " points";
  return note;
}

// One entry: the printed number, its answer (struck through when the question is dropped),
// the master question past version A, and under the answer what it is worth when that is
// not one point.
void drawEntry(Canvas &canvas, Point at, int number, const std::string &answer,
               const QuestionKey &key, std::optional<int> master) {
  canvas.drawText({std::to_string(number) + ".", Font::helveticaBold(11), 0.2}, at);
  const TextLine answerLine{answer, Font::helveticaBold(12), key.dropped ? 0.55 : 0};
  const Point answerAt{at.x + 32, at.y};
  canvas.drawText(answerLine, answerAt);
  if (key.dropped) {
    canvas.setStrokeGray(0.35);
    canvas.setLineWidth(0.9);
    canvas.moveTo({answerAt.x - 1, answerAt.y - 4});
    canvas.lineTo({answerAt.x + answerLine.width() + 1, answerAt.y - 4});
    canvas.strokePath();
  }
  if (master)
    canvas.drawText({"(Q" + std::to_string(*master + 1) + ")", Font::helvetica(8.5), 0.45},
                    {answerAt.x + answerLine.width() + 6, at.y});
  if (const std::string note = scoringNote(key); !note.empty())
    canvas.drawText({note, Font::helvetica(7.5), 0.35}, {answerAt.x, at.y + 9.5});
}

// Printed positions [first, end) of one version, four columns of 25 filled top to bottom.
void drawListing(Canvas &canvas, const ReportPage &page, const Exam &exam, int version, int first,
                 int end) {
  const ExamVersion &printed = exam.versions[static_cast<size_t>(version)];
  const std::vector<std::set<int>> key = exam.printedKey(version);
  canvas.drawText(TextLine{exam.title + ": Version " + Choices::letter(version) + " answer key",
                           Font::helveticaBold(16), 0.05}
                      .truncated(page.contentWidth()),
                  {left, 60});
  canvas.drawText(
      TextLine{explanation(version), Font::helvetica(9), 0.4}.truncated(page.contentWidth()),
      {left, 78});
  const double pitch = std::min(129.0, page.contentWidth() / columns);
  const int known = std::min(end, static_cast<int>(key.size()));
  for (int position = first; position < known; ++position) {
    const int slot = position - first;
    const Point at{left + pitch * (slot / rowsPerColumn), 112 + 24.0 * (slot % rowsPerColumn)};
    const int master = printed.question(position);
    const QuestionKey plain;
    const QuestionKey &masterKey = master >= 0 && master < static_cast<int>(exam.key.size())
                                       ? exam.key[static_cast<size_t>(master)]
                                       : plain;
    drawEntry(canvas, at, position + 1, Choices::text(key[static_cast<size_t>(position)]),
              masterKey, version == 0 ? std::nullopt : std::optional(master));
  }
}

} // namespace

std::optional<Bytes> answerKeysPDF(const Exam &exam) {
  const ReportPage page = ReportPage::of(exam);
  std::optional<PdfWriter> writer = PdfWriter::open(page.size, exam.title + " Answer Keys");
  if (!writer)
    return std::nullopt;
  const int pagesPerVersion = exam.pageCount();
  const std::string footer = "Ovalon · Test " + exam.examCode();
  for (int version = 0; version < static_cast<int>(exam.versions.size()); ++version) {
    for (int sheetPage = 0; sheetPage < pagesPerVersion; ++sheetPage) {
      const int first = sheetPage * Exam::questionsPerPage;
      const int end = std::min(first + Exam::questionsPerPage, exam.questionCount);
      Canvas &canvas = writer->beginPage();
      page.flip(canvas);
      drawListing(canvas, page, exam, version, first, end);
      page.drawFooter(canvas, footer);
      writer->endPage();
    }
  }
  return writer->close();
}

} // namespace ovalon::Reports
