#include "reports/Reports.h"

#include "model/Choices.h"
#include "reports/DateText.h"
#include "reports/ItemNotesText.h"
#include "reports/ReportPage.h"
#include "sheets/PdfWriter.h"

#include <algorithm>
#include <string>
#include <vector>

namespace ovalon::Reports {

namespace {

constexpr double left = ReportPage::left;
constexpr auto formatted = &ReportPage::formatted;
constexpr double rowHeight = 17;
constexpr double noteLineHeight = 9;
constexpr double cellInset = 4;
// On US Letter the first page holds 22 one-line rows under the summary and later pages 38;
// taller paper and taller rows change how many fit.
constexpr int firstPageRows = 22;
constexpr int laterPageRows = 38;
const Font noteFont = Font::helvetica(7.5);

struct Column {
  std::string title;
  double width = 0;
};

std::vector<Column> columnsFor(const Exam &exam, double contentWidth) {
  std::vector<Column> columns{{"#", 26}, {"Key", 34}, {"% Right", 50}, {"Discrim.", 50}};
  for (int c = 0; c < exam.choiceCount; ++c)
    columns.push_back({Choices::letter(c), 30});
  columns.push_back({"Blank", 34});
  double used = 0;
  for (const Column &column : columns)
    used += column.width;
  columns.push_back({"Notes", std::max(contentWidth - used, 0.0)});
  return columns;
}

std::vector<std::string> noteLines(const ItemStats &item, const std::vector<Column> &columns) {
  return ItemNotesText::lines(item.notes, columns.back().width - 2 * cellInset,
                              [](std::string_view text) {
                                return TextLine{std::string(text), noteFont, 0}.width();
                              });
}

double rowHeightFor(size_t noteLineCount) {
  return rowHeight + noteLineHeight * static_cast<double>(std::max<size_t>(noteLineCount, 1) - 1);
}

// The items of each page, [first, end): as many rows as fit the page's table height, and at
// least one so that no row is ever left out.
std::vector<std::pair<size_t, size_t>> pageRanges(const std::vector<double> &heights,
                                                  double extraHeight) {
  std::vector<std::pair<size_t, size_t>> pages;
  size_t first = 0;
  do {
    const int rows = pages.empty() ? firstPageRows : laterPageRows;
    const double room = rows * rowHeight + extraHeight + 0.001;
    double used = 0;
    size_t end = first;
    while (end < heights.size() && (end == first || used + heights[end] <= room))
      used += heights[end++];
    pages.emplace_back(first, end);
    first = end;
  } while (first < heights.size());
  return pages;
}

void drawCard(Canvas &canvas, Rect card, const std::string &label, const std::string &value) {
  canvas.setFillGray(0.95);
  canvas.fillRoundedRect(card, 6);
  ReportPage::drawCentred(canvas,
                          TextLine{label, Font::helveticaBold(7), 0.45}.truncated(card.width - 8),
                          card.midX(), card.y + 14);
  ReportPage::drawCentred(canvas,
                          TextLine{value, Font::helveticaBold(15), 0.1}.truncated(card.width - 8),
                          card.midX(), card.y + 35);
}

std::string binLabel(int bin) {
  const int low = bin * 10;
  return std::to_string(low) + "–" + std::to_string(bin == 9 ? 100 : low + 9);
}

// The bars stand on `baseY`; counts sit above them and bin labels below.
void drawHistogram(Canvas &canvas, const std::vector<int> &bins, double width, double baseY,
                   double barMax) {
  const int largest = bins.empty() ? 0 : *std::ranges::max_element(bins);
  const double slot = width / 10;
  for (int bin = 0; bin < 10; ++bin) {
    const int count = bin < static_cast<int>(bins.size()) ? bins[static_cast<size_t>(bin)] : 0;
    const double x = left + bin * slot;
    if (count > 0 && largest > 0) {
      const double height = barMax * count / largest;
      canvas.setFillGray(0.55);
      canvas.fillRect({x + 4, baseY - height, slot - 8, height});
      ReportPage::drawCentred(canvas, {std::to_string(count), Font::helveticaBold(8), 0.25},
                              x + slot / 2, baseY - height - 4);
    }
    ReportPage::drawCentred(canvas, {binLabel(bin), Font::helvetica(7.5), 0.45}, x + slot / 2,
                            baseY + 11);
  }
  canvas.setStrokeGray(0.75);
  canvas.setLineWidth(0.5);
  canvas.moveTo({left, baseY});
  canvas.lineTo({left + width, baseY});
  canvas.strokePath();
}

std::string subtitle(const Exam &exam, const ExamSummary &summary, Date today) {
  std::string text = "Item analysis · " + DateText::longStyle(today) + " · " +
                     std::to_string(summary.count) + " sheet" + (summary.count == 1 ? "" : "s") +
                     " · " + std::to_string(exam.questionCount) + " questions";
  if (exam.versions.size() >= 2)
    text += " · Versions A–" + Choices::letter(static_cast<int>(exam.versions.size()) - 1);
  return text;
}

// Draws the summary and returns where the item table starts.
double drawSummary(Canvas &canvas, const ReportPage &page, const Exam &exam,
                   const ExamSummary &summary, Date today) {
  const double width = page.contentWidth();
  canvas.drawText(TextLine{exam.title, Font::helveticaBold(18), 0.05}.truncated(width), {left, 62});
  canvas.drawText(
      TextLine{subtitle(exam, summary, today), Font::helvetica(9.5), 0.4}.truncated(width),
      {left, 80});

  const std::vector<std::pair<std::string, std::string>> cards{
      {"Mean", formatted("%.1f%%", summary.mean)},
      {"Median", formatted("%.1f%%", summary.median)},
      {"High", formatted("%.1f%%", summary.high)},
      {"Low", formatted("%.1f%%", summary.low)},
      {"Std. dev.", formatted("%.1f", summary.standardDeviation)},
      {"Reliability", summary.reliability ? formatted("%.2f", *summary.reliability) : "—"}};
  constexpr double cardGap = 8;
  const double cardPitch = (width + cardGap) / static_cast<double>(cards.size());
  for (size_t i = 0; i < cards.size(); ++i)
    drawCard(canvas, {left + static_cast<double>(i) * cardPitch, 94, cardPitch - cardGap, 44},
             cards[i].first, cards[i].second);

  canvas.drawText({"Score distribution", Font::helveticaBold(10), 0.2}, {left, 156});
  constexpr double histogramBase = 236;
  drawHistogram(canvas, summary.histogram, width, histogramBase, 58);

  double y = histogramBase + 28;
  if (exam.versions.size() > 1) {
    for (int v = 0; v < static_cast<int>(exam.versions.size()); ++v) {
      const auto mean = summary.versionMeans.find(v);
      const auto count = summary.versionCounts.find(v);
      const std::string line =
          "Version " + Choices::letter(v) + ": " +
          formatted("%.1f%%", mean == summary.versionMeans.end() ? 0.0 : mean->second) + " mean (" +
          std::to_string(count == summary.versionCounts.end() ? 0 : count->second) + ")";
      canvas.drawText({line, Font::helvetica(9), 0.3}, {left, y});
      y += 14;
    }
    y += 2;
  }
  canvas.drawText(TextLine{"Questions are numbered as on version A; other versions' answers are "
                           "counted under the same numbers.",
                           Font::helvetica(8.5), 0.45}
                      .truncated(width),
                  {left, y});
  return y + 12;
}

void drawCell(Canvas &canvas, const TextLine &line, double columnX, double width, double rowY) {
  canvas.drawText(line.truncated(width - 2 * cellInset), {columnX + cellInset, rowY + 12});
}

void drawRow(Canvas &canvas, const std::vector<Column> &columns, int choices, const ItemStats &item,
             const std::vector<std::string> &notes, double y) {
  constexpr double size = 8.5;
  double x = left;
  size_t column = 0;
  auto cell = [&](std::string text, const Font &font, double gray) {
    drawCell(canvas, {std::move(text), font, gray}, x, columns[column].width, y);
    x += columns[column].width;
    ++column;
  };
  cell(std::to_string(item.question + 1), Font::helveticaBold(size), 0.1);
  cell(item.key.empty() ? "—" : Choices::text(item.key), Font::helvetica(size), 0.1);
  cell(item.dropped ? "dropped" : formatted("%.1f%%", item.p * 100), Font::helvetica(size), 0.1);
  cell(formatted("%.2f", item.discrimination), Font::helvetica(size), 0.1);
  for (int c = 0; c < choices; ++c) {
    const int count = c < static_cast<int>(item.choiceCounts.size())
                          ? item.choiceCounts[static_cast<size_t>(c)]
                          : 0;
    if (item.key.contains(c))
      cell(std::to_string(count), Font::helveticaBold(size), 0.3);
    else
      cell(std::to_string(count), Font::helvetica(size), 0.4);
  }
  cell(std::to_string(item.blankCount), Font::helvetica(size), 0.4);
  for (size_t line = 0; line < notes.size(); ++line)
    canvas.drawText({notes[line], noteFont, 0.35},
                    {x + cellInset, y + 12 + noteLineHeight * static_cast<double>(line)});
}

void drawTable(Canvas &canvas, const ReportPage &page, const Exam &exam,
               const std::vector<ItemStats> &items, size_t first, size_t end, double top) {
  const std::vector<Column> columns = columnsFor(exam, page.contentWidth());
  canvas.setFillGray(0.92);
  canvas.fillRect({left, top, page.contentWidth(), rowHeight});
  double x = left;
  for (const Column &column : columns) {
    drawCell(canvas, {column.title, Font::helveticaBold(8), 0.25}, x, column.width, top);
    x += column.width;
  }
  double y = top + rowHeight;
  for (size_t i = first; i < end; ++i) {
    const std::vector<std::string> notes = noteLines(items[i], columns);
    const double height = rowHeightFor(notes.size());
    if ((i - first) % 2 == 1) {
      canvas.setFillGray(0.975);
      canvas.fillRect({left, y, page.contentWidth(), height});
    }
    drawRow(canvas, columns, exam.choiceCount, items[i], notes, y);
    y += height;
  }
}

} // namespace

std::optional<Bytes> itemAnalysisPDF(const Exam &exam, const ItemAnalysis &analysis, Date today) {
  const ReportPage page = ReportPage::of(exam);
  std::optional<PdfWriter> writer = PdfWriter::open(page.size, exam.title + " Item Analysis");
  if (!writer)
    return std::nullopt;
  const std::vector<Column> columns = columnsFor(exam, page.contentWidth());
  std::vector<double> heights;
  for (const ItemStats &item : analysis.items)
    heights.push_back(rowHeightFor(noteLines(item, columns).size()));
  const auto ranges = pageRanges(heights, page.extraHeight());
  const int pages = static_cast<int>(ranges.size());
  for (int index = 0; index < pages; ++index) {
    Canvas &canvas = writer->beginPage();
    page.flip(canvas);
    double tableTop = 72;
    if (index == 0) {
      tableTop = drawSummary(canvas, page, exam, analysis.summary, today);
    } else {
      canvas.drawText(
          TextLine{exam.title + ": item analysis (continued)", Font::helveticaBold(11), 0.2}
              .truncated(page.contentWidth()),
          {left, 58});
    }
    const auto [first, end] = ranges[static_cast<size_t>(index)];
    drawTable(canvas, page, exam, analysis.items, first, end, tableTop);
    page.drawFooter(canvas, ReportPage::pageFooter(index + 1, pages));
    writer->endPage();
  }
  return writer->close();
}

} // namespace ovalon::Reports
