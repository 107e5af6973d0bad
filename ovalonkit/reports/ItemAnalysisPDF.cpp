#include "reports/Reports.h"

#include "model/Choices.h"
#include "reports/DateText.h"
#include "reports/ReportPage.h"
#include "sheets/PdfWriter.h"

#include <algorithm>
#include <string>
#include <vector>

namespace ovalon::Reports {

namespace {

using ReportPage::contentWidth;
using ReportPage::drawCentred;
using ReportPage::formatted;
using ReportPage::left;

constexpr int firstPageRows = 22;
constexpr int laterPageRows = 38;
constexpr double rowHeight = 17;
constexpr double cellInset = 4;

int pageCountFor(int items) {
  return items <= firstPageRows ? 1 : (items + 15) / laterPageRows + 1;
}

struct Column {
  std::string title;
  double width = 0;
};

std::vector<Column> columnsFor(const Exam &exam) {
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

void drawCard(Canvas &canvas, Rect card, const std::string &label, const std::string &value) {
  canvas.setFillGray(0.95);
  canvas.fillRoundedRect(card, 6);
  drawCentred(canvas, TextLine{label, Font::helveticaBold(7), 0.45}.truncated(card.width - 8),
              card.midX(), card.y + 14);
  drawCentred(canvas, TextLine{value, Font::helveticaBold(15), 0.1}.truncated(card.width - 8),
              card.midX(), card.y + 35);
}

std::string binLabel(int bin) {
  const int low = bin * 10;
  return std::to_string(low) + "–" + std::to_string(bin == 9 ? 100 : low + 9);
}

// The bars stand on `baseY`; counts sit above them and bin labels below.
void drawHistogram(Canvas &canvas, const std::vector<int> &bins, double baseY, double barMax) {
  const int largest = bins.empty() ? 0 : *std::ranges::max_element(bins);
  const double slot = contentWidth / 10;
  for (int bin = 0; bin < 10; ++bin) {
    const int count = bin < static_cast<int>(bins.size()) ? bins[static_cast<size_t>(bin)] : 0;
    const double x = left + bin * slot;
    if (count > 0 && largest > 0) {
      const double height = barMax * count / largest;
      canvas.setFillGray(0.55);
      canvas.fillRect({x + 4, baseY - height, slot - 8, height});
      drawCentred(canvas, {std::to_string(count), Font::helveticaBold(8), 0.25}, x + slot / 2,
                  baseY - height - 4);
    }
    drawCentred(canvas, {binLabel(bin), Font::helvetica(7.5), 0.45}, x + slot / 2, baseY + 11);
  }
  canvas.setStrokeGray(0.75);
  canvas.setLineWidth(0.5);
  canvas.moveTo({left, baseY});
  canvas.lineTo({left + contentWidth, baseY});
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
double drawSummary(Canvas &canvas, const Exam &exam, const ExamSummary &summary, Date today) {
  canvas.drawText(TextLine{exam.title, Font::helveticaBold(18), 0.05}.truncated(contentWidth),
                  {left, 62});
  canvas.drawText(
      TextLine{subtitle(exam, summary, today), Font::helvetica(9.5), 0.4}.truncated(contentWidth),
      {left, 80});

  const std::vector<std::pair<std::string, std::string>> cards{
      {"Mean", formatted("%.1f%%", summary.mean)},
      {"Median", formatted("%.1f%%", summary.median)},
      {"High", formatted("%.1f%%", summary.high)},
      {"Low", formatted("%.1f%%", summary.low)},
      {"Std. dev.", formatted("%.1f", summary.standardDeviation)},
      {"Reliability", summary.reliability ? formatted("%.2f", *summary.reliability) : "—"}};
  constexpr double cardPitch = 87.33, cardGap = 8;
  for (size_t i = 0; i < cards.size(); ++i)
    drawCard(canvas, {left + static_cast<double>(i) * cardPitch, 94, cardPitch - cardGap, 44},
             cards[i].first, cards[i].second);

  canvas.drawText({"Score distribution", Font::helveticaBold(10), 0.2}, {left, 156});
  constexpr double histogramBase = 236;
  drawHistogram(canvas, summary.histogram, histogramBase, 58);

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
  canvas.drawText({"Questions are numbered as on version A; other versions' answers are counted "
                   "under the same numbers.",
                   Font::helvetica(8.5), 0.45},
                  {left, y});
  return y + 12;
}

void drawCell(Canvas &canvas, const TextLine &line, double columnX, double width, double rowY) {
  canvas.drawText(line.truncated(width - 2 * cellInset), {columnX + cellInset, rowY + 12});
}

void drawRow(Canvas &canvas, const std::vector<Column> &columns, int choices, const ItemStats &item,
             double y) {
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
  std::string notes;
  for (const ItemNote &note : item.notes)
    notes += (notes.empty() ? "" : "; ") + note.text();
  cell(notes, Font::helvetica(7.5), 0.35);
}

void drawTable(Canvas &canvas, const Exam &exam, const std::vector<ItemStats> &items, double top) {
  const std::vector<Column> columns = columnsFor(exam);
  canvas.setFillGray(0.92);
  canvas.fillRect({left, top, contentWidth, rowHeight});
  double x = left;
  for (const Column &column : columns) {
    drawCell(canvas, {column.title, Font::helveticaBold(8), 0.25}, x, column.width, top);
    x += column.width;
  }
  for (size_t i = 0; i < items.size(); ++i) {
    const double y = top + rowHeight * static_cast<double>(i + 1);
    if (i % 2 == 1) {
      canvas.setFillGray(0.975);
      canvas.fillRect({left, y, contentWidth, rowHeight});
    }
    drawRow(canvas, columns, exam.choiceCount, items[i], y);
  }
}

} // namespace

std::optional<Bytes> itemAnalysisPDF(const Exam &exam, const ItemAnalysis &analysis, Date today) {
  std::optional<PdfWriter> writer =
      PdfWriter::open(ReportPage::size, exam.title + " Item Analysis");
  if (!writer)
    return std::nullopt;
  const int itemCount = static_cast<int>(analysis.items.size());
  const int pages = pageCountFor(itemCount);
  for (int page = 0; page < pages; ++page) {
    const int first = page == 0 ? 0 : firstPageRows + (page - 1) * laterPageRows;
    const int end = std::min(itemCount, page == 0 ? firstPageRows : first + laterPageRows);
    const std::vector<ItemStats> rows(analysis.items.begin() + first, analysis.items.begin() + end);

    Canvas &canvas = writer->beginPage();
    ReportPage::flip(canvas);
    double tableTop = 72;
    if (page == 0) {
      tableTop = drawSummary(canvas, exam, analysis.summary, today);
    } else {
      canvas.drawText(
          TextLine{exam.title + ": item analysis (continued)", Font::helveticaBold(11), 0.2}
              .truncated(contentWidth),
          {left, 58});
    }
    drawTable(canvas, exam, rows, tableTop);
    ReportPage::drawFooter(canvas, ReportPage::pageFooter(page + 1, pages));
    writer->endPage();
  }
  return writer->close();
}

} // namespace ovalon::Reports
